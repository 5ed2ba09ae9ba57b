#pragma once
// The keyboard-layout indicator of the two password windows: a picture control that shows
// "En" or "Ru" for the layout of the program's thread, checked on every timer tick, and a
// click on it that switches to the next layout. Both windows share the language id last shown
// (AppState::layoutLangId), so a change shown in one is not shown again by the other.

#include <windows.h>

#include <cstdint>

#include "handles.h"

namespace velkaro {

// The two pictures, loaded once at start-up and shared by both windows.
struct LayoutPictures {
    ui::UniqueBitmap other;    // bitmap 179, "En"
    ui::UniqueBitmap russian;  // bitmap 181, "Ru"
};

class LayoutIndicator {
public:
    LayoutIndicator(const LayoutPictures& pictures, uint16_t& layoutLangId)
        : pictures_(pictures), layoutLangId_(layoutLangId) {}

    // Makes `control` a centred bitmap static and shows `initial`: the "En" picture for the
    // main window at start, the current layout's for the password dialog.
    void Attach(HWND control, bool showCurrentLayout);
    // A timer tick: the layout of this thread, shown if it differs from the one last shown.
    void Tick();
    // A left click at `point` (client coordinates of `dialog`): on the indicator it switches
    // to the next layout and shows it. True when the click hit the indicator.
    bool Click(HWND dialog, POINT point);

private:
    void Show(uint16_t languageId);

    const LayoutPictures& pictures_;
    uint16_t& layoutLangId_;
    HWND control_ = nullptr;
};

}  // namespace velkaro
