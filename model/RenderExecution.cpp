#include "core/parallel/Parallel.h"
#include "model/ImageLastUses.h"
#include "model/RenderPlan.h"

#include <exception>

namespace {

void setInputs(VisualNode& node, const std::vector<const VisualNode*>& sources) {
    for (std::size_t port = 0; port < sources.size(); ++port) {
        node.setInput(static_cast<int>(port), sources[port]);
    }
}

void runOperator(const RenderStep& step) {
    setInputs(*step.node, step.inputs);
    step.node->update();
}

bool isCancelled(const RenderControl& control) {
    return control.cancel != nullptr && control.cancel->load(std::memory_order_acquire);
}

// Reports the plan's lines in order: a collector's header before its first step, a step's line
// before its step(), the collector's end after its last.
class Reporter {
public:
    Reporter(const RenderPlan& plan, Progress& progress) : plan_(plan), progress_(progress) {}

    void beginStep(std::size_t i) {
        if (collector_ < plan_.collectors.size() && plan_.collectors[collector_].firstStep == i) {
            progress_.message("Rendering collector " + plan_.collectors[collector_].collector->getName() +
                              "...");
            progress_.start(plan_.nodeCount);
        }
        const RenderStep& step = plan_.steps[i];
        progress_.message((step.changed ? "> node " : "> skip ") + step.node->getName());
    }

    void endStep(std::size_t i) {
        progress_.step();
        if (collector_ < plan_.collectors.size() && plan_.collectors[collector_].endStep == i + 1) {
            progress_.finish();
            progress_.message("Ready.");
            ++collector_;
        }
    }

private:
    const RenderPlan& plan_;
    Progress& progress_;
    std::size_t collector_ = 0;
};

void discard(const std::vector<VisualNode*>& nodes) {
    for (VisualNode* node : nodes) {
        node->discardImage();
    }
}

ImageLastUses lastUsesFor(const RenderPlan& plan, const RenderControl& control) {
    return control.discardIntermediateImages ? findImageLastUses(plan) : ImageLastUses{};
}

void finishInputs(const RenderPlan& plan) {
    for (const auto& [node, sources] : plan.finalInputs) {
        setInputs(*node, sources);
    }
}

// Cancelled: what has not run is left dirty, so that the next render redoes it.
void markUnfinished(const RenderPlan& plan, const std::vector<char>& ran) {
    for (std::size_t i = 0; i < plan.steps.size(); ++i) {
        if (plan.steps[i].generates && ran[i] == 0) {
            plan.steps[i].node->markDirty();
        }
    }
}

// One thread: each step's line, its operator and its step() in turn, as the walk itself did.
bool executeInOrder(const RenderPlan& plan, Progress& progress, const RenderControl& control) {
    Reporter reporter(plan, progress);
    const ImageLastUses lastUses = lastUsesFor(plan, control);
    std::vector<char> ran(plan.steps.size(), 0);
    for (std::size_t i = 0; i < plan.steps.size(); ++i) {
        if (isCancelled(control)) {
            markUnfinished(plan, ran);
            finishInputs(plan);
            return false;
        }
        reporter.beginStep(i);
        if (plan.steps[i].generates) {
            runOperator(plan.steps[i]);
            // The operator may have stopped part-way: its node stays dirty.
            if (isCancelled(control)) {
                markUnfinished(plan, ran);
                finishInputs(plan);
                return false;
            }
            ran[i] = 1;
            if (!lastUses.afterStep.empty()) {
                discard(lastUses.afterStep[i]);
            }
        }
        reporter.endStep(i);
    }
    finishInputs(plan);
    return true;
}

// Threads: the operators of a wave at once, the waves in order. The lines follow in plan order as far
// as the operators have run; a failed operator's line is the last before its exception.
bool executeInWaves(const RenderPlan& plan, Progress& progress, const RenderControl& control) {
    std::vector<std::vector<std::size_t>> waves(static_cast<std::size_t>(plan.waveCount));
    for (std::size_t i = 0; i < plan.steps.size(); ++i) {
        if (plan.steps[i].generates) {
            waves[static_cast<std::size_t>(plan.steps[i].wave)].push_back(i);
        }
    }
    const ImageLastUses lastUses = lastUsesFor(plan, control);
    std::vector<char> ran(plan.steps.size(), 0);
    std::vector<std::exception_ptr> errors(plan.steps.size());
    Reporter reporter(plan, progress);
    std::size_t reported = 0;
    const auto reportReady = [&] {
        for (; reported < plan.steps.size() && (!plan.steps[reported].generates || ran[reported] != 0);
             ++reported) {
            reporter.beginStep(reported);
            if (errors[reported]) {
                std::rethrow_exception(errors[reported]);
            }
            reporter.endStep(reported);
        }
    };
    reportReady();
    for (std::size_t w = 0; w < waves.size(); ++w) {
        const std::vector<std::size_t>& wave = waves[w];
        if (isCancelled(control)) {
            markUnfinished(plan, ran);
            finishInputs(plan);
            return false;
        }
        Velvor::forEachTask(static_cast<int>(wave.size()), [&](int task) {
            const std::size_t i = wave[static_cast<std::size_t>(task)];
            try {
                runOperator(plan.steps[i]);
            } catch (...) {
                errors[i] = std::current_exception();
            }
        });
        // The wave's operators may have stopped part-way: their nodes stay dirty.
        if (isCancelled(control)) {
            markUnfinished(plan, ran);
            finishInputs(plan);
            return false;
        }
        for (const std::size_t i : wave) {
            ran[i] = 1;
        }
        if (!lastUses.afterWave.empty()) {
            discard(lastUses.afterWave[w]);
        }
        reportReady();
    }
    finishInputs(plan);
    return true;
}

} // namespace

bool executeRenderPlan(const RenderPlan& plan, Progress& progress, const RenderControl& control) {
    // Operators stop between rows once the flag is raised, not only between steps.
    const Velvor::CancelScope scope(control.cancel);
    if (Velvor::threadCount() <= 1) {
        return executeInOrder(plan, progress, control);
    }
    return executeInWaves(plan, progress, control);
}
