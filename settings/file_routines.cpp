#include "file_routines.h"

#include <cstdio>

namespace velkaro {

int ReadFilePart(const std::string& path, size_t offset, size_t count, size_t size, void* buffer) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return kFileOpenError;
    // Written as a subtraction so that a large offset or count cannot wrap around.
    size_t available = offset <= size ? size - offset : 0;
    bool shortened = count > available;
    size_t wanted = shortened ? available : count;
    size_t got = 0;
    if (wanted > 0 && offset <= size_t(0x7FFFFFFF) &&
        std::fseek(file, long(offset), SEEK_SET) == 0) {
        got = std::fread(buffer, 1, wanted, file);
    }
    std::fclose(file);
    if (got < wanted) return kFileReadError;
    return shortened ? kFileTruncated : kFileOk;
}

int WriteWholeFile(const std::string& path, size_t length, const void* data) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return kFileOpenError;
    size_t written = length > 0 ? std::fwrite(data, 1, length, file) : 0;
    bool closed = std::fclose(file) == 0;
    return written == length && closed ? kFileOk : kFileWriteError;
}

}  // namespace velkaro
