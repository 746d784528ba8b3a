#include <gtest/gtest.h>

#include <string>
#include "forms/MainFormDefinition.h"
#include "resource.h"

namespace {

std::string MenuText(HMENU menu, UINT position) {
    char text[128] = {};
    GetMenuStringA(menu, position, text, sizeof text, MF_BYPOSITION);
    return text;
}

TEST(MainFormMenu, BuildsTheTwoMenusWithTheirItems) {
    HMENU bar = BuildMenuBar(kMainFormDefinition.menu, kMainFormDefinition.menuCount);
    ASSERT_EQ(GetMenuItemCount(bar), 2);
    EXPECT_EQ(MenuText(bar, 0), "ﾌｧｲﾙ(&F)");
    EXPECT_EQ(MenuText(bar, 1), "ﾍﾙﾌﾟ(&H)");

    HMENU file = GetSubMenu(bar, 0);
    ASSERT_EQ(GetMenuItemCount(file), 3);
    EXPECT_EQ(MenuText(file, 0), "JV Link 設定(&S)");
    EXPECT_EQ(GetMenuItemID(file, 0), static_cast<UINT>(IDM_JVLINK_SETTINGS));
    MENUITEMINFOA separator{};
    separator.cbSize = sizeof separator;
    separator.fMask = MIIM_FTYPE;
    GetMenuItemInfoA(file, 1, TRUE, &separator);
    EXPECT_TRUE(separator.fType & MFT_SEPARATOR);
    EXPECT_EQ(MenuText(file, 2), "終了(&X)");
    EXPECT_EQ(GetMenuItemID(file, 2), static_cast<UINT>(IDM_FILE_EXIT));

    HMENU help = GetSubMenu(bar, 1);
    ASSERT_EQ(GetMenuItemCount(help), 1);
    EXPECT_EQ(MenuText(help, 0), "ﾊﾞｰｼﾞｮﾝ情報(&A)...");
    EXPECT_EQ(GetMenuItemID(help, 0), static_cast<UINT>(IDM_HELP_ABOUT));

    // The hints travel with their items.
    MENUITEMINFOA data{};
    data.cbSize = sizeof data;
    data.fMask = MIIM_DATA;
    ASSERT_TRUE(GetMenuItemInfoA(file, IDM_FILE_EXIT, FALSE, &data));
    EXPECT_STREQ(reinterpret_cast<const char*>(data.dwItemData), "このｱﾌﾟﾘｹｰｼｮﾝを終了します");
    DestroyMenu(bar);
}

TEST(MainFormDefinition, EveryMenuCommandHasAHandler) {
    for (std::size_t i = 0; i < kMainFormDefinition.menuCount; ++i) {
        const auto& item = kMainFormDefinition.menu[i];
        EXPECT_EQ(item.id != 0, item.onClick != nullptr) << item.name;
    }
}

// Under high contrast every label of the main window is drawn in the window-text colour, so
// that none vanishes into the user's background; otherwise each keeps its designed colour.
// (Wine cannot turn high contrast on, so the choice is tested here rather than on screen.)
TEST(MainFormColors, LabelsFollowHighContrast) {
    const COLORREF windowText = GetSysColor(COLOR_WINDOWTEXT);
    for (std::size_t i = 0; i < kMainFormDefinition.controlCount; ++i) {
        const auto& control = kMainFormDefinition.controls[i];
        if (control.kind != ControlKind::Label) continue;
        const TColor color = (control.font ? control.font : kMainFormDefinition.font)->color;
        EXPECT_EQ(ShownColor(color, COLOR_WINDOWTEXT, true), windowText) << control.name;
        EXPECT_EQ(ShownColor(color, COLOR_WINDOWTEXT, false), ColorToRGB(color)) << control.name;
    }
    EXPECT_EQ(ShownColor(clBlack, COLOR_BTNTEXT, false), RGB(0, 0, 0));
    EXPECT_EQ(ShownColor(clBtnFace, COLOR_BTNTEXT, true), GetSysColor(COLOR_BTNFACE)) << "system colours stay";
}

}  // namespace
