#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "editor/controls/CTextListView.h"

class CView;
class GuiInfo;
class TextListWidget;
class Widget;
class Zentrova;

// The patch library panel: the banks, the patches of the browsed bank, the
// 128 programs of the current MIDI bank (which patch each MIDI program
// change plays), a MIDI bank menu, the patch memories and the convert and
// refresh actions. It owns no patch data: every list is read from the
// plug-in. Long actions run one step per editor idle.
class PatchBrowser
{
public:
    using Rows = std::vector<CTextListView::Row>;

    static constexpr int kNumPrograms = 128;
    static constexpr int kNumMemoryButtons = 8;

    enum JobKind
    {
        kNoJob = 0,
        kConvertJob = 1,
        kRefreshJob = 2,
    };

    // Looks its widgets up by name; any may be missing.
    PatchBrowser(Zentrova* effect, GuiInfo& guiInfo);
    virtual ~PatchBrowser();

    PatchBrowser(const PatchBrowser&) = delete;
    PatchBrowser& operator=(const PatchBrowser&) = delete;

    void open();
    void close();
    // False for a tag that is not the browser's.
    bool valueChanged(std::int64_t tag, float value);
    // The step of the pending job, on every editor idle.
    void runJobs();
    // Shows what the view under the mouse stands for; true when the view
    // is the browser's.
    bool showHoverInfo(CView* view);
    // The folder a save dialog starts in.
    std::string getSelectedPatchPath();
    // An empty address (the whole library) is never converted.
    void queueConvert(const std::string& path);
    void queueRefresh(bool rescan);

    void rebuildBankAndPatchLists(bool keepScroll);
    void buildProgramList();
    void buildMidiBankMenu();
    void showBankIssues(const std::string& key);
    void selectRowByKey(TextListWidget* list, const std::string& key);

    const std::string& getBrowsedFolder() const { return m_browsedFolder; }
    const std::string& getHoveredText() const { return m_hoveredText; }
    std::int32_t getHoveredMemory() const { return m_hoveredMemory; }
    std::int32_t getRememberedSlot() const { return m_rememberedSlot; }
    JobKind getJobKind() const { return m_jobKind; }

private:
    struct Program
    {
        std::string name;
        std::string key;
        float status = 0.0f;
    };

    bool isBrowserVisible() const;
    void showWidget(const std::string& name, bool visible);
    void lightButtons(bool open);
    void redraw();
    CTextListView* listOf(TextListWidget* widget) const;
    // The selected program slot, or -1 when there is none to write.
    std::int64_t selectedSlot() const;
    Program programAt(std::int64_t slot) const;
    // Sets the row (keeping its number) and the slot's MIDI program path.
    void setProgram(std::int64_t slot, const Program& program);
    void showMemoryPicture(std::int32_t hoveredIndex, std::int64_t picture);

    void patchListClicked();
    void bankListClicked();
    void programListClicked();
    void memoryButton(int button, float value);

    Rows m_bankRows;
    Rows m_patchRows;
    Rows m_programRows;
    Rows m_infoRows;
    Zentrova* m_effect;
    GuiInfo& m_guiInfo;
    std::string m_browsedFolder;
    TextListWidget* m_bankList;
    TextListWidget* m_patchList;
    TextListWidget* m_programList;
    TextListWidget* m_patchInfoText;
    Widget* m_browser;
    std::array<CView*, kNumMemoryButtons> m_memoryControls{};
    Widget* m_pathDisplay;
    std::string m_hoveredKey;
    std::string m_hoveredText;
    Widget* m_patchAndParameter;
    std::int32_t m_rememberedSlot = 0;
    JobKind m_jobKind = kNoJob;
    std::int32_t m_jobStep = 0;
    std::string m_jobPath;
    std::int64_t m_jobRescan = 0;
    // 0-3 and 8-11 for the two rows of buttons, 4 more while Shift is held.
    std::int32_t m_hoveredMemory = -1;
};
