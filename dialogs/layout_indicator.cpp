#include "layout_indicator.h"

#include "window_rules.h"

namespace velkaro {
namespace {

uint16_t CurrentLanguageId() {
    return uint16_t(reinterpret_cast<uintptr_t>(GetKeyboardLayout(0)) & 0xFFFF);
}

}  // namespace

void LayoutIndicator::Attach(HWND control, bool showCurrentLayout) {
    control_ = control;
    const LONG_PTR style = GetWindowLongPtrA(control, GWL_STYLE);
    SetWindowLongPtrA(control, GWL_STYLE, (style & ~LONG_PTR(SS_TYPEMASK)) | SS_BITMAP | SS_CENTERIMAGE);
    if (showCurrentLayout) {
        layoutLangId_ = CurrentLanguageId();
        Show(layoutLangId_);
    } else {
        SendMessageA(control, STM_SETIMAGE, IMAGE_BITMAP,
                     reinterpret_cast<LPARAM>(pictures_.other.get()));
    }
}

void LayoutIndicator::Tick() {
    const uint16_t language = CurrentLanguageId();
    if (language == layoutLangId_) return;
    layoutLangId_ = language;
    Show(language);
}

bool LayoutIndicator::Click(HWND dialog, POINT point) {
    if (!control_ || ChildWindowFromPointEx(dialog, point, CWP_ALL) != control_) return false;
    ActivateKeyboardLayout(reinterpret_cast<HKL>(HKL_NEXT), KLF_REORDER);
    layoutLangId_ = CurrentLanguageId();
    Show(layoutLangId_);
    return true;
}

void LayoutIndicator::Show(uint16_t languageId) {
    if (!control_) return;
    HBITMAP picture = IsRussianLayout(languageId) ? pictures_.russian.get() : pictures_.other.get();
    SendMessageA(control_, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(picture));
}

}  // namespace velkaro
