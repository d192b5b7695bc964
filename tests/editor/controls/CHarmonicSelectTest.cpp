// Two editors' harmonic menus over the one shared list of named waves.

#include "editor/controls/CHarmonicSelect.h"
#include "editor/widgets/OptionMenuWidget.h"
#include "toolkit/CMenuItem.h"
#include "toolkit/COptionMenu.h"

#include "support/WidgetFixtures.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

namespace
{
// One editor's three harmonic menus and its selector.
struct HarmonicMenus
{
    explicit HarmonicMenus(const std::string& folder)
        : bench(R"(<frame>
            <widget type="OptionMenu" name="HarmonicWaveSelect0" width="80" height="12"/>
            <widget type="OptionMenu" name="HarmonicWaveSelect1" width="80" height="12" y="20"/>
            <widget type="OptionMenu" name="HarmonicEditNameMenu" width="80" height="12" y="40"/>
        </frame>)")
    {
        for (const char* name : {"HarmonicWaveSelect0", "HarmonicWaveSelect1", "HarmonicEditNameMenu"})
            menus.push_back(std::make_unique<OptionMenuWidget>(bench.named(name), bench.frame, bench.frame, nullptr,
                                                               bench.guiInfo));
        select = std::make_unique<CHarmonicSelect>(bench.guiInfo, "HarmonicWaveSelect", 2, "HarmonicEditNameMenu",
                                                   folder);
    }
    ~HarmonicMenus() { select.reset(); }

    // "name*" marks the current entry.
    static std::string entries(const COptionMenu* menu)
    {
        std::string text;
        for (std::int64_t i = 0; i < menu->getNbEntries(); ++i)
            text += std::string(text.empty() ? "" : "|") + menu->getEntry(i)->getTitle() +
                    (i == menu->getCurrentIndex() ? "*" : "");
        return text;
    }
    std::string wave(int menu) const { return entries(select->getWaveMenu(menu)); }
    std::string naming() const { return entries(select->getNamingMenu()); }
    void setLevels(int wave, unsigned char first)
    {
        for (int i = 0; i < Harmonics::kCount; ++i)
            select->setHarmonicLevel(wave * Harmonics::kCount + i, static_cast<unsigned char>(first + i));
    }

    WidgetBench bench;
    std::vector<std::unique_ptr<OptionMenuWidget>> menus;
    std::unique_ptr<CHarmonicSelect> select;
};

struct HarmonicFolder
{
    HarmonicFolder() : path(std::filesystem::path(testing::TempDir()) / "harmonic-menus")
    {
        std::filesystem::remove_all(path);
        std::filesystem::create_directories(path);
    }
    ~HarmonicFolder() { std::filesystem::remove_all(path); }
    std::filesystem::path path;
};
} // namespace

TEST(CHarmonicSelect, MenusNameTheStoredWaveWhoseLevelsAreShown)
{
    HarmonicFolder folder;
    HarmonicMenus one(folder.path.string());
    HarmonicMenus two(folder.path.string());
    EXPECT_EQ(one.wave(0), "--Unnamed--*");
    EXPECT_EQ(one.naming(), " ");

    one.setLevels(0, 10);
    one.select->storeWave("Organ", 0);
    EXPECT_EQ(one.wave(0), "--Unnamed--|Organ*");
    EXPECT_EQ(one.wave(1), "--Unnamed--*|Organ");
    EXPECT_EQ(one.naming(), " |Organ");

    two.select->processMessages();
    two.setLevels(1, 10);
    EXPECT_EQ(two.wave(1), "--Unnamed--|Organ*");
    two.select->setHarmonicLevel(24 + 5, 0);
    EXPECT_EQ(two.wave(1), "--Unnamed--*|Organ");

    // Other levels under the same name replace the entry everywhere.
    two.select->storeWave("Organ", 1);
    two.setLevels(1, 60);
    two.select->storeWave("Bass", 1);
    one.select->processMessages();
    EXPECT_EQ(one.naming(), " |Bass|Organ");
    HarmonicWave chosen;
    one.select->getWaveMenu(0)->setCurrent(2);
    ASSERT_TRUE(one.select->getSelectedWave(0, chosen));
    EXPECT_EQ(chosen.name(), "Organ");
    EXPECT_EQ(chosen.harmonics().level(5), 0);
}

TEST(CHarmonicSelect, AChoiceIsRefusedForTheUnnamedEntryAndWhenAnotherEditorMovedTheList)
{
    HarmonicFolder folder;
    HarmonicMenus one(folder.path.string());
    HarmonicMenus two(folder.path.string());
    one.setLevels(0, 10);
    one.select->storeWave("Organ", 0);
    HarmonicWave chosen;
    one.select->getWaveMenu(0)->setCurrent(0);
    EXPECT_FALSE(one.select->getSelectedWave(0, chosen));

    // The other editor adds a wave that sorts first, unseen here yet.
    two.select->processMessages();
    two.setLevels(0, 40);
    two.select->storeWave("Air", 0);
    one.select->getWaveMenu(0)->setCurrent(1);
    EXPECT_FALSE(one.select->getSelectedWave(0, chosen));
    EXPECT_EQ(one.wave(0), "--Unnamed--|Air|Organ*");
}
