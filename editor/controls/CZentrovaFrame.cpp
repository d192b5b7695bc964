#include "editor/controls/CZentrovaFrame.h"

#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "editor/ZentrovaEditor.h"
#include "toolkit/CDragContainer.h"

namespace
{
std::string lowerCase(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

bool isPatchOrSettingsFile(const std::string& path)
{
    const std::size_t dot = path.find_last_of('.');
    if (dot == std::string::npos)
        return false;
    const std::string extension = lowerCase(path.substr(dot));
    for (const char* known : {".hrm", ".sup", ".fxb", ".fxp", ".pst", ".aupreset"})
        if (extension == known)
            return true;
    return false;
}
} // namespace

CZentrovaFrame::CZentrovaFrame(const CRect& size, VSTGUIEditorInterface* editor) : CFrame(size, editor) {}

CZentrovaFrame::CZentrovaFrame(const CRect& size, void* systemWindow, VSTGUIEditorInterface* editor)
    : CFrame(size, systemWindow, editor)
{
}

bool CZentrovaFrame::isTypeOf(const char* className) const
{
    return std::strcmp(className, "CZentrovaFrame") == 0 || CFrame::isTypeOf(className);
}

ZentrovaEditor* CZentrovaFrame::zentrovaEditor() const
{
    return dynamic_cast<ZentrovaEditor*>(getEditor());
}

CKeyResult CZentrovaFrame::onKeyDown(VstKeyCode& keyCode)
{
    const CKeyResult used = CFrame::onKeyDown(keyCode);
    if (used != kKeyNotHandled)
        return used;
    switch (keyCode.character)
    {
    case '+':
    case '-':
        if (ZentrovaEditor* editor = zentrovaEditor())
            editor->stepProgram(keyCode.character == '+' ? 1 : -1);
        return 0;
    case '1':
        return 0;
    default:
        return kKeyNotHandled;
    }
}

bool CZentrovaFrame::onDrop(CDragContainer* drag, const CPoint& where)
{
    // A drop that holds a harmonic list or settings is the frame's, whether
    // or not anything in it is taken.
    bool handled = false;
    bool accepted = false;
    std::vector<std::string> harmonicLists;
    if (drag)
    {
        std::int64_t size = 0;
        std::int32_t type = kDragError;
        for (void* item = drag->first(size, type); item; item = drag->next(size, type))
        {
            if (type != kDragFile)
                continue;
            const std::string path(static_cast<const char*>(item));
            // A name shorter than an extension carries none.
            if (path.size() < 4)
                continue;
            const std::string extension = lowerCase(path.substr(path.size() - 4));
            if (extension == ".hrm")
            {
                harmonicLists.push_back(path);
                handled = true;
            }
            else if (extension == ".sup")
            {
                if (ZentrovaEditor* editor = zentrovaEditor())
                    accepted = editor->acceptConfigurationDrop() || accepted;
                handled = true;
            }
        }
    }
    // All at once: one drop gives at most one alert.
    if (!harmonicLists.empty())
        if (ZentrovaEditor* editor = zentrovaEditor())
            accepted = editor->loadHarmonicFiles(harmonicLists) || accepted;
    return handled ? accepted : CFrame::onDrop(drag, where);
}

void CZentrovaFrame::onDragEnter(CDragContainer* drag, const CPoint& where)
{
    if (drag)
    {
        std::int64_t size = 0;
        std::int32_t type = kDragError;
        for (void* item = drag->first(size, type); item; item = drag->next(size, type))
            if (type == kDragFile && isPatchOrSettingsFile(static_cast<const char*>(item)))
            {
                setCursor(kCursorDefault);
                break;
            }
    }
    CFrame::onDragEnter(drag, where);
}
