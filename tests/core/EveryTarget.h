#pragma once

#include <gtest/gtest.h>
#include <hwy/targets.h>

// Runs the check once for every instruction set Highway compiled and this machine has, so the paths
// a faster or slower machine would take are compared too.
template <class Check> void forEveryTarget(const Check& check) {
    for (const std::int64_t target : hwy::SupportedAndGeneratedTargets()) {
        SCOPED_TRACE(hwy::TargetName(target));
        hwy::SetSupportedTargetsForTest(target);
        check();
    }
    hwy::SetSupportedTargetsForTest(0);
}
