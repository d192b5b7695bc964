#pragma once

#include <cstddef>
#include <iosfwd>
#include <string>

// The 24 harmonic levels of a user wave (the fundamental first), one byte
// each. The text form is one hex digit per harmonic on a 16-step level scale.
class Harmonics
{
public:
    static constexpr int kCount = 24;

    Harmonics();
    explicit Harmonics(const unsigned char* levels);
    // Blanks and tabs are skipped; anything but a hex digit ends the reading
    // and marks the result invalid, the levels from there on staying 0.
    explicit Harmonics(const std::string& text);
    virtual ~Harmonics();

    Harmonics(const Harmonics&) = default;
    Harmonics& operator=(const Harmonics&) = default;

    bool isValid() const { return m_valid; }
    void getLevels(unsigned char* out) const;
    unsigned char level(int harmonic) const { return m_levels[harmonic]; }
    void setLevel(int harmonic, unsigned char value) { m_levels[harmonic] = value; }

    // Level byte -> 0..15 on the display scale, and a fractional display
    // level back to a gain 0..1.
    static int gainToLevel(unsigned char b);
    static float levelToGain(float level);

    // The 24 levels as decimals in fields of width 3, separated by blanks.
    void print(std::ostream& out) const;

    bool operator==(const Harmonics& other) const;
    bool operator!=(const Harmonics& other) const { return !(*this == other); }
    // Orders by the levels read as six 32-bit words: a cheap total order
    // for the harmonic list's index map.
    bool operator<(const Harmonics& other) const;

private:
    bool m_valid;
    unsigned char m_levels[kCount];
};
