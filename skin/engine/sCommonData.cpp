// The skin link's life cycle, section and indexes, updating and invalidation, and the class
// code tables.
#include "skin/engine/sCommonData.h"

#include "framework/Conversions.h"
#include "framework/StdCtrls.h"
#include "skin/engine/acGlow.h"
#include "skin/engine/sVclUtils.h"

#include <utility>

namespace {

struct TCodeRange {
    int First;
    int Last;
};

const std::pair<TCodeRange, const wchar_t*> DefaultSections[] = {
    {{2, 8}, L"EDIT"},          {{10, 10}, L"EDIT"},          {{41, 41}, L"EDIT"},
    {{76, 76}, L"EDIT"},        {{78, 78}, L"EDIT"},          {{83, 84}, L"EDIT"},
    {{96, 97}, L"EDIT"},        {{131, 131}, L"EDIT"},        {{140, 140}, L"EDIT"},
    {{227, 227}, L"EDIT"},      {{11, 18}, L"COMBOBOX"},      {{81, 82}, L"COMBOBOX"},
    {{19, 19}, L"BAR"},         {{20, 20}, L"BARTITLE"},      {{32, 32}, L"CHECKBOX"},
    {{152, 152}, L"CHECKBOX"},  {{33, 33}, L"RADIOBUTTON"},   {{51, 51}, L"PANEL"},
    {{59, 59}, L"PANEL"},       {{68, 68}, L"PANEL"},         {{73, 73}, L"PANEL"},
    {{52, 52}, L"PANEL_LOW"},   {{58, 58}, L"PANEL_LOW"},     {{53, 54}, L"TOOLBAR"},
    {{60, 60}, L"TOOLBAR"},     {{56, 56}, L"DRAGBAR"},       {{57, 57}, L"TABSHEET"},
    {{74, 74}, L"GROUPBOX"},    {{226, 226}, L"GROUPBOX"},    {{75, 75}, L"SPLITTER"},
    {{92, 92}, L"SPEEDBUTTON"}, {{95, 95}, L"SPEEDBUTTON"},   {{93, 94}, L"BUTTON"},
    {{98, 98}, L"TOOLBUTTON"},  {{141, 141}, L"PAGECONTROL"}, {{143, 143}, L"PAGECONTROL"},
    {{151, 151}, L"STATUSBAR"}, {{161, 161}, L"GAUGE"},       {{165, 165}, L"TRACKBAR"},
};

template <std::size_t N> bool InRanges(int Code, const TCodeRange (&Ranges)[N]) {
    for (const TCodeRange& range : Ranges)
        if (Code >= range.First && Code <= range.Last) return true;
    return false;
}

const TComponent* AsComponent(const TObject* Object) {
    return dynamic_cast<const TComponent*>(Object);
}

} // namespace

UnicodeString DefaultSectionFor(int ControlClassCode, const TObject* Owner) {
    for (const auto& [range, section] : DefaultSections)
        if (ControlClassCode >= range.First && ControlClassCode <= range.Last) return section;
    return Owner ? UnicodeString(Owner->ClassName()) : UnicodeString();
}

bool IsHoverlessClass(int ControlClassCode) {
    static const TCodeRange codes[] = {{19, 19}, {51, 74}, {110, 110}, {141, 161}};
    return InRanges(ControlClassCode, codes);
}

bool IsFocusFrameClass(int ControlClassCode) {
    static const TCodeRange codes[] = {{2, 18}, {41, 41}, {76, 84}, {96, 97}, {131, 140}};
    return InRanges(ControlClassCode, codes);
}

bool IsGlowlessClass(int ControlClassCode) {
    static const TCodeRange codes[] = {{51, 52},   {54, 54},   {56, 60},   {68, 68},
                                       {73, 74},   {110, 110}, {141, 141}, {143, 143},
                                       {151, 151}, {161, 161}, {226, 226}};
    return InRanges(ControlClassCode, codes);
}

TsCommonData::TsCommonData(TObject* AOwner, bool CreateCacheBmp)
    : FOwnerControl(dynamic_cast<TControl*>(AOwner)), FOwnerObject(AOwner) {
    if (CreateCacheBmp) FCacheBmp.reset(new TBitmap(0, 0, pf24bit));
}

TsCommonData::~TsCommonData() {
    if (GlowID >= 0) HideGlowEffect(GlowID);
    if (FRegion) DeleteObject(FRegion);
}

bool TsCommonData::OwnerDestroying() const {
    const TComponent* owner = AsComponent(FOwnerObject);
    return owner && owner->ComponentState().Contains(csDestroying);
}

bool TsCommonData::OwnerLoading() const {
    const TComponent* owner = AsComponent(FOwnerObject);
    return owner && (owner->ComponentState().Contains(csLoading) ||
                     owner->ComponentState().Contains(csReading));
}

// An edit takes the section's colour and first font colour unless it keeps its own.
static void TakeEditColours(TsCommonData* Data) {
    auto* edit = dynamic_cast<TCustomEdit*>(Data->FOwnerControl);
    if (!edit && !(Data->FOwnerControl && Data->COC == 97)) return;
    const TsGeneralData& section = Data->SkinManager()->gd[Data->SkinIndex];
    TControl* owner = Data->FOwnerControl;
    if (!Data->CustomColor() && owner->Color() != section.Color) owner->SetColor(section.Color);
    if (!Data->CustomFont() && owner->Font()->Color() != section.FontColor[0])
        owner->Font()->SetColor(section.FontColor[0]);
}

void TsCommonData::Loaded() {
    SetDefaultSection();
    if (!Skinned() || !FOwnerControl || !FOwnerControl->Parent() || OwnerLoading()) return;
    if (dynamic_cast<TWinControl*>(FOwnerControl)) NotifyParentForm(FOwnerControl);
    TakeEditColours(this);
}

void TsCommonData::SetDefaultSection() {
    if (!FSkinSection.empty())
        UpdateIndexes();
    else
        SetSkinSection(DefaultSectionFor(COC, FOwnerObject));
}

bool TsCommonData::Skinned(bool CheckSkinActive) const {
    TsSkinManager* manager = SkinManager();
    if (!manager || SkinIndex < 0) return false;
    if (OwnerDestroying() || manager->ComponentState().Contains(csDestroying)) return false;
    if (CheckSkinActive && !manager->SkinActive()) return false;
    return manager->IsValidSkinIndex(SkinIndex);
}

TsSkinManager* TsCommonData::SkinManager() const noexcept {
    return FSkinManager ? FSkinManager : DefaultSkinManager;
}

void TsCommonData::SetSkinManager(TsSkinManager* value) {
    TsSkinManager* linked = value == DefaultSkinManager ? nullptr : value;
    if (linked == FSkinManager) return;
    FSkinManager = linked;
    if (OwnerLoading()) return;
    TsSkinManager* manager = SkinManager();
    if (manager && !manager->gd.empty())
        UpdateIndexes();
    else
        SkinIndex = -1;
    TellOwnerSkinState();
}

void TsCommonData::SetSkinSection(const UnicodeString& value) {
    if (value == FSkinSection) return;
    FSkinSection = value.empty() ? UnicodeString(L"UNKNOWN") : UpperCase(value);
    TsSkinManager* manager = SkinManager();
    if (!manager || manager->gd.empty())
        SkinIndex = -1;
    else
        UpdateIndexes();
    TellOwnerSkinState();
}

// A placed owner hears of the change: repaint with the valid section, or back to plain.
void TsCommonData::TellOwnerSkinState() {
    if (!FOwnerControl || !FOwnerControl->Parent() || OwnerDestroying() || OwnerLoading()) return;
    TsSkinManager* manager = SkinManager();
    const bool valid = manager && manager->IsValidSkinIndex(SkinIndex);
    FOwnerControl->Perform(SM_ALPHACMD, SkinWParam(valid ? SKCMD_REPAINT : SKCMD_SKINREMOVED),
                           reinterpret_cast<LPARAM>(manager));
}

void TsCommonData::SetCustomColor(bool value) {
    if (FCustomColor == value) return;
    FCustomColor = value;
    if (Skinned() && dynamic_cast<TCustomEdit*>(FOwnerControl) && !OwnerLoading()) {
        TakeEditColours(this);
        Invalidate();
    }
}

void TsCommonData::SetCustomFont(bool value) {
    if (FCustomFont == value) return;
    FCustomFont = value;
    Invalidate();
}

bool TsCommonData::Updating() const {
    TsSkinManager* manager = SkinManager();
    if (!manager || manager->ComponentState().Contains(csDesigning)) return false;
    if (!BgNeedsCache(this) || !FOwnerControl || OwnerDestroying()) return FUpdating;
    if (FUpdating) return true;
    if (!FOwnerControl->Parent()) return true;
    return PerformSkinCommand(FOwnerControl->Parent(), SKCMD_QUERYUPDATING) != 0;
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
    if (OwnerLoading() || OwnerDestroying()) return;
    BGChanged = true;
    if (ControlReadyToPaint(FOwnerControl)) FOwnerControl->Invalidate();
}

void TsCommonData::UpdateIndexes() {
    const TComponent* owner = AsComponent(FOwnerObject);
    if (owner && owner->ComponentState().Contains(csDesigning) &&
        OwnerFrame(const_cast<TComponent*>(owner))) {
        SkinIndex = Texture = HotTexture = -1;
        return;
    }
    TsSkinManager* manager = SkinManager();
    BGChanged = true;
    SkinIndex = manager ? manager->GetSkinIndex(FSkinSection) : -1;
    UpdateBgType(this);
    CtrlSkinState = 0;
    if (manager && manager->IsValidSkinIndex(SkinIndex)) {
        BorderIndex = manager->gd[SkinIndex].BorderIndex;
        Texture = manager->GetTextureIndex(SkinIndex, FSkinSection, L"PATTERN");
        HotTexture = manager->GetTextureIndex(SkinIndex, FSkinSection, L"HOTPATTERN");
        UpdateCtrlSkinState(this, false);
    } else {
        Texture = HotTexture = -1;
    }
}

bool TsCommonData::RepaintIfMoved() const {
    if (UrgentPainting || !Skinned()) return true;
    if (!FOwnerControl || FOwnerControl->ControlState().Contains(csCreating) ||
        !FOwnerControl->Visible())
        return true;
    TsSkinManager* manager = SkinManager();
    if (SkinIndex >= static_cast<int>(manager->gd.size())) return false;
    const bool candidate = !FOwnerControl->Enabled() || manager->gd[SkinIndex].Transparency > 0;
    TWinControl* parent = FOwnerControl->Parent();
    if (candidate && parent && parent->HandleAllocated())
        return SendSkinCommand(parent->Handle(), SKCMD_QUERYTEXTURED) != 0;
    return candidate;
}

bool TsCommonData::ParentTextured() const {
    TWinControl* parent = FOwnerControl ? FOwnerControl->Parent() : nullptr;
    return parent && parent->HandleAllocated() &&
           SendSkinCommand(parent->Handle(), SKCMD_QUERYTEXTURED) != 0;
}

void TsCommonData::EmptyCacheBmp() {
    if (FCacheBmp) FCacheBmp->SetSize(0, 0);
}

void TsCommonData::InitCacheBmp() {
    if (!FCacheBmp) FCacheBmp.reset(new TBitmap(0, 0, pf24bit));
    FCacheBmp->SetPixelFormat(pf24bit);
    PrepareCacheBmp();
}

void TsCommonData::PrepareCacheBmp() {
    if (!FCacheBmp) FCacheBmp.reset(new TBitmap(0, 0, pf24bit));
    if (!FOwnerControl) return;
    if (FCacheBmp->Width() != FOwnerControl->Width() ||
        FCacheBmp->Height() != FOwnerControl->Height())
        FCacheBmp->SetSize(FOwnerControl->Width(), FOwnerControl->Height());
}
