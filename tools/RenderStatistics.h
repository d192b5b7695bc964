#pragma once

#include <string>
#include <vector>

// How fast a render ran: the time of every block against the time the
// block's audio lasts.
class RenderStatistics
{
public:
    explicit RenderStatistics(double sampleRate) : m_sampleRate(sampleRate) {}

    void addBlock(double seconds, int frames);

    int blocks() const { return static_cast<int>(m_blockSeconds.size()); }
    double audioSeconds() const { return m_audioFrames / m_sampleRate; }
    double renderSeconds() const { return m_renderSeconds; }
    // Audio time over render time: above 1 is faster than real time.
    double realTimeFactor() const;
    // The p-th percentile (0-100) of the block times, in microseconds.
    double blockMicroseconds(double p) const;
    // The p-th percentile of the blocks' render time as a percentage of
    // their audio time.
    double blockLoadPercent(double p) const;

    std::string report() const;

    // 0 for no values.
    static double median(std::vector<double> values);

private:
    static double percentile(std::vector<double> values, double p);

    double m_sampleRate;
    double m_audioFrames = 0.0;
    double m_renderSeconds = 0.0;
    std::vector<double> m_blockSeconds;
    std::vector<double> m_blockLoads;
};
