// editor_fuzz: plays random sequences of user actions on the real editor, offscreen, each in a child
// process of its own so that a crash is caught like a broken promise; shrinks what fails.
//   editor_fuzz [SECONDS] [--steps N]     fresh seeds for that long (default 60 s, 200 steps each)
//   editor_fuzz --seed S [--steps N]      one sequence, in this process
//   editor_fuzz --replay FILE             the sequence in FILE (its text form), in this process
//   editor_fuzz --shrink FILE             the shortest list of FILE's steps that still fails
// Exit status: 0 nothing found, 1 a sequence failed (its seed and shrunk steps are printed).

#include "EditorFuzzer.h"
#include "TestProcess.h"
#include "base/File.h"

#include <QApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <random>
#include <string>
#include <unistd.h>

namespace {

std::string self;
int stepCount = 200;

int playHere(const FuzzSequence& sequence) {
    const FuzzResult result = playSequence(sequence);
    if (result.failure) {
        std::cerr << "FAILED: " << *result.failure << '\n';
        return 1;
    }
    return 0;
}

std::string scratchFile(const std::string& name) {
    return "/tmp/velvor-editor-fuzz-" + std::to_string(getpid()) + "-" + name;
}

// Plays the sequence in a child process; true when it fails or dies.
bool failsInChild(const FuzzSequence& sequence) {
    const std::string path = scratchFile("candidate.txt");
    writeFile(path, toText(sequence));
    const std::string command = "timeout 300 '" + self + "' --replay '" + path + "' >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    return status != 0;
}

int shrinkAndReport(const FuzzSequence& failing) {
    std::cout << "shrinking " << failing.steps.size() << " steps..." << std::endl;
    const FuzzSequence shortest = shrinkSequence(failing, failsInChild);
    const std::string path = scratchFile("shrunk.txt");
    writeFile(path, toText(shortest));
    std::cout << "still fails with " << shortest.steps.size() << " steps (" << path << "):\n"
              << toText(shortest) << "replay: " << self << " --replay " << path << std::endl;
    return 1;
}

int fuzzFor(double seconds) {
    std::random_device entropy;
    const auto begin = std::chrono::steady_clock::now();
    long long steps = 0;
    int sequences = 0;
    for (;;) {
        const double elapsed =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
        if (elapsed >= seconds) {
            std::cout << "steps " << steps << " in " << sequences << " sequences, " << elapsed << " s, "
                      << static_cast<long long>(static_cast<double>(steps) / elapsed) << " steps/s"
                      << std::endl;
            return 0;
        }
        const std::uint64_t seed = (std::uint64_t{entropy()} << 32) | entropy();
        const std::string command =
            "'" + self + "' --seed " + std::to_string(seed) + " --steps " + std::to_string(stepCount);
        if (std::system(command.c_str()) != 0) {
            std::cout << "seed " << seed << " failed" << std::endl;
            std::cout << "steps " << steps << " before it without a finding" << std::endl;
            return shrinkAndReport(randomSequence(seed, stepCount));
        }
        steps += stepCount;
        ++sequences;
    }
}

} // namespace

int main(int argc, char** argv) {
    const TestProcess process;
    self = argv[0];
    QApplication application(argc, argv);
    process.useOwnSettings("editor_fuzz");

    double seconds = 60;
    std::optional<std::uint64_t> seed;
    std::string replay;
    std::string shrink;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        const bool hasValue = i + 1 < argc;
        if (argument == "--steps" && hasValue) {
            stepCount = std::atoi(argv[++i]);
        } else if (argument == "--seed" && hasValue) {
            seed = std::strtoull(argv[++i], nullptr, 10);
        } else if (argument == "--replay" && hasValue) {
            replay = argv[++i];
        } else if (argument == "--shrink" && hasValue) {
            shrink = argv[++i];
        } else if (argument[0] != '-') {
            seconds = std::atof(argument.c_str());
        } else {
            std::cerr
                << "usage: editor_fuzz [SECONDS] [--steps N] | --seed S | --replay FILE | --shrink FILE\n";
            return 2;
        }
    }
    int status = 0;
    if (seed) {
        std::cout << "seed " << *seed << std::endl;
        status = playHere(randomSequence(*seed, stepCount));
    } else if (!replay.empty() || !shrink.empty()) {
        const std::optional<FuzzSequence> sequence =
            sequenceFromText(readFile(replay.empty() ? shrink : replay));
        if (!sequence) {
            std::cerr << "not a sequence of editor steps\n";
            return 2;
        }
        status = replay.empty() ? shrinkAndReport(*sequence) : playHere(*sequence);
    } else {
        status = fuzzFor(seconds);
    }
    return status;
}
