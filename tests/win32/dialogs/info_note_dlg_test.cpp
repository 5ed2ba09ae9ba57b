// The note editor on a real "msgtext.txt" in the test's own folder: the note loaded, saved
// cut to 255 characters, left alone by "Выход" and Esc, a missing file created empty, and a
// file that cannot be written or read reported without losing what the user typed.

#include "info_note_dlg.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "app_state.h"
#include "cp1251.h"
#include "fake_app_platform.h"
#include "handles.h"
#include "recording_sink.h"
#include "resource_ids.h"
#include "string_ids.h"
#include "temp_dir.h"
#include "toolbar_driver.h"
#include "while_modal.h"

namespace velkaro {
namespace {

constexpr char kNote[] = "msgtext.txt";

std::string EditText(HWND dialog) {
    HWND edit = GetDlgItem(dialog, IDC_INFO_NOTE_TEXT);
    std::vector<char> buffer(size_t(GetWindowTextLengthA(edit)) + 1);
    GetWindowTextA(edit, buffer.data(), int(buffer.size()));
    return buffer.data();
}

class NoteEditorTest : public ::testing::Test {
protected:
    // Runs the editor with `script` inside its loop; the editor always ends with 1.
    void Run(std::function<void(HWND)> script) {
        CInfoNoteDlg editor(GetModuleHandleA(nullptr), *app_, messages_);
        EXPECT_EQ(editor.path(), dir_.File(kNote));
        WhileModal driver(editor, std::move(script));
        EXPECT_EQ(editor.RunModal(nullptr), 1);
        EXPECT_FALSE(editor.hwnd());
    }

    TempDir dir_;
    FakeAppPlatform platform_{dir_.File("velkaro.exe")};
    std::unique_ptr<AppState> app_ = std::make_unique<AppState>(platform_);
    RecordingSink messages_;
};

TEST_F(NoteEditorTest, ShowsTheNoteAndExitLeavesTheFileAsItWas) {
    const std::string note = Cp1251::FromUtf8("Это письмо зашифровано.\r\nКлюч у вас есть.");
    dir_.Write(kNote, note);
    std::string shown;
    bool focusInEdit = false;
    Run([&](HWND dialog) {
        shown = EditText(dialog);
        focusInEdit = GetFocus() == GetDlgItem(dialog, IDC_INFO_NOTE_TEXT);
        SetDlgItemTextA(dialog, IDC_INFO_NOTE_TEXT, "changed, then abandoned");
        ClickToolbarButton(dialog, ID_TB_EXIT);
    });
    EXPECT_EQ(shown, note);
    EXPECT_TRUE(focusInEdit);
    EXPECT_EQ(dir_.Read(kNote), note);
    EXPECT_TRUE(messages_.Ids().empty());
}

TEST_F(NoteEditorTest, ReadsAtMostTheFirst255Bytes) {
    const std::string longer(300, 'x');
    dir_.Write(kNote, longer);
    std::string shown;
    Run([&](HWND dialog) {
        shown = EditText(dialog);
        ClickToolbarButton(dialog, ID_TB_EXIT);
    });
    EXPECT_EQ(shown, std::string(255, 'x'));
    EXPECT_EQ(dir_.Read(kNote), longer);
}

// "Очистить" empties the text only; leaving without saving keeps the file, however the editor
// is left.
struct LeaveCase {
    const char* name;
    std::function<void(HWND)> leave;
};
class LeavingAfterClear : public NoteEditorTest, public ::testing::WithParamInterface<LeaveCase> {};

TEST_P(LeavingAfterClear, LeavesTheFileUnchanged) {
    dir_.Write(kNote, "kept");
    std::string afterClear = "?";
    Run([&](HWND dialog) {
        ClickToolbarButton(dialog, ID_TB_CLEAR);
        afterClear = EditText(dialog);
        GetParam().leave(dialog);
    });
    EXPECT_EQ(afterClear, "");
    EXPECT_EQ(dir_.Read(kNote), "kept");
}

INSTANTIATE_TEST_SUITE_P(
    NoteEditor, LeavingAfterClear,
    ::testing::Values(
        LeaveCase{"Exit", [](HWND dialog) { ClickToolbarButton(dialog, ID_TB_EXIT); }},
        LeaveCase{"EscOrCloseBox", [](HWND dialog) { SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0); }},
        LeaveCase{"CloseMessage", [](HWND dialog) { SendMessageA(dialog, WM_CLOSE, 0, 0); }}),
    [](const auto& tested) { return std::string(tested.param.name); });

struct SaveCase {
    const char* name;
    std::string typed;
    std::string stored;
};
class Saving : public NoteEditorTest, public ::testing::WithParamInterface<SaveCase> {};

TEST_P(Saving, StoresAtMost255CharactersAsTheWholeFile) {
    dir_.Write(kNote, std::string(200, 'o'));
    Run([&](HWND dialog) {
        // WM_SETTEXT passes the edit's limit, as a program's text could.
        SetDlgItemTextA(dialog, IDC_INFO_NOTE_TEXT, GetParam().typed.c_str());
        ClickToolbarButton(dialog, ID_TB_SAVE);
    });
    EXPECT_EQ(dir_.Read(kNote), GetParam().stored);
    EXPECT_TRUE(messages_.Ids().empty());
    EXPECT_EQ(dir_.EntryCount(), 2u) << "the settings file and the note, no temporary file";
}

INSTANTIATE_TEST_SUITE_P(
    NoteEditor, Saving,
    ::testing::Values(
        SaveCase{"ShortNote", Cp1251::FromUtf8("Коротко.\r\nДве строки."),
                 Cp1251::FromUtf8("Коротко.\r\nДве строки.")},
        SaveCase{"Exactly255", std::string(255, 'a'), std::string(255, 'a')},
        SaveCase{"LongerIsCut", std::string(255, 'b') + "tail", std::string(255, 'b')},
        SaveCase{"Empty", "", ""}),
    [](const auto& tested) { return std::string(tested.param.name); });

TEST_F(NoteEditorTest, TypingStopsAt255Characters) {
    LRESULT limit = 0;
    Run([&](HWND dialog) {
        limit = SendDlgItemMessageA(dialog, IDC_INFO_NOTE_TEXT, EM_GETLIMITTEXT, 0, 0);
        ClickToolbarButton(dialog, ID_TB_EXIT);
    });
    EXPECT_EQ(limit, 255);
}

TEST_F(NoteEditorTest, AMissingFileIsCreatedEmpty) {
    ASSERT_FALSE(dir_.Exists(kNote));
    std::string shown = "?";
    bool existsWhileOpen = false;
    Run([&](HWND dialog) {
        shown = EditText(dialog);
        existsWhileOpen = dir_.Exists(kNote);
        ClickToolbarButton(dialog, ID_TB_EXIT);
    });
    EXPECT_EQ(shown, "");
    EXPECT_TRUE(existsWhileOpen);
    EXPECT_EQ(dir_.Read(kNote), "");
    EXPECT_TRUE(messages_.Ids().empty());
}

// A save that fails says so and keeps the editor open with the text, for another try.
TEST_F(NoteEditorTest, AReadOnlyFileIsReportedAndTheTypedTextKept) {
    dir_.Write(kNote, "old note");
    const std::string path = dir_.File(kNote);
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
    std::string shown, keptAfterFailure;
    bool openAfterFailure = false;
    Run([&](HWND dialog) {
        shown = EditText(dialog);
        SetDlgItemTextA(dialog, IDC_INFO_NOTE_TEXT, "new note");
        ClickToolbarButton(dialog, ID_TB_SAVE);
        openAfterFailure = IsWindow(dialog) && IsWindowEnabled(dialog);
        keptAfterFailure = EditText(dialog);
        // Writable again: the same text is saved now.
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        ClickToolbarButton(dialog, ID_TB_SAVE);
    });
    EXPECT_EQ(shown, "old note");
    EXPECT_EQ(messages_.Ids(), std::vector<uint32_t>{IDS_FILE_OPEN_ERROR});
    EXPECT_TRUE(openAfterFailure);
    EXPECT_EQ(keptAfterFailure, "new note");
    EXPECT_EQ(dir_.Read(kNote), "new note");
}

TEST_F(NoteEditorTest, ALockedFileIsReportedAndNothingIsLost) {
    dir_.Write(kNote, "locked note");
    const std::string path = dir_.File(kNote);
    // Another program holds the file open and shares nothing.
    ui::UniqueKernelHandle locked(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr,
                                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_NE(locked.get(), INVALID_HANDLE_VALUE);
    std::string shown = "?", keptAfterFailure;
    std::vector<uint32_t> atOpening;
    Run([&](HWND dialog) {
        shown = EditText(dialog);
        atOpening = messages_.Ids();
        SetDlgItemTextA(dialog, IDC_INFO_NOTE_TEXT, "typed meanwhile");
        ClickToolbarButton(dialog, ID_TB_SAVE);
        keptAfterFailure = EditText(dialog);
        ClickToolbarButton(dialog, ID_TB_EXIT);
    });
    EXPECT_EQ(shown, "");
    EXPECT_EQ(atOpening, std::vector<uint32_t>{IDS_FILE_OPEN_ERROR});
    EXPECT_EQ(messages_.Ids(), (std::vector<uint32_t>{IDS_FILE_OPEN_ERROR, IDS_FILE_OPEN_ERROR}));
    EXPECT_EQ(keptAfterFailure, "typed meanwhile");
    locked.reset();
    EXPECT_EQ(dir_.Read(kNote), "locked note");
}

TEST_F(NoteEditorTest, TooltipsAreTheStringsOfTheCommands) {
    std::vector<std::wstring> tips;
    Run([&](HWND dialog) {
        for (UINT command : {ID_TB_CLEAR, ID_TB_SAVE, ID_TB_HELP, ID_TB_EXIT}) {
            tips.push_back(ToolbarTip(dialog, command));
        }
        ClickToolbarButton(dialog, ID_TB_EXIT);
    });
    EXPECT_EQ(tips, (std::vector<std::wstring>{L"Очистить текст", L"Сохранить", L"Помощь",
                                                L"Выход"}));
}


// F1 and "Помощь" open the help file beside the program; without one the user is told.
TEST_F(NoteEditorTest, HelpWithoutTheHelpFileSaysSo) {
    ASSERT_FALSE(dir_.Exists("velkaro.chm"));
    Run([&](HWND dialog) {
        HELPINFO help = {sizeof help, HELPINFO_WINDOW, 0, dialog, 0, {0, 0}};
        SendMessageA(dialog, WM_HELP, 0, reinterpret_cast<LPARAM>(&help));
        ClickToolbarButton(dialog, ID_TB_HELP);
        ClickToolbarButton(dialog, ID_TB_EXIT);
    });
    EXPECT_EQ(messages_.Ids(), (std::vector<uint32_t>{IDS_HELP_MISSING, IDS_HELP_MISSING}));
}

}  // namespace
}  // namespace velkaro
