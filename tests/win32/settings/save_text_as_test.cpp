// SaveTextAs through the real save dialog, driven as a user would: the title and the proposed
// name; a text saved over a longer file leaves exactly the new text; a new file; Cancel writes
// nothing; a folder that does not exist gives the open error and creates nothing; a file held
// open by another program keeps its content; Help with a hidden owner, and no Help button
// without an owner.

#include "save_text_as.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "cp1251.h"
#include "file_routines.h"
#include "handles.h"
#include "save_dialog_driver.h"
#include "string_ids.h"
#include "string_table.h"
#include "temp_dir.h"

namespace velkaro {
namespace {

using Action = SaveDialogDriver::Action;

const std::string kTitle = Cp1251::FromUtf8("Сохранить файл");
const std::string kUntitled = Cp1251::FromUtf8("Безымянный");

// The test's folder is the current directory for the scope, where the dialog starts; the
// dialog moves the current directory to the folder of a saved file, so it is put back.
class CurrentDirectory {
public:
    explicit CurrentDirectory(const std::string& path) {
        GetCurrentDirectoryA(sizeof previous_, previous_);
        SetCurrentDirectoryA(path.c_str());
    }
    ~CurrentDirectory() { SetCurrentDirectoryA(previous_); }
    CurrentDirectory(const CurrentDirectory&) = delete;
    CurrentDirectory& operator=(const CurrentDirectory&) = delete;

private:
    char previous_[MAX_PATH] = {};
};

// A hidden window that owns the dialog, as the tray program's hidden main window does, and
// counts the help requests the dialog sends it.
class HiddenOwner {
public:
    HiddenOwner() {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = &Procedure;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "VelkaroTestHiddenOwner";
        RegisterClassA(&windowClass);
        window_.reset(CreateWindowExA(0, windowClass.lpszClassName, "owner", WS_OVERLAPPEDWINDOW,
                                      0, 0, 100, 100, nullptr, nullptr, windowClass.hInstance,
                                      nullptr));
        SetWindowLongPtrA(window_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    HWND get() const { return window_.get(); }
    int helpRequests() const { return helpRequests_; }

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        static const UINT helpMessage = RegisterWindowMessageA(HELPMSGSTRINGA);
        if (message == helpMessage) {
            if (auto* self = reinterpret_cast<HiddenOwner*>(GetWindowLongPtrA(window, GWLP_USERDATA))) {
                ++self->helpRequests_;
            }
            return 0;
        }
        return DefWindowProcA(window, message, wParam, lParam);
    }

    ui::UniqueWindow window_;
    int helpRequests_ = 0;
};

class SaveTextAsTest : public ::testing::Test {
protected:
    TempDir folder_;
    CurrentDirectory current_{folder_.Path()};
    HiddenOwner owner_;
};

TEST_F(SaveTextAsTest, TheDialogShowsTheTitleAndTheProposedName) {
    ASSERT_EQ(kTitle, Cp1251::FromUtf8(LookupString(IDS_SAVE_DIALOG_TITLE)));
    SaveDialogDriver driver(kTitle, Action::Cancel);

    EXPECT_EQ(SaveTextAs(owner_.get(), "text", kUntitled.c_str()), 0);

    const SaveDialogDriver::Seen seen = driver.Result();
    ASSERT_TRUE(seen.found) << "no dialog titled with the save title";
    EXPECT_EQ(seen.proposedName, kUntitled);
    EXPECT_EQ(seen.owner, owner_.get());
    EXPECT_TRUE(seen.helpButton);
}

TEST_F(SaveTextAsTest, WritesTheTextAsTheWholeNewContent) {
    const std::string text = Cp1251::FromUtf8("Новый текст\r\nвторая строка");
    struct Case {
        const char* name;
        const char* existing;  // the file's content before, or null when there is none
        std::string text;
    } cases[] = {
        {"over a longer file", "an old content that is much longer than the new text", text},
        {"a new file", nullptr, text},
        {"an empty text over a file", "old", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        folder_.Remove("letter.txt");
        if (c.existing) folder_.Write("letter.txt", c.existing);
        SaveDialogDriver driver(kTitle, Action::Save, "letter.txt");

        EXPECT_EQ(SaveTextAs(owner_.get(), c.text.c_str(), kUntitled.c_str()), kFileOk);

        const SaveDialogDriver::Seen seen = driver.Result();
        ASSERT_TRUE(seen.found);
        EXPECT_EQ(seen.replaceAsked, c.existing != nullptr) << "the overwrite question";
        EXPECT_EQ(folder_.Read("letter.txt"), c.text);
        EXPECT_EQ(folder_.EntryCount(), 1u) << "no temporary file left beside it";
    }
}

TEST_F(SaveTextAsTest, CancelWritesNothing) {
    folder_.Write("letter.txt", "kept");
    SaveDialogDriver driver(kTitle, Action::Cancel);

    EXPECT_EQ(SaveTextAs(owner_.get(), "new text", "letter.txt"), 0);

    EXPECT_TRUE(driver.Result().found);
    EXPECT_EQ(folder_.Read("letter.txt"), "kept");
    EXPECT_EQ(folder_.EntryCount(), 1u);
}

TEST_F(SaveTextAsTest, AFolderThatDoesNotExistGivesTheOpenErrorAndCreatesNothing) {
    SaveDialogDriver driver(kTitle, Action::Save, folder_.File("missing") + "\\letter.txt");

    EXPECT_EQ(SaveTextAs(owner_.get(), "text", kUntitled.c_str()), kFileOpenError);

    EXPECT_TRUE(driver.Result().found);
    EXPECT_EQ(folder_.EntryCount(), 0u);
}

// Another program holds the file open: sharing nothing, it cannot be opened; sharing reading
// and writing but not its deletion, it opens but cannot be replaced. Either way the file keeps
// its content and no temporary file is left.
TEST_F(SaveTextAsTest, AFileHeldByAnotherProgramKeepsItsContent) {
    struct Case {
        const char* name;
        DWORD sharing;
        int result;
    } cases[] = {
        {"sharing nothing", 0, kFileOpenError},
        {"sharing all but deletion", FILE_SHARE_READ | FILE_SHARE_WRITE, kFileWriteError},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        folder_.Write("letter.txt", "kept");
        ui::UniqueKernelHandle held(CreateFileA(folder_.File("letter.txt").c_str(), GENERIC_READ,
                                                c.sharing, nullptr, OPEN_EXISTING,
                                                FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_NE(held.get(), INVALID_HANDLE_VALUE);
        SaveDialogDriver driver(kTitle, Action::Save, "letter.txt");

        EXPECT_EQ(SaveTextAs(owner_.get(), "new text", kUntitled.c_str()), c.result);

        EXPECT_TRUE(driver.Result().found);
        held.reset();
        EXPECT_EQ(folder_.Read("letter.txt"), "kept");
        EXPECT_EQ(folder_.EntryCount(), 1u);
    }
}

// Windows sends the Help button's request to the owner (Wine's dialog sends nothing); a hidden
// owner takes it and the dialog goes on. Without an owner nobody would answer the button.
TEST_F(SaveTextAsTest, HelpGoesToAHiddenOwnerAndIsNotOfferedWithoutOne) {
    {
        SaveDialogDriver driver(kTitle, Action::HelpThenCancel);
        EXPECT_EQ(SaveTextAs(owner_.get(), "text", kUntitled.c_str()), 0);
        const SaveDialogDriver::Seen seen = driver.Result();
        EXPECT_TRUE(seen.helpButton);
        EXPECT_TRUE(seen.answeredAfterHelp) << "the dialog still answers after Help";
        EXPECT_LE(owner_.helpRequests(), 1);
    }
    {
        SaveDialogDriver driver(kTitle, Action::Cancel);
        EXPECT_EQ(SaveTextAs(nullptr, "text", kUntitled.c_str()), 0);
        const SaveDialogDriver::Seen seen = driver.Result();
        ASSERT_TRUE(seen.found);
        EXPECT_FALSE(seen.helpButton) << "a Help button that nobody would answer";
    }
}

}  // namespace
}  // namespace velkaro
