// Rectangle and number helpers.
#include "skin/engine/sGeneralUtils.h"

int RectSpanX(const TRect& R, bool NonNegative) {
    const int span = R.right - R.left;
    return NonNegative && span < 0 ? 0 : span;
}

int RectSpanY(const TRect& R, bool NonNegative) {
    const int span = R.bottom - R.top;
    return NonNegative && span < 0 ? 0 : span;
}

bool RectsOverlap(const TRect& P, const TRect& R) {
    if (R.right <= R.left || R.bottom <= R.top) return false;
    return !(P.top >= R.bottom || P.left >= R.right || R.left >= P.right || R.top >= P.bottom);
}

int ClampToByte(int V) { return V < 0 ? 0 : (V >= 256 ? 255 : V); }
bool IsBetween(int V, int Min, int Max) { return Min <= V && V <= Max; }
int LargerOf(int A, int B) { return A > B ? A : B; }
int SmallerOf(int A, int B) { return A < B ? A : B; }
int ChooseInt(bool Cond, int A, int B) { return Cond ? A : B; }

UnicodeString ChooseStr(bool Cond, const UnicodeString& A, const UnicodeString& B) {
    return Cond ? A : B;
}

TCacheInfo CacheInfoFor(TBitmap* Bmp, int X, int Y) {
    return TCacheInfo{Bmp, X, Y, 0xFF00FF, true};
}

TMessage BuildMessageRecord(UINT Msg, WPARAM WParam, LPARAM LParam, LRESULT Result) {
    return TMessage{Msg, WParam, LParam, Result};
}
