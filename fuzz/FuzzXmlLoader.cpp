// The material loader on arbitrary text, answering its questions both ways (the first byte picks the
// answers, one bit per question); whatever loads is then rendered, saved and exported.
#include "base/Exception.h"
#include "base/Progress.h"
#include "io/MaterialXml.h"
#include "io/PackedExport.h"
#include "model/Material.h"

#include <cstdint>
#include <string>

namespace {

class BitPrompt : public Prompt {
public:
    explicit BitPrompt(std::uint8_t answers) : answers_(answers) {}
    bool askYesNo(const std::string&, const std::string&) override {
        return (answers_ >> (asked_++ % 8)) & 1;
    }
    void inform(const std::string&, const std::string&) override {}

private:
    std::uint8_t answers_;
    unsigned asked_ = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    BitPrompt prompt(data[0]);
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    Material material;
    try {
        loadXmlText(material, text, prompt);
        std::int64_t pixels = 0;
        for (std::size_t i = 0; i < material.getNodeCount(); ++i) {
            const Point nodeSize = material.getNode(i).getSize();
            pixels += static_cast<std::int64_t>(nodeSize.x) * nodeSize.y;
        }
        // Rendering big images only measures memory bandwidth; the loader is the target.
        if (pixels <= 64 * 64 * 16) {
            NullProgress progress;
            material.renderAll(progress);
        }
        (void)materialToXml(material);
        (void)exportPacked(material);
    } catch (const Exception&) {
        // Refusals (an export of an incomplete graph, say) are expected answers.
    }
    return 0;
}
