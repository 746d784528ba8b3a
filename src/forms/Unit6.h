#pragma once
// The about dialog: the maker's picture with the credit line and the version drawn in
// relief over it, a button that opens the maker's home page, and OK.
#include <windows.h>
#include <vector>
#include "base/Image.h"
#include "base/Panel.h"
#include "components/IniGT.h"
#include "components/Label3Dj.h"

class TAboutBox {
public:
    TAboutBox();
    TAboutBox(const TAboutBox&) = delete;
    TAboutBox& operator=(const TAboutBox&) = delete;

    // Shows the dialog modally, centred on owner; returns when it is closed.
    void ShowModal(HWND owner);

    void Button1Click();
    void FormClose();

    TPanel Panel1;
    TImage Image1;
    TLabel3Dj Label3D2;  // the credit line
    TLabel3Dj Label3D1;  // the version
    TIniGT IniGT1;

private:
    static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    void CreateControls(HWND dialog, HWND owner);
    void DrawOkButton(const DRAWITEMSTRUCT& item) const;

    HWND handle_ = nullptr;
    HWND owner_ = nullptr;
    HFONT font_ = nullptr;
    int dpi_ = 96;  // the screen's, when the dialog was made
};

extern TAboutBox* AboutBox;
