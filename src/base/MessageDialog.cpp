#include "base/MessageDialog.h"

#include <windows.h>
#include <algorithm>
#include <vector>
#include "base/AnsiPath.h"
#include "base/ModalDialog.h"
#include "base/ScreenPlacement.h"

namespace {

const char* const kCaptions[] = {"警告", "エラー", "情報", "確認"};
const LPCSTR kIcons[] = {IDI_WARNING, IDI_ERROR, IDI_INFORMATION, IDI_QUESTION};

struct ButtonDefinition {
    unsigned flag;
    int id;
    const char* caption;
};
const ButtonDefinition kButtons[] = {
    {mbYes, IDYES, "はい(&Y)"},
    {mbNo, IDNO, "いいえ(&N)"},
    {mbOK, IDOK, "OK"},
    {mbCancel, IDCANCEL, "キャンセル"},
};

const int kTextId = 100;
const int kIconId = 101;

struct DialogRequest {
    const std::string* text;
    std::string caption;
    LPCSTR icon;  // a system icon, or none
    unsigned buttons;
    int defaultId;
    int escapeId;
    HFONT font;
};

int DefaultButtonId(unsigned buttons, TModalResult defaultButton) {
    if (defaultButton != mrNone) return defaultButton;
    if (buttons & mbOK) return IDOK;
    if (buttons & mbYes) return IDYES;
    return 0;
}

int EscapeButtonId(unsigned buttons) {
    if (buttons & mbCancel) return IDCANCEL;
    if (buttons & mbNo) return IDNO;
    if (buttons & mbOK) return IDOK;
    return 0;
}

HWND CreateChild(HWND dialog, const char* className, const char* text, DWORD style, int id,
                 const RECT& bounds, HFONT font) {
    HWND child = CreateWindowExA(0, className, text, WS_CHILD | WS_VISIBLE | style, bounds.left,
                                 bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top,
                                 dialog, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 GetModuleHandleA(nullptr), nullptr);
    SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return child;
}

// An edit control breaks lines only at "\r\n".
std::string WithCrLf(const std::string& text) {
    std::string result;
    for (std::string::size_type i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) result += '\r';
        result += text[i];
    }
    return result;
}

// Lays the dialog out within the work area of its owner's monitor: the text wraps to fit
// its width, and a text too tall for its height scrolls, so the buttons always show.
void LayOut(HWND dialog, const DialogRequest& request) {
    const DWORD style = static_cast<DWORD>(GetWindowLongA(dialog, GWL_STYLE));
    const DWORD exStyle = static_cast<DWORD>(GetWindowLongA(dialog, GWL_EXSTYLE));
    const RECT work = WorkAreaFor(GetWindow(dialog, GW_OWNER));
    RECT nonClient{0, 0, 0, 0};
    AdjustWindowRectEx(&nonClient, style, FALSE, exStyle);
    const int maxClientWidth = (work.right - work.left) - (nonClient.right - nonClient.left);
    const int maxClientHeight = (work.bottom - work.top) - (nonClient.bottom - nonClient.top);

    HDC dc = GetDC(dialog);
    HGDIOBJ oldFont = SelectObject(dc, request.font);
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    const int unit = std::max<int>(4, metrics.tmAveCharWidth);
    const int margin = unit * 2;
    const int lineHeight = metrics.tmHeight;
    const bool hasIcon = request.icon != nullptr;
    const int iconSize = GetSystemMetrics(SM_CXICON);
    const int textLeft = margin + (hasIcon ? iconSize + margin : 0);
    const int scrollBarWidth = GetSystemMetrics(SM_CXVSCROLL);
    const int maxTextWidth = std::max(unit * 10, std::min<int>(GetSystemMetrics(SM_CXSCREEN) / 2,
                                                               maxClientWidth - textLeft - margin - scrollBarWidth));

    RECT textBounds{0, 0, maxTextWidth, 0};
    DrawTextA(dc, request.text->c_str(), -1, &textBounds,
              DT_CALCRECT | DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX | DT_EXPANDTABS);

    std::vector<const ButtonDefinition*> buttons;
    int buttonWidth = unit * 12;
    for (const auto& button : kButtons) {
        if (!(request.buttons & button.flag)) continue;
        buttons.push_back(&button);
        SIZE size{};
        std::string caption = button.caption;
        GetTextExtentPoint32A(dc, caption.c_str(), static_cast<int>(caption.size()), &size);
        buttonWidth = std::max<int>(buttonWidth, size.cx + unit * 4);
    }
    SelectObject(dc, oldFont);
    ReleaseDC(dialog, dc);

    const int buttonHeight = lineHeight + unit * 2;
    const int buttonGap = unit * 2;
    const int maxTextHeight = std::max(lineHeight, maxClientHeight - 3 * margin - buttonHeight);
    int textWidth = std::min<int>(textBounds.right - textBounds.left, maxTextWidth);
    int textHeight = std::max<int>(textBounds.bottom - textBounds.top, lineHeight);
    const bool scrolls = textHeight > maxTextHeight;
    if (scrolls) {
        textHeight = maxTextHeight;
        textWidth += scrollBarWidth;
    }
    int contentHeight = std::max(textHeight, hasIcon ? iconSize : 0);
    int buttonsWidth = static_cast<int>(buttons.size()) * buttonWidth +
                       (static_cast<int>(buttons.size()) - 1) * buttonGap;
    int clientWidth = std::max(textLeft + textWidth + margin, buttonsWidth + 2 * margin);
    int buttonTop = margin + contentHeight + margin;
    int clientHeight = buttonTop + buttonHeight + margin;

    if (hasIcon) {
        HWND icon = CreateChild(dialog, "STATIC", "", SS_ICON, kIconId,
                                RECT{margin, margin, margin + iconSize, margin + iconSize}, request.font);
        SendMessageA(icon, STM_SETICON,
                     reinterpret_cast<WPARAM>(LoadIconA(nullptr, request.icon)), 0);
    }
    int textTop = margin + (contentHeight - textHeight) / 2;
    const RECT textRect{textLeft, textTop, textLeft + textWidth, textTop + textHeight};
    if (scrolls)
        CreateChild(dialog, "EDIT", WithCrLf(*request.text).c_str(),
                    ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL | WS_TABSTOP, kTextId, textRect,
                    request.font);
    else
        CreateChild(dialog, "STATIC", request.text->c_str(), SS_LEFT | SS_NOPREFIX | SS_EDITCONTROL, kTextId,
                    textRect, request.font);

    int left = (clientWidth - buttonsWidth) / 2;
    for (const ButtonDefinition* button : buttons) {
        bool isDefault = button->id == request.defaultId;
        HWND control = CreateChild(dialog, "BUTTON", button->caption,
                                   WS_TABSTOP | (isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON),
                                   button->id,
                                   RECT{left, buttonTop, left + buttonWidth, buttonTop + buttonHeight},
                                   request.font);
        if (isDefault) SetFocus(control);
        left += buttonWidth + buttonGap;
    }
    if (request.defaultId) SendMessageA(dialog, DM_SETDEFID, request.defaultId, 0);

    const int width = clientWidth + (nonClient.right - nonClient.left);
    const int height = clientHeight + (nonClient.bottom - nonClient.top);
    const RECT placed = CentredInside(work, width, height, work);
    SetWindowPos(dialog, nullptr, placed.left, placed.top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* request = reinterpret_cast<DialogRequest*>(GetWindowLongPtrA(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG: {
        request = reinterpret_cast<DialogRequest*>(lParam);
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        SetWindowTextA(dialog, request->caption.c_str());
        LayOut(dialog, *request);
        return FALSE;  // focus was given to the default button
    }
    case WM_COMMAND: {
        int id = LOWORD(wParam);
        if (HIWORD(wParam) != BN_CLICKED) return FALSE;
        // Esc and the close box arrive as IDCANCEL; they press the escape button, if any.
        if (id == IDCANCEL && !(request->buttons & mbCancel)) id = request->escapeId;
        if (id != 0) EndDialog(dialog, id);
        return TRUE;
    }
    }
    return FALSE;
}

HFONT CreateMessageFont() {
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = sizeof metrics;
    if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
        return CreateFontIndirectA(&metrics.lfMessageFont);
    return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

TModalResult ShowDialog(DialogRequest& request) {
    request.escapeId = EscapeButtonId(request.buttons);
    request.font = CreateMessageFont();
    HWND owner = GetActiveWindow();
    // The controls are made and measured when the dialog starts.
    INT_PTR result = RunModalDialog(owner, WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER,
                                    DialogProc, reinterpret_cast<LPARAM>(&request));
    DeleteObject(request.font);
    return result > 0 ? static_cast<TModalResult>(result) : mrNone;
}

}  // namespace

TModalResult MessageDlg(const std::string& text, TMsgDlgType type, unsigned buttons, TModalResult defaultButton) {
    const bool custom = type == mtCustom;
    DialogRequest request{&text, custom ? ApplicationTitle() : kCaptions[type], custom ? nullptr : kIcons[type],
                          buttons, DefaultButtonId(buttons, defaultButton), 0, nullptr};
    return ShowDialog(request);
}

void ShowMessage(const std::string& text) {
    MessageDlg(text, mtCustom, mbOK);
}

void ShowErrorBox(const std::string& text) {
    DialogRequest request{&text, ApplicationTitle(), kIcons[mtError], mbOK, IDOK, 0, nullptr};
    ShowDialog(request);
}
