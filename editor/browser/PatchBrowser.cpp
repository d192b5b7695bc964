#include "editor/browser/PatchBrowser.h"

#include "Source/Zentrova.h"
#include "editor/ZentrovaEditor.h"
#include "editor/controls/CZentrovaKickButton.h"
#include "editor/layout/GuiInfo.h"
#include "editor/widgets/TextListWidget.h"
#include "editor/widgets/Widget.h"
#include "patches/Configuration.h"
#include "patches/PatchFileHandler.h"
#include "patches/PatchTypeBits.h"
#include "toolkit/CFrame.h"
#include "toolkit/CMenuItem.h"
#include "toolkit/COptionMenu.h"

#include <algorithm>
#include <cstdio>

namespace
{
enum : std::int64_t
{
    kBankListTag = 159,
    kPatchListTag = 160,
    kProgramListTag = 161,
    kClearProgramTag = 162,
    kClearBankTag = 163,
    kBrowserOpenTag = 164,
    kBrowserCloseTag = 165,
    kBrowserRefreshTag = 166,
    kFirstMemoryTag = 168,
    kLastMemoryTag = 171,
    kMidiBankSelectTag = 189,
};

// The refresh job's word for a rescan of the folders.
constexpr std::int64_t kRescanWord = 2;
// The number in front of a program row: three digits, a colon and a blank.
constexpr std::size_t kProgramPrefixLength = 5;

std::string programPrefix(std::int64_t slot)
{
    char prefix[16];
    std::snprintf(prefix, sizeof prefix, "%03d: ", static_cast<int>(slot));
    return prefix;
}

CTextListView::Row row(const std::string& text, const std::string& key, std::int32_t style, float status)
{
    CTextListView::Row result;
    result.text = text;
    result.key = key;
    result.style = style;
    result.status = status;
    return result;
}

std::int32_t readOnlyStyle(std::uint32_t patchType)
{
    return (patchType & kFileTypeReadOnly) != 0 ? 1 : 0;
}

float issueStatus(std::uint32_t patchTypeError)
{
    return patchTypeError != 0 ? 1.0f : 0.0f;
}
} // namespace

PatchBrowser::PatchBrowser(Zentrova* effect, GuiInfo& guiInfo)
    : m_effect(effect), m_guiInfo(guiInfo),
      m_bankList(dynamic_cast<TextListWidget*>(guiInfo.findWidget("BankList"))),
      m_patchList(dynamic_cast<TextListWidget*>(guiInfo.findWidget("PatchList"))),
      m_programList(dynamic_cast<TextListWidget*>(guiInfo.findWidget("ProgramList"))),
      m_patchInfoText(dynamic_cast<TextListWidget*>(guiInfo.findWidget("PatchInfoText"))),
      m_browser(guiInfo.findWidget("Browser")), m_pathDisplay(guiInfo.findWidget("PatchPathDisplay")),
      m_patchAndParameter(guiInfo.findWidget("PatchAndParameter"))
{
    const bool browserRow = guiInfo.findWidget("PatchMem1") != nullptr;
    for (int i = 0; i < 4; ++i)
    {
        const std::string number = std::to_string(i + 1);
        CView* browserButton = guiInfo.findControl("PatchMem" + number);
        CView* panelButton = guiInfo.findControl("PatchMem" + number + "b");
        m_memoryControls[i] = browserRow ? browserButton : panelButton;
        m_memoryControls[i + 4] = browserRow ? panelButton : nullptr;
    }
}

PatchBrowser::~PatchBrowser() = default;

bool PatchBrowser::isBrowserVisible() const
{
    return m_browser && m_browser->isVisible();
}

void PatchBrowser::showWidget(const std::string& name, bool visible)
{
    if (Widget* widget = m_guiInfo.findWidget(name))
        widget->setVisible(visible);
}

void PatchBrowser::redraw()
{
    if (ZentrovaEditor* editor = m_guiInfo.editor())
        editor->draw(nullptr);
}

CTextListView* PatchBrowser::listOf(TextListWidget* widget) const
{
    return widget ? widget->getList() : nullptr;
}

void PatchBrowser::open()
{
    m_hoveredKey.clear();
    m_hoveredText.clear();
    m_effect->refreshPatchLists(std::string(), false);
    m_browsedFolder = m_effect->getCurrentBank().address;
    if (m_browser)
    {
        m_browser->setVisible(true);
        buildMidiBankMenu();
        buildProgramList();
    }
    rebuildBankAndPatchLists(false);
    if (m_patchAndParameter)
        m_patchAndParameter->setVisible(false);
    showWidget("BrowserOpen", false);
    showWidget("BrowserClose2", true);
    lightButtons(true);
    redraw();
}

void PatchBrowser::close()
{
    if (m_browser)
        m_browser->setVisible(false);
    if (m_patchAndParameter)
        m_patchAndParameter->setVisible(true);
    showWidget("BrowserOpen", true);
    showWidget("BrowserClose2", false);
    lightButtons(false);
    m_browsedFolder = m_effect->getCurrentBank().address;
}

void PatchBrowser::lightButtons(bool open)
{
    // On/off buttons send 1 only from unlit: BROWSE shows whether the
    // browser is open, and every CLOSE waits unlit for its click.
    m_guiInfo.showValue(kBrowserOpenTag, open ? 1.0f : 0.0f);
    m_guiInfo.showValue(kBrowserCloseTag, 0.0f);
}

void PatchBrowser::selectRowByKey(TextListWidget* list, const std::string& key)
{
    if (CTextListView* view = listOf(list))
        view->setSelected(view->findRowIndex(key));
}

void PatchBrowser::rebuildBankAndPatchLists(bool keepScroll)
{
    if (!isBrowserVisible())
        return;
    m_bankRows.clear();
    m_patchRows.clear();
    const std::vector<BankInfo> banks = m_effect->getBankList();
    for (const BankInfo& bank : banks)
        m_bankRows.push_back(row(bank.name, bank.address, readOnlyStyle(bank.patchType),
                                 issueStatus(bank.patchTypeError)));
    if (banks.empty())
        m_bankRows.push_back(row("Error Reading Banks", std::string(), 0, 0.0f));
    if (CTextListView* list = listOf(m_bankList))
    {
        list->setRows(m_bankRows, false);
        selectRowByKey(m_bankList, m_browsedFolder);
    }
    for (const PatchInfoPointer& patch : m_effect->collectPatches(m_browsedFolder))
        if (patch)
            m_patchRows.push_back(row(patch->name, patch->address, readOnlyStyle(patch->patchType),
                                      issueStatus(patch->patchTypeError)));
    if (CTextListView* list = listOf(m_patchList))
    {
        list->setRows(m_patchRows, keepScroll);
        selectRowByKey(m_patchList, m_effect->getCurrentPatchInfo().address);
    }
}

void PatchBrowser::buildProgramList()
{
    CTextListView* list = listOf(m_programList);
    if (!list)
        return;
    m_programRows.clear();
    for (int program = 0; program < kNumPrograms; ++program)
    {
        const MidiProgramEntry entry = m_effect->getMidiProgramEntry(program);
        m_programRows.push_back(row(programPrefix(program) + entry.name, entry.path, 0, entry.present ? 0.0f : 1.0f));
    }
    list->setRows(m_programRows, false);
    list->setSelected(0);
    m_rememberedSlot = 0;
}

void PatchBrowser::buildMidiBankMenu()
{
    CView* view = m_guiInfo.findControl("MidiBankSelect");
    Configuration* configuration = m_effect->getConfiguration();
    if (!view || !view->isTypeOf("COptionMenu") || !configuration)
        return;
    auto* menu = static_cast<COptionMenu*>(view);
    menu->removeAllEntry();
    const int banks = configuration->getNumMidiBanks();
    for (int bank = 0; bank < banks; ++bank)
        menu->addEntry(new CMenuItem(std::to_string(bank).c_str()));
    menu->setCurrent(m_effect->getMidiBank());
    menu->setDirty(true);
}

void PatchBrowser::showBankIssues(const std::string& key)
{
    CTextListView* list = listOf(m_patchInfoText);
    Configuration* configuration = m_effect->getConfiguration();
    if (!list || !configuration || !configuration->getPatchTree())
        return;
    std::vector<std::string> lines;
    PatchFileHandler::describeIssues(lines, *configuration->getPatchTree(), key);
    m_infoRows.clear();
    for (const std::string& line : lines)
        m_infoRows.push_back(row(line, std::string(), 0, 0.0f));
    list->setRows(m_infoRows, false);
}

std::int64_t PatchBrowser::selectedSlot() const
{
    const CTextListView* list = listOf(m_programList);
    if (!list)
        return -1;
    const std::int64_t slot = list->getSelected();
    return slot >= 0 && slot < kNumPrograms && slot < list->getRowCount() ? slot : -1;
}

PatchBrowser::Program PatchBrowser::programAt(std::int64_t slot) const
{
    Program program;
    const CTextListView::Row row = listOf(m_programList)->getRow(slot);
    program.name = row.text.size() > kProgramPrefixLength ? row.text.substr(kProgramPrefixLength) : std::string();
    program.key = row.key;
    program.status = row.status;
    return program;
}

void PatchBrowser::setProgram(std::int64_t slot, const Program& program)
{
    CTextListView* list = listOf(m_programList);
    if (!list || slot < 0 || slot >= kNumPrograms || slot >= list->getRowCount())
        return;
    const std::string text = programPrefix(slot) + program.name;
    list->setRowText(slot, text, program.key);
    list->setRowStatus(slot, program.status);
    if (static_cast<std::size_t>(slot) < m_programRows.size())
        m_programRows[static_cast<std::size_t>(slot)] = row(text, program.key, 0, program.status);
    m_effect->setMidiProgramPath(static_cast<int>(slot), program.key);
}

void PatchBrowser::patchListClicked()
{
    CTextListView* list = listOf(m_patchList);
    if (!list)
        return;
    if (list->wasStatusClicked())
    {
        queueConvert(list->getRow(list->getClickedRow()).key);
        return;
    }
    const std::int64_t chosen = list->getSelected();
    if (chosen < 0)
        return;
    const CTextListView::Row patch = list->getRow(chosen);
    m_effect->selectBank(m_browsedFolder, false);
    m_effect->selectProgram(static_cast<int>(chosen), true, true);
    const std::int64_t slot = selectedSlot();
    if ((list->getClickButtons() & kModShift) && slot >= 0)
    {
        setProgram(slot, Program{patch.text, patch.key, 0.0f});
        listOf(m_programList)->setSelected(std::min<std::int64_t>(slot + 1, kNumPrograms - 1));
    }
}

void PatchBrowser::bankListClicked()
{
    CTextListView* list = listOf(m_bankList);
    if (!list)
        return;
    if (list->wasStatusClicked())
    {
        queueConvert(list->getRow(list->getClickedRow()).key);
        return;
    }
    if (list->getSelected() < 0)
        return;
    m_browsedFolder = list->getSelectedKey();
    rebuildBankAndPatchLists(false);
    const std::int64_t start = selectedSlot();
    if (!(list->getClickButtons() & kModShift) || start < 0)
        return;
    for (std::size_t i = 0; i < m_patchRows.size() && start + static_cast<std::int64_t>(i) < kNumPrograms; ++i)
        setProgram(start + static_cast<std::int64_t>(i), Program{m_patchRows[i].text, m_patchRows[i].key, 0.0f});
}

void PatchBrowser::programListClicked()
{
    CTextListView* list = listOf(m_programList);
    const std::int64_t slot = selectedSlot();
    if (!list || slot < 0)
        return;
    const CButtonState buttons = list->getClickButtons();
    const std::int64_t remembered = std::clamp<std::int64_t>(m_rememberedSlot, 0, list->getRowCount() - 1);
    if (buttons & kModShift)
    {
        const PatchInfo current = m_effect->getCurrentPatchInfo();
        setProgram(slot, Program{current.name, current.address, 0.0f});
    }
    else if (buttons & kModOption)
    {
        if (slot != remembered)
        {
            const Program mine = programAt(slot);
            setProgram(slot, programAt(remembered));
            setProgram(remembered, mine);
        }
    }
    else if (buttons & kModCommand)
    {
        if (slot != remembered)
        {
            const Program moving = programAt(remembered);
            const std::int64_t step = remembered > slot ? -1 : 1;
            for (std::int64_t i = remembered; i != slot; i += step)
                setProgram(i, programAt(i + step));
            setProgram(slot, moving);
        }
    }
    else
        return;
    m_rememberedSlot = static_cast<std::int32_t>(slot);
}

void PatchBrowser::showMemoryPicture(std::int32_t hoveredIndex, std::int64_t picture)
{
    // Indices 8-15 name the second row of buttons, not slots past the end.
    const std::size_t button = static_cast<std::size_t>(hoveredIndex & 3) + (hoveredIndex >= 8 ? 4 : 0);
    CView* view = hoveredIndex >= 0 ? m_memoryControls[button] : nullptr;
    if (view && view->isTypeOf("CZentrovaKickButton"))
        static_cast<CZentrovaKickButton*>(view)->setPicture(picture);
}

void PatchBrowser::memoryButton(int button, float value)
{
    const auto flags = value > 1.0f ? static_cast<CButtonState>(value) : CButtonState{0};
    const int memory = button + ((flags & kModShift) ? 4 : 0);
    const bool inShiftRange = m_hoveredMemory >= 0 && m_hoveredMemory % 8 > 3;
    if (value > 1.0f && (flags & kModCommand))
    {
        const bool option = (flags & kModOption) != 0;
        if (isBrowserVisible() && option)
            m_effect->setPatchMemory(memory, m_browsedFolder);
        else
            m_effect->storePatchMemory(memory, option);
        showMemoryPicture(m_hoveredMemory, inShiftRange ? 4 : 1);
    }
    else if (value > 0.5f)
    {
        m_browsedFolder = m_effect->recallPatchMemory(memory, (flags & kModOption) == 0);
        rebuildBankAndPatchLists(true);
    }
    else if (value < 0.5f)
        showMemoryPicture(m_hoveredMemory, inShiftRange ? 3 : 0);
}

bool PatchBrowser::valueChanged(std::int64_t tag, float value)
{
    switch (tag)
    {
    case kPatchListTag:
        patchListClicked();
        return true;
    case kBankListTag:
        bankListClicked();
        return true;
    case kProgramListTag:
        programListClicked();
        return true;
    case kClearProgramTag:
        if (const std::int64_t slot = selectedSlot(); slot >= 0)
            setProgram(slot, Program());
        return true;
    case kClearBankTag:
        if (listOf(m_programList))
            for (std::int64_t slot = 0; slot < kNumPrograms; ++slot)
                setProgram(slot, Program());
        return true;
    case kMidiBankSelectTag:
        if (CView* view = m_guiInfo.findControl("MidiBankSelect"); view && view->isTypeOf("COptionMenu"))
        {
            m_effect->setMidiBank(static_cast<int>(static_cast<COptionMenu*>(view)->getCurrentIndex()));
            buildProgramList();
        }
        return true;
    case kBrowserOpenTag:
        if (!(value > 0.5f))
            return false;
        open();
        return true;
    case kBrowserCloseTag:
        if (!(value > 0.5f))
            return false;
        close();
        return true;
    case kBrowserRefreshTag:
        if (value > 0.5f)
            queueRefresh(false);
        else if (value < 0.0f)
            queueRefresh((static_cast<CButtonState>(-value) & kModCommand) != 0);
        return true;
    default:
        break;
    }
    if (tag >= kFirstMemoryTag && tag <= kLastMemoryTag)
    {
        memoryButton(static_cast<int>(tag - kFirstMemoryTag), value);
        return true;
    }
    return false;
}

bool PatchBrowser::showHoverInfo(CView* view)
{
    std::int32_t hoveredMemory = -1;
    bool claimed = false;
    std::string text;
    for (int slot = 0; slot < kNumMemoryButtons && view; ++slot)
    {
        if (m_memoryControls[static_cast<std::size_t>(slot)] != view)
            continue;
        hoveredMemory = slot < 4 ? slot : slot + 4;
        if (view->getFrame() && (view->getFrame()->getCurrentMouseButtons() & kModShift))
            hoveredMemory += 4;
        if (Configuration* configuration = m_effect->getConfiguration())
            text = configuration->getPatchMemory(hoveredMemory % 8);
        claimed = true;
        break;
    }
    if (!claimed && isBrowserVisible())
    {
        std::string key;
        for (TextListWidget* widget : {m_bankList, m_patchList, m_programList})
        {
            const CTextListView* list = listOf(widget);
            if (!list || !list->findRowOfView(view, key))
                continue;
            if (widget == m_programList)
                m_hoveredKey = m_hoveredText = key;
            else if (key != m_hoveredKey)
            {
                m_hoveredKey = key;
                m_hoveredText = key + m_effect->getNodeFlagsText(key);
                showBankIssues(key);
            }
            text = m_hoveredText;
            claimed = true;
            break;
        }
    }
    if (!claimed)
    {
        m_hoveredKey.clear();
        m_hoveredText.clear();
    }
    if (hoveredMemory != m_hoveredMemory)
    {
        if (hoveredMemory >= 0 && hoveredMemory % 8 > 3)
            showMemoryPicture(hoveredMemory, 3);
        if (m_hoveredMemory >= 0 && m_hoveredMemory % 8 > 3)
            showMemoryPicture(m_hoveredMemory, 0);
        m_hoveredMemory = hoveredMemory;
    }
    if (m_pathDisplay)
    {
        m_pathDisplay->setText(text);
        if (CView* display = m_pathDisplay->getControl())
            display->setDirty(true);
    }
    return claimed;
}

std::string PatchBrowser::getSelectedPatchPath()
{
    const std::vector<BankInfo> banks = m_effect->getBankList();
    if (m_browser && !m_browser->isVisible())
        m_browsedFolder = m_effect->getCurrentBank().address;
    const auto bank = std::find_if(banks.begin(), banks.end(),
                                   [this](const BankInfo& info) { return info.address == m_browsedFolder; });
    if (bank == banks.end())
        return std::string();
    std::string path = bank->firstFolderPath();
    Configuration* configuration = m_effect->getConfiguration();
    if (path.empty() && configuration)
        path = m_effect->getBankFolderPath(configuration->getDefaultSaveFolder(configuration->isEffect()));
    return path;
}

void PatchBrowser::queueConvert(const std::string& path)
{
    if (path.empty())
        return;
    m_jobPath = path;
    m_jobStep = 0;
    m_jobKind = kConvertJob;
}

void PatchBrowser::queueRefresh(bool rescan)
{
    m_jobRescan = rescan ? kRescanWord : 1;
    m_jobStep = 0;
    m_jobKind = kRefreshJob;
}

void PatchBrowser::runJobs()
{
    switch (m_jobKind)
    {
    case kConvertJob:
        if (m_jobStep == 0)
        {
            showWidget("BrowserConverting", true);
            m_jobStep = 1;
            return;
        }
        m_effect->convertPatchesAt(m_jobPath);
        m_effect->refreshPatchLists(std::string(), false);
        rebuildBankAndPatchLists(false);
        showWidget("BrowserConverting", false);
        m_jobKind = kNoJob;
        return;
    case kRefreshJob:
        if (m_jobStep == 0)
        {
            if (Widget* button = m_guiInfo.findWidget("BrowserRefresh"))
                button->setValue(ParameterIndexAndValue(kBrowserRefreshTag, 1.0f));
            showWidget("BrowserRefreshing", true);
            m_jobStep = 1;
            return;
        }
        if (Widget* button = m_guiInfo.findWidget("BrowserRefresh"))
            button->setValue(ParameterIndexAndValue(kBrowserRefreshTag, 0.0f));
        m_effect->refreshPatchLists("/", m_jobRescan == kRescanWord);
        rebuildBankAndPatchLists(false);
        showWidget("BrowserRefreshing", false);
        m_jobKind = kNoJob;
        return;
    case kNoJob:
        return;
    }
}
