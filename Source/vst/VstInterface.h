#pragma once

#include "Source/vst/AudioEffectX.h"

// The base the main plug-in object derives from.
class VstInterface : public AudioEffectX
{
public:
    VstInterface(audioMasterCallback audioMaster, VstInt32 numPrograms, VstInt32 numParams);
    ~VstInterface() override;

    VstIntPtr dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) override;
};
