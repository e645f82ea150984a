#include "LayeredTesting.h"

#include <cstddef>

std::vector<TLayeredCall> LayeredCalls;

namespace {

BOOL WINAPI RecordLayered(HWND Wnd, HDC Dst, POINT* DstPt, SIZE* Size, HDC Src, POINT* SrcPt,
                          COLORREF Key, BLENDFUNCTION* Blend, DWORD Flags) {
    TLayeredCall call;
    call.Wnd = Wnd;
    call.HasDst = DstPt != nullptr;
    call.Size = *Size;
    call.Src = *SrcPt;
    call.Key = Key;
    call.Blend = *Blend;
    call.Flags = Flags;
    DIBSECTION dib{};
    GetObjectW(GetCurrentObject(Src, OBJ_BITMAP), sizeof dib, &dib);
    call.BmpWidth = dib.dsBm.bmWidth;
    call.BmpHeight = dib.dsBm.bmHeight;
    const auto* bits = static_cast<const DWORD*>(dib.dsBm.bmBits);
    for (int y = 0; bits && y < call.BmpHeight; ++y) {
        // Bottom-up rows, as the engine's bitmaps are made.
        const DWORD* row = bits + std::size_t(call.BmpHeight - 1 - y) * call.BmpWidth;
        call.Pixels.insert(call.Pixels.end(), row, row + call.BmpWidth);
    }
    LayeredCalls.push_back(call);
    return UpdateLayeredWindow(Wnd, Dst, DstPt, Size, Src, SrcPt, Key, Blend, Flags);
}

} // namespace

TLayeredRecorder::TLayeredRecorder() : FSaved(UpdateLayeredWindowProc) {
    LayeredCalls.clear();
    UpdateLayeredWindowProc = &RecordLayered;
}

TLayeredRecorder::~TLayeredRecorder() { UpdateLayeredWindowProc = FSaved; }
