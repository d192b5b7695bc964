// The patch browser over a patch library in a temporary home: its lists,
// clicks with their modifiers, the MIDI program table, the memories and
// the jobs it runs one idle step at a time.

#include "editor/browser/PatchBrowser.h"
#include "editor/widgets/TextListWidget.h"
#include "editor/controls/CClickableDisplay.h"
#include "editor/controls/CTextListRowText.h"
#include "editor/widgets/ViewContainerWidget.h"
#include "editor/widgets/WidgetFactory.h"
#include "patches/ChunkBuffer.h"
#include "patches/Configuration.h"
#include "patches/PatchFileHandler.h"

#include "support/WidgetFixtures.h"
#include "tests/patches/ConfigurationTestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>

namespace
{
const char* const kLayout = R"(<frame>
    <widget type="ViewContainer" name="Browser" width="300" height="200" visible="0">
        <widget type="TextList" name="BankList" parameter="BankList" width="100" height="200" rowheight="10"/>
        <widget type="TextList" name="PatchList" parameter="PatchList" x="100" width="100" height="200"
                rowheight="10" statusbitmap="1024_Browser_Status" statusframes="2"/>
        <widget type="TextList" name="ProgramList" parameter="ProgramList" x="200" width="100" height="200"
                rowheight="10"/>
    </widget>
    <widget type="ViewContainer" name="PatchAndParameter" y="200" width="300" height="20"/>
    <widget type="KickButton" name="PatchMem1b" parameter="PatchMem1" bitmap="1024_Patch_Mem_1_btn" frames="2"
            y="220"/>
</frame>)";

// The instrument with the browser's widgets, over a library written
// before it opens.
class Browser : public ::testing::Test
{
protected:
    // count patches named P000, P001, ... in bank.
    void addBank(const std::string& bank, int count)
    {
        const std::string folder = files.userFolder() + "/Patches/Instrument/" + bank;
        std::filesystem::create_directories(folder);
        for (int i = 0; i < count; ++i)
        {
            char name[16];
            std::snprintf(name, sizeof name, "P%03d", i);
            ChunkBuffer chunk;
            chunk.assignCompressed(std::string("<zentrova version=\"609\" platform=\"mac_x86\">\n<patch name=\"") +
                                   name + "\" />\n</zentrova>\n");
            ASSERT_EQ(PatchFileHandler::writeFxp(folder + "/" + name + ".fxp", name, chunk, false), 0);
        }
    }

    void open()
    {
        bundle.add("1024_Browser_Status", 8, 8, 2);
        bundle.add("1024_Patch_Mem_1_btn", 20, 10, 5);
        plugin = std::make_unique<PluginInstance>(PluginInstance::quietHost, instrumentFlavour());
        guiInfo = std::make_unique<GuiInfo>(zentrova(), &editor);
        document.Parse(kLayout);
        for (ticpp::Element* element = document.FirstChildElement()->FirstChildElement("widget", false); element;
             element = element->NextSiblingElement("widget", false))
            widgets.emplace_back(WidgetFactory::create(element->GetAttribute("type"), element, frame, frame, &editor,
                                                       *guiInfo));
        browser = std::make_unique<PatchBrowser>(zentrova(), *guiInfo);
        browser->open();
    }

    void TearDown() override
    {
        browser.reset();
        widgets.clear();
        frame->forget();
    }

    Zentrova* zentrova() { return plugin->get(); }
    CTextListView* list(const std::string& name)
    {
        return static_cast<TextListWidget*>(guiInfo->findWidget(name))->getList();
    }
    std::vector<std::string> texts(const std::string& name)
    {
        std::vector<std::string> result;
        CTextListView* view = list(name);
        for (std::int64_t row = 0; row < view->getRowCount(); ++row)
            result.push_back(view->getRow(row).text);
        return result;
    }
    // A click on a row's text (or status) cell, passed on as the editor
    // passes the list's tag.
    void click(const std::string& name, std::int64_t row, CButtonState buttons, bool status = false)
    {
        CTextListRow* cells = list(name)->getRowView(row);
        CControl* cell = status ? static_cast<CControl*>(cells->getStatusCell()) : cells->getTextCell();
        CPoint where;
        cell->onMouseDown(where, buttons);
        browser->valueChanged(guiInfo->tagOf(name), static_cast<float>(row));
    }
    std::string programPath(int slot) { return zentrova()->getMidiProgramEntry(slot).path; }

    ConfigurationFiles files;
    ImageBundle bundle;
    std::unique_ptr<PluginInstance> plugin;
    RecordingEditor editor;
    std::unique_ptr<GuiInfo> guiInfo;
    ticpp::Document document;
    CFrame* frame = new CFrame(CRect(0, 0, 300, 240), nullptr);
    std::vector<std::unique_ptr<Widget>> widgets;
    std::unique_ptr<PatchBrowser> browser;
};
} // namespace

TEST_F(Browser, OpensOnTheCurrentBankAndShowsTheBrowsedBanksPatches)
{
    addBank("Bass", 3);
    addBank("Pads", 2);
    open();
    zentrova()->selectBank("Inst/Pads/", true);
    browser->close();
    browser->open();
    EXPECT_TRUE(guiInfo->findWidget("Browser")->isVisible());
    EXPECT_FALSE(guiInfo->findWidget("PatchAndParameter")->isVisible());
    EXPECT_EQ(list("BankList")->getSelectedKey(), "Inst/Pads/");
    EXPECT_EQ(texts("PatchList"), (std::vector<std::string>{"P000", "P001"}));
    EXPECT_EQ(list("PatchList")->getSelectedKey(), "Inst/Pads/P000");
    ASSERT_EQ(list("ProgramList")->getRowCount(), 128);
    EXPECT_EQ(texts("ProgramList")[7].substr(0, 5), "007: ");

    click("BankList", list("BankList")->findRowIndex("Inst/Bass/"), kButtonLeft);
    EXPECT_EQ(browser->getBrowsedFolder(), "Inst/Bass/");
    EXPECT_EQ(texts("PatchList").size(), 3u);
    click("PatchList", 2, kButtonLeft);
    EXPECT_EQ(zentrova()->getCurrentPatchInfo().address, "Inst/Bass/P002");
    EXPECT_TRUE(browser->showHoverInfo(list("PatchList")->getRowView(1)->getTextCell()));
    EXPECT_EQ(browser->getHoveredText().rfind("Inst/Bass/P001(", 0), 0u) << browser->getHoveredText();
    EXPECT_NE(browser->getHoveredText().find("(+VST)"), std::string::npos);

    browser->close();
    EXPECT_FALSE(guiInfo->findWidget("Browser")->isVisible());
    EXPECT_EQ(browser->getBrowsedFolder(), "Inst/Bass/");
}

TEST_F(Browser, ShiftClicksFillTheProgramTableAndStopAtTheLastSlot)
{
    addBank("Big", 20);
    addBank("Pads", 2);
    open();
    list("ProgramList")->setSelected(120);
    click("BankList", list("BankList")->findRowIndex("Inst/Big/"), kButtonLeft | kModShift);
    EXPECT_EQ(programPath(119), "");
    EXPECT_EQ(programPath(120), "Inst/Big/P000");
    EXPECT_EQ(programPath(127), "Inst/Big/P007");
    EXPECT_EQ(texts("ProgramList")[127], "127: P007");

    list("ProgramList")->setSelected(126);
    click("PatchList", 9, kButtonLeft | kModShift);
    click("PatchList", 10, kButtonLeft | kModShift);
    click("PatchList", 11, kButtonLeft | kModShift);
    EXPECT_EQ(programPath(126), "Inst/Big/P009");
    EXPECT_EQ(programPath(127), "Inst/Big/P011");
    EXPECT_EQ(list("ProgramList")->getSelected(), 127);
}

TEST_F(Browser, OptionExchangesAndCommandMovesProgramsKeepingTheirNumbers)
{
    addBank("Big", 10);
    open();
    list("ProgramList")->setSelected(0);
    click("BankList", list("BankList")->findRowIndex("Inst/Big/"), kButtonLeft | kModShift);

    // Slot 0 is remembered after the list is built.
    click("ProgramList", 9, kButtonLeft | kModOption);
    click("ProgramList", 5, kButtonLeft | kModOption);
    EXPECT_EQ(texts("ProgramList")[0], "000: P009");
    EXPECT_EQ(texts("ProgramList")[5], "005: P000");
    EXPECT_EQ(texts("ProgramList")[9], "009: P005");
    EXPECT_EQ(programPath(9), "Inst/Big/P005");

    click("ProgramList", 2, kButtonLeft | kModCommand);
    const std::vector<std::string> moved = texts("ProgramList");
    EXPECT_EQ(std::vector<std::string>(moved.begin() + 1, moved.begin() + 7),
              (std::vector<std::string>{"001: P001", "002: P000", "003: P002", "004: P003", "005: P004",
                                        "006: P006"}));
    EXPECT_EQ(programPath(2), "Inst/Big/P000");
    EXPECT_EQ(programPath(5), "Inst/Big/P004");
    EXPECT_EQ(browser->getRememberedSlot(), 2);
}

TEST_F(Browser, MemoryButtonsStoreWithCommandAndRecallWithAPlainClick)
{
    addBank("Bass", 2);
    addBank("Pads", 3);
    open();
    zentrova()->selectBank("Inst/Pads/", false);
    zentrova()->selectProgram(1, true, true);
    browser->valueChanged(169, static_cast<float>(kModCommand));
    browser->valueChanged(169, static_cast<float>(kModCommand | kModShift));
    PatchConfiguration& memories = *zentrova()->getConfiguration();
    EXPECT_EQ(memories.getPatchMemory(1), "Inst/Pads#P001");
    EXPECT_EQ(memories.getPatchMemory(5), "Inst/Pads#P001");

    zentrova()->selectBank("Inst/Bass/", true);
    EXPECT_TRUE(browser->valueChanged(169, 1.0f));
    EXPECT_EQ(zentrova()->getCurrentPatchInfo().address, "Inst/Pads/P001");
    EXPECT_EQ(browser->getBrowsedFolder(), "Inst/Pads/");
    EXPECT_EQ(list("PatchList")->getSelectedKey(), "Inst/Pads/P001");

    // The panel's first memory button, hovered with and without Shift.
    CView* button = guiInfo->findControl("PatchMem1b");
    EXPECT_TRUE(browser->showHoverInfo(button));
    EXPECT_EQ(browser->getHoveredMemory(), 0);
    EXPECT_FALSE(browser->showHoverInfo(nullptr));
    EXPECT_EQ(browser->getHoveredMemory(), -1);
    EXPECT_FALSE(browser->valueChanged(164, 0.5f));
    EXPECT_FALSE(browser->valueChanged(200, 1.0f));
}

TEST_F(Browser, AStatusClickConvertsThatRowAndJobsRunOneStepPerIdle)
{
    addBank("Pads", 2);
    open();
    zentrova()->selectBank("Inst/Pads/", false);
    browser->rebuildBankAndPatchLists(false);
    click("PatchList", 0, kButtonLeft);
    click("PatchList", 1, kButtonLeft, true);
    EXPECT_EQ(browser->getJobKind(), PatchBrowser::kConvertJob);
    EXPECT_EQ(list("PatchList")->getSelected(), 0) << "the click converts, it does not select";
    browser->runJobs();
    EXPECT_EQ(browser->getJobKind(), PatchBrowser::kConvertJob);
    browser->runJobs();
    EXPECT_EQ(browser->getJobKind(), PatchBrowser::kNoJob);

    browser->queueConvert("");
    EXPECT_EQ(browser->getJobKind(), PatchBrowser::kNoJob);

    browser->valueChanged(166, -static_cast<float>(kModCommand));
    EXPECT_EQ(browser->getJobKind(), PatchBrowser::kRefreshJob);
    browser->runJobs();
    browser->runJobs();
    EXPECT_EQ(browser->getJobKind(), PatchBrowser::kNoJob);
    EXPECT_EQ(texts("PatchList"), (std::vector<std::string>{"P000", "P001"}));
}
