#pragma once
// Composition of a new target text from its pieces (note, block, closing marker, cover
// text, comment delimiters) into one of the application's buffers.

#include <cstddef>
#include <initializer_list>
#include <string_view>

namespace velkaro {

// Joins `pieces` into out, zero-terminated. False, with out untouched, when they do not fit
// in `capacity` bytes (the terminator included). No piece may overlap out.
bool ComposeText(char* out, size_t capacity, std::initializer_list<std::string_view> pieces);

}  // namespace velkaro
