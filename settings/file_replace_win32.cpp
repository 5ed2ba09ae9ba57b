// ReplaceFileContent on Windows: a new file beside the target, flushed, then MoveFileExA.
#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "file_replace.h"

namespace velkaro {

bool ReplaceFileContent(const std::string& path, const uint8_t* data, size_t n,
                        std::string* error) {
    std::string temporary;
    int fd = -1;
    for (unsigned attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = path + ".velkaro-" + std::to_string(GetCurrentProcessId()) + "-" +
                    std::to_string(attempt);
        fd = _open(temporary.c_str(), _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY,
                   _S_IREAD | _S_IWRITE);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) {
        if (error) *error = std::strerror(errno);
        return false;
    }
    bool ok = true;
    while (ok && n > 0) {
        unsigned chunk = unsigned(n > 0x10000 ? 0x10000 : n);
        int written = _write(fd, data, chunk);
        if (written <= 0) {
            ok = false;
            break;
        }
        data += written;
        n -= size_t(written);
    }
    int savedErrno = errno;
    if (ok && _commit(fd) != 0) ok = false, savedErrno = errno;
    if (_close(fd) != 0 && ok) ok = false, savedErrno = errno;
    if (ok && !MoveFileExA(temporary.c_str(), path.c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DWORD code = GetLastError();
        DeleteFileA(temporary.c_str());
        if (error) *error = "MoveFileExA failed, error " + std::to_string(code);
        return false;
    }
    if (!ok) {
        DeleteFileA(temporary.c_str());
        if (error) *error = std::strerror(savedErrno);
    }
    return ok;
}

}  // namespace velkaro
