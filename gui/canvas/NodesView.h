#pragma once

// The node canvas: draws the material's graph (grid, node boxes with ports and labels, cables) and
// turns mouse and keys into edits of the material, each pushed as one undoable command. It keeps
// only view state (panning, selection, the drag, the cable being drawn); the graph is the
// material's, and the canvas repaints whenever the material announces a change.
//
// Screen points are unscaled points of the view, screen = canvas + panning (CanvasGeometry.h); the
// zoom scales them to pixels when painting and back when the mouse reports (CanvasZoom.h). The zoom
// is a view setting: it is no edit and is not saved.
//
// Four event lists tell the editor what the user did, each fired with the view as payload except
// the resize events:
// - selection: every time the selection is set, also to what it already was;
// - change: after a cable was drawn and after a node or cable was deleted;
// - probe: "&Show result window" in a node's menu;
// - resize: "Double the size" or "Half the size", with a pointer to the new size (a Point,
//   x = width, y = height); the listener resizes the node.

#include "base/Events.h"
#include "gui/canvas/CanvasPainter.h"
#include "gui/undo/InsertNodesCommand.h"
#include "gui/windows/Window.h"
#include "model/Material.h"

#include <QUndoStack>
#include <optional>
#include <set>
#include <unordered_map>
#include <unordered_set>
#include <vector>

class NodeSearch;

class NodesView : public Window {
    Q_OBJECT

public:
    NodesView(Material& material, QUndoStack& undoStack, QWidget* parent = nullptr);
    ~NodesView() override;

    void selectNode(const VisualNode& node);
    void selectNone();
    // The selected node, or null when nothing, a cable or several nodes are selected.
    VisualNode* selectedNode() const;
    // Every selected node (Ctrl+click and Shift+drag select several), in material order.
    std::vector<const VisualNode*> selectedNodes() const;
    // Selects these nodes together; one alone is selected as by a click.
    void selectNodes(std::set<NodeId> nodes);
    // Adds the node to the selection, or takes it out.
    void toggleNode(const VisualNode& node);
    // The selected cable, or null.
    const Cable* selectedCable() const;

    // The canvas point shown at screen point (20, 20): where new nodes appear.
    Point spawnPoint() const;
    // The free place for a new node nearest to the spawn point, in view when there is one: a node
    // added after another does not land on top of it.
    Point freeSpawnPoint() const;
    // Centres the bounding box of all nodes in the view; nothing without nodes.
    void reorient();
    Point getPanning() const { return panning_; }
    double getZoom() const;
    // Zooms by whole steps (a quarter octave each) around a pixel of the view, keeping the canvas
    // point under it in place.
    void zoomAt(Point pixel, int steps);
    // The largest zoom up to 1:1 that shows every node, centred.
    void zoomToFit();
    // Back to 1:1 around the view's middle.
    void showActualSize();
    // Drops the cable being drawn; false when there was none.
    bool cancelGesture();

    // Opens the add-node search at a pixel of the view (Space or Tab over the canvas); the chosen type
    // is added there, selected, as one step (NodesViewAdding.cpp).
    void openNodeSearch(Point pixel);

    // The clipboard (NodesViewClipboard.cpp), each command one step. Copy puts the selected nodes and
    // the cables among them on the system clipboard; Cut copies, then deletes as Delete does (never a
    // collector). Paste puts the clipboard's nodes at the mouse, or at the free place in view, with
    // new ids and unused names, and selects them. Duplicate copies the selection beside itself
    // without the clipboard; with inputs it also keeps the cables that enter the selection.
    void copySelection();
    void cutSelection();
    void paste();
    void duplicateSelection(bool withInputs);
    // The clipboard format of copied nodes; the same XML also goes as plain text.
    static constexpr const char* nodesMimeType = "application/x-velvor-nodes+xml";

    // The node menu's commands, each on the selected node (or selection).
    void probeSelectedNode();
    void renameSelectedNode();
    void deleteSelection();
    void doubleSelectedSize();
    void halveSelectedSize();

    // Annotations beyond the plain canvas, both on by default: a thumbnail of each node's last
    // rendered image inside its box, and each node's share of the packed form under it. With both off
    // the canvas draws nothing else.
    void setThumbnailsShown(bool shown);
    bool areThumbnailsShown() const { return thumbnailsShown_; }
    void setPackedBytesShown(bool shown);
    // Takes new thumbnails of every node that is up to date (none of the others) from its image, and
    // hatches those whose picture the render could not make current; called when a render has
    // finished, never while one runs.
    void refreshThumbnails();
    // The packed record sizes to show, by node (nodes without an entry show none).
    void setPackedBytes(std::unordered_map<NodeId, std::size_t> bytes);

    // The selected node (null: none, or a cable), on every new selection.
    Events<const VisualNode*>& getSelectionEvents() { return selectionEvents_; }
    Events<>& getChangeEvents() { return changeEvents_; }
    // The selected node (null: none) whose result window is asked for.
    Events<const VisualNode*>& getProbeEvents() { return probeEvents_; }
    // The size asked for the selected node.
    Events<Point>& getResizeEvents() { return resizeEvents_; }

signals:
    // A line for the status bar: why a command did nothing.
    void notice(const QString& text);

protected:
    bool event(QEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    enum class SelectionKind { None, Node, Cable };
    enum class MouseMode { None, Panning, Moving, Banding };

    // A cable is named by the input it ends at: one cable per input port.
    struct Selection {
        SelectionKind kind = SelectionKind::None;
        NodeId node{};
        int port = 0;
    };

    // The cable being drawn from a port to the mouse.
    struct DrawnCable {
        NodeId source;
        int sourcePort;   // -1 for an output
        Point sourceSpot; // the port's centre relative to the node's top-left corner
        Point end;        // screen
        CableTarget target = CableTarget::None;
    };

    class MaterialWatch : public MaterialObserver {
    public:
        explicit MaterialWatch(NodesView& view) : view_(view) {}
        void materialChanged(const MaterialChange& change) override;

    private:
        NodesView& view_;
    };

    void paintAnnotations(QPainter& painter, const VisualNode& node, Point position) const;
    void leftPress(Point p, Qt::KeyboardModifiers modifiers);
    void leftRelease(Point p);
    // Starts a drag of the node under the press, with the rest of the selection when it is part of it.
    void startMoving(const VisualNode& node);
    // The rubber band's corners on the canvas, and the nodes whose boxes it touches.
    std::set<NodeId> nodesInBand() const;
    void rightPress(Point p);
    // A right release some pixels from the press that started a cable ends that cable as a drag: on
    // an accepting port it connects, on empty canvas the search opens to add a node joined to it.
    void rightRelease(Point p);
    void addSearchedNode(std::size_t row);
    // The cable the single dragged node would go into if dropped now: only a node with an output, a
    // first input and no cable, whose size fits both ends.
    std::optional<std::size_t> cableToInsertInto() const;
    // Puts the dropped node into the hovered cable, with the drag's move, as one step.
    void insertDraggedNode(std::size_t cable);
    void moveTo(Point p);
    void openNodeMenu(Point p);
    void fireResize(Point size);
    // Delete on several selected nodes: all but the collectors, as one step.
    void deleteSelectedNodes();
    void select(Selection selection);
    void forgetWhatIsGone();
    void updateCursor();
    // Where pasted or searched-for nodes go: the mouse while it is over the view, else the free place.
    Point insertionPoint() const;
    // Pushes the nodes as one step, selects them and tells the listeners; a refusal goes to notice.
    void insertNodes(const std::string& xml, Point at,
                     std::vector<InsertNodesCommand::EnteringCable> entering, const QString& text);

    // The view's size in unscaled points.
    Point viewSize() const;
    // Where the mouse is, in unscaled points.
    Point screenPointOf(const QMouseEvent* event) const;
    Point toScreen(Point canvas) const;
    Point toCanvas(Point screen) const;
    VisualNode* nodeUnder(Point screen) const;
    // The port of the node under the point, if the point is on one.
    std::optional<int> portUnder(const VisualNode& node, Point screen) const;
    // The curves of the stored cables as they are drawn now, in cable order.
    std::vector<CableCurve> cableCurves() const;
    CableTarget targetAt(Point screen) const;

    Material& material_;
    QUndoStack& undoStack_;
    MaterialWatch watch_{*this};
    CanvasPainter painter_;

    Selection selection_;
    Point panning_;
    int zoomStep_ = 0;
    int wheelRemainder_ = 0; // eighths of a degree not yet turned into a step
    MouseMode mouseMode_ = MouseMode::None;
    Point mouseDown_;
    std::optional<Point> mouse_; // in pixels, while the mouse is over the view
    Point panStart_;
    std::set<NodeId> selectedNodes_;
    std::vector<std::pair<NodeId, Point>> dragStarts_; // every node the drag moves, where it began
    NodeId dragged_{};
    bool pressedInGroup_ = false; // a click on one of several selected nodes, not yet a drag
    Point bandEnd_;
    int dragCount_ = 0; // tells one drag's moves from the next drag's
    std::optional<DrawnCable> cable_;
    std::optional<Point> cableDragStart_;    // where the right press that started the cable was
    int dragStartIndex_ = 0;                 // the undo stack's index when the drag began
    std::optional<std::size_t> insertCable_; // highlighted while a free node is dragged over it
    NodeSearch* search_ = nullptr;
    Point searchAt_;                        // canvas
    std::optional<DrawnCable> searchCable_; // the cable a search from a drag joins to the new node

    bool thumbnailsShown_ = true;
    bool packedBytesShown_ = true;
    std::unordered_map<NodeId, QImage> thumbnails_;
    std::unordered_set<NodeId> notCurrent_; // after the last render: pictures that are not current
    std::unordered_map<NodeId, std::size_t> packedBytes_;
    Events<const VisualNode*> selectionEvents_;
    Events<const VisualNode*> probeEvents_;
    Events<> changeEvents_;
    Events<Point> resizeEvents_;
};
