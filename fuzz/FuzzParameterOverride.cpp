// --set NODE.PARAM=VALUE on arbitrary text against a material with every node type: never a crash;
// either a usage error, or the value is set, and seeds shifted afterwards stay within their range.
#include "app/ParameterOverride.h"
#include "app/UsageError.h"
#include "io/MaterialXml.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

const char* const material =
    "<velvorMaterial><nodes>"
    R"(<collector id="0" typeId="0" name="Out" size="4,4"/>)"
    R"(<checkerboard id="1" typeId="1" name="Board" size="4,4"/>)"
    R"(<mixer id="2" typeId="2" name="Mix.A" size="4,4"/><mixer id="3" typeId="2" name="Mix.A" size="4,4"/>)"
    R"(<subplasma id="4" typeId="3" name="" size="4,4"/><displacement id="5" typeId="4" name="=" size="4,4"/>)"
    R"(<normalmap id="6" typeId="6" name="#1" size="4,4"/><text id="7" typeId="5" name="T" size="4,4"/>)"
    "</nodes></velvorMaterial>";

class Silent : public Prompt {
public:
    bool askYesNo(const std::string&, const std::string&) override { return true; }
    void inform(const std::string&, const std::string&) override {}
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Material target(Material::Empty{});
    Silent prompt;
    loadXmlText(target, material, prompt);
    const std::string text(reinterpret_cast<const char*>(data), size);
    try {
        const ParameterOverride change = parseOverride(text);
        applyOverride(target, change);
        offsetSeeds(target, static_cast<std::int64_t>(size) * 1000003 - 7);
    } catch (const UsageError&) {
        return 0;
    }
    // Whatever was set, the offset keeps every seed within its range.
    for (std::size_t i = 0; i < target.getNodeCount(); ++i) {
        const VisualNode& node = target.getNode(i);
        for (const ParameterInfo& info : node.getTypeInfo()->parameters) {
            if (info.xmlKey == "seed" && (info.get(node.getOperator()) < info.minimum ||
                                          info.get(node.getOperator()) > info.maximum)) {
                std::abort();
            }
        }
    }
    return 0;
}
