#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "dsp/HarmonicWave.h"
#include "dsp/Harmonics.h"
#include "patches/HarmonicListMessagePipe.h"

class COptionMenu;
class GuiInfo;
class HarmonicList;

// Connects the editor's harmonic-wave menus to the process-wide harmonic
// list: keeps the levels of both user waves as the editor shows them, keeps
// each wave menu on the stored wave with those levels ("--Unnamed--" when
// none), stores waves under a name and hands back the wave chosen in a
// menu. Other editors' changes arrive through its message pipe.
class CHarmonicSelect
{
public:
    static constexpr int kNumWaves = 2;
    static constexpr const char* kUnnamed = "--Unnamed--";
    // The naming menu's entry for the unnamed wave.
    static constexpr const char* kBlank = " ";

    // Menus are the option menus of the widgets prefix + "0", prefix + "1",
    // ... (count of them) and of the widget namingMenu; missing ones are
    // left out.
    CHarmonicSelect(GuiInfo& guiInfo, const std::string& prefix, int count, const std::string& namingMenu,
                    const std::string& contentFolder);
    // The last selector to go saves the list.
    virtual ~CHarmonicSelect();

    CHarmonicSelect(const CHarmonicSelect&) = delete;
    CHarmonicSelect& operator=(const CHarmonicSelect&) = delete;

    void onWaveAdded(const std::string& name, std::int32_t index);
    void onWaveRemoved(std::int32_t index);
    // Applies what the list posted since the last call.
    void processMessages();
    void updateSelection(int wave);
    // Level i of wave 1 for 0-23, of wave 2 for 24-47.
    void setHarmonicLevel(int index, unsigned char level);
    // The stored wave chosen in menu number menu. False for "--Unnamed--",
    // and for a choice that another editor's change made stale.
    bool getSelectedWave(int menu, HarmonicWave& wave);
    void storeWave(const std::string& name, int wave);
    bool loadHarmonicFiles(const std::vector<std::string>& paths);

    const Harmonics& getHarmonics(int wave) const { return m_harmonics[wave]; }
    COptionMenu* getWaveMenu(int menu) const;
    COptionMenu* getNamingMenu() const { return m_namingMenu; }

private:
    static COptionMenu* findMenu(GuiInfo& guiInfo, const std::string& name);

    Harmonics m_harmonics[kNumWaves];
    HarmonicListMessagePipe m_pipe;
    std::uint64_t m_clientId = 0;
    HarmonicList* m_list = nullptr;
    // One per menu number, null where the layout has none; each retained.
    std::vector<COptionMenu*> m_waveMenus;
    COptionMenu* m_namingMenu = nullptr;
};
