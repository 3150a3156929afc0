#pragma once

// The editor's main window ("ostra.Tools: Velvor"): the banner, the progress bar, the status line and
// its log button, the "Available nodes" list, the canvas and the parameter area, laid out in pixels on
// every resize; the menus; and the commands. It owns the material of one editing run, the undo stack
// and everything that shows the material. Every command runs guarded: a failure is shown in the
// "Exception" box and the run goes on with the material, the history and the windows unchanged.

#include "gui/document/BackgroundRender.h"
#include "gui/main/EditingRun.h"
#include "gui/main/Handlers.h"
#include "gui/windows/ProgressReporter.h"
#include "gui/windows/ResultWindow.h"
#include "io/MaterialXml.h"
#include "model/Material.h"

#include <QDialog>
#include <QUndoStack>
#include <memory>

class Dialogs;
class MaterialFile;
class NodesView;
class OperatorEditor;
class QAction;
class QMenu;
class QTimer;
#include <QFrame>
class QLabel;
class QListWidget;
class QMenuBar;
class QProgressBar;
class QPushButton;

class MainWindow : public QDialog {
    Q_OBJECT

public:
    // Loads the record's material through the temporary file (or starts with the five collectors when
    // the record is empty). Questions go to `dialogs`, or to Qt's dialogs over this window when it is
    // null. Raises Exception when the temporary file cannot be written.
    // With a file (the stand-alone editor), Save also writes the file at once, and the window offers
    // Open, Open Recent and Save As, keeps a recovery copy of unsaved changes and shows the file's name.
    MainWindow(MaterialData& data, Dialogs* dialogs, MaterialFile* file = nullptr);
    ~MainWindow() override;

    // The commands of the menus.
    void clearMaterial();
    void importMaterial();
    void exportMaterial();
    void exportPackedMaterial();
    // File / "Export textures...": PNG files through an export preset (TextureExport.h).
    void exportTexturesCommand();
    // Fills the record; with a file, writes it (asking for a name first when it has none).
    void save();
    // With a file: the file commands of the stand-alone editor.
    void saveAs();
    void openMaterial();
    // Opens the file in place of the current material (asked about unsaved changes before).
    void openPath(const std::string& path);
    // Writes the recovery copy now, if there are unsaved changes (the timer does it 10 s after one).
    void writeRecovery();
    void openAll();
    // Starts rendering every collector off the user-interface thread (a running render starts over);
    // the result windows, thumbnails and preview follow when it has finished.
    void renderAll();
    void renderIfAuto();
    // Lets the event loop run until no render is running; false after `timeoutMs`.
    bool waitForRender(int timeoutMs = 120000);
    bool isRendering() const { return render_.isRunning(); }
    void setAutoRender(bool on);
    void showHelp();
    void showAbout();
    void showLog();
    void showPreview();
    // The packed size the user wants to stay within (0: none), kept with the user's settings.
    void askPackedBudget();
    int getPackedBudget() const { return packedBudget_; }
    QLabel& getPackedSize() { return *packedSize_; }
    void undo();
    void redo();

    // A node of the list's row (1..6 of the type table) named "Unnamed", 256 x 256, at the view's
    // point (20, 20), selected; nothing while no row is selected.
    void createSelectedNodeType();

    // For the handlers.
    void replaceOperatorEditor(OperatorEditor* editor);
    void openResultWindow(NodeId node);

    Material& getMaterial() { return material_; }
    QUndoStack& getUndoStack() { return undoStack_; }
    NodesView& getCanvas() { return *canvas_; }
    QListWidget& getNodeList() { return *nodeList_; }
    QWidget& getParameterArea() { return *parameterArea_; }
    OperatorEditor* getOperatorEditor() const { return operatorEditor_; }
    VelvorGUI::ProgressReporter& getProgress() { return *progress_; }
    ResultWindowRegistry& getResultWindows() { return resultWindows_; }
    QLabel& getStatus() { return *status_; }
    QAction& autoRenderAction() { return *autoRender_; }
    bool isAutoRender() const { return autoRenderOn_; }
    Dialogs& getDialogs() { return dialogs_; }

signals:
    // Another file's material took the place of the current one, with a history of its own.
    void materialOpened();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void buildMenus(QMenuBar& menus);
    void buildNodeList();
    void layOut();
    LoadOutcome loadRecord();
    // Replaces the whole material by `content` as one undo step, closing the windows that showed the
    // old one.
    void replaceContent(std::unique_ptr<Material> content, const QString& text);
    // Views that copy images (result windows, the preview) open while no render writes them.
    template <typename Open> void withRenderPaused(Open&& open);
    void renderFinished();
    void reportIncomplete();

    // The stand-alone editor's file handling (MainWindowFiles.cpp).
    void buildFileCommands(QMenu& file, QAction* before);
    void startFileSession(LoadOutcome loaded);
    void updateTitle();
    void unsavedStateChanged();
    // Asks to save unsaved changes first; false when the user cancels or the save fails.
    bool changesMayGo();
    std::vector<std::uint8_t> writeToFile();
    void rememberRecent(const std::string& path);
    void fillRecentMenu(QMenu& menu);

    bool eventFilter(QObject* watched, QEvent* event) override;
    // Recounts the packed form after every change of the material.
    void updatePackedSize();

    class MaterialWatch : public MaterialObserver {
    public:
        explicit MaterialWatch(MainWindow& window) : window_(window) {}
        void materialChanged(const MaterialChange&) override {
            window_.picturesCurrent_ = false;
            window_.updatePackedSize();
        }

    private:
        MainWindow& window_;
    };

    MaterialData& data_;
    MaterialFile* file_;
    TemporaryMaterial temporary_;
    QTimer* recoveryTimer_ = nullptr;
    std::unique_ptr<Dialogs> ownDialogs_;
    Dialogs& dialogs_;
    Material material_;
    QUndoStack undoStack_;
    BackgroundRender render_{material_};
    ResultWindowRegistry resultWindows_;
    bool autoRenderOn_ = true;
    bool reoriented_ = false;
    bool picturesCurrent_ = false; // a render finished after the last change

    QWidget* client_;
    QLabel* banner_;
    QProgressBar* progressBar_;
    QLabel* status_;
    QPushButton* logButton_;
    QLabel* nodesLabel_;
    QLabel* structureLabel_;
    QLabel* packedSize_;
    int packedBudget_ = 0;
    MaterialWatch materialWatch_{*this};
    QListWidget* nodeList_;
    QFrame* canvasPanel_;
    NodesView* canvas_;
    QFrame* parameterArea_;
    OperatorEditor* operatorEditor_ = nullptr;
    QAction* autoRender_ = nullptr;
    std::unique_ptr<VelvorGUI::ProgressReporter> progress_;

    VelvorGUI::OnSelectNode onSelect_{*this};
    VelvorGUI::OnChangeNode onChange_{*this};
    VelvorGUI::OnProbeNode onProbe_{*this};
    VelvorGUI::OnResizeNode onResize_{*this};
};
