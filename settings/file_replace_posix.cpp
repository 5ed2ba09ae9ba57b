// ReplaceFileContent on POSIX systems: mkstemp beside the target, fsync, rename.
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "file_replace.h"

namespace velkaro {
namespace {

bool WriteAll(int fd, const uint8_t* p, size_t n) {
    while (n > 0) {
        ssize_t written = write(fd, p, n);
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += written;
        n -= size_t(written);
    }
    return true;
}

}  // namespace

bool ReplaceFileContent(const std::string& path, const uint8_t* data, size_t n,
                        std::string* error) {
    std::string pattern = path + ".XXXXXX";
    int fd = mkstemp(&pattern[0]);
    if (fd < 0) {
        if (error) *error = std::strerror(errno);
        return false;
    }
    // An existing file keeps its permissions; a new one gets the usual ones (the
    // temporary file is created readable by its owner only).
    struct stat existing;
    mode_t mode = 0666;
    if (stat(path.c_str(), &existing) == 0) {
        mode = existing.st_mode & 07777;
    } else {
        mode_t mask = umask(0);
        umask(mask);
        mode &= ~mask;
    }
    bool ok = WriteAll(fd, data, n) && fchmod(fd, mode) == 0 && fsync(fd) == 0;
    int savedErrno = errno;
    if (close(fd) != 0 && ok) {
        ok = false;
        savedErrno = errno;
    }
    if (ok && rename(pattern.c_str(), path.c_str()) != 0) {
        ok = false;
        savedErrno = errno;
    }
    if (!ok) {
        unlink(pattern.c_str());
        if (error) *error = std::strerror(savedErrno);
    }
    return ok;
}

}  // namespace velkaro
