#include "menu_reader.h"

#include <vector>

namespace velkaro::e2e {

namespace {

struct HookFree {
    void operator()(HHOOK hook) const { UnhookWindowsHookEx(hook); }
};
using UniqueHook = ui::UniqueHandle<HHOOK, HookFree>;

std::wstring OwnFolder() {
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            std::wstring full(path.data(), length);
            size_t slash = full.find_last_of(L"\\/");
            return slash == std::wstring::npos ? std::wstring() : full.substr(0, slash + 1);
        }
        path.resize(path.size() * 2);
    }
}

}  // namespace

MenuReader::MenuReader() {
    library_.reset(LoadLibraryW((OwnFolder() + L"menu_probe.dll").c_str()));
    if (!library_) {
        error_ = "menu_probe.dll could not be loaded";
        return;
    }
    hook_ = reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(GetProcAddress(library_.get(), kMenuProbeHookName)));
    auto data = reinterpret_cast<MenuProbeDataFunction>(
        reinterpret_cast<void*>(GetProcAddress(library_.get(), kMenuProbeDataName)));
    if (!hook_ || !data) {
        error_ = "menu_probe.dll lacks its exports";
        library_.reset();
        return;
    }
    data_ = data();
    message_ = RegisterWindowMessageW(kMenuProbeMessage);
}

std::string MenuReader::Items(HWND menuWindow, UINT timeoutMs) {
    if (!library_) return {};
    DWORD thread = GetWindowThreadProcessId(menuWindow, nullptr);
    UniqueHook hook(SetWindowsHookExW(WH_CALLWNDPROC, hook_, library_.get(), thread));
    if (!hook) {
        error_ = "SetWindowsHookExW (WH_CALLWNDPROC) failed";
        return {};
    }
    LONG request = ++lastRequest_;
    InterlockedExchange(&data_->request, request);
    DWORD_PTR result = 0;
    // The hook runs in the menu's thread before the window procedure sees the message, so its
    // answer is in place when the send returns.
    if (!SendMessageTimeoutW(menuWindow, message_, kMenuProbeMagic, request, SMTO_ABORTIFHUNG | SMTO_BLOCK,
                             timeoutMs, &result)) {
        error_ = "the menu's thread did not answer in time";
        return {};
    }
    if (InterlockedCompareExchange(&data_->answered, request, request) != request) {
        error_ = "the probe hook did not answer";
        return {};
    }
    error_.clear();
    return std::string(data_->json, static_cast<size_t>(data_->length));
}

}  // namespace velkaro::e2e
