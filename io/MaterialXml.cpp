#include "io/MaterialXml.h"

#include "base/Exception.h"
#include "base/File.h"
#include "base/TextFormat.h"
#include "core/Limits.h"
#include "io/XmlShape.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <tinyxml.h>
#include <utility>

namespace {

const std::string caption = "Ai!";
const std::string notAMaterial = "Specified file is apparently not a velvor material!";
const std::string continueQuestion = "\n\rDo you want to continue loading?";

// Material files nest three deep and carry at most a dozen attributes per element; far beyond that
// a document is refused before the parser sees it (see XmlShape.h).
constexpr std::size_t maxDepth = 64;
constexpr std::size_t maxAttributes = 256;
// The parser spends some 200 bytes on each element, attribute, comment or run of text, about fifty
// times the bytes a hostile file needs to ask for one. The largest material that can be loaded (4096
// nodes of a dozen attributes and every cable they can take) holds under 100,000 items; past 2^18 a
// document is refused, which keeps its tree within about 60 MB.
constexpr std::size_t maxItems = std::size_t{1} << 18;

void appendAttributes(TiXmlElement& element, const AttributeList& attributes) {
    for (const auto& [key, value] : attributes) {
        element.SetAttribute(key, value);
    }
}

class ElementAttributes : public AttributeSource {
public:
    explicit ElementAttributes(const TiXmlElement& element) : element_(element) {}

    std::optional<std::string> get(std::string_view key) const override {
        const char* value = element_.Attribute(std::string(key).c_str());
        return value != nullptr ? std::optional<std::string>(value) : std::nullopt;
    }

private:
    const TiXmlElement& element_;
};

std::int64_t pixelsOf(const NodeTypeInfo& type, Point size) {
    return Velvor::operatorPixels(type.id, size.x, size.y);
}

// One load: the ids of the nodes read so far and the running pixel total.
class Loader {
public:
    Loader(Material& material, Prompt& prompt) : material_(material), prompt_(prompt) {}

    LoadOutcome run(const TiXmlElement& root) {
        if (const TiXmlElement* nodes = root.FirstChildElement("nodes")) {
            for (const TiXmlElement* e = nodes->FirstChildElement(); e != nullptr;
                 e = e->NextSiblingElement()) {
                if (!readNode(*e)) {
                    return LoadOutcome::Stopped;
                }
            }
        }
        if (const TiXmlElement* cables = root.FirstChildElement("cables")) {
            for (const TiXmlElement* e = cables->FirstChildElement(); e != nullptr;
                 e = e->NextSiblingElement()) {
                if (!readCable(*e)) {
                    return LoadOutcome::Stopped;
                }
            }
        }
        return skipped_ ? LoadOutcome::Partial : LoadOutcome::Complete;
    }

private:
    static std::int32_t decimal(const ElementAttributes& in, std::string_view key) {
        const std::optional<std::string> text = in.get(key);
        return text ? parseDecimal(*text) : 0;
    }

    // Asks whether to go on after skipping something; false means stop.
    bool skip(const std::string& problem) {
        skipped_ = true;
        return prompt_.askYesNo(caption, problem + continueQuestion);
    }

    bool readNode(const TiXmlElement& element) {
        const ElementAttributes in(element);
        const std::int32_t id = decimal(in, "id");
        const std::int32_t typeId = decimal(in, "typeId");
        const std::string name = in.get("name").value_or("");
        const Point position = parsePoint(in.get("position").value_or(""));
        const Point size = parsePoint(in.get("size").value_or(""));
        const std::string described =
            "Could not create node with name '" + name + "' and id " + std::to_string(id);

        const NodeTypeInfo* type = findNodeType(typeId);
        if (type == nullptr) {
            return skip(described + ", since I dont know that type :(");
        }
        if (material_.getNodeCount() >= maxLoadedNodes) {
            return skip(described + ", since the material already holds " + std::to_string(maxLoadedNodes) +
                        " nodes!");
        }
        const std::string sizeProblem =
            described + ", since its size " + formatPoint(size) + " cannot be allocated!";
        if (size.x < 0 || size.y < 0 || pixelsUsed_ + pixelsOf(*type, size) > Velvor::maxMaterialPixels) {
            return skip(sizeProblem);
        }
        VisualNode* node = nullptr;
        try {
            node = &material_.addNode(name, *type, size, position);
        } catch (const Exception&) {
            return skip(sizeProblem);
        }
        pixelsUsed_ += pixelsOf(*type, size);
        node->readXml(in);
        loadedNodes_[id] = node;
        return true;
    }

    bool readCable(const TiXmlElement& element) {
        const ElementAttributes in(element);
        const std::int32_t fromId = decimal(in, "fromNode");
        const std::int32_t toId = decimal(in, "toNode");
        const std::int32_t toPort = decimal(in, "toPort");

        const auto from = loadedNodes_.find(fromId);
        if (from == loadedNodes_.end()) {
            return skip("Could not create cable from node with id " + std::to_string(fromId) +
                        ", since that node wasnt loaded!");
        }
        const auto to = loadedNodes_.find(toId);
        if (to == loadedNodes_.end()) {
            return skip("Could not create cable to node with id " + std::to_string(toId) +
                        ", since that node wasnt loaded!");
        }
        VisualNode& source = *from->second;
        VisualNode& target = *to->second;
        // Rendering fills the input slot of the port, so only existing ports may get a cable.
        if (toPort < 0 || toPort >= target.getInputCount()) {
            return skip("Could not create cable to port " + std::to_string(toPort) + " of node with id " +
                        std::to_string(toId) + ", since that node has no such input!");
        }
        // The material refuses these silently as well; deciding here spares a search through all its
        // nodes and cables for each of a file's many repeated cables.
        if (&source == &target || !source.hasOutput() || !takenPorts_.emplace(&target, toPort).second) {
            return true;
        }
        material_.connect(source, -1, target, toPort);
        return true;
    }

    Material& material_;
    Prompt& prompt_;
    std::map<std::int32_t, VisualNode*> loadedNodes_;
    std::set<std::pair<const VisualNode*, int>> takenPorts_;
    std::int64_t pixelsUsed_ = 0;
    bool skipped_ = false;
};

LoadOutcome reject(Prompt& prompt) {
    prompt.inform(caption, notAMaterial);
    return LoadOutcome::Rejected;
}

LoadOutcome readDocument(Material& material, const std::string& text, Prompt& prompt) {
    // The parser reads a zero-terminated string and would silently stop at an embedded zero.
    if (text.find('\0') != std::string::npos) {
        return reject(prompt);
    }
    const XmlShape shape = measureXml(text);
    if (shape.ambiguous || shape.depth > maxDepth || shape.attributes > maxAttributes ||
        shape.items > maxItems) {
        return reject(prompt);
    }
    TiXmlDocument document;
    document.Parse(text.c_str());
    const TiXmlElement* root = document.RootElement();
    if (document.Error() || root == nullptr || std::string(root->Value()) != "velvorMaterial") {
        return reject(prompt);
    }
    return Loader(material, prompt).run(*root);
}

// The document of the nodes `chosen` accepts and of the cables among them; ids count the chosen
// nodes in node order.
template <typename Chosen> std::string writeDocument(const Material& material, Chosen chosen) {
    TiXmlDocument document;
    auto root = std::make_unique<TiXmlElement>("velvorMaterial");
    auto nodes = std::make_unique<TiXmlElement>("nodes");
    std::map<const VisualNode*, int> ids;
    for (std::size_t i = 0; i < material.getNodeCount(); ++i) {
        const VisualNode& node = material.getNode(i);
        if (!chosen(node)) {
            continue;
        }
        auto element = std::make_unique<TiXmlElement>(toLower(node.getTypeName()));
        AttributeList attributes;
        const int id = static_cast<int>(ids.size());
        node.writeXml(attributes, id);
        ids.emplace(&node, id);
        appendAttributes(*element, attributes);
        nodes->LinkEndChild(element.release());
    }
    auto cables = std::make_unique<TiXmlElement>("cables");
    for (std::size_t i = 0; i < material.getCableCount(); ++i) {
        const Cable& cable = material.getCable(i);
        const auto from = ids.find(&cable.getFrom());
        const auto to = ids.find(&cable.getTo());
        if (from == ids.end() || to == ids.end()) {
            if (!material.findNodeIndex(&cable.getFrom()) || !material.findNodeIndex(&cable.getTo())) {
                throw Exception("A cable of the material joins a node that is not part of it.");
            }
            continue;
        }
        auto element = std::make_unique<TiXmlElement>("cable");
        AttributeList attributes;
        cable.writeXml(attributes, from->second, to->second);
        appendAttributes(*element, attributes);
        cables->LinkEndChild(element.release());
    }
    root->LinkEndChild(nodes.release());
    root->LinkEndChild(cables.release());
    document.LinkEndChild(root.release());

    // The printer's defaults (four blanks, "\n") are what the document's own file saving writes.
    TiXmlPrinter printer;
    document.Accept(&printer);
    return printer.Str();
}

} // namespace

std::string materialToXml(const Material& material) {
    return writeDocument(material, [](const VisualNode&) { return true; });
}

std::string nodesToXml(const Material& material, const std::set<NodeId>& nodes) {
    return writeDocument(material, [&nodes](const VisualNode& node) { return nodes.contains(node.getId()); });
}

void saveXml(const Material& material, const std::string& path) {
    writeFile(path, materialToXml(material));
}

LoadOutcome loadXml(Material& material, const std::string& path, Prompt& prompt) {
    std::string text;
    try {
        text = readFile(path);
    } catch (const Exception&) {
        Material nothing{Material::Empty{}};
        material.takeContentOf(nothing);
        return reject(prompt);
    }
    return loadXmlText(material, text, prompt);
}

LoadOutcome loadXmlText(Material& material, const std::string& fileText, Prompt& prompt) {
    // Editors on some systems start UTF-8 files with a byte order mark; it is not part of the document.
    constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";
    const std::string text =
        fileText.starts_with(byteOrderMark) ? fileText.substr(byteOrderMark.size()) : fileText;
    // Built aside and handed over whole, so that views hear of one replacement, not of every node.
    Material loaded{Material::Empty{}};
    const LoadOutcome outcome = readDocument(loaded, text, prompt);
    material.takeContentOf(loaded);
    return outcome;
}
