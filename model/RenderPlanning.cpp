#include "model/Material.h"
#include "model/RenderPlan.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>
#include <utility>

namespace {

// What the walk would do to the nodes, kept aside: their dirty flags and input slots as the operators
// run in plan order would leave them. The nodes themselves are only read.
class Simulation {
public:
    bool isDirty(const VisualNode& node) const {
        const auto found = dirty_.find(&node);
        return found != dirty_.end() ? found->second : node.isDirty();
    }
    // Generating takes the next generation, after every one handed out before the plan.
    void markGenerated(const VisualNode& node) {
        dirty_[&node] = false;
        generation_[&node] = ++clock_;
    }
    std::uint64_t generationOf(const VisualNode& node) const {
        const auto found = generation_.find(&node);
        return found != generation_.end() ? found->second : node.getGeneration();
    }

    std::vector<const VisualNode*>& slotsOf(VisualNode& node) {
        const auto [found, added] = slotIndex_.try_emplace(&node, slots_.size());
        if (added) {
            slots_.emplace_back(
                &node, std::vector<const VisualNode*>(static_cast<std::size_t>(node.getInputCount())));
        }
        return slots_[found->second].second;
    }

    // Whether update() would run the operator, asked the way update() asks it.
    bool canGenerate(VisualNode& node) {
        const std::vector<const VisualNode*>& slots = slotsOf(node);
        images_.clear();
        for (const VisualNode* source : slots) {
            images_.push_back(source != nullptr ? &source->getOperator().getImage() : nullptr);
        }
        return Velvor::inputsFit(node.getOperator(), images_);
    }

    std::vector<std::pair<VisualNode*, std::vector<const VisualNode*>>> takeSlots() {
        return std::move(slots_);
    }

private:
    std::unordered_map<const VisualNode*, bool> dirty_;
    std::unordered_map<const VisualNode*, std::uint64_t> generation_;
    std::uint64_t clock_ = VisualNode::latestGeneration();
    std::unordered_map<const VisualNode*, std::size_t> slotIndex_;
    std::vector<std::pair<VisualNode*, std::vector<const VisualNode*>>> slots_; // in order of first visit
    std::vector<const Velvor::Image*> images_;
};

// The walk of one renderCollector, written down as steps. A visit takes its node's input cables out of the
// cables its caller still holds, renders their sources with what is left, and gives the cables back when it
// ends; so every deeper visit works with strictly fewer cables, which is what ends rendering on cycles. The
// walk keeps its own stack, so a long chain of nodes cannot exhaust the call stack.
//
// A node reached again while its own visit is still open (inside a cycle) has no cables left to
// take: its input slots are cleared, which may drop inputs its open visit had already set, and it is
// logged and updated as any visit is.
//
// A node reached again after its visit in this pass has finished is not descended into a second
// time: descending again would make rendering exponential in the number of shared nodes (a chain of
// mixers each fed twice by the one before would never finish). Such a revisit logs one line and
// keeps what a full descent could change without regenerating anything upstream: the open visits it
// would reach lose their input slots, and it counts as changed when any node it would reach is dirty.
// What it gives up: a finished node upstream that is still dirty is not tried again.
//
// A revisited node that was regenerated earlier in this pass reports itself changed, though it is
// clean now and is not regenerated again: otherwise a second consumer that was clean before the pass
// would keep an image made from the node's old one. For the same reason a node is changed when a
// source it reads generated after it did, whenever that was: in the pass of another collector (a
// node feeding two collectors) or in an earlier render.
class RenderPass {
public:
    RenderPass(const std::vector<std::unique_ptr<Cable>>& cables, Simulation& simulation,
               std::vector<RenderStep>& steps)
        : cables_(cables), taken_(cables.size(), false), simulation_(simulation), steps_(steps) {
        for (std::size_t i = cables.size(); i-- > 0;) {
            inputCables_[&cables[i]->getTo()].push_back(i);
        }
    }

    void run(VisualNode& collector) {
        enter(collector);
        for (;;) {
            Visit& visit = visits_.back();
            if (visit.next < visit.inputs.size()) {
                enter(cables_[visit.inputs[visit.next]]->getFrom());
                continue;
            }
            const Left child = leave();
            if (visits_.empty()) {
                return;
            }
            Visit& parent = visits_.back();
            const Cable& cable = *cables_[parent.inputs[parent.next]];
            // Inside a cycle the generations say nothing: each node of it is always newer than another.
            parent.changed = parent.changed || child.changed ||
                             (!child.cyclic && simulation_.generationOf(cable.getFrom()) >
                                                   simulation_.generationOf(*parent.node));
            simulation_.slotsOf(*parent.node)[static_cast<std::size_t>(cable.getToPort())] = &cable.getFrom();
            ++parent.next;
        }
    }

private:
    struct Visit {
        VisualNode* node;
        bool changed;                    // regenerate the node when the visit ends
        bool reported;                   // what the visit tells its parent
        bool open;                       // a full visit: on the stack until it leaves
        bool cyclic = false;             // the node was reached again inside its own open visit
        std::vector<std::size_t> inputs; // cable indices, the most recently created first
        std::size_t next = 0;            // the input being rendered
    };

    void enter(VisualNode& node) {
        Visit visit{&node, simulation_.isDirty(node), false, false, false, {}, 0};
        if (open_.contains(&node)) {
            visit.cyclic = true;
            clearInputs(node);
        } else if (finished_.contains(&node)) {
            visit.changed = sweepUpstream(node);
            visit.reported = regenerated_.contains(&node);
        } else {
            visit.open = true;
            open_.insert(&node);
            clearInputs(node);
            const auto found = inputCables_.find(&node);
            if (found != inputCables_.end()) {
                for (const std::size_t index : found->second) {
                    if (!taken_[index]) {
                        taken_[index] = true;
                        visit.inputs.push_back(index);
                    }
                }
            }
        }
        visits_.push_back(std::move(visit));
    }

    // What a full descent from a finished node would do to the rest of the walk: every node it could
    // reach over the cables still free, stopping at open visits, whose slots it would clear.
    bool sweepUpstream(VisualNode& start) {
        bool changed = false;
        sweepQueue_.assign(1, &start);
        swept_.clear();
        swept_.insert(&start);
        for (std::size_t head = 0; head < sweepQueue_.size(); ++head) {
            VisualNode& node = *sweepQueue_[head];
            changed = changed || simulation_.isDirty(node);
            if (open_.contains(&node)) {
                clearInputs(node);
                continue;
            }
            const auto found = inputCables_.find(&node);
            if (found == inputCables_.end()) {
                continue;
            }
            for (const std::size_t index : found->second) {
                VisualNode& from = cables_[index]->getFrom();
                if (!taken_[index] && swept_.insert(&from).second) {
                    sweepQueue_.push_back(&from);
                }
            }
        }
        return changed;
    }

    void clearInputs(VisualNode& node) {
        std::vector<const VisualNode*>& slots = simulation_.slotsOf(node);
        std::fill(slots.begin(), slots.end(), nullptr);
    }

    struct Left {
        bool changed; // what the visit tells its parent
        bool cyclic;
    };

    Left leave() {
        const Visit visit = std::move(visits_.back());
        visits_.pop_back();
        finished_.insert(visit.node);
        if (visit.open) {
            open_.erase(visit.node);
        }
        for (const std::size_t index : visit.inputs) {
            taken_[index] = false;
        }
        RenderStep step;
        step.node = visit.node;
        step.changed = visit.changed;
        if (visit.changed && simulation_.canGenerate(*visit.node)) {
            step.generates = true;
            step.inputs = simulation_.slotsOf(*visit.node);
            simulation_.markGenerated(*visit.node);
            regenerated_.insert(visit.node);
        }
        steps_.push_back(std::move(step));
        return {visit.changed || visit.reported, visit.cyclic};
    }

    const std::vector<std::unique_ptr<Cable>>& cables_;
    // Per target node, its cables' indices from the last created to the first.
    std::unordered_map<const VisualNode*, std::vector<std::size_t>> inputCables_;
    std::vector<bool> taken_;
    std::vector<Visit> visits_;
    std::unordered_set<const VisualNode*> open_;
    std::unordered_set<const VisualNode*> finished_;
    std::unordered_set<const VisualNode*> regenerated_;
    std::vector<VisualNode*> sweepQueue_;
    std::unordered_set<const VisualNode*> swept_;
    Simulation& simulation_;
    std::vector<RenderStep>& steps_;
};

// The earliest wave each operator can run in, given what it reads and writes.
int assignWaves(std::vector<RenderStep>& steps) {
    std::unordered_map<const VisualNode*, int> lastWrite;
    std::unordered_map<const VisualNode*, int> lastRead;
    const auto waveOf = [](const std::unordered_map<const VisualNode*, int>& waves, const VisualNode* node) {
        const auto found = waves.find(node);
        return found != waves.end() ? found->second : -1;
    };
    int waveCount = 0;
    for (RenderStep& step : steps) {
        if (!step.generates) {
            continue;
        }
        int after = std::max(waveOf(lastWrite, step.node), waveOf(lastRead, step.node));
        for (const VisualNode* source : step.inputs) {
            after = std::max(after, waveOf(lastWrite, source));
        }
        step.wave = after + 1;
        lastWrite[step.node] = step.wave;
        for (const VisualNode* source : step.inputs) {
            int& read = lastRead[source];
            read = std::max(read, step.wave);
        }
        waveCount = std::max(waveCount, step.wave + 1);
    }
    return waveCount;
}

} // namespace

RenderPlan Material::planRender(std::span<VisualNode* const> collectors) const {
    RenderPlan plan;
    plan.nodeCount = static_cast<int>(nodes_.size());
    Simulation simulation;
    for (VisualNode* collector : collectors) {
        CollectorRun run{collector, plan.steps.size(), 0};
        RenderPass(cables_, simulation, plan.steps).run(*collector);
        run.endStep = plan.steps.size();
        plan.collectors.push_back(run);
    }
    plan.finalInputs = simulation.takeSlots();
    plan.waveCount = assignWaves(plan.steps);
    return plan;
}

RenderPlan Material::planCollector(VisualNode& collector) const {
    VisualNode* const collectors[] = {&collector};
    return planRender(collectors);
}

RenderPlan Material::planAll() const {
    std::vector<VisualNode*> collectors;
    for (const auto& node : nodes_) {
        if (node->getTypeId() == static_cast<int>(Velvor::OperatorType::Collector)) {
            collectors.push_back(node.get());
        }
    }
    return planRender(collectors);
}

bool Material::renderCollector(VisualNode& collector, Progress& progress, const RenderControl& control) {
    return executeRenderPlan(planCollector(collector), progress, control);
}

bool Material::renderAll(Progress& progress, const RenderControl& control) {
    return executeRenderPlan(planAll(), progress, control);
}
