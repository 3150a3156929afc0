#pragma once

// What a run of velvor-render did, per input, for --json. The schema (docs/velvor-render-report.schema.json,
// described in velvor-render(1)) is versioned by reportVersion: fields are only ever added within a
// version.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

constexpr int reportVersion = 1;

struct ReportFile {
    std::string path;
    std::string role; // "collector", "preset", "packed" or "xml"
    std::uintmax_t bytes = 0;
    std::optional<std::size_t> collector; // position among the collectors, for role "collector"
    std::string name;                     // the collector's name
    std::optional<int> slot;
    int width = 0;
    int height = 0;
    std::string digest; // the pixels' digest as --digest prints it; empty for packed and XML files
};

struct ReportQuestion {
    std::string text;
    bool answer = false;
};

struct ReportNode {
    std::string name;
    double seconds = 0;
};

struct InputReport {
    std::string input;
    std::string kind; // "material", "packed" or "" when it could not be read
    int exitStatus = 0;
    std::vector<ReportFile> files;
    std::vector<std::string> warnings;
    std::vector<ReportQuestion> questions;
    std::vector<std::string> errors;
    std::vector<ReportNode> nodes; // material files: every operator that ran, in order
    double seconds = 0;
};

// The report as JSON text, ending with a line break.
std::string reportJson(const std::vector<InputReport>& inputs, int exitStatus, const std::string& program);
