#include "toolkit/CNewFileSelector.h"

#include "toolkit/CDialogFrame.h"
#include "toolkit/CFileSelectorPanel.h"
#include "toolkit/CFrame.h"
#include "toolkit/COptionMenu.h"
#include "toolkit/CTextButton.h"

#include "support/FakePlatform.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace
{
using Strings = std::vector<std::string>;

// An editor frame in a fake window and a temporary folder of patches:
// "Bass.fxp", "Lead.fxp", "Pad Two.fxp", "notes.txt" and a folder "Sub".
// The test plays the user inside the modal run.
struct SelectorHost
{
    SelectorHost()
    {
        char pattern[] = "/tmp/zentrova-selector-XXXXXX";
        folder = mkdtemp(pattern);
        for (const char* name : {"Bass.fxp", "Lead.fxp", "Pad Two.fxp", "notes.txt"})
            std::ofstream(folder + "/" + name) << "old";
        fs::create_directory(folder + "/Sub");
        frame = new CFrame(CRect(0, 0, 400, 300), platform.parentWindow(), nullptr);
        window = FakePlatform::windowOf(frame);
    }
    ~SelectorHost()
    {
        frame->release();
        fs::remove_all(folder);
    }

    // Runs a selector of style with the user's actions; the delegate's
    // message and the paths chosen are recorded.
    bool run(CNewFileSelector::Style style, const std::function<void(CNewFileSelector*)>& setUp,
             const std::function<void(CDialogFrame*, CFileSelectorPanel*)>& user)
    {
        CNewFileSelector* selector = CNewFileSelector::create(frame, style);
        selector->setInitialDirectory(folder.c_str());
        if (setUp)
            setUp(selector);
        window->onModalDialog = [&](CFrame* dialog) {
            dialog->idle();
            user(static_cast<CDialogFrame*>(dialog), static_cast<CFileSelectorPanel*>(dialog->getView(0)));
        };
        Delegate delegate(*this);
        const bool ran = selector->run(&delegate);
        paths.clear();
        for (std::int32_t i = 0; i < selector->getNumSelectedFiles(); ++i)
            paths.push_back(selector->getSelectedFile(static_cast<std::uint32_t>(i)));
        EXPECT_EQ(selector->getSelectedFile(static_cast<std::uint32_t>(paths.size())), nullptr);
        selector->release();
        return ran;
    }

    struct Delegate : CBaseObject
    {
        explicit Delegate(SelectorHost& host) : m_host(host) {}
        std::int32_t notify(CBaseObject* sender, const char* message) override
        {
            if (std::strcmp(message, CNewFileSelector::kSelectEndMessage) != 0)
                return 0;
            m_host.toldDelegate.push_back(static_cast<CNewFileSelector*>(sender)->getNumSelectedFiles());
            return 1;
        }
        SelectorHost& m_host;
    };

    FakePlatform platform;
    std::string folder;
    CFrame* frame;
    FakePlatformWindow* window;
    Strings paths;
    std::vector<int> toldDelegate;
};

void click(CFrame* dialog, CPoint where, CButtonState buttons = kButtonLeft)
{
    dialog->onMouseDown(where, buttons);
    dialog->onMouseUp(where, buttons);
}

CPoint rowOf(const CRect& list, int row)
{
    return CPoint(list.left + 10, list.top + row * CFileSelectorPanel::kRowHeight + 5);
}

void press(CFrame* dialog, unsigned char virt)
{
    VstKeyCode key{0, virt, 0};
    dialog->onKeyDown(key);
}

// The name typed into the focused name field, ended with Return.
void typeName(CFrame* dialog, const std::string& name)
{
    FakePlatformWindow* window = FakePlatform::windowOf(dialog);
    if (window->textFields.empty())
        click(dialog, CFileSelectorPanel::nameRect().getTopLeft().offset(4, 4));
    ASSERT_EQ(window->textFields.size(), 1u);
    FakeTextField* field = window->textFields.back();
    field->text = name;
    field->listener->onTextFieldCommand(PlatformTextFieldListener::kReturn);
}

template <class View> View* findView(CViewContainer* container, const char* type)
{
    for (std::int64_t i = 0; CView* view = container->getView(i); ++i)
        if (view->isTypeOf(type))
            return static_cast<View*>(view);
    return nullptr;
}

void addPatchTypes(CNewFileSelector* selector)
{
    selector->setTitle("Save Patch File");
    selector->setDefaultSaveName("Untitled");
    selector->addFileExtension(CFileExtension("VST Patch", "fxp"));
    selector->addFileExtension(CFileExtension("Rtas Patch", "tfx"));
}
} // namespace

TEST(CFileExtension, EqualByExtensionMimeTypeOrTypeCodeAndTheFirstDefaultStays)
{
    EXPECT_EQ(CFileExtension("A", "fxp"), CFileExtension("B", "fxp", "x/a"));
    EXPECT_EQ(CFileExtension("A", "fxp", "x/b"), CFileExtension("B", "fxb", "x/b"));
    EXPECT_EQ(CFileExtension("A", nullptr, nullptr, 0x46784370u), CFileExtension("B", "x", nullptr, 0x46784370u));
    EXPECT_NE(CFileExtension("A", nullptr), CFileExtension("B", nullptr));
    EXPECT_TRUE(CFileExtension("A", "fxp").matches("Bass.FXP"));
    EXPECT_FALSE(CFileExtension("A", "fxp").matches("fxp"));
    EXPECT_TRUE(CFileExtension::allFiles().matches("notes"));

    FakePlatform platform;
    CNewFileSelector* selector = CNewFileSelector::create(nullptr);
    selector->addFileExtension(CFileExtension("VST Patch", "fxp"));
    selector->setDefaultExtension(CFileExtension("Other", "aupreset"));
    selector->setDefaultExtension(CFileExtension("Patch", "fxp"));
    ASSERT_EQ(selector->getExtensions().size(), 2u);
    EXPECT_STREQ(selector->getDefaultExtension()->getExtension(), "aupreset");
    // Without a window no dialog can be shown.
    EXPECT_FALSE(selector->runModal());
    EXPECT_EQ(selector->getSelectedFile(5), nullptr);
    selector->release();
}

TEST(CNewFileSelector, SavingAppendsTheChosenTypesExtensionAndReplacingAsksFirst)
{
    SelectorHost host;
    ASSERT_TRUE(host.run(CNewFileSelector::kSelectSaveFile, addPatchTypes, [](CDialogFrame* dialog, CFileSelectorPanel* panel) {
        auto* types = findView<COptionMenu>(panel, "COptionMenu");
        types->setValue(1);
        panel->valueChanged(types);
        typeName(dialog, "My Patch");
    }));
    EXPECT_EQ(host.paths, Strings{host.folder + "/My Patch.tfx"});
    EXPECT_EQ(host.window->dialogTitles, Strings{"Save Patch File"});

    // An existing file: Cancel in the question leaves the dialog open,
    // Replace ends it with that file.
    std::vector<std::string> questions;
    ASSERT_TRUE(host.run(CNewFileSelector::kSelectSaveFile, addPatchTypes, [&](CDialogFrame* dialog, CFileSelectorPanel*) {
        int answer = 0;
        FakePlatform::windowOf(dialog)->onModalDialog = [&](CFrame* alert) {
            auto* panel = static_cast<CViewContainer*>(alert->getView(0));
            for (std::int64_t i = 0; CView* view = panel->getView(i); ++i)
            {
                auto* button = static_cast<CTextButton*>(view);
                if (i == answer)
                {
                    questions.push_back(button->getTitle());
                    button->press();
                }
            }
        };
        answer = 1;
        typeName(dialog, "Bass");
        EXPECT_TRUE(static_cast<CDialogFrame*>(dialog)->isRunning());
        answer = 0;
        typeName(dialog, "Bass.fxp");
    }));
    EXPECT_EQ(questions, (Strings{"Cancel", "Replace"}));
    EXPECT_EQ(host.paths, Strings{host.folder + "/Bass.fxp"});
    EXPECT_EQ(host.toldDelegate, (std::vector<int>{1, 1}));
}

TEST(CNewFileSelector, EscapeGivesNoResultAndTheDelegateIsStillTold)
{
    SelectorHost host;
    ASSERT_TRUE(host.run(CNewFileSelector::kSelectFile, nullptr, [](CDialogFrame* dialog, CFileSelectorPanel*) {
        click(dialog, rowOf(CFileSelectorPanel::fileListRect(), 0));
        press(dialog, VKEY_ESCAPE);
    }));
    EXPECT_TRUE(host.paths.empty());
    EXPECT_EQ(host.toldDelegate, std::vector<int>{0});
}

TEST(CNewFileSelector, OpeningChoosesSeveralFilesOfTheTypeAndFolderStyleChoosesAFolder)
{
    SelectorHost host;
    auto multiple = [](CNewFileSelector* selector) {
        selector->setAllowMultiFileSelection(true);
        selector->addFileExtension(CFileExtension("VST Patch", "fxp"));
    };
    // Files of the type only, sorted: Bass, Lead, Pad Two.
    ASSERT_TRUE(host.run(CNewFileSelector::kSelectFile, multiple, [](CDialogFrame* dialog, CFileSelectorPanel*) {
        click(dialog, rowOf(CFileSelectorPanel::fileListRect(), 0));
        click(dialog, rowOf(CFileSelectorPanel::fileListRect(), 1), kButtonLeft | kModCommand);
        click(dialog, rowOf(CFileSelectorPanel::fileListRect(), 2), kButtonLeft | kModCommand);
        click(dialog, rowOf(CFileSelectorPanel::fileListRect(), 1), kButtonLeft | kModCommand);
        press(dialog, VKEY_RETURN);
    }));
    EXPECT_EQ(host.paths, (Strings{host.folder + "/Bass.fxp", host.folder + "/Pad Two.fxp"}));

    // A double click enters a folder, ".." goes back up.
    ASSERT_TRUE(host.run(CNewFileSelector::kSelectDirectory, nullptr, [&](CDialogFrame* dialog, CFileSelectorPanel* panel) {
        click(dialog, rowOf(CFileSelectorPanel::folderListRect(), 1), kButtonLeft | kDoubleClick);
        EXPECT_EQ(panel->getDirectory(), host.folder + "/Sub");
        click(dialog, rowOf(CFileSelectorPanel::folderListRect(), 0), kButtonLeft | kDoubleClick);
        click(dialog, rowOf(CFileSelectorPanel::folderListRect(), 1));
        press(dialog, VKEY_RETURN);
    }));
    EXPECT_EQ(host.paths, Strings{host.folder + "/Sub"});
}
