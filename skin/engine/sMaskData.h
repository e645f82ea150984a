// The skin model: the global values of the active skin (`TsSkinData`), one record per section
// (`TsGeneralData`), one per image (`TsMaskData`) and one per JPEG pattern (`TsPatternData`),
// and the indexes resolved once per skin (`TConstantSkinData`).
//
// Tables are indexed by position; -1 means "absent" everywhere. Indexes held by controls are
// valid only for the skin they were taken from.
#pragma once

#include "framework/Graphics.h"
#include "framework/Jpeg.h"
#include "skin/engine/sGradient.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

class TsSkinManager;

// The 16-bit fields of the skin model.
using SmallInt = std::int16_t;

enum TacImgType { itisaBorder, itisaTexture, itisaGlyph, itisaGlow, itisaPngGlyph };

// The global values of the active skin, from its "GLOBALINFO" section.
class TsSkinData {
public:
    UnicodeString SkinPath; // folder of the skin's files with a trailing "\" (empty: internal)
    bool Active = false;    // a skin is applied
    double Version = 0;
    UnicodeString Author;
    UnicodeString Description;
    TColor Shadow1Color = 0;
    SmallInt Shadow1Offset = 0;
    SmallInt Shadow1Blur = -1;
    SmallInt Shadow1Transparency = 0;
    SmallInt ExBorderWidth = 4;
    SmallInt ExTitleHeight = 30;
    SmallInt ExMaxHeight = 30;
    SmallInt ExContentOffs = 8;
    SmallInt ExCenterOffs = 0;
    SmallInt ExDrawMode = 0;
    TColor FXColor = 0;
    TColor BorderColor = 0;
    SmallInt BISpacing = 0;
    SmallInt BIVAlign = 0;
    SmallInt BIRightMargin = 0;
    SmallInt BILeftMargin = 0;
    SmallInt BIKeepHUE = 0;
    SmallInt BICloseGlow = 0;
    SmallInt BICloseGlowMargin = 0;
    SmallInt BIMaxGlow = 0;
    SmallInt BIMaxGlowMargin = 0;
    SmallInt BIMinGlow = 0;
    SmallInt BIMinGlowMargin = 0;
};

// Font colours: the main colour, then the outline colours left, top, right and bottom (-1: no
// outline on that side).
using TsFontColors = std::array<TColor, 5>;

// One section of the skin.
struct TsGeneralData {
    UnicodeString ParentClass;
    UnicodeString ClassName; // the section name as written
    TColor Color = 0;
    TsFontColors FontColor{0, -1, -1, -1, -1};
    TsFontColors HotFontColor{0, -1, -1, -1, -1};
    bool GiveOwnFont = false;
    Integer GlowCount = 0;
    Integer GlowMargin = 0;
    bool ReservedBoolean = false;
    Integer Transparency = 0;
    Integer GradientPercent = 0;
    UnicodeString GradientData;
    TsGradArray GradientArray;
    Integer ImagePercent = 0;
    bool ShowFocus = false;
    bool FadingEnabled = false;
    Integer FadingIterations = 5;
    TColor HotColor = 0;
    Integer HotTransparency = 0;
    Integer HotGradientPercent = 0;
    UnicodeString HotGradientData;
    TsGradArray HotGradientArray;
    Integer HotImagePercent = 0;
    Integer BorderIndex = -1;
    Integer ImgTL = -1;
    Integer ImgTR = -1;
    Integer ImgBL = -1;
    Integer ImgBR = -1;
};
using TsGeneralDataArray = std::vector<TsGeneralData>;

// Frees a bitmap or JPEG image held by a table entry with the class library's Free.
struct TFreeSkinObject {
    void operator()(TObject* object) const noexcept { object->Free(); }
};
using TSkinBitmapPtr = std::unique_ptr<TBitmap, TFreeSkinObject>;
using TSkinJpegPtr = std::unique_ptr<TJPEGImage, TFreeSkinObject>;

// One image of the skin: a rectangle of the master bitmap, or a bitmap of its own.
struct TsMaskData {
    TSkinBitmapPtr Bmp; // null: the image is R in the master bitmap
    UnicodeString ClassName;
    UnicodeString PropertyName;
    TRect R;
    SmallInt ImageCount = 0;
    SmallInt MaskType = 0; // 0 plain (0xFF00FF transparent); 1 image row over a mask row
    SmallInt BorderWidth = 0;
    SmallInt DrawMode = 0;
    TacImgType ImgType = itisaBorder;
    TsSkinManager* Manager = nullptr;
    SmallInt WL = 0;
    SmallInt WT = 0;
    SmallInt WR = 0;
    SmallInt WB = 0;
};
using TsMaskArray = std::vector<TsMaskData>;

struct TsPatternData {
    TSkinJpegPtr Img;
    UnicodeString ClassName;    // upper case
    UnicodeString PropertyName; // upper case
};
using TsPatternArray = std::vector<TsPatternData>;

// Indexes resolved once per skin (-1: absent), so that painting needs no look-up by name.
struct TConstantSkinData {
    SmallInt IndexGLobalInfo = -1;
    SmallInt ExBorder = -1;
    SmallInt IndexTabTop = -1, IndexTabBottom = -1, IndexTabLeft = -1, IndexTabRight = -1;
    SmallInt MaskTabTop = -1, MaskTabBottom = -1, MaskTabLeft = -1, MaskTabRight = -1;
    SmallInt IndexScrollTop = -1, IndexScrollBottom = -1, IndexScrollLeft = -1,
             IndexScrollRight = -1;
    SmallInt MaskScrollTop = -1, MaskScrollBottom = -1, MaskScrollLeft = -1, MaskScrollRight = -1;
    SmallInt IndexBGScrollTop = -1, IndexBGScrollBottom = -1, IndexBGScrollLeft = -1,
             IndexBGScrollRight = -1;
    SmallInt IndexBGHotScrollTop = -1, IndexBGHotScrollBottom = -1, IndexBGHotScrollLeft = -1,
             IndexBGHotScrollRight = -1;
    SmallInt MaskArrowTop = -1, MaskArrowBottom = -1, MaskArrowLeft = -1, MaskArrowRight = -1;
    SmallInt IndexSliderVert = -1, IndexSliderHorz = -1;
    SmallInt MaskSliderVert = -1, MaskSliderHorz = -1;
    SmallInt MaskSliderGlyphVert = -1, MaskSliderGlyphHorz = -1;
    SmallInt ScrollSliderBGHorz = -1, ScrollSliderBGHotHorz = -1;
    SmallInt ScrollSliderBGVert = -1, ScrollSliderBGHotVert = -1;
    SmallInt IndexScrollBar1H = -1, IndexScrollBar1V = -1, IndexScrollBar2H = -1,
             IndexScrollBar2V = -1;
    SmallInt MaskScrollBar1H = -1, MaskScrollBar1V = -1, MaskScrollBar2H = -1, MaskScrollBar2V = -1;
    SmallInt BGScrollBar1H = -1, BGScrollBar1V = -1, BGScrollBar2H = -1, BGScrollBar2V = -1;
    SmallInt BGHotScrollBar1H = -1, BGHotScrollBar1V = -1, BGHotScrollBar2H = -1,
             BGHotScrollBar2V = -1;
    SmallInt CheckBoxChecked = -1, CheckBoxUnChecked = -1, CheckBoxGrayed = -1;
    SmallInt RadioButtonChecked = -1, RadioButtonUnChecked = -1, RadioButtonGrayed = -1;
    SmallInt SmallCheckBoxChecked = -1, SmallCheckBoxUnChecked = -1, SmallCheckBoxGrayed = -1;
    Integer ComboBtnIndex = -1;
    Integer ComboBtnBorder = -1;
    Integer ComboBtnBG = -1;
    Integer ComboBtnBGHot = -1;
    Integer ComboGlyph = -1;
};

// The width of one state and the height of one row of an image (0 for 0 states or mask -1).
int MaskStateWidth(const TsMaskData& Mask);
int MaskStateHeight(const TsMaskData& Mask);
