#pragma once

// When a render may discard an image (RenderControl::discardIntermediateImages): after the last step
// of the plan that reads or makes it. A collector's image is what the render is for: never listed.

#include "model/RenderPlan.h"

#include <vector>

struct ImageLastUses {
    // Per step, in plan order: the nodes whose image no later step uses.
    std::vector<std::vector<VisualNode*>> afterStep;
    // Per wave: the nodes whose image no later wave uses. Readers of one image may run in waves out of
    // plan order, so this is not afterStep grouped by wave.
    std::vector<std::vector<VisualNode*>> afterWave;
};

ImageLastUses findImageLastUses(const RenderPlan& plan);
