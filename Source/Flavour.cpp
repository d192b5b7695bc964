#include "Source/Flavour.h"

const Flavour& effectFlavour()
{
    static const Flavour flavour{"Zentrova2FX", "Zentrova2 Effect", fourCharCode("Z2FX"), 2, false};
    return flavour;
}
