#include "simd/SystemInfo.h"

#include "tests/support/SimdPaths.h"

#include <gtest/gtest.h>

#include <cstdlib>

TEST(SystemInfo, SimdPathNamesReadBack)
{
    for (SimdPath path : {SimdPath::Sse, SimdPath::Avx2, SimdPath::Avx512})
        EXPECT_EQ(SystemInfo::parseSimdPath(SystemInfo::simdPathName(path)), path);
    EXPECT_EQ(SystemInfo::parseSimdPath("AVX2"), SimdPath::Avx2);
    for (const char* other : {"", "avx", "avx2 ", "neon"})
        EXPECT_FALSE(SystemInfo::parseSimdPath(other).has_value()) << other;
    EXPECT_FALSE(SystemInfo::parseSimdPath(nullptr).has_value());
}

// Run as well with ZENTROVA_SIMD set to each path (see tests/CMakeLists.txt).
TEST(SystemInfo, TheEnvironmentChoosesAPathTheProcessorRuns)
{
    const char* value = std::getenv("ZENTROVA_SIMD");
    const std::optional<SimdPath> asked = SystemInfo::parseSimdPath(value);
    const SimdPath expected = asked && processorRuns(*asked) ? *asked : SystemInfo::processorPath();
    EXPECT_EQ(SystemInfo().simdPath(), expected) << (value ? value : "(not set)");
    EXPECT_EQ(SystemInfo().hasWideVectors(), expected == SimdPath::Avx512);
}

TEST(SystemInfo, AForcedPathGivesWayToThePortableVariants)
{
    for (SimdPath path : runnableSimdPaths())
    {
        ForcedSimdPath forced(path);
        EXPECT_EQ(SystemInfo().simdPath(), path);
        SystemInfo::forcePortable(true);
        EXPECT_FALSE(SystemInfo().hasSse());
        EXPECT_EQ(SystemInfo().simdPath(), SimdPath::Sse);
        SystemInfo::forcePortable(false);
    }
    SystemInfo::forceSimdPath(SimdPath::Avx512);
    EXPECT_TRUE(processorRuns(SystemInfo().simdPath()));
    SystemInfo::forceSimdPath(std::nullopt);
    EXPECT_EQ(SystemInfo().simdPath(), SystemInfo::processPath());
}
