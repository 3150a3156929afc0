#include "app/RenderReport.h"

#include <nlohmann/json.hpp>

std::string reportJson(const std::vector<InputReport>& inputs, int exitStatus, const std::string& program) {
    using Json = nlohmann::ordered_json;
    Json list = Json::array();
    for (const InputReport& input : inputs) {
        Json files = Json::array();
        for (const ReportFile& file : input.files) {
            Json entry = {{"path", file.path}, {"role", file.role}, {"bytes", file.bytes}};
            if (file.collector) {
                entry["collector"] = *file.collector;
                entry["name"] = file.name;
            }
            if (file.slot) {
                entry["slot"] = *file.slot;
            }
            if (file.width > 0) {
                entry["width"] = file.width;
                entry["height"] = file.height;
            }
            if (!file.digest.empty()) {
                entry["digest"] = file.digest;
            }
            files.push_back(std::move(entry));
        }
        Json questions = Json::array();
        for (const ReportQuestion& question : input.questions) {
            questions.push_back({{"text", question.text}, {"answer", question.answer ? "yes" : "no"}});
        }
        Json nodes = Json::array();
        for (const ReportNode& node : input.nodes) {
            nodes.push_back({{"name", node.name}, {"seconds", node.seconds}});
        }
        list.push_back({{"input", input.input},
                        {"kind", input.kind},
                        {"exitStatus", input.exitStatus},
                        {"files", std::move(files)},
                        {"warnings", input.warnings},
                        {"questions", std::move(questions)},
                        {"errors", input.errors},
                        {"nodes", std::move(nodes)},
                        {"seconds", input.seconds}});
    }
    const Json report = {{"version", reportVersion},
                         {"program", program},
                         {"exitStatus", exitStatus},
                         {"inputs", std::move(list)}};
    // Names from files may hold any bytes; invalid UTF-8 is replaced rather than refused.
    return report.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}
