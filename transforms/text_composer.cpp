#include "text_composer.h"

#include <cstring>

namespace velkaro {

bool ComposeText(char* out, size_t capacity, std::initializer_list<std::string_view> pieces) {
    size_t total = 0;
    for (std::string_view piece : pieces) total += piece.size();
    if (capacity == 0 || total > capacity - 1) return false;
    char* p = out;
    for (std::string_view piece : pieces) {
        if (!piece.empty()) std::memcpy(p, piece.data(), piece.size());
        p += piece.size();
    }
    *p = '\0';
    return true;
}

}  // namespace velkaro
