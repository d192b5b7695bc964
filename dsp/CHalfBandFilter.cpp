#include "dsp/CHalfBandFilter.h"

CHalfBandFilter::~CHalfBandFilter() = default;
