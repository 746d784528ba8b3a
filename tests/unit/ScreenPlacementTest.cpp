#include <gtest/gtest.h>

#include "base/ScreenPlacement.h"

namespace {

std::string Describe(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "-" + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
}

TEST(ScreenPlacement, ATitleBarCountsAsShownWhenAnyPixelIsOnAMonitor) {
    // Two monitors side by side, the second one lower: 1920x1080 and 1280x1024 at (1920, 200).
    const std::vector<RECT> monitors = {{0, 0, 1920, 1080}, {1920, 200, 3200, 1224}};
    const struct {
        RECT titleBar;
        bool shown;
        const char* what;
    } cases[] = {
        {{10, 10, 410, 40}, true, "the default position"},
        {{-150, 700, 250, 730}, true, "partly off the left edge"},
        {{-399, 100, 1, 130}, true, "one pixel column on screen"},
        {{-400, 100, 0, 130}, false, "touching the left edge from outside"},
        {{100, -30, 500, 0}, false, "just above the top"},
        {{100, 1079, 500, 1109}, true, "one pixel row at the bottom"},
        {{2500, 100, 2900, 130}, false, "above the lower second monitor"},
        {{2500, 190, 2900, 220}, true, "reaching down onto the second monitor"},
        {{3200, 500, 3600, 530}, false, "right of every monitor"},
        {{-32000, -32000, -31600, -31970}, false, "a minimised window's rectangle"},
        {{5000, 5000, 5400, 5030}, false, "saved on a monitor since unplugged"},
    };
    for (const auto& c : cases) EXPECT_EQ(TitleBarOnSomeMonitor(c.titleBar, monitors), c.shown) << c.what;
    EXPECT_FALSE(TitleBarOnSomeMonitor({10, 10, 410, 40}, {})) << "no monitor at all";
}

TEST(ScreenPlacement, DialogsAreMovedInsideTheWorkAreaByAsLittleAsPossible) {
    const RECT work{0, 0, 1280, 760};  // a taskbar of 40 at the bottom
    const struct {
        RECT window, placed;
    } cases[] = {
        {{100, 100, 400, 300}, {100, 100, 400, 300}},       // already inside
        {{-50, -20, 250, 180}, {0, 0, 300, 200}},           // past the top left
        {{1100, 700, 1400, 900}, {980, 560, 1280, 760}},    // past the bottom right
        {{100, -2462, 600, 3487}, {100, 0, 600, 5949}},     // taller than the work area: top stays visible
        {{-10, 10, 1390, 110}, {0, 10, 1400, 110}},         // wider than the work area: left stays visible
    };
    for (const auto& c : cases) EXPECT_EQ(Describe(KeptInside(c.window, work)), Describe(c.placed));
    // Centred on a main window near the top left: the title bar must not go above the screen.
    EXPECT_EQ(Describe(CentredInside({10, 10, 490, 260}, 330, 290, work)), Describe({85, 0, 415, 290}));
}

}  // namespace
