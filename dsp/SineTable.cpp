#include "dsp/SineTable.h"

namespace
{
const unsigned char quarterWave[64] = {
    3,   9,   16,  22,  28,  34,  41,  46,  53,  59,  65,  71,  77,  83,  89,  95,
    100, 106, 112, 117, 123, 128, 133, 139, 144, 149, 154, 159, 164, 169, 174, 178,
    182, 187, 191, 195, 199, 203, 207, 210, 214, 217, 220, 223, 226, 229, 232, 234,
    237, 239, 241, 243, 245, 247, 248, 249, 251, 252, 253, 253, 254, 255, 255, 255};
}

SineTable::~SineTable() = default;

int SineTable::lookup(int x)
{
    int y = x & 0xFF;
    if (y & 0x40)
        y ^= 0x3F;
    int value = quarterWave[y & 63];
    return (y & 0x80) ? -value : value;
}
