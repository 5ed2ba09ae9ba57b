#include "window_rules.h"

#include <gtest/gtest.h>

namespace velkaro {
namespace {

TEST(WindowRules, OnlyTheRightAndBottomTwentyPixelsAreNearTheEdge) {
    const ScreenPoint origin{100, 200};  // a client area of 301 x 151: halves truncate
    struct Case {
        ScreenPoint cursor;
        bool near;
    } cases[] = {
        {{100 + 279, 250}, false}, {{100 + 281, 250}, true},  // right: 2 * 150 - 20 = 280
        {{150, 200 + 129}, false}, {{150, 200 + 131}, true},  // bottom: 2 * 75 - 20 = 130
        {{0, 0}, false},                                      // left of and above: never
        {{150, 5000}, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsNearEdge(c.cursor, origin, 301, 151), c.near) << c.cursor.x << "," << c.cursor.y;
    }
}

TEST(WindowRules, PasswordWindowIsCentredOnTheClientArea) {
    const ScreenPoint p = CentreOver({100, 200}, 301, 151, 263, 99);
    EXPECT_EQ(p.x, 100 + 150 - 131);
    EXPECT_EQ(p.y, 200 + 75 - 49);
}

TEST(WindowRules, TrayTargetsAreBrowserAndEditWindowsOfUsableSize) {
    struct Case {
        const char* className;
        int32_t width, height;
        TrayTargetKind kind;
    } cases[] = {
        {"Internet Explorer_Server", 400, 300, TrayTargetKind::Browser},
        {"Edit", 400, 300, TrayTargetKind::Edit},
        {"RichEdit20A", 400, 300, TrayTargetKind::Edit},
        {"TextEditor", 400, 300, TrayTargetKind::Edit},  // "edit" anywhere counts here
        {"Button", 400, 300, TrayTargetKind::None},
        {"Edit", 99, 300, TrayTargetKind::None},
        {"Edit", 100, 29, TrayTargetKind::None},
        {"Edit", 100, 30, TrayTargetKind::Edit},
        {"Internet Explorer_Serve", 400, 300, TrayTargetKind::None},
        // The name is read into 25 bytes: a longer one is compared by its first 24 characters.
        {"Internet Explorer_Server2", 400, 300, TrayTargetKind::Browser},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ClassifyTrayTarget(c.className, c.width, c.height), c.kind) << c.className;
    }
}

}  // namespace
}  // namespace velkaro
