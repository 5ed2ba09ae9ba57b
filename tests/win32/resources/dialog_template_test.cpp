// Window template 102, the main window and password window: first the template as compiled
// (units, styles, classes, texts, font), then a window made from it (what the system builds:
// pixel places, tab order, default button, the banner's picture, clicks on the indicator).
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <iterator>
#include <string>

#include "handles.h"
#include "module_resources.h"
#include "resource_ids.h"
#include "template_lookup.h"

namespace velkaro {
namespace {

struct ExpectedControl {
    const char* role;
    DWORD id;
    const wchar_t* className;
    DWORD style;  // exactly, WS_CHILD and WS_VISIBLE included
    short x, y, cx, cy;
    const wchar_t* text;  // nullptr: the text is the ordinal `picture`
    uint16_t picture;
};

const ExpectedControl kControls[] = {
    {"password", IDC_PASSWORD, L"Edit",
     WS_CHILD | WS_VISIBLE | ES_PASSWORD | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 66, 13, 97, 12, L"", 0},
    {"keep password", IDC_KEEP_PASSWORD, L"Button", WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX | WS_TABSTOP,
     71, 32, 9, 8, L"", 0},
    {"layout indicator", IDC_LAYOUT_INDICATOR, L"Static", WS_CHILD | WS_VISIBLE | SS_LEFT, 2, 44, 20, 16, L"", 0},
    {"Cancel", IDCANCEL, L"Button", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 62, 44, 50, 14,
     L"Cancel", 0},
    {"OK", IDOK, L"Button", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 118, 44, 50, 14, L"OK", 0},
    {"banner", kNoId, L"Static", WS_CHILD | WS_VISIBLE | SS_BITMAP | WS_CLIPSIBLINGS, 0, 0, 172, 45, nullptr,
     IDB_BANNER},
};

bool Overlap(const DialogTemplateItem& a, const DialogTemplateItem& b) {
    return a.x < b.x + b.cx && b.x < a.x + a.cx && a.y < b.y + b.cy && b.y < a.y + a.cy;
}

DialogTemplate ReadTemplate102() { return ReadDialogTemplate(IDD_MAIN); }

TEST(Template102, WindowIsAPopupWithCaptionSystemMenuAndModalFrame) {
    const DialogTemplate t = ReadTemplate102();
    EXPECT_EQ(t.style, DWORD(DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_SETFONT));
    EXPECT_EQ(t.exStyle, DWORD(WS_EX_APPWINDOW));
    EXPECT_EQ(t.x, 0);
    EXPECT_EQ(t.y, 0);
    EXPECT_EQ(t.cx, 171);
    EXPECT_EQ(t.cy, 63);
    EXPECT_EQ(t.title, L"Velkaro vers. 3.1");
    EXPECT_FALSE(t.menu.isOrdinal || !t.menu.text.empty()) << "the window has no menu";
    EXPECT_FALSE(t.windowClass.isOrdinal || !t.windowClass.text.empty()) << "the standard dialog class";
    EXPECT_EQ(t.pointSize, 8);
    EXPECT_EQ(t.typeface, L"MS Sans Serif");
    EXPECT_EQ(t.italic, 0);
    EXPECT_LE(t.weight, FW_NORMAL);
    EXPECT_EQ(t.charset, DEFAULT_CHARSET) << "a charset of its own would keep the system's from the font";
}

TEST(Template102, ControlsHaveTheirIdsClassesStylesPlacesAndTexts) {
    const DialogTemplate t = ReadTemplate102();
    EXPECT_EQ(t.items.size(), std::size(kControls));
    for (const ExpectedControl& want : kControls) {
        SCOPED_TRACE(want.role);
        const DialogTemplateItem* item = ItemWithId(t, want.id);
        ASSERT_NE(item, nullptr);
        EXPECT_TRUE(SameClass(item->className, want.className)) << item->className;
        EXPECT_EQ(item->style, want.style) << std::hex << "0x" << item->style << " instead of 0x" << want.style;
        EXPECT_EQ(item->exStyle, 0u);
        EXPECT_EQ(item->x, want.x);
        EXPECT_EQ(item->y, want.y);
        EXPECT_EQ(item->cx, want.cx);
        EXPECT_EQ(item->cy, want.cy);
        if (want.text) {
            EXPECT_FALSE(item->title.isOrdinal);
            EXPECT_EQ(item->title.text, want.text);
        } else {
            EXPECT_TRUE(item->title.isOrdinal) << "a bitmap static names its bitmap by number";
            EXPECT_EQ(item->title.ordinal, want.picture);
        }
    }
}

// The edit and the check box lie on the banner, and the tops of the indicator and the buttons. They must be above it in the
// z-order (earlier in the template) and the banner must clip them out of its painting, or
// whichever paints last hides the other.
TEST(Template102, ControlsOnTheBannerAreAboveItAndNotPaintedOver) {
    const DialogTemplate t = ReadTemplate102();
    const DialogTemplateItem* banner = ItemWithId(t, kNoId);
    ASSERT_NE(banner, nullptr);
    EXPECT_TRUE(banner->style & WS_CLIPSIBLINGS);
    bool bannerSeen = false;
    int onBanner = 0;
    for (const DialogTemplateItem& item : t.items) {
        if (&item == banner) {
            bannerSeen = true;
            continue;
        }
        if (!Overlap(item, *banner)) continue;
        ++onBanner;
        EXPECT_FALSE(bannerSeen) << "control " << (item.id & 0xFFFF) << " comes after the banner";
    }
    EXPECT_EQ(onBanner, 5) << "the password edit, the check box, and the tops of the indicator and the buttons";
}

// ---- A window made from the template.

class Template102Window : public ::testing::Test {
protected:
    void SetUp() override {
        window_.reset(CreateDialogParamA(TestModule(), MAKEINTRESOURCEA(IDD_MAIN), nullptr, &Procedure, 0));
        ASSERT_TRUE(window_) << "CreateDialogParamA failed, error " << GetLastError()
                             << " (Wine needs a display: DISPLAY=" << (getenv("DISPLAY") ? getenv("DISPLAY") : "")
                             << ")";
    }

    static INT_PTR CALLBACK Procedure(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

    HWND dialog() const { return window_.get(); }
    RECT Pixels(short x, short y, short cx, short cy) const { return UnitsToPixels(dialog(), x, y, cx, cy); }
    RECT PlaceOf(HWND control) const { return PlaceIn(dialog(), control); }
    HWND Banner() const {
        for (HWND child = GetWindow(dialog(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            if (GetDlgCtrlID(child) == -1) return child;
        }
        return nullptr;
    }

    ui::UniqueWindow window_;
};

TEST_F(Template102Window, HasItsCaptionStylesFontAndClientSize) {
    char caption[64] = {};
    GetWindowTextA(dialog(), caption, sizeof caption);
    EXPECT_STREQ(caption, "Velkaro vers. 3.1");
    const LONG_PTR style = GetWindowLongPtrA(dialog(), GWL_STYLE);
    for (LONG_PTR bit : {LONG_PTR(WS_POPUP), LONG_PTR(WS_CAPTION), LONG_PTR(WS_SYSMENU), LONG_PTR(DS_MODALFRAME)})
        EXPECT_EQ(style & bit, bit) << std::hex << "style 0x" << style << " lacks 0x" << bit;
    EXPECT_TRUE(GetWindowLongPtrA(dialog(), GWL_EXSTYLE) & WS_EX_APPWINDOW);

    HFONT font = reinterpret_cast<HFONT>(SendMessageA(dialog(), WM_GETFONT, 0, 0));
    ASSERT_NE(font, nullptr) << "the template's font was not made";
    LOGFONTA face = {};
    ASSERT_NE(GetObjectA(font, sizeof face, &face), 0);
    EXPECT_STREQ(face.lfFaceName, "MS Sans Serif");
    ui::WindowDc screen(nullptr);
    EXPECT_EQ(face.lfHeight, -MulDiv(8, GetDeviceCaps(screen.get(), LOGPIXELSY), 72)) << "8 points";

    RECT client = {};
    GetClientRect(dialog(), &client);
    const RECT want = Pixels(0, 0, 171, 63);
    EXPECT_TRUE(EqualRect(&client, &want)) << Describe(client) << " instead of " << Describe(want);
}

TEST_F(Template102Window, ControlsStandWhereTheirUnitsPutThem) {
    for (const ExpectedControl& want : kControls) {
        SCOPED_TRACE(want.role);
        HWND control = want.id == kNoId ? Banner() : GetDlgItem(dialog(), int(want.id));
        ASSERT_NE(control, nullptr);
        char name[32] = {};
        GetClassNameA(control, name, sizeof name);
        EXPECT_TRUE(SameClass(Utf16FromUtf8(name), want.className)) << name;
        const RECT place = PlaceOf(control);
        if (want.id == kNoId) continue;  // the banner takes its picture's size: below
        const RECT units = Pixels(want.x, want.y, want.cx, want.cy);
        EXPECT_TRUE(EqualRect(&place, &units)) << Describe(place) << " instead of " << Describe(units);
    }
}

TEST_F(Template102Window, BannerShowsBitmap130AtItsOwnSizeFromTheCorner) {
    HWND banner = Banner();
    ASSERT_NE(banner, nullptr);
    HBITMAP shown = reinterpret_cast<HBITMAP>(SendMessageA(banner, STM_GETIMAGE, IMAGE_BITMAP, 0));
    ASSERT_NE(shown, nullptr) << "the banner shows no bitmap";
    BITMAP picture = {};
    ASSERT_NE(GetObjectA(shown, sizeof picture, &picture), 0);
    ui::UniqueBitmap resource(LoadBitmapA(TestModule(), MAKEINTRESOURCEA(IDB_BANNER)));
    ASSERT_TRUE(resource);
    BITMAP original = {};
    GetObjectA(resource.get(), sizeof original, &original);
    EXPECT_EQ(picture.bmWidth, original.bmWidth);
    EXPECT_EQ(picture.bmHeight, original.bmHeight);
    const RECT place = PlaceOf(banner);
    const RECT want = {0, 0, original.bmWidth, original.bmHeight};
    EXPECT_TRUE(EqualRect(&place, &want)) << Describe(place) << " instead of " << Describe(want);
}

TEST_F(Template102Window, TabOrderIsPasswordCheckBoxCancelOkAndOkIsTheDefault) {
    HWND first = GetNextDlgTabItem(dialog(), nullptr, FALSE);
    EXPECT_EQ(first, GetDlgItem(dialog(), IDC_PASSWORD)) << "the password edit gets the focus first";
    const int order[] = {IDC_PASSWORD, IDC_KEEP_PASSWORD, IDCANCEL, IDOK, IDC_PASSWORD};
    for (size_t i = 0; i + 1 < std::size(order); ++i) {
        HWND next = GetNextDlgTabItem(dialog(), GetDlgItem(dialog(), order[i]), FALSE);
        EXPECT_EQ(GetDlgCtrlID(next), order[i + 1]) << "after " << order[i];
    }
    const LRESULT defId = SendMessageA(dialog(), DM_GETDEFID, 0, 0);
    EXPECT_EQ(HIWORD(defId), DC_HASDEFID);
    EXPECT_EQ(LOWORD(defId), IDOK);
}

TEST_F(Template102Window, PasswordIsHiddenAndTheCheckBoxTogglesItself) {
    EXPECT_NE(SendDlgItemMessageA(dialog(), IDC_PASSWORD, EM_GETPASSWORDCHAR, 0, 0), 0)
        << "the password is shown as typed";
    HWND box = GetDlgItem(dialog(), IDC_KEEP_PASSWORD);
    EXPECT_EQ(SendMessageA(box, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    // An automatic check box changes its own state on a click; the window only reads it.
    SendMessageA(box, BM_CLICK, 0, 0);
    EXPECT_EQ(SendMessageA(box, BM_GETCHECK, 0, 0), BST_CHECKED);
    SendMessageA(box, BM_CLICK, 0, 0);
    EXPECT_EQ(SendMessageA(box, BM_GETCHECK, 0, 0), BST_UNCHECKED);
}

// The window switches the keyboard layout when ChildWindowFromPointEx finds the indicator at
// the click point. The indicator's top overlaps the banner's bottom; a click there must find
// the indicator, not the banner. Neither static asks for clicks (SS_NOTIFY), so a click on
// either reaches the window.
TEST_F(Template102Window, ClickOnTheIndicatorFindsItWhereItOverlapsTheBanner) {
    HWND indicator = GetDlgItem(dialog(), IDC_LAYOUT_INDICATOR);
    ASSERT_NE(indicator, nullptr);
    const RECT place = PlaceOf(indicator);
    const RECT banner = PlaceOf(Banner());
    ASSERT_LT(place.top, banner.bottom) << "the indicator no longer overlaps the banner";
    const POINT inOverlap = {(place.left + place.right) / 2, place.top};
    EXPECT_EQ(ChildWindowFromPointEx(dialog(), inOverlap, CWP_ALL), indicator);
    const POINT middle = {(place.left + place.right) / 2, (place.top + place.bottom) / 2};
    EXPECT_EQ(ChildWindowFromPointEx(dialog(), middle, CWP_ALL), indicator);
    for (HWND statics : {indicator, Banner()})
        EXPECT_FALSE(GetWindowLongPtrA(statics, GWL_STYLE) & SS_NOTIFY);
}

}  // namespace
}  // namespace velkaro
