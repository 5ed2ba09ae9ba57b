#include "report_file.h"

#include "handles.h"

namespace velkaro::e2e {

bool ReportFile::Write(const std::string& bytes) const {
    if (path_.empty()) return false;
    {
        ui::UniqueKernelHandle file(CreateFileW(temporary_.c_str(), GENERIC_WRITE, 0, nullptr,
                                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file.get() == INVALID_HANDLE_VALUE) {
            file.release();  // INVALID_HANDLE_VALUE is not a handle to close
            return false;
        }
        DWORD written = 0;
        if (!bytes.empty() &&
            (!WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
             written != bytes.size())) {
            return false;
        }
    }
    return MoveFileExW(temporary_.c_str(), path_.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
}

}  // namespace velkaro::e2e
