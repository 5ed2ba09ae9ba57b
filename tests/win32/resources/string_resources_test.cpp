// The program's string table: every string of scope app in strings.tsv is in the resources and
// reads back, through LoadStringA as the program reads it, as the table's text in CP1251; the
// command-line tool's own strings are not in the program's resources.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

#include "cp1251.h"
#include "module_resources.h"
#include "string_table.h"

namespace velkaro {
namespace {

const uint32_t kAppIds[] = {
#include "app_string_ids.inc"
};

bool IsAppId(uint32_t id) { return std::find(std::begin(kAppIds), std::end(kAppIds), id) != std::end(kAppIds); }

// LoadStringA through a buffer larger than any text, so that nothing is cut here.
int LoadAnsi(uint32_t id, std::string& text) {
    std::vector<char> buffer(8192, '\0');
    const int n = LoadStringA(TestModule(), id, buffer.data(), int(buffer.size()));
    text.assign(buffer.data(), size_t(n > 0 ? n : 0));
    return n;
}

TEST(StringResources, EveryAppStringIsInTheTable) {
    ASSERT_GT(std::size(kAppIds), 40u);
    for (uint32_t id : kAppIds) EXPECT_NE(LookupString(id), nullptr) << "id " << id;
}

TEST(StringResources, AppStringsLoadAsTheirCp1251Text) {
    ASSERT_EQ(GetACP(), 1251u) << "the texts are compared in CP1251 (Wine: LC_ALL=ru_RU.UTF-8)";
    for (const StringEntry* e = StringTableBegin(); e != StringTableEnd(); ++e) {
        if (!IsAppId(e->id)) continue;
        SCOPED_TRACE("string " + std::to_string(e->id));
        std::string text;
        ASSERT_GT(LoadAnsi(e->id, text), 0) << e->utf8;
        EXPECT_EQ(text, Cp1251::FromUtf8(e->utf8)) << e->utf8;
    }
}

// The same comparison in UTF-16, which does not depend on the ANSI code page: what windres made
// of the UTF-8 script, quotes and line breaks included.
TEST(StringResources, AppStringsAreStoredAsTheirUnicodeText) {
    for (const StringEntry* e = StringTableBegin(); e != StringTableEnd(); ++e) {
        if (!IsAppId(e->id)) continue;
        SCOPED_TRACE("string " + std::to_string(e->id));
        const wchar_t* stored = nullptr;
        const int n = LoadStringW(TestModule(), e->id, reinterpret_cast<LPWSTR>(&stored), 0);
        ASSERT_GT(n, 0) << e->utf8;
        EXPECT_EQ(std::wstring(stored, size_t(n)), Utf16FromUtf8(e->utf8)) << e->utf8;
    }
}

TEST(StringResources, CommandLineStringsStayOutOfTheProgram) {
    int cliStrings = 0;
    for (const StringEntry* e = StringTableBegin(); e != StringTableEnd(); ++e) {
        if (IsAppId(e->id)) continue;
        ++cliStrings;
        std::string text;
        EXPECT_EQ(LoadAnsi(e->id, text), 0) << "string " << e->id << " is in the program's resources";
    }
    EXPECT_GT(cliStrings, 0);
}

// The texts whose exact form matters: quotes inside a text and a line break.
TEST(StringResources, QuotesAndLineBreaksSurviveTheResourceScript) {
    struct Case {
        uint32_t id;
        const char* utf8;
    };
    const Case cases[] = {
        {IDS_OBJECT_FROM_LRESULT_MISSING, "Невозможно загрузить функцию\"ObjectFromLresult\" из OLEACC.DLL"},
        {IDS_SETTINGS_MISSING, "Файл Velkaro.ini не найден. \n Параметры будут установлены по умолчанию."},
    };
    for (const Case& c : cases) {
        std::string text;
        LoadAnsi(c.id, text);
        EXPECT_EQ(text, Cp1251::FromUtf8(c.utf8)) << c.utf8;
    }
}

}  // namespace
}  // namespace velkaro
