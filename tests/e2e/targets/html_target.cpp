// html_target.exe: a stand-in for a mail program's browser control, for the end-to-end tests.
//
//   html_target.exe --kind compose|view|webmail|webpage [--html FILE | --text FILE]
//                   [--state FILE] [--size WxH] [--pos X,Y]
//                   [--url URL] [--design-mode MODE] [--tag TAG]
//
// --kind    what the control shows, as the HTML transform tells documents apart:
//             compose  a mail program's compose window: URL "outbind://...", design mode "On",
//                      the active element the BODY (writable; HTML mail when the body holds
//                      "</FONT>")
//             view     a received mail: URL "mhtml:...", design mode "Inherit" (read-only)
//             webmail  a web-mail form: an ordinary URL, the active element a TEXTAREA
//             webpage  an ordinary web page whose active element is the BODY
// --html    the body's initial inner HTML, UTF-8 (its inner text is derived from it)
// --text    the body's initial inner text, UTF-8 (its inner HTML is derived from it)
// --state   receives the JSON state (see html_target_window.h) every 50 ms and on every change
// --size    the control's client area in pixels (default 560x360)
// --pos     the window's top-left corner on the screen (default 40,40)
// --url, --design-mode, --tag  override what the kind sets
// Exit code 2 for a command line it does not understand or a content file it cannot read,
// 1 when the window cannot be made, 3 when COM objects of the page were still held at the end.

#include <windows.h>

#include <cwchar>
#include <string>

#include "com.h"
#include "handles.h"
#include "html_target_window.h"

namespace velkaro::e2e {
namespace {

struct PageKind {
    const wchar_t* name;
    const char16_t* url;
    const char16_t* designMode;
    const char16_t* tag;
};

// URLs as the transform classifies them: "MHTML" and "OUTBI" (Outlook Express's "outbind:")
// mark a mail program's window, anything else a web page.
constexpr PageKind kKinds[] = {
    {L"compose", u"outbind://12-00000000/", u"On", u"BODY"},
    {L"view", u"mhtml:mid://00000012/", u"Inherit", u"BODY"},
    {L"webmail", u"http://mail.example.com/compose", u"Inherit", u"TEXTAREA"},
    {L"webpage", u"http://www.example.com/", u"Inherit", u"BODY"},
};

struct Arguments {
    const PageKind* kind = nullptr;
    std::wstring htmlFile;
    std::wstring textFile;
    std::wstring url, designMode, tag;
    bool hasUrl = false, hasDesignMode = false, hasTag = false;
    HtmlTargetOptions window;
};

bool ParsePair(const wchar_t* text, wchar_t separator, int& first, int& second) {
    wchar_t* end = nullptr;
    long a = std::wcstol(text, &end, 10);
    if (end == text || *end != separator) return false;
    const wchar_t* rest = end + 1;
    long b = std::wcstol(rest, &end, 10);
    if (end == rest || *end != L'\0') return false;
    first = static_cast<int>(a);
    second = static_cast<int>(b);
    return true;
}

bool ParseArguments(Arguments& arguments) {
    int count = 0;
    LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!args) return false;
    bool ok = true;
    for (int i = 1; i < count && ok; ++i) {
        const std::wstring arg = args[i];
        const bool hasValue = i + 1 < count;
        if (!hasValue) {
            ok = false;
        } else if (arg == L"--kind") {
            const std::wstring name = args[++i];
            arguments.kind = nullptr;
            for (const PageKind& kind : kKinds) {
                if (name == kind.name) arguments.kind = &kind;
            }
            ok = arguments.kind != nullptr;
        } else if (arg == L"--html") {
            arguments.htmlFile = args[++i];
        } else if (arg == L"--text") {
            arguments.textFile = args[++i];
        } else if (arg == L"--state") {
            arguments.window.stateFile = args[++i];
        } else if (arg == L"--size") {
            ok = ParsePair(args[++i], L'x', arguments.window.clientWidth, arguments.window.clientHeight) &&
                 arguments.window.clientWidth > 0 && arguments.window.clientHeight > 0;
        } else if (arg == L"--pos") {
            ok = ParsePair(args[++i], L',', arguments.window.x, arguments.window.y);
        } else if (arg == L"--url") {
            arguments.url = args[++i];
            arguments.hasUrl = true;
        } else if (arg == L"--design-mode") {
            arguments.designMode = args[++i];
            arguments.hasDesignMode = true;
        } else if (arg == L"--tag") {
            arguments.tag = args[++i];
            arguments.hasTag = true;
        } else {
            ok = false;
        }
    }
    LocalFree(args);
    // One kind, and at most one source of content.
    return ok && arguments.kind != nullptr && (arguments.htmlFile.empty() || arguments.textFile.empty());
}

// The whole of a UTF-8 file as UTF-16; false when it cannot be read or is not UTF-8.
bool ReadUtf8File(const std::wstring& path, std::u16string& text) {
    ui::UniqueKernelHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) {
        file.release();  // INVALID_HANDLE_VALUE is not a handle to close
        return false;
    }
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > (1 << 20)) return false;
    std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!bytes.empty() &&
        (!ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
         read != bytes.size())) {
        return false;
    }
    text.clear();
    if (bytes.empty()) return true;
    const int units = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), int(bytes.size()), nullptr, 0);
    if (units <= 0) return false;
    std::wstring wide(static_cast<size_t>(units), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), int(bytes.size()), wide.data(), units);
    text.assign(wide.begin(), wide.end());
    return true;
}

std::u16string Utf16(const std::wstring& text) { return std::u16string(text.begin(), text.end()); }

bool MakePage(const Arguments& arguments, FakeHtmlPage& page) {
    page.url = arguments.hasUrl ? Utf16(arguments.url) : arguments.kind->url;
    page.designMode = arguments.hasDesignMode ? Utf16(arguments.designMode) : arguments.kind->designMode;
    page.tag = arguments.hasTag ? Utf16(arguments.tag) : arguments.kind->tag;
    std::u16string content;
    if (!arguments.htmlFile.empty()) {
        if (!ReadUtf8File(arguments.htmlFile, content)) return false;
        page.SetBodyHtml(content);
    } else if (!arguments.textFile.empty()) {
        if (!ReadUtf8File(arguments.textFile, content)) return false;
        page.SetBodyText(content);
    }
    return true;
}

}  // namespace
}  // namespace velkaro::e2e

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    using namespace velkaro::e2e;
    Arguments arguments;
    if (!ParseArguments(arguments)) return 2;
    velkaro::FakeHtmlPage page;
    if (!MakePage(arguments, page)) return 2;

    // The page's documents are handed to other processes and called on this thread.
    velkaro::ui::ComApartment apartment;
    if (!apartment.ok()) return 1;
    int liveObjects = 0;
    {
        HtmlTargetWindow target(page, arguments.window);
        if (!target.Create(instance)) return 1;
        MSG message;
        while (GetMessageW(&message, nullptr, 0, 0) > 0) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        liveObjects = target.LiveObjects();
    }
    return liveObjects == 0 ? 0 : 3;
}
