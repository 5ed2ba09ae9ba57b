#pragma once
// What the template tests share: a dialog template of the test module as compiled, a control
// of it by id, class names compared as the system compares them, and the pixels that dialog
// units give in a window.

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <optional>
#include <string>

#include "dialog_template_reader.h"
#include "module_resources.h"

namespace velkaro {

constexpr DWORD kNoId = 0xFFFF;  // the id of a control that has none (-1 in the script)

// Template `id` as compiled; empty (and the test failed) when it is missing or unreadable.
inline DialogTemplate ReadDialogTemplate(UINT id) {
    const ResourceBytes bytes = FindResourceBytes(MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(5) /* RT_DIALOG */);
    if (!bytes) {
        ADD_FAILURE() << "no dialog resource " << id;
        return {};
    }
    std::optional<DialogTemplate> read = DialogTemplateReader::Read(bytes.data, bytes.size);
    if (!read) {
        ADD_FAILURE() << "dialog resource " << id << " is not a readable extended template";
        return {};
    }
    return *read;
}

inline const DialogTemplateItem* ItemWithId(const DialogTemplate& t, DWORD id) {
    for (const DialogTemplateItem& item : t.items) {
        if ((item.id & 0xFFFF) == id) return &item;
    }
    return nullptr;
}

// Window class names are compared without regard to case, as the system does.
inline bool SameClass(const std::wstring& a, const wchar_t* b) { return lstrcmpiW(a.c_str(), b) == 0; }

inline std::string Describe(const RECT& r) {
    char text[80];
    std::snprintf(text, sizeof text, "(%ld,%ld)-(%ld,%ld)", r.left, r.top, r.right, r.bottom);
    return text;
}

// The pixels of a control at units (x, y, cx, cy) in `dialog`. The dialog manager converts a
// control's position and its size each on its own, so its right edge is x + cx converted apart,
// not the conversion of x + cx.
inline RECT UnitsToPixels(HWND dialog, short x, short y, short cx, short cy) {
    RECT r = {x, y, cx, cy};
    MapDialogRect(dialog, &r);
    return {r.left, r.top, r.left + r.right, r.top + r.bottom};
}

// Where `control` stands in the client area of `dialog`.
inline RECT PlaceIn(HWND dialog, HWND control) {
    RECT r = {};
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

}  // namespace velkaro
