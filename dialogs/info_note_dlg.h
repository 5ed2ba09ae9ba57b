#pragma once
// CInfoNoteDlg: the editor of the informational note (modal, template 174, "Редактировать
// информационное сообщение"). It edits "msgtext.txt" in the program's folder directly: at most
// 255 characters, plain ANSI text without a header. The note the transforms put in front of
// a block is rebuilt from that file elsewhere (AppState::LoadInfoNote).
//
// A save writes the complete new file and only then replaces the old one, so it never leaves
// a half-written note; a save that fails says so and keeps the editor open with the text.

#include <windows.h>

#include <string>

#include "app_state.h"
#include "dialog.h"
#include "message_sink.h"
#include "toolbar.h"

namespace velkaro {

class CInfoNoteDlg : public ui::Dialog {
public:
    // The longest note stored.
    static constexpr size_t kMaxNoteLength = 255;

    CInfoNoteDlg(HINSTANCE module, const AppState& app, MessageSink& messages);
    ~CInfoNoteDlg() override;

    // The note file's path: programDir + "msgtext.txt".
    const std::string& path() const { return path_; }

private:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    bool OnNotify(const NMHDR& header, LRESULT& result) override;
    void OnDestroy() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

    // Reads the note into the edit; a missing file is created empty. An existing file that
    // cannot be read is reported, and the editor starts empty.
    void LoadNote();
    // Stores the edit's first 255 characters as the whole file; false (the message shown)
    // when the file cannot be written.
    bool SaveNote();
    void ShowFailure(uint32_t id);
    void OpenHelp();

    const AppState& app_;
    MessageSink& messages_;
    std::string path_;
    ui::Toolbar toolbar_;
};

}  // namespace velkaro
