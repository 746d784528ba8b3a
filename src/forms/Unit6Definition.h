#pragma once
// The about dialog's form definition.
#include "base/Color.h"
#include "components/Label3Dj.h"

struct TLabel3DjDefinition {
    const char* name;
    int left, top, width, height;  // in Panel1's client area
    const char* caption;
    TTextStyle textStyle;
    int shift;
    const char* fontName;
    int fontHeight;
    TFontStyles fontStyle;
    TColor fontColor;
    bool transparent;
    bool border;
    int escapement;
    TLabelStyle labelStyle;
    TEllipsesStyle ellipsesStyle;
    TColor borderColor;
    TPenStyle borderPenStyle;
    TBorderType borderType;
};

struct TBoundsDefinition {
    int left, top, width, height;
};

struct TAboutBoxDefinition {
    const char* caption;
    int clientWidth, clientHeight;  // pixels; not rescaled
    const char* fontName;
    int fontHeight;
    TColor fontColor;
    TBoundsDefinition panel1;   // lowered outer bevel, single border, black
    TBoundsDefinition image1;   // in Panel1, the artwork stretched to it
    TLabel3DjDefinition label3D2;
    TLabel3DjDefinition label3D1;
    TBoundsDefinition button1;  // "ホームページ"
    const char* button1Caption;
    TBoundsDefinition bitBtn1;  // OK, the default button
    const char* bitBtn1Caption;
    const char* homePageFailure;
};

extern const TAboutBoxDefinition kAboutBoxDefinition;

// Gives a label the definition's values, through its setters.
void ApplyLabelDefinition(TLabel3Dj& label, const TLabel3DjDefinition& definition);
