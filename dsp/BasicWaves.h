#pragma once

#include <cstdint>

class HarmonicWaveform;

// Oscillator wave numbers.
enum OscillatorWave
{
    kWaveTriangle = 0,
    kWaveSawtooth = 1,
    kWaveSquare = 2,
    kWavePulse = 3,
    kWavePwm = 4,
    kWaveFullOrgan = 5,
    kWaveHarpsichord = 6,
    kWaveStrongLead = 7,
    kWaveDoublePulse = 8,
    kWaveGritty = 9,
    kWaveUser1 = 10,
    kWaveUser2 = 11,
    kWaveAudioInput = 12
};

// Third-source numbers.
enum ThirdSource
{
    kSourceWhiteNoise = 0,
    kSourceAudioInput = 1,
    kSourcePinkNoise = 2
};

// Writes the 256 signed samples of one cycle of wave `number`. Numbers that
// name no table (the audio input, anything out of range) give silence.
void buildBasicWave(int number, const HarmonicWaveform& user1, const HarmonicWaveform& user2, std::int8_t* wave);
