#include "desktop_link.h"

#include <windows.h>
#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>

#include <string>

#include "com.h"
#include "handles.h"
#include "path_routines.h"

namespace velkaro {
namespace {

// The description is part of the link's data, the same in every language of the program.
constexpr char kDescriptionPrefix[] = "Shortcut to ";
// Prefix of the staging file's unique name (GetTempFileNameA uses up to three characters).
constexpr char kStagingPrefix[] = "vlk";

// An item id list the shell allocated; freed with the COM task allocator.
struct ItemIdListFree {
    void operator()(LPITEMIDLIST list) const { CoTaskMemFree(list); }
};
using UniqueItemIdList = ui::UniqueHandle<LPITEMIDLIST, ItemIdListFree>;

// A file that exists only for the scope: deleted when it goes, whatever happened to it.
class ScopedFile {
public:
    explicit ScopedFile(std::string path) : path_(std::move(path)) {}
    ~ScopedFile() { DeleteFileA(path_.c_str()); }
    ScopedFile(const ScopedFile&) = delete;
    ScopedFile& operator=(const ScopedFile&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// The shell's desktop directory of this user (CSIDL_DESKTOPDIRECTORY); empty when unknown.
std::string DesktopDirectory() {
    UniqueItemIdList list;
    LPITEMIDLIST raw = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, CSIDL_DESKTOPDIRECTORY, &raw))) return {};
    list.reset(raw);
    char path[MAX_PATH] = {};
    if (!SHGetPathFromIDListA(list.get(), path)) return {};
    return path;
}

// The desktop directory, a backslash, programCaption, ".lnk"; empty when the desktop is unknown.
std::string DesktopLinkPath(const AppState& app) {
    std::string directory = DesktopDirectory();
    if (directory.empty()) return {};
    if (directory.back() != '\\') directory += '\\';
    return directory + app.programCaption + ".lnk";
}

// Saves a shell link to `target` with `description` as the file `linkFile`.
bool CreateShellLink(const char* target, const std::string& linkFile,
                     const std::string& description) {
    ui::ComPtr<IShellLinkA> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                link.put_void()))) {
        return false;
    }
    ui::ComPtr<IPersistFile> file;
    if (FAILED(link->QueryInterface(IID_IPersistFile, file.put_void()))) return false;
    if (FAILED(link->SetPath(target)) || FAILED(link->SetDescription(description.c_str()))) {
        return false;
    }
    wchar_t wideName[MAX_PATH] = {};
    if (MultiByteToWideChar(CP_ACP, 0, linkFile.c_str(), -1, wideName, MAX_PATH) == 0) {
        return false;
    }
    return SUCCEEDED(file->Save(wideName, TRUE));
}

}  // namespace

bool DesktopLinkExists(const AppState& app) {
    const std::string path = DesktopLinkPath(app);
    if (path.empty()) return false;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    ui::UniqueKernelHandle closes(file);
    return true;
}

// The link is saved in the program's folder first and then copied to the desktop. The staging
// file gets a unique name, so that it never replaces a file of the user's there, nor the link
// itself when the program lies on the desktop.
bool CreateDesktopLink(const AppState& app) {
    const std::string linkPath = DesktopLinkPath(app);
    char programFolder[kPathCapacity] = {};
    DirectoryOfCommandLine(app.programPath, programFolder);
    if (linkPath.empty() || programFolder[0] == '\0') return false;

    char stagingName[MAX_PATH] = {};
    if (GetTempFileNameA(programFolder, kStagingPrefix, 0, stagingName) == 0) return false;
    ScopedFile staging(stagingName);

    // The shell-link object needs COM on this thread; joining an apartment the caller already
    // entered is harmless.
    ui::ComApartment apartment;
    const std::string description = kDescriptionPrefix + app.programCaption;
    if (!CreateShellLink(app.programPath, staging.path(), description)) return false;
    return CopyFileA(staging.path().c_str(), linkPath.c_str(), FALSE) != FALSE;
}

bool DeleteDesktopLink(const AppState& app) {
    const std::string path = DesktopLinkPath(app);
    if (path.empty()) return true;  // no desktop, so no link on it
    if (DeleteFileA(path.c_str())) return true;
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

}  // namespace velkaro
