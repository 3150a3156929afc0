#include "model/Attributes.h"

std::optional<std::string> AttributeListSource::get(std::string_view key) const {
    for (const auto& [name, value] : attributes_) {
        if (name == key) {
            return value;
        }
    }
    return std::nullopt;
}
