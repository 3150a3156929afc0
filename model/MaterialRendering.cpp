#include "model/Material.h"

#include <unordered_map>
#include <unordered_set>
#include <utility>

namespace {

// One renderCollector run. A visit takes its node's input cables out of the cables its caller still
// holds, renders their sources with what is left, and gives the cables back when it ends; so every
// deeper visit works with strictly fewer cables, which is what ends rendering on cycles. The walk
// keeps its own stack, so a long chain of nodes cannot exhaust the call stack.
// A node reached again after its visit in this pass has finished is not descended into a second
// time: it is logged by its dirty flag and left as it is. Everything upstream of it was brought up to
// date by the first visit, and descending again would make rendering exponential in the number of
// shared nodes (a chain of mixers each fed twice by the one before would never finish).
class RenderPass {
public:
    RenderPass(const std::vector<std::unique_ptr<Cable>>& cables, Progress& progress)
        : cables_(cables), taken_(cables.size(), false), progress_(progress) {
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
            const bool changed = leave();
            if (visits_.empty()) {
                return;
            }
            Visit& parent = visits_.back();
            const Cable& cable = *cables_[parent.inputs[parent.next]];
            parent.changed = parent.changed || changed;
            parent.node->setInput(cable.getToPort(), &cable.getFrom());
            ++parent.next;
        }
    }

private:
    struct Visit {
        VisualNode* node;
        bool changed;
        std::vector<std::size_t> inputs; // cable indices, the most recently created first
        std::size_t next = 0;            // the input being rendered
    };

    void enter(VisualNode& node) {
        Visit visit{&node, node.isDirty(), {}, 0};
        if (node.getInputCount() > 0 && !finished_.contains(&node)) {
            for (int port = 0; port < node.getInputCount(); ++port) {
                node.setInput(port, nullptr);
            }
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

    bool leave() {
        const Visit visit = std::move(visits_.back());
        visits_.pop_back();
        finished_.insert(visit.node);
        for (const std::size_t index : visit.inputs) {
            taken_[index] = false;
        }
        if (visit.changed) {
            progress_.message("> node " + visit.node->getName());
            visit.node->update();
        } else {
            progress_.message("> skip " + visit.node->getName());
        }
        progress_.step();
        return visit.changed;
    }

    const std::vector<std::unique_ptr<Cable>>& cables_;
    // Per target node, its cables' indices from the last created to the first.
    std::unordered_map<const VisualNode*, std::vector<std::size_t>> inputCables_;
    std::vector<bool> taken_;
    std::vector<Visit> visits_;
    std::unordered_set<const VisualNode*> finished_;
    Progress& progress_;
};

} // namespace

void Material::renderCollector(VisualNode& collector, Progress& progress) {
    progress.message("Rendering collector " + collector.getName() + "...");
    progress.start(static_cast<int>(nodes_.size()));
    RenderPass(cables_, progress).run(collector);
    progress.finish();
    progress.message("Ready.");
}
