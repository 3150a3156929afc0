#include "app/OutputNames.h"

std::string collectorFileName(std::size_t k, std::string_view name) {
    std::string safe(name);
    for (char& c : safe) {
        const bool allowed = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                             c == '.' || c == '_' || c == '-';
        if (!allowed) {
            c = '_';
        }
    }
    return std::to_string(k) + "_" + safe + ".png";
}
