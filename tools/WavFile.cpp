#include "tools/WavFile.h"

#include <sndfile.h>

#include "tools/CommandLine.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <stdexcept>

namespace
{
void putU16(std::vector<unsigned char>& bytes, std::uint32_t value)
{
    bytes.push_back(static_cast<unsigned char>(value));
    bytes.push_back(static_cast<unsigned char>(value >> 8));
}

void putU32(std::vector<unsigned char>& bytes, std::uint32_t value)
{
    putU16(bytes, value & 0xFFFFu);
    putU16(bytes, value >> 16);
}

void putTag(std::vector<unsigned char>& bytes, const char* tag)
{
    bytes.insert(bytes.end(), tag, tag + 4);
}
} // namespace

void WavFile::write(const std::string& path, const std::vector<float>& left, const std::vector<float>& right,
                    int sampleRate)
{
    constexpr std::uint32_t kChannels = 2;
    constexpr std::uint32_t kFrameBytes = kChannels * sizeof(float);
    const std::size_t frames = std::min(left.size(), right.size());
    constexpr std::uint64_t kHeaderBytes = 58;
    if (kHeaderBytes - 8 + static_cast<std::uint64_t>(frames) * kFrameBytes > 0xFFFFFFFFu)
        throw std::runtime_error("cannot write " + path + ": more than a WAV file holds");
    const auto dataBytes = static_cast<std::uint32_t>(frames * kFrameBytes);

    // Written by hand: a file of floats is not plain PCM, so its format
    // chunk carries the extension size (0), and a fact chunk the length.
    std::vector<unsigned char> bytes;
    bytes.reserve(kHeaderBytes + dataBytes);
    putTag(bytes, "RIFF");
    putU32(bytes, static_cast<std::uint32_t>(kHeaderBytes - 8) + dataBytes);
    putTag(bytes, "WAVE");
    putTag(bytes, "fmt ");
    putU32(bytes, 18);
    putU16(bytes, 3); // IEEE float
    putU16(bytes, kChannels);
    putU32(bytes, static_cast<std::uint32_t>(sampleRate));
    putU32(bytes, static_cast<std::uint32_t>(sampleRate) * kFrameBytes);
    putU16(bytes, kFrameBytes);
    putU16(bytes, 32);
    putU16(bytes, 0);
    putTag(bytes, "fact");
    putU32(bytes, 4);
    putU32(bytes, static_cast<std::uint32_t>(frames));
    putTag(bytes, "data");
    putU32(bytes, dataBytes);
    for (std::size_t i = 0; i < frames; ++i)
        for (float sample : {left[i], right[i]})
        {
            std::uint32_t bits;
            std::memcpy(&bits, &sample, sizeof bits);
            putU32(bytes, bits);
        }

    writeWholeFile(path, bytes);
}

WavFile::Stereo WavFile::read(const std::string& path)
{
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file)
        throw std::runtime_error("cannot read " + path + ": " + sf_strerror(nullptr));
    std::vector<float> interleaved(static_cast<std::size_t>(info.frames) * info.channels);
    const sf_count_t frames = sf_readf_float(file, interleaved.data(), info.frames);
    sf_close(file);
    Stereo result;
    result.sampleRate = info.samplerate;
    for (sf_count_t i = 0; i < frames; ++i)
    {
        const float* frame = &interleaved[static_cast<std::size_t>(i) * info.channels];
        result.left.push_back(frame[0]);
        result.right.push_back(info.channels > 1 ? frame[1] : frame[0]);
    }
    return result;
}
