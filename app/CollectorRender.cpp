#include "app/CollectorRender.h"

#include "app/StreamProgress.h"
#include "model/ImageLastUses.h"

#include <chrono>

void renderWithProgress(Material& material, const std::vector<VisualNode*>& collectors, std::ostream& err,
                        bool showProgress) {
    StreamProgress progress(err, showProgress);
    RenderControl control;
    control.discardIntermediateImages = true;
    executeRenderPlan(material.planRender(collectors), progress, control);
    progress.endLine();
}

void renderTimed(Material& material, const std::vector<VisualNode*>& collectors,
                 std::vector<ReportNode>& timings) {
    const RenderPlan plan = material.planRender(collectors);
    const ImageLastUses lastUses = findImageLastUses(plan);
    for (std::size_t i = 0; i < plan.steps.size(); ++i) {
        const RenderStep& step = plan.steps[i];
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
        for (VisualNode* node : lastUses.afterStep[i]) {
            node->discardImage();
        }
    }
    for (const auto& [node, sources] : plan.finalInputs) {
        for (std::size_t port = 0; port < sources.size(); ++port) {
            node->setInput(static_cast<int>(port), sources[port]);
        }
    }
}
