#include "base/File.h"

#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <set>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class FileWritingTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("velvor-writing-test-" + std::to_string(::getpid()) + "-" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    std::string path(const std::string& name) const { return (dir / name).string(); }
    static std::string contents(const std::string& file) {
        std::ifstream in(file, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    // The names in the folder, so a test sees any temporary file left behind.
    std::set<std::string> names() const {
        std::set<std::string> result;
        for (const auto& entry : fs::directory_iterator(dir)) {
            result.insert(entry.path().filename().string());
        }
        return result;
    }
    // Runs `body` in a child process (for privileges and limits the test itself must keep).
    static bool inChild(const std::function<bool()>& body) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::_exit(body() ? 0 : 1);
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }
    static std::string reasonOf(const std::function<void()>& write) {
        try {
            write();
        } catch (const WriteError& e) {
            return e.getReason();
        }
        return "no error";
    }
    fs::path dir;
};

} // namespace

TEST_F(FileWritingTest, ReplacesAFileKeepingItsPermissionsAndLeavingNothingBehind) {
    const std::string target = path("material.xml");
    writeFile(target, std::string_view("old"));
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    writeFile(target, std::string_view("new content"));
    EXPECT_EQ(contents(target), "new content");
    EXPECT_EQ(fs::status(target).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(names(), std::set<std::string>{"material.xml"});
}

TEST_F(FileWritingTest, SymlinksStayAndTheirTargetsGetTheContent) {
    fs::create_directory(dir / "real");
    writeFile(path("real/file"), std::string_view("old"));
    fs::create_symlink("real/file", dir / "relative-link");
    fs::create_symlink(dir / "relative-link", dir / "chained-link");
    writeFile(path("chained-link"), std::string_view("through two links"));
    EXPECT_TRUE(fs::is_symlink(dir / "relative-link"));
    EXPECT_TRUE(fs::is_symlink(dir / "chained-link"));
    EXPECT_EQ(contents(path("real/file")), "through two links");

    // A dangling link creates its target, as the shell's `>` does.
    fs::create_symlink("real/created", dir / "dangling");
    writeFile(path("dangling"), std::string_view("made"));
    EXPECT_EQ(contents(path("real/created")), "made");

    fs::create_symlink("loop-b", dir / "loop-a");
    fs::create_symlink("loop-a", dir / "loop-b");
    EXPECT_EQ(reasonOf([&] { writeFile(path("loop-a"), std::string_view("x")); }),
              std::system_category().message(ELOOP));
}

// In a shared folder like /tmp, a link someone else planted must not send the write elsewhere.
TEST_F(FileWritingTest, AStrangersSymlinkInASharedFolderIsNotFollowed) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "giving a symlink to another user needs root";
    }
    const fs::path shared = dir / "shared";
    fs::create_directory(shared);
    fs::permissions(shared, fs::perms::all | fs::perms::sticky_bit);
    writeFile(path("victim"), std::string_view("precious"));
    fs::create_symlink(dir / "victim", shared / "planted");
    ASSERT_EQ(::lchown((shared / "planted").c_str(), 65534, 65534), 0);
    EXPECT_EQ(reasonOf([&] { writeFile((shared / "planted").string(), std::string_view("x")); }),
              std::system_category().message(EACCES));
    EXPECT_EQ(contents(path("victim")), "precious");

    // Our own link there is followed as before.
    fs::create_symlink(dir / "victim", shared / "ours");
    writeFile((shared / "ours").string(), std::string_view("mine"));
    EXPECT_EQ(contents(path("victim")), "mine");
}

TEST_F(FileWritingTest, NeverTouchesNamesBesideTheTarget) {
    // Earlier versions wrote through PATH.part: a user's file of that name, or a symlink planted there,
    // must be left as it is.
    const std::string target = path("out.png");
    writeFile(path("out.png.part"), std::string_view("user's own"));
    writeFile(path("victim"), std::string_view("precious"));
    fs::create_symlink(dir / "victim", dir / "other.png.part");
    writeFile(target, std::string_view("image"));
    writeFile(path("other.png"), std::string_view("image"));
    EXPECT_EQ(contents(path("out.png.part")), "user's own");
    EXPECT_EQ(contents(path("victim")), "precious");
    EXPECT_EQ(names().size(), 5u);
}

TEST_F(FileWritingTest, AcceptsTheLongestNameTheFileSystemAllows) {
    const std::string name(static_cast<std::size_t>(::pathconf(dir.c_str(), _PC_NAME_MAX)), 'n');
    writeFile(path(name), std::string_view("long"));
    EXPECT_EQ(contents(path(name)), "long");
}

TEST_F(FileWritingTest, FailuresNameTheReasonAndKeepTheOldContent) {
    EXPECT_EQ(reasonOf([&] { writeFile(path("missing/x"), std::string_view("x")); }),
              std::system_category().message(ENOENT));
    EXPECT_EQ(reasonOf([&] { writeFile(path(""), std::string_view("x")); }),
              std::system_category().message(EISDIR));
    try {
        writeFile(path("missing/x"), std::string_view("x"));
    } catch (const WriteError& e) {
        EXPECT_EQ(e.getMessage(), "Could not write file " + path("missing/x") + " (" +
                                      std::system_category().message(ENOENT) + ")");
    }

    // A write cut short by the file-size limit fails before the rename: the old file stays whole.
    const std::string target = path("kept");
    writeFile(target, std::string_view("old contents"));
    EXPECT_TRUE(inChild([&] {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{16, 16};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        return reasonOf([&] { writeFile(target, std::string(100, 'x')); }) ==
               std::system_category().message(EFBIG);
    }));
    EXPECT_EQ(contents(target), "old contents");
    EXPECT_EQ(names(), std::set<std::string>{"kept"});
}

TEST_F(FileWritingTest, RefusesAFileTheUserMayNotWrite) {
    const std::string target = path("read-only");
    writeFile(target, std::string_view("old"));
    fs::permissions(target, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    // The folder is open to all, so only the file's own permission can stop the replacement.
    fs::permissions(dir, fs::perms::all);
    EXPECT_TRUE(inChild([&] {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) {
            return false;
        }
        return reasonOf([&] { writeFile(target, std::string_view("new")); }) ==
               std::system_category().message(EACCES);
    }));
    EXPECT_EQ(contents(target), "old");
}

TEST_F(FileWritingTest, DevicesAreWrittenInPlaceAndTheirErrorsReported) {
    // Private nodes with the numbers of the null and full devices.
    if (::mknod(path("null").c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0 ||
        ::mknod(path("full").c_str(), S_IFCHR | 0666, makedev(1, 7)) != 0) {
        GTEST_SKIP() << "creating device nodes needs the mknod capability";
    }
    writeFile(path("null"), std::string_view("discarded"));
    EXPECT_TRUE(fs::is_character_file(dir / "null"));
    EXPECT_EQ(reasonOf([&] { writeFile(path("full"), std::string_view("x")); }),
              std::system_category().message(ENOSPC));
    EXPECT_TRUE(fs::is_character_file(dir / "full"));
}

TEST_F(FileWritingTest, AFifoIsWrittenToItsReaderAndRefusedWithoutOne) {
    const std::string fifo = path("pipe");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(reasonOf([&] { writeFile(fifo, std::string_view("x")); }),
              std::system_category().message(ENXIO));

    // The pipe holds what is written until the reader, open all along, takes it.
    const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    writeFile(fifo, std::string(1000, 'f'));
    std::string received(2000, '\0');
    received.resize(static_cast<std::size_t>(std::max<ssize_t>(0, ::read(reader, received.data(), 2000))));
    ::close(reader);
    EXPECT_EQ(received, std::string(1000, 'f'));
    EXPECT_TRUE(fs::is_fifo(fifo));
}
