#pragma once
// WhileModal: runs a script once, from the message loop of whatever modal run is under way,
// as soon as the dialog has its window. The dialogs are driven from inside their own loops
// as a user would drive them. A script that leaves the dialog open (a button that did not
// answer) fails the test and ends the run, rather than leaving the test waiting forever.

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <utility>

#include "dialog.h"

namespace velkaro {

class WhileModal {
public:
    // How long the dialog may stay open after the script has run.
    static constexpr UINT kGraceMs = 20000;

    WhileModal(ui::Dialog& dialog, std::function<void(HWND)> action)
        : dialog_(dialog), action_(std::move(action)) {
        current_ = this;
        timer_ = SetTimer(nullptr, 0, 10, &WhileModal::Tick);
    }
    ~WhileModal() {
        if (timer_) KillTimer(nullptr, timer_);
        if (watchdog_) KillTimer(nullptr, watchdog_);
        current_ = nullptr;
    }
    WhileModal(const WhileModal&) = delete;
    WhileModal& operator=(const WhileModal&) = delete;

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        WhileModal* self = current_;
        if (!self || !self->dialog_.hwnd() || !self->action_) return;
        KillTimer(nullptr, self->timer_);
        self->timer_ = 0;
        auto action = std::move(self->action_);
        self->action_ = nullptr;
        self->watchdog_ = SetTimer(nullptr, 0, kGraceMs, &WhileModal::Watchdog);
        action(self->dialog_.hwnd());
    }
    static void CALLBACK Watchdog(HWND, UINT, UINT_PTR, DWORD) {
        WhileModal* self = current_;
        if (!self) return;
        KillTimer(nullptr, self->watchdog_);
        self->watchdog_ = 0;
        if (!self->dialog_.hwnd()) return;
        ADD_FAILURE() << "the dialog is still open after its script";
        self->dialog_.EndDialog(-1);
    }

    static inline WhileModal* current_ = nullptr;
    ui::Dialog& dialog_;
    std::function<void(HWND)> action_;
    UINT_PTR timer_ = 0;
    UINT_PTR watchdog_ = 0;
};

}  // namespace velkaro
