// What a hostile pass through the command line found: each case once crashed, lost data, misled or
// reported a failure as success.
#include "RenderCommandFixture.h"

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string material(const std::string& node, const std::string& size) {
    return "<velvorMaterial><nodes>" + node + R"(<collector id="9" typeId="0" name="C" size=")" + size +
           R"(" index="0"/></nodes><cables><cable fromNode="0" toNode="9" toPort="0"/></cables></velvorMaterial>)";
}
const std::string board = material(R"(<checkerboard id="0" typeId="1" name="B" size="16,16"/>)", "16,16");
// Raw noise on every pixel: a PNG of some 700 KiB that no compression shrinks.
const std::string noise =
    material(R"(<subplasma id="0" typeId="3" name="N" size="512,512" grid="14" seed="1"/>)", "512,512");

class RedTeamTest : public RenderCommandFixture {
protected:
    bool said(const std::string& text) const { return err.str().find(text) != std::string::npos; }

    // Runs the command in a child process after `prepare`; gives its exit status, or 128 + signal. The
    // child renders on one thread: the OpenMP pool of the parent does not survive a fork.
    template <class Prepare> int runInChild(std::vector<std::string> args, const Prepare& prepare) {
        args.insert(args.end(), {"--threads", "1"});
        const pid_t child = ::fork();
        if (child == 0) {
            prepare();
            ::_exit(run(std::move(args)));
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
};

} // namespace

TEST_F(RedTeamTest, AHugeThreadCountInTheEnvironmentIsBoundedAndSaid) {
    const std::string input = write("board.ostra-material", board);
    ::setenv("VELVOR_THREADS", "100000", 1);
    EXPECT_EQ(run({input, "-o", file("png")}), 0);
    ::unsetenv("VELVOR_THREADS");
    EXPECT_TRUE(said("warning: VELVOR_THREADS=100000 is not a count from 1 to 4096")) << err.str();
}

TEST_F(RedTeamTest, AFileSizeLimitFailsTheWriteAndLeavesNoTemporaryFile) {
    const std::string input = write("noise.ostra-material", noise);
    const int status = runInChild({input, "-o", file("png")}, [] {
        const rlimit limit{100 << 10, 100 << 10};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        ::close(2); // the child's messages are not wanted here
    });
    EXPECT_EQ(status, 1);
    for (const auto& entry : fs::directory_iterator(file("png"))) {
        ADD_FAILURE() << "left behind: " << entry.path();
    }
    // Only the soft limit, which the process may raise again.
    rlimit previous{};
    ::getrlimit(RLIMIT_FSIZE, &previous);
    const rlimit limit{100 << 10, previous.rlim_max};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    const int inProcess = run({input, "-o", file("png")});
    ::setrlimit(RLIMIT_FSIZE, &previous);
    EXPECT_EQ(inProcess, 1);
    EXPECT_TRUE(said("(File too large)")) << err.str();
}

TEST_F(RedTeamTest, AMaterialOfWhichNoCollectorCouldBeLoadedFails) {
    const std::string input =
        write("huge.ostra-material", "<velvorMaterial><nodes><collector id='1' typeId='0' name='Out' "
                                     "size='100000,100000'/></nodes></velvorMaterial>");
    EXPECT_EQ(run({input, "-o", file("png")}), 1);
    EXPECT_TRUE(said("cannot be allocated!")) << err.str();
    EXPECT_TRUE(said("error: nothing to render: no collector of " + input + " could be loaded")) << err.str();
    // A material that never had a collector is still a warning only.
    EXPECT_EQ(run({write("none.ostra-material", "<velvorMaterial/>"), "-o", file("png")}), 0);
}

TEST_F(RedTeamTest, DigestListsAreEscapedBoundedAndReadBeforeRendering) {
    const std::string input = write("board.ostra-material", board);
    ASSERT_EQ(run({input, "--digest"}), 0);
    std::string list = out.str();
    list.replace(list.find(' ', list.find(' ', list.find(' ') + 1) + 1) + 1, 1, "\x1b]0;owned\x07");
    EXPECT_EQ(run({input, "--check", write("evil.digest", list)}), 1);
    EXPECT_FALSE(said("\x1b")) << err.str();
    EXPECT_TRUE(said("\\x1B]0;owned\\x07")) << err.str();

    EXPECT_EQ(run({input, "--check", "/dev/zero"}), 1);
    EXPECT_TRUE(said("is larger than the limit")) << err.str();
    // A missing list stops the run before anything is rendered or written.
    EXPECT_EQ(run({input, "--check", file("missing.digest"), "--json", file("r.json")}), 1);
    EXPECT_TRUE(said("Could not read file " + file("missing.digest") + " (No such file or directory)"))
        << err.str();
    EXPECT_FALSE(fs::exists(file("r.json")));
}

TEST_F(RedTeamTest, OutputsAreComparedWithInputsByIdentity) {
    fs::create_directories(dir / "png");
    const std::string input = write("png/0_C.png", board);
    EXPECT_EQ(run({input, "-o", file("png")}), 1);
    EXPECT_TRUE(said("refusing to write " + file("png/0_C.png") + ": it is the input file")) << err.str();
    EXPECT_EQ(read(input), board);

    // B is a link to A, which does not exist yet: the second write would destroy the first.
    fs::create_symlink(file("A"), file("B"));
    EXPECT_EQ(run({input, "-o", file("out"), "--packed-out", file("A"), "--xml-out", file("B")}), 1);
    EXPECT_TRUE(said("written before in this run")) << err.str();
    EXPECT_NE(read(file("A")).back(), '\n'); // still the packed file
    EXPECT_EQ(run({input, "-o", file("out"), "--packed-out", file("A"), "--xml-out", file("B")}), 2);
}

TEST_F(RedTeamTest, StandardOutputAsAPipeTakesThePackedFileAndUnusedOutputsAreSaid) {
    const std::string input = write("board.ostra-material", board);
    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0);
    const int status = runInChild({input, "-o", file("png"), "--packed-out", "/dev/stdout"}, [&] {
        ::dup2(pipeEnds[1], 1);
        ::close(pipeEnds[0]);
    });
    ::close(pipeEnds[1]);
    std::string piped;
    char chunk[256];
    for (ssize_t n; (n = ::read(pipeEnds[0], chunk, sizeof chunk)) > 0;) {
        piped.append(chunk, static_cast<std::size_t>(n));
    }
    ::close(pipeEnds[0]);
    EXPECT_EQ(status, 0);
    EXPECT_NE(piped.find(std::string("\x01\x10\x00\x10\x00", 5)), std::string::npos); // the board's record

    for (const char* option : {"--digest", "--check"}) {
        std::vector<std::string> args{input, "-o", file("ignored"), option};
        if (std::string(option) == "--check") {
            ASSERT_EQ(run({input, "--digest"}), 0);
            args.push_back(write("list", out.str()));
        }
        EXPECT_EQ(run(args), 0);
        EXPECT_TRUE(said("warning: -o is not used")) << err.str();
        EXPECT_FALSE(fs::exists(file("ignored")));
    }
}

TEST_F(RedTeamTest, MisleadingMessagesNameTheRealFault) {
    EXPECT_EQ(
        run({write("wide.ostra-material",
                   material(R"(<checkerboard id="0" typeId="1" name="B" size="1000001,1"/>)", "1000001,1")),
             "-o", file("png")}),
        1);
    EXPECT_TRUE(said("the image is 1000001 x 1 pixels; PNG files are written up to 1000000 pixels a side"))
        << err.str();
    const std::string mark = write("mark.ostra-material", "\xEF\xBB\xBF \n");
    EXPECT_EQ(run({mark}), 1);
    EXPECT_EQ(err.str(), "velvor-render: error: " + mark + " is empty\n");
    EXPECT_EQ(run({dir.string()}), 1);
    EXPECT_TRUE(said("Could not read file " + dir.string() + " (Is a directory)")) << err.str();
}

TEST_F(RedTeamTest, FilesForAPrivateMaterialAreNoMoreOpenThanIt) {
    const std::string input = write("private.ostra-material", board);
    ::chmod(input.c_str(), 0600);
    const mode_t mask = ::umask(022);
    ASSERT_EQ(run({input, "-o", file("png"), "--packed-out", file("p.ostra-packed")}), 0) << err.str();
    ::umask(mask);
    for (const std::string& path : {file("png/0_C.png"), file("p.ostra-packed")}) {
        struct stat status {};
        ASSERT_EQ(::stat(path.c_str(), &status), 0);
        EXPECT_EQ(status.st_mode & 0777, 0600u) << path;
    }
}

// A file kept by another user and shared through its group is rewritten, not taken over.
TEST_F(RedTeamTest, ReplacingASharedFileKeepsItsOwner) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to act as two users";
    }
    const std::string input = write("board.ostra-material", board);
    fs::permissions(dir, fs::perms::all);
    const std::string shared = write("shared.ostra-packed", "old");
    ASSERT_EQ(::chmod(shared.c_str(), 0666), 0);
    ASSERT_EQ(::chmod(input.c_str(), 0644), 0);
    const int status = runInChild({input, "--digest", "--packed-out", shared}, [] {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0) {
            ::_exit(9);
        }
    });
    EXPECT_EQ(status, 0);
    struct stat after {};
    ASSERT_EQ(::stat(shared.c_str(), &after), 0);
    EXPECT_EQ(after.st_uid, 0u);
    EXPECT_EQ(after.st_mode & 0777, 0666u);
    EXPECT_NE(read(shared), "old");
}
