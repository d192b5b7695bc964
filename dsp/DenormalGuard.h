#pragma once

// Flush-to-zero and denormals-are-zero for the lifetime of the guard; the
// caller's floating-point mode comes back when it goes out of scope. Decaying
// filter states would otherwise slow down to microcode speed.
class DenormalGuard
{
public:
    DenormalGuard();
    ~DenormalGuard();

    DenormalGuard(const DenormalGuard&) = delete;
    DenormalGuard& operator=(const DenormalGuard&) = delete;

private:
    unsigned int m_saved;
};
