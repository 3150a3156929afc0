#pragma once

#include "app/FileIdentity.h"
#include "app/RenderReport.h"

#include <cstdint>
#include <map>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Writes the files of one command line, never over an input or over a file this run has written
// already, whatever names or links lead there. Each file goes into its input's report, and its path
// to `out` unless the report itself goes there.
class OutputWriter {
public:
    OutputWriter(const std::vector<std::string>& inputs, std::ostream& out, bool outIsTerminal,
                 bool printPaths);

    // Raises Exception when the path leads to an input.
    void checkNotAnInput(const std::string& path) const;
    void write(const std::string& path, std::span<const std::uint8_t> data, ReportFile entry,
               InputReport& report);
    void write(const std::string& path, std::string_view data, ReportFile entry, InputReport& report);

private:
    std::ostream& out_;
    bool outIsTerminal_;
    bool printPaths_;
    std::map<FileIdentity, std::string> inputs_;
    std::map<FileIdentity, std::string> written_;
};
