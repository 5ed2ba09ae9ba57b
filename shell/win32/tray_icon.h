#pragma once
// CTrayIcon: the program's icon in the notification area, whose notifications arrive at the
// owner window as WM_TRAY_NOTIFY. The record uses the version-1 size of NOTIFYICONDATAA for
// the build's word size (88 bytes on 32-bit Windows), which every Windows version accepts.

#include <windows.h>
#include <shellapi.h>

namespace velkaro {

class CTrayIcon {
public:
    CTrayIcon();
    // Removes the icon if it is on the taskbar.
    ~CTrayIcon();
    CTrayIcon(const CTrayIcon&) = delete;
    CTrayIcon& operator=(const CTrayIcon&) = delete;

    // Fills the record (tip copied, at most 63 characters) and, when addNow is set, adds it.
    void Setup(HWND owner, const char* tip, UINT identifier, HICON icon, bool addNow);
    // NIM_ADD (skipped, answering TRUE, when the icon is already there), NIM_DELETE (skipped,
    // answering FALSE, when it is not), NIM_MODIFY (always passed on).
    BOOL Notify(DWORD operation);
    void SetIcon(HICON icon);
    // The shell's taskbar was created anew (Explorer restarted): its tray has lost the icon.
    void Readd();
    bool added() const { return added_; }
    HWND owner() const { return owner_; }

private:
    NOTIFYICONDATAA record_;
    bool added_ = false;
    HWND owner_ = nullptr;
};

// The version-1 size of the record: the fields up to a 64-byte tip (88 bytes for 32-bit
// Windows, 104 for 64-bit).
constexpr DWORD kNotifyIconV1Size = DWORD(NOTIFYICONDATAA_V1_SIZE);

}  // namespace velkaro
