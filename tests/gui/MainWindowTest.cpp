#include "gui/main/MainWindow.h"

#include "MainWindowFixture.h"
#include "PngDecoding.h"

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
    // Undo and redo reach the editor from its other windows too.
    HelperWindow* log = HelperWindow::openWindows().front();
    log->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(log));
    QTest::keyClick(log->windowHandle(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_NE(named("Unnamed"), nullptr);
    QTest::keyClick(log->windowHandle(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(named("Unnamed"), nullptr);
}
