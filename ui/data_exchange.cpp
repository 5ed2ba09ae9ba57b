#include "data_exchange.h"

#include <cerrno>
#include <cstdlib>
#include <vector>

namespace velkaro::ui {

void DataExchange::Text(int id, char* buffer, size_t capacity) {
    if (capacity == 0) return;
    HWND control = GetDlgItem(dialog_, id);
    if (saving_) {
        GetWindowTextA(control, buffer, int(capacity));
    } else {
        SendMessageA(control, EM_LIMITTEXT, capacity - 1, 0);
        SetWindowTextA(control, buffer);
    }
}

void DataExchange::Text(int id, std::string& value, size_t maxChars) {
    HWND control = GetDlgItem(dialog_, id);
    if (saving_) {
        std::vector<char> text(maxChars + 1, '\0');
        GetWindowTextA(control, text.data(), int(text.size()));
        value.assign(text.data());
    } else {
        SendMessageA(control, EM_LIMITTEXT, maxChars, 0);
        SetWindowTextA(control, value.substr(0, maxChars).c_str());
    }
}

void DataExchange::Check(int id, int32_t& value) {
    if (saving_) {
        value = IsDlgButtonChecked(dialog_, id) == BST_CHECKED ? 1 : 0;
    } else {
        CheckDlgButton(dialog_, id, value ? BST_CHECKED : BST_UNCHECKED);
    }
}

void DataExchange::Radio(std::initializer_list<int> ids, int& index) {
    int i = 0;
    if (saving_) {
        index = -1;
        for (int id : ids) {
            if (IsDlgButtonChecked(dialog_, id) == BST_CHECKED) {
                index = i;
                break;
            }
            ++i;
        }
    } else {
        for (int id : ids) CheckDlgButton(dialog_, id, i++ == index ? BST_CHECKED : BST_UNCHECKED);
    }
}

void DataExchange::Integer(int id, int32_t& value, int32_t min, int32_t max,
                           const std::string& message, const std::string& caption) {
    if (!saving_) {
        SetDlgItemInt(dialog_, id, UINT(value), min < 0);
        return;
    }
    char text[32] = {};
    GetDlgItemTextA(dialog_, id, text, int(sizeof text));
    char* end = nullptr;
    errno = 0;
    const long read = std::strtol(text, &end, 10);
    const bool whole = end != text && *end == '\0' && errno == 0;
    if (!whole || read < min || read > max) {
        failed_ = true;
        MessageBoxA(dialog_, message.c_str(), caption.c_str(), MB_ICONEXCLAMATION | MB_OK);
        HWND control = GetDlgItem(dialog_, id);
        SetFocus(control);
        SendMessageA(control, EM_SETSEL, 0, -1);
        return;
    }
    value = int32_t(read);
}

void WipeControlText(HWND control) {
    const int length = GetWindowTextLengthA(control);
    if (length > 0) {
        // The same length fits the control's buffer, which is then reused, not reallocated.
        std::vector<char> filler(size_t(length) + 1, ' ');
        filler[size_t(length)] = '\0';
        SetWindowTextA(control, filler.data());
    }
    SetWindowTextA(control, "");
}

}  // namespace velkaro::ui
