#pragma once

// One open material and everything that belongs to it rather than to a window: the material, its
// undo stack, the render behind it, the record it was handed in with, the file it came from (with
// its lock and recovery copy) and the unsaved state. Windows and panels observe it; the main window
// builds the widgets and forwards its commands here. Questions go through `Dialogs`.

#include "gui/document/BackgroundRender.h"
#include "gui/document/MaterialData.h"
#include "gui/document/TemporaryMaterial.h"
#include "io/MaterialXml.h"
#include "model/Material.h"

#include <QObject>
#include <QUndoStack>
#include <memory>
#include <optional>
#include <string>

class Dialogs;
class MaterialFile;
class QTimer;

class Document : public QObject {
    Q_OBJECT

public:
    // Loads the record's material through the temporary file (the five collectors when the record is
    // empty). With a file (the stand-alone editor), Save also writes the file at once.
    // Raises Exception when the temporary file cannot be written.
    Document(MaterialData& data, Dialogs& dialogs, MaterialFile* file);
    ~Document() override;

    Material& getMaterial() { return material_; }
    QUndoStack& getUndoStack() { return undoStack_; }
    BackgroundRender& getRender() { return render_; }
    Dialogs& getDialogs() { return dialogs_; }
    bool hasFile() const { return file_ != nullptr; }
    bool isModified() const { return !undoStack_.isClean(); }
    // The name for the title: the file's, "Untitled" for a file without a path.
    std::string displayName() const;

    // The file's lock and recovery copy, with the questions they raise; once the window is up.
    void startFileSession();
    // Closing: nothing is left to recover (saved, or discarded by the user).
    void closing();

    // Replaces the whole material by `content` as one undo step; `replacing` goes first.
    void replaceContent(std::unique_ptr<Material> content, const QString& text);
    void clear();
    void import();
    void exportXml();
    void exportPacked();
    // PNG files through an export preset; the line to show when something was written.
    void exportTextures();
    // Fills the record; with a file, writes it (asking for a name first when it has none). A failed
    // write raises and keeps the unsaved mark.
    void save();
    void saveAs();
    void open();
    // Opens the file in place of the current material, with a history of its own (the user is asked
    // about unsaved changes by the caller).
    void openPath(const std::string& path);
    // Asks to save unsaved changes first; false when the user cancels or the save fails.
    bool changesMayGo();
    // Writes the recovery copy now, if there are unsaved changes (a timer does it 10 s after one).
    void writeRecovery();
    // The last files opened or saved, newest first.
    static QStringList recentFiles();

    void undo();
    void redo();

    // Starts rendering every collector off the user-interface thread (a running render starts over).
    void renderAll() { render_.start(); }
    void renderIfAuto();
    void setAutoRender(bool on);
    bool isAutoRender() const { return autoRender_; }
    bool isRendering() const { return render_.isRunning(); }
    // Lets the event loop run until no render is running; false after `timeoutMs`.
    bool waitForRender(int timeoutMs = 120000);
    // A render finished after the last change: what the views copy is its verdict.
    bool picturesCurrent() const { return picturesCurrent_; }
    // Runs `open` (a view that copies images) while no render writes them.
    template <typename Open> void withRenderPaused(Open&& open) {
        const bool wasRendering = render_.stop();
        open();
        if (wasRendering) {
            render_.start();
        }
    }
    // As the command line warns: how many collectors cannot be completed, and why the first.
    std::optional<std::string> incompleteCollectors() const;

signals:
    // The material changed (any edit, undo or redo).
    void changed();
    // The whole material is about to be replaced: views of its nodes close.
    void replacing();
    void replaced();
    // Another file's material took the place of the current one, with a history of its own.
    void opened();
    void renderFinished();
    void autoRenderChanged(bool on);
    // A line for the status bar.
    void status(const QString& text);
    // The file's name or the unsaved state changed.
    void titleChanged();

private:
    LoadOutcome loadRecord();
    void unsavedStateChanged();
    std::vector<std::uint8_t> writeToFile();
    void rememberRecent(const std::string& path);
    void informHeld(const std::string& path, std::optional<std::int64_t> holder);

    class MaterialWatch : public MaterialObserver {
    public:
        explicit MaterialWatch(Document& document) : document_(document) {}
        void materialChanged(const MaterialChange&) override;

    private:
        Document& document_;
    };

    MaterialData& data_;
    Dialogs& dialogs_;
    MaterialFile* file_;
    TemporaryMaterial temporary_;
    Material material_;
    QUndoStack undoStack_;
    BackgroundRender render_{material_};
    LoadOutcome loaded_ = LoadOutcome::Complete;
    QTimer* recoveryTimer_ = nullptr;
    bool autoRender_ = true;
    bool picturesCurrent_ = false;
    MaterialWatch watch_{*this};
};
