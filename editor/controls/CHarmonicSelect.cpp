#include "editor/controls/CHarmonicSelect.h"

#include "editor/layout/GuiInfo.h"
#include "patches/HarmonicList.h"
#include "toolkit/CMenuItem.h"
#include "toolkit/COptionMenu.h"

#include <cstring>

CHarmonicSelect::CHarmonicSelect(GuiInfo& guiInfo, const std::string& prefix, int count,
                                 const std::string& namingMenu, const std::string& contentFolder)
{
    for (int i = 0; i < count; ++i)
        m_waveMenus.push_back(findMenu(guiInfo, prefix + std::to_string(i)));
    m_namingMenu = findMenu(guiInfo, namingMenu);
    m_list = HarmonicList::acquire(m_clientId, &m_pipe, contentFolder);
    for (COptionMenu* menu : m_waveMenus)
        if (menu)
            menu->addEntry(kUnnamed);
    if (m_namingMenu)
        m_namingMenu->addEntry(kBlank);
    processMessages();
    for (int wave = 0; wave < kNumWaves; ++wave)
        updateSelection(wave);
}

CHarmonicSelect::~CHarmonicSelect()
{
    HarmonicList::release(m_clientId);
    for (COptionMenu* menu : m_waveMenus)
        if (menu)
            menu->forget();
    if (m_namingMenu)
        m_namingMenu->forget();
}

COptionMenu* CHarmonicSelect::findMenu(GuiInfo& guiInfo, const std::string& name)
{
    CView* view = guiInfo.findControl(name);
    if (!view || !view->isTypeOf("COptionMenu"))
        return nullptr;
    view->retain();
    return static_cast<COptionMenu*>(view);
}

COptionMenu* CHarmonicSelect::getWaveMenu(int menu) const
{
    return menu >= 0 && static_cast<std::size_t>(menu) < m_waveMenus.size() ? m_waveMenus[menu] : nullptr;
}

void CHarmonicSelect::onWaveAdded(const std::string& name, std::int32_t index)
{
    for (COptionMenu* menu : m_waveMenus)
        if (menu)
            menu->addEntry(new CMenuItem(name.c_str()), index);
    if (!m_namingMenu)
        return;
    // Entries are made as items: a wave named "-" is no separator.
    if (name == kUnnamed)
        m_namingMenu->addEntry(new CMenuItem(kBlank));
    else
        m_namingMenu->addEntry(new CMenuItem(name.c_str()), index);
}

void CHarmonicSelect::onWaveRemoved(std::int32_t index)
{
    for (COptionMenu* menu : m_waveMenus)
        if (menu)
            menu->removeEntry(index);
    if (m_namingMenu)
        m_namingMenu->removeEntry(index);
}

void CHarmonicSelect::processMessages()
{
    // Most idles bring nothing: no lock for them.
    if (!m_pipe.hasMessages())
        return;
    HarmonicListMessage message;
    while (m_pipe.pop(message))
    {
        if (message.kind == HarmonicListMessage::kAdded)
        {
            message.name[HarmonicListMessage::kNameSize - 1] = 0;
            onWaveAdded(message.name, message.index);
        }
        else if (message.kind == HarmonicListMessage::kRemoved)
            onWaveRemoved(message.index);
    }
}

void CHarmonicSelect::updateSelection(int wave)
{
    COptionMenu* menu = getWaveMenu(wave);
    if (!menu || wave < 0 || wave >= kNumWaves)
        return;
    menu->setCurrent(m_list->getIndexFor(m_harmonics[wave]));
    menu->setDirty(true);
}

void CHarmonicSelect::setHarmonicLevel(int index, unsigned char level)
{
    if (index < 0 || index >= kNumWaves * Harmonics::kCount)
        return;
    const int wave = index / Harmonics::kCount;
    m_harmonics[wave].setLevel(index % Harmonics::kCount, level);
    updateSelection(wave);
}

bool CHarmonicSelect::getSelectedWave(int menuNumber, HarmonicWave& wave)
{
    COptionMenu* menu = getWaveMenu(menuNumber);
    if (!menu)
        return false;
    const std::int64_t chosen = menu->getCurrentIndex(true);
    const CMenuItem* entry = menu->getEntry(chosen);
    if (chosen < 1 || !entry || !entry->getTitle())
        return false;
    const std::string title = entry->getTitle();
    // The menu may lag the list: what was chosen must still be the wave at
    // that place once the menus have caught up.
    processMessages();
    const HarmonicWave stored = m_list->getWaveAt(static_cast<int>(chosen));
    char shown[HarmonicListMessage::kNameSize] = {};
    std::strncpy(shown, stored.name().c_str(), sizeof shown - 1);
    if (stored.name().empty() || title != shown)
    {
        updateSelection(menuNumber);
        return false;
    }
    wave = stored;
    return true;
}

void CHarmonicSelect::storeWave(const std::string& name, int wave)
{
    if (wave < 0 || wave >= kNumWaves)
        return;
    m_list->storeWave(name, m_harmonics[wave]);
    processMessages();
    updateSelection(wave);
}

bool CHarmonicSelect::loadHarmonicFiles(const std::vector<std::string>& paths)
{
    return m_list->loadFiles(paths);
}
