// Files refused whole: truncated, empty, binary junk and damaged packed files.

#include "BadInputFixture.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <set>
#include <sstream>
#include <string>
#include <vector>

TEST_F(BadInputTest, TruncatedMaterialFilesAreRefusedWholeWithTheNotAMaterialMessage) {
    std::string text = read(fs::path(VELVOR_SOURCE_DIR) / "examples" / "tiles.ostra-material");
    // Small images keep the suite quick; the structure is the example's.
    for (std::size_t at = text.find("512,512"); at != std::string::npos; at = text.find("512,512", at)) {
        text.replace(at, 7, "32,32");
    }
    ASSERT_EQ(render(write("whole.ostra-material", text)), 0) << err.str();
    EXPECT_EQ(written().size(), 3u);

    // Cut after every line and in the middle of every line: inside tags, names and attribute values.
    std::vector<std::size_t> cuts;
    for (std::size_t end = text.find('\n'); end != std::string::npos; end = text.find('\n', end + 1)) {
        const std::size_t begin = cuts.empty() ? 0 : cuts.back();
        cuts.push_back((begin + end) / 2);
        cuts.push_back(end + 1);
    }
    // The last line's end gives the whole file, and without its final line break it is still whole.
    cuts.pop_back();
    ASSERT_GT(cuts.size(), 40u);
    for (const std::size_t cut : cuts) {
        SCOPED_TRACE("cut at " + std::to_string(cut));
        const std::string path = write("cut.ostra-material", text.substr(0, cut));
        ASSERT_EQ(render(path), 1);
        EXPECT_EQ(err.str(), "velvor-render: error: Specified file is apparently not a velvor material!\n"
                             "velvor-render: error: nothing rendered from " +
                                 path + "\n");
        EXPECT_EQ(out.str(), "");
        EXPECT_TRUE(written().empty());
    }
    ASSERT_EQ(render(write("cut.ostra-material", text.substr(0, text.size() - 1))), 0) << err.str();
    EXPECT_EQ(written().size(), 3u);
}

TEST_F(BadInputTest, EmptyAndBlankFilesAreNamedAsEmpty) {
    for (const std::string& content : {std::string(), std::string(" \r\n\t\n")}) {
        const std::string path = write("nothing.ostra-material", content);
        EXPECT_EQ(render(path), 1);
        EXPECT_EQ(err.str(), "velvor-render: error: " + path + " is empty\n");
        // Not the usage error of --xml-out with a packed file: the file is neither kind.
        EXPECT_EQ(render(path, {"--xml-out", file("x.ostra-material")}), 1);
        EXPECT_FALSE(fs::exists(file("x.ostra-material")));
        EXPECT_TRUE(written().empty());
    }
}

TEST_F(BadInputTest, BinaryJunkIsRefusedAsAPackedOrAsAMaterialFile) {
    // Deterministic junk; no junk file may start with 0xFF, the whole of an empty packed material.
    std::uint32_t state = 12345;
    const auto nextByte = [&state] {
        state = state * 1664525u + 1013904223u;
        return static_cast<std::uint8_t>(state >> 24);
    };
    for (int i = 0; i < 100; ++i) {
        Bytes junk(64);
        std::generate(junk.begin(), junk.end(), nextByte);
        junk[0] = static_cast<std::uint8_t>(junk[0] % 0xFF);
        const auto first = std::find_if(junk.begin(), junk.end(), [](std::uint8_t b) {
            return b != ' ' && b != '\t' && b != '\r' && b != '\n';
        });
        const bool xml = first != junk.end() && *first == '<';
        SCOPED_TRACE("junk " + std::to_string(i));
        EXPECT_EQ(render(write("junk.bin", junk)), 1);
        EXPECT_TRUE(
            saidOnError(xml ? "velvor-render: error: Specified file is apparently not a velvor material!"
                            : "velvor-render: error: Packed material: record "))
            << err.str();
        EXPECT_EQ(out.str(), "");
        EXPECT_TRUE(written().empty());
    }

    EXPECT_EQ(render(write("image.png", std::string("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR", 16))), 1);
    EXPECT_EQ(
        err.str(),
        "velvor-render: error: Packed material: record 0 (byte 1) has the unknown operator type 137.\n");
    EXPECT_EQ(render(write("nul.ostra-material", std::string("<velvorMaterial>\0</velvorMaterial>", 34))), 1);
    EXPECT_TRUE(saidOnError("Specified file is apparently not a velvor material!")) << err.str();

    // A file that starts with 0xFF (a JPEG image) reads as an empty packed material; the rest is
    // reported as ignored, and nothing is written.
    EXPECT_EQ(render(write("photo.jpg", std::string("\xFF\xD8\xFF\xE0\0\x10JFIF", 10))), 0);
    EXPECT_EQ(err.str(), "velvor-render: warning: " + file("photo.jpg") +
                             ": 9 bytes after the end of the packed material are ignored\n"
                             "velvor-render: warning: the material has no collector\n");
    EXPECT_EQ(out.str(), "");
    EXPECT_TRUE(written().empty());
}

TEST_F(BadInputTest, PackedFileCutAtEveryByteIsRefusedUnlessWhole) {
    // Board, text (a block of variable length) and a mixer of both, two collectors.
    const std::string source = write(
        "small.ostra-material",
        material(R"(<text id="3" typeId="5" name="T" size="16,16" x="0" y="0" fontsize="4096" text="Hi"/>)"
                 R"(<mixer id="4" typeId="2" name="M" size="16,16" amountA="256" amountB="256"/>)"
                 R"(<collector id="5" typeId="0" name="Mixed" size="16,16"/>)",
                 R"(<cable fromNode="1" toNode="4" toPort="0"/><cable fromNode="3" toNode="4" toPort="1"/>)"
                 R"(<cable fromNode="4" toNode="5" toPort="0"/>)"));
    ASSERT_EQ(run({source, "-o", file("xml"), "--packed-out", file("whole.ostra-packed")}), 0) << err.str();
    const std::string whole = read(file("whole.ostra-packed"));
    ASSERT_EQ(whole.back(), '\xFF');

    // Every record starts with a type byte 0..6, and a prefix is read exactly like the whole file up
    // to where it ends; so a prefix could only be complete if 0xFF stood where a type byte is read
    // before the cut, and the export writes that byte only at the very end. A prefix never passes for
    // a material file either: it starts with a type byte, not with '<' or a blank.
    for (std::size_t cut = 1; cut < whole.size(); ++cut) {
        SCOPED_TRACE("cut at " + std::to_string(cut));
        ASSERT_EQ(render(write("cut.ostra-packed", whole.substr(0, cut))), 1);
        EXPECT_TRUE(err.str().starts_with("velvor-render: error: Packed material: record ")) << err.str();
        EXPECT_EQ(out.str(), "");
        EXPECT_TRUE(written().empty());
    }
    EXPECT_EQ(render(write("cut.ostra-packed", std::string())), 1);
    EXPECT_TRUE(saidOnError(" is empty")) << err.str();

    ASSERT_EQ(render(write("cut.ostra-packed", whole)), 0) << err.str();
    EXPECT_EQ(err.str(), "");
    EXPECT_EQ(read(pngDir() / "0_slot0.png"), read(file("xml/0_Kept.png")));
    EXPECT_EQ(read(pngDir() / "1_slot0.png"), read(file("xml/1_Mixed.png")));
}

TEST_F(BadInputTest, PackedFilesReferringForwardOrBeyondTheirLimitsAreRefusedBeforeRendering) {
    Bytes forward;
    checkerboard(forward, 4, 4, 2);
    collector(forward, 4, {0});
    collector(forward, 4, {3}); // record 2, bytes 17 to 25, names record 3 in its last byte
    // Messages give the offset reached, just past the byte at fault.
    checkerboard(forward, 4, 4, 2);
    forward.push_back(0xFF);
    EXPECT_EQ(render(write("forward.ostra-packed", forward)), 1);
    EXPECT_EQ(err.str(),
              "velvor-render: error: Packed material: record 2 (byte 26) refers to record 3, which does "
              "not come before it.\n");
    EXPECT_TRUE(written().empty()); // not even the valid collector before it: the file is refused whole

    Bytes itself;
    checkerboard(itself, 4, 4, 2);
    collector(itself, 4, {1});
    itself.push_back(0xFF);
    EXPECT_EQ(render(write("itself.ostra-packed", itself)), 1);
    EXPECT_TRUE(saidOnError("record 1 (byte 17) refers to record 1, which does not come before it."))
        << err.str();

    // One record of 65535 x 65535 pixels is eight times the budget: refused before anything is allocated.
    Bytes huge;
    checkerboard(huge, 65535, 65535, 2);
    collector(huge, 4, {});
    huge.push_back(0xFF);
    EXPECT_EQ(render(write("huge.ostra-packed", huge)), 1);
    EXPECT_EQ(err.str(),
              "velvor-render: error: Packed material: record 0 (byte 5) takes the material beyond its "
              "limit of 536870912 pixels.\n");
    EXPECT_TRUE(written().empty());

    // Within the budget one record at a time, beyond it together: 2^28 + 2^28 + 1 pixels.
    Bytes together;
    checkerboard(together, 16384, 16384, 2);
    checkerboard(together, 16384, 16384, 2);
    checkerboard(together, 1, 1, 2);
    together.push_back(0xFF);
    EXPECT_EQ(render(write("together.ostra-packed", together)), 1);
    EXPECT_TRUE(saidOnError("record 2 (byte 21) takes the material beyond its limit")) << err.str();

    // Tiny records without end: each would cost an operator.
    Bytes many;
    for (int i = 0; i < 100000; ++i) {
        collector(many, 0, {});
    }
    many.push_back(0xFF);
    EXPECT_EQ(render(write("many.ostra-packed", many)), 1);
    EXPECT_TRUE(saidOnError("record 256 (byte 2049) goes beyond the 256 records a packed file can hold."))
        << err.str();
    EXPECT_TRUE(written().empty());
}
