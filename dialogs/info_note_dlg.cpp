#include "info_note_dlg.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "file_replace.h"
#include "file_routines.h"
#include "handles.h"
#include "info_note.h"
#include "quiet_window_scope.h"
#include "resource_ids.h"
#include "screen_centre.h"
#include "string_ids.h"
#include "window_helpers.h"

namespace velkaro {
namespace {

// Whether a new content may take the place of the file at `path`: a file that is not there
// yet, or one that opens for writing. A read-only note, or one another program holds open,
// is not replaced behind the user's back (the replacement itself would not always refuse).
// The probe changes nothing.
bool MayReplace(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return GetLastError() == ERROR_FILE_NOT_FOUND;
    if (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) return false;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ui::UniqueKernelHandle opened(file != INVALID_HANDLE_VALUE ? file : nullptr);
    return bool(opened);
}

}  // namespace

CInfoNoteDlg::CInfoNoteDlg(HINSTANCE module, const AppState& app, MessageSink& messages)
    : ui::Dialog(module, IDD_INFO_NOTE),
      app_(app),
      messages_(messages),
      path_(std::string(app.programDir) + kInfoNoteFileName) {}

CInfoNoteDlg::~CInfoNoteDlg() { Destroy(); }

BOOL CInfoNoteDlg::OnInitDialog() {
    toolbar_.Create(hwnd(), module(), IDR_TOOLBAR_NOTE);
    // The viewer's "clear" button empties the clipboard; here it empties only the note.
    toolbar_.SetTipText(ID_TB_CLEAR, IDS_TIP_CLEAR_TEXT);
    HWND edit = Item(IDC_INFO_NOTE_TEXT);
    // What can be typed is what will be stored.
    SendMessageA(edit, EM_LIMITTEXT, kMaxNoteLength, 0);
    CentreOnScreen(hwnd());
    LoadNote();
    SetFocus(edit);
    return FALSE;  // the focus is set
}

void CInfoNoteDlg::LoadNote() {
    char note[kMaxNoteLength + 1] = {};
    WIN32_FILE_ATTRIBUTE_DATA details = {};
    if (!GetFileAttributesExA(path_.c_str(), GetFileExInfoStandard, &details)) {
        if (GetLastError() == ERROR_FILE_NOT_FOUND) {
            // A missing note file is created empty, so the user starts with an empty text.
            // Should that fail, the save reports it.
            HANDLE file = CreateFileA(path_.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                      CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
            ui::UniqueKernelHandle created(file != INVALID_HANDLE_VALUE ? file : nullptr);
        } else {
            ShowFailure(IDS_FILE_OPEN_ERROR);
        }
    } else if (details.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        ShowFailure(IDS_FILE_OPEN_ERROR);
    } else {
        // Asked for exactly what the file holds (at most 255 bytes), so that only a real
        // failure counts as one: a short note is not a read error.
        const size_t size = details.nFileSizeHigh != 0
                                ? kMaxNoteLength
                                : std::min<size_t>(details.nFileSizeLow, kMaxNoteLength);
        const int code = ReadFilePart(path_, 0, kMaxNoteLength, size, note);
        if (code == kFileOpenError || code == kFileReadError) {
            note[0] = '\0';
            ShowFailure(uint32_t(code));
        }
    }
    // The text ends at the first zero byte, if the file holds one.
    SetWindowTextA(Item(IDC_INFO_NOTE_TEXT), note);
}

bool CInfoNoteDlg::SaveNote() {
    if (!MayReplace(path_)) {
        ShowFailure(IDS_FILE_OPEN_ERROR);
        return false;
    }
    HWND edit = Item(IDC_INFO_NOTE_TEXT);
    const int length = GetWindowTextLengthA(edit);
    std::vector<char> text(size_t(std::max(length, 0)) + 1, '\0');
    const int copied = GetWindowTextA(edit, text.data(), int(text.size()));
    const size_t n = std::min<size_t>(copied > 0 ? size_t(copied) : 0, kMaxNoteLength);
    // The complete new note first, then the replacement: a failure leaves the old file whole.
    if (!ReplaceFileContent(path_, reinterpret_cast<const uint8_t*>(text.data()), n, nullptr)) {
        ShowFailure(IDS_FILE_WRITE_ERROR);
        return false;
    }
    return true;
}

void CInfoNoteDlg::ShowFailure(uint32_t id) {
    QuietWindowScope quiet(hwnd());
    messages_.ShowMessage(id, kStyleStop);
}

void CInfoNoteDlg::OpenHelp() {
    if (ShowHelp(hwnd(), app_.helpPath)) return;
    QuietWindowScope quiet(hwnd());
    messages_.ShowMessage(IDS_HELP_MISSING, kStyleInformation);
}

// The editor has no OK button: Enter belongs to the edit.
void CInfoNoteDlg::OnOK() {}

// Esc and the close box: closed without saving, like "Выход".
void CInfoNoteDlg::OnCancel() { EndDialog(1); }

bool CInfoNoteDlg::OnCommand(UINT id, UINT, HWND) {
    switch (id) {
    case ID_TB_CLEAR:
        SetWindowTextA(Item(IDC_INFO_NOTE_TEXT), "");
        SetFocus(Item(IDC_INFO_NOTE_TEXT));
        return true;
    case ID_TB_SAVE:
        // A failed save keeps the editor open with the text, for another try.
        if (SaveNote()) EndDialog(1);
        return true;
    case ID_TB_HELP:
        OpenHelp();
        return true;
    case ID_TB_EXIT:
        EndDialog(1);
        return true;
    default:
        return false;
    }
}

bool CInfoNoteDlg::OnNotify(const NMHDR& header, LRESULT& result) {
    return toolbar_.HandleNotify(header, result);
}

void CInfoNoteDlg::OnDestroy() { toolbar_.Destroy(); }

bool CInfoNoteDlg::OnMessage(UINT message, WPARAM, LPARAM, INT_PTR& result) {
    if (message != WM_HELP) return false;
    OpenHelp();
    result = TRUE;
    return true;
}

}  // namespace velkaro
