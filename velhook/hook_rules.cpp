#include "hook_rules.h"

#include <cstring>

namespace velkaro {
namespace {

constexpr int32_t kMouseMinHeight = 30;       // a mouse target is at least this high ...
constexpr int32_t kMouseMinWidth = 50;        // ... and at least this wide
constexpr int32_t kKeyboardHeightAbove = 30;  // a keyboard target is higher than this ...
constexpr int32_t kKeyboardWidthAbove = 100;  // ... or wider than this

bool IsBrowserClass(const char* lowerClassName) {
    return std::strcmp(lowerClassName, kBrowserClassName) == 0;
}

}  // namespace

bool IsKeyboardGesture(int code, uintptr_t key, uintptr_t keyData, int32_t permission) {
    if (code < 0 || code == kHookCodeNoRemove || permission == 0 || key != kVirtualKeyF10) {
        return false;
    }
    const uint32_t flags = static_cast<uint32_t>(keyData);
    constexpr uint32_t kAltRelease = kKeyDataAltDown | kKeyDataReleased;
    return (flags & kAltRelease) == kAltRelease;
}

void LowerClassName(const char* name, char (&buffer)[kClassNameBufferSize]) {
    std::size_t i = 0;
    for (; i + 1 < kClassNameBufferSize && name[i] != '\0'; ++i) {
        const char c = name[i];
        buffer[i] = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    buffer[i] = '\0';
}

bool IsEditClass(const char* lowerClassName) {
    const char* first = std::strchr(lowerClassName, 'e');
    return first != nullptr && std::strncmp(first, "edit", 4) == 0;
}

HookVerdict DecideMouseTarget(const char* lowerClassName, ClientSize client) {
    if (IsBrowserClass(lowerClassName)) return HookVerdict::BrowserTarget;
    // Small windows are rejected before the class is looked at: this holds for every class.
    if (client.height < kMouseMinHeight || client.width < kMouseMinWidth) {
        return HookVerdict::NoTarget;
    }
    if (IsEditClass(lowerClassName)) return HookVerdict::EditTarget;
    return HookVerdict::PassOn;
}

HookVerdict DecideKeyboardTarget(const char* lowerClassName, ClientSize client) {
    if (IsBrowserClass(lowerClassName)) return HookVerdict::BrowserTarget;
    if (IsEditClass(lowerClassName) &&
        (client.height > kKeyboardHeightAbove || client.width > kKeyboardWidthAbove)) {
        return HookVerdict::EditTarget;
    }
    return HookVerdict::NoTarget;
}

}  // namespace velkaro
