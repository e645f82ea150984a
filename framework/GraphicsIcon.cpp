// TGraphic's shared behaviour and TIcon, the owner of one HICON. An icon's size is read from its
// bitmaps when it is taken over; an icon without a colour bitmap (a monochrome one) keeps both
// halves of its picture in the mask, which is therefore twice as high as the icon.
#include "framework/Graphics.h"

void TGraphic::SetTransparent(bool transparent) {
    if (transparent == FTransparent) return;
    FTransparent = transparent;
    Changed();
}

void TGraphic::SaveToFile(const UnicodeString&) {
    throw EInvalidGraphicOperation(L"Cannot save a " + ClassName() + L" to a file");
}

void TGraphic::LoadFromStream(TStream*) {
    throw EInvalidGraphicOperation(L"Cannot load a " + ClassName() + L" from a stream");
}

void TGraphic::SaveToStream(TStream*) {
    throw EInvalidGraphicOperation(L"Cannot save a " + ClassName() + L" to a stream");
}

void TGraphic::Changed() {
    FModified = true;
    OnChange(this);
}

namespace {

TSize IconSize(HICON icon) {
    ICONINFO info{};
    if (!::GetIconInfo(icon, &info)) RaiseLastOSError(L"GetIconInfo");
    const TOwnedBitmap color(info.hbmColor), mask(info.hbmMask);
    BITMAP bitmap{};
    ::GetObjectW(color ? color.Get() : mask.Get(), sizeof(bitmap), &bitmap);
    return {bitmap.bmWidth, color ? bitmap.bmHeight : bitmap.bmHeight / 2};
}

} // namespace

TIcon::TIcon() { FTransparent = true; }

void TIcon::SetHandle(HICON icon) {
    if (icon == FIcon.Get()) return;
    TOwnedIcon owned(icon);
    const TSize size = icon ? IconSize(icon) : TSize();
    FIcon = std::move(owned);
    FWidth = size.cx;
    FHeight = size.cy;
    Changed();
}

HICON TIcon::ReleaseHandle() {
    const HICON icon = FIcon.Release();
    FWidth = FHeight = 0;
    Changed();
    return icon;
}

void TIcon::Assign(TPersistent* source) {
    auto* icon = dynamic_cast<TIcon*>(source);
    if (source && !icon) return TGraphic::Assign(source);
    if (icon == this) return;
    HICON copy = nullptr;
    if (icon && icon->FIcon) {
        copy = ::CopyIcon(icon->FIcon.Get());
        if (!copy) RaiseLastOSError(L"CopyIcon");
    }
    SetHandle(copy);
}

void TIcon::LoadFromResourceName(HINSTANCE instance, const UnicodeString& name) {
    const HANDLE icon = ::LoadImageW(instance, name.c_str(), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE);
    if (!icon) throw EResNotFound(L"Resource " + name + L" not found");
    SetHandle(static_cast<HICON>(icon));
}

void TIcon::LoadFromFile(const UnicodeString& fileName) {
    const HANDLE icon = ::LoadImageW(nullptr, fileName.c_str(), IMAGE_ICON, 0, 0, LR_LOADFROMFILE);
    if (!icon) {
        const DWORD error = ::GetLastError();
        throw EInvalidGraphic(L"Cannot load icon \"" + fileName + L"\". " + SysErrorMessage(error));
    }
    SetHandle(static_cast<HICON>(icon));
}

void TIcon::Draw(TCanvas* canvas, const TRect& rect) {
    ::DrawIconEx(canvas->Handle(), rect.left, rect.top, FIcon.Get(), rect.Width(), rect.Height(), 0,
                 nullptr, DI_NORMAL);
}
