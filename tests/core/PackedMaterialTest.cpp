#include "core/packed/PackedMaterial.h"

#include "base/Exception.h"
#include "core/operators/Checkboard.h"
#include "core/operators/Collector.h"
#include "core/operators/Text.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using Bytes = std::vector<std::uint8_t>;
using Velvor::PackedMaterial;

namespace {

// Record builders written from the byte layout, independent of the operators' own writers.
void header(Bytes& b, int type, int width, int height) {
    for (int value : {type, width & 0xFF, width >> 8, height & 0xFF, height >> 8}) {
        b.push_back(static_cast<std::uint8_t>(value));
    }
}
void checkerboard(Bytes& b, int size, int blocks) {
    header(b, 1, size, size);
    b.insert(b.end(), {static_cast<std::uint8_t>(blocks), 0, 0});
}
void collector(Bytes& b, int size, int slot, std::vector<std::uint8_t> inputs) {
    header(b, 0, size, size);
    b.insert(b.end(), {static_cast<std::uint8_t>(slot), 0, static_cast<std::uint8_t>(inputs.size())});
    b.insert(b.end(), inputs.begin(), inputs.end());
}

std::string errorOf(const Bytes& bytes, std::int64_t pixelBudget = Velvor::maxMaterialPixels) {
    try {
        PackedMaterial material(bytes, pixelBudget);
        material.render();
    } catch (const Exception& e) {
        return e.getMessage();
    }
    return "";
}

Bytes checkerIntoTwoCollectors() {
    Bytes b;
    checkerboard(b, 8, 2);
    collector(b, 8, 0, {0});
    collector(b, 8, 4, {0});
    b.push_back(0xFF);
    return b;
}

} // namespace

TEST(PackedMaterialTest, RendersRecordsAndExposesCollectorsInOrder) {
    const Bytes bytes = checkerIntoTwoCollectors();
    PackedMaterial material(bytes);
    ASSERT_EQ(material.getRecordCount(), 3u);
    EXPECT_EQ(material.getByteCount(), bytes.size());
    material.render();

    Velvor::Checkboard expected(8, 8);
    expected.blocks = 2;
    expected.generate(nullptr);
    const auto outputs = material.getCollectors();
    ASSERT_EQ(outputs.size(), 2u);
    EXPECT_EQ(outputs[0].slotIndex, 0);
    EXPECT_EQ(outputs[1].slotIndex, 4);
    EXPECT_EQ(outputs[1].record, 2u);
    for (const auto& output : outputs) {
        ASSERT_TRUE(output.image->sameSizeAs(expected.getImage()));
        for (int i = 0; i < 64; ++i) {
            ASSERT_EQ(output.image->getPixels()[i], expected.getImage().getPixels()[i]);
        }
    }
}

TEST(PackedMaterialTest, EmptyMaterialsAndUnconnectedCollectorsAreValid) {
    EXPECT_EQ(PackedMaterial(Bytes{0xFF}).getRecordCount(), 0u);
    Bytes lone;
    collector(lone, 4, 2, {});
    lone.insert(lone.end(), {0xFF, 0x12, 0x34}); // bytes after the terminator are ignored
    PackedMaterial material(lone);
    material.render();
    EXPECT_EQ(material.getByteCount(), lone.size() - 2);
    EXPECT_EQ(material.getCollectors().at(0).image->getPixels()[0], 0u);
}

TEST(PackedMaterialTest, EveryTruncationIsReportedNeverReadPast) {
    Bytes full;
    header(full, 5, 16, 16);
    full.insert(full.end(), 14, 0);
    for (char c : std::string("Hi")) {
        full.push_back(static_cast<std::uint8_t>(c));
    }
    full.insert(full.end(), {0, 0});
    collector(full, 16, 0, {0});
    full.push_back(0xFF);
    ASSERT_EQ(errorOf(full), "");
    for (std::size_t cut = 0; cut < full.size(); ++cut) {
        // An exact-size copy, so AddressSanitizer sees any read past the end.
        const Bytes prefix(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(cut));
        EXPECT_NE(errorOf(prefix), "") << "cut at " << cut;
    }
    EXPECT_EQ(errorOf({}),
              "Packed material: record 0 (byte 0) is cut short in its type byte (the terminator 0xFF is "
              "missing).");
}

TEST(PackedMaterialTest, MalformedRecordsAreRejectedWithTheirReason) {
    Bytes unknown;
    header(unknown, 7, 1, 1);
    EXPECT_NE(errorOf(unknown).find("unknown operator type 7"), std::string::npos);

    Bytes forward;
    checkerboard(forward, 4, 2);
    collector(forward, 4, 0, {1});
    forward.push_back(0xFF);
    EXPECT_NE(errorOf(forward).find("refers to record 1, which does not come before it"), std::string::npos);

    Bytes mixerOneInput;
    checkerboard(mixerOneInput, 4, 2);
    header(mixerOneInput, 2, 4, 4);
    mixerOneInput.insert(mixerOneInput.end(), {0, 1, 0, 1, 0, 0, 1, 0});
    mixerOneInput.push_back(0xFF);
    EXPECT_NE(errorOf(mixerOneInput).find("has 1 inputs where its operator takes 2"), std::string::npos);

    Bytes fromCollector;
    checkerboard(fromCollector, 4, 2);
    collector(fromCollector, 4, 0, {0});
    header(fromCollector, 6, 4, 4);
    fromCollector.insert(fromCollector.end(), {0, 1, 1, 1});
    fromCollector.push_back(0xFF);
    EXPECT_NE(errorOf(fromCollector).find("collector record 1"), std::string::npos);

    Bytes sizes;
    checkerboard(sizes, 4, 2);
    header(sizes, 6, 8, 8);
    sizes.insert(sizes.end(), {0, 1, 1, 0});
    sizes.push_back(0xFF);
    EXPECT_NE(errorOf(sizes).find("of a different size"), std::string::npos);

    // A collector copies its input into its own image, so it takes only its own size too.
    Bytes collectorSize;
    checkerboard(collectorSize, 4, 2);
    collector(collectorSize, 8, 0, {0});
    collectorSize.push_back(0xFF);
    EXPECT_NE(errorOf(collectorSize).find("of a different size"), std::string::npos);

    Bytes twoCollectorInputs;
    checkerboard(twoCollectorInputs, 4, 2);
    collector(twoCollectorInputs, 4, 0, {0, 0});
    twoCollectorInputs.push_back(0xFF);
    EXPECT_NE(errorOf(twoCollectorInputs).find("has 2 inputs"), std::string::npos);
}

TEST(PackedMaterialTest, TextMustEndWithinItsBuffer) {
    Bytes text;
    header(text, 5, 8, 8);
    text.insert(text.end(), 14, 0);
    text.insert(text.end(), 1024, 'a'); // 1024 characters: no room for the terminator
    text.insert(text.end(), {0, 0, 0xFF});
    EXPECT_NE(errorOf(text).find("without a terminating zero within its 1024 bytes"), std::string::npos);

    Bytes longest;
    header(longest, 5, 8, 8);
    longest.insert(longest.end(), 14, 0);
    longest.insert(longest.end(), 1023, 'a');
    longest.insert(longest.end(), {0, 0, 0xFF});
    PackedMaterial material(longest);
    const auto& op = static_cast<const Velvor::Text&>(material.getOperator(0));
    EXPECT_EQ(op.getText().size(), 1023u);
}

TEST(PackedMaterialTest, SizesBeyondThePixelBudgetAreRefusedBeforeAllocating) {
    Bytes huge;
    for (int i = 0; i < 3; ++i) {
        header(huge, 1, 65535, 65535);
        huge.insert(huge.end(), {4, 0, 0});
    }
    huge.push_back(0xFF);
    EXPECT_NE(errorOf(huge).find("beyond its limit"), std::string::npos);

    // A plasma counts twice (it keeps a scratch image): 2 x 16384 x 16385 pixels are just too many.
    Bytes plasma;
    header(plasma, 3, 16384, 16385);
    plasma.insert(plasma.end(), {4, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0xFF});
    EXPECT_NE(errorOf(plasma).find("record 0 (byte 5) takes the material beyond its limit"),
              std::string::npos);
}

TEST(PackedMaterialTest, TheBudgetCountsEachImageOnceAsTheMaterialFileDoes) {
    // A 64 x 64 checkerboard and its collector hold 8192 pixels, nothing more.
    Bytes pair;
    checkerboard(pair, 64, 2);
    collector(pair, 64, 0, {0});
    pair.push_back(0xFF);
    EXPECT_EQ(PackedMaterial(pair, 8192).getRecordCount(), 2u);
    EXPECT_NE(errorOf(pair, 8191).find("record 1 (byte 13) takes the material beyond its limit of 8191"),
              std::string::npos);
}

TEST(PackedMaterialTest, MoreRecordsThanIndicesCanNameAreRefused) {
    // Every record costs an operator however small its image, so a count without limit would let a
    // file of a few megabytes of empty text records take gigabytes.
    Bytes records;
    for (int i = 0; i < 256; ++i) {
        collector(records, 0, 0, {});
    }
    Bytes full = records;
    full.push_back(0xFF);
    EXPECT_EQ(PackedMaterial(full).getRecordCount(), 256u);

    collector(records, 0, 0, {});
    records.push_back(0xFF);
    // 256 records of 8 bytes lie before the one refused; its type byte has been read.
    EXPECT_EQ(errorOf(records),
              "Packed material: record 256 (byte 2049) goes beyond the 256 records a packed file can hold.");
}
