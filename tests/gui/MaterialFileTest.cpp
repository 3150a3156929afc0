// The stand-alone editor's files: Save on disk at once, what cannot be packed or read is never
// replaced, recovery after a crash, the lock, a private temporary file and careful reading.

#include "gui/document/MaterialFile.h"

#include "ScriptedDialogs.h"
#include "WindowParts.h"
#include "base/File.h"
#include "core/packed/PackedMaterial.h"
#include "gui/canvas/NodesView.h"
#include "gui/dialogs/ExceptionBox.h"
#include "gui/main/MainWindow.h"
#include "io/MaterialXml.h"

#include <QListWidget>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class MaterialFileTest : public testing::Test {
protected:
    MaterialFileTest() {
        folder = fs::temp_directory_path() / ("velvor-file-test-" + std::to_string(getpid()));
        fs::create_directories(folder);
        setenv("XDG_STATE_HOME", (folder / "state").c_str(), 1);
        path = (folder / "plate.ostra-material").string();
        writeFile(path, readFile(VELVOR_SOURCE_DIR "/examples/tiles.ostra-material"));
    }
    ~MaterialFileTest() override {
        unsetenv("XDG_STATE_HOME");
        fs::remove_all(folder);
    }

    // An editor on the file, as `velvor FILE` starts one.
    std::unique_ptr<MainWindow> open(MaterialFile& file, const std::string& text) {
        data.xml = text;
        auto window = std::make_unique<MainWindow>(data, &dialogs, &file);
        window->getDocument().getUndoStack().setClean();
        return window;
    }
    static void addBoard(MainWindow& window) {
        nodeListOf(window).setCurrentRow(0);
        window.createSelectedNodeType();
    }

    fs::path folder;
    std::string path;
    MaterialData data;
    ScriptedDialogs dialogs;
};

} // namespace

TEST_F(MaterialFileTest, SaveWritesTheFileAndItsPackedFormWhileTheEditorIsOpen) {
    MaterialFile file(path);
    auto window = open(file, readFile(path));
    EXPECT_TRUE(window->windowTitle().startsWith("plate.ostra-material[*]"));
    addBoard(*window);
    EXPECT_TRUE(window->isWindowModified());
    window->getDocument().save();
    EXPECT_EQ(readFile(path), materialToXml(window->getDocument().getMaterial()));
    const std::vector<std::uint8_t> packed = readBinaryFile(MaterialFile::packedPathBeside(path), 1 << 20);
    EXPECT_NO_THROW(Velvor::PackedMaterial{packed});
    EXPECT_FALSE(window->isWindowModified());

    // The next editor opens as large as this one was left.
    window->resize(900, 640);
    window->close();
    EXPECT_EQ(open(file, readFile(path))->size(), QSize(900, 640));

    // A full disk: the system's reason is shown, and the change stays unsaved.
    MaterialFile full("/dev/full");
    auto second = open(full, readFile(path));
    addBoard(*second);
    guarded(dialogs, [&] { second->getDocument().save(); });
    ASSERT_FALSE(dialogs.messages.empty());
    EXPECT_NE(dialogs.messages.back().text.find("No space left on device"), std::string::npos);
    EXPECT_FALSE(second->getDocument().getUndoStack().isClean());
}

TEST_F(MaterialFileTest, WhatCannotBePackedOrReadIsNeverReplaced) {
    const std::string packedPath = MaterialFile::packedPathBeside(path);
    writeFile(packedPath, std::string("previous"));
    MaterialFile file(path);
    auto window = open(file, readFile(path));
    // A mixer with one input open, feeding a collector: not packable.
    Material& material = window->getDocument().getMaterial();
    VisualNode& out = material.addNode("Out", *findNodeType(0), {8, 8});
    VisualNode& mixer = material.addNode("Half", *findNodeType(2), {8, 8});
    material.connect(mixer, -1, out, 0);
    window->getDocument().save();
    EXPECT_EQ(readFile(path), materialToXml(material));
    EXPECT_EQ(readFile(packedPath), "previous");
    EXPECT_NE(dialogs.messages.back().text.find("Half"), std::string::npos);

    // A damaged file: the loader says so, and Save asks for a new name instead of replacing it.
    const std::string damaged = readFile(path).substr(0, 600);
    writeFile(path, damaged);
    MaterialFile again(path);
    auto reopened = open(again, damaged);
    EXPECT_FALSE(again.hasPath());
    dialogs.files.push_back(std::nullopt); // the user cancels the name
    reopened->getDocument().save();
    EXPECT_EQ(readFile(path), damaged);
    EXPECT_EQ(dialogs.fileQuestions.back().title, "Enter a filename to save your material to...");
}

TEST_F(MaterialFileTest, UnsavedChangesAreRecoveredAfterACrashOrDiscarded) {
    std::string edited;
    {
        MaterialFile file(path);
        auto window = open(file, readFile(path));
        addBoard(*window);
        window->getDocument().writeRecovery(); // the timer's work, ten seconds after the change
        edited = materialToXml(window->getDocument().getMaterial());
        EXPECT_EQ(readFile(file.recoveryPath()), edited);
        EXPECT_EQ(fs::status(file.recoveryPath()).permissions() & fs::perms::all,
                  fs::perms::owner_read | fs::perms::owner_write);
        // Killed here: no close, the recovery copy stays.
    }
    for (const std::size_t choice : {0u, 1u}) { // Restore, then Discard
        MaterialFile file(path);
        dialogs.choices.push_back(choice);
        auto window = open(file, readFile(path));
        if (choice == 0) {
            window->getDocument().getUndoStack().resetClean();
            EXPECT_EQ(materialToXml(window->getDocument().getMaterial()), edited);
            EXPECT_TRUE(window->isWindowModified());
            window->getDocument().save(); // a save leaves nothing to recover
        }
        EXPECT_FALSE(fs::exists(file.recoveryPath()));
    }
}

TEST_F(MaterialFileTest, ASecondEditorIsToldAndALockOfADeadEditorIsTakenOver) {
    MaterialFile first(path);
    EXPECT_FALSE(first.lock());
    MaterialFile second(path);
    EXPECT_EQ(second.lock(), std::optional<std::int64_t>(getpid()));

    const std::string other = (folder / "other.ostra-material").string();
    const pid_t child = fork();
    if (child == 0) {
        MaterialFile held(other);
        held.lock();
        _exit(0); // dies holding it
    }
    int status = 0;
    waitpid(child, &status, 0);
    MaterialFile taker(other);
    EXPECT_FALSE(taker.lock());
}

TEST_F(MaterialFileTest, OnlyRegularFilesWithinTheLimitAreRead) {
    const std::string fifo = (folder / "fifo").string();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string large = (folder / "large.ostra-material").string();
    writeFile(large, std::string("x"));
    fs::resize_file(large, MaterialFile::maxBytes + 1);
    for (const std::string& refused : {fifo, std::string("/dev/zero"), folder.string(), large}) {
        EXPECT_THROW(MaterialFile::read(refused), Exception) << refused;
    }
    EXPECT_EQ(MaterialFile::read(path), readFile(path));
}

// Another user's FIFO or open file at a name the editor might use changes nothing: every run makes a
// file of its own, which only its user may read.
TEST_F(MaterialFileTest, TheTemporaryMaterialIsPrivateAndUnique) {
    const char* override = std::getenv("VELVOR_TMP_MATERIAL");
    const std::string kept = override != nullptr ? override : "";
    unsetenv("VELVOR_TMP_MATERIAL");
    setenv("TMPDIR", folder.c_str(), 1);
    unsetenv("XDG_RUNTIME_DIR");
    mkfifo((folder / "velvor-tmpmaterial.tmp").c_str(), 0666);
    writeFile((folder / "velvor-material-planted.tmp").string(), std::string("<velvorMaterial/>"));
    chmod((folder / "velvor-material-planted.tmp").c_str(), 0666);
    {
        const TemporaryMaterial first;
        const TemporaryMaterial second;
        EXPECT_NE(first.getPath(), second.getPath());
        EXPECT_EQ(fs::path(first.getPath()).parent_path(), folder);
        struct stat status {};
        ASSERT_EQ(stat(first.getPath().c_str(), &status), 0);
        EXPECT_TRUE(S_ISREG(status.st_mode));
        EXPECT_EQ(status.st_mode & 0777, 0600u);

        MaterialData record{readFile(path), {}};
        MainWindow window(record, &dialogs);
        EXPECT_EQ(materialToXml(window.getDocument().getMaterial()), readFile(path));
    }
    unsetenv("TMPDIR");
    setenv("VELVOR_TMP_MATERIAL", kept.c_str(), 1);
}
