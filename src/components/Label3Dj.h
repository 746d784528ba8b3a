#pragma once
// A windowless label that draws its caption raised, recessed or with a drop shadow, can
// turn it by an angle, frame itself, and open a web or e-mail address when clicked.
#include <string>
#include "base/GraphicControl.h"
#include "components/Label3DjGeometry.h"

class TLabel3Dj : public TGraphicControl {
public:
    // 65 x 17, auto-sized, "&" marks accelerators, opaque, Arial, raised text.
    explicit TLabel3Dj(std::string name);

    // ---- what every label has
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& caption);
    // Changes made through it repaint and re-measure the label.
    TFont& Font() { return font_; }
    const TFont& Font() const { return font_; }
    // False once the label's font has been changed; this program has no font inheritance.
    bool ParentFont() const { return parentFont_; }
    TColor Color() const { return color_; }
    void SetColor(TColor color);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool transparent);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment alignment);
    TTextLayout Layout() const { return layout_; }
    void SetLayout(TTextLayout layout);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool wordWrap);
    bool ShowAccelChar() const { return showAccelChar_; }
    void SetShowAccelChar(bool showAccelChar);
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool autoSize);
    // With AutoSize on, fits the label to its caption measured unrotated; the left edge
    // stays, the right one for taRightJustify. A form calls it once its values are set.
    void AdjustBounds();

    // ---- the 3D label's own; "at once" setters raise without a parent window
    TColor BorderColor() const { return borderColor_; }
    void SetBorderColor(TColor color);        // redraws at once
    TPenStyle BorderPenStyle() const { return borderPenStyle_; }
    void SetBorderPenStyle(TPenStyle style);  // redraws at once
    int BorderWidth() const { return borderWidth_; }
    void SetBorderWidth(int width);           // redraws at once
    bool Border() const { return border_; }
    void SetBorder(bool border);              // redraws at once, even when unchanged
    TBorderType BorderType() const { return borderType_; }
    void SetBorderType(TBorderType type);     // redraws at once when changed
    // Degrees counter-clockwise, kept normalised to 0..360.
    int Escapement() const { return escapement_; }
    void SetEscapement(int degrees);          // invalidates when changed
    TTextStyle TextStyle() const { return textStyle_; }
    void SetTextStyle(TTextStyle style);      // invalidates when changed
    TLabelStyle LabelStyle() const { return labelStyle_; }
    void SetLabelStyle(TLabelStyle style);    // no repaint
    const std::string& Address() const { return address_; }
    void SetAddress(const std::string& address);  // no repaint
    TEllipsesStyle EllipsesStyle() const { return ellipsesStyle_; }
    void SetEllipsesStyle(TEllipsesStyle style);  // turns AutoSize off; invalidates when changed
    // How far tsShadow drops its shadow, in pixels.
    int Shift() const { return shift_; }
    void SetShift(int shift);                 // redraws at once when changed

    // A link opens its address, then OnClick runs in every case.
    void Click() override;
    void MouseEnter() override;
    void MouseLeave() override;

    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseExit;

protected:
    void Paint(HDC dc) override;
    bool IsOpaque() const override { return !transparent_; }
    // Hands the file to the system shell; its result does not matter.
    virtual void LaunchAddress(const std::string& file);

private:
    bool IsLink() const { return labelStyle_ == lsWWWAddress || labelStyle_ == lsEMailAddress; }
    void FontChanged();
    void DrawBorder(HDC dc);
    void DrawCaption(HDC dc);

    // What the label base holds
    std::string caption_;
    TFont font_;
    bool parentFont_ = true;
    TColor color_ = clBtnFace;
    bool transparent_ = false;
    TAlignment alignment_ = taLeftJustify;
    TTextLayout layout_ = tlTop;
    bool wordWrap_ = false;
    bool showAccelChar_ = true;
    bool autoSize_ = true;

    TColor borderColor_ = clRed;
    TPenStyle borderPenStyle_ = psSolid;
    int borderWidth_ = 1;
    bool border_ = false;
    TBorderType borderType_ = btDefault;
    int escapement_ = 0;
    TTextStyle textStyle_ = tsRaised;
    TLabelStyle labelStyle_ = lsDefault;
    std::string address_;
    TEllipsesStyle ellipsesStyle_ = esNone;
    int shift_ = 1;

    const TColor shadowColor_ = clBtnShadow;
    const TColor highlightColor_ = clBtnHighlight;
    const TColor linkHoverColor_ = clRed;
    TColor savedFontColor_ = clBlack;  // the font colour while a link is hovered
};
