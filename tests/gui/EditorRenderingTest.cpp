// The render behind the editor: what it regenerates, edits during a render, exports of finished
// pictures, pictures that cannot be made, and textures through a preset.

#include "MainWindowFixture.h"
#include "PngDecoding.h"
#include "Sanitizers.h"

#include <fstream>
#include <unistd.h>

// With auto rendering, an opened material renders before any change, and a parameter change
// regenerates that node and what lies downstream, nothing else.
TEST(MainWindowRenderTest, AParameterChangeRegeneratesOnlyWhatLiesDownstream) {
    MaterialData data{readFile(VELVOR_SOURCE_DIR "/examples/tiles.ostra-material"), {}};
    ScriptedDialogs dialogs;
    MainWindow window(data, &dialogs);
    window.show();
    QApplication::processEvents();
    ASSERT_TRUE(window.getDocument().waitForRender());
    Material& material = window.getDocument().getMaterial();
    for (std::size_t i = 0; i < material.getNodeCount(); ++i) {
        EXPECT_FALSE(material.getNode(i).isDirty()) << material.getNode(i).getName();
    }
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
    actionOf(*shown, "&Export bitmap...")->trigger();
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

// Undo keeps the material a Clear put aside without its pictures: whenever the material is cleared it
// holds less than one node's image beyond what it held before the large material was rendered, and 50
// rounds of Clear and Undo (each undo rendering the material again) leave no image behind.
TEST_F(MainWindowTest, ClearAndUndoKeepNoPicturesAside) {
#if defined(VELVOR_ANY_SANITIZER)
    GTEST_SKIP() << "the sanitizer's allocator holds freed blocks back, so resident memory does not follow";
#else
    const auto resident = [] {
        std::ifstream statm("/proc/self/statm");
        long size = 0, pages = 0;
        statm >> size >> pages;
        return pages * ::sysconf(_SC_PAGESIZE);
    };
    constexpr long image = 4096L * 4096 * 4;
    Material& material = window.getDocument().getMaterial();
    VisualNode& board = material.addNode("Board", *findNodeType(1), {4096, 4096});
    material.connect(board, -1, material.addNode("Out", *findNodeType(0), {4096, 4096}), 0);
    const long unrendered = resident();
    long firstRound = 0;
    window.getDocument().renderAll();
    for (int round = 1; round <= 50; ++round) {
        ASSERT_TRUE(window.getDocument().waitForRender());
        firstRound = round == 1 ? resident() : firstRound;
        dialogs.answers = {true};
        window.getDocument().clear();
        ASSERT_LT(resident() - unrendered, image) << "round " << round;
        window.getDocument().undo();
    }
    ASSERT_TRUE(window.getDocument().waitForRender());
    EXPECT_LT(resident() - firstRound, image);
    EXPECT_FALSE(named("Out")->isDirty());
#endif
}

// A picture the render could not make is marked as not current, with the reason, as the command line
// warns.
TEST_F(MainWindowTest, PicturesThatCannotBeMadeSayWhy) {
    Material& material = window.getDocument().getMaterial();
    VisualNode& mixer = material.addNode("Open mix", *findNodeType(2), {256, 256});
    VisualNode& diffuse = *named("Diffuse map");
    material.connect(mixer, -1, diffuse, 0);
    const VisualNode& unused = material.addNode("Unused", *findNodeType(3), {256, 256});
    window.openResultWindow(mixer.getId());
    window.openResultWindow(diffuse.getId());
    window.openResultWindow(unused.getId());
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
                                             "Source A is open)",
                                             "Not current: no collector uses it"}));
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
