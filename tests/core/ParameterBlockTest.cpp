#include "core/OperatorFactory.h"
#include "core/PackedMaterial.h"

#include <gtest/gtest.h>
#include <ostream>
#include <string>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

namespace {

// Each operator's parameter block as the packed format lays it out, written down by hand: the field
// names in byte order and one block of distinct bytes. Changing an operator's declaration (a field
// added, dropped, widened or moved) breaks its row.
struct BlockLayout {
    int typeId;
    std::vector<std::string> fields;
    Bytes block;
};

// clang-format off
const BlockLayout layouts[] = {
    {0, {"index"}, {0x01, 0x02}},
    {1, {"blocks"}, {0x03, 0x04}},
    {2, {"amountA", "amountB", "type"}, {0x01, 0x02, 0x03, 0x04, 0x05, 0x06}},
    {3, {"grid", "seed", "colour"}, {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08}},
    {4, {"amountX", "amountY", "amountXSource", "amountYSource"}, {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08}},
    {5, {"x", "y", "fontsize", "weight", "font", "colour", "text"},
     {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 'o', 'k', 0x00}},
    {6, {"amount"}, {0x05, 0x06}},
};
// clang-format on

void PrintTo(const BlockLayout& layout, std::ostream* out) {
    *out << "type " << layout.typeId;
}

class ParameterBlockTest : public testing::TestWithParam<BlockLayout> {};

} // namespace

TEST_P(ParameterBlockTest, DeclarationReaderAndWriterAgreeWithTheLayout) {
    const BlockLayout& layout = GetParam();
    const auto op = Velvor::createOperator(layout.typeId, 2, 2);
    std::vector<std::string> names;
    for (const Velvor::ParameterField& field : op->getParameterFields()) {
        names.emplace_back(field.name);
    }
    EXPECT_EQ(names, layout.fields);

    // A 2 x 2 checkerboard (record 0) feeds every input of a record of the type (record 1); the
    // reader must take exactly the block, or the input count and what follows come out wrong.
    Bytes bytes = {1, 2, 0, 2, 0, 4, 0, 0};
    bytes.insert(bytes.end(), {static_cast<std::uint8_t>(layout.typeId), 2, 0, 2, 0});
    bytes.insert(bytes.end(), layout.block.begin(), layout.block.end());
    bytes.push_back(static_cast<std::uint8_t>(op->getNumInputs()));
    bytes.insert(bytes.end(), static_cast<std::size_t>(op->getNumInputs()), 0);
    bytes.push_back(0xFF);
    const Velvor::PackedMaterial material(bytes);
    ASSERT_EQ(material.getRecordCount(), 2u);
    EXPECT_EQ(material.getByteCount(), bytes.size());

    Bytes written;
    material.getOperator(1).writeParameters(written);
    EXPECT_EQ(written, layout.block);
}

INSTANTIATE_TEST_SUITE_P(EveryOperator, ParameterBlockTest, testing::ValuesIn(layouts),
                         [](const testing::TestParamInfo<BlockLayout>& info) {
                             return "type" + std::to_string(info.param.typeId);
                         });
