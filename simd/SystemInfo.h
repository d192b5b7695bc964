#pragma once

// What the processor offers. The engine reads the SSE flag once, at
// construction, to choose between the four-lane and the portable variants.
class SystemInfo
{
public:
    SystemInfo();
    virtual ~SystemInfo();

    bool hasSse() const { return m_sse != 0; }
    // Sixteen-lane vectors (AVX-512), which the filter bank uses for its
    // largest groups of voice pairs and the oscillators for their readers and
    // noise; never while the portable variants are forced.
    bool hasWideVectors() const;

    // Tests force the portable variants of every engine part built while set.
    static void forcePortable(bool portable);

private:
    int m_sse;
    [[maybe_unused]] int m_reserved;
};
