#pragma once

#include <string>
#include <vector>

// Stereo WAV files of 32-bit floats: written here, read through libsndfile.
class WavFile
{
public:
    struct Stereo
    {
        std::vector<float> left;
        std::vector<float> right;
        int sampleRate = 0;
    };

    // Throws std::runtime_error when the file cannot be written.
    static void write(const std::string& path, const std::vector<float>& left, const std::vector<float>& right,
                      int sampleRate);
    // Mono files come back with both channels equal; throws when the file
    // cannot be read.
    static Stereo read(const std::string& path);
};
