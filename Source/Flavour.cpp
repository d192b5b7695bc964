#include "Source/Flavour.h"

const Flavour& effectFlavour()
{
    static const Flavour flavour{"Zentrova2FX", "Zentrova2 Effect", fourCharCode("Z2FX"), 2, false};
    return flavour;
}

const Flavour& instrumentFlavour()
{
    static const Flavour flavour{"Zentrova2", "Zentrova2 Synth", fourCharCode("Zen2"), 0, true};
    return flavour;
}
