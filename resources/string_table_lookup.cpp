#include "string_table.h"

namespace velkaro {

const char* LookupString(uint32_t id) {
    for (const StringEntry* e = StringTableBegin(); e != StringTableEnd(); ++e) {
        if (e->id == id) return e->utf8;
    }
    return nullptr;
}

}  // namespace velkaro
