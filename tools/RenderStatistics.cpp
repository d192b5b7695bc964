#include "tools/RenderStatistics.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

void RenderStatistics::addBlock(double seconds, int frames)
{
    m_blockSeconds.push_back(seconds);
    m_audioFrames += frames;
    m_renderSeconds += seconds;
    if (frames > 0)
        m_blockLoads.push_back(100.0 * seconds * m_sampleRate / frames);
}

double RenderStatistics::realTimeFactor() const
{
    if (m_renderSeconds <= 0.0)
        return std::numeric_limits<double>::infinity();
    return audioSeconds() / m_renderSeconds;
}

double RenderStatistics::blockMicroseconds(double p) const
{
    return percentile(m_blockSeconds, p) * 1e6;
}

double RenderStatistics::blockLoadPercent(double p) const
{
    return percentile(m_blockLoads, p);
}

// Nearest rank: the smallest value with at least p percent of the values at
// or below it.
double RenderStatistics::percentile(std::vector<double> values, double p)
{
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    const double rank = std::ceil(std::clamp(p, 0.0, 100.0) / 100.0 * values.size());
    const std::size_t index = rank < 1.0 ? 0 : static_cast<std::size_t>(rank) - 1;
    return values[std::min(index, values.size() - 1)];
}

double RenderStatistics::median(std::vector<double> values)
{
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : 0.5 * (values[n / 2 - 1] + values[n / 2]);
}

std::string RenderStatistics::report() const
{
    char text[512];
    std::snprintf(text, sizeof text,
                  "rendered %.3f s of audio in %.3f s: %.1fx real time, %d blocks\n"
                  "block time   p50 %.1f us  p90 %.1f us  p99 %.1f us  max %.1f us\n"
                  "block load   p50 %.2f%%  p90 %.2f%%  p99 %.2f%%  max %.2f%% of the block's duration\n",
                  audioSeconds(), renderSeconds(), realTimeFactor(), blocks(), blockMicroseconds(50),
                  blockMicroseconds(90), blockMicroseconds(99), blockMicroseconds(100), blockLoadPercent(50),
                  blockLoadPercent(90), blockLoadPercent(99), blockLoadPercent(100));
    return text;
}
