// clipboard_tool.exe: puts text on the desktop's clipboard or reads it, for the end-to-end tests
// (what a person does with "copy" in one program and "paste" in another).
//
//   clipboard_tool.exe --set FILE --report REPORT   the bytes of FILE become the clipboard's CF_TEXT
//   clipboard_tool.exe --get FILE --report REPORT   the clipboard's CF_TEXT bytes go to FILE
//
// Bytes pass unconverted: CF_TEXT is ANSI text, CP1251 under the tests' locale. REPORT, written
// last and at once (report_file.h), says what happened:
//   {"ok": true, "has_text": true, "length": N, "formats": [1, 13, 16, 7], "sequence": S}
// ("formats" lists what the clipboard offers; "has_text" and "length" tell about CF_TEXT) or
//   {"ok": false, "error": "...", "code": GetLastError()}.
// A clipboard that another program holds open is waited for, up to five seconds: opening it
// is refused only while the other program has it open.
// Exit code 0 when it did what was asked, 1 when not, 2 for a command line it does not understand.

#include <windows.h>
#include <shellapi.h>

#include <string>

#include "handles.h"
#include "json_writer.h"
#include "report_file.h"

namespace velkaro::e2e {
namespace {

constexpr DWORD kOpenPatienceMs = 5000;

// The clipboard, open for the scope.
class OpenClipboardScope {
public:
    OpenClipboardScope() {
        DWORD started = GetTickCount();
        while (!(open_ = OpenClipboard(nullptr) != FALSE) && GetTickCount() - started < kOpenPatienceMs) {
            Sleep(20);  // the other program closes it when it is done; nothing to wait on but time
        }
    }
    ~OpenClipboardScope() {
        if (open_) CloseClipboard();
    }
    OpenClipboardScope(const OpenClipboardScope&) = delete;
    OpenClipboardScope& operator=(const OpenClipboardScope&) = delete;
    bool open() const { return open_; }

private:
    bool open_ = false;
};

bool ReadWholeFile(const std::wstring& path, std::string& bytes) {
    ui::UniqueKernelHandle file(
        CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) {
        file.release();
        return false;
    }
    bytes.clear();
    char chunk[4096];
    DWORD read = 0;
    while (ReadFile(file.get(), chunk, sizeof chunk, &read, nullptr) && read > 0) bytes.append(chunk, read);
    return true;
}

// What the tool did: whether it succeeded, and the report that says so.
struct Outcome {
    bool ok;
    std::string report;
};

Outcome Failure(const char* what) {
    DWORD code = GetLastError();
    JsonWriter json;
    json.BeginObject().Key("ok").Bool(false).Key("error").String(what).Key("code").UInt(code).EndObject();
    return {false, json.text()};
}

// What the clipboard holds now; the clipboard is open.
Outcome Contents(std::string* text) {
    JsonWriter json;
    json.BeginObject().Key("ok").Bool(true);
    json.Key("formats").BeginArray();
    for (UINT format = EnumClipboardFormats(0); format != 0; format = EnumClipboardFormats(format)) {
        json.UInt(format);
    }
    json.EndArray();
    HANDLE data = GetClipboardData(CF_TEXT);
    const char* bytes = data ? static_cast<const char*>(GlobalLock(data)) : nullptr;
    json.Key("has_text").Bool(bytes != nullptr);
    if (bytes) {
        // The text ends at its terminating zero, whatever the size of the memory block.
        SIZE_T size = GlobalSize(data);
        SIZE_T length = 0;
        while (length < size && bytes[length] != '\0') ++length;
        if (text) text->assign(bytes, length);
        json.Key("length").UInt(length);
        GlobalUnlock(data);
    }
    json.Key("sequence").UInt(GetClipboardSequenceNumber());
    json.EndObject();
    return {true, json.text()};
}

Outcome SetText(const std::string& bytes) {
    OpenClipboardScope clipboard;
    if (!clipboard.open()) return Failure("OpenClipboard");
    if (!EmptyClipboard()) return Failure("EmptyClipboard");
    ui::UniqueGlobal memory(GlobalAlloc(GMEM_MOVEABLE, bytes.size() + 1));
    if (!memory) return Failure("GlobalAlloc");
    char* target = static_cast<char*>(GlobalLock(memory.get()));
    if (!target) return Failure("GlobalLock");
    CopyMemory(target, bytes.data(), bytes.size());
    target[bytes.size()] = '\0';
    GlobalUnlock(memory.get());
    if (!SetClipboardData(CF_TEXT, memory.get())) return Failure("SetClipboardData");
    memory.release();  // the clipboard owns it now
    return Contents(nullptr);
}

Outcome GetText(const ReportFile& out) {
    OpenClipboardScope clipboard;
    if (!clipboard.open()) return Failure("OpenClipboard");
    std::string text;
    Outcome contents = Contents(&text);
    if (!out.Write(text)) return Failure("writing the text file");
    return contents;
}

}  // namespace
}  // namespace velkaro::e2e

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    using namespace velkaro::e2e;
    int count = 0;
    LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!args) return 2;
    std::wstring mode, file, reportPath;
    bool ok = count == 5;
    for (int i = 1; ok && i + 1 < count; i += 2) {
        std::wstring arg = args[i];
        if (arg == L"--set" || arg == L"--get") {
            mode = arg;
            file = args[i + 1];
        } else if (arg == L"--report") {
            reportPath = args[i + 1];
        } else {
            ok = false;
        }
    }
    LocalFree(args);
    if (!ok || mode.empty() || reportPath.empty()) return 2;

    Outcome outcome{false, {}};
    if (mode == L"--set") {
        std::string bytes;
        outcome = ReadWholeFile(file, bytes) ? SetText(bytes) : Failure("reading the text file");
    } else {
        outcome = GetText(ReportFile(file));
    }
    ReportFile(reportPath).Write(outcome.report);
    return outcome.ok ? 0 : 1;
}
