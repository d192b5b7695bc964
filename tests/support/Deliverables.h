#pragma once

// The two deliverables, for the suites that run against both: each as the
// built plug-in library a host loads, and as the flavour the test program
// builds the same plug-in from.

#include "Source/Flavour.h"
#include "tools/HostedPlugin.h"

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>
#include <vector>

struct Deliverable
{
    const char* name;
    const char* libraryPath;
    const Flavour* flavour;
    // Where its side of the patch library lives: the tree address prefix
    // and the default patch folder below the support folder.
    const char* treePrefix;
    const char* patchFolder;
    bool isEffect;
};

inline const std::vector<Deliverable>& deliverables()
{
    static const std::vector<Deliverable> both = {
        {"Effect", ZENTROVA_EFFECT_PLUGIN_PATH, &effectFlavour(), "FX/", "Patches/Effect", true},
        {"Instrument", ZENTROVA_INSTRUMENT_PLUGIN_PATH, &instrumentFlavour(), "Inst/", "Patches/Instrument", false},
    };
    return both;
}

inline const Deliverable& effectDeliverable()
{
    return deliverables()[0];
}

inline const Deliverable& instrumentDeliverable()
{
    return deliverables()[1];
}

inline void PrintTo(const Deliverable& deliverable, std::ostream* out)
{
    *out << deliverable.name;
}

inline std::unique_ptr<HostedPlugin> loadPlugin(const Deliverable& deliverable, int blockSize = 256)
{
    HostSettings settings;
    settings.blockSize = blockSize;
    return std::make_unique<HostedPlugin>(deliverable.libraryPath, settings);
}

// Runs a value-parametrised suite once per deliverable, the cases named
// after it.
#define INSTANTIATE_FOR_BOTH_DELIVERABLES(suite)                                                                   \
    INSTANTIATE_TEST_SUITE_P(Deliverables, suite, ::testing::ValuesIn(deliverables()),                               \
                             [](const ::testing::TestParamInfo<Deliverable>& info) {                                 \
                                 return std::string(info.param.name);                                                \
                             })
