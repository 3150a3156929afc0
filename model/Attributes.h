#pragma once

// Attributes of one element of the material file, without any XML library: nodes and cables write
// their attributes as ordered key/value text pairs, and read them back through AttributeSource, which
// the file layer puts in front of its own element type.

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// In writing order; the file layer keeps the order.
using AttributeList = std::vector<std::pair<std::string, std::string>>;

class AttributeSource {
public:
    virtual ~AttributeSource() = default;

    // The attribute's text, or nothing when the element does not have it.
    virtual std::optional<std::string> get(std::string_view key) const = 0;
};

// Answers from an AttributeList (not copied; it must outlive the source). With a repeated key the
// first one counts.
class AttributeListSource : public AttributeSource {
public:
    explicit AttributeListSource(const AttributeList& attributes) : attributes_(attributes) {}

    std::optional<std::string> get(std::string_view key) const override;

private:
    const AttributeList& attributes_;
};
