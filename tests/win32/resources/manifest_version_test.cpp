// The manifest (resource 1 of type 24) and the version record. The manifest is checked twice:
// for what it says, and for its effect (the loader gives this process common controls 6).
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "module_resources.h"
#include "resource_ids.h"

namespace velkaro {
namespace {

const LPCSTR kManifestType = MAKEINTRESOURCEA(24);  // RT_MANIFEST

std::string ManifestText() {
    const ResourceBytes bytes = FindResourceBytes(MAKEINTRESOURCEA(IDR_MANIFEST), kManifestType);
    return bytes ? std::string(static_cast<const char*>(bytes.data), bytes.size) : std::string();
}

TEST(Manifest, NamesCommonControls6AsInvokerDpiAwarenessAndTheSupportedSystems) {
    const std::string text = ManifestText();
    ASSERT_FALSE(text.empty()) << "no manifest resource " << IDR_MANIFEST;
    const char* required[] = {
        "name=\"Microsoft.Windows.Common-Controls\"",
        "version=\"6.0.0.0\"",
        "publicKeyToken=\"6595b64144ccf1df\"",
        "processorArchitecture=\"*\"",
        "level=\"asInvoker\"",
        "uiAccess=\"false\"",
        ">true/PM</dpiAware>",
        ">PerMonitorV2,PerMonitor</dpiAwareness>",
        "{e2011457-1546-43c5-a5fe-008deee3d3f0}",  // Vista
        "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  // 7
        "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  // 8
        "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  // 8.1
        "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  // 10 and 11
    };
    for (const char* part : required) EXPECT_NE(text.find(part), std::string::npos) << part;
    EXPECT_EQ(text.rfind("<?xml", 0), 0u) << "the manifest must start with its XML declaration";
}

// A manifest the loader refuses leaves the process with the old common controls (on Windows it
// keeps the program from starting at all). The process's own activation context, made from the
// manifest, must send comctl32.dll to the Common-Controls 6 assembly.
TEST(Manifest, LoaderSendsComctl32ToCommonControls6) {
    ACTCTX_SECTION_KEYED_DATA found = {};
    found.cbSize = sizeof found;
    ASSERT_TRUE(FindActCtxSectionStringW(FIND_ACTCTX_SECTION_KEY_RETURN_HACTCTX, nullptr,
                                         ACTIVATION_CONTEXT_SECTION_DLL_REDIRECTION, L"comctl32.dll", &found))
        << "comctl32.dll is not redirected, error " << GetLastError();
    DWORD index = found.ulAssemblyRosterIndex;
    SIZE_T needed = 0;
    QueryActCtxW(0, found.hActCtx, &index, AssemblyDetailedInformationInActivationContext, nullptr, 0, &needed);
    std::vector<BYTE> buffer(needed > 0 ? needed : 1);
    const BOOL queried = QueryActCtxW(0, found.hActCtx, &index, AssemblyDetailedInformationInActivationContext,
                                      buffer.data(), buffer.size(), &needed);
    ReleaseActCtx(found.hActCtx);
    ASSERT_TRUE(queried) << "error " << GetLastError();
    const auto* assembly = reinterpret_cast<const ACTIVATION_CONTEXT_ASSEMBLY_DETAILED_INFORMATION*>(buffer.data());
    ASSERT_NE(assembly->lpAssemblyEncodedAssemblyIdentity, nullptr);
    const std::wstring identity(assembly->lpAssemblyEncodedAssemblyIdentity,
                                assembly->ulEncodedAssemblyIdentityLength / sizeof(wchar_t));
    EXPECT_NE(identity.find(L"Microsoft.Windows.Common-Controls"), std::wstring::npos) << identity;
    EXPECT_NE(identity.find(L"version=\"6."), std::wstring::npos) << identity;
}

class VersionRecord : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t path[MAX_PATH] = {};
        ASSERT_GT(GetModuleFileNameW(nullptr, path, MAX_PATH), 0u);
        DWORD ignored = 0;
        const DWORD size = GetFileVersionInfoSizeW(path, &ignored);
        ASSERT_GT(size, 0u) << "no version record";
        data_.resize(size);
        ASSERT_TRUE(GetFileVersionInfoW(path, 0, size, data_.data()));
    }
    // The value at `path` as text; empty when absent.
    std::wstring Text(const std::wstring& path) {
        void* value = nullptr;
        UINT length = 0;
        if (!VerQueryValueW(data_.data(), path.c_str(), &value, &length) || !value || length == 0) return {};
        std::wstring text(static_cast<const wchar_t*>(value), length);
        while (!text.empty() && text.back() == L'\0') text.pop_back();
        return text;
    }
    std::vector<uint8_t> data_;
};

TEST_F(VersionRecord, IsVersion3Point1OfAnApplication) {
    void* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(data_.data(), L"\\", &value, &length));
    ASSERT_GE(length, sizeof(VS_FIXEDFILEINFO));
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileVersionMS, DWORD(MAKELONG(1, 3)));
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);
    EXPECT_EQ(fixed->dwProductVersionMS, DWORD(MAKELONG(1, 3)));
    EXPECT_EQ(fixed->dwFileType, DWORD(VFT_APP));
}

TEST_F(VersionRecord, RussianAndNeutralBlocksNameTheProgram) {
    void* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(data_.data(), L"\\VarFileInfo\\Translation", &value, &length));
    std::vector<std::wstring> blocks;
    for (UINT i = 0; i + 4 <= length; i += 4) {
        const auto* pair = static_cast<const WORD*>(value) + i / 2;
        wchar_t name[16];
        swprintf(name, 16, L"%04X%04X", pair[0], pair[1]);
        blocks.push_back(name);
    }
    ASSERT_EQ(blocks, (std::vector<std::wstring>{L"041904B0", L"000004B0"}));
    struct Field {
        const wchar_t* name;
        const char* utf8;
    };
    const Field fields[] = {
        {L"FileDescription", "Velkaro Stego"},
        {L"ProductName", "Velkaro"},
        {L"FileVersion", "3.1.0.0"},
        {L"ProductVersion", "3.1"},
        {L"OriginalFilename", "velkaro.exe"},
    };
    for (const std::wstring& block : blocks) {
        for (const Field& field : fields) {
            const std::wstring path = L"\\StringFileInfo\\" + block + L"\\" + field.name;
            EXPECT_EQ(Text(path), Utf16FromUtf8(field.utf8)) << field.utf8;
        }
    }
    EXPECT_EQ(Text(L"\\StringFileInfo\\041904B0\\Comments"), Utf16FromUtf8("Шифрование текста электронной почты"))
        << "a Russian text of the record arrives as written";
}

}  // namespace
}  // namespace velkaro
