#include "CanvasDriver.h"
#include "ScriptedDialogs.h"
#include "WindowParts.h"
#include "base/File.h"
#include "gui/canvas/NodesView.h"
#include "gui/main/MainWindow.h"
#include "gui/undo/NodeCommands.h"
#include "io/MaterialXml.h"

#include <QDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <gtest/gtest.h>
#include <memory>
#include <random>

namespace {

// Far from every node: a right press here ends a cable without connecting it.
constexpr Point nowhere{-30000, -30000};

class CanvasUndoTest : public testing::TestWithParam<unsigned> {
protected:
    void SetUp() override {
        window.getDocument().setAutoRender(false); // the edits are what is checked, not the pictures
        window.resize(1040, 940);
    }

    int below(std::size_t bound) { return static_cast<int>(random() % bound); }
    VisualNode& anyNode() { return material.getNode(below(material.getNodeCount())); }

    // One edit as a user makes it on the canvas (or, for a new node, as the node list will).
    void randomEdit() {
        NodesView& view = canvasOf(window);
        const int kind = below(7);
        if (kind == 0) {
            const Point from = onScreen(view, anyNode(), {50, 80});
            drag(view, from, {from.x + below(401) - 200, from.y + below(401) - 200});
        } else if (const VisualNode& source = anyNode(), &target = anyNode();
                   kind == 1 && source.hasOutput()) {
            click(view, Qt::RightButton, portCentreOnScreen(view, source, -1));
            if (target.getInputCount() > 0) {
                click(view, Qt::RightButton, portCentreOnScreen(view, target, below(target.getInputCount())));
            }
            click(view, Qt::RightButton, nowhere); // drops a refused cable
        } else if (kind == 2 || kind == 3) {
            if (kind == 2 || material.getCableCount() == 0) {
                click(view, Qt::LeftButton, onScreen(view, source, {50, 80}));
            } else {
                const Cable& cable = material.getCable(below(material.getCableCount()));
                const Point from = onScreen(view, cable.getFrom(), {0, 0}),
                            to = onScreen(view, cable.getTo(), {0, 0});
                click(view, Qt::LeftButton,
                      cableCurveBetween(from, to, cable.getToPort(), cable.getTo().getInputCount())[30]);
            }
            QKeyEvent press(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
            QApplication::sendEvent(&view, &press);
        } else if (kind == 4) {
            view.selectNode(source);
            const QString name = QString::number(random(), 36);
            whenOpen([name](QWidget& open) {
                open.findChild<QLineEdit*>()->setText(name);
                static_cast<QDialog&>(open).accept();
            });
            view.renameSelectedNode();
        } else if (kind == 5) {
            view.selectNode(source);
            source.getSize().x <= 512 && below(2) == 0 ? view.doubleSelectedSize() : view.halveSelectedSize();
        } else if (kind == 6) {
            pushEdit(stack,
                     std::make_unique<AddNodeCommand>(material, "Unnamed", nodeTypes[below(nodeTypes.size())],
                                                      Point{512, 512}, view.spawnPoint()));
        }
    }

    MaterialData data{readFile(VELVOR_SOURCE_DIR "/examples/tiles.ostra-material"), {}};
    ScriptedDialogs dialogs;
    MainWindow window{data, &dialogs};
    Material& material = window.getDocument().getMaterial();
    QUndoStack& stack = window.getDocument().getUndoStack();
    std::mt19937 random{GetParam()};
};

} // namespace

TEST_P(CanvasUndoTest, UndoingEveryEditGivesBackTheFileAndRedoingGivesTheEditedOne) {
    const std::string start = materialToXml(material);
    for (int i = 0; i < 40; ++i) {
        randomEdit();
    }
    const std::string edited = materialToXml(material);
    EXPECT_GT(stack.count(), 20);
    ASSERT_NE(edited, start);
    stack.setIndex(0);
    EXPECT_EQ(materialToXml(material), start);
    stack.setIndex(stack.count());
    EXPECT_EQ(materialToXml(material), edited);
}

INSTANTIATE_TEST_SUITE_P(Seeds, CanvasUndoTest, testing::Values(1u, 2u, 3u));
