#pragma once
// Path routines of the program: the directory part of a command line and the replacement of
// a file name's extension. Both work on ANSI paths in buffers of kPathCapacity bytes.

#include <cstddef>

namespace velkaro {

// MAX_PATH: every path buffer of the program holds this many bytes with its zero.
constexpr size_t kPathCapacity = 260;

// Writes into `out` (kPathCapacity bytes; it may be the buffer of `commandLine` itself) the
// directory part of a command line or a plain path, with its trailing backslash:
//  1. the text without its double quotes and without bytes below 0x20 (spaces stay);
//  2. cut right after the last backslash, searching from the second-to-last character
//     backwards, so a backslash in the very last position is never the one chosen;
//  3. no such backslash: the result is empty.
// Arguments after the program name are not told apart: the last backslash anywhere decides.
// Only "\" separates here, since the text is a Windows command line. A result longer than
// kPathCapacity - 1 bytes is cut to that length, never written past the buffer.
void DirectoryOfCommandLine(const char* commandLine, char* out);

// Replaces, in place, the extension of the file name in `path` (a buffer of `capacity`
// bytes) with `extension`: the last "." found walking back from the end, index 0 never
// tested, is kept and everything after it replaced; without one, "." and the extension are
// appended. A dot in a directory name counts when the file name has none. What would not
// fit the buffer is cut off; the path always stays zero-terminated.
void ReplaceExtension(char* path, const char* extension, size_t capacity = kPathCapacity);

// The help file's path of a module path: its extension replaced by "CHM", then the topic
// "::/nazn.html" appended (kPathCapacity bytes in `out`).
void HelpPathOf(const char* modulePath, char* out);

// The program's directory of a module path: the path cut right after its last separator,
// index 0 never taken; empty when there is none. The directory is that of a real file, so
// "/" separates as well as "\" (the same code runs natively in the tests).
void ProgramDirOf(const char* modulePath, char* out);

// Appends `tail` to the zero-terminated text in `buffer` (`capacity` bytes), cutting what
// does not fit. Answers false when something was cut.
bool AppendBounded(char* buffer, const char* tail, size_t capacity = kPathCapacity);

// Copies `source` into `buffer` (`capacity` bytes), cut to capacity - 1 bytes, zero-terminated.
bool CopyBounded(char* buffer, const char* source, size_t capacity = kPathCapacity);

}  // namespace velkaro
