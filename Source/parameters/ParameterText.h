#pragma once

#include <cstddef>
#include <string>

// Number texts of parameters and patches. They never depend on the process
// locale: a host that sets a comma as decimal point must still read and
// write the same patch texts.

// Reads a patch number: an optional leading minus, digits, one point.
// Other characters are skipped; an empty text, or one too long to give a
// finite number, reads as 0.
float parseNumberText(const std::string& text);

// Leading integer of a text as atoi reads it (whitespace, sign, digits; 0
// when there are none), saturated to the int range instead of overflowing.
int parseIntegerText(const std::string& text);

// value with exactly `decimals` digits after the point, as "%.Nf" prints it
// in the "C" locale.
std::string formatFixed(double value, int decimals);
// The same into a buffer of `size` bytes (cut, always terminated); allocates
// nothing, for use on the audio thread.
void formatFixed(char* out, std::size_t size, double value, int decimals);

// The integer text of a parameter: at most 8 characters, "Huge!" for a value
// that does not fit.
std::string formatInteger(long long value);

// Copies text into a buffer of `size` bytes, cut to size - 1 characters and
// always terminated.
void copyText(char* out, const char* text, std::size_t size);
