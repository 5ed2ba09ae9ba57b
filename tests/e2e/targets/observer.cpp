// observer.exe: while it runs, writes a JSON snapshot of the desktop to a file every interval, so
// a test on the Linux side can wait for what a person would see: the top-level windows, the
// foreground window and its keyboard focus, the controls of dialogs and message boxes, open
// popup menus with their items, and the notification area of the taskbar. Toolbars, tab controls
// and list boxes among a dialog's controls also list their buttons, tabs and items
// (control_reader.h).
//
//   observer.exe --out FILE [--interval MS]
//
// It runs until it is ended (the tests end every Wine process with wineserver -k).
//
// The snapshot never holds the text of a password field (ES_PASSWORD), only its length. Messages
// sent to other programs' windows use SendMessageTimeout, so a hung program delays a snapshot
// by at most the timeout instead of stopping the observer.

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "control_reader.h"
#include "handles.h"
#include "json_writer.h"
#include "menu_reader.h"
#include "report_file.h"

namespace velkaro::e2e {
namespace {

constexpr UINT kSendTimeoutMs = 200;

uint64_t HandleValue(const void* handle) { return reinterpret_cast<uintptr_t>(handle); }

std::wstring ClassOf(HWND window) {
    wchar_t name[256];
    int length = GetClassNameW(window, name, 256);
    return std::wstring(name, length > 0 ? static_cast<size_t>(length) : 0);
}

// The caption the system keeps for the window; for another process's window no message is
// sent, so this never blocks. Texts are read as UTF-16, which the system converted from the
// writing program's ANSI code page (1251 here), and reported as UTF-8.
std::wstring TitleOf(HWND window) {
    wchar_t title[1024];
    int length = GetWindowTextW(window, title, 1024);
    return std::wstring(title, length > 0 ? static_cast<size_t>(length) : 0);
}

// EnumWindows / EnumChildWindows callback: appends each window to the vector in `list`.
BOOL CALLBACK CollectWindow(HWND window, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
}

bool SendWithTimeout(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR* result) {
    return SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG | SMTO_BLOCK,
                               kSendTimeoutMs, result) != 0;
}

// The window's text as the window itself answers WM_GETTEXT (edit controls keep their text
// apart from the caption). Empty when the window does not answer in time.
std::wstring ControlTextOf(HWND window) {
    DWORD_PTR length = 0;
    if (!SendWithTimeout(window, WM_GETTEXTLENGTH, 0, 0, &length) || length == 0) return {};
    if (length > 65536) length = 65536;
    std::vector<wchar_t> buffer(length + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!SendWithTimeout(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()), &copied)) {
        return {};
    }
    if (copied > length) copied = length;
    return std::wstring(buffer.data(), copied);
}

long TextLengthOf(HWND window) {
    DWORD_PTR length = 0;
    if (!SendWithTimeout(window, WM_GETTEXTLENGTH, 0, 0, &length)) return -1;
    return static_cast<long>(length);
}

bool IsClass(const std::wstring& name, const wchar_t* cls) {
    return CompareStringOrdinal(name.c_str(), -1, cls, -1, TRUE) == CSTR_EQUAL;
}

bool IsEditClassName(const std::wstring& name) { return IsClass(name, L"Edit"); }

bool IsPasswordEdit(HWND window) {
    return IsEditClassName(ClassOf(window)) && (GetWindowLongW(window, GWL_STYLE) & ES_PASSWORD) != 0;
}

void WriteRect(JsonWriter& json, const RECT& r) { json.Rect(r.left, r.top, r.right, r.bottom); }

// The client rectangle in screen coordinates.
RECT ClientRectOnScreen(HWND window) {
    RECT client = {};
    GetClientRect(window, &client);
    POINT origin = {0, 0};
    ClientToScreen(window, &origin);
    OffsetRect(&client, origin.x, origin.y);
    return client;
}

// ---- Processes: the executable of every process id, so a test can tell whose window it sees.

// The process list as JSON; `pids` receives every process id in it.
std::string ProcessList(std::set<DWORD>& pids) {
    pids.clear();
    JsonWriter json;
    json.BeginArray();
    ui::UniqueKernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (snapshot.get() == INVALID_HANDLE_VALUE) {
        snapshot.release();
    } else {
        PROCESSENTRY32W entry = {};
        entry.dwSize = sizeof entry;
        for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry)) {
            pids.insert(entry.th32ProcessID);
            json.BeginObject();
            json.Key("pid").UInt(entry.th32ProcessID);
            json.Key("exe").String(entry.szExeFile, wcslen(entry.szExeFile));
            json.EndObject();
        }
    }
    json.EndArray();
    return json.text();
}

// ---- Controls of a dialog

void WriteButtonState(JsonWriter& json, HWND control, LONG style) {
    LONG kind = style & BS_TYPEMASK;
    bool checkable = kind == BS_CHECKBOX || kind == BS_AUTOCHECKBOX || kind == BS_3STATE ||
                     kind == BS_AUTO3STATE || kind == BS_RADIOBUTTON || kind == BS_AUTORADIOBUTTON;
    if (checkable) {
        DWORD_PTR state = 0;
        if (SendWithTimeout(control, BM_GETCHECK, 0, 0, &state)) json.Key("checked").Int(static_cast<int64_t>(state));
    }
    json.Key("default").Bool(kind == BS_DEFPUSHBUTTON);
}

void WriteControl(JsonWriter& json, HWND control) {
    std::wstring cls = ClassOf(control);
    LONG style = GetWindowLongW(control, GWL_STYLE);
    RECT rect = {};
    GetWindowRect(control, &rect);
    json.BeginObject();
    json.Key("hwnd").UInt(HandleValue(control));
    json.Key("parent").UInt(HandleValue(GetParent(control)));
    json.Key("id").Int(GetDlgCtrlID(control));
    json.Key("class").String(cls.c_str(), cls.size());
    json.Key("style").UInt(static_cast<uint32_t>(style));
    json.Key("rect");
    WriteRect(json, rect);
    json.Key("visible").Bool(IsWindowVisible(control) != FALSE);
    json.Key("enabled").Bool(IsWindowEnabled(control) != FALSE);
    bool password = IsEditClassName(cls) && (style & ES_PASSWORD) != 0;
    json.Key("password").Bool(password);
    if (password) {
        json.Key("text_length").Int(TextLengthOf(control));
    } else {
        std::wstring text = ControlTextOf(control);
        json.Key("text").String(text.c_str(), text.size());
    }
    if (IsClass(cls, L"Button")) {
        WriteButtonState(json, control, style);
    } else if (IsClass(cls, TOOLBARCLASSNAMEW)) {
        WriteToolbarButtons(json, control, kSendTimeoutMs);
    } else if (IsClass(cls, WC_TABCONTROLW)) {
        WriteTabItems(json, control, kSendTimeoutMs);
    } else if (IsClass(cls, L"ListBox")) {
        WriteListItems(json, control, kSendTimeoutMs);
    }
    json.EndObject();
}

void WriteControls(JsonWriter& json, HWND dialog) {
    std::vector<HWND> controls;
    EnumChildWindows(
        dialog,
        CollectWindow,
        reinterpret_cast<LPARAM>(&controls));
    json.Key("controls").BeginArray();
    for (HWND control : controls) WriteControl(json, control);
    json.EndArray();
}

// ---- Popup menus: the items of the menu a "#32768" window shows, read inside its process.

void WriteMenu(JsonWriter& json, MenuReader& reader, HWND menuWindow) {
    RECT rect = {};
    GetWindowRect(menuWindow, &rect);
    DWORD pid = 0;
    GetWindowThreadProcessId(menuWindow, &pid);
    json.BeginObject();
    json.Key("hwnd").UInt(HandleValue(menuWindow));
    json.Key("pid").UInt(pid);
    json.Key("rect");
    WriteRect(json, rect);
    std::string items = reader.Items(menuWindow, kSendTimeoutMs);
    json.Key("items");
    if (items.empty()) {
        json.Null();
        json.Key("error").String(reader.error());
    } else {
        json.Raw(items);
    }
    json.EndObject();
}

// ---- Windows

struct TopLevel {
    HWND window;
    std::wstring cls;
};

std::vector<TopLevel> TopLevelWindows() {
    std::vector<HWND> windows;
    EnumWindows(
        CollectWindow,
        reinterpret_cast<LPARAM>(&windows));
    std::vector<TopLevel> result;
    result.reserve(windows.size());
    for (HWND window : windows) result.push_back({window, ClassOf(window)});
    return result;
}

// Every query of another process's window is a round trip to the Wine server, so hidden
// windows (most of them: IME and DDE helpers) get only what tells them apart.
void WriteWindow(JsonWriter& json, const TopLevel& top) {
    HWND window = top.window;
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    bool visible = IsWindowVisible(window) != FALSE;
    std::wstring title = TitleOf(window);
    json.BeginObject();
    json.Key("hwnd").UInt(HandleValue(window));
    json.Key("class").String(top.cls.c_str(), top.cls.size());
    json.Key("title").String(title.c_str(), title.size());
    json.Key("pid").UInt(pid);
    json.Key("visible").Bool(visible);
    if (!visible) {
        json.EndObject();
        return;
    }
    RECT rect = {};
    GetWindowRect(window, &rect);
    LONG exStyle = GetWindowLongW(window, GWL_EXSTYLE);
    json.Key("enabled").Bool(IsWindowEnabled(window) != FALSE);
    json.Key("minimized").Bool(IsIconic(window) != FALSE);
    json.Key("topmost").Bool((exStyle & WS_EX_TOPMOST) != 0);
    json.Key("rect");
    WriteRect(json, rect);
    json.Key("client");
    WriteRect(json, ClientRectOnScreen(window));
    json.Key("owner").UInt(HandleValue(GetWindow(window, GW_OWNER)));
    if (top.cls == L"#32770") WriteControls(json, window);
    // A tooltip keeps its text apart from its caption; the taskbar's tooltips name tray icons.
    if (top.cls == L"tooltips_class32") {
        std::wstring text = ControlTextOf(window);
        json.Key("text").String(text.c_str(), text.size());
    }
    json.EndObject();
}

// The keyboard focus of the foreground thread: which control, never its text.
void WriteFocus(JsonWriter& json, HWND foreground) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    DWORD thread = foreground ? GetWindowThreadProcessId(foreground, nullptr) : 0;
    bool known = thread != 0 && GetGUIThreadInfo(thread, &info);
    json.Key("active").UInt(known ? HandleValue(info.hwndActive) : 0);
    json.Key("capture").UInt(known ? HandleValue(info.hwndCapture) : 0);
    json.Key("menu_owner").UInt(known ? HandleValue(info.hwndMenuOwner) : 0);
    json.Key("in_menu_mode").Bool(known && (info.flags & GUI_INMENUMODE) != 0);
    json.Key("popup_menu_mode").Bool(known && (info.flags & GUI_POPUPMENUMODE) != 0);
    json.Key("focus");
    if (!known || !info.hwndFocus) {
        json.Null();
        return;
    }
    HWND focus = info.hwndFocus;
    std::wstring cls = ClassOf(focus);
    json.BeginObject();
    json.Key("hwnd").UInt(HandleValue(focus));
    json.Key("class").String(cls.c_str(), cls.size());
    json.Key("id").Int(GetDlgCtrlID(focus));
    json.Key("parent").UInt(HandleValue(GetParent(focus)));
    json.Key("root").UInt(HandleValue(GetAncestor(focus, GA_ROOT)));
    json.Key("password").Bool(IsPasswordEdit(focus));
    json.Key("text_length").Int(TextLengthOf(focus));
    json.Key("rect");
    WriteRect(json, ClientRectOnScreen(focus));
    json.EndObject();
}

// ---- The notification area of the taskbar. Wine's explorer draws the icons inside the taskbar
// window; what it shows as child windows is listed so a test can locate the tray.

void WriteTaskbar(JsonWriter& json) {
    HWND taskbar = FindWindowW(L"Shell_TrayWnd", nullptr);
    json.Key("taskbar");
    if (!taskbar) {
        json.Null();
        return;
    }
    RECT rect = {};
    GetWindowRect(taskbar, &rect);
    json.BeginObject();
    json.Key("hwnd").UInt(HandleValue(taskbar));
    json.Key("visible").Bool(IsWindowVisible(taskbar) != FALSE);
    json.Key("rect");
    WriteRect(json, rect);
    std::vector<HWND> children;
    EnumChildWindows(
        taskbar,
        CollectWindow,
        reinterpret_cast<LPARAM>(&children));
    // The icons are drawn right of the last button (start button and task buttons).
    RECT tray = rect;
    for (HWND child : children) {
        RECT childRect = {};
        if (IsWindowVisible(child) && GetParent(child) == taskbar && GetWindowRect(child, &childRect)) {
            tray.left = std::max(tray.left, childRect.right);
        }
    }
    json.Key("tray_area");
    WriteRect(json, tray);
    json.Key("children").BeginArray();
    for (HWND child : children) {
        std::wstring cls = ClassOf(child);
        std::wstring title = TitleOf(child);
        RECT childRect = {};
        GetWindowRect(child, &childRect);
        json.BeginObject();
        json.Key("hwnd").UInt(HandleValue(child));
        json.Key("parent").UInt(HandleValue(GetParent(child)));
        json.Key("class").String(cls.c_str(), cls.size());
        json.Key("title").String(title.c_str(), title.size());
        json.Key("visible").Bool(IsWindowVisible(child) != FALSE);
        json.Key("rect");
        WriteRect(json, childRect);
        json.EndObject();
    }
    json.EndArray();
    json.EndObject();
}

// Microseconds spent in each part of a snapshot, reported with the next one.
class SectionClock {
public:
    SectionClock() {
        QueryPerformanceFrequency(&frequency_);
        QueryPerformanceCounter(&last_);
    }
    // Microseconds since the previous call (or the construction).
    int64_t Lap() {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        int64_t elapsed = (now.QuadPart - last_.QuadPart) * 1000000 / frequency_.QuadPart;
        last_ = now;
        return elapsed;
    }

private:
    LARGE_INTEGER frequency_;
    LARGE_INTEGER last_;
};

struct RoundTimes {
    int64_t focus = -1, windows = -1, menus = -1, taskbar = -1, processes = -1, write = -1;
};

// The process list costs as much as the rest of a round, so it is taken every tenth round (and
// at once when a window of a process it does not hold appears).
constexpr uint64_t kProcessesEvery = 10;

// The process list, refreshed every kProcessesEvery rounds.
// A window of a process not in the list yet refreshes it at once.
struct ProcessCache {
    std::string list = "[]";
    std::set<DWORD> pids;
    uint64_t sequence = 0;
};

std::string Snapshot(uint64_t sequence, MenuReader& menus, ProcessCache& processes, const RoundTimes& previous,
                     RoundTimes& times) {
    SectionClock clock;
    JsonWriter json;
    json.BeginObject();
    json.Key("seq").UInt(sequence);
    json.Key("tick_ms").UInt(GetTickCount64());
    json.Key("previous_round_us").BeginObject();
    json.Key("focus").Int(previous.focus);
    json.Key("windows").Int(previous.windows);
    json.Key("menus").Int(previous.menus);
    json.Key("taskbar").Int(previous.taskbar);
    json.Key("processes").Int(previous.processes);
    json.Key("write").Int(previous.write);
    json.Key("total").Int(previous.focus + previous.windows + previous.menus + previous.taskbar +
                          previous.processes + previous.write);
    json.EndObject();
    json.Key("screen").Rect(0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    POINT cursor = {};
    GetCursorPos(&cursor);
    json.Key("cursor").BeginArray().Int(cursor.x).Int(cursor.y).EndArray();

    HWND foreground = GetForegroundWindow();
    json.Key("foreground").UInt(HandleValue(foreground));
    WriteFocus(json, foreground);
    times.focus = clock.Lap();

    std::vector<TopLevel> windows = TopLevelWindows();
    json.Key("windows").BeginArray();
    for (const TopLevel& top : windows) WriteWindow(json, top);
    json.EndArray();
    times.windows = clock.Lap();

    json.Key("menus").BeginArray();
    for (const TopLevel& top : windows) {
        if (top.cls != L"#32768" || !IsWindowVisible(top.window)) continue;
        WriteMenu(json, menus, top.window);
    }
    json.EndArray();
    times.menus = clock.Lap();

    WriteTaskbar(json);
    times.taskbar = clock.Lap();
    bool unknownWindow = false;
    for (const TopLevel& top : windows) {
        DWORD pid = 0;
        GetWindowThreadProcessId(top.window, &pid);
        if (!processes.pids.count(pid)) unknownWindow = true;
    }
    if (processes.sequence == 0 || unknownWindow || sequence - processes.sequence >= kProcessesEvery) {
        processes.list = ProcessList(processes.pids);
        processes.sequence = sequence;
    }
    json.Key("processes_seq").UInt(processes.sequence);
    json.Key("processes").Raw(processes.list);
    times.processes = clock.Lap();
    json.EndObject();
    return json.text();
}

struct Options {
    std::wstring out;
    DWORD intervalMs = 50;
};

bool ParseOptions(Options& options) {
    int count = 0;
    LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!args) return false;
    bool ok = true;
    for (int i = 1; i < count; ++i) {
        std::wstring arg = args[i];
        bool hasValue = i + 1 < count;
        if (arg == L"--out" && hasValue) {
            options.out = args[++i];
        } else if (arg == L"--interval" && hasValue) {
            options.intervalMs = static_cast<DWORD>(_wtoi(args[++i]));
        } else {
            ok = false;
        }
    }
    LocalFree(args);
    return ok && !options.out.empty() && options.intervalMs > 0;
}

}  // namespace
}  // namespace velkaro::e2e

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    using namespace velkaro::e2e;
    Options options;
    if (!ParseOptions(options)) return 2;
    ReportFile report(options.out);
    MenuReader menus;
    ProcessCache processes;
    RoundTimes previous;
    for (uint64_t sequence = 1;; ++sequence) {
        RoundTimes times;
        std::string snapshot = Snapshot(sequence, menus, processes, previous, times);
        SectionClock clock;
        report.Write(snapshot);
        times.write = clock.Lap();
        previous = times;
        // The program's own cadence, not a wait for a condition.
        Sleep(options.intervalMs);
    }
    return 0;
}
