#pragma once
// ReplaceFileContent: writes a file's whole new content so that the old content survives any
// failure. The only place of the settings layer that calls the platform's file API.

#include <cstddef>
#include <cstdint>
#include <string>

namespace velkaro {

// Writes n bytes as the whole new content of the file at `path`, or leaves it untouched: the
// bytes go to a new temporary file in the same directory, which then replaces `path` in one
// step (rename on POSIX, MoveFileExA on Windows). On failure *error (when given) describes it
// and no temporary file is left behind. An existing file keeps its permissions.
bool ReplaceFileContent(const std::string& path, const uint8_t* data, size_t n,
                        std::string* error);

}  // namespace velkaro
