#include "framework/Components.h"

#include <algorithm>
#include <cwctype>

namespace {

bool SameName(const UnicodeString& a, const UnicodeString& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](wchar_t x, wchar_t y) { return std::towupper(x) == std::towupper(y); });
}

bool IsIdentifier(const UnicodeString& name) {
    if (name.empty() || std::iswdigit(name[0])) return false;
    return std::all_of(name.begin(), name.end(),
                       [](wchar_t ch) { return ch == L'_' || std::iswalnum(ch); });
}

void EraseOne(std::vector<TComponent*>& list, TComponent* item) {
    auto found = std::find(list.begin(), list.end(), item);
    if (found != list.end()) list.erase(found);
}

} // namespace

TComponent::TComponent(TComponent* AOwner) {
    if (AOwner) AOwner->InsertComponent(this);
}

TComponent::~TComponent() {
    // Freed with `delete` rather than Free: tear down here, where derived classes are gone.
    if (!FTornDown) TComponent::BeforeDestruction();
}

void TComponent::BeforeDestruction() {
    if (FTornDown) return;
    FTornDown = true;
    Destroying();
    NotifyFreeNotifiers();
    DestroyComponents();
    if (FOwner) FOwner->RemoveComponent(this);
}

TComponent* TComponent::Components(int index) const {
    if (index < 0 || index >= ComponentCount())
        throw EListError(L"List index out of bounds (" + std::to_wstring(index) + L")");
    return FComponents[static_cast<std::size_t>(index)];
}

int TComponent::ComponentIndex() const {
    if (!FOwner) return -1;
    const auto& siblings = FOwner->FComponents;
    return static_cast<int>(std::find(siblings.begin(), siblings.end(), this) - siblings.begin());
}

TComponent* TComponent::FindComponent(const UnicodeString& name) const {
    if (name.empty()) return nullptr;
    for (TComponent* component : FComponents)
        if (SameName(component->FName, name)) return component;
    return nullptr;
}

void TComponent::ValidateName(const UnicodeString& name) const {
    if (!name.empty() && !IsIdentifier(name))
        throw EComponentError(L"'" + name + L"' is not a valid component name");
    if (!FOwner || name.empty()) return;
    TComponent* other = FOwner->FindComponent(name);
    if (other && other != this)
        throw EComponentError(L"A component named " + name + L" already exists");
}

void TComponent::SetName(const UnicodeString& name) {
    if (name == FName) return;
    ValidateName(name);
    FName = name;
}

void TComponent::BeginLoad() {
    FComponentState += {csLoading, csReading};
    for (TComponent* component : FComponents) component->BeginLoad();
}

void TComponent::EndLoad() {
    FComponentState -= {csLoading, csReading};
    for (TComponent* component : FComponents) component->EndLoad();
    Loaded();
}

void TComponent::CollectInCreationOrder(std::vector<TComponent*>& list) {
    list.push_back(this);
    for (TComponent* component : FComponents) component->CollectInCreationOrder(list);
}

void TComponent::EndLoadInCreationOrder() {
    std::vector<TComponent*> loading;
    CollectInCreationOrder(loading);
    for (TComponent* component : loading) component->FComponentState.Exclude(csReading);
    for (TComponent* component : loading) {
        component->FComponentState.Exclude(csLoading);
        component->Loaded();
    }
}

void TComponent::SetDesigning(bool designing) {
    if (designing)
        FComponentState.Include(csDesigning);
    else
        FComponentState.Exclude(csDesigning);
    for (TComponent* component : FComponents) component->SetDesigning(designing);
}

void TComponent::Loaded() {}

void TComponent::InsertComponent(TComponent* component) {
    component->ValidateName(component->FName);
    if (component->FOwner) component->FOwner->RemoveComponent(component);
    FComponents.push_back(component);
    component->FOwner = this;
    if (FComponentState.Contains(csDesigning)) component->SetDesigning(true);
    // A component made while its owner loads is part of what is being loaded.
    if (FComponentState.Contains(csLoading)) component->BeginLoad();
    Notification(component, opInsert);
}

void TComponent::RemoveComponent(TComponent* component) {
    Notification(component, opRemove);
    EraseOne(FComponents, component);
    component->FOwner = nullptr;
}

void TComponent::DestroyComponents() {
    while (!FComponents.empty()) {
        TComponent* last = FComponents.back();
        // Leave the list first, so that the child's own teardown finds nothing to remove.
        FComponents.pop_back();
        last->FOwner = nullptr;
        last->Free();
    }
}

void TComponent::Destroying() { FComponentState.Include(csDestroying); }

void TComponent::FreeNotification(TComponent* component) {
    if (!component || component == this) return;
    if (std::find(FFreeNotifies.begin(), FFreeNotifies.end(), component) == FFreeNotifies.end()) {
        FFreeNotifies.push_back(component);
        component->FreeNotification(this);
    }
    FComponentState.Include(csFreeNotification);
}

void TComponent::RemoveFreeNotification(TComponent* component) {
    auto found = std::find(FFreeNotifies.begin(), FFreeNotifies.end(), component);
    if (found == FFreeNotifies.end()) return;
    FFreeNotifies.erase(found);
    component->RemoveFreeNotification(this);
}

void TComponent::NotifyFreeNotifiers() {
    while (!FFreeNotifies.empty()) {
        TComponent* listener = FFreeNotifies.back();
        FFreeNotifies.pop_back();
        EraseOne(listener->FFreeNotifies, this);
        listener->Notification(this, opRemove);
    }
}

void TComponent::Notification(TComponent* AComponent, TOperation Operation) {
    if (Operation == opRemove && AComponent) RemoveFreeNotification(AComponent);
    for (std::size_t i = FComponents.size(); i-- > 0;)
        if (i < FComponents.size()) FComponents[i]->Notification(AComponent, Operation);
}
