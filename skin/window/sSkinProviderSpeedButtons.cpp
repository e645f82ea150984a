// Speed buttons on a skinned form: the adapter keeps one item per button, whose handler takes
// over the button's message method, and drops the item when the button is freed at run time.
#include "framework/Application.h"
#include "framework/Buttons.h"
#include "skin/engine/sConst.h"
#include "skin/engine/sVclUtils.h"
#include "skin/window/sSkinProvider.h"

#include <algorithm>

namespace {

constexpr NativeInt NeverHookedTag = -98;
constexpr int AdapterControlClass = 227;

// Tells its adapter when a speed button it watches is freed.
class TGraphWatch : public TComponent {
    CLASS_INFO(TGraphWatch, TComponent)
public:
    explicit TGraphWatch(TacCtrlAdapter* AAdapter) : TComponent(nullptr), Adapter(AAdapter) {}

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override {
        TComponent::Notification(AComponent, Operation);
        if (Operation == opRemove) Adapter->GraphControlFreed(AComponent);
    }

private:
    TacCtrlAdapter* Adapter;
};

} // namespace

// ---- the handler ------------------------------------------------------------------------------

TacSpeedButtonHandler::TacSpeedButtonHandler(TControl* Btn, TsCommonData* ASkinData,
                                             TsSkinManager* ASkinManager,
                                             const UnicodeString& SkinSection, bool)
    : Ctrl(Btn), OldWndProc(Btn->WindowProc()),
      SkinManager(ASkinManager ? ASkinManager : ASkinData->SkinManager()), SkinData(ASkinData) {
    if (SkinData->SkinSection().empty()) SkinData->SetSkinSection(SkinSection);
    Ctrl->SetWindowProc(TWndMethod(this, &TacSpeedButtonHandler::acWndProc));
}

void TacSpeedButtonHandler::BeforeDestruction() {
    if (!Destroyed) Ctrl->SetWindowProc(OldWndProc);
    Destroyed = true;
    SkinManager = nullptr;
}

LRESULT TacSpeedButtonHandler::CallPrevWndProc(TControl*, UINT Msg, WPARAM WParam, LPARAM& LParam) {
    TMessage message{Msg, WParam, LParam, 0};
    OldWndProc(message);
    LParam = message.LParam;
    return message.Result;
}

void TacSpeedButtonHandler::PassOn(TMessage& Message) {
    Message.Result = CallPrevWndProc(Ctrl, Message.Msg, Message.WParam, Message.LParam);
}

void TacSpeedButtonHandler::RepaintButton() {
    if (Ctrl->Visible()) Ctrl->Repaint();
}

void TacSpeedButtonHandler::acWndProc(TMessage& Message) {
    if (Message.Msg == SM_ALPHACMD) {
        const bool ownManager =
            reinterpret_cast<TsSkinManager*>(Message.LParam) == SkinData->SkinManager();
        switch (SkinCommandOf(Message.WParam)) {
        case SKCMD_SKINLOADED:
            if (!ownManager) break;
            HandleSkinnedMessage(Message, SkinData);
            return;
        case SKCMD_SKINREMOVED:
            if (!ownManager || Ctrl->ComponentState().Contains(csDestroying)) break;
            HandleSkinnedMessage(Message, SkinData);
            RepaintButton();
            break;
        case SKCMD_REPAINT:
            if (!ownManager) break;
            HandleSkinnedMessage(Message, SkinData);
            RepaintButton();
            return;
        case SKCMD_UPDATEDONE:
            if (!SkinData->Updating()) break;
            SkinData->SetUpdating(false);
            RepaintButton();
            return;
        case SKCMD_ISSKINNED: Message.Result = 1; return;
        case SKCMD_REFRESHNOW:
            SkinData->SetUpdating(false);
            SkinData->BGChanged = true;
            RepaintButton();
            break;
        case SKCMD_GETAPPLICATION: Message.Result = reinterpret_cast<LRESULT>(Application); return;
        default: break;
        }
        PassOn(Message);
        return;
    }
    if (Message.Msg == CM_MOUSEENTER || Message.Msg == CM_MOUSELEAVE) {
        SkinData->FMouseAbove = Message.Msg == CM_MOUSEENTER;
        PassOn(Message);
        RepaintButton();
        return;
    }
    PassOn(Message);
}

// ---- the items --------------------------------------------------------------------------------

TacGraphItem::TacGraphItem(TacCtrlAdapter* AAdapter)
    : SkinData(new TsCommonData(this, true)), Adapter(AAdapter) {
    SkinData->COC = AdapterControlClass;
}

TacGraphItem::~TacGraphItem() {
    if (Handler) Handler->Free();
    if (Ctrl) Ctrl->RemoveFreeNotification(Adapter->GraphWatch.get());
    delete SkinData;
}

void TacGraphItem::DoHook(TControl* Control) {
    if (Control->Tag == NeverHookedTag) return;
    Ctrl = Control;
    SkinData->FOwnerControl = Control;
    Ctrl->FreeNotification(Adapter->GraphWatch.get());
    Handler = Construct<TacSpeedButtonHandler>(Control, SkinData, SkinData->SkinManager(),
                                               SkinData->SkinSection());
}

// ---- the adapter's speed buttons ------------------------------------------------------------

TacCtrlAdapter::TacCtrlAdapter(TsSkinProvider* AProvider)
    : Provider(AProvider), GraphWatch(new TGraphWatch(this)) {}

void TacCtrlAdapter::AddNewItem(TSpeedButton* Ctrl) {
    if (!Ctrl || Ctrl->Tag == NeverHookedTag || !Ctrl->Parent() ||
        PerformSkinCommand(Ctrl, SKCMD_ISSKINNED) == 1)
        return;
    // The section a handler of the event names is not used: a button's look decides it.
    UnicodeString section = L"SPEEDBUTTON";
    if (!MayAdd(Ctrl, section)) return;
    const auto found = std::find_if(GraphItems.begin(), GraphItems.end(),
                                    [&](const TacGraphItem* item) { return item->Ctrl == Ctrl; });
    const bool isNew = found == GraphItems.end();
    TacGraphItem* item = isNew ? new TacGraphItem(this) : *found;
    item->SkinData->SetSkinSection(Ctrl->Flat() ? L"SPEEDBUTTON_SMALL" : L"SPEEDBUTTON");
    if (!isNew) {
        if (item->Handler && item->Handler->Destroyed) {
            FreeAndNil(item->Handler);
            item->DoHook(Ctrl);
        }
        return;
    }
    item->DoHook(Ctrl);
    if (item->Handler)
        GraphItems.push_back(item);
    else
        item->Free();
}

void TacCtrlAdapter::GraphControlFreed(TComponent* Control) {
    const auto found =
        std::find_if(GraphItems.begin(), GraphItems.end(),
                     [&](const TacGraphItem* item) { return item->Ctrl == Control; });
    if (found == GraphItems.end()) return;
    TacGraphItem* item = *found;
    GraphItems.erase(found);
    // The button is being freed and drops the notification link itself.
    item->Ctrl = nullptr;
    item->Free();
}
