#include "core/operators/OperatorFactory.h"
#include "core/packed/PackedMaterial.h"

#include <gtest/gtest.h>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

// Each operator's parameter block as the packed format lays it out, written down by hand (the
// operators' own tests pin which field lies where). The reader must take exactly the block, or the
// input count and everything after it come out wrong; the writer must give it back.
TEST(ParameterBlockTest, ReaderAndWriterTakeEachOperatorsBlockAsLaidOut) {
    const std::vector<std::pair<int, Bytes>> blocks = {
        {0, {1, 2}},
        {1, {3, 4}},
        {2, {1, 2, 3, 4, 5, 6}},
        {3, {1, 2, 3, 4, 5, 6, 7, 8}},
        {4, {1, 2, 3, 4, 5, 6, 7, 8}},
        {5, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 'o', 'k', 0}}, // 14 bytes, then the text
        {6, {5, 6}},
    };
    for (const auto& [typeId, block] : blocks) {
        SCOPED_TRACE(typeId);
        // A 2 x 2 checkerboard (record 0) feeds every input of a record of the type (record 1).
        const int inputs = Velvor::createOperator(typeId, 1, 1)->getNumInputs();
        Bytes bytes = {1, 2, 0, 2, 0, 4, 0, 0, static_cast<std::uint8_t>(typeId), 2, 0, 2, 0};
        bytes.insert(bytes.end(), block.begin(), block.end());
        bytes.push_back(static_cast<std::uint8_t>(inputs));
        bytes.insert(bytes.end(), static_cast<std::size_t>(inputs), 0);
        bytes.push_back(0xFF);
        const Velvor::PackedMaterial material(bytes);
        ASSERT_EQ(material.getRecordCount(), 2u);
        EXPECT_EQ(material.getByteCount(), bytes.size());
        Bytes written;
        material.getOperator(1).writeParameters(written);
        EXPECT_EQ(written, block);
    }
}
