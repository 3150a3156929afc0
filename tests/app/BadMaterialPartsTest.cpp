// Materials whose damaged parts are skipped or kept while the valid part still renders.

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
