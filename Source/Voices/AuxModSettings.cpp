#include "Source/Voices/AuxModSettings.h"

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
