#include "tools/ImageCatalogue.h"

namespace
{
using Kind = ImageRecipe::Kind;

ImageRecipe recipe(const char* base, Kind kind, int frames, int width, int height,
               std::vector<std::string> legends = {}, int variant = 0)
{
    ImageRecipe image;
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
std::vector<ImageRecipe> makeTable()
{
    return {
        recipe("12_Position_knob", Kind::kKnob, 12, 15, 15),
        recipe("Additive_Save_DropDown_btnDwn", Kind::kDropDown, 1, 9, 7, {}, 1),
        recipe("Additive_Save_DropDown_btnUp", Kind::kDropDown, 1, 9, 7),
        recipe("Arp_Mode_switch", Kind::kSelectorColumn, 5, 16, 25, {"OFF", "UP", "DN", "U/D", "RND"}),
        recipe("Arp_OctDir_switch", Kind::kSelectorColumn, 4, 15, 20, {"UP", "DN", "U/D", "RND"}),
        recipe("Assignable_Cont_Source_switch", Kind::kSelectorColumn, 4, 14, 20, {"MW", "AT", "EXP", "VEL"}),
        recipe("Auxmod_Dest_knob", Kind::kKnob, 9, 15, 15),
        recipe("Background", Kind::kPanel, 1, 0, 0),
        recipe("Bend_And_Mod_bkgd", Kind::kPanel, 1, 0, 0),
        recipe("Black_key", Kind::kBlackKey, 2, 0, 0),
        recipe("Browser_Close_Centre_btn", Kind::kLampButton, 2, 22, 9, {"CLOSE"}),
        recipe("Browser_Close_btn", Kind::kLampButton, 2, 20, 8, {"CLOSE"}),
        recipe("Browser_Converting", Kind::kPanel, 1, 0, 0, {"CONVERTING"}),
        recipe("Browser_Dwn", Kind::kScrollButton, 2, 8, 8, {}, 1),
        recipe("Browser_Dwn_grey", Kind::kScrollButton, 2, 8, 8, {}, 3),
        recipe("Browser_Open_btn", Kind::kLampButton, 2, 22, 9, {"BROWSE"}),
        recipe("Browser_Refresh_btn", Kind::kLampButton, 2, 22, 8, {"REFRESH"}),
        recipe("Browser_Refreshing", Kind::kPanel, 1, 0, 0, {"REFRESHING"}),
        recipe("Browser_Status", Kind::kStatusIcon, 2, 6, 6, {"!"}),
        recipe("Browser_Up", Kind::kScrollButton, 2, 8, 8, {}, 0),
        recipe("Browser_Up_grey", Kind::kScrollButton, 2, 8, 8, {}, 2),
        recipe("Browser_bkgd", Kind::kPanel, 1, 0, 0),
        recipe("CF_btn", Kind::kLampButton, 2, 12, 8, {"X"}),
        recipe("Chord_btn", Kind::kLampButton, 2, 18, 8, {"CHORD"}),
        recipe("Chorus_Mode_switch", Kind::kSelectorRow, 4, 24, 10, {"1", "2", "3", "4"}),
        recipe("Clear_List_btn", Kind::kKickButton, 2, 28, 8, {"CLEAR ALL"}),
        recipe("Clear_Patch_btn", Kind::kKickButton, 2, 16, 8, {"CLEAR"}),
        recipe("Comp_Store_btn", Kind::kKickButton, 2, 18, 7, {"STORE"}),
        recipe("Cont_Dest_knob", Kind::kKnob, 7, 15, 15),
        recipe("Edit_Mode_knob", Kind::kModeKnob, 4, 56, 18, {"KEYS", "WAVE 1", "WAVE 2", "CC SET"}),
        recipe("Effects_bkgd", Kind::kPanel, 1, 0, 0),
        recipe("Effects_btn", Kind::kLampButton, 2, 12, 8),
        recipe("Effects_knob", Kind::kEffectsKnob, 64, 15, 15),
        recipe("Env_Select_btn", Kind::kLampButton, 2, 12, 8, {"1", "2"}),
        recipe("ExtClk_btn", Kind::kLampButton, 2, 12, 8, {"EXT"}),
        recipe("FileNotFound", Kind::kStatusIcon, 2, 6, 6, {"?"}),
        recipe("Filter_Type_knob", Kind::kKnob, 9, 15, 15),
        recipe("Filter_display", Kind::kFilterDisplay, 9, 40, 13),
        recipe("Fixed_Cont_Source_tristate", Kind::kSelectorColumn, 3, 14, 15, {"MW", "EXP", "AT"}),
        recipe("Fullsweep_knob", Kind::kKnob, 64, 15, 15),
        recipe("Function_knob", Kind::kKnob, 6, 15, 15),
        recipe("Glide_Spread_switch", Kind::kSelectorColumn, 3, 17, 15, {"OFF", "MILD", "WILD"}),
        recipe("Glide_Type_knob", Kind::kKnob, 6, 15, 15),
        recipe("Hidden_btn", Kind::kHidden, 2, 10, 10),
        recipe("Kbd_Hold_btn", Kind::kLampButton, 2, 16, 8, {"HOLD"}),
        recipe("Learn_btn", Kind::kLearnButton, 2, 16, 6, {"LEARN"}),
        recipe("Lfo_Mix_switch", Kind::kSelectorRow, 5, 25, 10, {"1", "", "", "", "2"}),
        recipe("Lfo_Sync_knob", Kind::kKnob, 11, 15, 15),
        recipe("Lfo_display", Kind::kLfoDisplay, 12, 40, 13),
        recipe("Master_Octave_switch", Kind::kSelectorRow, 5, 36, 10, {"-2", "-1", "0", "+1", "+2"}),
        recipe("Memory_Button_bkgd", Kind::kPanel, 1, 0, 0),
        recipe("MidiPrograms_bkgd", Kind::kPanel, 1, 0, 0),
        recipe("Minus_1_btn", Kind::kLampButton, 2, 10, 8, {"-1"}),
        recipe("ModSum_btn", Kind::kLampButton, 2, 12, 8),
        recipe("Monitor_bkgd", Kind::kPanel, 1, 0, 0),
        recipe("Noise_Source_Tristate", Kind::kSelectorColumn, 3, 16, 15, {"WHT", "INP", "PNK"}),
        recipe("Note_Order_btn", Kind::kLampButton, 2, 14, 8, {"PLAY"}),
        recipe("Octave_Shift_knob", Kind::kKnob, 6, 15, 15),
        recipe("Pan_Mode_knob", Kind::kKnob, 5, 15, 15),
        recipe("Panel_btn", Kind::kLampButton, 2, 22, 9, {"EFFECTS"}),
        recipe("PatchInfo_bkgd", Kind::kPanel, 1, 0, 0),
        recipe("PatchInfo_btn", Kind::kLampButton, 2, 16, 8, {"INFO"}),
        recipe("PatchModified_display", Kind::kModifiedDisplay, 2, 24, 6, {"EDITED"}),
        recipe("Patch_Dwn_btn", Kind::kKickButton, 2, 10, 9, {}, 1),
        recipe("Patch_Mem_1_btn", Kind::kMemoryButton, 5, 16, 9, {"1", "5"}),
        recipe("Patch_Mem_2_btn", Kind::kMemoryButton, 5, 16, 9, {"2", "6"}),
        recipe("Patch_Mem_3_btn", Kind::kMemoryButton, 5, 16, 9, {"3", "7"}),
        recipe("Patch_Mem_4_btn", Kind::kMemoryButton, 5, 16, 9, {"4", "8"}),
        recipe("Patch_Up_btn", Kind::kKickButton, 2, 10, 9, {}, 2),
        recipe("Plus_1_btn", Kind::kLampButton, 2, 10, 8, {"+1"}),
        recipe("Plus_2_btn", Kind::kLampButton, 2, 10, 8, {"+2"}),
        recipe("RingMod_switch", Kind::kSelectorColumn, 3, 17, 15, {"OFF", "HALF", "FULL"}),
        recipe("Save_btn", Kind::kKickButton, 2, 16, 9, {"SAVE"}),
        recipe("Selected_display", Kind::kHeaderDisplay, 11, 60, 6, {"PROGRAM", "PARAMETER"}),
        recipe("Splash_Close", Kind::kKickButton, 2, 20, 8, {"CLOSE"}),
        recipe("Splash_Open", Kind::kWordmark, 2, 52, 9),
        recipe("Transpose_knob", Kind::kKnob, 15, 15, 15),
        recipe("Triggering_knob", Kind::kKnob, 5, 15, 15),
        recipe("UI_Select_window", Kind::kMenuBox, 1, 56, 8),
        recipe("UI_Select_window_UI", Kind::kMenuBox, 1, 56, 8),
        recipe("Unison_Mode_knob", Kind::kKnob, 9, 15, 15),
        recipe("UserWave_Edit_bkgd", Kind::kPanel, 1, 0, 0),
        recipe("UserWave_LED", Kind::kLedSegment, 2, 0, 0),
        recipe("UserWave_Select_bkgd", Kind::kPanel, 1, 0, 0),
        recipe("Waveform_display", Kind::kWaveDisplay, 13, 40, 13),
        recipe("Waveform_knob", Kind::kKnob, 13, 15, 15),
        recipe("Wheel", Kind::kWheel, 64, 0, 0),
        recipe("White_key", Kind::kWhiteKey, 2, 0, 0),
        recipe("splashscreen", Kind::kPanel, 1, 0, 0),
    };
}
}

const std::vector<ImageRecipe>& ImageCatalogue::all()
{
    static const std::vector<ImageRecipe> table = makeTable();
    return table;
}

const ImageRecipe* ImageCatalogue::find(const std::string& base)
{
    for (const ImageRecipe& image : all())
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
