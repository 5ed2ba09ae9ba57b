#pragma once
// ShellIntegrationWin32: the desktop link in the shell's desktop folder and the start with
// Windows in the registry's Run key, for the program that AppState describes.

#include "app_state.h"
#include "message_sink.h"
#include "shell_integration.h"

namespace velkaro {

class ShellIntegrationWin32 : public ShellIntegration {
public:
    // Both must outlive this object; `messages` shows a refused autostart registration.
    ShellIntegrationWin32(const AppState& app, MessageSink& messages) : app_(app), messages_(messages) {}

    bool DesktopLinkExists() override;
    bool CreateDesktopLink() override;
    bool DeleteDesktopLink() override;
    bool SetAutoStart(bool on) override;

private:
    const AppState& app_;
    MessageSink& messages_;
};

}  // namespace velkaro
