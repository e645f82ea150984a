// TsAlphaImageList: the skin engine's image list of 32-bit pictures with per-pixel alpha. In a
// build without the skin engine it is the class library's image list at its default 32-bit
// colour depth, which keeps the alpha of the icons added to it.
#pragma once

#include "framework/ImageList.h"

class TsAlphaImageList : public TCustomImageList {
    CLASS_INFO(TsAlphaImageList, TCustomImageList)
public:
    using TCustomImageList::TCustomImageList;
};
