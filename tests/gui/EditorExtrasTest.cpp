#include "CanvasDriver.h"
#include "ScriptedDialogs.h"
#include "WindowParts.h"
#include "gui/canvas/CanvasPainter.h"
#include "gui/canvas/NodesView.h"
#include "gui/common/ImageConversion.h"
#include "gui/main/MainWindow.h"
#include "gui/preview/PreviewWindow.h"
#include "io/PackedExport.h"
#include "model/OperatorNodes.h"

#include <QLabel>
#include <algorithm>
#include <gtest/gtest.h>

namespace {

// A checkerboard beside the five collectors.
class EditorExtrasTest : public testing::Test {
protected:
    void SetUp() override {
        window.resize(1100, 800);
        Material& material = window.getDocument().getMaterial();
        board = &material.addNode("Board", nodeTypes[1], {256, 256}, {300, 300});
    }
    void renderBoard() {
        NullProgress quiet;
        window.getDocument().getMaterial().renderCollector(*board, quiet);
        canvasOf(window).refreshThumbnails();
    }
    void TearDown() override {
        window.getDocument().getUndoStack().setClean();
        HelperWindow::closeAll();
    }
    // The board's thumbnail as the canvas shows it, and as its image says it should be.
    QImage shownThumbnail() {
        const QRect area = CanvasPainter::thumbnailArea(onScreen(canvasOf(window), *board, {0, 0}), 0);
        const QImage expected = expectedThumbnail();
        const QPoint corner(area.left() + (area.width() - expected.width()) / 2,
                            area.top() + (area.height() - expected.height()) / 2);
        return canvasOf(window)
            .grab()
            .toImage()
            .copy(QRect(corner, expected.size()))
            .convertToFormat(QImage::Format_RGB32);
    }
    QImage expectedThumbnail() {
        const QSize area = CanvasPainter::thumbnailArea({0, 0}, 0).size();
        return thumbnailOf(board->getOperator().getImage(), area);
    }

    MaterialData data;
    ScriptedDialogs dialogs;
    MainWindow window{data, &dialogs};
    VisualNode* board = nullptr;
};

} // namespace

TEST_F(EditorExtrasTest, ThumbnailsFollowTheImageAndLeaveNoTraceWhenOff) {
    renderBoard();
    const QImage before = shownThumbnail();
    EXPECT_EQ(before, expectedThumbnail());
    window.getDocument().getMaterial().setParameter(board->getId(), 0, std::int32_t{3});
    renderBoard();
    EXPECT_EQ(shownThumbnail(), expectedThumbnail());
    EXPECT_NE(shownThumbnail(), before);

    // Off, the canvas is what a canvas without the annotations draws.
    NodesView plain(window.getDocument().getMaterial(), window.getDocument().getUndoStack());
    plain.resize(canvasOf(window).size());
    canvasOf(window).setThumbnailsShown(false);
    canvasOf(window).setPackedBytesShown(false);
    EXPECT_EQ(canvasOf(window).grab().toImage(), plain.grab().toImage());
    canvasOf(window).setThumbnailsShown(true);
    EXPECT_NE(canvasOf(window).grab().toImage(), plain.grab().toImage());
}

TEST_F(EditorExtrasTest, ThePackedSizeIsTheExportsAndTurnsRedBeyondTheBudget) {
    window.getDocument().getMaterial().connect(*board, -1, window.getDocument().getMaterial().getNode(0), 0);
    const std::size_t exported = exportPacked(window.getDocument().getMaterial()).size();
    EXPECT_EQ(labelOf(window, "packedSize").text(), QString("Packed size: %1 bytes").arg(exported));
    dialogs.numbers = {static_cast<int>(exported) - 1};
    window.askPackedBudget();
    EXPECT_EQ(labelOf(window, "packedSize").text(),
              QString("Packed size: %1 bytes of %2").arg(exported).arg(exported - 1));
    EXPECT_TRUE(labelOf(window, "packedSize").styleSheet().contains("color"));
    // Every edit counts again: a collector with an input carries one more byte, its input's index.
    Material& material = window.getDocument().getMaterial();
    material.connect(*board, -1, material.getNode(1), 0);
    EXPECT_EQ(labelOf(window, "packedSize").text(),
              QString("Packed size: %1 bytes of %2").arg(exported + 1).arg(exported - 1));
    dialogs.numbers = {0};
    window.askPackedBudget();
    EXPECT_FALSE(labelOf(window, "packedSize").styleSheet().contains("color"));
}

TEST_F(EditorExtrasTest, ThePreviewShadesOrSaysWhatIsMissing) {
    window.getDocument().getMaterial().connect(*board, -1, window.getDocument().getMaterial().getNode(0), 0);
    window.getDocument().renderAll();
    ASSERT_TRUE(window.getDocument().waitForRender());
    window.showPreview();
    auto* preview = window.findChild<PreviewWindow*>();
    ASSERT_NE(preview, nullptr);
    EXPECT_FALSE(preview->getView().getProblem().has_value());
    preview->getView().waitUntilShaded();
    EXPECT_EQ(preview->getView().getShaded().getWidth(), 256);
    // Without strength only the ambient share of each diffuse byte is left: at most 0.2 * 255.
    preview->strengthSlider().setValue(0);
    preview->getView().waitUntilShaded();
    const Velvor::Image dark = preview->getView().getShaded();
    EXPECT_TRUE(std::all_of(dark.getPixels(), dark.getPixels() + dark.getPixelCount(), [](Velvor::Pixel p) {
        return Velvor::redOf(p) <= 51 && Velvor::greenOf(p) <= 51 && Velvor::blueOf(p) <= 51;
    }));

    Material& material = window.getDocument().getMaterial();
    material.removeNode(&material.getNode(3)); // "Normal map"
    window.getDocument().renderAll();
    ASSERT_TRUE(window.getDocument().waitForRender());
    ASSERT_TRUE(preview->getView().getProblem().has_value());
    EXPECT_TRUE(preview->getView().getProblem()->contains("Normal map"));
    preview->getView().grab(); // painting the message raises nothing
}
