// Colours and the screen facts the graphics layer measures with. A system colour carries its
// GetSysColor index in the low byte, so resolving it is a table look-up by the system, made
// at the moment of use: the user may change the scheme while the program runs.
#include "framework/Graphics.h"

TScreenDC::TScreenDC() : FDC(OwnedDCOf(nullptr)) {
    if (!FDC) throw EOutOfResources(L"GetDC of the screen failed");
}

int ScreenPixelsPerInch() {
    static const int pixelsPerInch = [] {
        TScreenDC screen;
        return ::GetDeviceCaps(screen.Get(), LOGPIXELSY);
    }();
    return pixelsPerInch;
}

TColor ColorToRGB(TColor color) {
    if (color >= 0) return color; // clNone and clDefault are positive: markers pass through
    return static_cast<TColor>(::GetSysColor(color & 0xFF));
}
