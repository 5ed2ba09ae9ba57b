#pragma once
// Texts of the program's string table in the ANSI code page, as LoadStringA delivers them.

#include <windows.h>

#include <cstddef>
#include <string>

namespace velkaro::ui {

// The string `id` of `module` read through a buffer of `capacity` bytes: a longer text is cut
// to capacity - 1 characters; empty when there is no such string.
std::string LoadAnsiString(HINSTANCE module, UINT id, size_t capacity);

}  // namespace velkaro::ui
