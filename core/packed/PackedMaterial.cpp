#include "core/packed/PackedMaterial.h"

#include "base/Exception.h"
#include "core/Limits.h"
#include "core/operators/Collector.h"
#include "core/operators/OperatorFactory.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace Velvor {

namespace {

constexpr std::size_t headerSize = 5; // type, width, height

// Walks the bytes with bounds checks; every failure names the record it happened in.
class ByteReader {
public:
    explicit ByteReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    std::size_t offset() const { return offset_; }
    std::size_t remaining() const { return bytes_.size() - offset_; }
    const std::uint8_t* cursor() const { return bytes_.data() + offset_; }
    void advanceTo(const std::uint8_t* position) {
        offset_ = static_cast<std::size_t>(position - bytes_.data());
    }

    void require(std::size_t count, std::size_t record, const char* what) const {
        if (remaining() < count) {
            fail(record, std::string("is cut short in its ") + what);
        }
    }
    std::uint8_t byte() { return bytes_[offset_++]; }
    std::uint16_t word() {
        const auto value = static_cast<std::uint16_t>(bytes_[offset_] | (bytes_[offset_ + 1] << 8));
        offset_ += 2;
        return value;
    }

    [[noreturn]] void fail(std::size_t record, const std::string& problem) const {
        throw Exception("Packed material: record " + std::to_string(record) + " (byte " +
                        std::to_string(offset_) + ") " + problem + ".");
    }

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t offset_ = 0;
};

// Size of the parameter block laid out by `fields` that starts at the reader's cursor.
std::size_t parameterBlockSize(std::span<const ParameterField> fields, const ByteReader& reader,
                               std::size_t record) {
    std::size_t size = 0;
    for (const ParameterField& field : fields) {
        if (field.type != FieldType::Text) {
            size += field.fixedSize();
            continue;
        }
        reader.require(size, record, "parameters");
        const std::size_t searchable = std::min(reader.remaining() - size, field.capacity);
        const void* end = std::memchr(reader.cursor() + size, 0, searchable);
        if (end == nullptr) {
            reader.fail(record, "has a text without a terminating zero within its " +
                                    std::to_string(field.capacity) + " bytes");
        }
        size = static_cast<std::size_t>(static_cast<const std::uint8_t*>(end) - reader.cursor()) + 1;
    }
    return size;
}

void checkBudget(std::int64_t pixelsUsed, std::int64_t pixelBudget, const ByteReader& reader,
                 std::size_t record) {
    if (pixelsUsed > pixelBudget) {
        reader.fail(record,
                    "takes the material beyond its limit of " + std::to_string(pixelBudget) + " pixels");
    }
}

} // namespace

PackedMaterial::PackedMaterial(std::span<const std::uint8_t> bytes, std::int64_t pixelBudget) {
    ByteReader reader(bytes);
    std::int64_t pixelsUsed = 0;
    for (std::size_t record = 0;; ++record) {
        reader.require(1, record, "type byte (the terminator 0xFF is missing)");
        const std::uint8_t type = reader.byte();
        if (type == terminator) {
            break;
        }
        if (record == maxPackedRecords) {
            reader.fail(record, "goes beyond the " + std::to_string(maxPackedRecords) +
                                    " records a packed file can hold");
        }
        if (!isKnownOperatorType(type)) {
            reader.fail(record, "has the unknown operator type " + std::to_string(type));
        }
        reader.require(headerSize - 1, record, "size");
        const int width = reader.word();
        const int height = reader.word();
        pixelsUsed += operatorPixels(type, width, height);
        checkBudget(pixelsUsed, pixelBudget, reader, record);

        std::unique_ptr<Operator> op = createOperator(type, width, height);
        const std::size_t blockSize = parameterBlockSize(op->getParameterFields(), reader, record);
        reader.require(blockSize, record, "parameters");
        const std::uint8_t* cursor = reader.cursor();
        op->readParameters(cursor);
        reader.advanceTo(cursor);

        reader.require(1, record, "input count");
        const int inputCount = reader.byte();
        const bool isCollector = op->getType() == OperatorType::Collector;
        if (isCollector ? inputCount > 1 : inputCount != op->getNumInputs()) {
            reader.fail(record, "has " + std::to_string(inputCount) + " inputs where its operator takes " +
                                    std::to_string(op->getNumInputs()));
        }
        reader.require(static_cast<std::size_t>(inputCount), record, "input indices");
        Record entry{std::move(op), {}};
        for (int port = 0; port < inputCount; ++port) {
            const std::size_t source = reader.byte();
            if (source >= record) {
                reader.fail(record,
                            "refers to record " + std::to_string(source) + ", which does not come before it");
            }
            const Operator& input = *records_[source].op;
            if (input.getType() == OperatorType::Collector) {
                reader.fail(record, "takes input from the collector record " + std::to_string(source));
            }
            // Operators read their inputs with their own size; a collector copies its input into its
            // own image, so it takes the same size as well (the export writes nothing else).
            if (!input.getImage().sameSizeAs(entry.op->getImage())) {
                reader.fail(record,
                            "takes input from record " + std::to_string(source) + " of a different size");
            }
            entry.inputs.push_back(source);
        }
        records_.push_back(std::move(entry));
    }
    byteCount_ = reader.offset();
}

void PackedMaterial::render() {
    std::vector<const Image*> inputs;
    for (Record& record : records_) {
        if (record.op->getType() == OperatorType::Collector && record.inputs.empty()) {
            continue;
        }
        inputs.clear();
        for (std::size_t source : record.inputs) {
            inputs.push_back(&records_[source].op->getImage());
        }
        record.op->generate(inputs.data());
    }
}

std::vector<PackedMaterial::Output> PackedMaterial::getCollectors() const {
    std::vector<Output> outputs;
    for (std::size_t i = 0; i < records_.size(); ++i) {
        const Operator& op = *records_[i].op;
        if (op.getType() == OperatorType::Collector) {
            outputs.push_back(Output{static_cast<const Collector&>(op).index, i, &op.getImage()});
        }
    }
    return outputs;
}

} // namespace Velvor
