#include "tools/ImageCatalogue.h"

namespace
{
using Kind = ImageSpec::Kind;

ImageSpec spec(const char* base, Kind kind, int frames, int width, int height,
               std::vector<std::string> legends = {}, int variant = 0)
{
    ImageSpec image;
    image.base = base;
    image.kind = kind;
    image.frames = frames;
    image.width = width;
    image.height = height;
    image.legends = std::move(legends);
    image.variant = variant;
    return image;
}

// Knobs are 15 units square; the frame counts of stepped knobs are the
// value counts of the parameters they are bound to.
std::vector<ImageSpec> makeTable()
{
    return {
        spec("12_Position_knob", Kind::kKnob, 12, 15, 15),
        spec("Additive_Save_DropDown_btnDwn", Kind::kDropDown, 1, 9, 7, {}, 1),
        spec("Additive_Save_DropDown_btnUp", Kind::kDropDown, 1, 9, 7),
        spec("Arp_Mode_switch", Kind::kSelectorColumn, 5, 16, 25, {"OFF", "UP", "DN", "U/D", "RND"}),
        spec("Arp_OctDir_switch", Kind::kSelectorColumn, 4, 15, 20, {"UP", "DN", "U/D", "RND"}),
        spec("Assignable_Cont_Source_switch", Kind::kSelectorColumn, 4, 14, 20, {"MW", "AT", "EXP", "VEL"}),
        spec("Auxmod_Dest_knob", Kind::kKnob, 9, 15, 15),
        spec("Background", Kind::kPanel, 1, 0, 0),
        spec("Bend_And_Mod_bkgd", Kind::kPanel, 1, 0, 0),
        spec("Black_key", Kind::kBlackKey, 2, 0, 0),
        spec("Browser_Close_Centre_btn", Kind::kLampButton, 2, 22, 9, {"CLOSE"}),
        spec("Browser_Close_btn", Kind::kLampButton, 2, 20, 8, {"CLOSE"}),
        spec("Browser_Converting", Kind::kPanel, 1, 0, 0, {"CONVERTING"}),
        spec("Browser_Dwn", Kind::kScrollButton, 2, 8, 8, {}, 1),
        spec("Browser_Dwn_grey", Kind::kScrollButton, 2, 8, 8, {}, 3),
        spec("Browser_Open_btn", Kind::kLampButton, 2, 22, 9, {"BROWSE"}),
        spec("Browser_Refresh_btn", Kind::kLampButton, 2, 22, 8, {"REFRESH"}),
        spec("Browser_Refreshing", Kind::kPanel, 1, 0, 0, {"REFRESHING"}),
        spec("Browser_Status", Kind::kStatusIcon, 2, 6, 6, {"!"}),
        spec("Browser_Up", Kind::kScrollButton, 2, 8, 8, {}, 0),
        spec("Browser_Up_grey", Kind::kScrollButton, 2, 8, 8, {}, 2),
        spec("Browser_bkgd", Kind::kPanel, 1, 0, 0),
        spec("CF_btn", Kind::kLampButton, 2, 12, 8, {"X"}),
        spec("Chord_btn", Kind::kLampButton, 2, 18, 8, {"CHORD"}),
        spec("Chorus_Mode_switch", Kind::kSelectorRow, 4, 24, 10, {"1", "2", "3", "4"}),
        spec("Clear_List_btn", Kind::kKickButton, 2, 28, 8, {"CLEAR ALL"}),
        spec("Clear_Patch_btn", Kind::kKickButton, 2, 16, 8, {"CLEAR"}),
        spec("Comp_Store_btn", Kind::kKickButton, 2, 18, 7, {"STORE"}),
        spec("Cont_Dest_knob", Kind::kKnob, 7, 15, 15),
        spec("Edit_Mode_knob", Kind::kModeKnob, 4, 56, 18, {"KEYS", "WAVE 1", "WAVE 2", "CC SET"}),
        spec("Effects_bkgd", Kind::kPanel, 1, 0, 0),
        spec("Effects_btn", Kind::kLampButton, 2, 12, 8),
        spec("Effects_knob", Kind::kEffectsKnob, 64, 15, 15),
        spec("Env_Select_btn", Kind::kLampButton, 2, 12, 8, {"1", "2"}),
        spec("ExtClk_btn", Kind::kLampButton, 2, 12, 8, {"EXT"}),
        spec("FileNotFound", Kind::kStatusIcon, 2, 6, 6, {"?"}),
        spec("Filter_Type_knob", Kind::kKnob, 9, 15, 15),
        spec("Filter_display", Kind::kFilterDisplay, 9, 40, 13),
        spec("Fixed_Cont_Source_tristate", Kind::kSelectorColumn, 3, 14, 15, {"MW", "EXP", "AT"}),
        spec("Fullsweep_knob", Kind::kKnob, 64, 15, 15),
        spec("Function_knob", Kind::kKnob, 6, 15, 15),
        spec("Glide_Spread_switch", Kind::kSelectorColumn, 3, 17, 15, {"OFF", "MILD", "WILD"}),
        spec("Glide_Type_knob", Kind::kKnob, 6, 15, 15),
        spec("Hidden_btn", Kind::kHidden, 2, 10, 10),
        spec("Kbd_Hold_btn", Kind::kLampButton, 2, 16, 8, {"HOLD"}),
        spec("Learn_btn", Kind::kLearnButton, 2, 16, 6, {"LEARN"}),
        spec("Lfo_Mix_switch", Kind::kSelectorRow, 5, 25, 10, {"1", "", "", "", "2"}),
        spec("Lfo_Sync_knob", Kind::kKnob, 11, 15, 15),
        spec("Lfo_display", Kind::kLfoDisplay, 12, 40, 13),
        spec("Master_Octave_switch", Kind::kSelectorRow, 5, 36, 10, {"-2", "-1", "0", "+1", "+2"}),
        spec("Memory_Button_bkgd", Kind::kPanel, 1, 0, 0),
        spec("MidiPrograms_bkgd", Kind::kPanel, 1, 0, 0),
        spec("Minus_1_btn", Kind::kLampButton, 2, 10, 8, {"-1"}),
        spec("ModSum_btn", Kind::kLampButton, 2, 12, 8),
        spec("Monitor_bkgd", Kind::kPanel, 1, 0, 0),
        spec("Noise_Source_Tristate", Kind::kSelectorColumn, 3, 16, 15, {"WHT", "INP", "PNK"}),
        spec("Note_Order_btn", Kind::kLampButton, 2, 14, 8, {"PLAY"}),
        spec("Octave_Shift_knob", Kind::kKnob, 6, 15, 15),
        spec("Pan_Mode_knob", Kind::kKnob, 5, 15, 15),
        spec("Panel_btn", Kind::kLampButton, 2, 22, 9, {"EFFECTS"}),
        spec("PatchInfo_bkgd", Kind::kPanel, 1, 0, 0),
        spec("PatchInfo_btn", Kind::kLampButton, 2, 16, 8, {"INFO"}),
        spec("PatchModified_display", Kind::kModifiedDisplay, 2, 24, 6, {"EDITED"}),
        spec("Patch_Dwn_btn", Kind::kKickButton, 2, 10, 9, {}, 1),
        spec("Patch_Mem_1_btn", Kind::kMemoryButton, 5, 16, 9, {"1", "5"}),
        spec("Patch_Mem_2_btn", Kind::kMemoryButton, 5, 16, 9, {"2", "6"}),
        spec("Patch_Mem_3_btn", Kind::kMemoryButton, 5, 16, 9, {"3", "7"}),
        spec("Patch_Mem_4_btn", Kind::kMemoryButton, 5, 16, 9, {"4", "8"}),
        spec("Patch_Up_btn", Kind::kKickButton, 2, 10, 9, {}, 2),
        spec("Plus_1_btn", Kind::kLampButton, 2, 10, 8, {"+1"}),
        spec("Plus_2_btn", Kind::kLampButton, 2, 10, 8, {"+2"}),
        spec("RingMod_switch", Kind::kSelectorColumn, 3, 17, 15, {"OFF", "HALF", "FULL"}),
        spec("Save_btn", Kind::kKickButton, 2, 16, 9, {"SAVE"}),
        spec("Selected_display", Kind::kHeaderDisplay, 11, 60, 6, {"PROGRAM", "PARAMETER"}),
        spec("Splash_Close", Kind::kKickButton, 2, 20, 8, {"CLOSE"}),
        spec("Splash_Open", Kind::kWordmark, 2, 52, 9),
        spec("Transpose_knob", Kind::kKnob, 15, 15, 15),
        spec("Triggering_knob", Kind::kKnob, 5, 15, 15),
        spec("UI_Select_window", Kind::kMenuBox, 1, 56, 8),
        spec("UI_Select_window_UI", Kind::kMenuBox, 1, 56, 8),
        spec("Unison_Mode_knob", Kind::kKnob, 9, 15, 15),
        spec("UserWave_Edit_bkgd", Kind::kPanel, 1, 0, 0),
        spec("UserWave_LED", Kind::kLedSegment, 2, 0, 0),
        spec("UserWave_Select_bkgd", Kind::kPanel, 1, 0, 0),
        spec("Waveform_display", Kind::kWaveDisplay, 13, 40, 13),
        spec("Waveform_knob", Kind::kKnob, 13, 15, 15),
        spec("Wheel", Kind::kWheel, 64, 0, 0),
        spec("White_key", Kind::kWhiteKey, 2, 0, 0),
        spec("splashscreen", Kind::kPanel, 1, 0, 0),
    };
}
}

const std::vector<ImageSpec>& ImageCatalogue::all()
{
    static const std::vector<ImageSpec> table = makeTable();
    return table;
}

const ImageSpec* ImageCatalogue::find(const std::string& base)
{
    for (const ImageSpec& image : all())
        if (image.base == base)
            return &image;
    return nullptr;
}

bool ImageCatalogue::split(const std::string& name, std::string& prefix, std::string& base)
{
    const std::size_t cut = name.find('_');
    if (cut == std::string::npos)
        return false;
    prefix = name.substr(0, cut);
    if (prefix != "840" && prefix != "1024" && prefix != "1600")
        return false;
    base = name.substr(cut + 1);
    return true;
}
