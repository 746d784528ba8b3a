#pragma once
// The 3D label's arithmetic, apart from any window or device context: the kinds of the
// label, its escapement rule, the effect passes, the placement of rotated text and the
// DrawText flags.
#include <windows.h>
#include <vector>
#include "base/GraphicControl.h"

enum TTextStyle : unsigned char { tsNone, tsRaised, tsLightRaised, tsRecessed, tsHeavyRecessed, tsShadow };
enum TLabelStyle : unsigned char { lsDefault, lsWWWAddress, lsEMailAddress };
enum TEllipsesStyle : unsigned char { esNone, esEnd, esPath };
enum TBorderType : unsigned char { btDefault, btRecessed, btRaised };

// Brings any angle into 0..360 degrees; 0 stays 0 and whole turns above it give 360.
int NormalizeEscapement(int degrees);

enum TPassColor : unsigned char { pcShadow, pcHighlight };

// One drawing of the caption under the face, moved by (dx, dy).
struct TEffectPass {
    int dx;
    int dy;
    TPassColor color;
};

// The passes drawn before the face, in drawing order; shift moves tsShadow alone.
std::vector<TEffectPass> EffectPasses(TTextStyle style, int shift);

// Where rotated text goes: TextOut at the rectangle's corner moved by (dx, dy) puts the
// rotated text's bounding box, width x height, at that corner.
struct TRotatedPlacement {
    int dx;
    int dy;
    int width;
    int height;
};

// For an escapement of 1..360 degrees and the unrotated text extent cx x cy.
TRotatedPlacement RotatedPlacement(int escapement, int cx, int cy);

// DrawText flags of the caption. Layout only counts for unrotated text.
UINT CaptionFlags(TAlignment alignment, bool wordWrap, bool showAccelChar, TEllipsesStyle ellipses,
                  TTextLayout layout, int escapement);

// How far rotated text of rotatedWidth moves right in a label of width, by alignment.
int RotatedAlignmentOffset(TAlignment alignment, int width, int rotatedWidth);
