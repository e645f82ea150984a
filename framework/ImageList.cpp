// TCustomImageList over the system's image list (comctl32), and its change links. The list is
// used from the GUI thread only, like the controls that show it. Alpha images and greyed
// (desaturated) drawing need version 6 of the common controls, which the program's manifest
// selects.
#include "framework/ImageList.h"

#include <algorithm>

namespace {

void CommonControlsNeeded() {
    static const bool initialised = [] {
        const INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES};
        return ::InitCommonControlsEx(&controls) != FALSE;
    }();
    if (!initialised) RaiseLastOSError(L"InitCommonControlsEx");
}

COLORREF ListColor(TColor color) {
    if (color == clNone) return CLR_NONE;
    if (color == clDefault) return CLR_DEFAULT;
    return static_cast<COLORREF>(ColorToRGB(color));
}

constexpr UINT DepthFlags[] = {ILC_COLORDDB, ILC_COLOR4,  ILC_COLOR8,
                               ILC_COLOR16,  ILC_COLOR24, ILC_COLOR32};
constexpr UINT StyleFlags[] = {ILD_FOCUS, ILD_SELECTED, ILD_NORMAL, ILD_TRANSPARENT};

// The system selects a bitmap it copies into a DC of its own; a bitmap can be selected into one
// DC at a time, so the bitmap's canvas lets go of it first (it takes it again when next used).
HBITMAP Selectable(TBitmap* bitmap) {
    if (!bitmap) return nullptr;
    static_cast<TBitmapCanvas*>(bitmap->Canvas())->FreeContext();
    return bitmap->Handle();
}

void CheckSize(int size) {
    if (size <= 0) throw EInvalidOperation(L"The images of a list must be at least 1 pixel");
}

} // namespace

// ---- change links -----------------------------------------------------------------------------

TChangeLink::~TChangeLink() {
    if (FSender) FSender->UnRegisterChanges(this);
}

void TChangeLink::Change() { OnChange(FSender); }

void TCustomImageList::RegisterChanges(TChangeLink* link) {
    if (link->FSender) link->FSender->UnRegisterChanges(link);
    FLinks.push_back(link);
    link->FSender = this;
}

void TCustomImageList::UnRegisterChanges(TChangeLink* link) {
    std::erase(FLinks, link);
    if (link->FSender == this) link->FSender = nullptr;
}

// A handler may register or unregister links: each link still registered when its turn comes
// is told, once.
void TCustomImageList::Change() {
    OnChange(this);
    const std::vector<TChangeLink*> links = FLinks;
    for (TChangeLink* link : links)
        if (std::find(FLinks.begin(), FLinks.end(), link) != FLinks.end()) link->Change();
}

// ---- the list and its properties --------------------------------------------------------------

TCustomImageList::TCustomImageList(TComponent* owner) : TComponent(owner) {}

TCustomImageList::TCustomImageList(TComponent* owner, int width, int height)
    : TComponent(owner), FWidth(width), FHeight(height) {
    CheckSize(width);
    CheckSize(height);
}

TCustomImageList::~TCustomImageList() {
    for (TChangeLink* link : FLinks) link->FSender = nullptr;
}

HIMAGELIST TCustomImageList::Handle() {
    if (FHandle) return FHandle.Get();
    CommonControlsNeeded();
    TOwnedImageList list(::ImageList_Create(FWidth, FHeight, CreateFlags(), FAllocBy, FAllocBy));
    if (!list) RaiseLastOSError(L"ImageList_Create");
    ::ImageList_SetBkColor(list.Get(), ListColor(FBkColor));
    FHandle = std::move(list);
    return FHandle.Get();
}

UINT TCustomImageList::CreateFlags() const {
    return DepthFlags[FColorDepth] | (FMasked ? ILC_MASK : 0);
}

void TCustomImageList::ResetHandle() {
    FHandle.Reset();
    Change();
}

int TCustomImageList::Count() const {
    return FHandle ? ::ImageList_GetImageCount(FHandle.Get()) : 0;
}

void TCustomImageList::SetWidth(int width) {
    if (width == FWidth) return;
    CheckSize(width);
    FWidth = width;
    ResetHandle();
}

void TCustomImageList::SetHeight(int height) {
    if (height == FHeight) return;
    CheckSize(height);
    FHeight = height;
    ResetHandle();
}

void TCustomImageList::SetMasked(bool masked) {
    if (masked == FMasked) return;
    FMasked = masked;
    ResetHandle();
}

void TCustomImageList::SetColorDepth(TColorDepth depth) {
    if (depth == FColorDepth) return;
    FColorDepth = depth;
    ResetHandle();
}

void TCustomImageList::SetAllocBy(int count) { FAllocBy = std::max(count, 1); }

void TCustomImageList::SetBkColor(TColor color) {
    if (color == FBkColor) return;
    FBkColor = color;
    if (FHandle) ::ImageList_SetBkColor(FHandle.Get(), ListColor(color));
    Change();
}

void TCustomImageList::SetBlendColor(TColor color) {
    if (color == FBlendColor) return;
    FBlendColor = color;
    Change();
}

void TCustomImageList::SetDrawingStyle(TDrawingStyle style) {
    if (style == FDrawingStyle) return;
    FDrawingStyle = style;
    Change();
}

void TCustomImageList::SetImageType(TImageType type) {
    if (type == FImageType) return;
    FImageType = type;
    Change();
}

// ---- images -----------------------------------------------------------------------------------

void TCustomImageList::CheckIndex(int index) const {
    if (index < 0 || index >= Count())
        throw EInvalidOperation(L"Image index " + std::to_wstring(index) + L" is out of range");
}

int TCustomImageList::Add(TBitmap* image, TBitmap* mask) {
    if (!image || image->Empty()) throw EInvalidGraphicOperation(L"No bitmap to add");
    const int index = ::ImageList_Add(Handle(), Selectable(image), Selectable(mask));
    if (index < 0) RaiseLastOSError(L"ImageList_Add");
    Change();
    return index;
}

int TCustomImageList::AddMasked(TBitmap* image, TColor maskColor) {
    if (!image || image->Empty()) throw EInvalidGraphicOperation(L"No bitmap to add");
    TBitmap copy; // the system blackens the masked pixels of the bitmap it is given
    copy.Assign(image);
    const int index = ::ImageList_AddMasked(Handle(), Selectable(&copy), ListColor(maskColor));
    if (index < 0) RaiseLastOSError(L"ImageList_AddMasked");
    Change();
    return index;
}

int TCustomImageList::AddIcon(TIcon* icon) {
    if (!icon || icon->Empty()) throw EInvalidGraphicOperation(L"No icon to add");
    const int index = ::ImageList_ReplaceIcon(Handle(), -1, icon->Handle());
    if (index < 0) RaiseLastOSError(L"ImageList_ReplaceIcon");
    Change();
    return index;
}

void TCustomImageList::Replace(int index, TBitmap* image, TBitmap* mask) {
    CheckIndex(index);
    if (!image || image->Empty()) throw EInvalidGraphicOperation(L"No bitmap to put in");
    if (!::ImageList_Replace(FHandle.Get(), index, Selectable(image), Selectable(mask)))
        RaiseLastOSError(L"ImageList_Replace");
    Change();
}

void TCustomImageList::Delete(int index) {
    CheckIndex(index);
    if (!::ImageList_Remove(FHandle.Get(), index)) RaiseLastOSError(L"ImageList_Remove");
    Change();
}

void TCustomImageList::Clear() {
    if (FHandle && !::ImageList_Remove(FHandle.Get(), -1)) RaiseLastOSError(L"ImageList_Remove");
    Change();
}

// ---- drawing ----------------------------------------------------------------------------------

void TCustomImageList::Draw(TCanvas* canvas, int x, int y, int index, bool enabled) {
    Draw(canvas, x, y, index, FDrawingStyle, FImageType, enabled);
}

void TCustomImageList::Draw(TCanvas* canvas, int x, int y, int index, TDrawingStyle style,
                            TImageType type, bool enabled) {
    if (index < 0 || index >= Count()) return;
    const UINT flags = StyleFlags[style] | (type == itMask ? ILD_MASK : 0);
    if (enabled) {
        if (!::ImageList_DrawEx(FHandle.Get(), index, canvas->Handle(), x, y, 0, 0,
                                ListColor(FBkColor), ListColor(FBlendColor), flags))
            RaiseLastOSError(L"ImageList_DrawEx");
        return;
    }
    // Desaturating needs the extended parameters of version 6 of the common controls.
    IMAGELISTDRAWPARAMS params{};
    params.cbSize = sizeof(params);
    params.himl = FHandle.Get();
    params.i = index;
    params.hdcDst = canvas->Handle();
    params.x = x;
    params.y = y;
    params.rgbBk = ListColor(FBkColor);
    params.rgbFg = ListColor(FBlendColor);
    params.fStyle = flags;
    params.fState = ILS_SATURATE;
    if (!::ImageList_DrawIndirect(&params)) RaiseLastOSError(L"ImageList_DrawIndirect");
}

void TCustomImageList::GetBitmap(int index, TBitmap* image) {
    CheckIndex(index);
    image->SetSize(FWidth, FHeight);
    TCanvas* canvas = image->Canvas();
    canvas->Brush()->SetColor(FBkColor == clNone ? clBlack : FBkColor);
    canvas->FillRect(TRect(0, 0, FWidth, FHeight));
    if (!::ImageList_Draw(FHandle.Get(), index, canvas->Handle(), 0, 0, ILD_NORMAL))
        RaiseLastOSError(L"ImageList_Draw");
}

void TCustomImageList::GetIcon(int index, TIcon* icon) {
    CheckIndex(index);
    const HICON handle = ::ImageList_GetIcon(FHandle.Get(), index, ILD_NORMAL);
    if (!handle) RaiseLastOSError(L"ImageList_GetIcon");
    icon->SetHandle(handle);
}
