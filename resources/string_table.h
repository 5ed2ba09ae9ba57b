#pragma once
// The message table generated from resources/strings.tsv: every user-visible text, UTF-8.
// The program's .rc string table is generated from the same file, so ids and texts agree.

#include <cstdint>

#include "string_ids.h"

namespace velkaro {

struct StringEntry {
    uint32_t id;
    const char* utf8;
};

const StringEntry* StringTableBegin();
const StringEntry* StringTableEnd();

// The UTF-8 text of a string id, or nullptr for an id the table does not hold.
const char* LookupString(uint32_t id);

}  // namespace velkaro
