// Automatic scrolling and wheel panning, both driven by timer 4.
//
// Auto-scroll: while the rubber band is drawn (with toAutoScroll) and the pointer comes near an
// edge that has more content behind it, timer 4 starts after AutoScrollDelay and then ticks
// every AutoScrollInterval, scrolling one step per tick (more the farther the pointer is
// outside) and extending the band.
//
// Wheel panning (toWheelPanning): a middle press on a tree with more content than fits puts a
// small pop-up of the class "VTPanningWindow" at the press point as the anchor and scrolls every
// 20 ms by the pointer's distance from it, less an 8-pixel dead zone. Three phases:
//   press          -> tsWheelPanning + tsWheelScrolling   (BeginWheelPanning)
//   move > drag threshold -> tsWheelPanning only         (the button held: its release ends it)
//   release without moving -> tsWheelScrolling only       (scrolls on until the next press)
//   release, next press, wheel, focus loss -> none       (EndWheelPanning)
// The anchor picture and the direction cursors are drawn by this library (VTPictures.cpp and
// below). The pointer is the one the last mouse move reported: the window holds the capture in
// both modes, so every move comes here.
#include "vtree/VTWindow.h"

#include "framework/ExceptionBoundary.h"
#include "framework/Forms.h"

#include <cmath>

namespace {

constexpr wchar_t PanningClassName[] = L"VTPanningWindow";
constexpr int DeadZone = 8;

LRESULT CALLBACK PanningWindowProc(HWND Window, UINT Msg, WPARAM WParam, LPARAM LParam) noexcept {
    if (Msg != WM_PAINT) return DefWindowProcW(Window, Msg, WParam, LParam);
    GuardBoundary([&] {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(Window, &paint);
        auto* image = reinterpret_cast<TBitmap*>(GetWindowLongPtrW(Window, GWLP_USERDATA));
        if (dc && image)
            BitBlt(dc, 0, 0, image->Width(), image->Height(), image->Canvas()->Handle(), 0, 0,
                   SRCCOPY);
        EndPaint(Window, &paint);
    });
    return 0;
}

void RegisterPanningClass() {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW existing{};
    if (GetClassInfoW(instance, PanningClassName, &existing)) {
        if (existing.lpfnWndProc == PanningWindowProc) return;
        UnregisterClassW(PanningClassName, instance);
    }
    WNDCLASSW panning{};
    panning.lpfnWndProc = PanningWindowProc;
    panning.hInstance = instance;
    panning.lpszClassName = PanningClassName;
    panning.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    if (!RegisterClassW(&panning)) RaiseLastOSError(L"RegisterClassW");
}

// The region of the picture's pixels that are not magenta.
TOwnedRegion OpaqueRegion(TBitmap& Image) {
    TOwnedRegion region(CreateRectRgn(0, 0, 0, 0));
    if (!region) RaiseLastOSError(L"CreateRectRgn");
    HDC dc = Image.Canvas()->Handle();
    for (int y = 0; y < Image.Height(); ++y)
        for (int x = 0; x < Image.Width(); ++x) {
            if (GetPixel(dc, x, y) == RGB(255, 0, 255)) continue;
            const TOwnedRegion pixel(CreateRectRgn(x, y, x + 1, y + 1));
            CombineRgn(region.Get(), region.Get(), pixel.Get(), RGN_OR);
        }
    return region;
}

// A 32 x 32 cursor: a ring around the hot spot and an arrow head towards (DX, DY) for each
// direction given.
HCURSOR MakeDirectionCursor(const std::vector<std::pair<int, int>>& Directions) {
    BYTE andMask[128], xorMask[128];
    std::fill(std::begin(andMask), std::end(andMask), BYTE(0xFF));
    std::fill(std::begin(xorMask), std::end(xorMask), BYTE(0));
    auto set = [&](int X, int Y) {
        if (X < 0 || X > 31 || Y < 0 || Y > 31) return;
        andMask[Y * 4 + X / 8] &= static_cast<BYTE>(~(0x80 >> (X % 8)));
    };
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const double d = std::hypot(x - 16, y - 16);
            if (d >= 3 && d < 4.5) set(x, y);
        }
    for (auto [dx, dy] : Directions) {
        const double length = std::hypot(dx, dy);
        const double ux = dx / length, uy = dy / length;
        for (int along = 0; along < 6; ++along)
            for (int side = -(5 - along); side <= 5 - along; ++side)
                set(16 + static_cast<int>(std::lround(ux * (8 + along) - uy * side)),
                    16 + static_cast<int>(std::lround(uy * (8 + along) + ux * side)));
    }
    HCURSOR cursor = CreateCursor(GetModuleHandleW(nullptr), 16, 16, 32, 32, andMask, xorMask);
    if (!cursor) RaiseLastOSError(L"CreateCursor");
    return cursor;
}

HCURSOR MakePanningCursor(const UnicodeString& Name) {
    static const std::pair<const wchar_t*, std::vector<std::pair<int, int>>> shapes[] = {
        {L"VT_MOVEALL", {{0, -1}, {0, 1}, {-1, 0}, {1, 0}}},
        {L"VT_MOVEEW", {{-1, 0}, {1, 0}}},
        {L"VT_MOVENS", {{0, -1}, {0, 1}}},
        {L"VT_MOVEN", {{0, -1}}},
        {L"VT_MOVES", {{0, 1}}},
        {L"VT_MOVEW", {{-1, 0}}},
        {L"VT_MOVEE", {{1, 0}}},
        {L"VT_MOVENW", {{-1, -1}}},
        {L"VT_MOVENE", {{1, -1}}},
        {L"VT_MOVESW", {{-1, 1}}},
        {L"VT_MOVESE", {{1, 1}}}};
    for (const auto& [name, directions] : shapes)
        if (Name == name) return MakeDirectionCursor(directions);
    return MakeDirectionCursor({});
}

} // namespace

// ---- auto-scroll -------------------------------------------------------------------------------

bool TVirtualTreeWindow::AutoScrollAllowed() const {
    const TVirtualTreeStates states = FTree->TreeStates();
    const bool panning = states.Contains(tsWheelPanning) || states.Contains(tsWheelScrolling);
    return (panning || FTree->HasAuto(toAutoScroll)) && Header()->States().Empty() &&
           (FTree->IsMouseSelecting() || panning);
}

TScrollDirections TVirtualTreeWindow::ScrollDirectionsAt(int X, int Y) const {
    TScrollDirections result;
    if (!AutoScrollAllowed()) return result;
    const TVirtualTreeStates states = FTree->TreeStates();
    if (states.Contains(tsWheelPanning) || states.Contains(tsWheelScrolling)) {
        if (X - FLastClickPos.x < -DeadZone) result.Include(sdLeft);
        if (X - FLastClickPos.x > DeadZone) result.Include(sdRight);
        if (Y - FLastClickPos.y < -DeadZone) result.Include(sdUp);
        if (Y - FLastClickPos.y > DeadZone) result.Include(sdDown);
        return result;
    }
    const TVTViewport& view = FTree->Viewport();
    const int margin = static_cast<int>(FTree->DefaultNodeHeight());
    if (X < margin && view.EffectiveOffsetX != 0) result.Include(sdLeft);
    if (X > view.ClientWidth - margin && view.ClientWidth + view.EffectiveOffsetX < RangeX())
        result.Include(sdRight);
    if (Y < margin && view.OffsetY != 0) result.Include(sdUp);
    if (Y > view.ClientHeight - margin && view.ClientHeight - view.OffsetY < RangeY())
        result.Include(sdDown);
    return result;
}

void TVirtualTreeWindow::UpdateAutoScroll(int X, int Y) {
    FScrollDirections = ScrollDirectionsAt(X, Y);
    const TVirtualTreeStates states = FTree->TreeStates();
    if (states.Contains(tsWheelPanning) || states.Contains(tsWheelScrolling)) return;
    const bool running = states.Contains(tsScrollPending) || states.Contains(tsScrolling);
    if (!FScrollDirections.Empty() && !running) {
        FTree->DoStateChange({tsScrollPending});
        FTree->StartTimer(ScrollTimer, AutoScrollDelay);
    } else if (FScrollDirections.Empty() && running) {
        FTree->StopTimer(ScrollTimer);
        FTree->DoStateChange({}, {tsScrollPending, tsScrolling});
    }
}

void TVirtualTreeWindow::ScrollTimerExpired() {
    if (FTree->TreeStates().Contains(tsScrollPending)) {
        CancelHint();
        FTree->StartTimer(ScrollTimer, std::clamp<Cardinal>(AutoScrollInterval, 1, 1000));
        FTree->DoStateChange({tsScrolling}, {tsScrollPending});
    }
    ScrollTimerTick();
}

void TVirtualTreeWindow::ScrollTimerTick() {
    const TVirtualTreeStates states = FTree->TreeStates();
    const TPoint p = FLastMousePos;
    const int width = ClientWidth(), height = ClientHeight();
    const bool inArea = p.x >= 0 && p.y >= 0 && p.x < width && p.y < height;
    const bool panning = states.Contains(tsWheelPanning) || states.Contains(tsWheelScrolling);
    const bool selecting = FTree->IsMouseSelecting();
    if (!selecting && !inArea && !panning) return;
    const int vUnit = std::min(FScrollBarOptions->VerticalIncrement, height);
    const int hUnit = FScrollBarOptions->HorizontalIncrement;
    int dx = 0, dy = 0;
    auto step = [&](TScrollDirection Direction, int Panned, int Inside, int Outside, bool AtEdge) {
        if (!FScrollDirections.Contains(Direction)) return 0;
        if (AtEdge) {
            FScrollDirections.Exclude(Direction);
            return 0;
        }
        return panning ? Panned : inArea ? Inside : Outside;
    };
    dy += step(sdUp, FLastClickPos.y - p.y - DeadZone, vUnit, -p.y * vUnit, OffsetY() == 0);
    dy += step(sdDown, FLastClickPos.y - p.y + DeadZone, -vUnit, -(p.y - height) * vUnit,
               height - OffsetY() >= RangeY());
    dx += step(sdLeft, FLastClickPos.x - p.x - DeadZone, hUnit, -p.x * hUnit,
               EffectiveOffsetX() == 0);
    dx += step(sdRight, FLastClickPos.x - p.x + DeadZone, -hUnit, -(p.x - width) * hUnit,
               width + EffectiveOffsetX() >= RangeX());
    if (UseRightToLeftAlignment()) dx = -dx;
    if (dx != 0 || dy != 0)
        ApplyScrollOffset({OffsetX() + dx, OffsetY() + dy}, DefaultScrollUpdateFlags);
    if (selecting && CalculateSelectionRect(p.x, p.y)) {
        HandleDrawSelection();
        Invalidate();
    }
    Update();
    if (FScrollDirections.Empty() && !panning) {
        FTree->StopTimer(ScrollTimer);
        FTree->DoStateChange({}, {tsScrolling, tsScrollPending});
    }
}

// ---- wheel panning -----------------------------------------------------------------------------

void TVirtualTreeWindow::BeginWheelPanning(TPoint Position) {
    FTree->StopTimer(ScrollTimer);
    FTree->DoStateChange({tsWheelPanning, tsWheelScrolling});
    try {
        RegisterPanningClass();
        const bool wide = RangeX() > ClientWidth(), tall = RangeY() > ClientHeight();
        FPanningImage.reset(new TBitmap);
        vtree_resources::DrawPicture(wide && tall ? L"VT_MOVEALL"
                                     : wide       ? L"VT_MOVEEW"
                                                  : L"VT_MOVENS",
                                     FPanningImage.get());
        vtree_errors::Assert(FPanningImage->Width() > 0 && FPanningImage->Height() > 0,
                             L"Invalid wheel panning image.");
        POINT screen{Position.x - 16, Position.y - 16};
        ::ClientToScreen(Handle(), &screen);
        FPanningWindow =
            CreateWindowExW(WS_EX_TOOLWINDOW, PanningClassName, L"", WS_POPUP, screen.x, screen.y,
                            32, 32, Handle(), nullptr, GetModuleHandleW(nullptr), nullptr);
        if (!FPanningWindow) RaiseLastOSError(L"CreateWindowExW");
        SetWindowLongPtrW(FPanningWindow, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(FPanningImage.get()));
        TOwnedRegion region = OpaqueRegion(*FPanningImage);
        if (SetWindowRgn(FPanningWindow, region.Get(), FALSE)) region.Release(); // the window's now
        ShowWindow(FPanningWindow, SW_SHOWNOACTIVATE);
        if (CanFocus()) SetFocus();
        SetMouseCapture(true);
        FTree->StartTimer(ScrollTimer, 20);
    } catch (...) {
        EndWheelPanning();
        throw;
    }
}

void TVirtualTreeWindow::EndWheelPanning() {
    const TVirtualTreeStates states = FTree->TreeStates();
    if (!states.Contains(tsWheelPanning) && !states.Contains(tsWheelScrolling)) return;
    FTree->StopTimer(ScrollTimer);
    FTree->DoStateChange({}, {tsWheelPanning, tsWheelScrolling});
    if (MouseCapture()) SetMouseCapture(false);
    if (FPanningWindow) DestroyWindow(FPanningWindow);
    FPanningWindow = nullptr;
    FPanningImage.reset();
    if (FPanningCursor) DestroyCursor(FPanningCursor);
    FPanningCursor = nullptr;
    FPanningCursorName.clear();
    FScrollDirections = {};
    if (Screen) ::SetCursor(Screen->Cursors(Cursor())); // no screen object before the application's
}

void TVirtualTreeWindow::UpdatePanningCursor(int X, int Y) {
    const int dx = X - FLastClickPos.x, dy = Y - FLastClickPos.y;
    const bool wide = RangeX() > ClientWidth(), tall = RangeY() > ClientHeight();
    UnicodeString name;
    if (std::abs(dx) > 7 || std::abs(dy) > 7) {
        const wchar_t* vertical = Y < FLastClickPos.y ? L"N" : L"S";
        if (wide && tall) {
            const wchar_t* row = dy < -8 ? L"N" : dy < 9 ? L"" : L"S";
            name = dx < -8  ? UnicodeString(L"VT_MOVE") + row + L"W"
                   : dx < 9 ? UnicodeString(L"VT_MOVE") + vertical
                            : UnicodeString(L"VT_MOVE") + row + L"E";
        } else if (wide) {
            name = dx < 0 ? L"VT_MOVEW" : L"VT_MOVEE";
        } else {
            name = UnicodeString(L"VT_MOVE") + vertical;
        }
    } else {
        name = !wide ? L"VT_MOVENS" : tall ? L"VT_MOVEALL" : L"VT_MOVEEW";
    }
    if (name == FPanningCursorName) return;
    HCURSOR cursor = MakePanningCursor(name);
    if (FPanningCursor) DestroyCursor(FPanningCursor);
    FPanningCursor = cursor;
    FPanningCursorName = name;
    ::SetCursor(cursor);
}

// ---- the middle button -------------------------------------------------------------------------

bool TVirtualTreeWindow::MiddleButtonDown(TMessage& Message) {
    const TVirtualTreeStates states = FTree->TreeStates();
    const bool panning = states.Contains(tsWheelPanning) || states.Contains(tsWheelScrolling);
    const bool overflow = RangeX() > ClientWidth() || RangeY() > ClientHeight();
    if (HasMisc(toWheelPanning) && !panning && overflow) {
        const POINT point = PointFromLParam(Message.LParam);
        FLastClickPos = {point.x, point.y};
        FLastMousePos = FLastClickPos;
        BeginWheelPanning(FLastClickPos);
        return true;
    }
    EndWheelPanning();
    return false;
}

void TVirtualTreeWindow::MiddleButtonUp(TMessage&) {
    const TVirtualTreeStates states = FTree->TreeStates();
    if (states.Contains(tsWheelScrolling))
        FTree->DoStateChange({}, {tsWheelPanning});
    else
        EndWheelPanning();
}
