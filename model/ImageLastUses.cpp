#include "model/ImageLastUses.h"

#include "core/operators/Operator.h"

#include <algorithm>
#include <unordered_map>

namespace {

struct LastUse {
    VisualNode* node;
    std::size_t step = 0;
    int wave = 0;
};

} // namespace

ImageLastUses findImageLastUses(const RenderPlan& plan) {
    // A source a step reads was visited by the walk before, so it is a step's node as well.
    std::unordered_map<const VisualNode*, std::size_t> index;
    std::vector<LastUse> uses;
    const auto note = [&](const VisualNode* node, std::size_t step, int wave) {
        const auto [found, added] = index.try_emplace(node, uses.size());
        if (added) {
            uses.push_back({nullptr});
        }
        LastUse& use = uses[found->second];
        use.step = std::max(use.step, step);
        use.wave = std::max(use.wave, wave);
    };
    for (std::size_t i = 0; i < plan.steps.size(); ++i) {
        const RenderStep& step = plan.steps[i];
        if (step.generates) {
            note(step.node, i, step.wave);
            for (const VisualNode* source : step.inputs) {
                note(source, i, step.wave);
            }
        }
    }
    for (const RenderStep& step : plan.steps) {
        if (const auto found = index.find(step.node); found != index.end()) {
            uses[found->second].node = step.node;
        }
    }
    ImageLastUses result{std::vector<std::vector<VisualNode*>>(plan.steps.size()),
                         std::vector<std::vector<VisualNode*>>(static_cast<std::size_t>(plan.waveCount))};
    for (const LastUse& use : uses) {
        if (use.node == nullptr ||
            use.node->getTypeId() == static_cast<int>(Velvor::OperatorType::Collector)) {
            continue;
        }
        result.afterStep[use.step].push_back(use.node);
        result.afterWave[static_cast<std::size_t>(use.wave)].push_back(use.node);
    }
    return result;
}
