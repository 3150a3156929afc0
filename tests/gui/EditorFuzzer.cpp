#include "EditorFuzzer.h"

#include "FuzzSession.h"

#include <algorithm>
#include <array>
#include <random>
#include <sstream>

namespace {

constexpr std::array actionNames{"AddFromList", "ClickCanvas",   "DragCanvas", "DrawCable", "Key",
                                 "NodeMenu",    "MainMenu",      "PanelEdit",  "Undo",      "Redo",
                                 "CloseWindow", "WaitForRender", "Wheel",      "CloseUp"};
static_assert(actionNames.size() == static_cast<std::size_t>(FuzzAction::Count));

// How often each action is drawn: the edits that reach the most code most often.
constexpr std::array<int, actionNames.size()> actionWeights{6, 8, 6, 10, 6, 7, 5, 12, 6, 4, 2, 2, 4, 5};

std::uint32_t weightedAction(std::mt19937_64& random) {
    int total = 0;
    for (const int weight : actionWeights) {
        total += weight;
    }
    int draw = static_cast<int>(random() % static_cast<std::uint64_t>(total));
    for (std::size_t i = 0; i < actionWeights.size(); ++i) {
        if (draw < actionWeights[i]) {
            return static_cast<std::uint32_t>(i);
        }
        draw -= actionWeights[i];
    }
    return 0;
}

} // namespace

FuzzSequence randomSequence(std::uint64_t seed, int steps) {
    std::mt19937_64 random(seed);
    FuzzSequence sequence;
    sequence.start = static_cast<std::uint32_t>(random() % startCount);
    for (int i = 0; i < steps; ++i) {
        FuzzStep step;
        step.action = static_cast<FuzzAction>(weightedAction(random));
        step.a = static_cast<std::uint32_t>(random());
        step.b = static_cast<std::uint32_t>(random());
        step.c = static_cast<std::uint32_t>(random());
        sequence.steps.push_back(step);
    }
    return sequence;
}

std::string toText(const FuzzSequence& sequence) {
    std::ostringstream out;
    out << "start " << sequence.start << '\n';
    for (const FuzzStep& step : sequence.steps) {
        out << actionNames[static_cast<std::size_t>(step.action)] << ' ' << step.a << ' ' << step.b << ' '
            << step.c << '\n';
    }
    return out.str();
}

std::optional<FuzzSequence> sequenceFromText(const std::string& text) {
    std::istringstream in(text);
    FuzzSequence sequence;
    std::string word;
    if (!(in >> word >> sequence.start) || word != "start") {
        return std::nullopt;
    }
    while (in >> word) {
        const auto found = std::find(actionNames.begin(), actionNames.end(), word);
        FuzzStep step;
        if (found == actionNames.end() || !(in >> step.a >> step.b >> step.c)) {
            return std::nullopt;
        }
        step.action = static_cast<FuzzAction>(found - actionNames.begin());
        sequence.steps.push_back(step);
    }
    return sequence;
}

FuzzResult playSequence(const FuzzSequence& sequence) {
    FuzzResult result;
    Session session(sequence.start);
    for (const FuzzStep& step : sequence.steps) {
        session.play(step);
        ++result.stepsRun;
        if ((result.failure = session.checkStep())) {
            *result.failure += " (after step " + std::to_string(result.stepsRun) + ")";
            return result;
        }
    }
    result.failure = session.checkEnd();
    return result;
}

FuzzSequence shrinkSequence(const FuzzSequence& failing, bool (*fails)(const FuzzSequence&)) {
    FuzzSequence best = failing;
    for (std::size_t chunk = std::max<std::size_t>(1, best.steps.size() / 2);; chunk /= 2) {
        for (std::size_t at = 0; at < best.steps.size();) {
            FuzzSequence candidate = best;
            const auto first = candidate.steps.begin() + static_cast<std::ptrdiff_t>(at);
            candidate.steps.erase(
                first, first + static_cast<std::ptrdiff_t>(std::min(chunk, candidate.steps.size() - at)));
            if (fails(candidate)) {
                best = std::move(candidate);
            } else {
                at += chunk;
            }
        }
        if (chunk == 1) {
            return best;
        }
    }
}
