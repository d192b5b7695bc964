#include "Source/Voices/AuxModSettings.h"

#include "Source/Voices/ParameterScaling.h"
#include "Source/parameters/ParameterIndices.h"

#include "dsp/Conversions.h"

int AuxModSettings::scaleFor(std::int64_t destination)
{
    switch (destination)
    {
    case 1: // Osc 2 Pitch
        return 112;
    case 7: // Osc Mix
    case 8: // Noise Mix
        return 100;
    default:
        return 255;
    }
}

void AuxModSettings::rescale()
{
    const float s = static_cast<float>(scaleFor(destination));
    scaledLfoAmount = nearest(lfoAmount * s);
    scaledEnvelopeAmount = nearest(envelopeAmount * s);
    scaledControllerAmount = nearest(controllerAmount * s);
}

bool AuxModSettings::applyParameter(std::int64_t index, std::int64_t value, float v)
{
    switch (index)
    {
    case Param::AuxModLfoMix:
        lfoMix = ParameterScaling::lfoMixStep(value);
        return true;
    case Param::AuxModAmount:
        lfoAmount = v;
        rescale();
        return true;
    case Param::AuxModEnvelope:
        envelopeAmount = v;
        rescale();
        return true;
    case Param::AuxModEnvSource:
        envelopeSource = value;
        return true;
    case Param::AuxModSum:
        sum = value == 1;
        return true;
    case Param::AuxModWheel:
        controllerAmount = v;
        rescale();
        return true;
    case Param::AuxController:
        controllerSource = value;
        return true;
    case Param::AuxModDestination:
        destination = value;
        rescale();
        destinationIsPitch = value == 1;
        return true;
    default:
        return false;
    }
}
