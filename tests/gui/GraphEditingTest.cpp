// The canvas's graph editing beyond single gestures: the clipboard, the add-node search, inserting
// a node on a cable and connecting by a right-button drag.

#include "MainWindowFixture.h"
#include "gui/canvas/NodeSearch.h"
#include "gui/undo/CableCommands.h"
#include "gui/undo/NodeCommands.h"

#include <QClipboard>
#include <QLineEdit>
#include <QMimeData>

namespace {

class GraphEditingTest : public MainWindowTest {
protected:
    Material& material() { return window.getDocument().getMaterial(); }
    NodesView& canvas() { return canvasOf(window); }

    // A node of the type with that id.
    VisualNode& add(int typeId, Point position, const std::string& name = "Unnamed") {
        const auto row = static_cast<std::size_t>(
            std::find_if(nodeTypes.begin(), nodeTypes.end(),
                         [typeId](const NodeTypeInfo& type) { return type.id == typeId; }) -
            nodeTypes.begin());
        auto& stack = window.getDocument().getUndoStack();
        auto command =
            std::make_unique<AddNodeCommand>(material(), name, nodeTypes[row], Point{256, 256}, position);
        AddNodeCommand& added = *command;
        pushEdit(stack, std::move(command));
        return *material().findNode(*added.getNodeId());
    }
    void connect(const VisualNode& from, const VisualNode& to, int port) {
        pushEdit(window.getDocument().getUndoStack(),
                 std::make_unique<ConnectCommand>(material(), from.getId(), -1, to.getId(), port));
    }
    // A key as the active window receives it, shortcuts included.
    static void press(QWidget& target, Qt::Key key, Qt::KeyboardModifiers modifiers) {
        target.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&target));
        QTest::keyClick(target.windowHandle(), key, modifiers);
    }
    // Types into the open search box and presses Enter.
    static void search(const char* typed) {
        auto* field = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        ASSERT_NE(field, nullptr);
        ASSERT_EQ(field->parentWidget()->objectName(), "nodeSearch");
        QTest::keyClicks(field, typed);
        QTest::keyClick(field, Qt::Key_Return);
    }
    // A right-button drag: press, three moves, release.
    void rightDrag(Point from, Point to) {
        sendMouse(canvas(), QEvent::MouseButtonPress, Qt::RightButton, Qt::RightButton, from);
        for (int step = 1; step <= 3; ++step) {
            sendMouse(canvas(), QEvent::MouseMove, Qt::NoButton, Qt::RightButton,
                      {from.x + (to.x - from.x) * step / 3, from.y + (to.y - from.y) * step / 3});
        }
        sendMouse(canvas(), QEvent::MouseButtonRelease, Qt::RightButton, Qt::NoButton, to);
    }
    static std::vector<std::string> namesOf(const std::vector<const VisualNode*>& nodes) {
        std::vector<std::string> names;
        for (const VisualNode* node : nodes) {
            names.push_back(node->getName());
        }
        return names;
    }
    // Each cable as "from>to:port".
    static std::vector<std::string> cablesOf(const Material& material) {
        std::vector<std::string> cables;
        for (std::size_t i = 0; i < material.getCableCount(); ++i) {
            const Cable& cable = material.getCable(i);
            cables.push_back(cable.getFrom().getName() + ">" + cable.getTo().getName() + ":" +
                             std::to_string(cable.getToPort()));
        }
        return cables;
    }
};

TEST_F(GraphEditingTest, CopiedNodesPasteIntoAnotherEditorAtTheMouseAsOneStep) {
    VisualNode& board = add(1, {300, 20});
    VisualNode& mixer = add(2, {450, 20});
    connect(board, mixer, 0);
    connect(mixer, *named("Diffuse map"), 0);
    canvas().selectNodes({board.getId(), mixer.getId(), named("Diffuse map")->getId()});
    press(window, Qt::Key_C, Qt::ControlModifier);
    const QMimeData* copied = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(copied, nullptr);
    ASSERT_TRUE(copied->hasFormat(NodesView::nodesMimeType));
    EXPECT_TRUE(copied->text().startsWith("<velvorMaterial>")); // readable in a text editor

    MaterialData otherData;
    MainWindow other{otherData, &dialogs};
    other.resize(1100, 800);
    other.show();
    Material& target = other.getDocument().getMaterial();
    NodesView& otherCanvas = canvasOf(other);
    add(1, {0, 0}); // a name the paste must not repeat is in the first editor only
    pushEdit(
        other.getDocument().getUndoStack(),
        std::make_unique<AddNodeCommand>(target, "Unnamed", nodeTypes[1], Point{64, 64}, Point{600, 400}));
    hover(otherCanvas, {400, 300});
    press(other, Qt::Key_V, Qt::ControlModifier);

    // The Diffuse map's slot is taken there: its collector and the cable into it stay out.
    ASSERT_EQ(target.getNodeCount(), 8u);
    EXPECT_EQ(namesOf(otherCanvas.selectedNodes()), (std::vector<std::string>{"Unnamed 2", "Unnamed 3"}));
    EXPECT_EQ(cablesOf(target), (std::vector<std::string>{"Unnamed 2>Unnamed 3:0"}));
    const Point at = unscaledPoint({400, 300}, otherCanvas.getZoom());
    const Point expected{at.x - otherCanvas.getPanning().x, at.y - otherCanvas.getPanning().y};
    EXPECT_EQ(target.getNode(6).getPosition(), expected);
    EXPECT_EQ(target.getNode(7).getPosition(), (Point{expected.x + 150, expected.y}));
    EXPECT_NE(target.getNode(6).getId(), board.getId());

    other.getDocument().undo();
    EXPECT_EQ(target.getNodeCount(), 6u);
    other.getDocument().redo();
    EXPECT_EQ(cablesOf(target), (std::vector<std::string>{"Unnamed 2>Unnamed 3:0"}));
    other.getDocument().getUndoStack().setClean();
}

TEST_F(GraphEditingTest, TextThatIsNoFragmentIsRefusedAndPlainXmlIsTaken) {
    const int steps = window.getDocument().getUndoStack().count();
    for (const char* text : {"hello", "<velvorMaterial><nodes/></velvorMaterial>", "<other/>"}) {
        QGuiApplication::clipboard()->setText(text);
        canvas().paste();
        EXPECT_EQ(material().getNodeCount(), 5u) << text;
        EXPECT_TRUE(labelOf(window, "status").text().startsWith("Nothing pasted")) << text;
    }
    EXPECT_EQ(window.getDocument().getUndoStack().count(), steps);

    QGuiApplication::clipboard()->setText(
        R"(<velvorMaterial><nodes><subplasma id="4" typeId="3" name="Noise" size="32,32" position="0,0"/>)"
        R"(<normalmap id="7" typeId="6" name="Bumps" size="32,32" position="200,0"/></nodes>)"
        R"(<cables><cable fromNode="4" toNode="7" toPort="0"/></cables></velvorMaterial>)");
    canvas().paste();
    EXPECT_EQ(cablesOf(material()), (std::vector<std::string>{"Noise>Bumps:0"}));
}

TEST_F(GraphEditingTest, DuplicateKeepsTheCablesAmongTheNodesAndWithInputsThoseEnteringToo) {
    VisualNode& board = add(1, {300, 20}, "Board");
    VisualNode& plasma = add(3, {300, 200}, "Plasma");
    VisualNode& mixer = add(2, {450, 100}, "Mix");
    connect(board, mixer, 0);
    connect(plasma, mixer, 1);
    connect(mixer, *named("Diffuse map"), 0);

    canvas().selectNodes({mixer.getId(), named("Diffuse map")->getId()});
    press(window, Qt::Key_D, Qt::ControlModifier | Qt::ShiftModifier);
    ASSERT_EQ(material().getNodeCount(), 9u); // the collector is not duplicated
    EXPECT_EQ(material().getNode(8).getPosition(), (Point{480, 130}));
    EXPECT_EQ(cablesOf(material()).size(), 5u);
    EXPECT_EQ(cablesOf(material())[3], "Board>Mix 2:0");
    EXPECT_EQ(cablesOf(material())[4], "Plasma>Mix 2:1");

    canvas().selectNodes({board.getId(), mixer.getId()});
    press(window, Qt::Key_D, Qt::ControlModifier);
    EXPECT_EQ(material().getNodeCount(), 11u);
    EXPECT_EQ(cablesOf(material()).back(), "Board 2>Mix 3:0");

    canvas().selectNodes({board.getId()});
    press(window, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(material().findNode(board.getId()), nullptr);
    hover(canvas(), {700, 500});
    press(window, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(material().getNodeCount(), 11u);
}

TEST(NodeSearchTest, TypesAreFoundByNameAndByTheWordsUsersKnowThemBy) {
    const auto names = [](std::string_view typed) {
        std::vector<std::string_view> found;
        for (const std::size_t row : matchingNodeTypes(typed)) {
            found.push_back(nodeTypes[row].name);
        }
        return found;
    };
    using Names = std::vector<std::string_view>;
    EXPECT_EQ(names("noise"), Names{"Subplasma"});
    EXPECT_EQ(names("BLEND"), Names{"Mixer"});
    EXPECT_EQ(names("warp"), Names{"Displacement"});
    EXPECT_EQ(names("bump"), Names{"NormalMap"});
    EXPECT_EQ(names("label"), Names{"Text"});
    EXPECT_EQ(names("checker"), Names{"Checkerboard"});
    EXPECT_EQ(names("collector"), Names{});
    EXPECT_EQ(names("").size(), 6u);
    EXPECT_EQ(names("m").front(), "Mixer"); // a name starting with the text comes first
}

TEST_F(GraphEditingTest, TheSearchAddsAtTheMouseAndADraggedCableEndsInTheNewNode) {
    hover(canvas(), {500, 400});
    QTest::keyClick(&canvas(), Qt::Key_Space);
    search("noise");
    const VisualNode& plasma = material().getNode(5);
    EXPECT_EQ(plasma.getTypeId(), 3);
    EXPECT_EQ(canvas().selectedNode(), &plasma);
    EXPECT_EQ(onScreen(canvas(), plasma, {51, 51}), (Point{500, 400}));

    // A right drag from its output to empty canvas: the box opens there, the new node is joined.
    rightDrag(portCentreOnScreen(canvas(), plasma, -1), {700, 300});
    search("bump");
    ASSERT_EQ(material().getNodeCount(), 7u);
    EXPECT_EQ(cablesOf(material()), (std::vector<std::string>{"Unnamed>Unnamed:0"}));
    EXPECT_EQ(material().getNode(6).getTypeId(), 6);
    window.getDocument().undo(); // one step: node and cable
    EXPECT_EQ(material().getNodeCount(), 6u);
    EXPECT_EQ(material().getCableCount(), 0u);

    // A right drag released on an accepting port connects there; a right click still starts a cable.
    const VisualNode& diffuse = *named("Diffuse map");
    rightDrag(portCentreOnScreen(canvas(), plasma, -1), portCentreOnScreen(canvas(), diffuse, 0));
    EXPECT_EQ(cablesOf(material()), (std::vector<std::string>{"Unnamed>Diffuse map:0"}));
    click(canvas(), Qt::RightButton, portCentreOnScreen(canvas(), plasma, -1));
    EXPECT_TRUE(canvas().cancelGesture());
}

TEST_F(GraphEditingTest, AFreeNodeDroppedOnACableGoesInBetweenAsOneStep) {
    VisualNode& board = add(1, {0, 300}, "Board");
    VisualNode& normals = add(6, {600, 300}, "Normals");
    VisualNode& mixer = add(2, {300, 0}, "Mix");
    connect(board, normals, 0);
    const std::size_t steps = static_cast<std::size_t>(window.getDocument().getUndoStack().count());

    // Dragged across the cable and let go beyond it, the node stays out.
    const Point grip = onScreen(canvas(), mixer, {51, 90});
    drag(canvas(), grip, {grip.x, grip.y + 900});
    EXPECT_EQ(cablesOf(material()), (std::vector<std::string>{"Board>Normals:0"}));
    window.getDocument().undo();

    // Let go with the box's middle on the cable's middle.
    const CableCurve curve = cableCurveBetween(unscaledOnScreen(canvas(), board, {0, 0}),
                                               unscaledOnScreen(canvas(), normals, {0, 0}), 0, 1);
    const Point middle = pixelOf(curve[cableCurvePointCount / 2], canvas().getZoom());
    drag(canvas(), grip, {middle.x, middle.y + 39});
    EXPECT_EQ(cablesOf(material()), (std::vector<std::string>{"Board>Mix:0", "Mix>Normals:0"}));
    EXPECT_EQ(static_cast<std::size_t>(window.getDocument().getUndoStack().count()), steps + 1);
    window.getDocument().undo();
    EXPECT_EQ(cablesOf(material()), (std::vector<std::string>{"Board>Normals:0"}));
    EXPECT_EQ(mixer.getPosition(), (Point{300, 0}));
}

} // namespace
