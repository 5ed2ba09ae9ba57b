#pragma once
// TargetHost: the test's handle on a running target host program (target_host_protocol.h):
// starts it beside the test program, finds its frame, makes it hang and lets it go, and
// closes it at the end, waiting for its exit code (terminated if it does not end).

#include <windows.h>

#include <string>

#include "handles.h"
#include "target_host_protocol.h"
#include "wait_until.h"

namespace velkaro {

class TargetHost {
public:
    // Starts the host in `mode` (L"edit", L"html", L"clipboard") and waits until its frame is
    // ready. ok() is false when it did not start or came up without a frame.
    explicit TargetHost(const std::wstring& mode, const std::wstring& text = L"") {
        static unsigned counter = 0;
        title_ = L"velkaro-adapters-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                 std::to_wstring(++counter);
        std::wstring commandLine = L"\"" + HostPath() + L"\" " + mode + L" " + title_;
        if (!text.empty()) commandLine += L" \"" + text + L"\"";
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info = {};
        if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                            nullptr, &startup, &info)) {
            return;
        }
        process_.reset(info.hProcess);
        CloseHandle(info.hThread);
        WaitUntil([this] {
            frame_ = FindWindowW(kTargetHostClass, title_.c_str());
            return frame_ != nullptr || WaitForSingleObject(process_.get(), 0) == WAIT_OBJECT_0;
        });
    }
    ~TargetHost() {
        Release();
        Finish();
    }
    TargetHost(const TargetHost&) = delete;
    TargetHost& operator=(const TargetHost&) = delete;

    bool ok() const { return frame_ != nullptr; }
    HWND frame() const { return frame_; }
    // The frame's first child of `windowClass` ("Edit", "Internet Explorer_Server").
    HWND Child(const wchar_t* windowClass) const {
        return FindWindowExW(frame_, nullptr, windowClass, nullptr);
    }
    DWORD ProcessId() const { return GetProcessId(process_.get()); }

    // Makes the host's thread stop answering; true once it is stuck.
    bool Hang() {
        hung_.reset(CreateEventW(nullptr, TRUE, FALSE, (title_ + kHungSuffix).c_str()));
        release_.reset(CreateEventW(nullptr, TRUE, FALSE, (title_ + kReleaseSuffix).c_str()));
        if (!hung_ || !release_ || !PostMessageW(frame_, kHangMessage, 0, 0)) return false;
        return WaitForSingleObject(hung_.get(), 30000) == WAIT_OBJECT_0;
    }
    // Lets a hung host go on.
    void Release() {
        if (release_) SetEvent(release_.get());
    }

    // Closes the frame and waits for the end: the host's exit code, or ~0u when it had to be
    // terminated (or never ran).
    DWORD Finish() {
        if (!process_) return finished_;
        if (frame_ != nullptr) PostMessageW(frame_, WM_CLOSE, 0, 0);
        if (WaitForSingleObject(process_.get(), 30000) != WAIT_OBJECT_0) {
            TerminateProcess(process_.get(), ~0u);
            WaitForSingleObject(process_.get(), 30000);
        } else {
            GetExitCodeProcess(process_.get(), &finished_);
        }
        process_.reset();
        frame_ = nullptr;
        return finished_;
    }

private:
    static std::wstring HostPath() {
        wchar_t path[MAX_PATH * 4] = {};
        const DWORD n = GetModuleFileNameW(nullptr, path, DWORD(sizeof path / sizeof path[0]));
        std::wstring directory(path, n);
        directory.erase(directory.find_last_of(L"\\/") + 1);
        return directory + kTargetHostExe;
    }

    std::wstring title_;
    ui::UniqueKernelHandle process_;
    ui::UniqueKernelHandle hung_;
    ui::UniqueKernelHandle release_;
    HWND frame_ = nullptr;
    DWORD finished_ = ~0u;
};

}  // namespace velkaro
