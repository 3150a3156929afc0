#include "app/DigestList.h"

#include "app/TerminalText.h"
#include "base/Exception.h"
#include "base/File.h"
#include "io/ImageDigest.h"

#include <algorithm>
#include <sstream>

namespace {

// A digest list holds a line of some 80 bytes and a name per collector.
constexpr std::size_t maxDigestListBytes = 4u << 20;

} // namespace

void DigestList::readExpected(const std::string& file) {
    const std::vector<std::uint8_t> bytes = readBinaryFile(file, maxDigestListBytes);
    std::istringstream list(std::string(bytes.begin(), bytes.end()));
    for (std::string line; std::getline(list, line);) {
        std::istringstream fields(line);
        std::string k, slot, size, digest;
        if (fields >> k >> slot >> size >> digest && k[0] != '#') {
            expected_.push_back(
                k.append(" ").append(slot).append(" ").append(size).append(" ").append(digest));
        }
    }
}

const std::string& DigestList::add(std::size_t index, int slot, const Velvor::Image& image,
                                   std::string name) {
    lines_.push_back({std::to_string(index) + " slot" + std::to_string(slot) + " " +
                          std::to_string(image.getWidth()) + "x" + std::to_string(image.getHeight()) + " " +
                          imageDigest(image),
                      std::move(name)});
    return lines_.back().key;
}

void DigestList::check(const std::string& file, InputReport& report, std::ostream& out, std::ostream& err,
                       bool printSummary) const {
    std::size_t differing = 0;
    for (std::size_t k = 0; k < std::max(expected_.size(), lines_.size()); ++k) {
        const std::string actual = k < lines_.size() ? lines_[k].key : "(no such collector)";
        const std::string wanted = k < expected_.size() ? expected_[k] : "(not in the list)";
        if (actual != wanted) {
            ++differing;
            const std::string name = k < lines_.size() ? " (" + lines_[k].name + ")" : "";
            const std::string text =
                "collector " + std::to_string(k) + name + " differs: " + actual + ", expected " + wanted;
            report.errors.push_back(text);
            err << "velvor-render: " << escapeControlCharacters(text) << "\n";
        }
    }
    if (differing > 0) {
        throw Exception(std::to_string(differing) + " collectors differ from " + file);
    }
    if (printSummary) {
        out << lines_.size() << " collectors match " << escapeControlCharacters(file) << "\n";
    }
}
