// A program of its own for the tests that send real input to another process: a top-level
// window of class "VelhookTestTarget" at the position given, holding an edit control of 300 x 200
// pixels with a few words and, 10 pixels to its right, a static control 40 pixels wide (too small
// for any gesture). It counts the messages its edit control receives and tells the count of one
// when asked (kTargetCountQuery), so a test sees what reached the control. It runs until its
// window is closed.
//
//   velhook_target X Y

#include <windows.h>

#include <cstdlib>
#include <map>

#include "velhook_test_support.h"

namespace {

WNDPROC editProcedure = nullptr;
std::map<UINT, LRESULT> editReceived;

LRESULT CALLBACK CountingEditProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    ++editReceived[message];
    return CallWindowProcA(editProcedure, window, message, wParam, lParam);
}

LRESULT CALLBACK TargetProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case velkaro::test::kTargetCountQuery: return editReceived[static_cast<UINT>(wParam)];
        case WM_DESTROY: PostQuitMessage(0); return 0;
        default: return DefWindowProcA(window, message, wParam, lParam);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    const HINSTANCE module = GetModuleHandleA(nullptr);
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = TargetProcedure;
    windowClass.hInstance = module;
    windowClass.lpszClassName = "VelhookTestTarget";
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    if (!RegisterClassA(&windowClass)) return 3;
    const HWND top = CreateWindowExA(0, "VelhookTestTarget", "velhook target",
                                     WS_POPUP | WS_VISIBLE, std::atoi(argv[1]), std::atoi(argv[2]),
                                     350, 200, nullptr, nullptr, module, nullptr);
    if (top == nullptr) return 4;
    const HWND edit =
        CreateWindowExA(0, "Edit", "alpha beta gamma delta", WS_CHILD | WS_VISIBLE | ES_MULTILINE,
                        0, 0, 300, 200, top, nullptr, module, nullptr);
    if (edit == nullptr) return 5;
    editProcedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CountingEditProcedure)));
    if (!CreateWindowExA(0, "Static", "", WS_CHILD | WS_VISIBLE | SS_NOTIFY, 310, 0, 40, 200, top,
                         nullptr, module, nullptr)) {
        return 6;
    }
    SetForegroundWindow(top);
    SetFocus(edit);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}
