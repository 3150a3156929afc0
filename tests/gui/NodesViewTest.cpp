#include "CanvasDriver.h"
#include "gui/canvas/RenameDialog.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

namespace {

enum Type { collector = 0, checkerboard = 1, mixer = 2, displacement = 4 };

void key(QWidget& widget, Qt::Key code) {
    QKeyEvent press(QEvent::KeyPress, code, Qt::NoModifier);
    QApplication::sendEvent(&widget, &press);
}

class NodesViewTest : public testing::Test {
protected:
    NodesViewTest() { view.resize(800, 600); }

    VisualNode& add(Type type, Point position, Point size = {8, 8}) {
        return material.addNode("old", nodeTypes[type], size, position);
    }
    Qt::CursorShape cursor() const { return view.cursor().shape(); }

    Material material{Material::Empty{}};
    QUndoStack stack;
    NodesView view{material, stack};
    EventLog log{view};
};

} // namespace

TEST_F(NodesViewTest, ClickSelectsANodeAndEmptyCanvasSelectsNothing) {
    VisualNode& node = add(checkerboard, {100, 100});
    click(view, Qt::LeftButton, {150, 150});
    EXPECT_EQ(view.selectedNode(), &node);
    click(view, Qt::LeftButton, {600, 500});
    EXPECT_EQ(view.selectedNode(), nullptr);
    EXPECT_EQ(stack.count(), 0);
    // A selected node taken away (as by an undo) leaves nothing selected, and listeners hear of it.
    click(view, Qt::LeftButton, {150, 150});
    RemovedNode removed = material.removeNode(&node);
    EXPECT_EQ(view.selectedNode(), nullptr);
    EXPECT_EQ(log.fired, std::vector<std::string>(4, "selection"));
    material.restoreNode(std::move(removed));
}

TEST_F(NodesViewTest, ADragMovesTheNodeByTheMouseDeltaAsOneStep) {
    VisualNode& node = add(checkerboard, {100, 100});
    sendMouse(view, QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, {150, 150});
    EXPECT_EQ(cursor(), Qt::SizeAllCursor);
    sendMouse(view, QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, {160, 140});
    sendMouse(view, QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, {187, 121});
    sendMouse(view, QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, {187, 121});
    EXPECT_EQ(cursor(), Qt::ArrowCursor);
    EXPECT_EQ(node.getPosition(), (Point{137, 71}));
    EXPECT_EQ(stack.count(), 1);

    // A drag that comes back to where it began leaves no step.
    sendMouse(view, QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, {150, 100});
    sendMouse(view, QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, {170, 100});
    sendMouse(view, QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, {150, 100});
    sendMouse(view, QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, {150, 100});
    EXPECT_EQ(stack.count(), 1);

    stack.undo();
    EXPECT_EQ(node.getPosition(), (Point{100, 100}));
    EXPECT_EQ(log.fired, std::vector<std::string>(2, "selection"));
}

TEST_F(NodesViewTest, PanningMovesTheViewAndNoNode) {
    const VisualNode& node = add(checkerboard, {100, 100});
    sendMouse(view, QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, {600, 500});
    EXPECT_EQ(cursor(), Qt::PointingHandCursor);
    sendMouse(view, QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, {595, 510});
    sendMouse(view, QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, {595, 510});
    EXPECT_EQ(view.getPanning(), (Point{-5, 10}));
    EXPECT_EQ(view.spawnPoint(), (Point{25, 10}));
    EXPECT_EQ(node.getPosition(), (Point{100, 100}));
    EXPECT_EQ(stack.count(), 0);
    // The node is now hit where it shows.
    click(view, Qt::LeftButton, {96, 111});
    EXPECT_EQ(view.selectedNode(), &node);
    // F centres the box: its centre (151, 151) goes to the view's (400, 300).
    key(view, Qt::Key_F);
    EXPECT_EQ(view.getPanning(), (Point{249, 149}));
}

class CableDirectionTest : public NodesViewTest, public testing::WithParamInterface<bool> {};

TEST_P(CableDirectionTest, ACableIsDrawnFromEitherEnd) {
    const VisualNode& source = add(checkerboard, {100, 100});
    const VisualNode& target = add(displacement, {300, 100});
    Point from = portCentreOnScreen(view, source, -1);
    Point to = portCentreOnScreen(view, target, 1);
    if (!GetParam()) {
        std::swap(from, to);
    }
    click(view, Qt::RightButton, from);
    EXPECT_EQ(cursor(), Qt::CrossCursor);
    hover(view, to);
    EXPECT_EQ(material.getCableCount(), 0u);
    click(view, Qt::RightButton, to);
    ASSERT_EQ(material.getCableCount(), 1u);
    EXPECT_EQ(&material.findCable(target.getId(), 1)->getFrom(), &source);
    EXPECT_EQ(cursor(), Qt::ArrowCursor);
    EXPECT_EQ(log.fired, std::vector<std::string>{"change"});
    stack.undo();
    EXPECT_EQ(material.getCableCount(), 0u);
}

INSTANTIATE_TEST_SUITE_P(FromOutputOrInput, CableDirectionTest, testing::Bool());

TEST_F(NodesViewTest, ARefusedCableStaysActiveAndAPressOffThePortsDiscardsIt) {
    VisualNode& first = add(checkerboard, {100, 100});
    VisualNode& mixing = add(mixer, {300, 100});
    const VisualNode& other = add(checkerboard, {100, 300});
    material.connect(first, -1, mixing, 0);

    click(view, Qt::RightButton, portCentreOnScreen(view, other, -1));
    click(view, Qt::RightButton, portCentreOnScreen(view, mixing, 0)); // taken
    click(view, Qt::RightButton, portCentreOnScreen(view, first, -1)); // two outputs
    EXPECT_EQ(cursor(), Qt::CrossCursor);
    EXPECT_EQ(material.getCableCount(), 1u);
    // While a cable is drawn a left press neither selects nor drags.
    drag(view, onScreen(view, first, {50, 80}), {400, 400});
    EXPECT_EQ(first.getPosition(), (Point{100, 100}));
    EXPECT_EQ(view.selectedNode(), nullptr);

    click(view, Qt::RightButton, {700, 500});
    EXPECT_EQ(cursor(), Qt::ArrowCursor);
    // Discarded: the next press on a free input starts a cable instead of ending one there.
    click(view, Qt::RightButton, portCentreOnScreen(view, mixing, 1));
    EXPECT_EQ(cursor(), Qt::CrossCursor);
    EXPECT_EQ(material.getCableCount(), 1u);
    EXPECT_TRUE(log.fired.empty());
}

TEST_F(NodesViewTest, DeleteRemovesTheSelectionButNeverACollector) {
    VisualNode& output = add(collector, {300, 100});
    VisualNode& source = add(checkerboard, {100, 100});
    const VisualNode& other = add(checkerboard, {100, 300});
    material.connect(source, -1, output, 0);

    click(view, Qt::LeftButton, onScreen(view, output, {50, 80}));
    key(view, Qt::Key_Delete);
    EXPECT_EQ(material.getNodeCount(), 3u);
    EXPECT_EQ(log.fired, std::vector<std::string>{"selection"});
    EXPECT_EQ(stack.count(), 0);

    // The cable's lowest point, between the two boxes, selects it.
    const CableCurve curve =
        cableCurveBetween(onScreen(view, source, {0, 0}), onScreen(view, output, {0, 0}), 0, 1);
    click(view, Qt::LeftButton, curve[49]);
    ASSERT_NE(view.selectedCable(), nullptr);
    key(view, Qt::Key_Delete);
    EXPECT_EQ(material.getCableCount(), 0u);

    click(view, Qt::LeftButton, onScreen(view, other, {50, 80}));
    key(view, Qt::Key_Delete);
    EXPECT_EQ(material.getNodeCount(), 2u);
    EXPECT_EQ(view.selectedNode(), nullptr);
    EXPECT_EQ(log.fired, (std::vector<std::string>{"selection", "selection", "selection", "change",
                                                   "selection", "selection", "change"}));
    stack.undo();
    stack.undo();
    EXPECT_EQ(material.getNodeCount(), 3u);
    EXPECT_EQ(material.getCableCount(), 1u);
}

TEST_F(NodesViewTest, ACableNearANodeIsSelectedAndTheNodeDragged) {
    VisualNode& source = add(checkerboard, {100, 100});
    VisualNode& target = add(mixer, {300, 100});
    material.connect(source, -1, target, 0);
    // The cable's first point is the output's centre, inside the source's box.
    const Point output = portCentreOnScreen(view, source, -1);
    drag(view, output, {output.x + 10, output.y + 20});
    EXPECT_NE(view.selectedCable(), nullptr);
    EXPECT_EQ(source.getPosition(), (Point{110, 120}));
}

TEST_F(NodesViewTest, TheNodeMenuOffersItsCommands) {
    add(checkerboard, {100, 100});
    QStringList texts;
    std::vector<bool> enabled;
    whenOpen([&](QWidget& open) {
        for (QAction* action : open.actions()) {
            if (!action->isSeparator()) {
                texts << action->text();
                enabled.push_back(action->isEnabled());
            }
        }
        open.close();
    });
    click(view, Qt::RightButton, {150, 180});
    EXPECT_EQ(texts, (QStringList{"old", "&Show result window", "&Rename...", "&Delete", "Double the size",
                                  "Half the size", "Custom size..."}));
    EXPECT_EQ(enabled, (std::vector<bool>{false, true, true, true, true, true, false}));
    EXPECT_EQ(log.fired, std::vector<std::string>{"selection"});
}

TEST_F(NodesViewTest, SizeCommandsAskForDoubleOrHalfAndProbeAsksForAWindow) {
    view.selectNode(add(checkerboard, {100, 100}, {1, 1}));
    view.halveSelectedSize();
    view.selectNode(add(checkerboard, {300, 100}, {5, 3}));
    view.halveSelectedSize();
    view.doubleSelectedSize();
    view.probeSelectedNode();
    EXPECT_EQ(log.sizes, (std::vector<Point>{{1, 1}, {2, 1}, {10, 6}}));
    EXPECT_EQ(log.fired,
              (std::vector<std::string>{"selection", "resize", "selection", "resize", "resize", "probe"}));
    EXPECT_EQ(material.getNode(1).getSize(), (Point{5, 3})); // the listener resizes, not the canvas
}

TEST_F(NodesViewTest, RenamingIsOneStepAndTellsNoListener) {
    const VisualNode& node = add(checkerboard, {100, 100});
    view.selectNode(node);
    log.fired.clear();
    whenOpen([](QWidget& open) {
        auto* edit = open.findChild<QLineEdit*>();
        EXPECT_EQ(open.windowTitle(), "Rename node...");
        EXPECT_EQ(edit->selectedText(), "old");
        EXPECT_EQ(edit->maxLength(), RenameDialog::maxNameLength);
        edit->setText("new & better");
        static_cast<QDialog&>(open).accept();
    });
    view.renameSelectedNode();
    EXPECT_EQ(node.getName(), "new & better");
    whenOpen([](QWidget& open) { static_cast<QDialog&>(open).reject(); });
    view.renameSelectedNode();
    EXPECT_EQ(node.getName(), "new & better");
    EXPECT_TRUE(log.fired.empty());
    stack.undo();
    EXPECT_EQ(node.getName(), "old");
}

// Ctrl+click and Shift+drag select several nodes; dragging one moves them all as one step, a click on
// one of them selects it alone, and Delete takes all but the collectors as one step.
TEST_F(NodesViewTest, SeveralNodesAreSelectedMovedAndDeletedTogether) {
    VisualNode& a = add(checkerboard, {100, 100});
    VisualNode& b = add(mixer, {300, 100});
    VisualNode& c = add(collector, {300, 300});
    click(view, Qt::LeftButton, {150, 150});
    click(view, Qt::LeftButton, {350, 150}, Qt::ControlModifier);
    EXPECT_EQ(view.selectedNodes(), (std::vector<const VisualNode*>{&a, &b}));
    EXPECT_EQ(view.selectedNode(), nullptr); // no panel for several
    click(view, Qt::LeftButton, {350, 150}, Qt::ControlModifier);
    EXPECT_EQ(view.selectedNode(), &a); // one left: as if clicked

    drag(view, {80, 80}, {420, 320}, Qt::ShiftModifier); // touches all three boxes
    EXPECT_EQ(view.selectedNodes().size(), 3u);
    drag(view, {350, 150}, {360, 170});
    EXPECT_EQ(a.getPosition(), (Point{110, 120}));
    EXPECT_EQ(c.getPosition(), (Point{310, 320}));
    EXPECT_EQ(stack.count(), 1);
    stack.undo();
    EXPECT_EQ(b.getPosition(), (Point{300, 100}));

    key(view, Qt::Key_Delete);
    EXPECT_EQ(material.getNodeCount(), 1u); // the collector stays
    EXPECT_EQ(stack.count(), 1);
    stack.undo();
    EXPECT_EQ(material.getNodeCount(), 3u);

    view.selectNodes({a.getId(), b.getId()});
    click(view, Qt::LeftButton, {150, 150});
    EXPECT_EQ(view.selectedNode(), &a);
}

// New nodes go to the free place nearest the spawn point, in view, never onto one another.
TEST_F(NodesViewTest, NewNodesFindAFreePlaceInView) {
    EXPECT_EQ(view.freeSpawnPoint(), view.spawnPoint());
    std::vector<Point> placed;
    for (int i = 0; i < 8; ++i) {
        const Point place = view.freeSpawnPoint();
        for (const Point other : placed) {
            EXPECT_TRUE(std::abs(other.x - place.x) > 102 || std::abs(other.y - place.y) > 102) << i;
        }
        EXPECT_TRUE(place.x >= 0 && place.y >= 0 && place.x + 102 <= 800 && place.y + 102 <= 600) << i;
        add(checkerboard, place);
        placed.push_back(place);
    }
}
