#pragma once
// The link to the program on the user's desktop: programCaption + ".lnk" in the shell's
// desktop directory, pointing at programPath. The link is made by the shell's link object;
// CreateDesktopLink enters COM on the calling thread for the call when the caller has not.

#include "app_state.h"

namespace velkaro {

// The link file exists and opens for reading.
bool DesktopLinkExists(const AppState& app);

// Creates the link or replaces an existing one. False when it could not (no message; the
// caller reports IDS_DESKTOP_LINK_FAILED). Never leaves the staging copy in the program's folder.
bool CreateDesktopLink(const AppState& app);

// Deletes the link. False when a link that exists could not be deleted (no message); a link
// that is not there counts as deleted.
bool DeleteDesktopLink(const AppState& app);

}  // namespace velkaro
