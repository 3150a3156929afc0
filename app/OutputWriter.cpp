#include "app/OutputWriter.h"

#include "app/TerminalText.h"
#include "base/Exception.h"
#include "base/File.h"

OutputWriter::OutputWriter(const std::vector<std::string>& inputs, std::ostream& out, bool outIsTerminal,
                           bool printPaths)
    : out_(out), outIsTerminal_(outIsTerminal), printPaths_(printPaths) {
    for (const std::string& input : inputs) {
        if (const std::optional<FileIdentity> identity = identityOf(input)) {
            inputs_[*identity] = input;
        }
    }
}

void OutputWriter::checkNotAnInput(const std::string& path) const {
    if (const std::optional<FileIdentity> identity = identityOf(path)) {
        if (const auto input = inputs_.find(*identity); input != inputs_.end()) {
            throw Exception("refusing to write " + path + ": it is the input file " + input->second);
        }
    }
}

void OutputWriter::write(const std::string& path, std::span<const std::uint8_t> data, ReportFile entry,
                         InputReport& report) {
    write(path, std::string_view(reinterpret_cast<const char*>(data.data()), data.size()), std::move(entry),
          report);
}

void OutputWriter::write(const std::string& path, std::string_view data, ReportFile entry,
                         InputReport& report) {
    checkNotAnInput(path);
    if (const std::optional<FileIdentity> identity = identityOf(path)) {
        if (const auto earlier = written_.find(*identity); earlier != written_.end()) {
            throw Exception("refusing to write " + path + ": it is " + earlier->second +
                            ", written before in this run");
        }
    }
    writeFile(path, data);
    if (const std::optional<FileIdentity> identity = identityOf(path)) {
        written_[*identity] = path;
    }
    entry.path = path;
    entry.bytes = data.size();
    report.files.push_back(std::move(entry));
    if (printPaths_) {
        // Paths go to standard output unchanged for scripts; a terminal gets them escaped.
        out_ << (outIsTerminal_ ? escapeControlCharacters(path) : path) << "\n" << std::flush;
    }
}
