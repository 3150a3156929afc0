#include "io/PackedExport.h"

#include "MaterialBuilding.h"
#include "ScriptedPrompt.h"
#include "base/Exception.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <system_error>

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

namespace {

std::string exportError(const Material& material) {
    try {
        exportPacked(material);
    } catch (const Exception& e) {
        return e.getMessage();
    }
    return "no exception";
}

void join(Material& material, std::size_t from, std::size_t to, int port) {
    ASSERT_NE(material.connect(material.getNode(from), -1, material.getNode(to), port), nullptr);
}

// Collector record of an 8 x 8 image with slot index `slot`, fed by the records listed.
Bytes collectorRecord(std::uint8_t slot, const Bytes& inputs) {
    Bytes record{0, 8, 0, 8, 0, slot, 0, static_cast<std::uint8_t>(inputs.size())};
    for (const std::uint8_t input : inputs) {
        record.push_back(input);
    }
    return record;
}

const Bytes chessRecord{1, 8, 0, 8, 0, 2, 0, 0}; // 8 x 8 checkerboard of 2 blocks

Bytes concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

// Material: [0] Chess (8 x 8, 2 blocks), then the nodes the test adds.
struct ChessMaterial : EmptyMaterial {
    ChessMaterial() { addTyped<Velvor::Checkboard>(*this, 1, "Chess", {8, 8}).blocks = 2; }
};

} // namespace

TEST(PackedExportTest, CollectorsWithoutInputsAndMaterialsWithoutCollectors) {
    EXPECT_EQ(exportPacked(EmptyMaterial()), Bytes{0xFF});
    ChessMaterial unused; // not reachable from any collector: neither written nor checked
    addTyped<Velvor::Mixer>(unused, 2, "Open mixer", {8, 8});
    EXPECT_EQ(exportPacked(unused), Bytes{0xFF});

    // Five 256 x 256 collectors, slot indices 0, 1, 2, 4, 3, no inputs.
    Bytes expected;
    for (std::uint8_t slot : {0, 1, 2, 4, 3}) {
        for (const std::uint8_t byte : {0, 0x00, 0x01, 0x00, 0x01, int{slot}, 0, 0}) {
            expected.push_back(byte);
        }
    }
    expected.push_back(0xFF);
    EXPECT_EQ(exportPacked(Material()), expected);
}

TEST(PackedExportTest, SmallMaterialGivesTheBytesOfTheFormat) {
    ChessMaterial material;
    auto& plasma = addTyped<Velvor::SubPlasma>(material, 3, "Clouds", {8, 8});
    plasma.grid = 3;
    plasma.seed = 7;
    plasma.colour = 0x80402010u;
    auto& mixer = addTyped<Velvor::Mixer>(material, 2, "Mix", {8, 8});
    mixer.amountA = 100;
    mixer.amountB = -2;
    mixer.type = 1;
    addTyped<Velvor::Collector>(material, 0, "Out", {8, 8}).index = 3;
    // Port 1 connected before port 0: the record still lists port 0 first.
    join(material, 1, 2, 1);
    join(material, 0, 2, 0);
    join(material, 2, 3, 0);

    std::vector<std::string> log;
    const Bytes bytes = exportPacked(material, [&](const std::string& line) { log.push_back(line); });
    const Bytes expected = concat({
        chessRecord,
        {3, 8, 0, 8, 0, 3, 0, 7, 0, 0x10, 0x20, 0x40, 0x80, 0}, // plasma: grid, seed, colour
        {2, 8, 0, 8, 0, 100, 0, 0xFE, 0xFF, 1, 0, 2, 0, 1},     // mixer: A, B, type; inputs 0, 1
        collectorRecord(3, {2}),
        {0xFF},
    });
    EXPECT_EQ(bytes, expected);
    EXPECT_EQ(log, (std::vector<std::string>{"Exporting node Out\n", "Exporting node Mix\n",
                                             "Exporting node Chess\n", "Exporting node Clouds\n"}));
}

TEST(PackedExportTest, SharedNodesAreWrittenOnceAndReferredBackTo) {
    ChessMaterial material;
    addTyped<Velvor::Mixer>(material, 2, "Mix", {8, 8}).type = 0;
    addTyped<Velvor::Collector>(material, 0, "A", {8, 8}).index = 0;
    addTyped<Velvor::Collector>(material, 0, "B", {8, 8}).index = 1;
    addTyped<Velvor::Collector>(material, 0, "C", {8, 8}).index = 2;
    join(material, 0, 1, 0); // the checkerboard feeds both mixer ports ...
    join(material, 0, 1, 1);
    join(material, 1, 2, 0); // ... and the mixer feeds two collectors, the checkerboard a third
    join(material, 1, 3, 0);
    join(material, 0, 4, 0);

    const Bytes mixerRecord{2, 8, 0, 8, 0, 0, 1, 0, 1, 0, 0, 2, 0, 0};
    EXPECT_EQ(exportPacked(material), concat({chessRecord,
                                              mixerRecord,
                                              collectorRecord(0, {1}),
                                              collectorRecord(1, {1}),
                                              collectorRecord(2, {0}),
                                              {0xFF}}));
}

TEST(PackedExportTest, TextRecordsCarryTheirTextAndItsZero) {
    EmptyMaterial material;
    auto& text = addTyped<Velvor::Text>(material, 5, "Words", {8, 8});
    addTyped<Velvor::Collector>(material, 0, "Out", {8, 8});
    join(material, 0, 1, 0);
    // Header 5, parameter block 14 + text + 1, input count 1; then the collector (9) and 0xFF.
    EXPECT_EQ(exportPacked(material).size(), 5 + 14 + 7 + 1 + 1 + 9 + 1u); // "Pwnage!"
    text.setText("");
    const Bytes bytes = exportPacked(material);
    ASSERT_EQ(bytes.size(), 5 + 15 + 1 + 9 + 1u);
    EXPECT_EQ(bytes[19], 0); // the terminating zero of the empty text
}

TEST(PackedExportTest, UnconnectedInputsFailNamingTheNodeAndTheWrapperWritesNothing) {
    ChessMaterial material;
    addTyped<Velvor::Mixer>(material, 2, "Half mixer", {8, 8});
    addTyped<Velvor::Collector>(material, 0, "Out", {8, 8});
    join(material, 0, 1, 1);
    join(material, 1, 2, 0);
    const std::string message =
        "Ai, found a node which doesn't have all its inputs connected! It was node: Half mixer";
    EXPECT_EQ(exportError(material), message);

    Bytes target{1, 2, 3};
    ScriptedPrompt prompt;
    EXPECT_FALSE(writePacked(material, target, prompt));
    EXPECT_TRUE(target.empty());
    ASSERT_EQ(prompt.messages.size(), 1u);
    EXPECT_EQ(prompt.messages[0].caption, "Ai!");
    EXPECT_EQ(prompt.messages[0].text,
              "An error occured while exporting to a packed file. An empty texture will be "
              "saved. I got the following info:\n" +
                  message);

    join(material, 0, 1, 0);
    EXPECT_TRUE(writePacked(material, target, prompt));
    EXPECT_EQ(target.size(), 8 + 14 + 9 + 1u);
}

TEST(PackedExportTest, WhatTheFormatCannotHoldIsRefused) {
    // A chain of 256 records fits: the collector refers to record 254.
    EmptyMaterial chain;
    addTyped<Velvor::Collector>(chain, 0, "Out", {1, 1});
    addTyped<Velvor::Checkboard>(chain, 1, "Start", {1, 1});
    for (int i = 0; i < 254; ++i) {
        addTyped<Velvor::NormalMap>(chain, 6, "Link", {1, 1});
        join(chain, chain.getNodeCount() - 2, chain.getNodeCount() - 1, 0);
    }
    join(chain, chain.getNodeCount() - 1, 0, 0);
    const Bytes bytes = exportPacked(chain);
    ASSERT_EQ(bytes.size(), 8 + 254 * 9 + 9 + 1u);
    EXPECT_EQ(bytes[bytes.size() - 2], 254);

    addTyped<Velvor::NormalMap>(chain, 6, "One more", {1, 1});
    chain.removeCable(&chain.getCable(chain.getCableCount() - 1));
    join(chain, chain.getNodeCount() - 2, chain.getNodeCount() - 1, 0);
    join(chain, chain.getNodeCount() - 1, 0, 0);
    EXPECT_EQ(exportError(chain),
              "Ai, found more than 256 nodes to export! A packed file can refer to 256 at most.");

    EmptyMaterial wide;
    addTyped<Velvor::Checkboard>(wide, 1, "Wide", {70000, 1});
    addTyped<Velvor::Collector>(wide, 0, "Out", {70000, 1});
    join(wide, 0, 1, 0);
    EXPECT_EQ(exportError(wide),
              "Ai, found a node whose size 70000,1 does not fit a packed file (at most 65535 "
              "pixels a side)! It was node: Wide");

    // The reader takes no input of another size, so neither does the export (a collector included).
    ChessMaterial sizes;
    addTyped<Velvor::Collector>(sizes, 0, "Small out", {4, 4});
    join(sizes, 0, 1, 0);
    EXPECT_EQ(exportError(sizes), "Ai, found a cable between nodes of different sizes! It runs from node: "
                                  "Chess (8 x 8) to node: Small out (4 x 4)");
}

TEST(PackedExportTest, CyclesAreRefused) {
    ChessMaterial material;
    addTyped<Velvor::Mixer>(material, 2, "Loop A", {8, 8});
    addTyped<Velvor::Mixer>(material, 2, "Loop B", {8, 8});
    addTyped<Velvor::Collector>(material, 0, "Out", {8, 8});
    join(material, 0, 1, 0);
    join(material, 2, 1, 1);
    join(material, 0, 2, 0);
    join(material, 1, 2, 1);
    join(material, 1, 3, 0);
    EXPECT_EQ(exportError(material), "Ai, found a cycle of cables! It runs through node: Loop A");
}

TEST(PackedExportTest, FileExportReplacesWholeAndLeavesAnEmptyFileOnFailure) {
    const fs::path directory = fs::temp_directory_path() / "velvor-io-test-packed-file";
    fs::remove_all(directory);
    fs::create_directories(directory);
    const std::string path = (directory / "out.ostra-packed").string();
    const auto fileSize = [&] { return fs::file_size(path); };

    ScriptedPrompt prompt;
    EXPECT_TRUE(exportPackedFile(Material(), path, prompt));
    EXPECT_EQ(fileSize(), 5 * 8 + 1u);

    ChessMaterial broken;
    addTyped<Velvor::NormalMap>(broken, 6, "Open", {8, 8});
    addTyped<Velvor::Collector>(broken, 0, "Out", {8, 8});
    join(broken, 1, 2, 0);
    EXPECT_FALSE(exportPackedFile(broken, path, prompt));
    EXPECT_EQ(fileSize(), 0u);
    EXPECT_EQ(prompt.messages.size(), 1u);

    try {
        exportPackedFile(Material(), directory.string(), prompt);
        ADD_FAILURE() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.getMessage(),
                  "Error writing to packed file. (" + std::system_category().message(EISDIR) + ")");
    }
    fs::remove_all(directory);
}
