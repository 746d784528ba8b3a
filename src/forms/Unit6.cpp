#include "forms/Unit6.h"

#include "base/ErrorGuard.h"
#include "base/ModalDialog.h"
#include "base/MessageDialog.h"
#include "base/ScreenPlacement.h"
#include "forms/FormDefinition.h"
#include "forms/HomePage.h"
#include "forms/Unit6Definition.h"
#include "resource.h"

TAboutBox* AboutBox = nullptr;

namespace {

const DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;

// The design's bounds (at 96 DPI) on this screen.
RECT BoundsOf(const TBoundsDefinition& bounds, int dpi) {
    return RECT{ScaleToScreen(bounds.left, dpi), ScaleToScreen(bounds.top, dpi),
                ScaleToScreen(bounds.left + bounds.width, dpi), ScaleToScreen(bounds.top + bounds.height, dpi)};
}

// A 3D label's position, font and relief scaled from the design; at 96 DPI it stays as loaded.
void ScaleLabel(TLabel3Dj& label, const TLabel3DjDefinition& definition, int dpi) {
    if (dpi == 96) return;
    label.Font().SetHeight(ScaleToScreen(definition.fontHeight, dpi));
    label.SetShift(ScaleToScreen(definition.shift, dpi));
    label.SetBounds(ScaleToScreen(definition.left, dpi), ScaleToScreen(definition.top, dpi),
                    ScaleToScreen(definition.width, dpi), ScaleToScreen(definition.height, dpi));
    label.AdjustBounds();
}

HWND CreateButton(HWND dialog, int id, const RECT& bounds, const char* caption, DWORD style, HFONT font) {
    HWND button = CreateWindowExA(0, "BUTTON", caption, WS_CHILD | WS_VISIBLE | WS_TABSTOP | style, bounds.left,
                                  bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top, dialog,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr),
                                  nullptr);
    SendMessageA(button, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return button;
}

}  // namespace

TAboutBox::TAboutBox() : Image1("Image1"), Label3D2("Label3D2"), Label3D1("Label3D1") {
    const TAboutBoxDefinition& form = kAboutBoxDefinition;
    Image1.SetBounds(form.image1.left, form.image1.top, form.image1.width, form.image1.height);
    ApplyLabelDefinition(Label3D2, form.label3D2);
    ApplyLabelDefinition(Label3D1, form.label3D1);
    IniGT1.SetDefaultDir(ddApplication);
    IniGT1.Loaded();
}

void TAboutBox::ShowModal(HWND owner) {
    owner_ = owner;
    RunModalDialog(owner, kStyle, DialogProc, reinterpret_cast<LPARAM>(this));
    if (font_) DeleteObject(font_);
    font_ = nullptr;
    handle_ = nullptr;
}

void TAboutBox::CreateControls(HWND dialog, HWND owner) {
    const TAboutBoxDefinition& form = kAboutBoxDefinition;
    handle_ = dialog;
    SetWindowTextA(dialog, form.caption);

    // Client 324 x 258 as designed (at 96 DPI, scaled with the screen), centred on the main window.
    dpi_ = ScreenDpi();
    const int dpi = dpi_;
    const int clientWidth = ScaleToScreen(form.clientWidth, dpi), clientHeight = ScaleToScreen(form.clientHeight, dpi);
    RECT frame{0, 0, clientWidth, clientHeight};
    AdjustWindowRectEx(&frame, kStyle, FALSE, WS_EX_DLGMODALFRAME);
    int width = frame.right - frame.left;
    int height = frame.bottom - frame.top;
    // The frame as drawn may differ from the one computed (Wine 10 draws a thinner caption
    // than it computes for a scaled screen): the client area is what was designed, so any
    // difference goes to the frame.
    SetWindowPos(dialog, nullptr, 0, 0, width, height, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
    RECT client;
    if (GetClientRect(dialog, &client)) {
        width += clientWidth - client.right;
        height += clientHeight - client.bottom;
    }
    // Kept inside the work area where centring would push it past an edge.
    const RECT workArea = WorkAreaFor(owner);
    RECT around = workArea;
    if (owner) GetWindowRect(owner, &around);
    const RECT placed = CentredInside(around, width, height, workArea);
    SetWindowPos(dialog, nullptr, placed.left, placed.top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);

    LOGFONTA logFont{};
    logFont.lfHeight = -ScaleToScreen(form.fontHeight, dpi);
    logFont.lfCharSet = SHIFTJIS_CHARSET;
    lstrcpynA(logFont.lfFaceName, form.fontName, LF_FACESIZE);
    font_ = CreateFontIndirectA(&logFont);

    Panel1.BevelLowered = true;
    Panel1.SingleBorder = true;
    Panel1.Color = clBlack;
    Panel1.Create(dialog, IDC_ABOUT_PANEL1, BoundsOf(form.panel1, dpi));
    const RECT image = BoundsOf(form.image1, dpi);
    Image1.SetBounds(image.left, image.top, image.right - image.left, image.bottom - image.top);
    Image1.SetBitmap(static_cast<HBITMAP>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_ABOUTARTWORK),
                                                     IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    Panel1.GraphicControls().Add(&Image1);
    Panel1.GraphicControls().Add(&Label3D2);
    Panel1.GraphicControls().Add(&Label3D1);
    ScaleLabel(Label3D2, form.label3D2, dpi);
    ScaleLabel(Label3D1, form.label3D1, dpi);
    // The labels are painted, not windows: the panel carries their texts as its name, which
    // is what assistive technology reads of it. Nothing paints a panel's own text.
    SetWindowTextA(Panel1.Handle(), (Label3D1.Caption() + " " + Label3D2.Caption()).c_str());

    // BS_NOTIFY: OK redraws its default frame as the focus comes to and leaves this button.
    // A build without a home page shows it disabled: there is nowhere to go.
    HWND homePage = CreateButton(dialog, IDC_ABOUT_BUTTON1, BoundsOf(form.button1, dpi), form.button1Caption,
                                 BS_PUSHBUTTON | BS_NOTIFY, font_);
    if (kHomePageUrl[0] == '\0') EnableWindow(homePage, FALSE);
    HWND ok = CreateButton(dialog, IDOK, BoundsOf(form.bitBtn1, dpi), form.bitBtn1Caption, BS_OWNERDRAW, font_);
    SendMessageA(dialog, DM_SETDEFID, IDOK, 0);
    SetFocus(ok);
}

void TAboutBox::DrawOkButton(const DRAWITEMSTRUCT& item) const {
    RECT bounds = item.rcItem;
    HDC dc = item.hDC;
    const bool pushed = (item.itemState & ODS_SELECTED) != 0;
    const bool highContrast = HighContrastOn();
    // The default button's dark frame, then the face. As in a standard dialog, the focused
    // push button is the default: OK is, unless the home page button has the focus.
    const bool isDefault = GetFocus() != GetDlgItem(handle_, IDC_ABOUT_BUTTON1);
    FillRect(dc, &bounds, GetSysColorBrush(COLOR_BTNFACE));
    if (isDefault)
        FrameRect(dc, &bounds,
                  highContrast ? GetSysColorBrush(COLOR_BTNTEXT) : static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    InflateRect(&bounds, -1, -1);
    DrawFrameControl(dc, &bounds, DFC_BUTTON, DFCS_BUTTONPUSH | (pushed ? DFCS_PUSHED : 0));
    if (pushed) OffsetRect(&bounds, 1, 1);

    // The check-mark glyph, then the caption beside it.
    char caption[32];
    int length = GetWindowTextA(item.hwndItem, caption, sizeof caption);
    HGDIOBJ oldFont = SelectObject(dc, font_);
    SIZE text{};
    GetTextExtentPoint32A(dc, caption, length, &text);
    auto scaled = [this](int length) { return ScaleToScreen(length, dpi_); };
    const int glyph = scaled(12), gap = scaled(4);
    int left = bounds.left + (bounds.right - bounds.left - glyph - gap - text.cx) / 2;
    int middle = (bounds.top + bounds.bottom) / 2;
    HPEN pen = CreatePen(PS_SOLID, scaled(2), RGB(0, 128, 0));
    HGDIOBJ oldPen = SelectObject(dc, pen);
    POINT check[] = {{left, middle}, {left + gap, middle + gap}, {left + glyph, middle - scaled(5)}};
    Polyline(dc, check, 3);
    SelectObject(dc, oldPen);
    DeleteObject(pen);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ShownColor(kAboutBoxDefinition.fontColor, COLOR_BTNTEXT, highContrast));  // the dialog font's
    TextOutA(dc, left + glyph + gap, middle - text.cy / 2, caption, length);
    SelectObject(dc, oldFont);
    // Hidden for mouse users until the keyboard is used, as the system does.
    if ((item.itemState & ODS_FOCUS) && !(item.itemState & ODS_NOFOCUSRECT)) {
        RECT focus = item.rcItem;
        InflateRect(&focus, -4, -4);
        DrawFocusRect(dc, &focus);
    }
}

void TAboutBox::Button1Click() {
    if (kHomePageUrl[0] == '\0') return;
    if (!OpenHomePage(kHomePageUrl, SW_SHOW)) ShowMessage(kAboutBoxDefinition.homePageFailure);
}

void TAboutBox::FormClose() {
    // The dialog is freed by its creator once ShowModal returns; each use makes a new one.
    EndDialog(handle_, IDOK);
}

INT_PTR CALLBACK TAboutBox::DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) SetWindowLongPtrA(dialog, DWLP_USER, lParam);
    auto* self = reinterpret_cast<TAboutBox*>(GetWindowLongPtrA(dialog, DWLP_USER));
    if (!self) return FALSE;
    INT_PTR handled = FALSE;
    Guarded([&] {
        switch (message) {
        case WM_INITDIALOG:
            self->CreateControls(dialog, self->owner_);
            handled = FALSE;  // the focus is on OK already
            break;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDC_ABOUT_BUTTON1 && (HIWORD(wParam) == BN_SETFOCUS || HIWORD(wParam) == BN_KILLFOCUS))
                InvalidateRect(GetDlgItem(dialog, IDOK), nullptr, FALSE);
            if (HIWORD(wParam) != BN_CLICKED) break;
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) self->FormClose();
            else if (LOWORD(wParam) == IDC_ABOUT_BUTTON1) self->Button1Click();
            handled = TRUE;
            break;
        case WM_DRAWITEM: {
            const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            if (item.CtlID != IDOK) break;
            self->DrawOkButton(item);
            handled = TRUE;
            break;
        }
        }
    });
    return handled;
}
