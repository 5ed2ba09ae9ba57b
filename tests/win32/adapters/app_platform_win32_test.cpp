// AppPlatformWin32: the running program's path in the form the settings layer can keep (and
// a path that has none is said to have none), GetVersionExA, the program's string table in
// CP1251 cut at the buffer's capacity, and the ownerless message box.

#include "app_platform_win32.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "cp1251.h"
#include "handles.h"
#include "message_box_watcher.h"
#include "string_ids.h"
#include "string_table.h"
#include "temp_dir.h"

namespace velkaro {
namespace {

// The ANSI code page's form of a UTF-16 path, as GetModuleFileNameA would give it.
std::string Ansi(const std::wstring& text) {
    const int n = WideCharToMultiByte(CP_ACP, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(size_t(n > 0 ? n : 0), '\0');
    if (n > 0) WideCharToMultiByte(CP_ACP, 0, text.data(), int(text.size()), &out[0], n, nullptr, nullptr);
    return out;
}

std::wstring Wide(const std::string& utf8) {
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), nullptr, 0);
    std::wstring out(size_t(n > 0 ? n : 0), L'\0');
    if (n > 0) MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), &out[0], n);
    return out;
}

class AppPlatformWin32Test : public ::testing::Test {
protected:
    // Makes the directories of `path` (UTF-16, may exceed MAX_PATH) and a file there that
    // holds `content`.
    static bool MakeFile(const std::wstring& path, const std::string& content) {
        const std::wstring prefixed = L"\\\\?\\" + path;
        for (size_t at = prefixed.find(L'\\', 7); at != std::wstring::npos; at = prefixed.find(L'\\', at + 1)) {
            CreateDirectoryW(prefixed.substr(0, at).c_str(), nullptr);
        }
        ui::UniqueKernelHandle file(CreateFileW(prefixed.c_str(), GENERIC_WRITE, 0, nullptr,
                                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file.get() == INVALID_HANDLE_VALUE) {
            file.release();
            return false;
        }
        DWORD written = 0;
        return WriteFile(file.get(), content.data(), DWORD(content.size()), &written, nullptr) &&
               written == content.size();
    }
    // The content of the file at the ANSI path, read as the settings layer reads it.
    static std::string ReadAnsi(const std::string& path) {
        ui::UniqueKernelHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                OPEN_EXISTING, 0, nullptr));
        if (file.get() == INVALID_HANDLE_VALUE) {
            file.release();
            return "(cannot open)";
        }
        char buffer[64] = {};
        DWORD got = 0;
        ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr);
        return std::string(buffer, got);
    }

    TempDir dir_;
    std::wstring base_ = Wide(dir_.Path());
    AppPlatformWin32 platform_{GetModuleHandleW(nullptr)};
};

// ---------------------------------------------------------------------------------------------
// The module path

TEST_F(AppPlatformWin32Test, ModulePathIsTheRunningProgram) {
    char expected[MAX_PATH] = {};
    ASSERT_GT(GetModuleFileNameA(nullptr, expected, MAX_PATH), 0u);
    EXPECT_EQ(platform_.ModulePath(), expected);
    EXPECT_TRUE(platform_.ModulePathFits());
    EXPECT_NE(platform_.ModulePath().find("adapters_app_platform_win32_test.exe"), std::string::npos);
}

// Every path that fits comes back as a path of at most 259 ANSI characters that reaches the
// same file; a path without such a form is said not to fit and is not cut.
TEST_F(AppPlatformWin32Test, PathsFitOrSaySo) {
    struct Case {
        const char* name;
        std::wstring tail;  // below the test's directory
        bool exists;
        bool fits;
    };
    const std::wstring longDir = L"\\" + std::wstring(120, L'd') + L"\\" + std::wstring(120, L'e');
    const Case cases[] = {
        {"Plain", L"\\velkaro.exe", true, true},
        {"Cyrillic", L"\\\u041f\u0440\u043e\u0433\u0440\u0430\u043c\u043c\u044b\\velkaro.exe", true, true},
        {"BeyondTheCodePage", L"\\\u65e5\u672c\\velkaro.exe", true, true},
        {"Long", longDir + L"\\velkaro.exe", true, true},
        {"LongAndMissing", longDir + L"\\missing.exe", false, false},
        {"BeyondTheCodePageAndMissing", L"\\\u65e5\u672c\\missing.exe", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::wstring path = base_ + c.tail;
        if (c.exists) {
            ASSERT_TRUE(MakeFile(path, c.name));
        }
        const AppPlatformWin32::AnsiPath got = AppPlatformWin32::FittingAnsiPath(path);
        EXPECT_EQ(got.fits, c.fits) << got.path;
        if (c.fits) {
            EXPECT_LT(got.path.size(), size_t(MAX_PATH));
            EXPECT_EQ(ReadAnsi(got.path), c.name) << got.path << " is another file";
        } else {
            EXPECT_EQ(got.path, Ansi(path)) << "the whole path, not a cut one";
        }
    }
}

TEST_F(AppPlatformWin32Test, AShortEnoughPathIsKeptAsItIs) {
    const std::wstring path = base_ + L"\\\u041f\u0430\u043f\u043a\u0430\\velkaro.exe";
    ASSERT_TRUE(MakeFile(path, "x"));
    const AppPlatformWin32::AnsiPath got = AppPlatformWin32::FittingAnsiPath(path);
    EXPECT_TRUE(got.fits);
    EXPECT_EQ(got.path, Ansi(path)) << "not the short form when the long one fits";
}

// ---------------------------------------------------------------------------------------------
// Version, strings, box

TEST_F(AppPlatformWin32Test, WindowsVersionIsWhatTheSystemReports) {
    const WindowsVersionInfo version = platform_.WindowsVersion();
    ASSERT_TRUE(version.ok);
    EXPECT_EQ(version.platformId, uint32_t(VER_PLATFORM_WIN32_NT));
    const DWORD legacy = GetVersion();  // the same figures, packed: minor in byte 1, major in byte 0
    EXPECT_EQ(version.major, uint32_t(LOBYTE(LOWORD(legacy))));
    EXPECT_EQ(version.minor, uint32_t(HIBYTE(LOWORD(legacy))));
    EXPECT_GE(version.major, 5u);
}

TEST_F(AppPlatformWin32Test, EveryStringOfTheProgramsTableLoadsInCp1251) {
    int loaded = 0;
    for (const StringEntry* e = StringTableBegin(); e != StringTableEnd(); ++e) {
        const std::string got = platform_.LoadAnsiString(e->id, 4096);
        // The command-line tool's own texts (40100 on) are not in the program's resources.
        if (got.empty() && e->id >= 40100) continue;
        EXPECT_EQ(got, Cp1251::FromUtf8(e->utf8)) << "string " << e->id;
        ++loaded;
    }
    EXPECT_GE(loaded, 40);
}

TEST_F(AppPlatformWin32Test, LoadAnsiStringCutsAtTheCapacity) {
    const std::string full = Cp1251::FromUtf8(LookupString(IDS_SETTINGS_MISSING));
    ASSERT_GT(full.size(), 60u);
    EXPECT_EQ(platform_.LoadAnsiString(IDS_SETTINGS_MISSING, 60), full.substr(0, 59));
    EXPECT_EQ(platform_.LoadAnsiString(IDS_SETTINGS_MISSING, 2), full.substr(0, 1));
    EXPECT_EQ(platform_.LoadAnsiString(IDS_SETTINGS_MISSING, 1), "");
    EXPECT_EQ(platform_.LoadAnsiString(IDS_SETTINGS_MISSING, 0), "");
    EXPECT_EQ(platform_.LoadAnsiString(IDS_SETTINGS_MISSING, full.size() + 1), full);
    EXPECT_EQ(platform_.LoadAnsiString(39999, 260), "") << "no such string";
}

TEST_F(AppPlatformWin32Test, OwnerlessMessageShowsTextCaptionAndStyle) {
    const std::string caption = "Velkaro Stego \xc2\xe5\xf0\xf1\xe8\xff 3.1";
    const std::string text = "\xcf\xf0\xee\xe3\xf0\xe0\xec\xec\xe0 \xf3\xe6\xe5 \xe7\xe0\xe3\xf0\xf3\xe6\xe5\xed\xe0.";
    MessageBoxWatcher watcher(caption, IDCANCEL);
    EXPECT_EQ(platform_.ShowOwnerlessMessage(text, caption, MB_OKCANCEL | MB_ICONINFORMATION), IDCANCEL);
    const MessageBoxWatcher::Seen seen = watcher.Result();
    ASSERT_TRUE(seen.found);
    EXPECT_EQ(seen.text, text);
    EXPECT_EQ(seen.owner, nullptr);
    EXPECT_TRUE(seen.hasOk && seen.hasCancel);
    EXPECT_EQ(seen.icon, LoadIconA(nullptr, IDI_INFORMATION));
}

}  // namespace
}  // namespace velkaro
