// TSysTrayIcon's life cycle and properties. Each component's record carries an identity of its
// own (uID), drawn from a process-wide counter, so that several icons of one window never meet.
#include "skin/controls/SysTray.h"

#include "framework/Application.h"
#include "skin/controls/RangeErrors.h"

#include <cwchar>

namespace {

UINT NextIconId() {
    static UINT next = 0;
    return ++next;
}

void CopyField(wchar_t* Field, int Length, const UnicodeString& Text) {
    const UnicodeString cut = CutText(Text, Length);
    std::wmemcpy(Field, cut.c_str(), cut.size());
    Field[cut.size()] = L'\0';
}

} // namespace

TSysTrayIcon::TSysTrayIcon(TComponent* AOwner)
    : TComponent(AOwner), FIcon(new TIcon), FImagesChangeLink(new TChangeLink),
      FTimer(new TTimer(nullptr)), FMsgWindow(TWndMethod(this, &TSysTrayIcon::MsgWndProc)) {
    SetApplicationIcon();
    FTimer->SetEnabled(false);
    FTimer->SetInterval(1000);
    FTimer->SetOnTimer(TNotifyEvent(this, &TSysTrayIcon::AnimationStep));
    FImagesChangeLink->OnChange = TNotifyEvent(this, &TSysTrayIcon::ImagesChanged);
    FShell32Ver5 = SysTrayShell().MajorVersion() > 4;
    if (!Designing()) {
        FillRecord();
        TakeOverApplication();
        ModifyIcon(); // fails harmlessly: the icon is not added yet
    }
    FEnabled = true;
}

TSysTrayIcon::~TSysTrayIcon() {
    if (!Designing()) DeleteIcon();
    HandBackApplication();
    if (FIconList) FIconList->UnRegisterChanges(FImagesChangeLink.get());
}

// A component made in code does not load: it shows its icon as soon as it exists.
void TSysTrayIcon::AfterConstruction() {
    TComponent::AfterConstruction();
    if (!Loading() && !Designing() && FEnabled) UpdateEnabled();
}

void TSysTrayIcon::Loaded() {
    TComponent::Loaded();
    if (FIconList && FIconIndex >= 0 && FIconIndex < FIconList->Count())
        FIconList->GetIcon(FIconIndex, FIcon.get());
    else
        SetApplicationIcon();
    if (!Designing() && FEnabled) UpdateEnabled();
    if (HideOnStartup && !Designing()) {
        Application->SetShowMainForm(false);
        HideApp();
    }
    ModifyIcon();
}

void TSysTrayIcon::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (AComponent == FIconList) SetIcons(nullptr);
    PopupMenuRemoved(AComponent);
}

void TSysTrayIcon::SetApplicationIcon() {
    if (Application) FIcon->Assign(Application->Icon());
}

void TSysTrayIcon::FillRecord() {
    FIconData = NOTIFYICONDATAW{};
    FIconData.cbSize = FShell32Ver5 ? NOTIFYICONDATAW_V2_SIZE : NOTIFYICONDATAW_V1_SIZE;
    FIconData.hWnd = FMsgWindow.Handle();
    FIconData.uID = NextIconId();
    FIconData.uFlags = NIF_MESSAGE | NIF_ICON;
    FIconData.uCallbackMessage = SysTrayCallbackMessage;
    FIconData.hIcon = FIcon->Handle();
}

bool TSysTrayIcon::Notify(DWORD Message) {
    FIconData.hIcon = FIcon->Handle();
    return SysTrayShell().NotifyIcon(Message, &FIconData) != FALSE;
}

void TSysTrayIcon::ModifyIcon() {
    if (!Designing()) Notify(NIM_MODIFY);
}

void TSysTrayIcon::DeleteIcon() { Notify(NIM_DELETE); }

void TSysTrayIcon::UpdateEnabled() {
    if (!FEnabled) {
        DeleteIcon();
        return;
    }
    if (!Notify(NIM_ADD)) FEnabled = false;
    TakeOverApplication();
}

void TSysTrayIcon::SetEnabled(bool Value) {
    if (Value == FEnabled && !FTaskBarRecreated) return;
    FEnabled = Value;
    if (Designing() || Loading()) return;
    UpdateEnabled();
}

void TSysTrayIcon::SetHint(const UnicodeString& Value) {
    if (Value == FHint) return;
    FHint = Value;
    CopyField(FIconData.szTip, FShell32Ver5 ? SysTrayTipLength : SysTrayTipLengthV1, Value);
    if (Value.empty())
        FIconData.uFlags &= ~NIF_TIP;
    else
        FIconData.uFlags |= NIF_TIP;
    ModifyIcon();
}

void TSysTrayIcon::ShowBalloonHint(const UnicodeString& Title, const UnicodeString& Msg,
                                   TSysBalloonHintIcon IconType,
                                   TSysBalloonHintTimeout TimeoutSecs) {
    if (TimeoutSecs < 10 || TimeoutSecs > 30)
        throw ERangeError(L"Balloon hint timeout must be 10 to 30 seconds");
    if (!FShell32Ver5) return;
    HideBalloonHint();
    FIconData.uFlags = NIF_INFO;
    CopyField(FIconData.szInfo, SysTrayInfoLength, Msg);
    CopyField(FIconData.szInfoTitle, SysTrayInfoTitleLength, Title);
    FIconData.uTimeout = static_cast<UINT>(TimeoutSecs) * 1000;
    FIconData.dwInfoFlags = static_cast<DWORD>(IconType);
    ModifyIcon();
    FIconData.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
}

void TSysTrayIcon::HideBalloonHint() {
    if (!FShell32Ver5) return;
    FIconData.uFlags |= NIF_INFO;
    FIconData.szInfo[0] = L'\0';
    ModifyIcon();
}

void TSysTrayIcon::SetDefaultIcon() {
    SetApplicationIcon();
    ModifyIcon();
}

bool TSysTrayIcon::GetAnimate() const { return FTimer->Enabled(); }

void TSysTrayIcon::SetAnimate(bool Value) { FTimer->SetEnabled(Value); }

Cardinal TSysTrayIcon::GetInterval() const { return FTimer->Interval(); }

void TSysTrayIcon::SetInterval(Cardinal Value) { FTimer->SetInterval(Value); }

void TSysTrayIcon::SetIconIndex(int Value) {
    FIconIndex = Value;
    if (FIconList && Value >= 0 && Value < FIconList->Count())
        FIconList->GetIcon(Value, FIcon.get());
    else
        SetApplicationIcon();
    ModifyIcon();
}

void TSysTrayIcon::SetIcons(TCustomImageList* Value) {
    if (FIconList) {
        FIconList->UnRegisterChanges(FImagesChangeLink.get());
        FIconList->RemoveFreeNotification(this);
    }
    FIconList = Value;
    if (Value) {
        Value->RegisterChanges(FImagesChangeLink.get());
        Value->FreeNotification(this);
    }
    if (!Loading()) SetIconIndex(FIconIndex);
}

void TSysTrayIcon::ImagesChanged(TObject*) {
    if (FIconList) SetIconIndex(FIconIndex);
}

void TSysTrayIcon::AnimationStep(TObject*) {
    if (!FIconList || Designing()) return;
    const int next = FIconIndex + 1;
    SetIconIndex(next >= FIconList->Count() ? 0 : next);
}
