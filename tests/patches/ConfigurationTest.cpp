#include "patches/Configuration.h"

#include "Source/PatchTree.h"

#include <gtest/gtest.h>

TEST(Configuration, InstancesShareOneConfigurationUntilTheLastRelease)
{
    std::uint64_t first = 99;
    std::uint64_t second = 99;
    Configuration* a = Configuration::acquire(first, nullptr, nullptr);
    Configuration* b = Configuration::acquire(second, nullptr, nullptr);
    EXPECT_EQ(a, b);
    EXPECT_EQ(first, 0u);
    EXPECT_EQ(second, 1u);
    Configuration::release(first);

    std::uint64_t third = 99;
    EXPECT_EQ(Configuration::acquire(third, nullptr, nullptr), b);
    EXPECT_EQ(third, 2u) << "ids are not reused while the configuration lives";
    Configuration::release(second);
    Configuration::release(third);

    std::uint64_t fresh = 99;
    EXPECT_NE(Configuration::acquire(fresh, nullptr, nullptr), nullptr);
    EXPECT_EQ(fresh, 0u) << "a new configuration after the last release";
    Configuration::release(fresh);
}

TEST(Configuration, StartsWithItsDefaultsAndAnEmptyPatchTree)
{
    std::uint64_t id = 0;
    Configuration* configuration = Configuration::acquire(id, nullptr, nullptr);
    EXPECT_EQ(configuration->getKnobMode(), -1);
    EXPECT_EQ(configuration->getDamperScale(), 0.5f);
    EXPECT_EQ(configuration->getHold2Scale(), 2.0f);
    ASSERT_NE(configuration->getPatchTree(), nullptr);
    EXPECT_FALSE(configuration->getPatchTree()->hasTree());
    EXPECT_EQ(configuration->getPatchTree()->findNode("Inst/"), nullptr);
    for (int parameter : {-1, 107, 1000})
        EXPECT_EQ(configuration->getMidiController(parameter), -1);
    Configuration::release(id);
}
