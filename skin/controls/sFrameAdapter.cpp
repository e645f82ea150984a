// TsFrameAdapter's life cycle: taking the frame's window procedure over and giving it back.
// The frame frees its window before it frees the components it owns, so the adapter is still
// installed while the window goes and gives the procedure back while the frame's control part
// still exists.
#include "skin/controls/sFrameAdapter.h"

#include "framework/Application.h"
#include "skin/engine/sVclUtils.h"
#include "skin/window/sSkinProvider.h"

namespace {

void ShowErrorBox(const UnicodeString& Text) { Application->MessageBox(Text, L"", MB_ICONERROR); }

void MakeFrameAdapter(TWinControl* Frame, const UnicodeString& Section) {
    Construct<TsFrameAdapter>(Frame)->SkinData()->SetSkinSection(Section);
}

} // namespace

void (*TsFrameAdapter::ShowPlacementError)(const UnicodeString& Text) = &ShowErrorBox;

TsFrameAdapter::TsFrameAdapter(TComponent* AOwner)
    : TComponent(AOwner), FCommonData(new TsCommonData(this, true)) {
    FCommonData->SetSkinSection(L"GROUPBOX");
    FCommonData->COC = 226;
    Frame = dynamic_cast<TCustomFrame*>(AOwner);
    if (!Frame) {
        ShowPlacementError(L"TsFrameAdapter adapter must be placed on the handled frame");
        return;
    }
    FCommonData->FOwnerControl = Frame;
    OldWndProc = Frame->WindowProc();
    Frame->SetWindowProc(TWndMethod(this, &TsFrameAdapter::NewWndProc));
}

TsFrameAdapter::~TsFrameAdapter() {
    FreeAndNil(ListSW);
    if (Frame && OldWndProc) Frame->SetWindowProc(OldWndProc);
    Frame = nullptr;
}

void TsFrameAdapter::AfterConstruction() {
    TComponent::AfterConstruction();
    if (Frame && (!Frame->HandleAllocated() || AskControl(Frame, SKCMD_ISSKINNED)))
        FCommonData->UpdateIndexes();
}

void TsFrameAdapter::Loaded() {
    TComponent::Loaded();
    if (Frame && AskControl(Frame, SKCMD_ISSKINNED) && FCommonData->SkinManager())
        FCommonData->UpdateIndexes();
}

TModuleEntry FrameAdapterModule() {
    return {L"sFrameAdapter",
            {},
            [] { FrameAdapterMaker = &MakeFrameAdapter; },
            [] { FrameAdapterMaker = nullptr; }};
}
