#pragma once
// EditSettings: the tray command "Настройка" (32819). Runs the settings sheet modally over the
// main window; OK applies the pages' values (ApplySettingsSheet: the record, the desktop link,
// the start with Windows, the note, the settings file); Cancel changes nothing.

#include <windows.h>

#include "app_state.h"
#include "message_sink.h"

namespace velkaro {

// `module` holds the sheet's templates and strings; `mainWindow` owns the sheet and is
// disabled while it runs (its posted requests are still dispatched). Needs COM on this thread
// (the desktop link is a shell-link object). Called again while the sheet is open (from the
// tray menu), it brings that sheet to the foreground and returns.
void EditSettings(HINSTANCE module, HWND mainWindow, AppState& app, MessageSink& messages);

}  // namespace velkaro
