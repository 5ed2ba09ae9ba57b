#include "resource_strings.h"

#include <vector>

namespace velkaro::ui {

std::string LoadAnsiString(HINSTANCE module, UINT id, size_t capacity) {
    if (capacity == 0) return {};
    std::vector<char> buffer(capacity, '\0');
    const int n = LoadStringA(module, id, buffer.data(), int(capacity));
    return n > 0 ? std::string(buffer.data(), size_t(n)) : std::string();
}

}  // namespace velkaro::ui
