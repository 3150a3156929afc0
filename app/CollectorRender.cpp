#include "app/CollectorRender.h"

#include "app/StreamProgress.h"

#include <chrono>

void renderWithProgress(Material& material, const std::vector<VisualNode*>& collectors, bool all,
                        std::ostream& err, bool showProgress) {
    StreamProgress progress(err, showProgress);
    if (all) {
        material.renderAll(progress);
    } else {
        for (VisualNode* collector : collectors) {
            material.renderCollector(*collector, progress);
        }
    }
    progress.endLine();
}

void renderTimed(Material& material, const std::vector<VisualNode*>& collectors,
                 std::vector<ReportNode>& timings) {
    const RenderPlan plan = material.planRender(collectors);
    for (const RenderStep& step : plan.steps) {
        if (!step.generates) {
            continue;
        }
        const auto start = std::chrono::steady_clock::now();
        for (std::size_t port = 0; port < step.inputs.size(); ++port) {
            step.node->setInput(static_cast<int>(port), step.inputs[port]);
        }
        step.node->update();
        timings.push_back({step.node->getName(),
                           std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count()});
    }
    for (const auto& [node, sources] : plan.finalInputs) {
        for (std::size_t port = 0; port < sources.size(); ++port) {
            node->setInput(static_cast<int>(port), sources[port]);
        }
    }
}
