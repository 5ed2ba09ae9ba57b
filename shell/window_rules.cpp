#include "window_rules.h"

#include <cctype>

#include "message_cipher.h"

namespace velkaro {

bool IsNearEdge(ScreenPoint cursor, ScreenPoint clientOrigin, int32_t clientWidth,
                int32_t clientHeight) {
    return cursor.x > clientOrigin.x + 2 * (clientWidth / 2) - 20 ||
           cursor.y > clientOrigin.y + 2 * (clientHeight / 2) - 20;
}

ScreenPoint CentreOver(ScreenPoint clientOrigin, int32_t clientWidth, int32_t clientHeight,
                       int32_t width, int32_t height) {
    return {clientOrigin.x + clientWidth / 2 - width / 2,
            clientOrigin.y + clientHeight / 2 - height / 2};
}

TrayTargetKind ClassifyTrayTarget(const std::string& className, int32_t clientWidth,
                                  int32_t clientHeight) {
    if (clientHeight < 30 || clientWidth < 100) return TrayTargetKind::None;
    std::string lower = className.substr(0, 24);
    for (char& c : lower) c = char(std::tolower(static_cast<unsigned char>(c)));
    if (lower == "internet explorer_server") return TrayTargetKind::Browser;
    int32_t position = 0;
    // The same tolerant search that finds block markers: "edit" anywhere in the name.
    if (FindBlockMarker(lower.c_str(), &position, uint32_t(lower.size()), "edit")) {
        return TrayTargetKind::Edit;
    }
    return TrayTargetKind::None;
}

}  // namespace velkaro
