#include "edit_control_target.h"

#include <cstring>

namespace velkaro {

EditControlTarget::EditControlTarget(HWND window) : window_(window) {}

bool EditControlTarget::Send(UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR* result) {
    *result = 0;
    if (SendMessageTimeoutA(window_, message, wParam, lParam, kSendFlags, kTimeoutMs, result) == 0) {
        responded_ = false;
        return false;
    }
    return true;
}

uint32_t EditControlTarget::GetText(char* buffer, uint32_t capacity) {
    if (capacity == 0) return 0;
    buffer[0] = '\0';
    DWORD_PTR reported = 0;
    if (!Send(WM_GETTEXT, WPARAM(capacity), reinterpret_cast<LPARAM>(buffer), &reported)) {
        buffer[0] = '\0';
        return 0;
    }
    // The count is what the buffer holds, whatever the control reported: a control may count
    // differently (bytes against characters) or forget the terminator.
    size_t length = strnlen(buffer, capacity - 1);
    if (reported < length) length = size_t(reported);
    buffer[length] = '\0';
    return uint32_t(length);
}

void EditControlTarget::SetText(const char* text) {
    DWORD_PTR ignored = 0;
    Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text), &ignored);
}

}  // namespace velkaro
