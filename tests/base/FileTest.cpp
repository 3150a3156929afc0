#include "base/File.h"

#include "base/Exception.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

class FileTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("velvor-file-test-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    std::string path(const std::string& name) const { return (dir / name).string(); }
    fs::path dir;
};

} // namespace

TEST_F(FileTest, ReadingTurnsCrLfIntoLfAndWritingKeepsBytes) {
    {
        std::ofstream out(path("crlf.txt"), std::ios::binary);
        out << "a\r\nb\r\n\rc";
    }
    const std::string text = readFile(path("crlf.txt"));
    EXPECT_EQ(text, "a\nb\n\rc");
    writeFile(path("lf.txt"), text);
    std::ifstream in(path("lf.txt"), std::ios::binary);
    const std::string written((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(written, "a\nb\n\rc");
}

TEST_F(FileTest, CrLfSplitAcrossReadChunksIsStillJoined) {
    std::string content(4095, 'x');
    content += "\r\nend";
    {
        std::ofstream out(path("long.txt"), std::ios::binary);
        out << content;
    }
    EXPECT_EQ(readFile(path("long.txt")), std::string(4095, 'x') + "\nend");
}

TEST_F(FileTest, ReadFailuresNameThePath) {
    EXPECT_THROW(
        {
            try {
                readFile(path("missing"));
            } catch (const Exception& e) {
                EXPECT_EQ(e.getMessage(), "Could not read file " + path("missing"));
                throw;
            }
        },
        Exception);
}
