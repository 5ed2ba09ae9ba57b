#include "save_text_as.h"

#include <commdlg.h>

#include <cstdint>
#include <string>

#include "file_replace.h"
#include "file_routines.h"
#include "handles.h"
#include "path_routines.h"
#include "resource_strings.h"
#include "secure_wipe.h"
#include "string_ids.h"

namespace velkaro {
namespace {

// The dialog's file-name buffer: the proposed name in, the chosen path out.
constexpr size_t kFileNameCapacity = 256;
// The dialog's title and filter entry are read through buffers of this size.
constexpr size_t kCaptionCapacity = 256;

// Whether `path` may receive a new content: an existing file that opens for writing, or a new
// file that can be created in its folder. Both probes leave the file system as it was: the
// existing file is opened without being changed, the new one is deleted as it is closed.
bool CanOpenForWriting(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (exists && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
    const DWORD sharing = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    HANDLE probe = exists
        ? CreateFileA(path.c_str(), GENERIC_WRITE, sharing, nullptr, OPEN_EXISTING,
                      FILE_ATTRIBUTE_NORMAL, nullptr)
        : CreateFileA(path.c_str(), GENERIC_WRITE, sharing, nullptr, CREATE_NEW,
                      FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (probe == INVALID_HANDLE_VALUE) return false;
    ui::UniqueKernelHandle closes(probe);
    return true;
}

// A copy of the text to save, wiped when it goes: it may be a letter just opened.
class TextCopy {
public:
    explicit TextCopy(const char* text) : text_(text ? text : "") {}
    ~TextCopy() { SecureWipe(text_.data(), text_.size()); }
    TextCopy(const TextCopy&) = delete;
    TextCopy& operator=(const TextCopy&) = delete;
    const std::string& get() const { return text_; }

private:
    std::string text_;
};

// The filter of the dialog: one entry, every file. Pairs of zero-terminated texts, then a zero.
std::string AllFilesFilter(HINSTANCE resources) {
    std::string label = ui::LoadAnsiString(resources, IDS_SAVE_FILTER_ALL, kCaptionCapacity);
    if (label.empty()) label = "*.*";
    std::string filter = label;
    filter.push_back('\0');
    filter += "*.*";
    filter.push_back('\0');
    return filter;  // the string's own terminator closes the list
}

}  // namespace

int SaveTextAs(HWND owner, const char* text, const char* proposedName) {
    return SaveTextAs(owner, text, proposedName, GetModuleHandleA(nullptr));
}

int SaveTextAs(HWND owner, const char* text, const char* proposedName, HINSTANCE resources) {
    // The text is copied first: the dialog's message loop keeps the program's other windows
    // running, and the window that owns `text` may change or free it meanwhile.
    const TextCopy content(text);

    char startDirectory[kPathCapacity] = {};
    const DWORD startLength = GetCurrentDirectoryA(sizeof startDirectory, startDirectory);
    char fileName[kFileNameCapacity] = {};
    CopyBounded(fileName, proposedName ? proposedName : "", sizeof fileName);
    const std::string filter = AllFilesFilter(resources);
    const std::string title = ui::LoadAnsiString(resources, IDS_SAVE_DIALOG_TITLE, kCaptionCapacity);

    OPENFILENAMEA dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = fileName;
    dialog.nMaxFile = sizeof fileName;
    // A current directory longer than the buffer is not cut into another folder's name.
    if (startLength > 0 && startLength < sizeof startDirectory) {
        dialog.lpstrInitialDir = startDirectory;
    }
    dialog.lpstrTitle = title.empty() ? nullptr : title.c_str();
    dialog.Flags = OFN_OVERWRITEPROMPT;
    // The help button sends its request to the owner; without an owner window nobody would
    // answer it, so the button is shown only when there is one.
    if (owner != nullptr && IsWindow(owner)) dialog.Flags |= OFN_SHOWHELP;

    if (!GetSaveFileNameA(&dialog)) return 0;

    const std::string path = fileName;
    if (!CanOpenForWriting(path)) return kFileOpenError;
    // A complete new file replaces the old one, so a failed save leaves the old content whole.
    if (!ReplaceFileContent(path, reinterpret_cast<const uint8_t*>(content.get().data()),
                            content.get().size(), nullptr)) {
        return kFileWriteError;
    }
    return kFileOk;
}

}  // namespace velkaro
