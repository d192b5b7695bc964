#pragma once

#include <string>
#include <vector>

// What each base name of the bitmap table is on the panel: how it is drawn,
// its frame count and its size in layout units. Images the layout sizes
// (backgrounds, panels, keys, wheels) have no size here.
struct ImageRecipe
{
    enum class Kind
    {
        kKnob,          // synthesizer knob, 64 frames or one per position
        kEffectsKnob,   // the effects' knob
        kModeKnob,      // edit-mode selector with its four legends
        kSelectorRow,   // lamps in a row with legends above
        kSelectorColumn, // lamps in a column with legends beside
        kLampButton,    // push button with a lamp: off, on
        kKickButton,    // momentary button: up, down
        kMemoryButton,  // five pictures of a memory button
        kLearnButton,
        kScrollButton,
        kStatusIcon,
        kHidden,
        kWaveDisplay,
        kFilterDisplay,
        kLfoDisplay,
        kHeaderDisplay,
        kModifiedDisplay,
        kLedSegment,
        kWhiteKey,
        kBlackKey,
        kWheel,
        kWordmark,
        kMenuBox,
        kDropDown,
        kPanel,          // sized by the layout: a container or the window
        kSmallBlock
    };

    std::string base;
    Kind kind = Kind::kPanel;
    int frames = 1;
    // Size of one frame in layout units; 0 when the layout gives it.
    int width = 0;
    int height = 0;
    // Legends per position, or the one legend of a button.
    std::vector<std::string> legends;
    // Which way a variant points or looks (arrows, greyed, pressed).
    int variant = 0;
};

class ImageCatalogue
{
public:
    // The 89 base names in the order of the bitmap registry's table.
    static const std::vector<ImageRecipe>& all();
    static const ImageRecipe* find(const std::string& base);
    // "1024_Fullsweep_knob" -> "1024", "Fullsweep_knob"; false without a
    // size prefix ("fadeblock").
    static bool split(const std::string& name, std::string& prefix, std::string& base);
};
