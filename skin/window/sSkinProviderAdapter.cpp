// The control adapter: handlers for the class-library controls of a skinned form, chosen by the
// skin manager's class-name lists, kept one item per control for as long as the control lives.
#include "framework/Buttons.h"
#include "framework/Forms.h"
#include "framework/StdCtrls.h"
#include "skin/engine/sConst.h"
#include "skin/engine/sVclUtils.h"
#include "skin/window/sSkinProvider.h"

#include <algorithm>

std::array<TAdapterHandlerMaker, ThirdKindCount> AdapterHandlerMakers{};
TFrameAdapterMaker FrameAdapterMaker = nullptr;
bool AdapterAddingItems = false;
bool AdapterRemovingItems = false;

namespace {

constexpr int NeverHookedTag = -98;
constexpr int KeepLabelTag = 98;
constexpr int AdapterControlClass = 227;

// The index of the first class-name list holding ClassName exactly; -1 when none does.
int ThirdListOf(const TsSkinManager* Manager, const UnicodeString& ClassName) {
    for (int list = 0; list < ThirdKindCount; ++list) {
        const TStringList* names = Manager->ThirdLists[static_cast<std::size_t>(list)];
        if (!names) continue;
        for (int i = 0; i < names->Count(); ++i)
            if (names->Strings(i) == ClassName) return list;
    }
    return -1;
}

// A control that must not get a handler: marked, without a parent, or skinned already.
bool Unhookable(TWinControl* Ctrl) {
    return Ctrl->Tag == NeverHookedTag || !Ctrl->Parent() || AskControl(Ctrl, SKCMD_ISSKINNED);
}

// A live handler: made and still attached to its window.
bool LiveHandler(const TacAdapterItem* Item) {
    return Item->ScrollWnd && !Item->ScrollWnd->Destroyed;
}

} // namespace

// ---- items ----------------------------------------------------------------------------------

TacAdapterItem::TacAdapterItem(TacCtrlAdapter* AAdapter)
    : SkinData(new TsCommonData(this, true)), Adapter(AAdapter) {
    SkinData->COC = AdapterControlClass;
}

TacAdapterItem::~TacAdapterItem() {
    ReleaseHandler(ScrollWnd);
    delete SkinData;
}

void TacAdapterItem::DoHook(TWinControl* Control) {
    if (Control->Tag == NeverHookedTag || !Control->HandleAllocated() || Unhookable(Control))
        return;
    WinCtrl = Control;
    SkinData->FOwnerControl = Control;
    TsSkinManager* manager = SkinData->SkinManager();
    if (!manager) return;
    const int list = ThirdListOf(manager, UnicodeString(Control->ClassName()));
    if (list < 0) return;
    if (TAdapterHandlerMaker make = AdapterHandlerMakers[static_cast<std::size_t>(list)])
        ScrollWnd = make(Control, SkinData, manager);
}

// ---- the adapter ----------------------------------------------------------------------------

TacCtrlAdapter::~TacCtrlAdapter() {
    CleanItems();
    RemoveAllItems();
}

TsSkinManager* TacCtrlAdapter::Manager() const { return Provider->SkinData()->SkinManager(); }

bool TacCtrlAdapter::IsControlSupported(TComponent* Control) const {
    auto* control = dynamic_cast<TControl*>(Control);
    if (!control || control->Tag == NeverHookedTag) return false;
    TsSkinManager* manager = Manager();
    const auto listed = [manager](const TControl* listedControl) {
        return manager && ThirdListOf(manager, UnicodeString(listedControl->ClassName())) >= 0;
    };
    auto* windowed = dynamic_cast<TWinControl*>(control);
    if (!windowed) {
        UnicodeString section;
        if (dynamic_cast<TCustomLabel*>(control)) return MayAdd(control, section);
        return dynamic_cast<TSpeedButton*>(control) && listed(control) && MayAdd(control, section);
    }
    if (!windowed->HandleAllocated() || AskControl(windowed, SKCMD_ISSKINNED)) return false;
    if (dynamic_cast<TFrame*>(windowed)) {
        UnicodeString section;
        return MayAdd(windowed, section);
    }
    return listed(windowed);
}

bool TacCtrlAdapter::MayAdd(TComponent* Item, UnicodeString& Section) const {
    bool canBeAdded = true;
    if (Provider->OnSkinItem) Provider->OnSkinItem(Item, canBeAdded, Section);
    return canBeAdded;
}

void TacCtrlAdapter::SkinLabel(TControl* Label) const {
    auto* label = static_cast<TCustomLabel*>(Label);
    label->SetTransparent(true);
    if (DefaultSkinManager) label->Font()->SetColor(DefaultSkinManager->GetGlobalFontColor());
}

void TacCtrlAdapter::AddAllItems(TWinControl* OwnerCtrl) {
    TsSkinManager* manager = Manager();
    if (AdapterAddingItems || !manager || !manager->SkinningRules().Contains(srThirdParty)) return;
    AdapterAddingItems = true;
    if (!OwnerCtrl) OwnerCtrl = Provider->Form();
    if (!OwnerCtrl) {
        AdapterAddingItems = false;
        return;
    }
    CleanItems();
    // Windowed controls are descended into whether supported or not; the recursion may run
    // while this walk is going on.
    const auto descend = [this](TControl* control) {
        auto* windowed = dynamic_cast<TWinControl*>(control);
        if (!windowed || !windowed->HandleAllocated() || !windowed->Parent()) return;
        AdapterAddingItems = false;
        AddAllItems(windowed);
    };
    for (int i = 0; i < OwnerCtrl->ComponentCount(); ++i) {
        TComponent* component = OwnerCtrl->Components(i);
        if (IsControlSupported(component)) {
            if (auto* windowed = dynamic_cast<TWinControl*>(component))
                AddNewItem(windowed, UnicodeString());
            else if (static_cast<TControl*>(component)->Tag != KeepLabelTag)
                SkinLabel(static_cast<TControl*>(component));
        }
        descend(dynamic_cast<TControl*>(component));
    }
    for (int i = 0; i < OwnerCtrl->ControlCount(); ++i) {
        TControl* control = OwnerCtrl->Controls(i);
        if (IsControlSupported(control)) {
            if (auto* windowed = dynamic_cast<TWinControl*>(control))
                AddNewItem(windowed, UnicodeString());
            else if (dynamic_cast<TLabel*>(control))
                SkinLabel(control);
            else if (auto* speedButton = dynamic_cast<TSpeedButton*>(control))
                AddNewItem(speedButton);
        }
        descend(control);
    }
    AdapterAddingItems = false;
}

void TacCtrlAdapter::AddNewItem(TWinControl* Ctrl, const UnicodeString& SkinSection) {
    if (!Ctrl || Unhookable(Ctrl)) return;
    UnicodeString section = SkinSection;
    if (!MayAdd(Ctrl, section)) return;
    if (dynamic_cast<TFrame*>(Ctrl)) { // a frame adapter instead of an item
        if (FrameAdapterMaker) FrameAdapterMaker(Ctrl, L"GROUPBOX");
        return;
    }
    const int index = IndexOf(Ctrl);
    if (index >= 0) {
        TacAdapterItem* item = Items[static_cast<std::size_t>(index)];
        item->SkinData->SetSkinSection(section);
        if (item->ScrollWnd && item->ScrollWnd->Destroyed) {
            FreeAndNil(item->ScrollWnd);
            item->DoHook(Ctrl);
        }
        return;
    }
    auto* item = new TacAdapterItem(this);
    item->WinCtrl = Ctrl;
    item->SkinData->SetSkinSection(section);
    item->DoHook(Ctrl);
    if (item->ScrollWnd)
        Items.push_back(item);
    else
        item->Free();
}

TacAdapterItem* TacCtrlAdapter::GetItem(int Index) const {
    return Index >= 0 && Index < Count() ? Items[static_cast<std::size_t>(Index)] : nullptr;
}

int TacCtrlAdapter::IndexOf(const TWinControl* Ctrl) const {
    const auto found = std::find_if(Items.begin(), Items.end(), [&](const TacAdapterItem* item) {
        return item->WinCtrl == Ctrl;
    });
    return found == Items.end() ? -1 : static_cast<int>(found - Items.begin());
}

void TacCtrlAdapter::RemoveItem(int Index) {
    if (Index < 0 || Index >= Count()) return;
    TacAdapterItem* item = Items[static_cast<std::size_t>(Index)];
    Items[static_cast<std::size_t>(Index)] = Items.back();
    Items.pop_back();
    item->Free();
}

namespace {

// Removes the entries that fail Live, keeping the order of the rest, and frees them.
template <class TItem, class TLive> void DropDead(std::vector<TItem*>& Entries, TLive Live) {
    const auto dead = std::stable_partition(Entries.begin(), Entries.end(), Live);
    std::vector<TItem*> doomed(dead, Entries.end());
    Entries.erase(dead, Entries.end());
    for (TItem* item : doomed) item->Free();
}

template <class TItem> void FreeFromTheBack(std::vector<TItem*>& Entries) {
    while (!Entries.empty()) {
        TItem* item = Entries.back();
        Entries.pop_back();
        item->Free();
    }
}

} // namespace

void TacCtrlAdapter::CleanItems() {
    DropDead(Items, LiveHandler);
    DropDead(GraphItems,
             [](const TacGraphItem* item) { return item->Handler && !item->Handler->Destroyed; });
}

void TacCtrlAdapter::RemoveAllItems() {
    if (AdapterRemovingItems) return;
    AdapterRemovingItems = true;
    FreeFromTheBack(Items);
    FreeFromTheBack(GraphItems);
    AdapterRemovingItems = false;
}

void TacCtrlAdapter::WndProc(TMessage& Message) {
    for (const TacAdapterItem* item : Items)
        if (LiveHandler(item) && item->WinCtrl->Parent())
            SendMessageW(item->WinCtrl->Handle(), Message.Msg, Message.WParam, Message.LParam);
}

void TsSkinProvider::CreateAdapter() {
    if (!FAdapter) FAdapter = std::make_unique<TacCtrlAdapter>(this);
    FAdapter->AddAllItems();
}
