#pragma once
// ClipboardHolder: another thread of the test that holds the clipboard open, as another
// program would, so that the code under test meets a busy clipboard.

#include <windows.h>

#include <condition_variable>
#include <mutex>
#include <thread>

#include "handles.h"

namespace velkaro {

// Another thread that holds the clipboard open until the object goes, with a window of its
// own as another program would (Wine lets a second opening without window through).
class ClipboardHolder {
public:
    ClipboardHolder() {
        thread_ = std::thread([this] {
            ui::UniqueWindow window(CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                                    nullptr, nullptr, nullptr));
            std::unique_lock<std::mutex> lock(mutex_);
            opened_ = window && OpenClipboard(window.get()) != FALSE;
            ready_ = true;
            changed_.notify_all();
            changed_.wait(lock, [this] { return done_; });
            if (opened_) CloseClipboard();
        });
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return ready_; });
    }
    ~ClipboardHolder() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            done_ = true;
        }
        changed_.notify_all();
        thread_.join();
    }
    bool opened() const { return opened_; }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool ready_ = false;
    bool done_ = false;
    bool opened_ = false;
    std::thread thread_;
};

}  // namespace velkaro
