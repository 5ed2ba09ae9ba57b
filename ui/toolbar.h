#pragma once
// Toolbar: the row of picture buttons at the top of the clipboard viewer and the note editor,
// made at run time from a TOOLBAR resource of the program and the bitmap of the same id (one
// picture a button, side by side). Flat, with tooltips whose texts are the string-table
// entries of the buttons' command ids. A click sends the dialog WM_COMMAND with the command
// id, as a menu item would.
//
// The tooltips ask the dialog for their texts (WM_NOTIFY, TTN_NEEDTEXT): the dialog passes
// every notification to HandleNotify from its OnNotify.

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <utility>
#include <vector>

#include "handles.h"

namespace velkaro::ui {

struct ImageListFree {
    void operator()(HIMAGELIST list) const { ImageList_Destroy(list); }
};
using UniqueImageList = UniqueHandle<HIMAGELIST, ImageListFree>;

// The content of a TOOLBAR resource: button size and the command ids in order, 0 for a
// separator.
struct ToolbarLayout {
    int buttonWidth = 0;
    int buttonHeight = 0;
    std::vector<uint16_t> commands;
};

// Reads TOOLBAR resource `id` of `module` (version 1). False when it is missing or malformed.
bool LoadToolbarLayout(HINSTANCE module, UINT id, ToolbarLayout& layout);

class Toolbar {
public:
    // Where the toolbar stands in its dialog (client pixels) and its height.
    static constexpr int kLeft = 5;
    static constexpr int kTop = 2;
    static constexpr int kHeight = 22;
    // Tooltip texts are read through a buffer of this size: at most 59 characters.
    static constexpr size_t kTipCapacity = 60;

    Toolbar() = default;
    ~Toolbar();
    Toolbar(const Toolbar&) = delete;
    Toolbar& operator=(const Toolbar&) = delete;

    // Creates the toolbar in `dialog` from TOOLBAR resource `id` of `module` and bitmap `id`,
    // at (kLeft, kTop) with the dialog's client width and kHeight. The tooltip texts come
    // from `module` too. False when the resource, the pictures or the window fail.
    bool Create(HWND dialog, HINSTANCE module, UINT id);
    // Destroys the window (the dialog calls it from OnDestroy, before its children go).
    void Destroy();

    // Gives button `command` the tooltip of string `stringId` instead of its own id's string
    // (a button whose command means something else in this window).
    void SetTipText(UINT command, UINT stringId);

    void EnableButton(UINT command, bool enable);
    bool IsButtonEnabled(UINT command) const;

    // The dialog's WM_NOTIFY: answers the tooltips' request for a button's text with the
    // string of its command id. True (result 0) when the notification was the toolbar's.
    bool HandleNotify(const NMHDR& header, LRESULT& result);

    HWND hwnd() const { return window_.get(); }

private:
    bool IsOwnNotifier(HWND from) const;

    HINSTANCE module_ = nullptr;
    // Commands whose tooltip is another string: pairs of command and string id.
    std::vector<std::pair<UINT, UINT>> tipTexts_;
    // Declared before the window, so the window (which draws from the list) goes first.
    UniqueImageList images_;
    UniqueWindow window_;
};

}  // namespace velkaro::ui
