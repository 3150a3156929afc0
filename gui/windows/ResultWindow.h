#pragma once

// A modeless window showing one node's image ("Result: <name>", 600 x 400), with its own Tiled
// setting and "Export bitmap..." to save the image as PNG. It is listed in the editor's
// result-window registry while open, so the editor can redraw every result window after rendering.
// The picture can be looked at closely (ResultView.h): the "View" and "Channels" menus and their keys, tile
// guides, the seam check and a histogram under "Options", and a status line with pixel readings.

#include "base/Events.h"
#include "gui/windows/HelperWindow.h"
#include "model/VisualNode.h"

class Dialogs;
class HistogramView;
class Material;
class QAction;
class QLabel;
class QMenuBar;
class ResultStatus;
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
    ResultStatus& getStatus() { return *status_; }
    HistogramView& getHistogram() { return *histogram_; }

protected:
    // The keys of the menus' entries (shown after a tab in their texts).
    void keyPressEvent(QKeyEvent* event) override;

private:
    class Redrawer : public Event<> {
    public:
        explicit Redrawer(ResultWindow& window) : window_(window) {}
        void handle() override { window_.redraw(); }

    private:
        ResultWindow& window_;
    };

    void buildCloseUpMenus(QMenuBar& menus);
    void exportBitmap();
    void updateNotCurrent();
    void updateHistogram();

    const Material& material_;
    NodeId node_;
    ResultWindowRegistry& registry_;
    Dialogs& dialogs_;
    Redrawer redrawer_{*this};
    ResultView* view_;
    QAction* tiled_;
    QAction* export_;
    QAction* histogramShown_ = nullptr;
    QLabel* notCurrent_; // why the picture is not current, shown only then
    HistogramView* histogram_;
    ResultStatus* status_;
    std::vector<std::pair<int, QAction*>> keys_;
};
