// The process-wide resources of the tree windows, made by the first tree window on the GUI
// thread and released when the program ends: nine image lists (eight of check images and the
// utility list), the splitter cursors, OLE, the 1 ms timer resolution and the reference
// clipboard format. The lists that follow system colours are rebuilt under one lock, as a
// colour change may reach one tree while another is being built.
#include "vtree/VTResources.h"

#include "framework/SyncObjs.h"

#include <mmsystem.h>
#include <ole2.h>

#include <initializer_list>
#include <cstring>
#include <memory>

namespace {

using TListPtr = std::unique_ptr<TCustomImageList, graphics_detail::TFreeObject>;

struct TUnit {
    bool Initialized = false;
    bool OleWasInitialized = false;
    UINT VTReferenceFormat = 0;
    // The image lists, in the order in which they are made and freed.
    TListPtr CheckLightList, CheckDarkList, TickLightList, TickDarkList, CheckFlatList, CheckXPList,
        UtilityList, SystemCheckList, SystemFlatCheckList;
    HCURSOR HeaderSplit = nullptr;
    HCURSOR VertSplit = nullptr;

    ~TUnit() { Finalize(); }
    void Finalize() noexcept;
};

// The lists drawn from strips whose colours follow the system's.
struct TRemapped {
    TListPtr TUnit::*List;
    const wchar_t* Name;
};
constexpr TRemapped RemappedStrips[] = {
    {&TUnit::CheckLightList, L"VT_CHECK_LIGHT"}, {&TUnit::CheckDarkList, L"VT_CHECK_DARK"},
    {&TUnit::TickLightList, L"VT_TICK_LIGHT"},   {&TUnit::TickDarkList, L"VT_TICK_DARK"},
    {&TUnit::CheckFlatList, L"VT_FLAT"},
};

TUnit& Unit() {
    static TUnit unit;
    return unit;
}

TCriticalSection& ImageListLock() {
    static TCriticalSection lock;
    return lock;
}

void TUnit::Finalize() noexcept {
    if (!Initialized) return;
    Initialized = false;
    timeEndPeriod(1);
    for (TListPtr* list :
         {&CheckLightList, &CheckDarkList, &TickLightList, &TickDarkList, &CheckFlatList,
          &CheckXPList, &UtilityList, &SystemCheckList, &SystemFlatCheckList})
        list->reset();
    if (HeaderSplit) DestroyCursor(HeaderSplit);
    if (VertSplit) DestroyCursor(VertSplit);
    if (OleWasInitialized) OleUninitialize();
}

TColor Remap(TColor Pixel) {
    switch (Pixel) {
    case clWhite: return ColorToRGB(clWindow);
    case clSilver: return ColorToRGB(clBtnFace);
    case clGray: return ColorToRGB(clBtnShadow);
    case clBlack: return ColorToRGB(clBtnText);
    default: return Pixel;
    }
}

void RemapColors(TBitmap* Strip) {
    for (int y = 0; y < Strip->Height(); ++y) {
        auto* row = static_cast<Byte*>(Strip->ScanLine(y));
        for (int x = 0; x < Strip->Width(); ++x) {
            Byte* pixel = row + x * 3;
            if (x == 0 && y == 0) continue; // the transparent colour stays
            const TColor mapped = Remap(MakeColor(pixel[2], pixel[1], pixel[0]));
            pixel[0] = GetBValue(mapped);
            pixel[1] = GetGValue(mapped);
            pixel[2] = GetRValue(mapped);
        }
    }
}

TListPtr NewList(int Width, int Height) {
    TListPtr list(new TCustomImageList(nullptr, Width, Height));
    list->SetBkColor(clNone);
    return list;
}

// A blank scratch bitmap of the list's size in the mask colour (pure red).
void FillScratch(TBitmap& Scratch) {
    Scratch.Canvas()->Brush()->SetColor(clRed);
    Scratch.Canvas()->FillRect({0, 0, Scratch.Width(), Scratch.Height()});
}

void AddFrameControlImage(TCustomImageList* List, TBitmap& Scratch, int I, bool Flat) {
    FillScratch(Scratch);
    UINT state = I > 7 ? DFCS_BUTTONCHECK : DFCS_BUTTONRADIO;
    if (I > 15) state = DFCS_BUTTON3STATE;
    static constexpr UINT States[] = {0, DFCS_HOT, DFCS_PUSHED, DFCS_INACTIVE};
    state |= States[I % 4];
    if ((I >= 4 && I <= 7) || (I >= 12 && I <= 19)) state |= DFCS_CHECKED;
    if (Flat) state |= DFCS_FLAT;
    RECT area{1, 2, Scratch.Width() - 2, Scratch.Height() - 1};
    DrawFrameControl(Scratch.Canvas()->Handle(), &area, DFC_BUTTON, state);
    List->AddMasked(&Scratch, clRed);
}

void AddButtonImages(TCustomImageList* List, TBitmap& Scratch, TCustomImageList* From) {
    for (int index = 21; index <= 24; ++index) {
        FillScratch(Scratch);
        From->Draw(Scratch.Canvas(), (List->Width() - 16) / 2, (List->Height() - 16) / 2, index);
        List->AddMasked(&Scratch, clRed);
    }
}

TListPtr CreateSystemCheckImages(bool Flat, TCustomImageList* ButtonSource) {
    const int width = GetSystemMetrics(SM_CXMENUCHECK) + 3;
    const int height = GetSystemMetrics(SM_CYMENUCHECK) + 3;
    TListPtr list = NewList(width, height);
    TBitmap scratch(width, height, pf24bit);
    FillScratch(scratch);
    list->AddMasked(&scratch, clRed);
    for (int i = 0; i < 20; ++i) AddFrameControlImage(list.get(), scratch, i, Flat);
    AddButtonImages(list.get(), scratch, ButtonSource);
    return list;
}

// A 32 x 32 monochrome cursor from a picture given as rows of '#' (black), '.' (white) and
// blanks (transparent), centred on its hot spot.
HCURSOR MakeCursor(const std::vector<const char*>& Rows) {
    Byte andMask[128], xorMask[128];
    std::fill(std::begin(andMask), std::end(andMask), Byte{0xFF});
    std::fill(std::begin(xorMask), std::end(xorMask), Byte{0});
    const int top = 16 - static_cast<int>(Rows.size()) / 2;
    for (std::size_t row = 0; row < Rows.size(); ++row) {
        const int length = static_cast<int>(std::strlen(Rows[row]));
        for (int column = 0; column < length; ++column) {
            const int x = 16 - length / 2 + column, y = top + static_cast<int>(row);
            const Byte bit = static_cast<Byte>(0x80 >> (x % 8));
            if (Rows[row][column] == ' ') continue;
            andMask[y * 4 + x / 8] &= static_cast<Byte>(~bit);
            if (Rows[row][column] == '.') xorMask[y * 4 + x / 8] |= bit;
        }
    }
    HCURSOR cursor = CreateCursor(GetModuleHandleW(nullptr), 16, 16, 32, 32, andMask, xorMask);
    if (!cursor) RaiseLastOSError(L"CreateCursor");
    return cursor;
}

HCURSOR MakeHeaderSplitCursor() {
    return MakeCursor({"     #  #     ", "     #  #     ", "  #  #  #  #  ", " ##  #  #  ## ",
                       "############# ", " ##  #  #  ## ", "  #  #  #  #  ", "     #  #     ",
                       "     #  #     "});
}

HCURSOR MakeVertSplitCursor() {
    return MakeCursor({"    #    ", "   ###   ", "  #####  ", "    #    ", "#########", "         ",
                       "#########", "    #    ", "  #####  ", "   ###   ", "    #    "});
}

} // namespace

namespace vtree_resources {

void LoadImageStrip(TCustomImageList* List, const UnicodeString& Name, bool ColorRemapping) {
    TLock guard(ImageListLock());
    TBitmap strip;
    DrawPicture(Name, &strip);
    if (strip.Height() < 1)
        throw EAssertionFailed(L"Internal image \"" + Name +
                               L"\" is missing or corrupt. (VirtualTrees)");
    if (ColorRemapping) RemapColors(&strip);
    List->Clear();
    List->SetWidth(strip.Height());
    List->SetHeight(strip.Height());
    const TColor transparent = strip.Canvas()->Pixels(0, 0);
    TBitmap square(strip.Height(), strip.Height(), pf24bit);
    for (int i = 0; i < strip.Width() / strip.Height(); ++i) {
        const TRect source{i * strip.Height(), 0, (i + 1) * strip.Height(), strip.Height()};
        square.Canvas()->CopyRect({0, 0, strip.Height(), strip.Height()}, strip.Canvas(), source);
        List->AddMasked(&square, transparent);
    }
}

void InitializeTreeUnit() {
    TUnit& unit = Unit();
    if (unit.Initialized) return;
    unit.Initialized = true;
    const HRESULT ole = OleInitialize(nullptr);
    unit.OleWasInitialized = SUCCEEDED(ole);
    unit.VTReferenceFormat = RegisterClipboardFormatW(L"Virtual Tree Reference");
    for (const TRemapped& strip : RemappedStrips) {
        unit.*strip.List = NewList(16, 16);
        LoadImageStrip((unit.*strip.List).get(), strip.Name, true);
    }
    unit.CheckXPList = NewList(16, 16);
    LoadImageStrip(unit.CheckXPList.get(), L"VT_XP", false);
    unit.UtilityList = NewList(16, 16);
    LoadImageStrip(unit.UtilityList.get(), L"VT_UTILITIES", true);
    unit.SystemCheckList = CreateSystemCheckImages(false, unit.CheckDarkList.get());
    unit.SystemFlatCheckList = CreateSystemCheckImages(true, unit.CheckFlatList.get());
    timeBeginPeriod(1);
    unit.HeaderSplit = MakeHeaderSplitCursor();
    unit.VertSplit = MakeVertSplitCursor();
}

bool UnitInitialized() noexcept { return Unit().Initialized; }

void ReloadRemappedLists() {
    if (!UnitInitialized()) return;
    for (const TRemapped& strip : RemappedStrips)
        LoadImageStrip((Unit().*strip.List).get(), strip.Name, true);
    LoadImageStrip(Unit().UtilityList.get(), L"VT_UTILITIES", true);
}

TCustomImageList* CheckImageListFor(TCheckImageKind Kind) {
    InitializeTreeUnit();
    TUnit& unit = Unit();
    switch (Kind) {
    case ckLightCheck: return unit.CheckLightList.get();
    case ckDarkCheck: return unit.CheckDarkList.get();
    case ckLightTick: return unit.TickLightList.get();
    case ckDarkTick: return unit.TickDarkList.get();
    case ckFlat: return unit.CheckFlatList.get();
    case ckXP: return unit.CheckXPList.get();
    case ckSystemDefault: return unit.SystemCheckList.get();
    case ckSystemFlat: return unit.SystemFlatCheckList.get();
    case ckCustom: break;
    }
    return nullptr;
}

TCustomImageList* UtilityList() {
    InitializeTreeUnit();
    return Unit().UtilityList.get();
}

HCURSOR HeaderSplitCursor() {
    InitializeTreeUnit();
    return Unit().HeaderSplit;
}

HCURSOR VertSplitCursor() {
    InitializeTreeUnit();
    return Unit().VertSplit;
}

UINT ReferenceFormat() {
    InitializeTreeUnit();
    return Unit().VTReferenceFormat;
}

bool OleInitialized() noexcept { return Unit().OleWasInitialized; }

} // namespace vtree_resources
