#include "Source/state/Version1Conversion.h"

#include "Source/state/DefaultPatchRecord.h"
#include "Source/state/ZentrovaState.h"
#include "patches/Version1Mapping.h"

#include <algorithm>
#include <iterator>

static_assert(kVersion1MappedParameters == kParameterCount, "a version-1 mapping covers every parameter");

void convertVersion1Patch(ZentrovaState& state, const Version1Patch& record)
{
    const DefaultPatchRecord& defaultPatch = DefaultPatchRecord::instance();
    state.m_patchData = PatchData(defaultPatch);

    std::array<float, kVersion1MappedParameters> defaults;
    std::copy(std::begin(defaultPatch.values), std::end(defaultPatch.values), defaults.begin());
    Version1Mapping mapping = mapVersion1Patch(record, defaults);
    mapping.values[kVersion1TextParameter] =
        state.getParameter(kVersion1TextParameter)->valueFromText(mapping.textParameterValue);
    state.m_patchData.name = mapping.name;

    for (int index = 0; index < kParameterCount; ++index)
    {
        state.m_patchData.values[index] = mapping.values[index];
        state.getParameter(index)->setValue(mapping.values[index]);
    }
    // The texts of the converted values follow their modes at once, not
    // only once the engine plays the patch.
    state.checkSwitches(-1, -1, true);
}
