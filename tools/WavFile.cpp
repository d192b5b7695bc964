#include "tools/WavFile.h"

#include <sndfile.h>

#include <algorithm>
#include <stdexcept>

void WavFile::write(const std::string& path, const std::vector<float>& left, const std::vector<float>& right,
                    int sampleRate)
{
    SF_INFO info{};
    info.samplerate = sampleRate;
    info.channels = 2;
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file)
        throw std::runtime_error("cannot write " + path + ": " + sf_strerror(nullptr));
    const std::size_t frames = std::min(left.size(), right.size());
    std::vector<float> interleaved(2 * frames);
    for (std::size_t i = 0; i < frames; ++i)
    {
        interleaved[2 * i] = left[i];
        interleaved[2 * i + 1] = right[i];
    }
    const sf_count_t written = sf_writef_float(file, interleaved.data(), static_cast<sf_count_t>(frames));
    sf_close(file);
    if (written != static_cast<sf_count_t>(frames))
        throw std::runtime_error("cannot write all of " + path);
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
