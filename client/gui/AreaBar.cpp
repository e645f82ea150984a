// The plain area bar: a list of title items whose clicks go straight to OnClick.
#include "client/gui/AreaBar.h"

TAreaItem* TPlainAreaBar::Add(const UnicodeString& caption) {
    FItems.push_back(std::make_unique<TAreaItem>(caption));
    return FItems.back().get();
}
