#include "CanvasDriver.h"
#include "ScriptedPrompt.h"
#include "gui/CanvasWindow.h"
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
        ScriptedPrompt prompt;
        ASSERT_EQ(loadXml(material, VELVOR_SOURCE_DIR "/examples/tiles.ostra-material", prompt),
                  LoadOutcome::Complete);
        window.resize(900, 600);
    }

    int below(int bound) { return static_cast<int>(random() % static_cast<unsigned>(bound)); }
    VisualNode& anyNode() {
        return material.getNode(static_cast<std::size_t>(below(static_cast<int>(material.getNodeCount()))));
    }

    // One edit as a user makes it on the canvas (or, for a new node, as the node list will).
    void randomEdit() {
        NodesView& view = window.getCanvas();
        switch (below(7)) {
        case 0: {
            const Point from = onScreen(view, anyNode(), {50, 80});
            drag(view, from, {from.x + below(401) - 200, from.y + below(401) - 200});
            break;
        }
        case 1: {
            const VisualNode& source = anyNode();
            const VisualNode& target = anyNode();
            if (source.hasOutput() && target.getInputCount() > 0) {
                click(view, Qt::RightButton, portCentreOnScreen(view, source, -1));
                click(view, Qt::RightButton, portCentreOnScreen(view, target, below(target.getInputCount())));
                click(view, Qt::RightButton, nowhere); // ends a refused cable
            }
            break;
        }
        case 2:
        case 3: {
            if (below(2) == 0 || material.getCableCount() == 0) {
                click(view, Qt::LeftButton, onScreen(view, anyNode(), {50, 80}));
            } else {
                const Cable& cable = material.getCable(
                    static_cast<std::size_t>(below(static_cast<int>(material.getCableCount()))));
                view.selectNode(cable.getTo()); // the cable is found by its point, not by the selection
                click(view, Qt::LeftButton,
                      cableCurveBetween(onScreen(view, cable.getFrom(), {0, 0}),
                                        onScreen(view, cable.getTo(), {0, 0}), cable.getToPort(),
                                        cable.getTo().getInputCount())[30]);
            }
            QKeyEvent press(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
            QApplication::sendEvent(&view, &press);
            break;
        }
        case 4: {
            view.selectNode(anyNode());
            const QString name = QString::number(random(), 36);
            whenOpen([name](QWidget& open) {
                open.findChild<QLineEdit*>()->setText(name);
                static_cast<QDialog&>(open).accept();
            });
            view.renameSelectedNode();
            break;
        }
        case 5: {
            const VisualNode& node = anyNode();
            view.selectNode(node);
            if (node.getSize().x <= 512 && below(2) == 0) {
                view.doubleSelectedSize();
            } else {
                view.halveSelectedSize();
            }
            break;
        }
        default:
            pushEdit(stack, std::make_unique<AddNodeCommand>(material, "Unnamed",
                                                             nodeTypes[static_cast<std::size_t>(below(7))],
                                                             Point{512, 512}, view.spawnPoint()));
        }
    }

    Material material;
    QUndoStack stack;
    CanvasWindow window{material, stack};
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
