#pragma once

// Cutoff frequencies in Hz and dampings, indexed by the 8-bit fields of the
// filter parameter word. Both strictly increase with the index; damping 3 at
// index 255 is the least resonance.
extern const float CutoffFrequencyTable[256];
extern const float DampingTable[256];

// Fills the 256 cutoff coefficients of the filter pass for a host sample
// rate; the filters run two passes per engine sample at twice the host rate.
// Below 44.1 kHz no cutoff goes past the fraction of the rate that the
// highest one takes at 44.1 kHz.
void makeCutoffCoefficients(float* table, float hostRate);
