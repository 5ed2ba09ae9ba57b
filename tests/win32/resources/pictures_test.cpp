// Icons 128 and 144 and bitmaps 130, 179, 181, 147, 163, 161 and 162: present in the sizes
// the program asks for, drawn with transparency, and (the banner) leaving room for the controls
// that lie on it.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "bitmap_pixels.h"
#include "handles.h"
#include "memory_dc.h"
#include "module_resources.h"
#include "resource_ids.h"

namespace velkaro {
namespace {

const LPCSTR kIconType = MAKEINTRESOURCEA(3);        // RT_ICON
const LPCSTR kBitmapType = MAKEINTRESOURCEA(2);      // RT_BITMAP
const LPCSTR kGroupIconType = MAKEINTRESOURCEA(14);  // RT_GROUP_ICON
constexpr COLORREF kBackground = RGB(255, 0, 255);

// 32-bit pixels of a picture, top row first, as 0x00RRGGBB.
bool IsDark(uint32_t rgb) {
    const int r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
    return r * 3 + g * 6 + b < 128 * 10;
}

// A top-down 32-bit DIB section selected into a memory DC: what the icons are drawn on.
class Canvas {
public:
    Canvas(int width, int height) : width_(width), height_(height) {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        bitmap_.reset(CreateDIBSection(dc_.get(), &info, DIB_RGB_COLORS, &bits_, nullptr, 0));
        if (bitmap_) selected_ = SelectObject(dc_.get(), bitmap_.get());
    }
    ~Canvas() {
        if (selected_) SelectObject(dc_.get(), selected_);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    bool ok() const { return bitmap_ && bits_; }
    HDC dc() const { return dc_.get(); }
    void Fill(COLORREF colour) {
        ui::UniqueBrush brush(CreateSolidBrush(colour));
        RECT all = {0, 0, width_, height_};
        FillRect(dc_.get(), &all, brush.get());
        GdiFlush();
    }
    Pixels Read() const {
        GdiFlush();
        Pixels p;
        p.width = width_;
        p.height = height_;
        p.argb.resize(size_t(width_) * size_t(height_));
        std::memcpy(p.argb.data(), bits_, p.argb.size() * 4);
        return p;
    }

private:
    int width_, height_;
    MemoryDc dc_;
    ui::UniqueBitmap bitmap_;
    void* bits_ = nullptr;
    HGDIOBJ selected_ = nullptr;
};

// The pixels of a bitmap resource, read back at 32 bits.
Pixels ReadBitmap(HBITMAP bitmap) {
    ui::WindowDc screen(nullptr);
    return ReadPixels(screen.get(), bitmap);
}

const char* IconName(UINT id) { return id == IDI_APP ? "icon 128" : "icon 144"; }

// ---- Icons

class IconSize : public ::testing::TestWithParam<int> {};

TEST_P(IconSize, BothIconsHoldAnImageOfExactlyThisSize) {
    const int size = GetParam();
    for (UINT id : {UINT(IDI_APP), UINT(IDI_SLEEP)}) {
        SCOPED_TRACE(IconName(id));
        // The group's best match for the size must be an image of that size, not one the
        // system would have to scale.
        const ResourceBytes group = FindResourceBytes(MAKEINTRESOURCEA(id), kGroupIconType);
        ASSERT_TRUE(group);
        const int imageId = LookupIconIdFromDirectoryEx(static_cast<PBYTE>(const_cast<void*>(group.data)), TRUE,
                                                        size, size, LR_DEFAULTCOLOR);
        ASSERT_NE(imageId, 0);
        const ResourceBytes image = FindResourceBytes(MAKEINTRESOURCEA(imageId), kIconType);
        ASSERT_TRUE(image.size >= sizeof(BITMAPINFOHEADER));
        BITMAPINFOHEADER header;
        std::memcpy(&header, image.data, sizeof header);
        EXPECT_EQ(header.biWidth, size);
        EXPECT_EQ(header.biHeight, 2 * size) << "colour image and mask";

        ui::UniqueIcon icon(static_cast<HICON>(LoadImageA(TestModule(), MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, 0)));
        ASSERT_TRUE(icon);
        ICONINFO info = {};
        ASSERT_TRUE(GetIconInfo(icon.get(), &info));
        ui::UniqueBitmap colour(info.hbmColor), mask(info.hbmMask);
        BITMAP bits = {};
        ASSERT_TRUE(colour);
        GetObjectA(colour.get(), sizeof bits, &bits);
        EXPECT_EQ(bits.bmWidth, size);
        EXPECT_EQ(bits.bmHeight, size);
    }
}

// Drawn on a coloured background, an icon leaves its corner transparent and covers a good
// part of its square: neither an opaque square nor an empty picture.
TEST_P(IconSize, IconsAreTransparentAroundTheirMotif) {
    const int size = GetParam();
    for (UINT id : {UINT(IDI_APP), UINT(IDI_SLEEP)}) {
        SCOPED_TRACE(IconName(id));
        ui::UniqueIcon icon(static_cast<HICON>(LoadImageA(TestModule(), MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, 0)));
        ASSERT_TRUE(icon);
        Canvas canvas(size, size);
        ASSERT_TRUE(canvas.ok());
        canvas.Fill(kBackground);
        ASSERT_TRUE(DrawIconEx(canvas.dc(), 0, 0, icon.get(), size, size, 0, nullptr, DI_NORMAL));
        const Pixels p = canvas.Read();
        const uint32_t background = 0xFF00FF;
        EXPECT_EQ(p.at(0, 0), background) << "top left corner";
        size_t covered = 0;
        for (uint32_t px : p.argb) covered += (px & 0xFFFFFF) != background;
        EXPECT_GT(covered, p.argb.size() / 3) << "the motif covers too little of the icon";
        EXPECT_LT(covered, p.argb.size()) << "nothing of the icon is transparent";
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, IconSize, ::testing::Values(16, 32, 48),
                         [](const ::testing::TestParamInfo<int>& size) {
                             return "Pixels" + std::to_string(size.param);
                         });

TEST(Icons, SleepIconLooksDifferentFromTheProgramsIcon) {
    for (int size : {16, 32}) {
        SCOPED_TRACE(size);
        Pixels drawn[2];
        int i = 0;
        for (UINT id : {UINT(IDI_APP), UINT(IDI_SLEEP)}) {
            ui::UniqueIcon icon(static_cast<HICON>(LoadImageA(TestModule(), MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, 0)));
            ASSERT_TRUE(icon);
            Canvas canvas(size, size);
            ASSERT_TRUE(canvas.ok());
            canvas.Fill(kBackground);
            DrawIconEx(canvas.dc(), 0, 0, icon.get(), size, size, 0, nullptr, DI_NORMAL);
            drawn[i++] = canvas.Read();
        }
        size_t differing = 0;
        for (size_t k = 0; k < drawn[0].argb.size(); ++k) differing += drawn[0].argb[k] != drawn[1].argb[k];
        EXPECT_GT(differing, drawn[0].argb.size() / 8) << "the sleep mode would not show in the tray";
    }
}

// ---- Bitmaps

// The banner and the pictures of the about box and the chooser are drawn for their template's
// font, MS Sans Serif 8 at 96 dpi, whose dialog base units are 6 x 13 pixels: their pixels are
// the template's units converted as the dialog manager converts a control's place (position
// and size each on its own).
RECT TemplatePixels(int x, int y, int cx, int cy) {
    const int left = MulDiv(x, 6, 4), top = MulDiv(y, 13, 8);
    return {left, top, left + MulDiv(cx, 6, 4), top + MulDiv(cy, 13, 8)};
}

struct ExpectedBitmap {
    UINT id;
    int width;
    int height;
};

TEST(Bitmaps, HaveTheirSizesAndAre24BitUncompressed) {
    const RECT banner = TemplatePixels(0, 0, 172, 45);
    const RECT about = TemplatePixels(0, 0, 213, 39);
    const RECT chooser = TemplatePixels(0, 0, 128, 17);
    const ExpectedBitmap bitmaps[] = {
        {IDB_BANNER, banner.right, banner.bottom},
        {IDB_LAYOUT_EN, 20, 16},
        {IDB_LAYOUT_RU, 20, 16},
        {IDB_ABOUT, about.right, about.bottom},
        {IDB_TEMPLATE, chooser.right, chooser.bottom},
        // The toolbars' strips: 7 and 4 pictures of 16 x 15 (toolbars_test.cpp looks closer, and
        // at the note button's picture, 171, which has a palette).
        {IDR_TOOLBAR_CLIPBOARD, 7 * 16, 15},
        {IDR_TOOLBAR_NOTE, 4 * 16, 15},
    };
    for (const ExpectedBitmap& want : bitmaps) {
        SCOPED_TRACE("bitmap " + std::to_string(want.id));
        ui::UniqueBitmap bitmap(LoadBitmapA(TestModule(), MAKEINTRESOURCEA(want.id)));
        ASSERT_TRUE(bitmap);
        BITMAP size = {};
        GetObjectA(bitmap.get(), sizeof size, &size);
        EXPECT_EQ(size.bmWidth, want.width);
        EXPECT_EQ(size.bmHeight, want.height);
        // LoadImage with LR_CREATEDIBSECTION must read it too: 24 bits, no palette, no RLE.
        const ResourceBytes raw = FindResourceBytes(MAKEINTRESOURCEA(want.id), kBitmapType);
        ASSERT_TRUE(raw.size >= sizeof(BITMAPINFOHEADER));
        BITMAPINFOHEADER header;
        std::memcpy(&header, raw.data, sizeof header);
        EXPECT_EQ(header.biSize, sizeof(BITMAPINFOHEADER));
        EXPECT_EQ(header.biBitCount, 24);
        EXPECT_EQ(header.biCompression, DWORD(BI_RGB));
        ui::UniqueBitmap section(static_cast<HBITMAP>(
            LoadImageA(TestModule(), MAKEINTRESOURCEA(want.id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
        EXPECT_TRUE(section);
    }
}

// The password edit and the check box lie on the banner: under them it must be plain white
// (the window's background), and beside them stand their labels, "Пароль:" to the left of the
// edit and "Запомнить пароль" to the right of the check box, which has no text of its own.
TEST(Bitmaps, BannerLeavesRoomForTheControlsAndLabelsThem) {
    ui::UniqueBitmap bitmap(LoadBitmapA(TestModule(), MAKEINTRESOURCEA(IDB_BANNER)));
    ASSERT_TRUE(bitmap);
    const Pixels p = ReadBitmap(bitmap.get());
    ASSERT_GT(p.width, 0);
    auto count = [&](const RECT& r, bool (*test)(uint32_t)) {
        int n = 0;
        for (int y = r.top; y < r.bottom && y < p.height; ++y)
            for (int x = r.left; x < r.right && x < p.width; ++x) n += test(p.at(x, y));
        return n;
    };
    auto notWhite = [](uint32_t rgb) { return rgb != 0xFFFFFF; };
    struct Area {
        const char* what;
        RECT place;
        bool labelled;  // true: the label's ink is expected here; false: white throughout
    };
    const RECT edit = TemplatePixels(66, 13, 97, 12);
    const RECT box = TemplatePixels(71, 32, 9, 8);
    const Area areas[] = {
        {"under the password edit", edit, false},
        {"under the check box", box, false},
        {"left of the edit", {TemplatePixels(4, 0, 0, 0).left, edit.top, edit.left - 2, edit.bottom}, true},
        {"right of the check box", {box.right + 1, box.top, p.width, box.bottom}, true},
    };
    for (const Area& area : areas) {
        const int ink = count(area.place, IsDark);
        if (area.labelled) {
            EXPECT_GT(ink, 20) << area.what << ": no label";
        } else {
            EXPECT_EQ(count(area.place, notWhite), 0) << area.what << " is not white";
        }
    }
}

TEST(Bitmaps, LayoutPicturesAreFramedAndDiffer) {
    Pixels pictures[2];
    int i = 0;
    for (UINT id : {UINT(IDB_LAYOUT_EN), UINT(IDB_LAYOUT_RU)}) {
        SCOPED_TRACE("bitmap " + std::to_string(id));
        ui::UniqueBitmap bitmap(LoadBitmapA(TestModule(), MAKEINTRESOURCEA(id)));
        ASSERT_TRUE(bitmap);
        const Pixels p = ReadBitmap(bitmap.get());
        ASSERT_EQ(p.width, 20);
        ASSERT_EQ(p.height, 16);
        int frame = 0, border = 0, inside = 0;
        for (int y = 0; y < p.height; ++y) {
            for (int x = 0; x < p.width; ++x) {
                const bool edge = x == 0 || y == 0 || x == p.width - 1 || y == p.height - 1;
                if (edge) {
                    ++border;
                    frame += IsDark(p.at(x, y));
                } else {
                    inside += IsDark(p.at(x, y));
                }
            }
        }
        EXPECT_EQ(frame, border) << "the frame is not closed";
        EXPECT_GT(inside, 15) << "no letters";
        pictures[i++] = p;
    }
    EXPECT_NE(pictures[0].argb, pictures[1].argb) << "En and Ru are the same picture";
}

}  // namespace
}  // namespace velkaro
