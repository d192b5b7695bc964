#include "editor/layout/Bitmaps.h"

#include "dsp/Lasting.h"

#include "toolkit/CBitmap.h"
#include "toolkit/ImageCache.h"

namespace
{
// Each exists with the three window-size prefixes; with the prefixes in the
// order below, the table is in byte order of the full names.
const char* const kBaseNames[] = {"12_Position_knob", "Additive_Save_DropDown_btnDwn",
    "Additive_Save_DropDown_btnUp", "Arp_Mode_switch", "Arp_OctDir_switch", "Assignable_Cont_Source_switch",
    "Auxmod_Dest_knob", "Background", "Bend_And_Mod_bkgd", "Black_key", "Browser_Close_Centre_btn",
    "Browser_Close_btn", "Browser_Converting", "Browser_Dwn", "Browser_Dwn_grey", "Browser_Open_btn",
    "Browser_Refresh_btn", "Browser_Refreshing", "Browser_Status", "Browser_Up", "Browser_Up_grey", "Browser_bkgd",
    "CF_btn", "Chord_btn", "Chorus_Mode_switch", "Clear_List_btn", "Clear_Patch_btn", "Comp_Store_btn",
    "Cont_Dest_knob", "Edit_Mode_knob", "Effects_bkgd", "Effects_btn", "Effects_knob", "Env_Select_btn",
    "ExtClk_btn", "FileNotFound", "Filter_Type_knob", "Filter_display", "Fixed_Cont_Source_tristate",
    "Fullsweep_knob", "Function_knob", "Glide_Spread_switch", "Glide_Type_knob", "Hidden_btn", "Kbd_Hold_btn",
    "Learn_btn", "Lfo_Mix_switch", "Lfo_Sync_knob", "Lfo_display", "Master_Octave_switch", "Memory_Button_bkgd",
    "MidiPrograms_bkgd", "Minus_1_btn", "ModSum_btn", "Monitor_bkgd", "Noise_Source_Tristate", "Note_Order_btn",
    "Octave_Shift_knob", "Pan_Mode_knob", "Panel_btn", "PatchInfo_bkgd", "PatchInfo_btn", "PatchModified_display",
    "Patch_Dwn_btn", "Patch_Mem_1_btn", "Patch_Mem_2_btn", "Patch_Mem_3_btn", "Patch_Mem_4_btn", "Patch_Up_btn",
    "Plus_1_btn", "Plus_2_btn", "RingMod_switch", "Save_btn", "Selected_display", "Splash_Close", "Splash_Open",
    "Transpose_knob", "Triggering_knob", "UI_Select_window", "UI_Select_window_UI", "Unison_Mode_knob",
    "UserWave_Edit_bkgd", "UserWave_LED", "UserWave_Select_bkgd", "Waveform_display", "Waveform_knob", "Wheel",
    "White_key", "splashscreen"};

const char* const kPrefixes[] = {"1024_", "1600_", "840_"};

static_assert(sizeof kBaseNames / sizeof kBaseNames[0] * 3 + 1 == Bitmaps::kNameCount);

// The names' places, made once for every editor of the process.
const std::map<std::string, std::int32_t>& positions()
{
    static const Lasting<std::map<std::string, std::int32_t>> table([] {
        std::map<std::string, std::int32_t> made;
        std::int32_t position = 0;
        for (const char* prefix : kPrefixes)
            for (const char* name : kBaseNames)
                made[std::string(prefix) + name] = position++;
        made["fadeblock"] = position;
        return made;
    }());
    return *table;
}
} // namespace

Bitmaps::Bitmaps() = default;

Bitmaps::~Bitmaps()
{
    reset();
}

void Bitmaps::init(const std::map<std::string, std::string>&, const std::string&)
{
    reset();
    ImageCache::enter();
    m_sharing = true;
}

CBitmap* Bitmaps::getBitmap(const std::string& name)
{
    if (name.empty())
        return nullptr;
    const auto cached = m_cache.find(name);
    if (cached != m_cache.end())
        return cached->second;
    const std::int32_t number = resourceNumber(name);
    if (number < 0)
        return nullptr;
    auto* bitmap = new CBitmap(CResourceDescription(number));
    m_cache[name] = bitmap;
    return bitmap;
}

void Bitmaps::reset()
{
    for (auto& [name, bitmap] : m_cache)
        bitmap->forget();
    m_cache.clear();
    if (m_sharing)
        ImageCache::leave();
    m_sharing = false;
}

std::int32_t Bitmaps::resourceNumber(const std::string& name) const
{
    const std::map<std::string, std::int32_t>& table = positions();
    const auto found = table.find(name);
    return found != table.end() ? kFirstResource + found->second : -1;
}
