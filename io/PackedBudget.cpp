#include "io/PackedBudget.h"

#include "base/Exception.h"
#include "io/PackedExport.h"

PackedBudget measurePackedBudget(const Material& material) {
    PackedBudget budget;
    std::vector<PackedRecord> records;
    try {
        budget.total = exportPacked(
                           material, [](const std::string&) {}, &records)
                           .size();
    } catch (const Exception& e) {
        budget.problem = e.getMessage();
        return budget;
    }
    for (const PackedRecord& record : records) {
        budget.recordBytes[record.node] = record.bytes;
    }
    return budget;
}
