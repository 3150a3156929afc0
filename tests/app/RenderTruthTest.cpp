#include "RenderCommandFixture.h"
#include "Sanitizers.h"
#include "app/TerminalText.h"

#include <fstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const std::string board = R"(<checkerboard id="1" typeId="1" name="Board" size="16,16" blocks="2"/>)";

std::string material(const std::string& nodes, const std::string& cables) {
    return "<velvorMaterial><nodes>" + nodes + "</nodes><cables>" + cables + "</cables></velvorMaterial>";
}

// The board into "Out", and an open mixer into "Broken".
const std::string halfBroken =
    material(board + R"(<collector id="2" typeId="0" name="Out" size="16,16"/>)"
                     R"(<mixer id="3" typeId="2" name="Open mix" size="16,16"/>)"
                     R"(<collector id="4" typeId="0" name="Broken" size="16,16"/>)",
             R"(<cable fromNode="1" toNode="2" toPort="0"/><cable fromNode="1" toNode="3" toPort="0"/>)"
             R"(<cable fromNode="3" toNode="4" toPort="0"/>)");

const std::string complete = material(board + R"(<collector id="2" typeId="0" name="Out" size="16,16"/>)",
                                      R"(<cable fromNode="1" toNode="2" toPort="0"/>)");

// The example materials, whose pixels are recorded in tests/golden.
const char* const examples[] = {"tiles", "metal-plate", "labelled-panel"};

std::string examplePath(const std::string& name) {
    return (fs::path(VELVOR_SOURCE_DIR) / "examples" / (name + ".ostra-material")).string();
}

std::string goldenPath(const std::string& name) {
    return (fs::path(VELVOR_SOURCE_DIR) / "tests/golden" / (name + ".digest")).string();
}

class RenderTruthTest : public RenderCommandFixture {
protected:
    std::size_t pngCount() const {
        std::size_t count = 0;
        for (const auto& entry : fs::directory_iterator(dir)) {
            count += entry.path().extension() == ".png";
        }
        return count;
    }
};

} // namespace

TEST_F(RenderTruthTest, IncompleteCollectorsAreWrittenButWarnedAboutAndStrictFails) {
    const std::string input = write("half.ostra-material", halfBroken);
    const std::string warning = "velvor-render: warning: collector Broken is incomplete: node Open mix could "
                                "not be generated (input Source B is open)\n";
    EXPECT_EQ(run({input, "-o", dir.string()}), 0);
    EXPECT_EQ(err.str(), warning);
    EXPECT_EQ(pngCount(), 2u);
    EXPECT_EQ(run({input, "-o", dir.string(), "--strict"}), 1);
    EXPECT_EQ(err.str(), warning + "velvor-render: error: a collector could not be generated (--strict)\n");
    EXPECT_EQ(pngCount(), 2u);

    // Nothing to write is a failure, not a quiet success.
    const std::string empty =
        write("empty-images.ostra-material",
              material(R"(<collector id="1" typeId="0" name="Nothing" size="0,0"/>)", ""));
    EXPECT_EQ(run({empty, "-o", dir.string()}), 1);
    EXPECT_NE(err.str().find("error: none of the 1 collectors was written"), std::string::npos) << err.str();
}

TEST_F(RenderTruthTest, OutputsThatWouldDestroyTheInputOrGoNowhereAreUsageErrors) {
    const std::string input = write("in.ostra-material", halfBroken);
    fs::create_symlink(input, dir / "alias");
    EXPECT_EQ(run({input, "--packed-out", input}), 2);
    EXPECT_EQ(run({input, "--xml-out", file("alias")}), 2);
    EXPECT_EQ(run({input, "--xml-out", file("x"), "--packed-out", file("x")}), 2);
    EXPECT_EQ(run({input, "-o", ""}), 2);
    EXPECT_EQ(read(input), halfBroken);
    EXPECT_EQ(pngCount(), 0u);
}

TEST_F(RenderTruthTest, AFullDeviceIsAnErrorWithItsReasonAndStaysADevice) {
    const std::string full = file("full");
    if (::mknod(full.c_str(), S_IFCHR | 0666, makedev(1, 7)) != 0) {
        GTEST_SKIP() << "creating a device node needs the mknod capability";
    }
    const std::string input = write("in.ostra-material", complete);
    EXPECT_EQ(run({input, "-o", file("png"), "--packed-out", full}), 1);
    EXPECT_NE(err.str().find("No space left on device"), std::string::npos) << err.str();
    EXPECT_EQ(run({input, "-o", file("png"), "--xml-out", full}), 1);
    EXPECT_TRUE(fs::is_character_file(full));
}

TEST_F(RenderTruthTest, ByteOrderMarksAreReadAndUtf16IsNamed) {
    const std::string& plain = complete;
    ASSERT_EQ(run({write("plain.ostra-material", plain), "-o", file("plain")}), 0) << err.str();
    ASSERT_EQ(run({write("bom.ostra-material", "\xEF\xBB\xBF" + plain), "-o", file("bom")}), 0) << err.str();
    EXPECT_EQ(read(file("bom/0_Out.png")), read(file("plain/0_Out.png")));

    std::string utf16 = "\xFF\xFE";
    for (const char c : plain) {
        utf16 += c;
        utf16 += '\0';
    }
    EXPECT_EQ(run({write("wide.ostra-material", utf16), "-o", dir.string()}), 1);
    EXPECT_NE(err.str().find("is UTF-16 text; a material file must be saved as UTF-8"), std::string::npos);
    EXPECT_EQ(run({write("wide-no-mark.ostra-material", utf16.substr(2)), "-o", dir.string()}), 1);
    EXPECT_NE(err.str().find("is UTF-16 text"), std::string::npos);
}

TEST_F(RenderTruthTest, NamesAreEscapedAndProgressNeverSharesALineWithAPath) {
    EXPECT_EQ(escapeControlCharacters("a\x1b[2Jb\nc\x7f"), "a\\x1B[2Jb\\x0Ac\\x7F");

    std::string spoof = halfBroken;
    spoof.replace(spoof.find("Open mix"), 8, "Open\x1b[2Jmix");
    const std::string input = write("spoof.ostra-material", spoof);
    std::ostringstream both; // one terminal for both streams
    const char* argv[] = {"velvor-render", input.c_str(), "-o", dir.c_str()};
    ASSERT_EQ(runRenderCommand(4, argv, both, both, true, true), 0);
    std::istringstream lines(both.str());
    int pathLines = 0;
    for (std::string line; std::getline(lines, line);) {
        if (line.find(dir.string()) != std::string::npos) {
            EXPECT_TRUE(line == file("0_Out.png") || line == file("1_Broken.png")) << line;
            ++pathLines;
        }
    }
    EXPECT_EQ(pathLines, 2);
    EXPECT_NE(both.str().find("node Open\\x1B[2Jmix could not"), std::string::npos) << both.str();
}

TEST_F(RenderTruthTest, RunningOutOfMemoryIsAnErrorNotACrash) {
#if defined(VELVOR_ANY_SANITIZER)
    GTEST_SKIP() << "the sanitizer reserves more address space than any limit leaves";
#else
    const std::string input =
        write("big-name.ostra-material", material(R"(<checkerboard id="1" typeId="1" size="16,16" name=")" +
                                                      std::string(8 << 20, 'n') + R"("/>)",
                                                  ""));
    const pid_t child = ::fork();
    if (child == 0) {
        // Room for the program as it stands and a little more, not for the copies a huge name takes.
        std::ifstream status("/proc/self/statm");
        std::size_t pages = 0;
        status >> pages;
        const rlim_t limit = pages * static_cast<rlim_t>(::sysconf(_SC_PAGESIZE)) + (24u << 20);
        const rlimit cap{limit, limit};
        ::setrlimit(RLIMIT_AS, &cap);
        std::ostringstream childOut;
        std::ostringstream childErr;
        const char* argv[] = {"velvor-render", input.c_str(), "-o", "/nonexistent-dir-never-reached"};
        const int status1 = runRenderCommand(4, argv, childOut, childErr, false);
        ::_exit(status1 == 1 && childErr.str() == "velvor-render: error: out of memory\n" ? 0 : 3);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status)) << "the renderer died of a signal";
    EXPECT_EQ(WEXITSTATUS(status), 0);
#endif
}

// Every example still renders to the pixels recorded in tests/golden (scripts/update-golden), from
// the material file and from its packed export alike; a changed pixel is named.
TEST_F(RenderTruthTest, ExamplesMatchTheirGoldenDigestsAndAChangeIsNamed) {
    for (const char* name : examples) {
        SCOPED_TRACE(name);
        const std::string example = examplePath(name);
        const std::string golden = goldenPath(name);
        ASSERT_EQ(run({example, "--check", golden, "--packed-out", file("packed")}), 0) << err.str();
        ASSERT_EQ(run({file("packed"), "--check", golden}), 0) << err.str();

        // The second collector's digest with its last digit changed.
        std::string list = read(golden);
        const std::size_t line = list.find('\n') + 1;
        char& digit = list[list.find(' ', list.find(' ', list.find(' ', line) + 1) + 1) + 32];
        digit = digit == '0' ? '1' : '0';
        EXPECT_EQ(run({example, "--check", write("changed.digest", list)}), 1);
        EXPECT_NE(err.str().find("collector 1 ("), std::string::npos) << err.str();
        EXPECT_EQ(err.str().find("collector 0 ("), std::string::npos) << err.str();
    }
}

// The pictures do not depend on the number of threads: every example, from its material file and
// from its packed export, gives the same PNG bytes and its golden digests with 1, 2 and 8 threads.
TEST_F(RenderTruthTest, EveryThreadCountGivesTheSamePictures) {
    for (const char* name : examples) {
        SCOPED_TRACE(name);
        const std::string example = examplePath(name);
        const std::string golden = goldenPath(name);
        ASSERT_EQ(run({example, "--threads", "1", "-o", file("one"), "--packed-out", file("packed")}), 0)
            << err.str();
        for (const char* threads : {"2", "8"}) {
            SCOPED_TRACE(threads);
            ASSERT_EQ(run({example, "--threads", threads, "-o", file(threads)}), 0) << err.str();
            for (const auto& entry : fs::directory_iterator(file("one"))) {
                EXPECT_EQ(read(entry.path()), read(fs::path(file(threads)) / entry.path().filename()))
                    << entry.path().filename();
            }
            EXPECT_EQ(run({example, "--threads", threads, "--check", golden}), 0) << err.str();
            EXPECT_EQ(run({file("packed"), "--threads", threads, "--check", golden}), 0) << err.str();
        }
        fs::remove_all(file("one"));
    }
    EXPECT_EQ(run({examplePath("tiles"), "--threads", "0"}), 2);
}
