// Shows the save dialog as the clipboard viewer shows it (proposed name "Безымянный", a hidden
// owner), for a look and a screenshot; not a test. Prints the result code when it closes.

#include <windows.h>

#include <cstdio>

#include "save_text_as.h"

int main() {
    HWND owner = CreateWindowExA(0, "STATIC", "owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 nullptr, nullptr);
    // "Безымянный" in the ANSI code page 1251.
    const char untitled[] = "\xc1\xe5\xe7\xfb\xec\xff\xed\xed\xfb\xe9";
    const int result = velkaro::SaveTextAs(owner, "preview text", untitled);
    std::printf("SaveTextAs: %d\n", result);
    DestroyWindow(owner);
    return 0;
}
