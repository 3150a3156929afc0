#include "PngDecoding.h"
#include "ScriptedDialogs.h"
#include "WindowParts.h"
#include "base/Progress.h"
#include "gui/windows/HelpWindow.h"
#include "gui/windows/LogWindow.h"
#include "gui/windows/ProgressReporter.h"
#include "gui/windows/ResultView.h"
#include "gui/windows/ResultWindow.h"
#include "model/Material.h"
#include "model/OperatorNodes.h"

#include <QAction>
#include <QCoreApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QTextBrowser>
#include <filesystem>

namespace {

QTextBrowser& browserOf(HelpWindow& window) {
    return *window.findChild<QTextBrowser*>();
}

// A 256 x 256 image whose displayed top-left pixel is red and the rest blue, in a 600 x 350 view.
class ResultWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        VisualNode& node = material.addNode("Probe", *findNodeType(1), {256, 256});
        id = node.getId();
        Velvor::Image& image = node.getOperator().getImage();
        for (int i = 0; i < image.getPixelCount(); ++i) {
            image.getPixels()[i] = 0x000000FFu; // alpha 0: must not matter
        }
        image.row(255)[0] = 0x00FF0000u; // image row 255 is the top row shown
    }
    void TearDown() override { HelperWindow::closeAll(); }

    QImage shown(ResultWindow& window) {
        window.redraw(); // as after a render
        window.getView().resize(600, 350);
        return window.getView().grab().toImage();
    }
    static bool red(const QImage& image, int x, int y) { return image.pixel(x, y) == qRgb(255, 0, 0); }

    Material material{Material::Empty{}};
    NodeId id{};
    ResultWindowRegistry registry;
    ScriptedDialogs dialogs;
};

} // namespace

TEST_F(ResultWindowTest, TilesStartTopLeftAndAreCutAtTheEdges) {
    auto* window = new ResultWindow(nullptr, material, id, registry, dialogs);
    EXPECT_EQ(window->windowTitle(), "Result: Probe");
    const QImage tiled = shown(*window);
    for (const int x : {0, 256, 512}) {
        for (const int y : {0, 256}) {
            EXPECT_TRUE(red(tiled, x, y)) << x << "," << y;
        }
    }
    EXPECT_EQ(tiled.pixel(1, 0), qRgb(0, 0, 255));
    EXPECT_EQ(tiled.pixel(599, 349), qRgb(0, 0, 255)); // cut copies still fill the view

    actionOf(*window, "&Tiled")->trigger();
    const QImage single = shown(*window);
    EXPECT_TRUE(red(single, 0, 0));
    EXPECT_FALSE(actionOf(*window, "&Tiled")->isChecked());
    const QRgb fill = window->getView().palette().color(QPalette::Base).rgb();
    EXPECT_EQ(single.pixel(256, 0), fill);
    EXPECT_EQ(single.pixel(0, 256), fill);
    EXPECT_EQ(single.pixel(255, 255), qRgb(0, 0, 255));

    // A second window of the same node keeps its own setting; toggling twice returns to tiled.
    auto* other = new ResultWindow(nullptr, material, id, registry, dialogs);
    EXPECT_TRUE(other->getView().isTiled());
    actionOf(*window, "&Tiled")->trigger();
    EXPECT_TRUE(window->getView().isTiled());
    EXPECT_TRUE(actionOf(*window, "&Tiled")->isChecked());
    EXPECT_EQ(registry.getObserverCount(), 2u);
}

TEST_F(ResultWindowTest, ExportSavesTheImageAndADeletedNodeShowsOnlyTheFill) {
    auto* window = new ResultWindow(nullptr, material, id, registry, dialogs);
    const std::string path = (std::filesystem::temp_directory_path() / "velvor-result-export.png").string();
    dialogs.files.push_back(path);
    ASSERT_TRUE(actionOf(*window, "&Export bitmap...")->isEnabled());
    actionOf(*window, "&Export bitmap...")->trigger();
    const Picture picture = decode(path);
    ASSERT_EQ(picture.width, 256u);
    EXPECT_EQ(picture.at(0, 0)[0], 255); // the red corner, top-left as displayed
    std::filesystem::remove(path);
    // Rendered again at the same size, the picture follows.
    material.findNode(id)->getOperator().getImage().row(255)[1] = 0x00FF0000u;
    EXPECT_TRUE(red(shown(*window), 1, 0));

    // A node deleted while its window is open leaves the window empty, not dangling.
    RemovedNode removed = material.removeNode(material.findNode(id));
    const QImage empty = shown(*window);
    EXPECT_EQ(empty.pixel(0, 0), window->getView().palette().color(QPalette::Base).rgb());
    // Back in the material, it is drawn again (here by hand, as a render would).
    material.restoreNode(std::move(removed)).getOperator().getImage().row(255)[0] = 0x00FF0000u;
    EXPECT_TRUE(red(shown(*window), 0, 0));

    QPointer<ResultWindow> watch = window;
    window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(watch.isNull());
    EXPECT_EQ(registry.getObserverCount(), 0u);
}

TEST(LogWindowTest, EachOpenWindowGetsTheLinesLoggedAfterItOpened) {
    QLabel status;
    QProgressBar bar;
    VelvorGUI::ProgressReporter reporter(status, bar);
    reporter.message("before");
    auto* first = new LogWindow(reporter);
    reporter.message("a");
    auto* second = new LogWindow(reporter);
    reporter.message("b");
    EXPECT_EQ(first->getText(), "a\r\nb\r\n");
    EXPECT_EQ(second->getText(), "b\r\n");
    EXPECT_EQ(first->findChild<QPlainTextEdit*>()->toPlainText(), "a\nb");
    EXPECT_EQ(first->windowTitle(), "Log...");
    EXPECT_EQ(status.text(), "b");
    EXPECT_EQ(reporter.getMessages(), (std::vector<std::string>{"before", "a", "b"}));
    HelperWindow::closeAll();
    EXPECT_EQ(reporter.getObserverCount(), 0u);

    reporter.start(0);
    EXPECT_EQ(bar.maximum(), 100);
    reporter.start(3);
    for (int i = 0; i < 5; ++i) {
        reporter.step(); // visits may outnumber the announced total
    }
    EXPECT_EQ(bar.value(), 3);
}

// The render runs beside the event loop: its steps leave the bar's paint to the window's next one.
TEST(ProgressReporterTest, StepsPaintTheBarOnlyWithTheNextFrame) {
    struct PaintCount : QObject {
        int paints = 0;
        bool eventFilter(QObject*, QEvent* event) override {
            paints += event->type() == QEvent::Paint ? 1 : 0;
            return false;
        }
    } count;
    QLabel status;
    QProgressBar bar;
    bar.show();
    QCoreApplication::processEvents();
    bar.installEventFilter(&count);
    VelvorGUI::ProgressReporter reporter(status, bar);
    reporter.start(3);
    reporter.step();
    reporter.finish();
    EXPECT_EQ(count.paints, 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(count.paints, 1);
    EXPECT_EQ(bar.value(), 3);
}

TEST(HelpWindowTest, OpensAtTheStartWithNothingSelected) {
    auto* first = new HelpWindow;
    auto* second = new HelpWindow;
    EXPECT_EQ(first->windowTitle(), "ostra.Tools: Velvor / Help");
    for (HelpWindow* window : {first, second}) {
        EXPECT_TRUE(browserOf(*window).toPlainText().startsWith("Velvor Quick Help"));
        EXPECT_FALSE(browserOf(*window).textCursor().hasSelection());
        EXPECT_EQ(browserOf(*window).textCursor().position(), 0);
    }
    for (const char* topic : {"panning", "Creating new cables", "Show result window", "Undo"}) {
        EXPECT_TRUE(browserOf(*first).toPlainText().contains(topic)) << topic;
    }
    HelperWindow::closeAll();
}
