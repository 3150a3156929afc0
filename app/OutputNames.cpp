#include "app/OutputNames.h"

#include "io/FileNamePattern.h"

std::string collectorFileName(std::size_t k, std::string_view name) {
    return std::to_string(k) + "_" + safeFileNamePart(name) + ".png";
}
