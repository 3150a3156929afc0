#pragma once

// A modeless window showing one node's image ("Result: <name>", 600 x 400), with its own Tiled
// setting and "Export bitmap..." to save the image as PNG. It is listed in the editor's
// result-window registry while open, so the editor can redraw every result window after rendering.

#include "base/Events.h"
#include "gui/windows/HelperWindow.h"
#include "model/VisualNode.h"

class Dialogs;
class Material;
class QAction;
class QLabel;
class ResultView;

// The editor's open result windows. Each window adds itself as an observer while it is open;
// notifying (redrawAll) repaints them all.
class ResultWindowRegistry : public Observable<> {
public:
    void redrawAll() { notifyObservers(); }
};

class ResultWindow : public HelperWindow {
    Q_OBJECT

public:
    // Opens at once.
    ResultWindow(QWidget* parent, const Material& material, NodeId node, ResultWindowRegistry& registry,
                 Dialogs& dialogs);
    ~ResultWindow() override;

    // Shows the node's image as it is now (called when a render has finished), and a line saying why
    // when the render could not make it current.
    void redraw();
    QString getNotCurrentText() const;
    NodeId getNode() const { return node_; }
    ResultView& getView() { return *view_; }

private:
    class Redrawer : public Event<> {
    public:
        explicit Redrawer(ResultWindow& window) : window_(window) {}
        void handle() override { window_.redraw(); }

    private:
        ResultWindow& window_;
    };

    void exportBitmap();
    void updateNotCurrent();

    const Material& material_;
    NodeId node_;
    ResultWindowRegistry& registry_;
    Dialogs& dialogs_;
    Redrawer redrawer_{*this};
    ResultView* view_;
    QAction* tiled_;
    QAction* export_;
    QLabel* notCurrent_; // why the picture is not current, shown only then
};
