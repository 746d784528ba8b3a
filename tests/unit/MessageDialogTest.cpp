#include <gtest/gtest.h>

#include <windows.h>
#include <string>
#include <thread>
#include <vector>
#include "base/AnsiPath.h"
#include "base/MessageDialog.h"

namespace {

enum class Answer { Enter, Escape, ClickNo, ClickOk };

struct SeenDialog {
    std::string caption;
    std::string text;
    std::vector<std::string> buttons;
    std::string defaultButton;
    bool hasIcon = false;
    HICON icon = nullptr;
};

std::string TextOf(HWND window) {
    char text[1024] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string ClassOf(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

BOOL CALLBACK MatchDialog(HWND window, LPARAM result) {
    if (ClassOf(window) != "#32770" || !IsWindowVisible(window)) return TRUE;
    *reinterpret_cast<HWND*>(result) = window;
    return FALSE;
}

HWND FindThreadDialog(DWORD threadId) {
    HWND found = nullptr;
    EnumThreadWindows(threadId, MatchDialog, reinterpret_cast<LPARAM>(&found));
    return found;
}

SeenDialog Inspect(HWND dialog) {
    SeenDialog seen;
    seen.caption = TextOf(dialog);
    int defaultId = LOWORD(SendMessageA(dialog, DM_GETDEFID, 0, 0));
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        std::string name = ClassOf(child);
        LONG style = GetWindowLongA(child, GWL_STYLE);
        if (_stricmp(name.c_str(), "Button") == 0) {
            seen.buttons.push_back(TextOf(child));
            if (GetDlgCtrlID(child) == defaultId && (style & 0x0F) == BS_DEFPUSHBUTTON)
                seen.defaultButton = TextOf(child);
        } else if (_stricmp(name.c_str(), "Static") == 0) {
            if ((style & SS_TYPEMASK) == SS_ICON) {
                seen.hasIcon = true;
                seen.icon = reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0));
            }
            else seen.text = TextOf(child);
        }
    }
    return seen;
}

HWND ButtonWithText(HWND dialog, const std::string& caption) {
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (TextOf(child) == caption) return child;
    return nullptr;
}

// Shows the dialog on this thread while a second thread records it and answers it as a
// user would, with a key on the focused control or a click.
template <class Show>
TModalResult ShowAndAnswer(Show show, Answer answer, SeenDialog& seen) {
    DWORD uiThread = GetCurrentThreadId();
    std::thread user([&] {
        HWND dialog = nullptr;
        for (DWORD start = GetTickCount(); !dialog && GetTickCount() - start < 20000; Sleep(10))
            dialog = FindThreadDialog(uiThread);
        if (!dialog) {
            // A modal loop ends on WM_QUIT (and posts it again); the other tests go on.
            ADD_FAILURE() << "no dialog appeared";
            PostThreadMessageA(uiThread, WM_QUIT, 0, 0);
            return;
        }
        seen = Inspect(dialog);
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        GetGUIThreadInfo(uiThread, &info);
        HWND focus = info.hwndFocus ? info.hwndFocus : dialog;
        switch (answer) {
        case Answer::Enter:
            PostMessageA(focus, WM_KEYDOWN, VK_RETURN, 0x001C0001);
            break;
        case Answer::Escape:
            PostMessageA(focus, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
            break;
        case Answer::ClickNo:
            PostMessageA(ButtonWithText(dialog, "いいえ(&N)"), BM_CLICK, 0, 0);
            break;
        case Answer::ClickOk:
            PostMessageA(ButtonWithText(dialog, "OK"), BM_CLICK, 0, 0);
            break;
        }
    });
    TModalResult result = show();
    user.join();
    MSG quit;
    PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    return result;
}

const std::string kYes = "はい(&Y)";
const std::string kNo = "いいえ(&N)";
const std::string kOk = "OK";

struct DialogCase {
    TMsgDlgType type;
    unsigned buttons;
    Answer answer;
    std::string caption;  // empty: the application title
    bool hasIcon;
    std::vector<std::string> shownButtons;
    std::string defaultButton;
    TModalResult result;
    TModalResult named = mrNone;  // the default button asked for
};

TEST(MessageDialog, CaptionsButtonsDefaultAndEscape) {
    const DialogCase cases[] = {
        {mtWarning, mbOK, Answer::Escape, "警告", true, {kOk}, kOk, mrOk},
        {mtError, mbOK, Answer::Enter, "エラー", true, {kOk}, kOk, mrOk},
        {mtInformation, mbOK, Answer::Enter, "情報", true, {kOk}, kOk, mrOk},
        {mtConfirmation, mbYes | mbNo, Answer::Enter, "確認", true, {kYes, kNo}, kYes, mrYes},
        {mtConfirmation, mbYes | mbNo, Answer::Escape, "確認", true, {kYes, kNo}, kYes, mrNo},
        {mtConfirmation, mbYes | mbNo, Answer::ClickNo, "確認", true, {kYes, kNo}, kYes, mrNo},
        // OK outranks Yes as default; No outranks OK for Esc.
        {mtConfirmation, mbYes | mbNo | mbOK, Answer::Enter, "確認", true, {kYes, kNo, kOk}, kOk, mrOk},
        {mtConfirmation, mbYes | mbNo | mbOK, Answer::Escape, "確認", true, {kYes, kNo, kOk}, kOk, mrNo},
        {mtCustom, mbOK, Answer::Escape, "", false, {kOk}, kOk, mrOk},
        // Where going on is advised against, No is the default and Enter declines.
        {mtConfirmation, mbYes | mbNo, Answer::Enter, "確認", true, {kYes, kNo}, kNo, mrNo, mrNo},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.caption + " buttons " + std::to_string(c.buttons) + " answer " +
                     std::to_string(static_cast<int>(c.answer)));
        SeenDialog seen;
        TModalResult result =
            ShowAndAnswer([&] { return MessageDlg("text", c.type, c.buttons, c.named); }, c.answer, seen);
        EXPECT_EQ(seen.caption, c.caption.empty() ? ApplicationTitle() : c.caption);
        EXPECT_EQ(seen.hasIcon, c.hasIcon);
        EXPECT_EQ(seen.buttons, c.shownButtons);
        EXPECT_EQ(seen.defaultButton, c.defaultButton);
        EXPECT_EQ(result, c.result);
    }
}

TEST(MessageDialog, ShowsTheTextAsGivenWithItsLineBreaks) {
    const std::string text = "次のフォルダ内に\r\nC:\\JV\\Data\r\n& 100%";
    SeenDialog seen;
    ShowAndAnswer([&] { return MessageDlg(text, mtInformation, mbOK); }, Answer::Enter, seen);
    EXPECT_EQ(seen.text, text);
}

TEST(MessageDialog, PlainAndErrorBoxesAreCaptionedWithTheApplicationTitle) {
    EXPECT_EQ(ApplicationTitle(), "unit_tests");
    SeenDialog seen;
    ShowAndAnswer([] { ShowMessage("plain"); return mrNone; }, Answer::ClickOk, seen);
    EXPECT_EQ(seen.caption, "unit_tests");
    EXPECT_EQ(seen.text, "plain");
    EXPECT_EQ(seen.buttons, std::vector<std::string>{kOk});
    EXPECT_FALSE(seen.hasIcon);

    ShowAndAnswer([] { ShowErrorBox("failed"); return mrNone; }, Answer::Enter, seen);
    EXPECT_EQ(seen.caption, "unit_tests");
    EXPECT_EQ(seen.text, "failed");
    EXPECT_TRUE(seen.hasIcon);
    EXPECT_EQ(seen.icon, LoadIconA(nullptr, IDI_ERROR));
}

}  // namespace
