// The command-line host's render path, end to end: the instrument plug-in
// built here, as the main job plays it, and a Linux VST 2.4 plug-in from
// Debian that nobody here wrote.

#include "tools/HostedPlugin.h"
#include "tools/MidiSequence.h"
#include "tools/OfflineRenderer.h"
#include "tools/WavFile.h"
#include "tests/support/TemporaryHome.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

// What a plug-in nobody here wrote leaves allocated at exit is not ours to
// report; nor are the blocks of its configuration that fontconfig keeps out
// of LeakSanitizer's sight until FcFini, which a plug-in never calls.
extern "C" __attribute__((visibility("default"))) const char* __lsan_default_suppressions()
{
    return "leak:amsynth_vst.so\nleak:libfontconfig.so\n";
}

namespace
{
const char* const kThirdPartyPlugin = "/usr/lib/vst/amsynth_vst.so";

float peak(const std::vector<float>& samples)
{
    float result = 0.0f;
    for (float sample : samples)
        result = std::max(result, std::fabs(sample));
    return result;
}
} // namespace

TEST(OfflineRenderer, WritesTheInstrumentPluginsRenderToAWavFile)
{
    TemporaryHome home;
    HostSettings settings;
    settings.sampleRate = 44100.0;
    settings.blockSize = 300;
    HostedPlugin plugin(ZENTROVA_INSTRUMENT_PLUGIN_PATH, settings);
    const OfflineRenderer::Result result = OfflineRenderer::render(plugin, MidiSequence::builtInPhrase(), 0.5);
    ASSERT_EQ(result.left.size(), 22050u);
    const std::string path = home.path() + "/render.wav";
    WavFile::write(path, result.left, result.right, 44100);
    const WavFile::Stereo read = WavFile::read(path);
    EXPECT_EQ(read.sampleRate, 44100);
    EXPECT_EQ(read.left, result.left);
    EXPECT_EQ(read.right, result.right);
    EXPECT_GT(peak(read.left), 0.01f);
}

TEST(OfflineRenderer, PlaysANoteThroughAThirdPartyPlugin)
{
    if (!std::filesystem::exists(kThirdPartyPlugin))
        GTEST_SKIP() << kThirdPartyPlugin << " is not installed (Debian package amsynth)";
    TemporaryHome home;
    HostSettings settings;
    settings.sampleRate = 48000.0;
    settings.blockSize = 256;
    HostedPlugin plugin(kThirdPartyPlugin, settings);
    EXPECT_EQ(plugin.effectName(), "amsynth");
    EXPECT_GT(plugin.effect()->numParams, 10);
    EXPECT_EQ(plugin.effect()->numOutputs, 2);
    EXPECT_FALSE(plugin.parameterName(0).empty());

    MidiSequence note;
    note.add(0.0, 0x90, 57, 110);
    note.add(0.4, 0x80, 57, 64);
    const OfflineRenderer::Result result = OfflineRenderer::render(plugin, note, 0.6);
    ASSERT_EQ(result.left.size(), 28800u);
    EXPECT_GT(peak(result.left), 0.01f);
    EXPECT_GT(peak(result.right), 0.01f);
    for (float sample : result.left)
        ASSERT_TRUE(std::isfinite(sample));

    const std::string path = home.path() + "/note.wav";
    WavFile::write(path, result.left, result.right, 48000);
    EXPECT_GT(peak(WavFile::read(path).left), 0.01f);
}

TEST(WavFile, MissingFilesAreReported)
{
    EXPECT_THROW(WavFile::read("/nonexistent/file.wav"), std::runtime_error);
    EXPECT_THROW(WavFile::write("/nonexistent/folder/file.wav", {0.0f}, {0.0f}, 48000), std::runtime_error);
}
