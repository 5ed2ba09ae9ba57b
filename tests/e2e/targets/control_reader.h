#pragma once
// The observer's reading of common controls that live in another process: the buttons of a
// toolbar, the tabs of a tab control, the items of a list box.
//
// The system copies the data of a message across processes only for the messages below WM_USER
// (the list box's LB_GETTEXT and LB_GETITEMRECT, for instance). Toolbar and tab messages are
// above it: their pointers are taken as they are in the receiving process, so they must point
// into that process's memory. RemoteBuffer holds such memory for the length of one reading.

#include <windows.h>

#include <cstddef>

#include "handles.h"
#include "json_writer.h"

namespace velkaro::e2e {

// A few bytes of memory allocated in another process (VirtualAllocEx) and freed with it.
class RemoteBuffer {
public:
    RemoteBuffer(HWND windowOfProcess, size_t size);
    ~RemoteBuffer();
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;

    explicit operator bool() const { return address_ != nullptr; }
    // The address of byte `offset` in the other process, as a message parameter.
    LPARAM at(size_t offset) const { return reinterpret_cast<LPARAM>(static_cast<char*>(address_) + offset); }
    bool Write(size_t offset, const void* data, size_t size) const;
    bool Read(size_t offset, void* data, size_t size) const;

private:
    ui::UniqueKernelHandle process_;
    void* address_ = nullptr;
    size_t size_ = 0;
};

// Each writes members into the control's JSON object (already begun by the caller); a control
// that does not answer in `timeoutMs` gets fewer members, never a blocked observer.
//
// "buttons": [{index, id, separator, enabled, checked, hidden, rect}] in screen coordinates.
void WriteToolbarButtons(JsonWriter& json, HWND toolbar, UINT timeoutMs);
// "selected" (TCM_GETCURSEL) and "tabs": [{index, text, rect}] in screen coordinates.
void WriteTabItems(JsonWriter& json, HWND tabs, UINT timeoutMs);
// "selected" (LB_GETCURSEL), "top" (LB_GETTOPINDEX) and "items": [{text, rect}] in screen
// coordinates (rect null for an item scrolled out of sight). Owner-drawn boxes without strings
// give only the count.
void WriteListItems(JsonWriter& json, HWND list, UINT timeoutMs);

}  // namespace velkaro::e2e
