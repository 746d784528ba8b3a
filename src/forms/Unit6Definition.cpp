#include "forms/Unit6Definition.h"

const TAboutBoxDefinition kAboutBoxDefinition = {
    "ﾊﾞｰｼﾞｮﾝ情報",
    324, 258,
    "ＭＳ Ｐゴシック", 12, clBlack,
    {6, 12, 307, 205},
    {2, 2, 300, 200},
    {"Label3D2", 5, 188, 125, 11, "(C) 2026 JVCacheClean", tsRaised, 1, "ＭＳ Ｐゴシック", 11, fsBold, clWhite,
     true, false, 0, lsDefault, esNone, clRed, psSolid, btDefault},
    {"Label3D1", 202, 70, 75, 12, "Version " JVCC_VERSION, tsRecessed, 1, "ＭＳ Ｐゴシック", 12, fsBold | fsUnderline,
     clBlack, true, false, 0, lsDefault, esNone, clRed, psSolid, btDefault},
    {10, 226, 155, 21},
    "ホームページ",
    {234, 224, 75, 25},
    "OK",
    "ホームページの表示に失敗しました。",
};

void ApplyLabelDefinition(TLabel3Dj& label, const TLabel3DjDefinition& definition) {
    // Loading sets only what differs from a new label: the setters that redraw at once
    // need a parent window, which the dialog makes later.
    label.SetBounds(definition.left, definition.top, definition.width, definition.height);
    label.SetCaption(definition.caption);
    if (label.TextStyle() != definition.textStyle) label.SetTextStyle(definition.textStyle);
    if (label.Shift() != definition.shift) label.SetShift(definition.shift);
    TFont& font = label.Font();
    font.SetName(definition.fontName);
    font.SetHeight(definition.fontHeight);
    font.SetStyle(definition.fontStyle);
    font.SetColor(definition.fontColor);
    font.SetCharset(SHIFTJIS_CHARSET);
    label.SetTransparent(definition.transparent);
    if (label.Border() != definition.border) label.SetBorder(definition.border);
    if (label.Escapement() != definition.escapement) label.SetEscapement(definition.escapement);
    label.SetLabelStyle(definition.labelStyle);
    label.SetEllipsesStyle(definition.ellipsesStyle);
    if (label.BorderColor() != definition.borderColor) label.SetBorderColor(definition.borderColor);
    if (label.BorderPenStyle() != definition.borderPenStyle) label.SetBorderPenStyle(definition.borderPenStyle);
    if (label.BorderType() != definition.borderType) label.SetBorderType(definition.borderType);
    label.AdjustBounds();
}
