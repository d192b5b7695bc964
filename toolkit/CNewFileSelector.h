#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "toolkit/CBaseObject.h"
#include "toolkit/CFileExtension.h"

class CFrame;

// The toolkit's file dialog: a title, a folder to start in, a name to
// save under, the file types to offer and, after the dialog, the chosen
// paths (UTF-8). create() gives the dialog of this platform.
class CNewFileSelector : public CBaseObject
{
public:
    enum Style : std::int32_t
    {
        kSelectFile = 0,
        kSelectSaveFile = 1,
        kSelectDirectory = 2,
    };
    // What a delegate hears when the dialog has ended.
    static const char* const kSelectEndMessage;

    static CNewFileSelector* create(CFrame* frame, Style style = kSelectFile);
    ~CNewFileSelector() override;
    CNewFileSelector(const CNewFileSelector&) = delete;
    CNewFileSelector& operator=(const CNewFileSelector&) = delete;

    // Runs the dialog; the delegate, when given, hears kSelectEndMessage
    // once it has ended. False when no dialog could be shown.
    bool run(CBaseObject* delegate);
    void cancel();
    bool runModal();

    // Null clears.
    void setTitle(const char* title);
    void setInitialDirectory(const char* path);
    void setDefaultSaveName(const char* name);
    // Only while none is set: the first equal type becomes the default,
    // appended first when there is none.
    void setDefaultExtension(const CFileExtension& extension);
    void setAllowMultiFileSelection(bool state) { m_allowMultiFileSelection = state; }
    void addFileExtension(const CFileExtension& extension);

    std::int32_t getNumSelectedFiles() const { return static_cast<std::int32_t>(m_result.size()); }
    // Null past the last.
    const char* getSelectedFile(std::uint32_t index) const;
    // A saved file's type came from the user (an extension typed or a type
    // picked), not from the default the dialog appended.
    bool isTypeGiven() const { return m_typeGiven; }

    Style getStyle() const { return m_style; }
    CFrame* getFrame() const { return m_frame; }
    const char* getTitle() const { return m_title ? m_title->c_str() : nullptr; }
    const char* getInitialDirectory() const { return m_initialPath ? m_initialPath->c_str() : nullptr; }
    const char* getDefaultSaveName() const { return m_defaultSaveName ? m_defaultSaveName->c_str() : nullptr; }
    const CFileExtension* getDefaultExtension() const;
    bool getAllowMultiFileSelection() const { return m_allowMultiFileSelection; }
    const std::vector<CFileExtension>& getExtensions() const { return m_extensions; }

protected:
    CNewFileSelector(CFrame* frame, Style style);

    // Shows the dialog and fills the results; tells the delegate at the end.
    virtual bool runInternal(CBaseObject* delegate) = 0;
    virtual void cancelInternal() = 0;
    virtual bool runModalInternal() { return runInternal(nullptr); }

    CFrame* m_frame;
    Style m_style;
    std::optional<std::string> m_title;
    std::optional<std::string> m_initialPath;
    std::optional<std::string> m_defaultSaveName;
    // An index into m_extensions, or -1.
    int m_defaultExtension = -1;
    bool m_allowMultiFileSelection = false;
    std::vector<CFileExtension> m_extensions;
    std::vector<std::string> m_result;
    bool m_typeGiven = false;
};
