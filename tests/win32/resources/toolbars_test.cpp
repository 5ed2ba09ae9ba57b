// Toolbars 161 (clipboard viewer) and 162 (note editor): the TOOLBAR resources as compiled
// (version 1, buttons of 16 x 15, the command ids in order, 0 for a separator) and their
// bitmaps (one 16 x 15 picture a button, side by side, on a light grey that the toolbar's image
// list does not draw: its mask colour is the first pixel's). And the note button's picture,
// whose grey becomes the button face when it is loaded.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <cstring>
#include <set>
#include <ostream>
#include <string>
#include <vector>

#include "bitmap_pixels.h"
#include "handles.h"
#include "memory_dc.h"
#include "module_resources.h"
#include "resource_ids.h"

namespace velkaro {
namespace {

const LPCSTR kToolbarType = MAKEINTRESOURCEA(241);  // RT_TOOLBAR
constexpr int kButtonWidth = 16;
constexpr int kButtonHeight = 15;
constexpr uint32_t kFace = 0xC0C0C0;       // the pictures' background, 0x00RRGGBB
constexpr COLORREF kCanvas = RGB(255, 0, 255);

struct ExpectedToolbar {
    const char* name;
    UINT id;
    std::vector<uint16_t> commands;  // 0: separator
};

const ExpectedToolbar kToolbars[] = {
    {"ClipboardViewer", IDR_TOOLBAR_CLIPBOARD,
     {ID_TB_CLEAR, 0, ID_TB_CRYPT, ID_TB_CLEAR_KEY, ID_TB_SAVE, ID_TB_COPY, ID_TB_HELP, ID_TB_EXIT}},
    {"NoteEditor", IDR_TOOLBAR_NOTE, {ID_TB_CLEAR, ID_TB_SAVE, ID_TB_HELP, ID_TB_EXIT}},
};

int PictureCount(const ExpectedToolbar& t) {
    int n = 0;
    for (uint16_t command : t.commands) n += command != 0;
    return n;
}

// A COLORREF as 0xRRGGBB, the form in which Pixels::at gives colours.
uint32_t Rgb(COLORREF c) { return (uint32_t(GetRValue(c)) << 16) | (uint32_t(GetGValue(c)) << 8) | GetBValue(c); }

// Test names and failure messages show the case's name, not its bytes.
void PrintTo(const ExpectedToolbar& tested, std::ostream* out) { *out << tested.name; }

class Toolbar : public ::testing::TestWithParam<ExpectedToolbar> {};

TEST_P(Toolbar, ResourceIsVersionOneWithButtonsOf16By15AndItsCommandsInOrder) {
    const ExpectedToolbar& want = GetParam();
    const ResourceBytes bytes = FindResourceBytes(MAKEINTRESOURCEA(want.id), kToolbarType);
    ASSERT_TRUE(bytes) << "no TOOLBAR resource " << want.id;
    ASSERT_GE(bytes.size, 8u);
    std::vector<uint16_t> words(bytes.size / 2);
    std::memcpy(words.data(), bytes.data, words.size() * 2);
    EXPECT_EQ(words[0], 1) << "version";
    EXPECT_EQ(words[1], kButtonWidth);
    EXPECT_EQ(words[2], kButtonHeight);
    ASSERT_EQ(words[3], want.commands.size()) << "button count";
    ASSERT_EQ(bytes.size, 8u + 2u * want.commands.size());
    EXPECT_EQ(std::vector<uint16_t>(words.begin() + 4, words.end()), want.commands);
}

TEST_P(Toolbar, BitmapHoldsOnePicturePerButtonSideBySideOnTheFaceGrey) {
    const ExpectedToolbar& want = GetParam();
    ui::UniqueBitmap bitmap(LoadBitmapA(TestModule(), MAKEINTRESOURCEA(want.id)));
    ASSERT_TRUE(bitmap) << "no bitmap " << want.id;
    ui::WindowDc screen(nullptr);
    const Pixels p = ReadPixels(screen.get(), bitmap.get());
    EXPECT_EQ(p.width, kButtonWidth * PictureCount(want)) << "one picture for every button but the separators";
    EXPECT_EQ(p.height, kButtonHeight);
    // The image list takes the first pixel as the colour that is not drawn.
    ASSERT_FALSE(p.argb.empty());
    EXPECT_EQ(p.at(0, 0), kFace);
    // No picture is empty, none fills its square, and no two are alike (a strip cut at the
    // wrong width or with a picture missing would repeat or shift them).
    std::set<std::vector<uint32_t>> seen;
    for (int b = 0; b < p.width / kButtonWidth; ++b) {
        SCOPED_TRACE("picture " + std::to_string(b));
        std::vector<uint32_t> cell;
        int drawn = 0;
        for (int y = 0; y < kButtonHeight; ++y) {
            for (int x = 0; x < kButtonWidth; ++x) {
                cell.push_back(p.at(b * kButtonWidth + x, y));
                drawn += p.at(b * kButtonWidth + x, y) != kFace;
            }
        }
        EXPECT_GT(drawn, 40) << "too little is drawn to be seen";
        EXPECT_LT(drawn, kButtonWidth * kButtonHeight - 10) << "the picture leaves no background";
        EXPECT_TRUE(seen.insert(cell).second) << "the same picture as an earlier button";
    }
}

// What the toolbar does with the strip: an image list of 16-pixel pictures whose mask is the
// first pixel's colour. Drawn, every picture leaves its background transparent.
TEST_P(Toolbar, ImageListDrawsEveryPictureWithATransparentBackground) {
    const ExpectedToolbar& want = GetParam();
    HIMAGELIST list = ImageList_LoadImageA(TestModule(), MAKEINTRESOURCEA(want.id), kButtonWidth, 0, CLR_DEFAULT,
                                           IMAGE_BITMAP, LR_CREATEDIBSECTION);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(ImageList_GetImageCount(list), PictureCount(want));
    int cx = 0, cy = 0;
    ImageList_GetIconSize(list, &cx, &cy);
    EXPECT_EQ(cx, kButtonWidth);
    EXPECT_EQ(cy, kButtonHeight);

    ui::WindowDc screen(nullptr);
    MemoryDc dc;
    ui::UniqueBitmap canvas(CreateCompatibleBitmap(screen.get(), kButtonWidth, kButtonHeight));
    ASSERT_TRUE(canvas);
    for (int i = 0; i < ImageList_GetImageCount(list); ++i) {
        SCOPED_TRACE("picture " + std::to_string(i));
        {
            ui::SelectedObject selected(dc.get(), canvas.get());
            ui::UniqueBrush brush(CreateSolidBrush(kCanvas));
            RECT all = {0, 0, kButtonWidth, kButtonHeight};
            FillRect(dc.get(), &all, brush.get());
            ASSERT_TRUE(ImageList_Draw(list, i, dc.get(), 0, 0, ILD_TRANSPARENT));
        }
        const Pixels p = ReadPixels(screen.get(), canvas.get());
        int transparent = 0, face = 0;
        for (uint32_t px : p.argb) {
            transparent += (px & 0xFFFFFF) == Rgb(kCanvas);
            face += (px & 0xFFFFFF) == kFace;
        }
        EXPECT_GT(transparent, 10) << "the background is drawn";
        EXPECT_EQ(face, 0) << "grey pixels left: the mask does not take the background";
    }
    ImageList_Destroy(list);
}

INSTANTIATE_TEST_SUITE_P(Resources, Toolbar, ::testing::ValuesIn(kToolbars),
                         [](const ::testing::TestParamInfo<ExpectedToolbar>& tested) { return std::string(tested.param.name); });

// The note button draws its bitmap as it is: loaded with LR_LOADMAP3DCOLORS its grey background
// becomes the button face, which works only through a colour table (a bitmap with a palette).
TEST(NoteButtonPicture, LoadsWithItsBackgroundMappedToTheButtonFace) {
    const ResourceBytes raw = FindResourceBytes(MAKEINTRESOURCEA(IDB_EDIT_NOTE), MAKEINTRESOURCEA(2) /* RT_BITMAP */);
    ASSERT_TRUE(raw.size >= sizeof(BITMAPINFOHEADER));
    BITMAPINFOHEADER header;
    std::memcpy(&header, raw.data, sizeof header);
    EXPECT_LE(header.biBitCount, 8) << "no colour table to map";
    EXPECT_EQ(header.biCompression, DWORD(BI_RGB));

    ui::UniqueBitmap note(static_cast<HBITMAP>(
        LoadImageA(TestModule(), MAKEINTRESOURCEA(IDB_EDIT_NOTE), IMAGE_BITMAP, 0, 0, LR_LOADMAP3DCOLORS)));
    ASSERT_TRUE(note);
    ui::WindowDc screen(nullptr);
    const Pixels p = ReadPixels(screen.get(), note.get());
    ASSERT_EQ(p.width, 16);
    ASSERT_EQ(p.height, 18);
    const uint32_t face = Rgb(GetSysColor(COLOR_3DFACE));
    int background = 0;
    for (uint32_t px : p.argb) background += (px & 0xFFFFFF) == face;
    EXPECT_EQ(p.at(0, 0), face);
    EXPECT_EQ(p.at(15, 17), face);
    EXPECT_GT(background, 16 * 18 / 4);
    EXPECT_LT(background, 16 * 18 * 3 / 4) << "the sheet and the pencil are missing";
}

}  // namespace
}  // namespace velkaro
