// The plug-in's state as host chunks, through the entry point: the document
// it writes for programs and banks, what it reads back (compressed or plain
// text), the conversions of older documents, and damaged or hostile input.

#include "Source/state/DefaultPatchRecord.h"
#include "Source/ticpp/ticpp.h"
#include "tests/support/PatchDocuments.h"
#include "tests/support/TemporaryHome.h"

#include <gtest/gtest.h>

#include <atomic>
#include <locale>
#include <string>
#include <thread>
#include <vector>

namespace
{
float choice(int index, int count)
{
    return static_cast<float>(index) / static_cast<float>(count - 1);
}

// The document a fresh instance writes for its patch: the built-in texts,
// with "0" where the built-in patch leaves a text empty.
std::string defaultPatchElement(const std::string& patchAttributes)
{
    std::string text = "    <patch " + patchAttributes + ">\n";
    for (int index = 0; index < 155; ++index)
    {
        std::string key, value = "0";
        if (index < 107)
        {
            key = builtInDefaultPatch[index].key;
            if (*builtInDefaultPatch[index].text)
                value = builtInDefaultPatch[index].text;
        }
        else
        {
            const int wave = (index - 107) / 24 + 1, harmonic = (index - 107) % 24 + 1;
            char name[8];
            std::snprintf(name, sizeof name, harmonic == 1 ? "W%dFund" : "W%dHr%02d", wave, harmonic);
            key = name;
        }
        text += "        <parameter name=\"" + key + "\" value=\"" + value + "\" />\n";
    }
    return text + "    </patch>\n";
}

class PluginChunks : public ::testing::TestWithParam<Deliverable>
{
protected:
    std::vector<float> values()
    {
        std::vector<float> result;
        for (int index = 0; index < 155; ++index)
            result.push_back(plugin->getParameter(index));
        return result;
    }

    std::string programText() { return chunkText(plugin->getChunk(true)); }

    // Reads a document given as plain text; answers the plug-in's result.
    VstIntPtr setDocument(const std::string& text, bool program = true)
    {
        return plugin->setChunk(plainChunk(text), program);
    }

    // The value text the plug-in writes for a parameter key.
    std::string writtenValue(const std::string& key)
    {
        ticpp::Document document;
        document.Parse(programText());
        ticpp::Element* patch = document.FirstChildElement("zentrova")->FirstChildElement("patch");
        for (ticpp::Element* parameter = patch->FirstChildElement("parameter", false); parameter;
             parameter = parameter->NextSiblingElement("parameter", false))
            if (parameter->GetAttribute("name") == key)
                return parameter->GetAttribute("value");
        return "missing";
    }

    TemporaryHome home;
    std::unique_ptr<HostedPlugin> plugin = loadPlugin(GetParam());
};
} // namespace

INSTANTIATE_FOR_BOTH_DELIVERABLES(PluginChunks);

// A fresh instance with an empty library falls back to the default patch,
// named "Default".
TEST_P(PluginChunks, ProgramChunkOfAFreshInstanceIsTheDefaultPatch)
{
    const std::vector<unsigned char> chunk = plugin->getChunk(true);
    ASSERT_FALSE(chunk.empty());
    EXPECT_EQ(chunk[0], 0x78) << "a zlib stream";
    const std::string text = chunkText(chunk);
    EXPECT_TRUE(std::regex_search(
        text, std::regex("^<zentrova version=\"609\" platform=\"mac_x86\" uuid=\"[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-"
                         "[0-9A-F]{4}-[0-9A-F]{12}\">\n")))
        << text.substr(0, 120);
    EXPECT_EQ(withoutUuids(text), "<zentrova version=\"609\" platform=\"mac_x86\" uuid=\"U\">\n" +
                                      defaultPatchElement("name=\"Default\"") + "</zentrova>\n");
}

TEST_P(PluginChunks, BankChunkAddsTheSelectionAndThePatchUuid)
{
    const std::string text = chunkText(plugin->getChunk(false));
    EXPECT_EQ(withoutUuids(text), "<zentrova version=\"609\" platform=\"mac_x86\" uuid=\"U\">\n"
                                  "    <status selected_bank=\"\" selected_patch=\"\" />\n" +
                                      defaultPatchElement("name=\"Default\" uuid=\"U\"") + "</zentrova>\n");
}

TEST_P(PluginChunks, EveryChunkHasANewUuidButThePatchKeepsItsOwn)
{
    ticpp::Document first, second;
    first.Parse(chunkText(plugin->getChunk(false)));
    second.Parse(chunkText(plugin->getChunk(false)));
    EXPECT_NE(first.FirstChildElement()->GetAttribute("uuid"), second.FirstChildElement()->GetAttribute("uuid"));
    EXPECT_EQ(first.FirstChildElement()->FirstChildElement("patch")->GetAttribute("uuid"),
              second.FirstChildElement()->FirstChildElement("patch")->GetAttribute("uuid"));
}

TEST_P(PluginChunks, ChordsAreWrittenInPlayOrderOnlyWithChordMemory)
{
    const std::string chords = "<chords>\n<chord channel=\"3\">\n"
                               "<key note=\"64\" velocity=\"100\" aftertouch=\"5\" />\n"
                               "<key note=\"60\" velocity=\"90\" />\n"
                               "<key note=\"67\" velocity=\"80\" aftertouch=\"127\" />\n</chord>\n"
                               "<chord channel=\"0\">\n<key note=\"1\" velocity=\"2\" aftertouch=\"3\" />\n</chord>\n"
                               "<chord channel=\"9\" />\n</chords>\n";
    // Pitch order for the lists, so the writer must walk them in play order.
    ASSERT_EQ(setDocument(patchDocument("609", {{"ChordMemory", "On"}, {"ArpeggioOrder", "Pitch"}}, chords)), 1);
    const std::string text = programText();
    const std::string expected = "        <chords>\n"
                                 "            <chord channel=\"0\">\n"
                                 "                <key note=\"1\" velocity=\"2\" aftertouch=\"3\" />\n"
                                 "            </chord>\n"
                                 "            <chord channel=\"3\">\n"
                                 "                <key note=\"64\" velocity=\"100\" aftertouch=\"5\" />\n"
                                 "                <key note=\"60\" velocity=\"90\" aftertouch=\"0\" />\n"
                                 "                <key note=\"67\" velocity=\"80\" aftertouch=\"127\" />\n"
                                 "            </chord>\n"
                                 "        </chords>\n"
                                 "    </patch>\n";
    ASSERT_NE(text.find(expected), std::string::npos) << text.substr(text.size() - 700);
    EXPECT_LT(text.find("name=\"W2Hr24\""), text.find("<chords>")) << "after the parameters";

    // Chord memory off: no chords element, although the lists hold notes.
    plugin->setParameter(41, 0.0f);
    EXPECT_EQ(programText().find("chords"), std::string::npos);
    plugin->setParameter(41, 1.0f);
    EXPECT_NE(programText().find(expected), std::string::npos);
}

TEST_P(PluginChunks, ChordMemoryWithEmptyListsStillWritesItsElement)
{
    plugin->setParameter(41, 1.0f);
    EXPECT_NE(programText().find("        <chords />\n    </patch>"), std::string::npos);
}

TEST_P(PluginChunks, ChunksRoundTripCompressedAndAsPlainText)
{
    for (int index = 0; index < 155; ++index)
        plugin->setParameter(index, static_cast<float>((index * 53) % 97) / 96.0f);
    ASSERT_EQ(setDocument(programText()), 1) << "settles every value on a text";
    const std::vector<float> settled = values();
    for (bool program : {true, false})
    {
        const std::vector<unsigned char> chunk = plugin->getChunk(program);
        const std::string text = chunkText(chunk);

        TemporaryHome otherHome;
        std::unique_ptr<HostedPlugin> compressed = loadPlugin(GetParam());
        ASSERT_EQ(compressed->setChunk(chunk, program), 1);
        std::unique_ptr<HostedPlugin> plain = loadPlugin(GetParam());
        ASSERT_EQ(plain->setChunk(plainChunk(text), program), 1);
        for (HostedPlugin* other : {compressed.get(), plain.get()})
        {
            EXPECT_EQ(withoutUuids(chunkText(other->getChunk(program))), withoutUuids(text));
            for (int index = 0; index < 155; ++index)
            {
                EXPECT_EQ(other->getParameter(index), settled[index]) << index;
                EXPECT_EQ(other->parameterDisplay(index), plugin->parameterDisplay(index)) << index;
            }
        }
    }
}

TEST_P(PluginChunks, ParametersShowTheChunkBeforeAnyBlock)
{
    plugin->resume();
    TemporaryHome otherHome;
    std::unique_ptr<HostedPlugin> source = loadPlugin(GetParam());
    source->setParameter(0, choice(7, 9));
    source->setParameter(8, 0.5f);
    source->setParameter(42, 0.0f);
    source->setParameter(18, 1.0f);
    plugin->clearHostCalls();
    ASSERT_EQ(plugin->setChunk(source->getChunk(true), true), 1);
    EXPECT_EQ(plugin->countHostCalls(audioMasterUpdateDisplay), 1);
    EXPECT_EQ(plugin->getParameter(0), choice(7, 9));
    EXPECT_EQ(plugin->parameterDisplay(0), "LP // HP");
    EXPECT_EQ(plugin->parameterDisplay(8), "-27.0");
    EXPECT_EQ(plugin->parameterDisplay(18), "768");
    EXPECT_EQ(plugin->parameterLabel(18), "bpm");
    EXPECT_EQ(plugin->parameterDisplay(3), "14.8") << "separation read in the dual filter's range";
    EXPECT_EQ(plugin->getParameter(3), source->getParameter(3));
}

TEST_P(PluginChunks, TheLastOfTwoChunksWins)
{
    ASSERT_EQ(setDocument(patchDocument("609", {{"FilterType", "Hi Pass"}})), 1);
    ASSERT_EQ(setDocument(patchDocument("609", {{"FilterType", "LP 2 Pole"}})), 1);
    EXPECT_EQ(plugin->parameterDisplay(0), "LP 2 Pole");
    plugin->resume();
    std::vector<VstMidiEvent> none;
    std::vector<float> left(256), right(256), inLeft(256), inRight(256);
    float* outputs[] = {left.data(), right.data()};
    float* inputs[] = {inLeft.data(), inRight.data()};
    plugin->processBlock(none, inputs, outputs, 256);
    EXPECT_EQ(plugin->parameterDisplay(0), "LP 2 Pole");
}

TEST_P(PluginChunks, ParametersTheDocumentLeavesOutTakeTheirDefaults)
{
    plugin->setParameter(2, 0.1f);
    plugin->setParameter(107, 1.0f);
    ASSERT_EQ(setDocument(patchDocument("609", {{"FilterType", "Hi Pass"}})), 1);
    EXPECT_EQ(plugin->getParameter(2), DefaultPatchRecord::instance().values[2]);
    EXPECT_EQ(plugin->parameterDisplay(2), "1593");
    EXPECT_EQ(plugin->getParameter(107), 0.0f);
    EXPECT_EQ(writtenValue("FilterFreq"), "1593.00");
    EXPECT_EQ(writtenValue("FilterType"), "Hi Pass");
}

TEST_P(PluginChunks, PatchNameComesFromTheDocument)
{
    ASSERT_EQ(setDocument(patchDocument("609", {}, "", "Warm &amp; Wide")), 1);
    char name[32] = {};
    plugin->dispatch(effGetProgramName, 0, 0, name);
    EXPECT_STREQ(name, "Warm & Wide");
    EXPECT_NE(programText().find("<patch name=\"Warm &amp; Wide\">"), std::string::npos);
}

TEST_P(PluginChunks, WritingShowsStoredValuesAndLeavesLiveOnesAlone)
{
    plugin->setParameter(40, 1.0f);
    plugin->setParameter(41, 1.0f); // chord memory switches the live hold off
    ASSERT_EQ(plugin->getParameter(40), 0.0f);
    EXPECT_EQ(writtenValue("KeyboardHold"), "On");
    EXPECT_EQ(plugin->getParameter(40), 0.0f);
    EXPECT_EQ(plugin->parameterDisplay(40), "Off");
}

TEST_P(PluginChunks, UnreadableChunksChangeNothingAndAnswerZero)
{
    plugin->setParameter(0, choice(5, 9));
    plugin->setParameter(130, 0.5f);
    const std::vector<float> before = values();
    const std::string written = withoutUuids(programText());
    const std::vector<std::vector<unsigned char>> unreadable = {
        {},
        {0},
        {'x', 'y', 'z'},
        plainChunk("not xml at all"),
        plainChunk("<zentrova version=\"609\"><patch name=\"a\">"),
        plainChunk("<other><patch name=\"a\" /></other>"),
        plainChunk("<zentrova version=\"609\" />"),
        plainChunk("<zentrova version=\"609\"><status selected_bank=\"B/\" /></zentrova>"),
        compressedChunk("<zentrova version=\"609\"></zentrova>"),
    };
    plugin->clearHostCalls();
    for (const std::vector<unsigned char>& chunk : unreadable)
        for (bool program : {true, false})
            EXPECT_EQ(plugin->setChunk(chunk, program), 0);
    EXPECT_EQ(plugin->dispatch(effSetChunk, 1, 100, nullptr), 0);
    EXPECT_EQ(plugin->countHostCalls(audioMasterUpdateDisplay), 0);
    EXPECT_EQ(values(), before);
    EXPECT_EQ(withoutUuids(programText()), written);
}

TEST_P(PluginChunks, ATruncatedCompressedChunkIsUnreadable)
{
    const std::vector<unsigned char> chunk = plugin->getChunk(true);
    const std::vector<unsigned char> cut(chunk.begin(), chunk.begin() + static_cast<long>(chunk.size() / 2));
    EXPECT_EQ(plugin->setChunk(cut, true), 0);
}

TEST_P(PluginChunks, DamagedPartsOfAReadableChunkAreSkipped)
{
    const std::string chords = "<chords>\n"
                               "<chord channel=\"16\"><key note=\"60\" velocity=\"1\" /></chord>\n"
                               "<chord channel=\"-1\"><key note=\"61\" velocity=\"1\" /></chord>\n"
                               "<chord channel=\"x\"><key note=\"62\" velocity=\"1\" /></chord>\n"
                               "<chord><key note=\"63\" velocity=\"1\" /></chord>\n"
                               "<chord channel=\"99999999999999\"><key note=\"64\" velocity=\"1\" /></chord>\n"
                               "<chord channel=\"2\">\n"
                               "<key note=\"128\" velocity=\"1\" />\n"
                               "<key note=\"-1\" velocity=\"1\" />\n"
                               "<key note=\"70\" velocity=\"128\" />\n"
                               "<key note=\"71\" velocity=\"-5\" />\n"
                               "<key note=\"72\" />\n"
                               "<key velocity=\"3\" />\n"
                               "<key note=\"73\" velocity=\"4\" aftertouch=\"300\" />\n"
                               "<key note=\"74\" velocity=\"5\" aftertouch=\"x\" />\n"
                               "<key note=\"75\" velocity=\"6\" aftertouch=\"7\" />\n"
                               "</chord>\n</chords>\n";
    const std::string document = patchDocument("609",
                                               {{"ChordMemory", "On"},
                                                {"NoSuchParameter", "1"},
                                                {"FilterType", "Bnd Pass"},
                                                {"", ""}},
                                               "<parameter name=\"Volume\" />\n<parameter value=\"1\" />\n"
                                               "<parameter name=\"OscMix\" value=\"20\" />\n" +
                                                   chords);
    ASSERT_EQ(setDocument(document), 1);
    EXPECT_EQ(plugin->parameterDisplay(0), "Bnd Pass");
    EXPECT_EQ(plugin->parameterDisplay(48), " 20/ 80") << "reading goes on after a damaged parameter";
    EXPECT_EQ(plugin->parameterDisplay(8), "-1.6");
    const std::string text = programText();
    const std::size_t chordsAt = text.find("<chords>");
    ASSERT_NE(chordsAt, std::string::npos);
    EXPECT_EQ(text.substr(chordsAt), "<chords>\n"
                                     "            <chord channel=\"2\">\n"
                                     "                <key note=\"75\" velocity=\"6\" aftertouch=\"7\" />\n"
                                     "            </chord>\n"
                                     "        </chords>\n"
                                     "    </patch>\n"
                                     "</zentrova>\n");
}

TEST_P(PluginChunks, AChannelGivenTwiceKeepsTheLaterChord)
{
    const std::string chords = "<chords><chord channel=\"5\"><key note=\"40\" velocity=\"1\" /></chord>"
                               "<chord channel=\"5\"><key note=\"41\" velocity=\"2\" /></chord></chords>";
    ASSERT_EQ(setDocument(patchDocument("609", {{"ChordMemory", "On"}}, chords)), 1);
    const std::string text = programText();
    EXPECT_EQ(text.find("note=\"40\""), std::string::npos);
    EXPECT_NE(text.find("<key note=\"41\" velocity=\"2\" aftertouch=\"0\" />"), std::string::npos);
}

TEST_P(PluginChunks, ReadingGivesEveryChordTheArpeggioOrder)
{
    // Keys in play order 64, 60, 67 come back in that order whatever the
    // order of the list, and a second read starts from empty lists.
    const std::string chords = "<chords><chord channel=\"0\"><key note=\"64\" velocity=\"1\" />"
                               "<key note=\"60\" velocity=\"1\" /><key note=\"67\" velocity=\"1\" /></chord></chords>";
    for (const char* order : {"Play", "Pitch"})
    {
        ASSERT_EQ(setDocument(patchDocument("609", {{"ChordMemory", "On"}, {"ArpeggioOrder", order}}, chords)), 1);
        const std::string text = programText();
        EXPECT_LT(text.find("note=\"64\""), text.find("note=\"60\"")) << order;
        EXPECT_LT(text.find("note=\"60\""), text.find("note=\"67\"")) << order;
    }
    ASSERT_EQ(setDocument(patchDocument("609", {{"ChordMemory", "On"}})), 1);
    EXPECT_EQ(programText().find("<key"), std::string::npos);
}

TEST_P(PluginChunks, ControllerAmountWasAPercentageBefore392)
{
    ASSERT_EQ(setDocument(patchDocument("391", {{"Controller1Amount", "50"}, {"Controller2Amount", "50"}})), 1);
    EXPECT_EQ(plugin->getParameter(97), 0.75f);
    EXPECT_EQ(plugin->parameterDisplay(97), "50");
    EXPECT_EQ(plugin->getParameter(100), 0.75f);
    EXPECT_EQ(plugin->parameterDisplay(100), "50");
    ASSERT_EQ(setDocument(patchDocument("392", {{"Controller1Amount", "50"}})), 1);
    EXPECT_EQ(plugin->getParameter(97), 1.0f);
}

TEST_P(PluginChunks, GlideSpreadWasANumberBefore374)
{
    const std::pair<const char*, const char*> spreads[] = {
        {"0.0", "Off"}, {"0.89", "Off"}, {"0.9", "Mild"}, {"4.14", "Mild"}, {"4.15", "Wild"}, {"6.5", "Wild"}};
    for (const auto& [spread, shown] : spreads)
    {
        ASSERT_EQ(setDocument(patchDocument("373", {{"GlideSpread", spread}})), 1);
        EXPECT_EQ(plugin->parameterDisplay(104), shown) << spread;
    }
    ASSERT_EQ(setDocument(patchDocument("374", {{"GlideSpread", "2.0"}})), 1);
    EXPECT_EQ(plugin->parameterDisplay(104), "Off") << "no choice reads 2.0";
    ASSERT_EQ(setDocument(patchDocument("374", {{"GlideSpread", "Mild"}})), 1);
    EXPECT_EQ(plugin->parameterDisplay(104), "Mild");
}

TEST_P(PluginChunks, LfoSourcesWereNamedBefore290)
{
    ASSERT_EQ(setDocument(patchDocument("289", {{"LFOtoPitchSource", "1"}, {"LFOtoFilterSource", "1+2"}})), 1);
    EXPECT_EQ(plugin->parameterDisplay(67), "100/  0");
    EXPECT_EQ(plugin->parameterDisplay(70), " 50/ 50");
    ASSERT_EQ(setDocument(patchDocument("289", {{"LFOtoPitchSource", "2"}})), 1);
    EXPECT_EQ(plugin->parameterDisplay(67), "  0/100");
    ASSERT_EQ(setDocument(patchDocument("290", {{"LFOtoPitchSource", "1+2"}})), 1);
    EXPECT_EQ(plugin->getParameter(67), 0.01f) << "read as the number 1";
}

TEST_P(PluginChunks, UnisonModesGotVoiceCountsIn609)
{
    ASSERT_EQ(setDocument(patchDocument("608", {{"UnisonMode", "Poly A"}})), 1);
    EXPECT_EQ(plugin->parameterDisplay(94), "Poly 4Vc");
    ASSERT_EQ(setDocument(patchDocument("2.0.0.608M", {{"UnisonMode", "Poly B 6Vc"}})), 1);
    EXPECT_EQ(plugin->parameterDisplay(94), "Poly 6Vc");
    ASSERT_EQ(setDocument(patchDocument("609", {{"UnisonMode", "Poly A"}})), 1);
    EXPECT_EQ(plugin->parameterDisplay(94), "Off") << "no choice reads Poly A";
}

TEST_P(PluginChunks, AuxAmountsSpannedSevenUnitsBefore285)
{
    const std::pair<const char*, float> amounts[] = {{"-7", 0.0f}, {"7", 1.0f}, {"0", 0.5f}, {"3.5", 0.75f}};
    for (const auto& [amount, value] : amounts)
    {
        ASSERT_EQ(setDocument(patchDocument(
                      "284", {{"AuxModAmount", amount}, {"AuxModEnvelope", amount}, {"AuxModWheel", amount}})),
                  1);
        EXPECT_FLOAT_EQ(plugin->getParameter(72), value) << amount;
        EXPECT_FLOAT_EQ(plugin->getParameter(73), value) << amount;
        EXPECT_FLOAT_EQ(plugin->getParameter(76), value) << amount;
    }
    ASSERT_EQ(setDocument(patchDocument("285", {{"AuxModAmount", "0.5"}})), 1);
    EXPECT_FLOAT_EQ(plugin->getParameter(72), 0.75f);
    ASSERT_EQ(setDocument(patchDocument("284", {{"AuxModAmount", "abc"}, {"FilterType", "Hi Pass"}})), 1);
    EXPECT_FLOAT_EQ(plugin->getParameter(72), 0.5f) << "not a number: the text as today reads it";
    EXPECT_EQ(plugin->parameterDisplay(0), "Hi Pass");
}

TEST_P(PluginChunks, DocumentsWithoutAVersionAreTheOldest)
{
    ASSERT_EQ(setDocument(patchDocument("", {{"GlideSpread", "5"}, {"UnisonMode", "Poly A"}})), 1);
    EXPECT_EQ(plugin->parameterDisplay(104), "Wild");
    EXPECT_EQ(plugin->parameterDisplay(94), "Poly 4Vc");
}

TEST_P(PluginChunks, OwnDocumentsAreNeverConverted)
{
    ASSERT_EQ(setDocument(patchDocument("609", {{"Controller1Amount", "0.5"}, {"LFOtoPitchSource", "1"}})), 1);
    EXPECT_EQ(plugin->getParameter(97), 0.75f);
    EXPECT_EQ(plugin->getParameter(67), 0.01f);
    EXPECT_EQ(writtenValue("Controller1Amount"), "0.500000");
}

TEST_P(PluginChunks, NumberTextsIgnoreTheProcessLocale)
{
    struct CommaPoint : std::numpunct<char>
    {
        char do_decimal_point() const override { return ','; }
        char do_thousands_sep() const override { return '.'; }
        std::string do_grouping() const override { return "\3"; }
    };
    const std::locale previous = std::locale::global(std::locale(std::locale::classic(), new CommaPoint));
    plugin->setParameter(81, 1.0f);
    const std::string text = programText();
    ASSERT_EQ(setDocument(patchDocument("1.2.391", {{"Controller1Amount", "1234"}, {"ChorusRate", "1.50"}})), 1);
    const std::string read = writtenValue("Controller1Amount");
    const std::string rate = plugin->parameterDisplay(81);
    std::locale::global(previous);
    EXPECT_NE(text.find("name=\"ChorusRate\" value=\"2.0000\""), std::string::npos);
    EXPECT_NE(text.find("version=\"609\""), std::string::npos);
    EXPECT_EQ(read, "1.000000");
    EXPECT_EQ(rate, "1.50");
}

// The host sets and gets chunks on its own thread while its audio thread
// renders; every switch happens at a block start.
TEST_P(PluginChunks, ChunksSetWhileTheAudioThreadRenders)
{
    const std::vector<unsigned char> hiPass = compressedChunk(patchDocument("609", {{"FilterType", "Hi Pass"}}));
    const std::vector<unsigned char> bandPass = plainChunk(patchDocument("609", {{"FilterType", "Bnd Pass"}}));
    plugin->resume();
    std::atomic<bool> running{true};
    std::thread audio([&] {
        std::vector<VstMidiEvent> none;
        std::vector<float> left(256), right(256), inLeft(256), inRight(256);
        float* outputs[] = {left.data(), right.data()};
        float* inputs[] = {inLeft.data(), inRight.data()};
        while (running.load())
            plugin->processBlock(none, inputs, outputs, 256);
    });
    for (int i = 0; i < 100; ++i)
    {
        ASSERT_EQ(plugin->setChunk(i % 2 ? bandPass : hiPass, true), 1);
        EXPECT_EQ(plugin->getParameter(0), i % 2 ? 0.125f : 0.25f);
        EXPECT_FALSE(plugin->getChunk(i % 3 == 0).empty());
    }
    running = false;
    audio.join();
    EXPECT_EQ(plugin->parameterDisplay(0), "Bnd Pass");
}

TEST_P(PluginChunks, OversizedChunksAreRefusedOrReadWithinBounds)
{
    // Inflates far beyond any patch: refused without reading it all.
    EXPECT_EQ(plugin->setChunk(compressedChunk(std::string(80u << 20, ' ')), true), 0);

    // A long but well-formed document: every parameter element is read.
    std::string many = "<zentrova version=\"609\"><patch name=\"long\">";
    for (int i = 0; i < 20000; ++i)
        many += i % 2 ? "<parameter name=\"FilterType\" value=\"Hi Pass\" />" : "<junk a=\"1\" />";
    many += "</patch></zentrova>";
    ASSERT_EQ(setDocument(many), 1);
    EXPECT_EQ(plugin->parameterDisplay(0), "Hi Pass");
}
