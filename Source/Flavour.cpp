#include "Source/Flavour.h"

const Flavour& effectFlavour()
{
    // A click at the input peaks four samples later with the filter open,
    // through the filter and the decimator's all-pass branches.
    static const Flavour flavour{"Zentrova2FX", "Zentrova2 Effect", fourCharCode("Z2FX"), 2, false, 4};
    return flavour;
}

const Flavour& instrumentFlavour()
{
    static const Flavour flavour{"Zentrova2", "Zentrova2 Synth", fourCharCode("Zen2"), 0, true, 0};
    return flavour;
}
