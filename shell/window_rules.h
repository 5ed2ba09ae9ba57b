#pragma once
// The small geometric and naming rules of the main window, as plain functions: where a
// gesture counts, where the password window goes, which windows a tray-started request may
// act on, and which picture the keyboard-layout indicator shows.

#include <cstdint>
#include <string>

namespace velkaro {

struct ScreenPoint {
    int32_t x = 0;
    int32_t y = 0;
};

// A cursor within 20 pixels of the right or the bottom edge of a client area (origin in
// screen coordinates, width and height) — on a scroll bar, say — does not start a request.
// Only those two edges count; the halves are truncated as the window code computes them.
bool IsNearEdge(ScreenPoint cursor, ScreenPoint clientOrigin, int32_t clientWidth,
                int32_t clientHeight);

// The top-left corner that centres a window of outer size (width, height) on a client area.
ScreenPoint CentreOver(ScreenPoint clientOrigin, int32_t clientWidth, int32_t clientHeight,
                       int32_t width, int32_t height);

enum class TrayTargetKind { None, Browser, Edit };

// What a tray-started request finds under the cursor: a browser control (class exactly
// "internet explorer_server"), an edit control ("edit" anywhere in the class name), or none.
// `className` is the name as GetClassNameA reads it into 25 bytes (at most 24 characters),
// any case; a client area under 30 pixels high or 100 wide is no target.
TrayTargetKind ClassifyTrayTarget(const std::string& className, int32_t clientWidth,
                                  int32_t clientHeight);

// The language identifier of the Russian keyboard layout: the indicator shows "Ru" for it and
// "En" for every other layout.
constexpr uint16_t kRussianLanguageId = 1049;
inline bool IsRussianLayout(uint16_t languageId) { return languageId == kRussianLanguageId; }

}  // namespace velkaro
