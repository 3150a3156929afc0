#pragma once

// Rendering in two halves. Planning walks the cables exactly as rendering does (Material.h,
// renderCollector) without running any operator: it follows the dirty flags the run will leave behind
// and writes down every visit in order, with the node's log line, whether its operator will run and
// the images it will read. Executing the plan then runs the operators and reports to the progress
// sink: the same lines, steps and dirty flags as the walk, whatever the number of threads.
//
// Operators that do not depend on each other's images share a wave and may run at once; an operator
// runs in a later wave than every operator whose image it reads, every earlier run of its own node
// and every earlier reader of its node's image. Within an operator the rows are split as well.
//
// A plan points into the material: it is valid until the next edit.

#include "base/Progress.h"
#include "model/VisualNode.h"

#include <atomic>
#include <cstddef>
#include <string>
#include <vector>

struct RenderStep {
    VisualNode* node = nullptr;
    bool changed = false;   // logged "> node <name>", otherwise "> skip <name>"
    bool generates = false; // changed, and every input is set and of the node's size
    // The source of each input port when the operator runs (empty unless it generates).
    std::vector<const VisualNode*> inputs;
    int wave = -1; // of a generating step
};

// One renderCollector: its steps are steps[firstStep .. endStep).
struct CollectorRun {
    VisualNode* collector = nullptr;
    std::size_t firstStep = 0;
    std::size_t endStep = 0;
};

struct RenderPlan {
    std::vector<CollectorRun> collectors;
    std::vector<RenderStep> steps;
    // The sources every visited node's input slots hold when the walk ends, per node.
    std::vector<std::pair<VisualNode*, std::vector<const VisualNode*>>> finalInputs;
    int waveCount = 0;
    // Node count of the material, which each collector's start() reports.
    int nodeCount = 0;

    // The number of step() calls executing the plan makes.
    std::size_t stepCount() const { return steps.size(); }
};

// Threads: the process-wide count (core/parallel/Parallel.h); with one, every step runs on the calling
// thread.
struct RenderControl {
    // Checked between steps (between waves when threads run them) and by the operators between
    // bands of rows: once true, running operators stop, no further operator starts, every node
    // whose operator the plan had to run and did not finish is marked dirty, so the next render
    // redoes it, and execution returns false. Nothing else reads or writes it.
    const std::atomic<bool>* cancel = nullptr;
    // Discards each image (VisualNode::discardImage) once the last step of the plan that reads or
    // makes it has run, collectors' excepted: the render's peak memory is then its widest set of live
    // images, not its every node's. For a material rendered once, keeping only its collectors (the
    // editor shows every node's image); to render it again, Material::reclaimImages() first.
    bool discardIntermediateImages = false;
};

// Runs the plan: per collector "Rendering collector <name>...", start(node count), per step its line,
// the operator and step(), then finish and "Ready.". The progress sink is only called from the
// calling thread. Returns false when cancelled. An exception from an operator propagates after the
// operators running beside it have ended; the nodes updated before stay clean.
bool executeRenderPlan(const RenderPlan& plan, Progress& progress, const RenderControl& control = {});
