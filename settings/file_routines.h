#pragma once
// The small file routines of the dialogs. Each answers 1 on success or the string-table id of
// the message that describes the failure; none shows a message itself.

#include <cstddef>
#include <cstdint>
#include <string>

namespace velkaro {

// Result codes (each also the id of its message).
enum FileResult : int {
    kFileOk = 1,
    kFileReadError = 32814,   // "Ошибка при чтеннии файла": fewer bytes read than asked for
    kFileOpenError = 32815,   // "Ошибка при открытии файла": could not open or create it
    kFileWriteError = 32816,  // "Ошибка при записи в файл": fewer bytes written than asked for
    kFileTruncated = 32830,   // "Файл обрезан": the range reached past `size`; the part up to it was read
};

// Opens the file for binary reading, positions at `offset` and reads `count` bytes into
// `buffer`, or only size - offset bytes when offset + count exceeds `size` (the caller's idea
// of the file's length; it is not measured). An offset beyond `size` reads nothing and
// answers kFileTruncated. Answers kFileOpenError, kFileReadError (fewer bytes arrived than
// were asked for), kFileTruncated, or kFileOk, in that order of precedence.
int ReadFilePart(const std::string& path, size_t offset, size_t count, size_t size, void* buffer);

// Creates the file, or empties an existing one, and writes `length` bytes of `data` (binary).
// Answers kFileOpenError, kFileWriteError or kFileOk.
int WriteWholeFile(const std::string& path, size_t length, const void* data);

}  // namespace velkaro
