#include "model/Material.h"

#include <unordered_map>
#include <unordered_set>
#include <utility>

namespace {

// One renderCollector run. A visit takes its node's input cables out of the cables its caller still
// holds, renders their sources with what is left, and gives the cables back when it ends; so every
// deeper visit works with strictly fewer cables, which is what ends rendering on cycles. The walk
// keeps its own stack, so a long chain of nodes cannot exhaust the call stack.
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
// would keep an image made from the node's old one.
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
        bool changed;                    // regenerate the node when the visit ends
        bool reported;                   // what the visit tells its parent
        bool open;                       // a full visit: on the stack until it leaves
        std::vector<std::size_t> inputs; // cable indices, the most recently created first
        std::size_t next = 0;            // the input being rendered
    };

    void enter(VisualNode& node) {
        Visit visit{&node, node.isDirty(), false, false, {}, 0};
        if (open_.contains(&node)) {
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
            changed = changed || node.isDirty();
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

    static void clearInputs(VisualNode& node) {
        for (int port = 0; port < node.getInputCount(); ++port) {
            node.setInput(port, nullptr);
        }
    }

    bool leave() {
        const Visit visit = std::move(visits_.back());
        visits_.pop_back();
        finished_.insert(visit.node);
        if (visit.open) {
            open_.erase(visit.node);
        }
        for (const std::size_t index : visit.inputs) {
            taken_[index] = false;
        }
        if (visit.changed) {
            progress_.message("> node " + visit.node->getName());
            visit.node->update();
            if (!visit.node->isDirty()) {
                regenerated_.insert(visit.node);
            }
        } else {
            progress_.message("> skip " + visit.node->getName());
        }
        progress_.step();
        return visit.changed || visit.reported;
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
