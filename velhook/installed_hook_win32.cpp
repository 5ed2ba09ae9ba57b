#include "installed_hook_win32.h"

namespace velkaro {

InstalledHook::~InstalledHook() { Remove(); }

bool InstalledHook::Install(int kind, HOOKPROC procedure, HINSTANCE module) {
    if (handle_ != nullptr) return true;
    handle_ = SetWindowsHookExA(kind, procedure, module, 0);
    return handle_ != nullptr;
}

bool InstalledHook::Remove() {
    if (handle_ != nullptr && UnhookWindowsHookEx(handle_)) handle_ = nullptr;
    return handle_ == nullptr;
}

}  // namespace velkaro
