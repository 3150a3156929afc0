#pragma once

#include "core/Limits.h"
#include "core/operators/Operator.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace Velvor {

// A material read from its packed form: operator records in dependency order, each with its type, size,
// parameter block and the indices of the earlier records feeding its inputs, ended by 0xFF. Everything is
// checked while reading, the pixel budget and the record limit of core/Limits.h included; bad bytes raise
// Exception with a message naming the record and byte offset, and nothing outside the given bytes is ever
// read. Bytes after the terminator are ignored.
class PackedMaterial {
public:
    static constexpr std::uint8_t terminator = 0xFF;

    struct Output {
        int slotIndex;      // the collector's `index` parameter
        std::size_t record; // position of the collector's record
        const Image* image;
    };

    // pixelBudget: the most pixels all images together may hold (a plasma's scratch image counts).
    explicit PackedMaterial(std::span<const std::uint8_t> bytes,
                            std::int64_t pixelBudget = maxMaterialPixels);

    // Generates every record in file order. A collector without an input keeps its empty image.
    void render();

    std::size_t getRecordCount() const { return records_.size(); }
    const Operator& getOperator(std::size_t record) const { return *records_[record].op; }
    const std::vector<std::size_t>& getInputs(std::size_t record) const { return records_[record].inputs; }
    // The collectors in record order.
    std::vector<Output> getCollectors() const;
    // Bytes consumed, terminator included.
    std::size_t getByteCount() const { return byteCount_; }

private:
    struct Record {
        std::unique_ptr<Operator> op;
        std::vector<std::size_t> inputs;
    };

    std::vector<Record> records_;
    std::size_t byteCount_ = 0;
};

} // namespace Velvor
