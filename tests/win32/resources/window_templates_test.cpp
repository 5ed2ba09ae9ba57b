// The window templates of the clipboard viewer (136), the about box (142), the cover-text
// chooser (149), the three settings pages (165, 166, 167) and the note editor (174): first as
// compiled (the window's style, caption, size and font, and every control in template order),
// then windows made from them, for what the program relies on: pictures that fill their
// units, sorted lists, the up-down control writing into its hidden edit, the radio group of
// the modifier keys, the note button's picture, and the pages in a property sheet.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <ostream>
#include <string>
#include <vector>

#include "handles.h"
#include "memory_dc.h"
#include "module_resources.h"
#include "resource_ids.h"
#include "template_lookup.h"

namespace velkaro {
namespace {

constexpr DWORD kShown = WS_CHILD | WS_VISIBLE;
constexpr DWORD kHidden = WS_CHILD;
constexpr DWORD kCheckBox = BS_AUTOCHECKBOX | WS_TABSTOP;
constexpr DWORD kModalWindow = DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_SETFONT;
// A property page: a disabled child whose caption is its tab's title.
constexpr DWORD kPage = WS_CHILD | WS_DISABLED | WS_CAPTION | DS_SETFONT;

struct ExpectedControl {
    DWORD id;
    const wchar_t* className;
    DWORD style;  // exactly, WS_CHILD and WS_VISIBLE included
    short x, y, cx, cy;
    const wchar_t* text;  // nullptr: the text is the ordinal `picture`
    uint16_t picture;
};

struct ExpectedTemplate {
    const char* name;
    UINT id;
    DWORD style;
    short cx, cy;
    const wchar_t* caption;
    std::vector<ExpectedControl> controls;  // in template order
};

const ExpectedTemplate kTemplates[] = {
    {"ClipboardViewer", IDD_CLIPBOARD, WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | DS_SETFONT, 265, 167,
     L"Буфер обмена",
     {
         {IDC_CLIPBOARD_TEXT, L"Edit",
          kShown | ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL | ES_AUTOHSCROLL | WS_VSCROLL | WS_HSCROLL |
              WS_BORDER | WS_TABSTOP,
          0, 15, 265, 151, L"", 0},
     }},
    {"AboutBox", IDD_ABOUT, kModalWindow, 213, 98, L"О программе",
     {
         {kNoId, L"Static", kShown | SS_BITMAP, 0, 0, 213, 39, nullptr, IDB_ABOUT},
         {kNoId, L"Static", kShown | SS_LEFT, 4, 41, 107, 8, L"Программа для шифрования ", 0},
         // Both two units wider than their texts need on Windows, so that no font wraps them.
         {kNoId, L"Static", kShown | SS_LEFT, 19, 50, 76, 8, L"почтовых сообщений.", 0},
         {kNoId, L"Static", kShown | SS_LEFT, 22, 59, 68, 8, L"Web-mail шифратор", 0},
         {IDC_ABOUT_VERSION, L"Static", kShown | SS_LEFT, 161, 42, 43, 8, L" Версия 3.1", 0},
         {kNoId, L"Static", kShown | SS_SUNKEN, 0, 69, 213, 1, L"", 0},
         {kNoId, L"Static", kShown | SS_LEFT, 4, 80, 100, 8, L"Шифр ГОСТ 28147-89", 0},
         {IDOK, L"Button", kShown | BS_DEFPUSHBUTTON | WS_TABSTOP, 160, 77, 45, 14, L"OK", 0},
     }},
    {"CoverTextChooser", IDD_TEMPLATE, kModalWindow, 243, 87, L"Введите текст заменяющий скрытый",
     {
         {IDC_TEMPLATE_LIST, L"ListBox",
          kShown | LBS_SORT | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_BORDER | WS_TABSTOP, 0, 2, 243, 65,
          L"", 0},
         {kNoId, L"Static", kShown | SS_BITMAP, 1, 69, 128, 17, nullptr, IDB_TEMPLATE},
         {IDCANCEL, L"Button", kShown | BS_PUSHBUTTON | WS_TABSTOP, 133, 71, 50, 14, L"Cancel", 0},
         {IDOK, L"Button", kShown | BS_DEFPUSHBUTTON | WS_TABSTOP, 189, 71, 50, 14, L"OK", 0},
     }},
    {"GeneralPage", IDD_CFG_MAIN, kPage, 270, 140, L"Общие настройки",
     {
         {IDC_CFG_KEEP_PASSWORD, L"Button", kShown | kCheckBox, 15, 13, 119, 10, L"Сохранять пароль в памяти", 0},
         {IDC_CFG_AUTOSTART, L"Button", kShown | kCheckBox, 15, 26, 177, 10, L"Загружать вместе с Windows", 0},
         {IDC_CFG_DESKTOP_LINK, L"Button", kShown | kCheckBox, 15, 39, 158, 10, L"Разместить линк на рабочем столе",
          0},
         {kNoId, L"Button", kShown | BS_GROUPBOX, 7, 0, 256, 133, L"", 0},
         {IDC_CFG_UNLOAD_IDLE, L"Button", kHidden | kCheckBox, 15, 52, 143, 10, L"Выгружать программу из памяти или",
          0},
         {kNoId, L"Static", kHidden | SS_LEFT, 25, 66, 133, 8, L" если  программа бездействует более ", 0},
         {kNoId, L"Static", kHidden | SS_LEFT, 199, 66, 16, 8, L"мин.", 0},
         {IDC_CFG_ERASE_KEYS_IDLE, L"Button", kHidden | kCheckBox, 160, 52, 69, 10, L"стирать ключи", 0},
         {IDC_CFG_IDLE_MINUTES, L"Edit", kHidden | WS_DISABLED | ES_NUMBER | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP,
          160, 64, 25, 14, L"", 0},
         {IDC_CFG_IDLE_SPIN, L"msctls_updown32", kHidden | UDS_AUTOBUDDY | UDS_SETBUDDYINT | UDS_ARROWKEYS, 187, 64,
          10, 14, L"", 0},
     }},
    {"SteganographyPage", IDD_CFG_STEGO, kPage, 270, 140, L"Стегонаграфия",
     {
         // Six units wider than the text needs on Windows, so that no font cuts it.
         {kNoId, L"Static", kShown | SS_LEFT, 13, 8, 240, 8,
          L"Активировать режим ввода скрытого текста  по двойному нажатию ", 0},
         {kNoId, L"Static", kShown | SS_LEFT, 13, 18, 109, 8, L"левой кнопки мыши + клавиша ", 0},
         {kNoId, L"Button", kShown | BS_GROUPBOX, 7, 0, 255, 32, L"", 0},
         {IDC_STEGO_CTRL, L"Button", kShown | BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, 125, 18, 35, 10, L"CTRL", 0},
         {IDC_STEGO_INS, L"Button", kShown | BS_AUTORADIOBUTTON, 208, 18, 30, 10, L"INS", 0},
         {IDC_STEGO_SHIFT, L"Button", kShown | BS_AUTORADIOBUTTON, 165, 18, 38, 10, L"SHIFT", 0},
         {IDC_STEGO_OFFER_LIST, L"Button", kShown | kCheckBox | WS_GROUP, 16, 35, 126, 10,
          L"Предлагать шаблон из списка ", 0},
         {IDC_STEGO_BUTTON_EDIT, L"Button", kHidden | WS_DISABLED | BS_PUSHBUTTON | BS_BITMAP | WS_TABSTOP, 240, 46,
          20, 16, L"", 0},
         {IDC_STEGO_BUTTON_ADD, L"Button", kHidden | WS_DISABLED | BS_PUSHBUTTON | BS_BITMAP | WS_TABSTOP, 240, 64,
          20, 16, L"", 0},
         {IDC_STEGO_BUTTON_DELETE, L"Button", kHidden | WS_DISABLED | BS_PUSHBUTTON | BS_BITMAP | WS_TABSTOP, 240,
          82, 20, 16, L"", 0},
         {kNoId, L"Button", kShown | BS_GROUPBOX, 7, 29, 255, 104, L"", 0},
         {IDC_STEGO_TEMPLATES, L"ListBox", kShown | LBS_SORT | LBS_NOTIFY | WS_VSCROLL | WS_BORDER | WS_TABSTOP, 16,
          46, 220, 54, L"", 0},
         {IDC_STEGO_OWN_TEMPLATE, L"Edit", kShown | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 16, 110, 220, 15, L"", 0},
         {kNoId, L"Static", kShown | SS_LEFT, 16, 101, 129, 8, L"Использовать собственный шаблон", 0},
     }},
    {"TextEncryptionPage", IDD_CFG_SHIFR_TXT, kPage, 270, 140, L"Шифрование текста",
     {
         {IDC_CFG_COLOUR_BACKGROUND, L"Button", kShown | kCheckBox, 16, 13, 183, 10,
          L"Менять цвет фона у зашифрованного сообщения", 0},
         {kNoId, L"Button", kShown | BS_GROUPBOX, 7, 53, 256, 80, L" Информационное сообщение ", 0},
         {kNoId, L"Button", kShown | BS_GROUPBOX, 7, 0, 256, 51, L"", 0},
         {IDC_CFG_ADD_INFO_NOTE, L"Button", kShown | kCheckBox, 13, 70, 243, 10,
          L"Добавлять информационное сообщение в зашифрованное письмо", 0},
         {kNoId, L"Static", kShown | SS_LEFT, 26, 85, 153, 8, L"Редактировать информационное сообщение", 0},
         {IDC_CFG_EDIT_NOTE, L"Button", kShown | BS_PUSHBUTTON | BS_BITMAP | WS_TABSTOP, 185, 82, 20, 16, L"", 0},
     }},
    {"NoteEditor", IDD_INFO_NOTE, kModalWindow, 212, 77, L"Редактировать информационное сообщение",
     {
         {IDC_INFO_NOTE_TEXT, L"Edit",
          kShown | ES_MULTILINE | ES_WANTRETURN | ES_AUTOHSCROLL | WS_VSCROLL | WS_BORDER | WS_TABSTOP, 0, 18, 211, 58,
          L"", 0},
     }},
};

// Test names and failure messages show the case's name, not its bytes.
void PrintTo(const ExpectedTemplate& tested, std::ostream* out) { *out << tested.name; }

class CompiledTemplate : public ::testing::TestWithParam<ExpectedTemplate> {};

TEST_P(CompiledTemplate, WindowHasItsStyleCaptionSizeAndFont) {
    const ExpectedTemplate& want = GetParam();
    const DialogTemplate t = ReadDialogTemplate(want.id);
    EXPECT_EQ(t.style, want.style) << std::hex << "0x" << t.style << " instead of 0x" << want.style;
    EXPECT_EQ(t.exStyle, 0u);
    EXPECT_EQ(t.x, 0);
    EXPECT_EQ(t.y, 0);
    EXPECT_EQ(t.cx, want.cx);
    EXPECT_EQ(t.cy, want.cy);
    EXPECT_EQ(t.title, want.caption);
    EXPECT_FALSE(t.menu.isOrdinal || !t.menu.text.empty()) << "the window has no menu";
    EXPECT_FALSE(t.windowClass.isOrdinal || !t.windowClass.text.empty()) << "the standard dialog class";
    EXPECT_EQ(t.pointSize, 8);
    EXPECT_EQ(t.typeface, L"MS Sans Serif");
    EXPECT_EQ(t.italic, 0);
    EXPECT_LE(t.weight, FW_NORMAL);
    EXPECT_EQ(t.charset, DEFAULT_CHARSET) << "a charset of its own would keep the system's from the font";
}

TEST_P(CompiledTemplate, ControlsHaveTheirIdsClassesStylesPlacesAndTextsInOrder) {
    const ExpectedTemplate& want = GetParam();
    const DialogTemplate t = ReadDialogTemplate(want.id);
    ASSERT_EQ(t.items.size(), want.controls.size());
    for (size_t i = 0; i < want.controls.size(); ++i) {
        const ExpectedControl& control = want.controls[i];
        const DialogTemplateItem& item = t.items[i];
        SCOPED_TRACE("control " + std::to_string(i) + " (id " + std::to_string(int(short(control.id))) + ")");
        EXPECT_EQ(item.id & 0xFFFF, control.id);
        EXPECT_TRUE(SameClass(item.className, control.className)) << std::string(item.className.begin(), item.className.end());
        EXPECT_EQ(item.style, control.style) << std::hex << "0x" << item.style << " instead of 0x" << control.style;
        EXPECT_EQ(item.exStyle, 0u);
        EXPECT_EQ(item.x, control.x);
        EXPECT_EQ(item.y, control.y);
        EXPECT_EQ(item.cx, control.cx);
        EXPECT_EQ(item.cy, control.cy);
        if (control.text) {
            EXPECT_FALSE(item.title.isOrdinal);
            EXPECT_EQ(item.title.text, control.text);
        } else {
            EXPECT_TRUE(item.title.isOrdinal) << "a bitmap static names its bitmap by number";
            EXPECT_EQ(item.title.ordinal, control.picture);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Templates, CompiledTemplate, ::testing::ValuesIn(kTemplates),
                         [](const ::testing::TestParamInfo<ExpectedTemplate>& tested) { return std::string(tested.param.name); });

// ---- Windows made from the templates.

INT_PTR CALLBACK AcceptInit(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

// A window made from template `id`: a page (a child template) is made in a plain frame and
// enabled, as the property sheet enables the page it shows.
class TemplateWindow {
public:
    explicit TemplateWindow(UINT id) {
        const DialogTemplate t = ReadDialogTemplate(id);
        HWND parent = nullptr;
        if (t.style & WS_CHILD) {
            frame_.reset(CreateWindowExA(0, "Static", "", WS_POPUP, 0, 0, 600, 400, nullptr, nullptr, TestModule(),
                                         nullptr));
            parent = frame_.get();
        }
        INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_UPDOWN_CLASS | ICC_STANDARD_CLASSES};
        InitCommonControlsEx(&classes);
        window_.reset(CreateDialogParamA(TestModule(), MAKEINTRESOURCEA(id), parent, &AcceptInit, 0));
        if (window_ && parent) EnableWindow(window_.get(), TRUE);
    }
    explicit operator bool() const { return bool(window_); }
    HWND get() const { return window_.get(); }
    HWND Item(int id) const { return GetDlgItem(window_.get(), id); }
    // The first control without an id that shows a bitmap.
    HWND Picture() const {
        for (HWND child = GetWindow(get(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            if (GetDlgCtrlID(child) == -1 && (GetWindowLongPtrA(child, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP)
                return child;
        }
        return nullptr;
    }

private:
    // The frame is declared first, so the dialog is destroyed before it.
    ui::UniqueWindow frame_;
    ui::UniqueWindow window_;
};

// The rightmost column with ink of what `control` draws when it is `width` pixels wide, or -1.
int RightmostInk(HWND control, int width) {
    RECT client = {};
    GetClientRect(control, &client);
    SetWindowPos(control, nullptr, 0, 0, width, client.bottom, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ui::WindowDc screen(nullptr);
    MemoryDc dc;
    ui::UniqueBitmap canvas(CreateCompatibleBitmap(screen.get(), width, client.bottom));
    int rightmost = -1;
    {
        ui::SelectedObject selected(dc.get(), canvas.get());
        RECT all = {0, 0, width, client.bottom};
        FillRect(dc.get(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        SendMessageA(control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc.get()), PRF_CLIENT | PRF_ERASEBKGND);
        for (int x = 0; x < width; ++x) {
            for (int y = 0; y < client.bottom; ++y) {
                const COLORREF px = GetPixel(dc.get(), x, y);
                if (GetRValue(px) + GetGValue(px) + GetBValue(px) < 3 * 100) rightmost = x;
            }
        }
    }
    SetWindowPos(control, nullptr, 0, 0, client.right, client.bottom, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    return rightmost;
}

// Every label, check box and radio button shows its whole text on its one line: drawn in a
// control made wide, its ink ends within the width the template gives it. (The ink is
// measured, not the text's extent: the controls draw a few pixels wider than
// GetTextExtentPoint says with some fonts.)
TEST_P(CompiledTemplate, TextsFitTheirControls) {
    const ExpectedTemplate& want = GetParam();
    TemplateWindow window(want.id);
    ASSERT_TRUE(window);
    int index = 0;
    // The dialog manager makes the controls in template order, each below the ones before.
    for (HWND child = GetWindow(window.get(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT), ++index) {
        ASSERT_LT(size_t(index), want.controls.size()) << "more controls than the template has";
        const ExpectedControl& control = want.controls[size_t(index)];
        if (!control.text || !*control.text) continue;
        const DWORD type = control.style & 0xF;
        const bool isLabel = SameClass(control.className, L"Static") && type == SS_LEFT;
        const bool isBox = SameClass(control.className, L"Button") &&
                           (type == BS_AUTOCHECKBOX || type == BS_AUTORADIOBUTTON);
        if (!isLabel && !isBox) continue;
        RECT client = {};
        GetClientRect(child, &client);
        const int ink = RightmostInk(child, 1000);
        EXPECT_GT(ink, 0) << "control " << index << " draws nothing";
        EXPECT_LT(ink, client.right) << "the " << wcslen(control.text) << "-character text of control " << index
                                     << " ends at pixel " << ink << " of " << client.right;
    }
}

// The pictures of the about box and of the chooser are drawn for the template's font at
// 96 dpi (6 x 13 pixels a character, 1.5 pixels a horizontal and 1.625 a vertical unit): a
// bitmap static takes its picture's size, which is then exactly its units on Windows. Under
// Wine the font is a pixel shorter; the picture may then pass its units by a few pixels at
// the bottom, but never be shorter or narrower than they are.
struct PictureCase {
    UINT templateId;
    UINT bitmapId;
    short x, y, cx, cy;
};

TEST(TemplatePictures, FillTheirUnitsFromTheirCorner) {
    const PictureCase cases[] = {
        {IDD_ABOUT, IDB_ABOUT, 0, 0, 213, 39},
        {IDD_TEMPLATE, IDB_TEMPLATE, 1, 69, 128, 17},
    };
    for (const PictureCase& c : cases) {
        SCOPED_TRACE("template " + std::to_string(c.templateId));
        TemplateWindow window(c.templateId);
        ASSERT_TRUE(window);
        HWND picture = window.Picture();
        ASSERT_NE(picture, nullptr);
        HBITMAP shown = reinterpret_cast<HBITMAP>(SendMessageA(picture, STM_GETIMAGE, IMAGE_BITMAP, 0));
        ASSERT_NE(shown, nullptr) << "the static shows no bitmap";
        BITMAP size = {};
        GetObjectA(shown, sizeof size, &size);
        EXPECT_EQ(size.bmWidth, MulDiv(c.cx, 6, 4)) << "bitmap " << c.bitmapId;
        EXPECT_EQ(size.bmHeight, MulDiv(c.cy, 13, 8)) << "bitmap " << c.bitmapId;
        const RECT units = UnitsToPixels(window.get(), c.x, c.y, c.cx, c.cy);
        const RECT place = PlaceIn(window.get(), picture);
        EXPECT_EQ(place.left, units.left);
        EXPECT_EQ(place.top, units.top);
        EXPECT_EQ(place.right, units.right) << Describe(place) << " for units at " << Describe(units);
        EXPECT_GE(place.bottom, units.bottom) << Describe(place) << " for units at " << Describe(units);
        EXPECT_LE(place.bottom, units.bottom + 4) << Describe(place) << " for units at " << Describe(units);
    }
}

// Both template lists sort what the program adds, so the list a page hands back and the
// entries the chooser shows are in alphabetical order.
TEST(TemplateLists, SortTheirEntries) {
    const struct {
        UINT templateId;
        int listId;
    } lists[] = {{IDD_TEMPLATE, IDC_TEMPLATE_LIST}, {IDD_CFG_STEGO, IDC_STEGO_TEMPLATES}};
    for (const auto& c : lists) {
        SCOPED_TRACE("list " + std::to_string(c.listId));
        TemplateWindow window(c.templateId);
        ASSERT_TRUE(window);
        HWND list = window.Item(c.listId);
        ASSERT_NE(list, nullptr);
        for (const wchar_t* text : {L"Вечер", L"Абрикос", L"Банан", L"Apple"})
            SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
        const std::wstring sorted[] = {L"Apple", L"Абрикос", L"Банан", L"Вечер"};
        ASSERT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 4);
        for (int i = 0; i < 4; ++i) {
            wchar_t text[32] = {};
            SendMessageW(list, LB_GETTEXT, WPARAM(i), reinterpret_cast<LPARAM>(text));
            EXPECT_EQ(text, sorted[i]) << "entry " << i;
        }
    }
}

// The chooser's list keeps the height the template gives it, down to the picture and the
// buttons, whatever the height of its lines.
TEST(TemplateLists, ChooserListKeepsItsHeight) {
    TemplateWindow window(IDD_TEMPLATE);
    ASSERT_TRUE(window);
    const RECT place = PlaceIn(window.get(), window.Item(IDC_TEMPLATE_LIST));
    const RECT units = UnitsToPixels(window.get(), 0, 2, 243, 65);
    EXPECT_TRUE(EqualRect(&place, &units)) << Describe(place) << " instead of " << Describe(units);
}

// The up-down control of the general page takes the edit before it as its buddy, writes its
// number there and stays beside it, where the template puts it (it does not move onto the
// edit; the control may widen itself a little to draw its arrows).
TEST(GeneralPage, UpDownWritesItsNumberIntoTheIdleMinutesEdit) {
    TemplateWindow page(IDD_CFG_MAIN);
    ASSERT_TRUE(page);
    HWND spin = page.Item(IDC_CFG_IDLE_SPIN);
    HWND edit = page.Item(IDC_CFG_IDLE_MINUTES);
    ASSERT_NE(spin, nullptr);
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(reinterpret_cast<HWND>(SendMessageA(spin, UDM_GETBUDDY, 0, 0)), edit);
    SendMessageA(spin, UDM_SETRANGE32, 0, 30);
    SendMessageA(spin, UDM_SETPOS32, 0, 7);
    BOOL read = FALSE;
    EXPECT_EQ(GetDlgItemInt(page.get(), IDC_CFG_IDLE_MINUTES, &read, FALSE), 7u);
    EXPECT_TRUE(read);
    const RECT place = PlaceIn(page.get(), spin);
    const RECT units = UnitsToPixels(page.get(), 187, 64, 10, 14);
    EXPECT_EQ(place.left, units.left) << Describe(place) << " instead of " << Describe(units);
    EXPECT_EQ(place.top, units.top);
    EXPECT_EQ(place.bottom, units.bottom);
    EXPECT_LE(place.right - place.left, units.right - units.left + 2);
    EXPECT_GE(place.left, PlaceIn(page.get(), edit).right) << "the up-down control covers its edit";
}

TEST(GeneralPage, IdleMinutesEditTakesDigitsOnly) {
    TemplateWindow page(IDD_CFG_MAIN);
    ASSERT_TRUE(page);
    HWND edit = page.Item(IDC_CFG_IDLE_MINUTES);
    ASSERT_NE(edit, nullptr);
    EnableWindow(edit, TRUE);
    for (char typed : {'1', 'x', '-', '5'}) SendMessageA(edit, WM_CHAR, WPARAM(typed), 0);
    char text[8] = {};
    GetWindowTextA(edit, text, sizeof text);
    EXPECT_STREQ(text, "15");
}

// CTRL, INS and SHIFT are one group: checking one clears the others, and the check box after
// them is not part of it (a click on it leaves the key as it is; the arrow keys stay among the
// three radios).
TEST(SteganographyPage, ModifierRadiosAreOneGroupEndingBeforeTheCheckBox) {
    TemplateWindow page(IDD_CFG_STEGO);
    ASSERT_TRUE(page);
    const int radios[] = {IDC_STEGO_CTRL, IDC_STEGO_INS, IDC_STEGO_SHIFT};
    auto checked = [&] {
        std::vector<int> on;
        for (int id : radios)
            if (IsDlgButtonChecked(page.get(), id) == BST_CHECKED) on.push_back(id);
        return on;
    };
    for (int id : radios) {
        SendMessageA(page.Item(id), BM_CLICK, 0, 0);
        EXPECT_EQ(checked(), std::vector<int>{id}) << "after a click on " << id;
    }
    SendMessageA(page.Item(IDC_STEGO_OFFER_LIST), BM_CLICK, 0, 0);
    EXPECT_EQ(IsDlgButtonChecked(page.get(), IDC_STEGO_OFFER_LIST), UINT(BST_CHECKED));
    EXPECT_EQ(checked(), std::vector<int>{IDC_STEGO_SHIFT});

    HWND last = page.Item(IDC_STEGO_SHIFT);
    EXPECT_EQ(GetNextDlgGroupItem(page.get(), last, FALSE), page.Item(IDC_STEGO_CTRL))
        << "the group does not wrap from SHIFT to CTRL";
}

// Button 1045 shows the note picture given to it at initialisation, and the picture fits
// inside the button with room for its edges.
TEST(TextEncryptionPage, NoteButtonShowsItsPictureInsideItsEdges) {
    TemplateWindow page(IDD_CFG_SHIFR_TXT);
    ASSERT_TRUE(page);
    HWND button = page.Item(IDC_CFG_EDIT_NOTE);
    ASSERT_NE(button, nullptr);
    ui::UniqueBitmap picture(static_cast<HBITMAP>(
        LoadImageA(TestModule(), MAKEINTRESOURCEA(IDB_EDIT_NOTE), IMAGE_BITMAP, 0, 0, LR_LOADMAP3DCOLORS)));
    ASSERT_TRUE(picture);
    SendMessageA(button, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(picture.get()));
    EXPECT_EQ(reinterpret_cast<HBITMAP>(SendMessageA(button, BM_GETIMAGE, IMAGE_BITMAP, 0)), picture.get());
    BITMAP size = {};
    GetObjectA(picture.get(), sizeof size, &size);
    RECT client = {};
    GetClientRect(button, &client);
    EXPECT_GE(client.right, size.bmWidth + 4);
    EXPECT_GE(client.bottom, size.bmHeight + 4);
}

// The three pages in a property sheet, in the program's order: each is accepted as a page, its
// caption becomes the tab's title, and it shows its controls when its tab is chosen.
TEST(SettingsPages, WorkAsThePagesOfAPropertySheet) {
    INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_TAB_CLASSES | ICC_UPDOWN_CLASS | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&classes);
    const struct {
        UINT templateId;
        const wchar_t* title;
        int someControl;
    } order[] = {
        {IDD_CFG_MAIN, L"Общие настройки", IDC_CFG_KEEP_PASSWORD},
        {IDD_CFG_SHIFR_TXT, L"Шифрование текста", IDC_CFG_EDIT_NOTE},
        {IDD_CFG_STEGO, L"Стегонаграфия", IDC_STEGO_TEMPLATES},
    };
    PROPSHEETPAGEA pages[3] = {};
    for (size_t i = 0; i < 3; ++i) {
        pages[i].dwSize = sizeof pages[i];
        pages[i].hInstance = TestModule();
        pages[i].pszTemplate = MAKEINTRESOURCEA(order[i].templateId);
        pages[i].pfnDlgProc = &AcceptInit;
    }
    PROPSHEETHEADERA header = {};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_PROPSHEETPAGE | PSH_MODELESS | PSH_NOAPPLYNOW;
    header.hInstance = TestModule();
    header.pszCaption = "Velkaro";
    header.nPages = 3;
    header.ppsp = pages;
    ui::UniqueWindow sheet(reinterpret_cast<HWND>(PropertySheetA(&header)));
    ASSERT_TRUE(sheet) << "the property sheet refused the pages";

    HWND tabs = PropSheet_GetTabControl(sheet.get());
    ASSERT_NE(tabs, nullptr);
    ASSERT_EQ(SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0), 3);
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE("page " + std::to_string(order[i].templateId));
        wchar_t title[64] = {};
        TCITEMW item = {};
        item.mask = TCIF_TEXT;
        item.pszText = title;
        item.cchTextMax = 64;
        ASSERT_TRUE(SendMessageW(tabs, TCM_GETITEMW, WPARAM(i), reinterpret_cast<LPARAM>(&item)));
        EXPECT_EQ(std::wstring(title), order[i].title);

        ASSERT_TRUE(PropSheet_SetCurSel(sheet.get(), nullptr, i));
        HWND page = PropSheet_GetCurrentPageHwnd(sheet.get());
        ASSERT_NE(page, nullptr);
        EXPECT_TRUE(IsWindowEnabled(page));
        HWND control = GetDlgItem(page, order[i].someControl);
        ASSERT_NE(control, nullptr);
        EXPECT_TRUE(IsWindowVisible(control));
    }
}

}  // namespace
}  // namespace velkaro
