// TBasicAction, TContainedAction and TCustomAction: handlers, the client list and the
// properties passed on to clients. A client's answer may link or unlink clients, so every walk
// over the clients goes over a copy and skips those that left meanwhile.
#include "framework/ActnList.h"

#include <algorithm>

// ---- TBasicAction ------------------------------------------------------------------------------

TBasicAction::TBasicAction(TComponent* AOwner) : TComponent(AOwner) {}

TBasicAction::~TBasicAction() { TBasicAction::BeforeDestruction(); }

// Every link left on the action is cleared, so that no client keeps a pointer to it.
void TBasicAction::BeforeDestruction() {
    TComponent::BeforeDestruction();
    DetachClients();
}

// Each link is told, with no action left, so that its client can stop being an action client.
void TBasicAction::DetachClients() noexcept {
    const std::vector<TBasicActionLink*> clients = std::move(FClients);
    FClients.clear();
    for (TBasicActionLink* link : clients) {
        link->FAction = nullptr;
        link->Change();
    }
}

bool TBasicAction::Execute() {
    if (!OnExecute) return false;
    OnExecute(this);
    return true;
}

bool TBasicAction::Update() {
    if (!OnUpdate) return false;
    OnUpdate(this);
    return true;
}

void TBasicAction::Change() {
    for (TBasicActionLink* link : ClientsSnapshot())
        if (HasClient(link)) link->Change();
}

void TBasicAction::RegisterChanges(TBasicActionLink* Value) {
    Value->FAction = this;
    FClients.push_back(Value);
}

void TBasicAction::UnRegisterChanges(TBasicActionLink* Value) {
    auto found = std::find(FClients.begin(), FClients.end(), Value);
    if (found == FClients.end()) return;
    FClients.erase(found);
    Value->FAction = nullptr;
}

bool TBasicAction::HasClient(TBasicActionLink* Value) const {
    return std::find(FClients.begin(), FClients.end(), Value) != FClients.end();
}

// ---- TContainedAction --------------------------------------------------------------------------

TContainedAction::~TContainedAction() { SetActionList(nullptr); }

void TContainedAction::BeforeDestruction() {
    SetActionList(nullptr);
    TBasicAction::BeforeDestruction();
}

// Clients learn of the new list, as they may show its images.
void TContainedAction::SetActionList(TCustomActionList* value) {
    if (value == FActionList) return;
    if (FActionList) {
        auto& actions = FActionList->FActions;
        actions.erase(std::find(actions.begin(), actions.end(), this));
    }
    FActionList = value;
    if (value) value->FActions.push_back(this);
    if (!ComponentState().Contains(csDestroying)) Change();
}

// ---- TCustomAction -----------------------------------------------------------------------------

template <class Pass> void TCustomAction::PassToLinks(Pass pass) {
    for (TBasicActionLink* client : ClientsSnapshot()) {
        auto* link = dynamic_cast<TActionLink*>(client);
        if (link && HasClient(client)) pass(link);
    }
}

bool TCustomAction::Execute() {
    Update();
    return FEnabled && TContainedAction::Execute();
}

void TCustomAction::SetCaption(const UnicodeString& value) {
    if (value == FCaption) return;
    PassToLinks([&](TActionLink* link) { link->SetCaption(value); });
    FCaption = value;
    Change();
}

void TCustomAction::SetChecked(bool value) {
    if (value == FChecked) return;
    FChecked = value;
    Change();
}

void TCustomAction::SetEnabled(bool value) {
    if (value == FEnabled) return;
    PassToLinks([&](TActionLink* link) { link->SetEnabled(value); });
    FEnabled = value;
    Change();
}

void TCustomAction::SetHint(const UnicodeString& value) {
    if (value == FHint) return;
    PassToLinks([&](TActionLink* link) { link->SetHint(value); });
    FHint = value;
    Change();
}

void TCustomAction::SetImageIndex(int value) {
    if (value == FImageIndex) return;
    FImageIndex = value;
    Change();
}

void TCustomAction::SetVisible(bool value) {
    if (value == FVisible) return;
    PassToLinks([&](TActionLink* link) { link->SetVisible(value); });
    FVisible = value;
    Change();
}
