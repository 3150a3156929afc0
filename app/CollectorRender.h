#pragma once

// How velvor-render brings a material's collectors up to date.

#include "app/RenderReport.h"
#include "model/Material.h"

#include <ostream>
#include <vector>

// Renders the collectors in this order (every collector of the material, as "Render all" does, when
// `all`), with the progress line on `err` when `showProgress`.
void renderWithProgress(Material& material, const std::vector<VisualNode*>& collectors, bool all,
                        std::ostream& err, bool showProgress);

// The same render for a report: each operator runs in turn (its rows still split between threads), so
// that the time appended to `timings` is its own.
void renderTimed(Material& material, const std::vector<VisualNode*>& collectors,
                 std::vector<ReportNode>& timings);
