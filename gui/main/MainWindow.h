#pragma once

// The editor's main window ("ostra.Tools: Velvor"): the banner, the progress bar, the status line and
// its log button, the "Available nodes" list, the canvas and the parameter area, laid out in pixels on
// every resize; the menus. The material, its history, its render and its file belong to the
// `Document`; the window shows it and forwards the commands. Every command runs guarded: a failure
// is shown in the "Exception" box and the run goes on with the material, the history and the
// windows unchanged.

#include "gui/document/Document.h"
#include "gui/main/Handlers.h"
#include "gui/windows/ProgressReporter.h"
#include "gui/windows/ResultWindow.h"

#include <QDialog>
#include <QFrame>
#include <memory>

class Dialogs;
class MaterialFile;
class NodesView;
class OperatorEditor;
class QAction;
class QLabel;
class QListWidget;
class QMenu;
class QMenuBar;
class QProgressBar;
class QPushButton;

class MainWindow : public QDialog {
    Q_OBJECT

public:
    // Opens the record's material (Document.h). Questions go to `dialogs`, or to Qt's dialogs over
    // this window when it is null. With a file (the stand-alone editor), the window also offers Open,
    // Open Recent and Save As and shows the file's name and the unsaved mark in its title.
    MainWindow(MaterialData& data, Dialogs* dialogs, MaterialFile* file = nullptr);
    ~MainWindow() override;

    Document& getDocument() { return *document_; }

    // The window's own commands.
    void openAll();
    void showHelp();
    void showAbout();
    void showLog();
    void showPreview();
    // The packed size the user wants to stay within (0: none), kept with the user's settings.
    void askPackedBudget();
    // A node of the list's row (1..6 of the type table) named "Unnamed", 256 x 256, at the view's
    // spawn point, selected; nothing while no row is selected.
    void createSelectedNodeType();

    // For the handlers.
    void replaceOperatorEditor(OperatorEditor* editor);
    void openResultWindow(NodeId node);
    NodesView& canvas() { return *canvas_; }
    QWidget& parameterArea() { return *parameterArea_; }

signals:
    // Another file's material took the place of the current one, with a history of its own.
    void materialOpened();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void buildWidgets();
    void watchDocument();
    // The menus (MainMenus.cpp).
    void buildMenus(QMenuBar& menus);
    void buildFileCommands(QMenu& file, QAction* save);
    void fillRecentMenu(QMenu& menu);
    // `command` on the document, with a failure shown in the "Exception" box.
    template <typename Command> auto guardedCommand(Command command);
    void buildNodeList();
    void layOut();
    void renderFinished();
    void updateTitle();
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Recounts the packed form after every change of the material.
    void updatePackedSize();

    std::unique_ptr<Dialogs> ownDialogs_;
    Dialogs& dialogs_;
    std::unique_ptr<Document> document_;
    ResultWindowRegistry resultWindows_;
    bool reoriented_ = false;
    int packedBudget_ = 0;

    QWidget* client_;
    QLabel* banner_;
    QProgressBar* progressBar_;
    QLabel* status_;
    QPushButton* logButton_;
    QLabel* nodesLabel_;
    QLabel* structureLabel_;
    QLabel* packedSize_;
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
