#pragma once
// A report file that a test reads while the program runs. Every Write replaces the whole file at
// once: the bytes go to a temporary file beside it, which then takes the report's name
// (MoveFileExW with MOVEFILE_REPLACE_EXISTING, a rename under Wine), so a reader sees either the
// previous report or the new one, never a part.

#include <windows.h>

#include <string>

namespace velkaro::e2e {

class ReportFile {
public:
    ReportFile() = default;
    explicit ReportFile(std::wstring path) : path_(std::move(path)), temporary_(path_ + L".tmp") {}

    bool enabled() const { return !path_.empty(); }
    // False when the temporary file could not be written or renamed; the previous report stays.
    bool Write(const std::string& bytes) const;

private:
    std::wstring path_;
    std::wstring temporary_;
};

}  // namespace velkaro::e2e
