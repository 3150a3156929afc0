#pragma once

// How velvor-render brings a material's collectors up to date. Only the collectors' images are kept:
// every other image is discarded once the last operator reading it has run, so a material's peak
// memory is its widest set of live images, not the sum of its nodes.

#include "app/RenderReport.h"
#include "model/Material.h"

#include <ostream>
#include <vector>

// Renders the collectors in this order, as renderCollector would one after the other, with the
// progress line on `err` when `showProgress`.
void renderWithProgress(Material& material, const std::vector<VisualNode*>& collectors, std::ostream& err,
                        bool showProgress);

// The same render for a report: each operator runs in turn (its rows still split between threads), so
// that the time appended to `timings` is its own.
void renderTimed(Material& material, const std::vector<VisualNode*>& collectors,
                 std::vector<ReportNode>& timings);
