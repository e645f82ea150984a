// `TComponent`: objects with an owner that frees them, a name unique among the owner's
// components, and notifications when a component they refer to goes away.
//
// Ownership: an owner frees every component it owns (last inserted first) when it is freed; a
// component freed alone first leaves its owner's list. Free notifications: a component that
// keeps a pointer to another one it does not own asks `FreeNotification` and is told
// `Notification(other, opRemove)` before the other goes; notifications also travel down to every
// owned component, as forms rely on to clear their references.
#pragma once

#include "framework/Objects.h"
#include "framework/Sets.h"

#include <vector>

enum TComponentStateItem {
    csLoading,
    csReading,
    csWriting,
    csDestroying,
    csDesigning,
    csAncestor,
    csUpdating,
    csFixups,
    csFreeNotification,
    csInline,
    csDesignInstance
};
using TComponentState = TSet<TComponentStateItem>;

enum TOperation { opInsert, opRemove };

class TComponent : public TPersistent {
    CLASS_INFO(TComponent, TPersistent)
public:
    using OwnerType = TComponent;

    explicit TComponent(TComponent* AOwner);
    ~TComponent() override;
    void BeforeDestruction() override;

    TComponent* Owner() const noexcept { return FOwner; }
    int ComponentCount() const noexcept { return static_cast<int>(FComponents.size()); }
    // Raises EListError for an index outside 0..ComponentCount-1.
    TComponent* Components(int index) const;
    int ComponentIndex() const;
    TComponent* FindComponent(const UnicodeString& name) const;

    const UnicodeString& Name() const noexcept { return FName; }
    // Raises EComponentError when the name is not an identifier or another component of the
    // same owner has it (compared without regard to case).
    virtual void SetName(const UnicodeString& name);
    UnicodeString GetNamePath() const override { return FName; }

    NativeInt Tag = 0;

    TComponentState ComponentState() const noexcept { return FComponentState; }
    // Loading from a description: csLoading and csReading are set on this component and every
    // component it owns (or comes to own while loading) until EndLoad, which then calls Loaded
    // on each.
    void BeginLoad();
    void EndLoad();
    // Ends loading as a form built in code does: csReading leaves every component first, then
    // each loses csLoading and gets Loaded in creation order, this one first.
    void EndLoadInCreationOrder();
    void SetDesigning(bool designing);

    void InsertComponent(TComponent* component);
    void RemoveComponent(TComponent* component);
    void DestroyComponents();
    void Destroying();

    void FreeNotification(TComponent* component);
    void RemoveFreeNotification(TComponent* component);

protected:
    virtual void Loaded();
    virtual void Notification(TComponent* AComponent, TOperation Operation);

private:
    void NotifyFreeNotifiers();
    void CollectInCreationOrder(std::vector<TComponent*>& list);
    void ValidateName(const UnicodeString& name) const;

    TComponent* FOwner = nullptr;
    UnicodeString FName;
    std::vector<TComponent*> FComponents;
    std::vector<TComponent*> FFreeNotifies;
    TComponentState FComponentState;
    bool FTornDown = false;
};
