// The desktop link: created (or replaced) as programCaption + ".lnk" on the desktop, pointing
// at programPath with the description "Shortcut to " + the caption, without leaving its
// staging copy in the program's folder, also when the copy fails; found and deleted again.
// Every test runs on a desktop folder of its own (desktop_redirect.h).

#include "desktop_link.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <objidl.h>
#include <shlobj.h>

#include <set>
#include <string>

#include "com.h"
#include "desktop_redirect.h"
#include "handles.h"
#include "temp_dir.h"
#include "test_app.h"

namespace velkaro {
namespace {

// What a link file holds, read back through the shell's own link object.
struct LinkContent {
    bool loaded = false;
    std::string target;
    std::string description;
};

LinkContent ReadLink(const std::string& path) {
    LinkContent content;
    ui::ComPtr<IShellLinkA> link;
    ui::ComPtr<IPersistFile> file;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                link.put_void())) ||
        FAILED(link->QueryInterface(IID_IPersistFile, file.put_void()))) {
        return content;
    }
    wchar_t widePath[MAX_PATH] = {};
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, widePath, MAX_PATH);
    if (FAILED(file->Load(widePath, STGM_READ))) return content;
    char text[1024] = {};
    if (SUCCEEDED(link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH))) content.target = text;
    text[0] = '\0';
    if (SUCCEEDED(link->GetDescription(text, sizeof text))) content.description = text;
    content.loaded = true;
    return content;
}

// The names in a folder in the ANSI code page, as the program names its files.
std::set<std::string> EntriesOf(const std::string& folder) {
    std::set<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        const std::string name = found.cFileName;
        if (name != "." && name != "..") names.insert(name);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

// Writes a small file through the ANSI API (TempDir's paths carry no ANSI names).
void WriteFileBytes(const std::string& path, const std::string& bytes) {
    ui::UniqueKernelHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_NE(file.get(), INVALID_HANDLE_VALUE) << path;
    DWORD written = 0;
    WriteFile(file.get(), bytes.data(), DWORD(bytes.size()), &written, nullptr);
    ASSERT_EQ(written, bytes.size());
}

class DesktopLinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(com_.ok());
        // Without its own desktop the test would write into the machine's home directory.
        ASSERT_TRUE(desktop_.Active()) << "the desktop is still " << DesktopRedirect::ShellDesktop()
                                       << ", not " << desktop_.folder().Path();
        program_.Write("velkaro.exe", "MZ");
        programEntries_ = EntriesOf(program_.Path());
    }

    std::string LinkName() const { return app_.caption() + ".lnk"; }
    std::string LinkPath() const { return Desktop() + "\\" + LinkName(); }
    std::string Desktop() const { return desktop_.folder().Path(); }
    std::string ProgramPath() const { return program_.File("velkaro.exe"); }
    // The program's folder holds what it held before: no staging file is left there.
    void ExpectProgramFolderUnchanged() const {
        EXPECT_EQ(EntriesOf(program_.Path()), programEntries_) << "a staging file was left behind";
    }

    ui::ComApartment com_;
    DesktopRedirect desktop_;
    TempDir program_;
    TestApp app_{program_.Path()};
    std::set<std::string> programEntries_;
};

TEST_F(DesktopLinkTest, CreatesTheLinkToTheProgramOnTheDesktop) {
    EXPECT_FALSE(DesktopLinkExists(app_.app()));

    ASSERT_TRUE(CreateDesktopLink(app_.app()));

    EXPECT_EQ(EntriesOf(Desktop()), std::set<std::string>{LinkName()})
        << "exactly one new file on the desktop";
    EXPECT_TRUE(DesktopLinkExists(app_.app()));
    const LinkContent link = ReadLink(LinkPath());
    ASSERT_TRUE(link.loaded);
    EXPECT_EQ(link.target, ProgramPath());
    EXPECT_EQ(link.description, "Shortcut to " + app_.caption());
    ExpectProgramFolderUnchanged();
}

TEST_F(DesktopLinkTest, ReplacesAnExistingLink) {
    WriteFileBytes(LinkPath(), "an old link");
    TempDir moved;
    moved.Write("velkaro.exe", "MZ");
    app_.SetProgramFolder(moved.Path());

    ASSERT_TRUE(CreateDesktopLink(app_.app()));

    EXPECT_EQ(ReadLink(LinkPath()).target, moved.File("velkaro.exe"));
    EXPECT_EQ(EntriesOf(moved.Path()), std::set<std::string>{"velkaro.exe"}) << "no staging file";
}

// The program itself may lie on the desktop: its folder is then where the link goes.
TEST_F(DesktopLinkTest, CreatesTheLinkWhenTheProgramLiesOnTheDesktop) {
    desktop_.folder().Write("velkaro.exe", "MZ");
    app_.SetProgramFolder(desktop_.folder().Path());

    ASSERT_TRUE(CreateDesktopLink(app_.app()));

    EXPECT_EQ(EntriesOf(Desktop()), (std::set<std::string>{"velkaro.exe", LinkName()}));
    EXPECT_EQ(ReadLink(LinkPath()).target, desktop_.folder().File("velkaro.exe"));
}

TEST_F(DesktopLinkTest, ReportsAFailedCreationAndLeavesNoStagingFile) {
    struct Case {
        const char* name;
        bool blockDesktop;    // a folder of the link's name stands on the desktop: the copy fails
        bool missingProgram;  // the program's folder does not exist: nothing can be staged
    } cases[] = {
        {"copy to the desktop refused", true, false},
        {"program folder missing", false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.blockDesktop) {
            ASSERT_TRUE(CreateDirectoryA(LinkPath().c_str(), nullptr));
        }
        app_.SetProgramFolder(c.missingProgram ? program_.File("gone") : program_.Path());

        EXPECT_FALSE(CreateDesktopLink(app_.app()));

        ExpectProgramFolderUnchanged();
        EXPECT_FALSE(DesktopLinkExists(app_.app()));
        RemoveDirectoryA(LinkPath().c_str());
        EXPECT_TRUE(EntriesOf(Desktop()).empty());
    }
}

TEST_F(DesktopLinkTest, DeletesTheLink) {
    ASSERT_TRUE(CreateDesktopLink(app_.app()));

    EXPECT_TRUE(DeleteDesktopLink(app_.app()));

    EXPECT_FALSE(DesktopLinkExists(app_.app()));
    EXPECT_TRUE(EntriesOf(Desktop()).empty());
    EXPECT_TRUE(DeleteDesktopLink(app_.app())) << "a link that is not there counts as deleted";
}

TEST_F(DesktopLinkTest, ReportsALinkThatCouldNotBeDeleted) {
    ASSERT_TRUE(CreateDesktopLink(app_.app()));
    {
        // Another program holds the link open and does not share its deletion.
        ui::UniqueKernelHandle held(CreateFileA(LinkPath().c_str(), GENERIC_READ, FILE_SHARE_READ,
                                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                                nullptr));
        ASSERT_NE(held.get(), INVALID_HANDLE_VALUE);

        EXPECT_FALSE(DeleteDesktopLink(app_.app()));
        EXPECT_TRUE(DesktopLinkExists(app_.app()));
    }
    EXPECT_TRUE(DeleteDesktopLink(app_.app()));
}

}  // namespace
}  // namespace velkaro
