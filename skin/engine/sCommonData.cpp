// The skin link's life cycle, section and indexes, and its updating and invalidation. While no
// manager exists the indexes stay -1, so Skinned answers False and nothing here paints.
#include "skin/engine/sCommonData.h"

#include "framework/Conversions.h"
#include "skin/engine/sMessageUtils.h"

#include <utility>

namespace {

const std::pair<int, const wchar_t*> DefaultSections[] = {
    {3, L"EDIT"},         {19, L"BAR"},         {20, L"BARTITLE"},  {32, L"CHECKBOX"},
    {33, L"RADIOBUTTON"}, {51, L"PANEL"},       {58, L"PANEL_LOW"}, {74, L"GROUPBOX"},
    {75, L"SPLITTER"},    {92, L"SPEEDBUTTON"}, {93, L"BUTTON"},    {151, L"STATUSBAR"},
    {226, L"GROUPBOX"},
};

} // namespace

UnicodeString DefaultSectionFor(int ControlClassCode, const TComponent* Owner) {
    for (const auto& [code, section] : DefaultSections)
        if (code == ControlClassCode) return section;
    return Owner ? UpperCase(Owner->ClassName()) : UnicodeString();
}

TsCommonData::TsCommonData(TComponent* AOwner, bool CreateCacheBmp)
    : FOwnerControl(dynamic_cast<TControl*>(AOwner)), FOwner(AOwner) {
    if (CreateCacheBmp) FCacheBmp.reset(new TBitmap(0, 0, pf24bit));
}

TsCommonData::~TsCommonData() = default;

void TsCommonData::Loaded() {
    if (FSkinSection.empty()) FSkinSection = DefaultSectionFor(COC, FOwner);
    UpdateIndexes();
    if (Skinned() && FOwnerControl && FOwnerControl->Parent()) NotifyParentForm(FOwnerControl);
}

bool TsCommonData::OwnerDestroying() const {
    return FOwner && FOwner->ComponentState().Contains(csDestroying);
}

bool TsCommonData::Skinned(bool CheckSkinActive) const {
    TsSkinManager* manager = SkinManager();
    if (!manager || SkinIndex < 0 || !manager->IsValidSkinIndex(SkinIndex)) return false;
    if (OwnerDestroying() || manager->ComponentState().Contains(csDestroying)) return false;
    return !CheckSkinActive || manager->SkinActive();
}

TsSkinManager* TsCommonData::SkinManager() const noexcept {
    return FSkinManager ? FSkinManager : DefaultSkinManager;
}

void TsCommonData::SetSkinManager(TsSkinManager* value) {
    FSkinManager = value;
    UpdateIndexes();
    TellOwnerSkinState();
}

void TsCommonData::SetSkinSection(const UnicodeString& value) {
    FSkinSection = value.empty() ? UnicodeString(L"UNKNOWN") : UpperCase(value);
    UpdateIndexes();
    TellOwnerSkinState();
}

// A placed owner hears of the change: repaint with the valid section, or back to plain.
void TsCommonData::TellOwnerSkinState() {
    if (!FOwnerControl || !FOwnerControl->Parent() || OwnerDestroying()) return;
    if (FOwner->ComponentState().Contains(csLoading)) return;
    PerformSkinCommand(FOwnerControl, SkinIndex >= 0 ? SKCMD_REPAINT : SKCMD_SKINREMOVED,
                       reinterpret_cast<LPARAM>(SkinManager()));
}

bool TsCommonData::Updating() const {
    TsSkinManager* manager = SkinManager();
    if (!manager || manager->ComponentState().Contains(csDesigning)) return false;
    if (!BgNeedsCache(this) || !FOwnerControl || OwnerDestroying()) return FUpdating;
    return FUpdating || (FOwnerControl->Parent() &&
                         PerformSkinCommand(FOwnerControl->Parent(), SKCMD_QUERYUPDATING) != 0);
}

void TsCommonData::BeginUpdate() {
    FUpdating = true;
    PerformSkinCommand(FOwnerControl, SKCMD_UPDATESTART);
}

void TsCommonData::EndUpdate() {
    FUpdating = false;
    PerformSkinCommand(FOwnerControl, SKCMD_UPDATEEND);
}

void TsCommonData::Invalidate() {
    if (!FOwner) return;
    const TComponentState state = FOwner->ComponentState();
    if (state.Contains(csLoading) || state.Contains(csDestroying)) return;
    BGChanged = true;
    if (ControlReadyToPaint(FOwnerControl)) FOwnerControl->Invalidate();
}

void TsCommonData::UpdateIndexes() {
    TsSkinManager* manager = SkinManager();
    SkinIndex = manager ? manager->GetSkinIndex(FSkinSection) : -1;
    if (SkinIndex < 0) BorderIndex = -1;
    CtrlSkinState = SkinIndex < 0 ? 1 : 0;
}

bool TsCommonData::RepaintIfMoved() const {
    if (UrgentPainting || !Skinned()) return true;
    if (FOwnerControl && !FOwnerControl->Visible()) return true;
    return FOwnerControl && FOwnerControl->Parent() &&
           PerformSkinCommand(FOwnerControl->Parent(), SKCMD_QUERYTEXTURED) != 0;
}

void TsCommonData::PrepareCacheBmp() {
    if (!FCacheBmp) FCacheBmp.reset(new TBitmap(0, 0, pf24bit));
    if (FOwnerControl) FCacheBmp->SetSize(FOwnerControl->Width(), FOwnerControl->Height());
}
