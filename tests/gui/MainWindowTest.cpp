#include "gui/main/MainWindow.h"

#include "CanvasDriver.h"
#include "PngDecoding.h"
#include "ScriptedDialogs.h"
#include "WindowParts.h"
#include "base/File.h"
#include "core/PackedMaterial.h"
#include "gui/canvas/NodesView.h"
#include "gui/editors/OperatorEditor.h"
#include "gui/editors/ValueEditorInt.h"
#include "gui/main/EditingRun.h"
#include "gui/windows/LogWindow.h"
#include "gui/windows/ResultView.h"
#include "io/MaterialXml.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <sstream>

namespace {

class MainWindowTest : public testing::Test {
protected:
    void SetUp() override {
        window.resize(1100, 800);
        window.show();
    }
    void TearDown() override {
        window.getDocument().getUndoStack().setClean(); // no question when the fixture closes
        HelperWindow::closeAll();
    }

    VisualNode* named(const std::string& name) {
        Material& material = window.getDocument().getMaterial();
        for (std::size_t i = 0; i < material.getNodeCount(); ++i) {
            if (material.getNode(i).getName() == name) {
                return &material.getNode(i);
            }
        }
        return nullptr;
    }
    void chooseListRow(int row) { nodeListOf(window).setCurrentRow(row); }
    std::size_t openResultWindows() const {
        return static_cast<std::size_t>(
            std::count_if(HelperWindow::openWindows().begin(), HelperWindow::openWindows().end(),
                          [](HelperWindow* open) { return dynamic_cast<ResultWindow*>(open) != nullptr; }));
    }
    static bool samePixels(const Velvor::Image& a, const Velvor::Image& b) {
        return a.sameSizeAs(b) && std::memcmp(a.getPixels(), b.getPixels(),
                                              static_cast<std::size_t>(a.getPixelCount()) * 4) == 0;
    }

    MaterialData data;
    ScriptedDialogs dialogs;
    MainWindow window{data, &dialogs};
};

} // namespace

// A whole session, as a user goes through it.
TEST_F(MainWindowTest, MakeRenderUndoAndSaveAMaterial) {
    Material& material = window.getDocument().getMaterial();
    ASSERT_EQ(material.getNodeCount(), 5u);
    NodesView& canvas = canvasOf(window);

    chooseListRow(0); // Checkerboard
    window.createSelectedNodeType();
    VisualNode* board = named("Unnamed");
    ASSERT_NE(board, nullptr);
    EXPECT_EQ(board->getTypeId(), 1);
    EXPECT_EQ(board->getSize(), (Point{256, 256}));
    EXPECT_EQ(board->getPosition(), canvas.spawnPoint());
    EXPECT_EQ(canvas.selectedNode(), board);
    ASSERT_NE(panelOf(window), nullptr);

    VisualNode& diffuse = *named("Diffuse map");
    drag(canvas, onScreen(canvas, *board, {50, 80}),
         onScreen(canvas, *board, {450, 80})); // off the collector
    window.openResultWindow(diffuse.getId());
    click(canvas, Qt::RightButton, portCentreOnScreen(canvas, *board, -1));
    click(canvas, Qt::RightButton, portCentreOnScreen(canvas, diffuse, 0));
    ASSERT_EQ(material.getCableCount(), 1u);
    ASSERT_TRUE(window.getDocument().waitForRender());
    EXPECT_EQ(labelOf(window, "status").text(), "Ready.");
    ASSERT_FALSE(diffuse.isDirty()); // auto rendering ran
    const Velvor::Image before = diffuse.getOperator().getImage();

    canvas.selectNode(*board);
    auto& blocks = dynamic_cast<ValueEditorInt&>(*panelOf(window)->getEditors().front());
    blocks.getScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
    ASSERT_TRUE(window.getDocument().waitForRender());
    EXPECT_FALSE(samePixels(diffuse.getOperator().getImage(), before));
    EXPECT_EQ(labelOf(window, "status").text(), "Ready.");

    window.getDocument().undo();
    ASSERT_TRUE(window.getDocument().waitForRender());
    EXPECT_TRUE(samePixels(diffuse.getOperator().getImage(), before));

    window.getDocument().save();
    EXPECT_TRUE(window.getDocument().getUndoStack().isClean());
    EXPECT_EQ(std::count(data.xml.begin(), data.xml.end(), '\n') > 0, true);
    for (const char* expected : {"<collector", "<checkerboard", "<cable"}) {
        EXPECT_NE(data.xml.find(expected), std::string::npos) << expected;
    }
    // The packed bytes render the diffuse map to the editor's pixels.
    Velvor::PackedMaterial packed(
        std::span(reinterpret_cast<const std::uint8_t*>(data.packed.data()), data.packed.size()));
    packed.render();
    const auto outputs = packed.getCollectors();
    ASSERT_EQ(outputs.size(), 5u);
    EXPECT_TRUE(samePixels(*outputs[0].image, diffuse.getOperator().getImage()));
}

TEST_F(MainWindowTest, TheListOffersSixTypesAndCreatesNothingWithoutASelection) {
    ASSERT_EQ(nodeListOf(window).count(), 6);
    for (int row = 0; row < 6; ++row) {
        EXPECT_NE(nodeListOf(window).item(row)->text(), "Collector");
    }
    nodeListOf(window).clearSelection();
    window.createSelectedNodeType();
    EXPECT_EQ(window.getDocument().getMaterial().getNodeCount(), 5u);
    EXPECT_EQ(window.getDocument().getUndoStack().count(), 0);
}

TEST_F(MainWindowTest, SelectionBuildsOnePanelAndProbingNeedsASelection) {
    chooseListRow(1); // Mixer
    window.createSelectedNodeType();
    OperatorEditor* panel = panelOf(window);
    ASSERT_NE(panel, nullptr);
    canvasOf(window).selectNode(*named("Unnamed"));
    EXPECT_EQ(panelOf(window), panel);
    canvasOf(window).selectNone();
    EXPECT_EQ(panelOf(window), nullptr);
    canvasOf(window).probeSelectedNode();
    EXPECT_EQ(openResultWindows(), 0u);
}

TEST_F(MainWindowTest, ClearAsksAndOpenAllFollowsTheNewMaterial) {
    chooseListRow(0);
    window.createSelectedNodeType();
    window.openAll();
    EXPECT_EQ(openResultWindows(), 5u);

    dialogs.answers = {false}; // Cancel changes nothing
    window.getDocument().clear();
    EXPECT_EQ(window.getDocument().getMaterial().getNodeCount(), 6u);
    EXPECT_EQ(openResultWindows(), 5u);

    dialogs.answers = {true};
    window.getDocument().clear();
    EXPECT_EQ(dialogs.questions.back().text, "This will clear your whole material and create a new one!");
    EXPECT_EQ(window.getDocument().getMaterial().getNodeCount(), 5u);
    EXPECT_EQ(openResultWindows(), 0u);
    window.openAll();
    EXPECT_EQ(openResultWindows(), 5u);
    // Clear is one step like any other.
    window.getDocument().undo();
    EXPECT_EQ(window.getDocument().getMaterial().getNodeCount(), 6u);
}

TEST_F(MainWindowTest, AutoRenderingToggledTwiceIsOnAgain) {
    QAction& toggle = *actionOf(window, "&Enable auto rendering");
    EXPECT_TRUE(toggle.isChecked());
    toggle.trigger();
    EXPECT_FALSE(window.getDocument().isAutoRender());
    toggle.trigger();
    EXPECT_TRUE(window.getDocument().isAutoRender());
    EXPECT_TRUE(toggle.isChecked());
}

// A failed command is reported and leaves everything as it was; a file that is no material does not
// wipe the material it was meant to replace.
TEST_F(MainWindowTest, FailuresAreShownAndChangeNothing) {
    window.openAll();
    const std::string startXml = materialToXml(window.getDocument().getMaterial());
    const int steps = window.getDocument().getUndoStack().count();
    const std::string folder = std::filesystem::temp_directory_path().string();
    dialogs.files = {folder};
    QList<QAction*> actions = window.findChildren<QAction*>();
    const auto exportAction =
        std::find_if(actions.begin(), actions.end(), [](QAction* a) { return a->text() == "&Export..."; });
    ASSERT_NE(exportAction, actions.end());
    (*exportAction)->trigger();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].caption, "Exception");
    EXPECT_EQ(
        dialogs.messages[0].text.rfind("You just received a nice exception, with the following message:\n"
                                       "Could not write file ",
                                       0),
        0u);

    const std::string junk = folder + "/velvor-not-a-material.txt";
    writeFile(junk, std::string_view("no XML here"));
    dialogs.files = {junk};
    window.getDocument().import();
    EXPECT_EQ(dialogs.messages.back().text, "Specified file is apparently not a velvor material!");
    std::filesystem::remove(junk);

    EXPECT_EQ(materialToXml(window.getDocument().getMaterial()), startXml);
    EXPECT_EQ(window.getDocument().getUndoStack().count(), steps);
    EXPECT_EQ(openResultWindows(), 5u);
}

TEST_F(MainWindowTest, ClosingWithUnsavedChangesAsks) {
    chooseListRow(0);
    window.createSelectedNodeType();
    dialogs.threeWay = {std::nullopt}; // Cancel: stays open
    window.close();
    EXPECT_TRUE(window.isVisible());
    dialogs.threeWay = {true}; // Yes: saved, then closed
    window.close();
    EXPECT_FALSE(window.isVisible());
    EXPECT_NE(data.xml.find("<checkerboard"), std::string::npos);
}

// With auto rendering, a parameter change regenerates that node and what lies downstream, nothing else.
TEST(MainWindowRenderTest, AParameterChangeRegeneratesOnlyWhatLiesDownstream) {
    MaterialData data{readFile(VELVOR_SOURCE_DIR "/examples/tiles.ostra-material"), {}};
    ScriptedDialogs dialogs;
    MainWindow window(data, &dialogs);
    window.getDocument().renderAll();
    ASSERT_TRUE(window.getDocument().waitForRender());
    Material& material = window.getDocument().getMaterial();
    const VisualNode* glaze = nullptr;
    for (std::size_t i = 0; i < material.getNodeCount(); ++i) {
        glaze = material.getNode(i).getName() == "Glaze" ? &material.getNode(i) : glaze;
    }
    ASSERT_NE(glaze, nullptr);
    canvasOf(window).selectNode(*glaze);
    window.showLog();
    auto* log = window.findChild<LogWindow*>();
    ASSERT_NE(log, nullptr);
    auto& grid = dynamic_cast<ValueEditorInt&>(*panelOf(window)->getEditors().front());
    grid.getScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    ASSERT_TRUE(window.getDocument().waitForRender());
    std::vector<std::string> regenerated;
    std::istringstream lines(log->getText());
    for (std::string line; std::getline(lines, line, '\n');) {
        line.erase(line.find_last_not_of('\r') + 1);
        if (line.rfind("> node ", 0) == 0) {
            regenerated.push_back(line.substr(7));
        }
    }
    EXPECT_EQ(regenerated, (std::vector<std::string>{"Glaze", "Glazed tiles", "Diffuse map"}));
    window.getDocument().getUndoStack().setClean();
}

TEST(EditingRunTest, ASecondRunIsRefusedWhileOneIsOpen) {
    MaterialData data;
    ScriptedDialogs dialogs;
    QTimer::singleShot(0, [&] {
        MaterialData other;
        editMaterial(other, &dialogs);
        if (auto* open = dynamic_cast<MainWindow*>(QApplication::activeModalWidget())) {
            open->close();
        }
    });
    editMaterial(data, &dialogs);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].caption, "Ai");
    EXPECT_EQ(dialogs.messages[0].text,
              "You have already opened an instance of Velvor! Please close that one first!");
    EXPECT_TRUE(data.xml.empty()); // nothing saved
}

// A large render runs beside the event loop; an edit in the middle stops it, and the render that
// follows gives exactly the pictures of the edited material.
TEST(BackgroundRenderTest, AnEditDuringARenderEndsWithTheEditedPicturesAndTheLoopKeptRunning) {
    const auto build = [](Material& material) {
        material.clear();
        VisualNode& plasma = material.addNode("Clouds", nodeTypes[3], {2048, 2048});
        VisualNode& shift = material.addNode("Shift", nodeTypes[4], {2048, 2048});
        VisualNode& bumps = material.addNode("Bumps", nodeTypes[5], {2048, 2048});
        VisualNode& out = material.addNode("Out", nodeTypes[0], {2048, 2048});
        material.connect(plasma, -1, shift, 0);
        material.connect(plasma, -1, shift, 1);
        material.connect(shift, -1, bumps, 0);
        material.connect(bumps, -1, out, 0);
        return plasma.getId();
    };
    MaterialData data;
    ScriptedDialogs dialogs;
    MainWindow window(data, &dialogs);
    const NodeId plasma = build(window.getDocument().getMaterial());

    int ticksWhileRendering = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout,
                     [&] { ticksWhileRendering += window.getDocument().isRendering() ? 1 : 0; });
    ticker.start(1);
    window.getDocument().renderAll();
    ASSERT_TRUE(window.getDocument().isRendering());
    QTest::qWait(30);
    window.getDocument().getMaterial().setParameter(plasma, 1,
                                                    std::int32_t{777}); // the seed: waits for the render
    window.getDocument().renderIfAuto();
    ASSERT_TRUE(window.getDocument().waitForRender());
    EXPECT_GT(ticksWhileRendering, 0);

    Material expected(Material::Empty{});
    build(expected);
    expected.setParameter(expected.getNode(0).getId(), 1, std::int32_t{777});
    NullProgress quiet;
    expected.renderAll(quiet);
    for (std::size_t i = 0; i < expected.getNodeCount(); ++i) {
        const Velvor::Image& want = expected.getNode(i).getOperator().getImage();
        const Velvor::Image& got = window.getDocument().getMaterial().getNode(i).getOperator().getImage();
        EXPECT_FALSE(window.getDocument().getMaterial().getNode(i).isDirty()) << i;
        EXPECT_EQ(0, std::memcmp(want.getPixels(), got.getPixels(),
                                 static_cast<std::size_t>(want.getPixelCount()) * 4))
            << expected.getNode(i).getName();
    }
    window.getDocument().getUndoStack().setClean();
}

// What used to kill the editor: an undo or redo that takes the selected node away while its panel and
// a result window are open (the panel was deleted while the material was still telling it).
TEST_F(MainWindowTest, UndoAndRedoOfWhatTheOpenPanelShowsKeepTheEditorRunning) {
    const auto addSelectedBoard = [this] {
        chooseListRow(0);
        window.createSelectedNodeType();
        ASSERT_NE(panelOf(window), nullptr);
        window.openResultWindow(canvasOf(window).selectedNode()->getId());
    };
    struct Case {
        const char* name;
        std::function<void()> edit; // one undo step, with the panel and a result window open
    };
    const std::vector<Case> cases{
        {"create", addSelectedBoard},
        {"delete", [&] { canvasOf(window).deleteSelection(); }},
        {"clear",
         [&] {
             dialogs.answers.push_back(true);
             window.getDocument().clear();
         }},
        {"import",
         [&] {
             dialogs.files.push_back(VELVOR_SOURCE_DIR "/examples/tiles.ostra-material");
             window.getDocument().import();
         }},
    };
    for (const Case& edited : cases) {
        SCOPED_TRACE(edited.name);
        if (std::string(edited.name) != "create") {
            addSelectedBoard();
        }
        const std::string before = materialToXml(window.getDocument().getMaterial());
        edited.edit();
        const std::string after = materialToXml(window.getDocument().getMaterial());
        for (int round = 0; round < 2; ++round) {
            window.getDocument().undo();
            EXPECT_EQ(materialToXml(window.getDocument().getMaterial()), before);
            if (const VisualNode* node = named("Unnamed")) {
                canvasOf(window).selectNode(*node); // the redo takes the panel's node away again
            }
            window.getDocument().redo();
            EXPECT_EQ(materialToXml(window.getDocument().getMaterial()), after);
        }
        QCoreApplication::processEvents(); // panels given up go now
        ASSERT_TRUE(window.getDocument().waitForRender());
    }
}

// Enter opens nothing, the canvas has the keys from the start and after a node is added, Escape drops a
// cable being drawn before it closes anything, and the log and help windows belong to the editor.
TEST_F(MainWindowTest, KeysReachTheCanvasAndHelperWindowsBelongToTheEditor) {
    QCoreApplication::processEvents();
    EXPECT_EQ(QApplication::focusWidget(), &canvasOf(window));
    QTest::keyClick(&window, Qt::Key_Return);
    EXPECT_TRUE(HelperWindow::openWindows().empty());

    chooseListRow(0);
    nodeListOf(window).setFocus();
    window.createSelectedNodeType();
    EXPECT_EQ(QApplication::focusWidget(), &canvasOf(window));
    QTest::keyClick(&canvasOf(window), Qt::Key_Delete);
    EXPECT_EQ(named("Unnamed"), nullptr);

    NodesView& canvas = canvasOf(window);
    click(canvas, Qt::RightButton, portCentreOnScreen(canvas, *named("Diffuse map"), 0));
    QTest::keyClick(&canvas, Qt::Key_Escape);
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(canvas.cancelGesture()); // the cable went with the first Escape

    window.showLog();
    window.showHelp();
    for (HelperWindow* helper : HelperWindow::openWindows()) {
        EXPECT_EQ(helper->parentWidget(), &window); // not blocked by the modal editing run
    }
}

// What a render is writing is never exported, and an edit the material refuses during a render does
// not leave the render stopped.
TEST_F(MainWindowTest, ExportsShowFinishedPicturesAndARefusedEditLetsTheRenderFinish) {
    chooseListRow(0);
    window.createSelectedNodeType();
    VisualNode& board = *named("Unnamed");
    ASSERT_TRUE(window.getDocument().waitForRender());
    window.openResultWindow(board.getId());
    auto* shown = dynamic_cast<ResultWindow*>(HelperWindow::openWindows().back());
    ASSERT_NE(shown, nullptr);
    const Velvor::Image finished = board.getOperator().getImage();
    board.getOperator().getImage().fill(0xFF00FF00u); // as a render half-way through would leave it
    const std::string png =
        (std::filesystem::temp_directory_path() / "velvor-export-during-render.png").string();
    dialogs.files.push_back(png);
    shown->exportAction().trigger();
    EXPECT_EQ(decode(png).at(0, 0)[1], (finished.row(255)[0] >> 8) & 0xFFu); // green of the top-left pixel
    std::filesystem::remove(png);

    // Large enough that the refused edit finds the render running.
    Material& material = window.getDocument().getMaterial();
    material.resizeNode(board.getId(), {4096, 4096});
    const VisualNode& large = material.addNode("Large", *findNodeType(0), {4096, 4096});
    material.connect(board, -1, const_cast<VisualNode&>(large), 0);
    window.getDocument().renderAll();
    EXPECT_THROW(material.setParameter(board.getId(), 0, std::string("text")), Exception);
    ASSERT_TRUE(window.getDocument().waitForRender());
    EXPECT_FALSE(large.isDirty());
}

// A picture the render could not make is marked as not current, with the reason, as the command line
// warns.
TEST_F(MainWindowTest, PicturesThatCannotBeMadeSayWhy) {
    Material& material = window.getDocument().getMaterial();
    VisualNode& mixer = material.addNode("Open mix", *findNodeType(2), {256, 256});
    VisualNode& diffuse = *named("Diffuse map");
    material.connect(mixer, -1, diffuse, 0);
    window.openResultWindow(mixer.getId());
    window.openResultWindow(diffuse.getId());
    window.getDocument().renderAll();
    ASSERT_TRUE(window.getDocument().waitForRender());
    EXPECT_EQ(labelOf(window, "status").text(),
              "1 collector is incomplete (Diffuse map: node Open mix could not be "
              "generated (input Source A is open))");
    std::vector<QString> reasons;
    for (HelperWindow* open : HelperWindow::openWindows()) {
        reasons.push_back(dynamic_cast<ResultWindow&>(*open).getNotCurrentText());
    }
    EXPECT_EQ(reasons, (std::vector<QString>{"Not current: input Source A is open",
                                             "Not current: node Open mix could not be generated (input "
                                             "Source A is open)"}));
}

// File / "Export textures..." writes the preset's files from the material's current pictures, through
// the presets velvor-render uses.
TEST_F(MainWindowTest, TexturesAreExportedThroughAPreset) {
    const std::filesystem::path home = std::filesystem::temp_directory_path() / "velvor-presets-test";
    std::filesystem::create_directories(home / "velvor/presets");
    std::filesystem::copy_file(VELVOR_SOURCE_DIR "/presets/one-file-per-collector.json",
                               home / "velvor/presets/one-file-per-collector.json",
                               std::filesystem::copy_options::overwrite_existing);
    setenv("XDG_CONFIG_HOME", home.c_str(), 1);
    chooseListRow(0);
    window.createSelectedNodeType();
    window.getDocument().getMaterial().connect(*named("Unnamed"), -1, *named("Diffuse map"), 0);
    dialogs.choices.push_back(0);
    dialogs.folders.push_back(home.string());
    window.getDocument().exportTextures();
    unsetenv("XDG_CONFIG_HOME");

    std::vector<std::string> written;
    for (const auto& entry : std::filesystem::directory_iterator(home)) {
        if (entry.path().extension() == ".png") {
            written.push_back(entry.path().filename().string());
        }
    }
    EXPECT_EQ(written.size(), 5u);
    EXPECT_EQ(labelOf(window, "status").text(), QString("5 files written to %1").arg(home.c_str()));
    const Picture diffuse = decode(home / "material_Diffuse_map.png");
    const Velvor::Pixel top = named("Diffuse map")->getOperator().getImage().row(255)[0];
    EXPECT_EQ(diffuse.at(0, 0)[0], (top >> 16) & 0xFFu);
    std::filesystem::remove_all(home);
}
