#include "shell_integration_win32.h"

#include "autostart.h"
#include "desktop_link.h"

namespace velkaro {

bool ShellIntegrationWin32::DesktopLinkExists() { return velkaro::DesktopLinkExists(app_); }

bool ShellIntegrationWin32::CreateDesktopLink() { return velkaro::CreateDesktopLink(app_); }

bool ShellIntegrationWin32::DeleteDesktopLink() { return velkaro::DeleteDesktopLink(app_); }

bool ShellIntegrationWin32::SetAutoStart(bool on) { return velkaro::SetAutoStart(app_, messages_, on); }

}  // namespace velkaro
