#pragma once
// The white background of the program's dialogs and their controls: one solid brush, made on
// first use and reused for every control-colour request until it is released.

#include <windows.h>

#include "handles.h"

namespace velkaro::ui {

class WhiteBrush {
public:
    HBRUSH get() {
        if (!brush_) brush_.reset(CreateSolidBrush(RGB(255, 255, 255)));
        return brush_.get();
    }
    void release() { brush_.reset(); }
    // The answer to WM_CTLCOLOR*: the brush, with the text drawn on a white background.
    HBRUSH Paint(HDC dc) {
        SetBkColor(dc, RGB(255, 255, 255));
        return get();
    }

private:
    UniqueBrush brush_;
};

}  // namespace velkaro::ui
