#include "path_routines.h"

#include <cstring>
#include <string>

namespace velkaro {

bool CopyBounded(char* buffer, const char* source, size_t capacity) {
    if (capacity == 0) return false;
    buffer[0] = '\0';
    return AppendBounded(buffer, source, capacity);
}

bool AppendBounded(char* buffer, const char* tail, size_t capacity) {
    if (capacity == 0) return false;
    size_t used = strnlen(buffer, capacity - 1);
    size_t tailLength = std::strlen(tail);
    size_t room = capacity - 1 - used;
    size_t copied = tailLength < room ? tailLength : room;
    std::memmove(buffer + used, tail, copied);
    buffer[used + copied] = '\0';
    return copied == tailLength;
}

void DirectoryOfCommandLine(const char* commandLine, char* out) {
    // The filtered copy is built apart from `out`, so `out` may be the input buffer.
    std::string copy;
    for (const char* p = commandLine; *p != '\0'; ++p) {
        unsigned char c = static_cast<unsigned char>(*p);
        if (c == '"' || c < 0x20) continue;
        copy.push_back(char(c));
    }
    size_t cut = 0;
    for (size_t i = copy.size() >= 2 ? copy.size() - 1 : 0; i > 0; --i) {
        if (copy[i - 1] == '\\') {
            cut = i;
            break;
        }
    }
    copy.resize(cut);
    CopyBounded(out, copy.c_str());
}

void ReplaceExtension(char* path, const char* extension, size_t capacity) {
    if (capacity == 0) return;
    size_t length = strnlen(path, capacity - 1);
    path[length] = '\0';
    size_t dot = 0;
    for (size_t i = length; i > 1; --i) {
        if (path[i - 1] == '.') {
            dot = i - 1;
            break;
        }
    }
    if (dot > 0) {
        path[dot + 1] = '\0';
    } else {
        AppendBounded(path, ".", capacity);
    }
    AppendBounded(path, extension, capacity);
}

void HelpPathOf(const char* modulePath, char* out) {
    CopyBounded(out, modulePath);
    ReplaceExtension(out, "CHM");
    AppendBounded(out, "::/nazn.html");
}

void ProgramDirOf(const char* modulePath, char* out) {
    CopyBounded(out, modulePath);
    size_t cut = 0;
    for (size_t i = std::strlen(out); i > 1; --i) {
        if (out[i - 1] == '\\' || out[i - 1] == '/') {
            cut = i;
            break;
        }
    }
    out[cut] = '\0';
}

}  // namespace velkaro
