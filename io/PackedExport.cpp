#include "io/PackedExport.h"

#include "base/Exception.h"
#include "base/File.h"
#include "core/Limits.h"

#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <unordered_map>
#include <unordered_set>

namespace {

// Input indices are single bytes, and a side is written in 16 bits.
constexpr std::size_t maxRecords = Velvor::maxPackedRecords;
constexpr int maxSide = 0xFFFF;
constexpr std::uint8_t terminator = 0xFF;

void logToErrorStreamWhenAsked(const std::string& line) {
    static const bool enabled = std::getenv("VELVOR_EXPORT_LOG") != nullptr;
    if (enabled) {
        std::cerr << line;
    }
}

std::string sizeText(const VisualNode& node) {
    return std::to_string(node.getSize().x) + " x " + std::to_string(node.getSize().y);
}

// One export. The walk keeps its own stack of the nodes being exported, so a long chain cannot
// exhaust the call stack, and a node met again while it is on that stack reveals a cycle.
class Exporter {
public:
    Exporter(const Material& material, const ExportLog& log, std::vector<PackedRecord>* records)
        : material_(material), log_(log ? log : ExportLog(logToErrorStreamWhenAsked)), records_(records) {
        for (std::size_t i = 0; i < material.getCableCount(); ++i) {
            const Cable& cable = material.getCable(i);
            inputCables_[&cable.getTo()].push_back(&cable);
        }
    }

    std::vector<std::uint8_t> run() {
        for (std::size_t i = 0; i < material_.getNodeCount(); ++i) {
            const VisualNode& node = material_.getNode(i);
            if (node.getTypeId() == static_cast<int>(Velvor::OperatorType::Collector)) {
                exportFrom(node);
            }
        }
        bytes_.push_back(terminator);
        return std::move(bytes_);
    }

private:
    struct Visit {
        const VisualNode* node;
        std::vector<const Cable*> inputs; // in port order
        std::vector<std::size_t> indices; // records of the inputs exported so far
    };

    void exportFrom(const VisualNode& collector) {
        enter(collector);
        while (!stack_.empty()) {
            Visit& visit = stack_.back();
            if (visit.indices.size() < visit.inputs.size()) {
                const VisualNode& source = visit.inputs[visit.indices.size()]->getFrom();
                const auto found = recordOf_.find(&source);
                if (found != recordOf_.end()) {
                    visit.indices.push_back(found->second);
                } else if (onStack_.contains(&source)) {
                    throw Exception("Ai, found a cycle of cables! It runs through node: " + source.getName());
                } else {
                    enter(source);
                }
                continue;
            }
            const std::size_t record = write(visit);
            onStack_.erase(visit.node);
            stack_.pop_back();
            if (!stack_.empty()) {
                stack_.back().indices.push_back(record);
            }
        }
    }

    void enter(const VisualNode& node) {
        log_("Exporting node " + node.getName() + "\n");
        std::vector<const Cable*> inputs;
        if (const auto found = inputCables_.find(&node); found != inputCables_.end()) {
            inputs = found->second;
        }
        // Stable, so that of two cables to one port the earlier comes first.
        std::stable_sort(inputs.begin(), inputs.end(),
                         [](const Cable* a, const Cable* b) { return a->getToPort() < b->getToPort(); });
        // The run-time reader takes inputs of the consumer's own size only, and the editor does not
        // generate a node whose input differs in size; such a cable cannot be represented.
        for (const Cable* cable : inputs) {
            if (cable->getFrom().getSize() != node.getSize()) {
                throw Exception("Ai, found a cable between nodes of different sizes! It runs from node: " +
                                cable->getFrom().getName() + " (" + sizeText(cable->getFrom()) +
                                ") to node: " + node.getName() + " (" + sizeText(node) + ")");
            }
        }
        const bool isCollector = node.getTypeId() == static_cast<int>(Velvor::OperatorType::Collector);
        if (!isCollector && inputs.size() != static_cast<std::size_t>(node.getInputCount())) {
            throw Exception("Ai, found a node which doesn't have all its inputs connected! It was node: " +
                            node.getName());
        }
        onStack_.insert(&node);
        stack_.push_back(Visit{&node, std::move(inputs), {}});
    }

    std::size_t write(const Visit& visit) {
        const VisualNode& node = *visit.node;
        const Point size = node.getSize();
        if (size.x < 0 || size.x > maxSide || size.y < 0 || size.y > maxSide) {
            throw Exception(
                "Ai, found a node whose size " + std::to_string(size.x) + "," + std::to_string(size.y) +
                " does not fit a packed file (at most 65535 pixels a side)! It was node: " + node.getName());
        }
        if (recordCount_ == maxRecords) {
            throw Exception(
                "Ai, found more than 256 nodes to export! A packed file can refer to 256 at most.");
        }
        const std::size_t record = recordCount_++;
        recordOf_[&node] = record;
        const std::size_t start = bytes_.size();
        node.writePacked(bytes_);
        bytes_.push_back(static_cast<std::uint8_t>(visit.indices.size()));
        for (const std::size_t index : visit.indices) {
            bytes_.push_back(static_cast<std::uint8_t>(index));
        }
        if (records_ != nullptr) {
            records_->push_back(PackedRecord{node.getId(), bytes_.size() - start});
        }
        return record;
    }

    const Material& material_;
    ExportLog log_;
    std::vector<PackedRecord>* records_;
    std::unordered_map<const VisualNode*, std::vector<const Cable*>> inputCables_; // in cable order
    std::unordered_map<const VisualNode*, std::size_t> recordOf_;
    std::unordered_set<const VisualNode*> onStack_;
    std::vector<Visit> stack_;
    std::size_t recordCount_ = 0;
    std::vector<std::uint8_t> bytes_;
};

} // namespace

std::vector<std::uint8_t> exportPacked(const Material& material, const ExportLog& log,
                                       std::vector<PackedRecord>* records) {
    return Exporter(material, log, records).run();
}

bool writePacked(const Material& material, std::vector<std::uint8_t>& target, Prompt& prompt) {
    try {
        target = exportPacked(material);
        return true;
    } catch (const Exception& e) {
        target.clear();
        prompt.inform("Ai!",
                      "An error occured while exporting to a packed file. An empty texture will be saved. "
                      "I got the following info:\n" +
                          e.getMessage());
        return false;
    }
}

bool exportPackedFile(const Material& material, const std::string& path, Prompt& prompt) {
    // The export runs in memory first; the file is replaced only by a whole result (or, after a
    // failed export, by the empty texture the message announces).
    std::vector<std::uint8_t> bytes;
    const bool exported = writePacked(material, bytes, prompt);
    try {
        writeFile(path, bytes);
    } catch (const WriteError& e) {
        throw Exception("Error writing to packed file. (" + e.getReason() + ")");
    }
    return exported;
}
