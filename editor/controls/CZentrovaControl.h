#pragma once

#include "toolkit/BaseTypes.h"

// What every control of the product tells the widget layer: where its MIDI
// controller box goes.
class CZentrovaControl
{
public:
    virtual ~CZentrovaControl() = default;

    virtual void getMidiEditRect(CRect& rect) const = 0;

protected:
    static constexpr CCoord kMidiEditWidth = 24;
    static constexpr CCoord kMidiEditHeight = 12;

    // A box centred on size, 6 pixels above it: buttons and switches.
    static void midiEditRectAbove(const CRect& size, CRect& rect)
    {
        const CCoord centre = (size.left + size.right) / 2;
        rect = CRect(centre - kMidiEditWidth / 2, size.top - 18, centre + kMidiEditWidth / 2, size.top - 6);
    }
    // A box centred on size, over its top edge: knobs and wheels.
    static void midiEditRectOver(const CRect& size, CRect& rect)
    {
        const CCoord centre = (size.left + size.right) / 2;
        rect = CRect(centre - kMidiEditWidth / 2, size.top, centre + kMidiEditWidth / 2, size.top + kMidiEditHeight);
    }
};
