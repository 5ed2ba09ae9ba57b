// The help file as Windows reads it: velkaro.chm lies beside this test program (CMake copies the
// built file here), as it lies beside velkaro.exe, and the topic path is made by the program's
// own HelpPathOf. The file is read through itss.dll (the reader HTML Help itself uses), and the
// program's ShowHelp opens it with HtmlHelpA.
//
// Under Wine the tests' prefix has no HTML engine (mshtml is disabled), so the help window shows
// an empty topic pane; its frame, title, contents tree and index list are hhctrl's own windows
// and are checked here. The topic's text is checked through itss.dll instead.

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "com.h"
#include "its_storage.h"
#include "path_routines.h"
#include "wait_until.h"
#include "window_helpers.h"

namespace velkaro {
namespace {

using help_test::IITStorage;
using help_test::kClsidItStorage;
using help_test::kIidItStorage;

constexpr UINT kHtmlHelpCloseAll = 0x12;  // HH_CLOSE_ALL

// The help path the program builds for a velkaro.exe in this test's folder:
// "<folder>\velkaro.CHM::/nazn.html".
std::string ProgramHelpPath() {
    char module[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, module, MAX_PATH);
    char programPath[kPathCapacity] = {};
    ProgramDirOf(module, programPath);
    AppendBounded(programPath, "velkaro.exe");
    char helpPath[kPathCapacity] = {};
    HelpPathOf(programPath, helpPath);
    return helpPath;
}

// Splits "<file>::/<topic>" into the file and the topic.
std::pair<std::string, std::string> SplitHelpPath(const std::string& helpPath) {
    const size_t at = helpPath.find("::/");
    if (at == std::string::npos) return {helpPath, ""};
    return {helpPath.substr(0, at), helpPath.substr(at + 3)};
}

std::wstring Widen(const std::string& text, UINT codePage) {
    if (text.empty()) return {};
    const int n = MultiByteToWideChar(codePage, 0, text.data(), int(text.size()), nullptr, 0);
    std::wstring wide(size_t(n), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), int(text.size()), wide.data(), n);
    return wide;
}

// The help file's texts are Windows-1251, whatever the system's ANSI code page is.
std::wstring FromHelpText(const std::string& text) { return Widen(text, 1251); }

// UTF-8, so that a failed comparison prints readable Russian.
std::string Utf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0,
                                      nullptr, nullptr);
    std::string bytes(size_t(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), bytes.data(), n, nullptr,
                        nullptr);
    return bytes;
}

std::vector<std::string> Utf8(const std::vector<std::wstring>& texts) {
    std::vector<std::string> out;
    for (const std::wstring& text : texts) out.push_back(Utf8(text));
    return out;
}

// The text between `open` and `close` after `from`; empty when there is none.
std::string Between(const std::string& text, const std::string& open, const std::string& close,
                    size_t* from) {
    const size_t start = text.find(open, *from);
    if (start == std::string::npos) {
        *from = std::string::npos;
        return {};
    }
    const size_t end = text.find(close, start + open.size());
    if (end == std::string::npos) {
        *from = std::string::npos;
        return {};
    }
    *from = end + close.size();
    return text.substr(start + open.size(), end - start - open.size());
}

struct SitemapEntry {
    std::string name;
    std::string local;
};

// The entries of a contents or index file, in file order.
std::vector<SitemapEntry> ReadSitemap(const std::string& text) {
    std::vector<SitemapEntry> entries;
    size_t at = 0;
    for (;;) {
        std::string name = Between(text, "<param name=\"Name\" value=\"", "\"", &at);
        if (at == std::string::npos) break;
        std::string local = Between(text, "<param name=\"Local\" value=\"", "\"", &at);
        if (at == std::string::npos) break;
        entries.push_back({std::move(name), std::move(local)});
    }
    return entries;
}

// The help file opened through itss.dll.
class HelpStorage {
public:
    explicit HelpStorage(const std::string& file) {
        ui::ComPtr<IITStorage> its;
        result_ = CoCreateInstance(kClsidItStorage, nullptr, CLSCTX_INPROC_SERVER, kIidItStorage,
                                   its.put_void());
        if (FAILED(result_)) return;
        const std::wstring name = Widen(file, CP_ACP);
        result_ = its->StgOpenStorage(name.c_str(), nullptr, STGM_READ | STGM_SHARE_DENY_WRITE,
                                      nullptr, 0, storage_.put());
    }
    HRESULT result() const { return result_; }

    // The whole stream `name` (a path inside the file); false when the file has no such stream.
    bool Read(const std::string& name, std::string* content) const {
        ui::ComPtr<IStream> stream;
        const std::wstring wide = Widen(name, CP_ACP);
        if (FAILED(storage_->OpenStream(wide.c_str(), nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE,
                                        0, stream.put()))) {
            return false;
        }
        content->clear();
        char chunk[4096];
        ULONG got = 0;
        while (SUCCEEDED(stream->Read(chunk, sizeof chunk, &got)) && got > 0) {
            content->append(chunk, got);
        }
        return true;
    }

private:
    HRESULT result_ = E_FAIL;
    ui::ComPtr<IStorage> storage_;
};

class HelpFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(apartment_.ok());
        helpPath_ = ProgramHelpPath();
        std::tie(file_, topic_) = SplitHelpPath(helpPath_);
        ASSERT_EQ(topic_, "nazn.html") << helpPath_;
        ASSERT_NE(GetFileAttributesA(file_.c_str()), INVALID_FILE_ATTRIBUTES)
            << file_ << " is missing: the build copies velkaro.chm beside this test";
    }

    std::string Read(const HelpStorage& storage, const std::string& name) {
        std::string content;
        EXPECT_TRUE(storage.Read(name, &content)) << name << " is not in " << file_;
        return content;
    }

    ui::ComApartment apartment_;
    std::string helpPath_, file_, topic_;
};

// ---------------------------------------------------------------------------------------------
// The file through itss.dll

TEST_F(HelpFileTest, TheTopicTheProgramOpensIsThePurposeOfTheProgram) {
    HelpStorage storage(file_);
    ASSERT_EQ(storage.result(), S_OK) << file_;
    const std::string page = Read(storage, topic_);
    EXPECT_NE(page.find("charset=windows-1251"), std::string::npos);
    size_t at = 0;
    EXPECT_EQ(Utf8(FromHelpText(Between(page, "<title>", "</title>", &at))),
              "Назначение программы");
    at = 0;
    EXPECT_EQ(Utf8(FromHelpText(Between(page, "<h1>", "</h1>", &at))), "Назначение программы");
}

TEST_F(HelpFileTest, EveryPageOfTheContentsAndTheIndexIsInTheFile) {
    HelpStorage storage(file_);
    ASSERT_EQ(storage.result(), S_OK) << file_;
    for (const char* sitemap : {"velkaro.hhc", "velkaro.hhk"}) {
        const std::vector<SitemapEntry> entries = ReadSitemap(Read(storage, sitemap));
        ASSERT_FALSE(entries.empty()) << sitemap;
        for (const SitemapEntry& entry : entries) {
            const std::string page = entry.local.substr(0, entry.local.find('#'));
            std::string content;
            EXPECT_TRUE(storage.Read(page, &content) && !content.empty())
                << sitemap << ": " << entry.local << " does not open";
        }
    }
}

// ---------------------------------------------------------------------------------------------
// The help window of HtmlHelpA, opened by the program's ShowHelp

// A hidden popup, like the program's main window, the owner of the help window.
class OwnerWindow {
public:
    OwnerWindow()
        : window_(CreateWindowExA(0, "STATIC", "owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr)) {}
    ~OwnerWindow() {
        if (window_) DestroyWindow(window_);
    }
    OwnerWindow(const OwnerWindow&) = delete;
    OwnerWindow& operator=(const OwnerWindow&) = delete;
    HWND get() const { return window_; }

private:
    HWND window_;
};

std::string ClassOf(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

BOOL CALLBACK CollectHelpWindow(HWND window, LPARAM list) {
    if (ClassOf(window) == "HH Parent") {
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    }
    return TRUE;
}

// The help windows ("HH Parent") of this thread: HtmlHelpA creates them on the calling thread.
std::vector<HWND> HelpWindows() {
    std::vector<HWND> found;
    EnumThreadWindows(GetCurrentThreadId(), CollectHelpWindow, reinterpret_cast<LPARAM>(&found));
    return found;
}

struct DescendantSearch {
    const char* className;
    HWND found;
};

BOOL CALLBACK MatchDescendant(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<DescendantSearch*>(param);
    if (ClassOf(window) != search->className) return TRUE;
    search->found = window;
    return FALSE;
}

HWND FindDescendant(HWND parent, const char* className) {
    DescendantSearch search{className, nullptr};
    EnumChildWindows(parent, MatchDescendant, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::wstring WindowText(HWND window) {
    wchar_t text[256] = {};
    GetWindowTextW(window, text, 256);
    return text;
}

std::wstring TreeItemText(HWND tree, HTREEITEM item) {
    wchar_t text[256] = {};
    TVITEMW data = {};
    data.mask = TVIF_TEXT | TVIF_HANDLE;
    data.hItem = item;
    data.pszText = text;
    data.cchTextMax = 256;
    SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&data));
    return text;
}

struct TreeEntry {
    std::wstring text;
    std::vector<std::wstring> children;
};

HTREEITEM NextItem(HWND tree, HTREEITEM item, WPARAM relation) {
    return reinterpret_cast<HTREEITEM>(
        SendMessageW(tree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item)));
}

// The top level of the contents tree with the texts of each entry's children.
std::vector<TreeEntry> ReadTree(HWND tree) {
    std::vector<TreeEntry> entries;
    for (HTREEITEM item = NextItem(tree, nullptr, TVGN_ROOT); item;
         item = NextItem(tree, item, TVGN_NEXT)) {
        TreeEntry entry{TreeItemText(tree, item), {}};
        for (HTREEITEM child = NextItem(tree, item, TVGN_CHILD); child;
             child = NextItem(tree, child, TVGN_NEXT)) {
            entry.children.push_back(TreeItemText(tree, child));
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

std::vector<std::wstring> ReadList(HWND list) {
    std::vector<std::wstring> items;
    const int count = int(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        wchar_t text[256] = {};
        LVITEMW item = {};
        item.iSubItem = 0;
        item.pszText = text;
        item.cchTextMax = 256;
        SendMessageW(list, LVM_GETITEMTEXTW, WPARAM(i), reinterpret_cast<LPARAM>(&item));
        items.push_back(text);
    }
    return items;
}

// Closes every help window of the process, as HH_CLOSE_ALL does at the program's end.
void CloseAllHelp() {
    using HtmlHelpFn = HWND(WINAPI*)(HWND, LPCSTR, UINT, DWORD_PTR);
    HMODULE control = GetModuleHandleA("hhctrl.ocx");
    if (!control) return;
    auto htmlHelp = reinterpret_cast<HtmlHelpFn>(
        reinterpret_cast<void*>(GetProcAddress(control, "HtmlHelpA")));
    if (htmlHelp) htmlHelp(nullptr, nullptr, kHtmlHelpCloseAll, 0);
}

class HelpWindowTest : public HelpFileTest {
protected:
    void TearDown() override {
        CloseAllHelp();
        EXPECT_TRUE(WaitUntil([] { return HelpWindows().empty(); })) << "a help window stayed";
    }
};

TEST_F(HelpWindowTest, ShowHelpOpensTheHelpWindowWithItsContentsAndIndex) {
    OwnerWindow owner;
    ASSERT_TRUE(owner.get());
    ASSERT_TRUE(ShowHelp(owner.get(), helpPath_.c_str())) << helpPath_;

    HWND help = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        const std::vector<HWND> windows = HelpWindows();
        help = windows.empty() ? nullptr : windows.front();
        return help && IsWindowVisible(help);
    })) << "no visible help window";
    EXPECT_EQ(HelpWindows().size(), 1u);
    EXPECT_EQ(Utf8(WindowText(help)), "Velkaro Stego — Справка");

    // The contents as HTML Help shows them: Russian titles, in the order of velkaro.hhc.
    HWND tree = FindDescendant(help, "SysTreeView32");
    ASSERT_TRUE(tree);
    const std::vector<TreeEntry> expected = {
        {L"Назначение программы", {}},
        {L"Жесты", {}},
        {L"Окно пароля", {}},
        {L"Значок и меню", {}},
        {L"Просмотр буфера обмена", {}},
        {L"Скрытые сообщения", {}},
        {L"Настройка",
         {L"Общие настройки", L"Шифрование текста", L"Информационная надпись", L"Стегонаграфия"}},
        {L"Формат зашифрованного сообщения", {}},
        {L"Программа velkaro-cli", {}},
        {L"Сообщения программы", {}},
    };
    const std::vector<TreeEntry> shown = ReadTree(tree);
    ASSERT_EQ(shown.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(Utf8(shown[i].text), Utf8(expected[i].text)) << "entry " << i;
        EXPECT_EQ(Utf8(shown[i].children), Utf8(expected[i].children)) << "entry " << i;
    }

    // Two tabs (contents and index); the index lists every keyword of velkaro.hhk.
    HWND tabs = FindDescendant(help, "SysTabControl32");
    ASSERT_TRUE(tabs);
    EXPECT_EQ(SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0), 2);
    HWND index = FindDescendant(help, "SysListView32");
    ASSERT_TRUE(index);
    HelpStorage storage(file_);
    ASSERT_EQ(storage.result(), S_OK);
    std::vector<std::wstring> keywords;
    for (const SitemapEntry& entry : ReadSitemap(Read(storage, "velkaro.hhk"))) {
        keywords.push_back(FromHelpText(entry.name));
    }
    EXPECT_EQ(Utf8(ReadList(index)), Utf8(keywords));
    EXPECT_NE(std::find(keywords.begin(), keywords.end(), L"Спящий режим"), keywords.end());
}

TEST_F(HelpWindowTest, AMissingHelpFileOpensNoWindow) {
    OwnerWindow owner;
    ASSERT_TRUE(owner.get());
    const std::string missing = file_ + ".missing::/" + topic_;
    EXPECT_FALSE(ShowHelp(owner.get(), missing.c_str()));
    EXPECT_TRUE(HelpWindows().empty());
}

}  // namespace
}  // namespace velkaro
