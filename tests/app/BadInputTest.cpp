// Whole files a user could meet, damaged or hostile, through the command-line renderer: each gets a
// clear message and its exit status, never a crash or a hang, and whatever was valid in it is kept.
#include "PngDecoding.h"
#include "RenderCommandFixture.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <png.h>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<std::uint8_t>;

const std::string ask = " Do you want to continue loading?";

// A 16 x 16 checkerboard of two blocks into the collector "Kept", ids 1 and 2: the valid part that
// every damaged material below carries and that must still come out.
const std::string keptNodes = R"(<checkerboard id="1" typeId="1" name="Board" size="16,16" blocks="2"/>)"
                              R"(<collector id="2" typeId="0" name="Kept" size="16,16" index="0"/>)";
const std::string keptCable = R"(<cable fromNode="1" toNode="2" toPort="0"/>)";

std::string material(const std::string& nodes, const std::string& cables) {
    return "<velvorMaterial><nodes>" + keptNodes + nodes + "</nodes><cables>" + keptCable + cables +
           "</cables></velvorMaterial>";
}

// Every pixel of the grey level with the alpha.
bool uniform(const Picture& picture, png_byte level, png_byte alpha) {
    for (std::size_t i = 0; i < picture.rgba.size(); i += 4) {
        if (picture.rgba[i] != level || picture.rgba[i + 1] != level || picture.rgba[i + 2] != level ||
            picture.rgba[i + 3] != alpha) {
            return false;
        }
    }
    return !picture.rgba.empty();
}

// Packed records written from the byte layout.
void header(Bytes& b, int type, int width, int height) {
    for (int value : {type, width & 0xFF, width >> 8, height & 0xFF, height >> 8}) {
        b.push_back(static_cast<std::uint8_t>(value));
    }
}
void checkerboard(Bytes& b, int width, int height, int blocks) {
    header(b, 1, width, height);
    b.insert(b.end(), {static_cast<std::uint8_t>(blocks), 0, 0});
}
void collector(Bytes& b, int size, Bytes inputs) {
    header(b, 0, size, size);
    b.insert(b.end(), {0, 0, static_cast<std::uint8_t>(inputs.size())});
    b.insert(b.end(), inputs.begin(), inputs.end());
}

class BadInputTest : public RenderCommandFixture {
protected:
    // Renders the file into the folder "png", emptied first.
    int render(const std::string& input, std::vector<std::string> more = {}) {
        fs::remove_all(pngDir());
        more.insert(more.begin(), {input, "-o", pngDir().string()});
        return run(more);
    }
    fs::path pngDir() const { return dir / "png"; }
    std::set<std::string> written() const {
        std::set<std::string> names;
        if (fs::exists(pngDir())) {
            for (const auto& entry : fs::directory_iterator(pngDir())) {
                names.insert(entry.path().filename().string());
            }
        }
        return names;
    }
    bool saidOnError(const std::string& text) const { return err.str().find(text) != std::string::npos; }

    // The 16 x 16 board of two blocks as displayed: the counters run down from the top-left, so the
    // top-left and bottom-right quarters are black, the other two white.
    void expectKeptBoard() const {
        ASSERT_TRUE(written().contains("0_Kept.png")) << err.str();
        const Picture board = decode(pngDir() / "0_Kept.png");
        ASSERT_EQ(board.width, 16u);
        ASSERT_EQ(board.height, 16u);
        for (unsigned row = 0; row < 16; ++row) {
            for (unsigned column = 0; column < 16; ++column) {
                const png_byte level = (row < 8) == (column < 8) ? 0 : 255;
                ASSERT_EQ(board.at(row, column)[0], level) << row << "," << column;
                ASSERT_EQ(board.at(row, column)[3], 255);
            }
        }
    }
};

} // namespace

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

TEST_F(BadInputTest, NodesOfSizesThatCannotBeAllocatedAreSkippedWithAWarning) {
    const std::string path =
        write("sizes.ostra-material",
              material(R"(<checkerboard id="3" typeId="1" name="Huge" size="100000,100000"/>)"
                       R"(<subplasma id="4" typeId="3" name="Negative" size="-16,16"/>)"
                       R"(<collector id="5" typeId="0" name="Fed by huge" size="16,16"/>)",
                       R"(<cable fromNode="3" toNode="5" toPort="0"/>)"));
    ASSERT_EQ(render(path, {"--xml-out", file("loaded.ostra-material")}), 0) << err.str();
    EXPECT_EQ(
        err.str(),
        "velvor-render: warning: Could not create node with name 'Huge' and id 3, since its size "
        "100000,100000 cannot be allocated!" +
            ask +
            " Yes\n"
            "velvor-render: warning: Could not create node with name 'Negative' and id 4, since its size "
            "-16,16 cannot be allocated!" +
            ask +
            " Yes\n"
            "velvor-render: warning: Could not create cable from node with id 3, since that node wasnt "
            "loaded!" +
            ask +
            " Yes\n"
            "velvor-render: warning: collector Fed by huge has no input; its image stays empty\n");
    expectKeptBoard();
    // The collector without its source comes out empty, transparent black.
    EXPECT_TRUE(uniform(decode(pngDir() / "1_Fed_by_huge.png"), 0, 0));
    const std::string loaded = read(file("loaded.ostra-material"));
    EXPECT_EQ(loaded.find("Huge"), std::string::npos);
    EXPECT_EQ(loaded.find("Negative"), std::string::npos);

    EXPECT_EQ(render(path, {"--strict"}), 1);
    EXPECT_TRUE(saidOnError("cannot be allocated!" + ask + " No (--strict)\n")) << err.str();
    EXPECT_TRUE(saidOnError("velvor-render: error: loading stopped (--strict)\n")) << err.str();
    EXPECT_TRUE(written().empty());
}

TEST_F(BadInputTest, ParametersOutsideTheEditorRangesRenderAndAreKept) {
    const std::string longText = std::string(1000, 'a') + std::string(4000, 'b');
    const auto textNode = [](int font, const std::string& text) {
        return R"(<text id="7" typeId="5" name="Label" size="64,16" x="0" y="0" fontsize="4096" weight="700" )"
               R"(colour="00FFFFFF" font=")" +
               std::to_string(font) + R"(" text=")" + text + R"("/>)";
    };
    const std::string nodes =
        R"(<checkerboard id="3" typeId="1" name="No blocks" size="16,16" blocks="0"/>)"
        R"(<subplasma id="5" typeId="3" name="Fine" size="16,16" grid="32767" seed="3"/>)"
        R"(<collector id="4" typeId="0" name="Blank" size="16,16"/>)"
        R"(<collector id="6" typeId="0" name="Noise" size="16,16"/>)"
        R"(<collector id="8" typeId="0" name="Text" size="64,16"/>)";
    const std::string cables = R"(<cable fromNode="3" toNode="4" toPort="0"/>)"
                               R"(<cable fromNode="5" toNode="6" toPort="0"/>)"
                               R"(<cable fromNode="7" toNode="8" toPort="0"/>)";
    const std::string path =
        write("extreme.ostra-material", material(nodes + textNode(99, longText), cables));
    ASSERT_EQ(render(path, {"--xml-out", file("loaded.ostra-material")}), 0) << err.str();
    EXPECT_EQ(err.str(), "");
    expectKeptBoard();
    // No block at all is brought to one: a single square larger than the image, all white.
    EXPECT_TRUE(uniform(decode(pngDir() / "1_Blank.png"), 255, 255));
    // A grid finer than the pixels puts a lattice point on every pixel: raw noise, not a flat tint.
    const Picture noise = decode(pngDir() / "2_Noise.png");
    std::set<png_byte> levels;
    for (std::size_t i = 0; i < noise.rgba.size(); i += 4) {
        levels.insert(noise.rgba[i]);
    }
    EXPECT_GT(levels.size(), 100u);

    // The file keeps its values; the text is cut to the 1023 characters the operator holds.
    const std::string loaded = read(file("loaded.ostra-material"));
    EXPECT_NE(loaded.find(R"(blocks="0")"), std::string::npos);
    EXPECT_NE(loaded.find(R"(grid="32767")"), std::string::npos);
    EXPECT_NE(loaded.find(R"(font="99")"), std::string::npos);
    const std::string cutText = longText.substr(0, 1023);
    EXPECT_NE(loaded.find(R"(text=")" + cutText + R"(")"), std::string::npos);

    // An unknown face draws with the first one.
    const std::string text = read(pngDir() / "3_Text.png");
    const std::string plain = write("plain.ostra-material", material(nodes + textNode(0, cutText), cables));
    ASSERT_EQ(render(plain), 0) << err.str();
    EXPECT_EQ(read(pngDir() / "3_Text.png"), text);
}

TEST_F(BadInputTest, CablesToMissingNodesOrPortsAreSkippedWithAWarning) {
    const std::string nodes =
        R"(<mixer id="3" typeId="2" name="Mix" size="16,16" amountA="256" amountB="256"/>)"
        R"(<collector id="4" typeId="0" name="Mixed" size="16,16"/>)";
    const std::string cables = R"(<cable fromNode="1" toNode="3" toPort="-1"/>)"
                               R"(<cable fromNode="1" toNode="3" toPort="7"/>)"
                               R"(<cable fromNode="42" toNode="3" toPort="0"/>)"
                               R"(<cable fromNode="1" toNode="43" toPort="0"/>)"
                               R"(<cable fromNode="1" toNode="3" toPort="0"/>)"
                               R"(<cable fromNode="1" toNode="3" toPort="1"/>)"
                               R"(<cable fromNode="3" toNode="4" toPort="0"/>)";
    const std::string path = write("cables.ostra-material", material(nodes, cables));
    ASSERT_EQ(render(path, {"--xml-out", file("loaded.ostra-material")}), 0) << err.str();
    EXPECT_EQ(
        err.str(),
        "velvor-render: warning: Could not create cable to port -1 of node with id 3, since that node has "
        "no such input!" +
            ask +
            " Yes\n"
            "velvor-render: warning: Could not create cable to port 7 of node with id 3, since that node has "
            "no such input!" +
            ask +
            " Yes\n"
            "velvor-render: warning: Could not create cable from node with id 42, since that node wasnt "
            "loaded!" +
            ask +
            " Yes\n"
            "velvor-render: warning: Could not create cable to node with id 43, since that node wasnt "
            "loaded!" +
            ask + " Yes\n");
    expectKeptBoard();
    // The two good cables into the mixer still count: the board added to itself saturates to white
    // where it was white and stays black where it was black.
    const Picture mixed = decode(pngDir() / "1_Mixed.png");
    ASSERT_EQ(mixed.width, 16u);
    EXPECT_EQ(mixed.at(0, 0)[0], 0);
    EXPECT_EQ(mixed.at(0, 15)[0], 255);
    const std::string loaded = read(file("loaded.ostra-material"));
    EXPECT_EQ(std::count(loaded.begin(), loaded.end(), '\n'), 14) << loaded; // 4 nodes, 4 cables

    EXPECT_EQ(render(path, {"--strict"}), 1);
    EXPECT_TRUE(saidOnError("port -1 of node with id 3, since that node has no such input!" + ask +
                            " No (--strict)\n"))
        << err.str();
    EXPECT_TRUE(written().empty());
}

TEST_F(BadInputTest, ALaterNodeWithAnEarlierIdTakesTheCablesSilently) {
    const std::string nodes = R"(<checkerboard id="3" typeId="1" name="First" size="16,16" blocks="2"/>)"
                              R"(<checkerboard id="3" typeId="1" name="Second" size="16,16" blocks="1"/>)"
                              R"(<collector id="4" typeId="0" name="Out" size="16,16"/>)";
    const std::string path =
        write("ids.ostra-material", material(nodes, R"(<cable fromNode="3" toNode="4" toPort="0"/>)"));
    ASSERT_EQ(render(path, {"--xml-out", file("loaded.ostra-material")}), 0) << err.str();
    EXPECT_EQ(err.str(), "");
    expectKeptBoard();
    EXPECT_TRUE(uniform(decode(pngDir() / "1_Out.png"), 255, 255)); // one block: the second board
    const std::string loaded = read(file("loaded.ostra-material"));
    EXPECT_NE(loaded.find(R"(name="First")"), std::string::npos);
    // Saved ids are node positions: "Second" is node 3, after the two kept nodes and "First".
    EXPECT_NE(loaded.find(R"(<cable fromNode="3" toNode="4" toPort="0" />)"), std::string::npos) << loaded;
}

TEST_F(BadInputTest, CyclesRenderAndOnlyThePackedExportRefusesThem) {
    const std::string mixers =
        R"(<mixer id="3" typeId="2" name="Left" size="16,16" amountA="256" amountB="256"/>)"
        R"(<mixer id="4" typeId="2" name="Right" size="16,16" amountA="256" amountB="256"/>)"
        R"(<collector id="5" typeId="0" name="Loop" size="16,16"/>)";
    const std::string cycle =
        write("cycle.ostra-material", material(mixers, R"(<cable fromNode="1" toNode="3" toPort="0"/>)"
                                                       R"(<cable fromNode="4" toNode="3" toPort="1"/>)"
                                                       R"(<cable fromNode="1" toNode="4" toPort="0"/>)"
                                                       R"(<cable fromNode="3" toNode="4" toPort="1"/>)"
                                                       R"(<cable fromNode="3" toNode="5" toPort="0"/>)"));
    ASSERT_EQ(render(cycle), 0) << err.str();
    EXPECT_EQ(err.str(), "");
    expectKeptBoard();
    EXPECT_TRUE(written().contains("1_Loop.png"));

    // The pictures are written before the export fails; the packed file is not.
    EXPECT_EQ(render(cycle, {"--packed-out", file("cycle.ostra-packed")}), 1);
    EXPECT_TRUE(saidOnError("velvor-render: error: Ai, found a cycle of cables! It runs through node: "))
        << err.str();
    EXPECT_EQ(written().size(), 2u);
    EXPECT_FALSE(fs::exists(file("cycle.ostra-packed")));

    // A cable from a node to itself is dropped without a word, as the connection rules do; the mixer
    // then lacks an input and is never generated, so its collector stays transparent black.
    const std::string self =
        write("self.ostra-material", material(R"(<mixer id="3" typeId="2" name="Self" size="16,16"/>)"
                                              R"(<collector id="5" typeId="0" name="Selfish" size="16,16"/>)",
                                              R"(<cable fromNode="1" toNode="3" toPort="0"/>)"
                                              R"(<cable fromNode="3" toNode="3" toPort="1"/>)"
                                              R"(<cable fromNode="3" toNode="5" toPort="0"/>)"));
    ASSERT_EQ(render(self, {"--xml-out", file("self-loaded.ostra-material")}), 0) << err.str();
    EXPECT_EQ(err.str(), "velvor-render: warning: collector Selfish is incomplete: node Self could not be "
                         "generated (input Source B is open)\n");
    expectKeptBoard();
    EXPECT_TRUE(uniform(decode(pngDir() / "1_Selfish.png"), 0, 0));
    EXPECT_EQ(read(file("self-loaded.ostra-material")).find(R"(fromNode="2" toNode="2")"), std::string::npos);
    EXPECT_EQ(render(self, {"--packed-out", file("self.ostra-packed")}), 1);
    EXPECT_TRUE(
        saidOnError("Ai, found a node which doesn't have all its inputs connected! It was node: Self"))
        << err.str();
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
