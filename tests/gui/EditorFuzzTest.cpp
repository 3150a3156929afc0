// The editor fuzzer on fixed seeds, and the sequences it once failed on.

#include "EditorFuzzer.h"
#include "base/File.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace {

void expectKept(const FuzzSequence& sequence, const std::string& name) {
    const FuzzResult result = playSequence(sequence);
    EXPECT_FALSE(result.failure) << name << ": " << *result.failure
                                 << "\nShrink it with: editor_fuzz --shrink FILE, FILE holding:\n"
                                 << toText(sequence);
}

class EditorFuzzTest : public testing::TestWithParam<int> {};

} // namespace

TEST_P(EditorFuzzTest, RandomUseKeepsEveryPromise) {
    expectKept(randomSequence(static_cast<std::uint64_t>(GetParam()), 200),
               "seed " + std::to_string(GetParam()));
}

INSTANTIATE_TEST_SUITE_P(Seeds, EditorFuzzTest, testing::Range(1, 21));

// Every failure the fuzzer found, shrunk, in tests/gui/fuzz-regressions/.
TEST(EditorFuzzRegressionTest, SequencesThatOnceFailedPass) {
    const std::filesystem::path folder = VELVOR_SOURCE_DIR "/tests/gui/fuzz-regressions";
    int played = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::optional<FuzzSequence> sequence = sequenceFromText(readFile(entry.path().string()));
        ASSERT_TRUE(sequence) << entry.path();
        expectKept(*sequence, entry.path().filename().string());
        ++played;
    }
    EXPECT_GT(played, 0);
}
