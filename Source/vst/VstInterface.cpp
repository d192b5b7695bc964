#include "Source/vst/VstInterface.h"

VstInterface::VstInterface(audioMasterCallback audioMaster, VstInt32 numPrograms, VstInt32 numParams)
    : AudioEffectX(audioMaster, numPrograms, numParams)
{
}

VstInterface::~VstInterface() = default;

VstIntPtr VstInterface::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt)
{
    return AudioEffectX::dispatcher(opcode, index, value, ptr, opt);
}
