#include "toolkit/CFileSelectorPanel.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "Source/shared/Utf8.h"
#include "toolkit/CAlertPanel.h"
#include "toolkit/CDataBrowser.h"
#include "toolkit/CDialogFrame.h"
#include "toolkit/CDrawContext.h"
#include "toolkit/CFontDesc.h"
#include "toolkit/COptionMenu.h"
#include "toolkit/CTextButton.h"
#include "toolkit/CTextEdit.h"
#include "toolkit/CTextLabel.h"
#include "toolkit/IDataBrowser.h"
#include "toolkit/SharedPointer.h"

namespace fs = std::filesystem;

namespace
{
enum Tag : std::int64_t
{
    kCancelTag = 1,
    kOkTag,
    kTypeTag,
    kNameTag,
};

constexpr CCoord kScrollbarWidth = 14;
constexpr CColor kBackground{236, 236, 236, 255};
constexpr CColor kListBackground{255, 255, 255, 255};
constexpr CColor kBorder{160, 160, 160, 255};
constexpr CColor kText{0, 0, 0, 255};
constexpr CColor kDimText{150, 150, 150, 255};
constexpr CColor kSelection{56, 117, 215, 255};
constexpr CColor kSelectionText{255, 255, 255, 255};
constexpr CColor kRefusalText{170, 20, 20, 255};

bool lessIgnoringCase(const std::string& a, const std::string& b)
{
    const auto lower = [](unsigned char c) { return std::tolower(c); };
    const bool less = std::lexicographical_compare(
        a.begin(), a.end(), b.begin(), b.end(),
        [&](char x, char y) { return lower(static_cast<unsigned char>(x)) < lower(static_cast<unsigned char>(y)); });
    const bool greater = std::lexicographical_compare(
        b.begin(), b.end(), a.begin(), a.end(),
        [&](char x, char y) { return lower(static_cast<unsigned char>(x)) < lower(static_cast<unsigned char>(y)); });
    return less || (!greater && a < b);
}

bool isDirectory(const std::string& path)
{
    std::error_code error;
    return fs::is_directory(path, error);
}

// An absolute folder without "." or ".." parts or a trailing "/".
std::string normalFolder(const std::string& path)
{
    std::error_code error;
    fs::path absolute = fs::absolute(fs::path(path), error);
    if (error)
        absolute = fs::path(path);
    std::string text = absolute.lexically_normal().string();
    while (text.size() > 1 && text.back() == '/')
        text.pop_back();
    return text.empty() ? "/" : text;
}

// The folder to start in: the given one, the folder of a given file, the
// nearest folder above a path that is gone, the home folder, the root.
std::string startFolder(const char* initial)
{
    if (initial && *initial)
    {
        fs::path path = normalFolder(initial);
        for (; !path.empty(); path = path.parent_path())
        {
            if (isDirectory(path.string()))
                return path.string();
            if (path == path.parent_path())
                break;
        }
    }
    const char* home = std::getenv("HOME");
    if (home && isDirectory(home))
        return normalFolder(home);
    return "/";
}

std::string typeTitle(const CFileExtension& type)
{
    const char* description = type.getDescription();
    const char* extension = type.getExtension();
    std::string title = description ? description : "";
    if (extension && *extension)
        title += std::string(title.empty() ? "" : " ") + "(*." + extension + ")";
    return Utf8::makeValid(title.empty() ? "All Files" : title);
}

// The name field: Return confirms the dialog and Escape cancels it, after
// the edit itself has ended.
class NameEdit : public CTextEdit
{
public:
    NameEdit(const CRect& size, CFileSelectorPanel* panel, const char* text)
        : CTextEdit(size, panel, kNameTag, text), m_panel(panel)
    {
    }

protected:
    bool onTextFieldCommand(::PlatformTextFieldListener::Command command) override
    {
        SharedPointer<CView> self(this);
        const bool used = CTextEdit::onTextFieldCommand(command);
        if (command == ::PlatformTextFieldListener::kReturn)
            m_panel->confirm();
        else if (command == ::PlatformTextFieldListener::kCancel)
            m_panel->cancel();
        return used;
    }

private:
    CFileSelectorPanel* m_panel;
};
} // namespace

// The rows of one of the two lists.
class CFileSelectorPanel::ListSource : public CBaseObject, public IDataBrowser
{
public:
    ListSource(CFileSelectorPanel* panel, bool folders) : m_panel(panel), m_folders(folders) {}

    void forgetPanel() { m_panel = nullptr; }

    std::int32_t getNumRows(CDataBrowser*) override
    {
        if (!m_panel)
            return 0;
        return static_cast<std::int32_t>(m_folders ? m_panel->m_folders.size() : m_panel->m_files.size());
    }
    std::int32_t getNumColumns(CDataBrowser*) override { return 1; }
    CCoord getCurrentColumnWidth(std::int32_t, CDataBrowser* browser) override
    {
        return browser->getViewSize().width() - kScrollbarWidth;
    }
    CCoord getRowHeight(CDataBrowser*) override { return kRowHeight; }

    void drawCell(CDrawContext* context, const CRect& size, std::int32_t row, std::int32_t, std::int32_t,
                  CDataBrowser*) override
    {
        if (!m_panel || row < 0 || row >= getNumRows(nullptr))
            return;
        const auto index = static_cast<std::size_t>(row);
        const bool selected = m_folders ? row == m_panel->m_selectedFolder : m_panel->m_selectedFiles[index];
        const bool dim = !m_folders && m_panel->m_style == CNewFileSelector::kSelectDirectory;
        context->setFillColor(selected ? kSelection : kListBackground);
        context->drawRect(size, kDrawFilled);
        context->setFont(kFontSystem);
        context->setFontColor(selected ? kSelectionText : dim ? kDimText : kText);
        const std::string& name = m_folders ? m_panel->m_folders[index] : m_panel->m_files[index];
        CRect text(size);
        text.left += 4;
        context->drawString(Utf8::makeValid(name).c_str(), text, kLeftText, true);
    }

    CMouseEventResult onMouseDown(const CPoint&, const CButtonState& buttons, std::int32_t row, std::int32_t,
                                  CDataBrowser*) override
    {
        if (!m_panel || !(buttons & kButtonLeft))
            return kMouseResultHandledNoTracking;
        SharedPointer<CFileSelectorPanel> panel(m_panel);
        if (m_folders)
            m_panel->clickFolder(row, buttons);
        else
            m_panel->clickFile(row, buttons);
        return kMouseResultHandledNoTracking;
    }

private:
    CFileSelectorPanel* m_panel;
    bool m_folders;
};

CFileSelectorPanel::CFileSelectorPanel(CDialogFrame* dialog, const CNewFileSelector& selector)
    : CViewContainer(CRect(0, 0, kWidth, kHeight), dialog), m_dialog(dialog), m_style(selector.getStyle()),
      m_multiple(selector.getAllowMultiFileSelection() && selector.getStyle() == CNewFileSelector::kSelectFile),
      m_title(selector.getTitle() ? selector.getTitle() : ""), m_types(selector.getExtensions()),
      m_folderSource(new ListSource(this, true)), m_fileSource(new ListSource(this, false))
{
    setBackgroundColor(kBackground);
    if (m_types.empty())
        m_types.push_back(CFileExtension::allFiles());
    if (const CFileExtension* chosen = selector.getDefaultExtension())
        for (std::size_t i = 0; i < m_types.size(); ++i)
            if (m_types[i] == *chosen)
            {
                m_type = i;
                break;
            }

    m_pathLabel = new CTextLabel(pathRect(), nullptr, nullptr, kNoFrame);
    m_pathLabel->setFont(kFontSystem);
    m_pathLabel->setFontColor(kText);
    m_pathLabel->setBackColor(kBackground);
    m_pathLabel->setHoriAlign(kLeftText);
    addView(m_pathLabel);

    const std::int64_t listStyle = CScrollView::kVerticalScrollbar | CScrollView::kDontDrawFrame;
    m_folderList = new CDataBrowser(folderListRect(), dialog, m_folderSource, listStyle, kScrollbarWidth);
    addView(m_folderList);
    m_fileList = new CDataBrowser(fileListRect(), dialog, m_fileSource, listStyle, kScrollbarWidth);
    addView(m_fileList);

    if (m_style == CNewFileSelector::kSelectSaveFile)
    {
        const char* name = selector.getDefaultSaveName();
        m_nameEdit = new NameEdit(nameRect(), this, name ? Utf8::makeValid(name).c_str() : "");
        m_nameEdit->setFont(kFontSystem);
        m_nameEdit->setFontColor(kText);
        m_nameEdit->setBackColor(kListBackground);
        m_nameEdit->setFrameColor(kBorder);
        m_nameEdit->setHoriAlign(kLeftText);
        addView(m_nameEdit);

        m_message = new CTextLabel(messageRect(), nullptr, nullptr, kNoFrame);
        m_message->setFont(kFontSystem);
        m_message->setFontColor(kRefusalText);
        m_message->setBackColor(kBackground);
        m_message->setHoriAlign(kLeftText);
        addView(m_message);
    }

    m_typeMenu = new COptionMenu(typeMenuRect(), this, kTypeTag, nullptr, nullptr, kCheckStyle);
    m_typeMenu->setFont(kFontSystem);
    m_typeMenu->setFontColor(kText);
    m_typeMenu->setBackColor(kListBackground);
    m_typeMenu->setFrameColor(kBorder);
    m_typeMenu->setHoriAlign(kLeftText);
    for (const CFileExtension& type : m_types)
        m_typeMenu->addEntry(typeTitle(type).c_str());
    m_typeMenu->setValue(static_cast<float>(m_type));
    addView(m_typeMenu);

    addView(new CTextButton(cancelRect(), this, kCancelTag, "Cancel"));
    auto* ok = new CTextButton(okRect(), this, kOkTag, m_style == CNewFileSelector::kSelectSaveFile ? "Save" : "Open");
    ok->setDefault(true);
    addView(ok);

    dialog->onOpen = [this] { startEditingName(); };
    dialog->onReturn = [this] { confirm(); };
    dialog->onEscape = [this] { cancel(); };
    changeDirectory(startFolder(selector.getInitialDirectory()));
}

CFileSelectorPanel::~CFileSelectorPanel()
{
    m_folderSource->forgetPanel();
    m_fileSource->forgetPanel();
    m_folderSource->release();
    m_fileSource->release();
}

// --- Folders and files -----------------------------------------------------------------------

std::string CFileSelectorPanel::pathOf(const std::string& name) const
{
    return m_directory == "/" ? "/" + name : m_directory + "/" + name;
}

void CFileSelectorPanel::changeDirectory(const std::string& path)
{
    m_directory = normalFolder(path);
    m_pathLabel->setText(Utf8::makeValid(m_directory).c_str());
    readDirectory();
}

void CFileSelectorPanel::readDirectory()
{
    m_folders.clear();
    m_files.clear();
    std::error_code error;
    for (fs::directory_iterator it(m_directory, error), end; !error && it != end; it.increment(error))
    {
        const std::string name = it->path().filename().string();
        if (name.empty() || name[0] == '.')
            continue;
        std::error_code typeError;
        if (it->is_directory(typeError))
            m_folders.push_back(name);
        else if (m_types[m_type].matches(name))
            m_files.push_back(name);
    }
    std::sort(m_folders.begin(), m_folders.end(), lessIgnoringCase);
    std::sort(m_files.begin(), m_files.end(), lessIgnoringCase);
    if (m_directory != "/")
        m_folders.insert(m_folders.begin(), "..");
    m_selectedFolder = -1;
    m_selectedFiles.assign(m_files.size(), false);
    m_anchor = -1;
    for (CDataBrowser* list : {m_folderList, m_fileList})
    {
        list->recalculateLayout(false);
        list->makeRowVisible(0);
        list->invalid();
    }
}

void CFileSelectorPanel::chooseType(std::size_t type)
{
    if (type >= m_types.size() || type == m_type)
        return;
    m_type = type;
    m_typePicked = true;
    const std::int32_t folder = m_selectedFolder;
    readDirectory();
    m_selectedFolder = folder;
}

void CFileSelectorPanel::clickFolder(std::int32_t row, CButtonState buttons)
{
    if (row < 0 || row >= static_cast<std::int32_t>(m_folders.size()))
        return;
    if (buttons & kDoubleClick)
    {
        const std::string name = m_folders[static_cast<std::size_t>(row)];
        changeDirectory(name == ".." ? fs::path(m_directory).parent_path().string() : pathOf(name));
        return;
    }
    m_selectedFolder = row;
    m_folderList->invalid();
}

void CFileSelectorPanel::clickFile(std::int32_t row, CButtonState buttons)
{
    if (row < 0 || row >= static_cast<std::int32_t>(m_files.size()) ||
        m_style == CNewFileSelector::kSelectDirectory)
        return;
    const auto index = static_cast<std::size_t>(row);
    const bool toggle = m_multiple && (buttons & kModCommand) && !(buttons & kDoubleClick);
    const bool extend = m_multiple && (buttons & kModShift) && m_anchor >= 0 && !(buttons & kDoubleClick);
    if (toggle)
        m_selectedFiles[index] = !m_selectedFiles[index];
    else if (extend)
    {
        m_selectedFiles.assign(m_files.size(), false);
        for (std::int32_t r = std::min(m_anchor, row); r <= std::max(m_anchor, row); ++r)
            m_selectedFiles[static_cast<std::size_t>(r)] = true;
    }
    else
    {
        m_selectedFiles.assign(m_files.size(), false);
        m_selectedFiles[index] = true;
    }
    if (!extend)
        m_anchor = row;
    m_fileList->invalid();
    if (m_nameEdit)
        m_nameEdit->setText(Utf8::makeValid(m_files[index]).c_str());
    if (buttons & kDoubleClick)
        confirm();
}

// --- Ending ------------------------------------------------------------------------------------

void CFileSelectorPanel::startEditingName()
{
    if (!m_nameEdit || m_nameEdit->isEditing())
        return;
    // As a click on the field: the typing goes there at once.
    CPoint where = m_nameEdit->getViewSize().getTopLeft();
    m_nameEdit->onMouseDown(where, kButtonLeft);
}

void CFileSelectorPanel::confirm()
{
    SharedPointer<CFileSelectorPanel> self(this);
    switch (m_style)
    {
    case CNewFileSelector::kSelectSaveFile:
        // A name refused or not to be replaced is typed again.
        if (!confirmSave() && m_dialog->isRunning())
            startEditingName();
        return;
    case CNewFileSelector::kSelectDirectory:
    {
        const bool chosen = m_selectedFolder >= 0 && m_folders[static_cast<std::size_t>(m_selectedFolder)] != "..";
        m_result = {chosen ? pathOf(m_folders[static_cast<std::size_t>(m_selectedFolder)]) : m_directory};
        m_dialog->end(1);
        return;
    }
    default:
        break;
    }
    m_result.clear();
    for (std::size_t i = 0; i < m_files.size(); ++i)
        if (m_selectedFiles[i])
            m_result.push_back(pathOf(m_files[i]));
    if (!m_result.empty())
        m_dialog->end(1);
    else if (m_selectedFolder >= 0)
        clickFolder(m_selectedFolder, kButtonLeft | kDoubleClick);
}

bool CFileSelectorPanel::hasOfferedExtension(const std::string& name) const
{
    for (const CFileExtension& type : m_types)
    {
        const char* offered = type.getExtension();
        if (offered && *offered && type.matches(name))
            return true;
    }
    return false;
}

std::string CFileSelectorPanel::withExtension(const std::string& name) const
{
    const char* extension = m_types[m_type].getExtension();
    if (!extension || !*extension || hasOfferedExtension(name))
        return name;
    return name + "." + extension;
}

std::string CFileSelectorPanel::refusalOf(const std::string& typed) const
{
    // Blanks before a typed extension would name the file by its type alone.
    const std::string stem = hasOfferedExtension(typed) ? typed.substr(0, typed.rfind('.')) : typed;
    if (stem.find_first_not_of(" \t") == std::string::npos)
        return "Type a name to save the file under.";
    // A name is one entry of the folder shown.
    if (typed == "." || typed == "..")
        return "A file cannot be named \"" + typed + "\".";
    if (typed.find('/') != std::string::npos)
        return "A name cannot contain \"/\".";
    return std::string();
}

bool CFileSelectorPanel::confirmSave()
{
    if (m_nameEdit->isEditing())
        m_nameEdit->looseFocus();
    const std::string typed = m_nameEdit->getTextPointer();
    const std::string refusal = refusalOf(typed);
    m_message->setText(refusal.c_str());
    if (!refusal.empty())
        return false;
    const std::string name = withExtension(typed);
    const std::string path = pathOf(name);
    std::error_code error;
    const fs::file_status status = fs::symlink_status(path, error);
    if (fs::is_directory(fs::status(path, error)))
    {
        m_message->setText("A folder has that name.");
        return false;
    }
    if (fs::exists(status))
    {
        const int answer = CAlertPanel::run(
            m_dialog->getPlatformWindow(), m_title.empty() ? "Save" : m_title,
            "\"" + name + "\" already exists. Do you want to replace it?",
            "A file with the same name already exists in \"" + fs::path(m_directory).filename().string() +
                "\". Replacing it will overwrite its current contents.",
            {"Replace", "Cancel"}, 1, 1);
        if (answer != 0)
            return false;
    }
    m_result = {path};
    m_typeGiven = m_typePicked || name == typed;
    m_dialog->end(1);
    return true;
}

void CFileSelectorPanel::cancel()
{
    m_result.clear();
    m_dialog->end(0);
}

void CFileSelectorPanel::valueChanged(CControl* control)
{
    switch (control->getTag())
    {
    case kCancelTag:
        cancel();
        break;
    case kOkTag:
        confirm();
        break;
    case kTypeTag:
        chooseType(static_cast<std::size_t>(std::max(0.0f, control->getValue())));
        break;
    default:
        break;
    }
}

void CFileSelectorPanel::drawBackgroundRect(CDrawContext* context, const CRect& updateRect)
{
    CViewContainer::drawBackgroundRect(context, updateRect);
    for (const CRect& list : {folderListRect(), fileListRect()})
    {
        CRect border(list);
        border.inset(-1, -1);
        context->setFillColor(kBorder);
        context->drawRect(border, kDrawFilled);
        context->setFillColor(kListBackground);
        context->drawRect(list, kDrawFilled);
    }
    context->setFont(kFontSystem);
    context->setFontColor(kText);
    if (m_nameEdit)
    {
        const CRect name = nameRect();
        context->drawString("Name:", CRect(12, name.top, name.left - 4, name.bottom), kLeftText, true);
    }
    const CRect type = typeMenuRect();
    context->drawString("Type:", CRect(12, type.top, type.left - 4, type.bottom), kLeftText, true);
}
