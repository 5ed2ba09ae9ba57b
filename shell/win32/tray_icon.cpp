#include "tray_icon.h"

#include <cstddef>
#include <cstring>

#include "resource_ids.h"

namespace velkaro {

static_assert(kNotifyIconV1Size == (sizeof(void*) == 4 ? 88 : 104),
              "the record of version 1 for the build's word size");

CTrayIcon::CTrayIcon() { std::memset(&record_, 0, sizeof record_); }

CTrayIcon::~CTrayIcon() { Notify(NIM_DELETE); }

void CTrayIcon::Setup(HWND owner, const char* tip, UINT identifier, HICON icon, bool addNow) {
    owner_ = owner;
    record_.cbSize = kNotifyIconV1Size;
    record_.hWnd = owner;
    record_.uID = identifier;
    record_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    record_.uCallbackMessage = WM_TRAY_NOTIFY;
    record_.hIcon = icon;
    lstrcpynA(record_.szTip, tip, 64);
    if (addNow) Notify(NIM_ADD);
}

BOOL CTrayIcon::Notify(DWORD operation) {
    switch (operation) {
    case NIM_ADD:
        if (added_) return TRUE;
        added_ = true;
        return Shell_NotifyIconA(NIM_ADD, &record_);
    case NIM_DELETE:
        if (!added_) return FALSE;
        added_ = false;
        record_.uFlags = 0;
        return Shell_NotifyIconA(NIM_DELETE, &record_);
    default:
        return Shell_NotifyIconA(operation, &record_);
    }
}

void CTrayIcon::SetIcon(HICON icon) {
    record_.hIcon = icon;
    Notify(NIM_MODIFY);
}

void CTrayIcon::Readd() {
    if (!owner_) return;
    // A NIM_DELETE clears uFlags; the record is whole again before it is added.
    record_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    added_ = false;
    Notify(NIM_ADD);
}

}  // namespace velkaro
