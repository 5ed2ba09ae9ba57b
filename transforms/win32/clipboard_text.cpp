#include "clipboard_text.h"

#include <windows.h>

#include <cstring>

#include "clipboard_scope.h"
#include "handles.h"
#include "text_limits.h"

namespace velkaro {

bool ReadClipboardText(char* buffer) {
    buffer[0] = '\0';
    ui::ClipboardScope clipboard;
    if (!clipboard.ok()) return false;
    HANDLE data = GetClipboardData(CF_TEXT);
    if (data == nullptr) return false;
    ui::GlobalLockScope lock(data);
    if (lock.get() == nullptr) return false;
    const char* text = static_cast<const char*>(lock.get());
    const size_t length = strnlen(text, GlobalSize(data));
    if (length == 0 || length > kMaxPlainText) return false;
    std::memcpy(buffer, text, length);
    buffer[length] = '\0';
    return true;
}

bool WriteClipboardText(const char* text) {
    const size_t length = std::strlen(text);
    ui::UniqueGlobal memory(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, length + 1));
    if (!memory) return false;
    {
        ui::GlobalLockScope lock(memory.get());
        if (lock.get() == nullptr) return false;
        std::memcpy(lock.get(), text, length);  // the terminator is there already (zero-filled)
    }
    ui::ClipboardScope clipboard;
    if (!clipboard.ok() || !EmptyClipboard()) return false;
    if (SetClipboardData(CF_TEXT, memory.get()) == nullptr) return false;
    memory.release();  // the clipboard owns it from here on
    return true;
}

bool EmptyClipboardText() {
    ui::ClipboardScope clipboard;
    return clipboard.ok() && EmptyClipboard() != FALSE;
}

bool ClipboardHasText() { return IsClipboardFormatAvailable(CF_TEXT) != FALSE; }

}  // namespace velkaro
