#pragma once

#include <string>
#include <vector>

#include "toolkit/CControlListener.h"
#include "toolkit/CNewFileSelector.h"
#include "toolkit/CViewContainer.h"

class CDataBrowser;
class CDialogFrame;
class COptionMenu;
class CTextButton;
class CTextEdit;
class CTextLabel;

// The content of our own file dialog: the folder shown on a path line, its
// subfolders in one list (".." goes up; a double click enters), its files
// of the chosen type in another, a name field for saving, the type menu,
// and Cancel and Open (or Save). Return confirms and Escape cancels; a
// bare name to save under gets the chosen type's extension, an existing
// file is replaced only after asking, and a name that cannot be saved
// under is refused with the reason beside the buttons.
class CFileSelectorPanel : public CViewContainer, public CControlListener
{
public:
    static constexpr CCoord kWidth = 520;
    static constexpr CCoord kHeight = 372;
    static constexpr CCoord kRowHeight = 18;
    // Where the parts lie in the panel, for the panel and its tests.
    static CRect pathRect() { return CRect(12, 10, 508, 30); }
    static CRect folderListRect() { return CRect(12, 36, 180, 262); }
    static CRect fileListRect() { return CRect(188, 36, 508, 262); }
    static CRect nameRect() { return CRect(64, 272, 508, 294); }
    static CRect typeMenuRect() { return CRect(64, 302, 300, 324); }
    static CRect messageRect() { return CRect(12, 336, 324, 360); }
    static CRect cancelRect() { return CRect(332, 336, 412, 360); }
    static CRect okRect() { return CRect(428, 336, 508, 360); }

    CFileSelectorPanel(CDialogFrame* dialog, const CNewFileSelector& selector);
    ~CFileSelectorPanel() override;

    // The chosen paths once the dialog has ended with 1.
    const std::vector<std::string>& getResult() const { return m_result; }
    // Whether the saved name's type is the user's: typed or picked.
    bool isTypeGiven() const { return m_typeGiven; }
    const std::string& getDirectory() const { return m_directory; }
    void changeDirectory(const std::string& path);
    void confirm();
    void cancel();

    void valueChanged(CControl* control) override;
    void drawBackgroundRect(CDrawContext* context, const CRect& updateRect) override;

private:
    class ListSource;
    friend class ListSource;

    void readDirectory();
    void chooseType(std::size_t type);
    void clickFolder(std::int32_t row, CButtonState buttons);
    void clickFile(std::int32_t row, CButtonState buttons);
    // False when the dialog goes on.
    bool confirmSave();
    std::string pathOf(const std::string& name) const;
    bool hasOfferedExtension(const std::string& name) const;
    std::string withExtension(const std::string& name) const;
    // Why a typed name cannot be saved under, or empty.
    std::string refusalOf(const std::string& typed) const;
    void startEditingName();

    CDialogFrame* m_dialog;
    CNewFileSelector::Style m_style;
    bool m_multiple;
    std::string m_title;
    std::vector<CFileExtension> m_types;
    std::size_t m_type = 0;
    bool m_typePicked = false;
    bool m_typeGiven = false;

    std::string m_directory;
    std::vector<std::string> m_folders;
    std::vector<std::string> m_files;
    std::int32_t m_selectedFolder = -1;
    std::vector<bool> m_selectedFiles;
    std::int32_t m_anchor = -1;
    std::vector<std::string> m_result;

    ListSource* m_folderSource;
    ListSource* m_fileSource;
    CTextLabel* m_pathLabel;
    CDataBrowser* m_folderList;
    CDataBrowser* m_fileList;
    CTextEdit* m_nameEdit = nullptr;
    CTextLabel* m_message = nullptr;
    COptionMenu* m_typeMenu;
};
