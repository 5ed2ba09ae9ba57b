// Charset on Windows: the code-page API (MultiByteToWideChar, WideCharToMultiByte), one
// character at a time. Also makes the console show the charset the tool writes.
#include <windows.h>

#include <cctype>
#include <cstdlib>
#include <string>

#include "charset.h"
#include "utf8.h"

namespace velkaro {
namespace {

// Code pages by name: "UTF-8", "CPnnnn", "WINDOWS-nnnn", "IBM866", "KOI8-R", "KOI8-U",
// "ISO-8859-5", or a bare number.
UINT CodePageOf(std::string name) {
    for (char& c : name) c = char(std::toupper(static_cast<unsigned char>(c)));
    struct Named {
        const char* name;
        UINT codePage;
    };
    static const Named kNamed[] = {{"UTF-8", CP_UTF8},  {"UTF8", CP_UTF8},        {"IBM866", 866},
                                   {"KOI8-R", 20866},   {"KOI8-U", 21866},        {"ISO-8859-5", 28595},
                                   {"ISO8859-5", 28595}, {"ISO-8859-1", 28591},   {"US-ASCII", 20127},
                                   {"ASCII", 20127}};
    for (const Named& n : kNamed) {
        if (name == n.name) return n.codePage;
    }
    const char* digits = name.c_str();
    if (name.rfind("CP", 0) == 0) digits += 2;
    else if (name.rfind("WINDOWS-", 0) == 0) digits += 8;
    if (*digits == '\0') return 0;
    char* end = nullptr;
    unsigned long number = std::strtoul(digits, &end, 10);
    if (*end != '\0' || number == 0 || number > 65535) return 0;
    return UINT(number);
}

class CodePageCharset : public Charset {
public:
    explicit CodePageCharset(UINT codePage) : codePage_(codePage) {
        CPINFO info = {};
        GetCPInfo(codePage, &info);
        maxCharSize_ = info.MaxCharSize;
    }

    Step Decode(const uint8_t** in, const uint8_t* end, char32_t* cp) override {
        const uint8_t* s = *in;
        if (s >= end) return Step::kEnd;
        size_t length = SequenceLength(s, end);
        if (length == 0 || size_t(end - s) < length) return Step::kInvalid;
        wchar_t units[2] = {};
        int count = MultiByteToWideChar(codePage_, MB_ERR_INVALID_CHARS, reinterpret_cast<LPCCH>(s),
                                        int(length), units, 2);
        if (count == 1 && !(units[0] >= 0xD800 && units[0] <= 0xDFFF)) {
            *cp = units[0];
        } else if (count == 2 && units[0] >= 0xD800 && units[0] <= 0xDBFF && units[1] >= 0xDC00 &&
                   units[1] <= 0xDFFF) {
            *cp = 0x10000 + ((char32_t(units[0]) - 0xD800) << 10) + (char32_t(units[1]) - 0xDC00);
        } else {
            return Step::kInvalid;
        }
        *in = s + length;
        return Step::kCharacter;
    }

    bool Encode(char32_t cp, uint8_t* out, size_t* n) override {
        if (codePage_ == CP_UTF8) {
            *n = Utf8::Encode(cp, out);
            return *n != 0;
        }
        wchar_t units[2];
        int unitCount = 1;
        if (cp >= 0x10000 && cp <= 0x10FFFF) {
            units[0] = wchar_t(0xD800 + ((cp - 0x10000) >> 10));
            units[1] = wchar_t(0xDC00 + ((cp - 0x10000) & 0x3FF));
            unitCount = 2;
        } else if (cp < 0x10000 && !(cp >= 0xD800 && cp <= 0xDFFF)) {
            units[0] = wchar_t(cp);
        } else {
            return false;
        }
        BOOL usedDefault = FALSE;
        int written = WideCharToMultiByte(codePage_, WC_NO_BEST_FIT_CHARS, units, unitCount,
                                          reinterpret_cast<LPSTR>(out), int(kMaxCharBytes), nullptr,
                                          &usedDefault);
        if (written <= 0 || usedDefault) return false;
        *n = size_t(written);
        return true;
    }

    size_t Finish(uint8_t*) override { return 0; }
    void Reset() override {}

private:
    // Bytes of the character that starts at s; 0 for a byte that starts none.
    size_t SequenceLength(const uint8_t* s, const uint8_t* end) const {
        if (codePage_ == CP_UTF8) {
            const uint8_t* p = s;
            char32_t ignored;
            return Utf8::Decode(&p, end, &ignored) ? size_t(p - s) : 0;
        }
        if (maxCharSize_ > 1 && IsDBCSLeadByteEx(codePage_, *s)) return 2;
        return 1;
    }

    UINT codePage_;
    UINT maxCharSize_ = 1;
};

UINT savedConsoleOutputCodePage = 0;

void RestoreConsoleCodePage() {
    if (savedConsoleOutputCodePage != 0) SetConsoleOutputCP(savedConsoleOutputCodePage);
}

}  // namespace

std::unique_ptr<Charset> Charset::Open(const std::string& name) {
    UINT codePage = CodePageOf(name);
    if (codePage == 0 || !IsValidCodePage(codePage)) return nullptr;
    return std::make_unique<CodePageCharset>(codePage);
}

std::string Charset::TerminalName() {
    // The tool speaks UTF-8 on Windows; the console is switched to it for the run, so that
    // messages and text written there read correctly, and switched back at exit.
    if (savedConsoleOutputCodePage == 0) {
        UINT current = GetConsoleOutputCP();
        if (current != 0 && current != CP_UTF8 && SetConsoleOutputCP(CP_UTF8)) {
            savedConsoleOutputCodePage = current;
            std::atexit(RestoreConsoleCodePage);
        }
    }
    return "UTF-8";
}

}  // namespace velkaro
