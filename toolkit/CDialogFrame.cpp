#include "toolkit/CDialogFrame.h"

#include "toolkit/SharedPointer.h"

// No editor: a dialog's controls report no edits to the host.
CDialogFrame::CDialogFrame(const CRect& size) : CFrame(size, nullptr) {}

std::int32_t CDialogFrame::runModal(PlatformWindow* owner, const std::string& title)
{
    if (!owner || m_owner)
        return 0;
    SharedPointer<CDialogFrame> self(this);
    m_owner = owner;
    m_opened = false;
    const std::int32_t result = owner->runModalDialog(this, title);
    m_owner = nullptr;
    return result;
}

void CDialogFrame::end(std::int32_t result)
{
    if (m_owner)
        m_owner->endModalDialog(this, result);
}

void CDialogFrame::idle()
{
    if (!m_opened && getPlatformWindow())
    {
        m_opened = true;
        if (onOpen)
            onOpen();
    }
    CFrame::idle();
}

CKeyResult CDialogFrame::onKeyDown(VstKeyCode& keyCode)
{
    SharedPointer<CDialogFrame> self(this);
    CKeyResult result = CFrame::onKeyDown(keyCode);
    if (result != kKeyNotHandled)
        return result;
    if ((keyCode.virt == VKEY_RETURN || keyCode.virt == VKEY_ENTER) && onReturn)
    {
        onReturn();
        return kKeyHandled;
    }
    if (keyCode.virt == VKEY_ESCAPE && onEscape)
    {
        onEscape();
        return kKeyHandled;
    }
    return kKeyNotHandled;
}
