// Actions: one command (its handler, caption, enabled state, hint, image) shared by several
// controls that follow it. Declared here, in order: TBasicAction (a handler and its clients),
// TContainedAction (an action kept in an action list), TCustomAction and TAction (the
// properties clients show), TCustomActionList and TActionList (the actions of a form and the
// image list their ImageIndex refers to), and the links a client holds to its action:
// TBasicActionLink, TActionLink and TControlActionLink.
//
// Links. A client (a control) owns one link; the link registers with the action, so the action
// knows its clients without knowing what they are. A property setter of TCustomAction first
// hands the new value to every link (which passes it on when its client still shows the old
// one: IsCaptionLinked and the like), then stores it and calls Change, which tells every link;
// a control answers with ActionChange(Sender, False), taking over what the action shows. The
// action going away clears every link's action before the memory goes, and a link going away
// leaves its action's client list, so neither side is left with a dangling pointer, whichever
// is freed first.
//
// No idle updates: actions are updated when someone calls Update. GUI thread only.
#pragma once

#include "framework/Components.h"
#include "framework/Events.h"

#include <vector>

class TBasicActionLink;
class TControl;
class TCustomActionList;
class TCustomImageList;

// ---- actions -----------------------------------------------------------------------------------

class TBasicAction : public TComponent {
    CLASS_INFO(TBasicAction, TComponent)
public:
    explicit TBasicAction(TComponent* AOwner);
    ~TBasicAction() override;
    void BeforeDestruction() override;

    // Runs OnExecute; True when there was a handler to run.
    virtual bool Execute();
    // Runs OnUpdate; True when there was a handler to run.
    virtual bool Update();
    // Tells every client that the action changed.
    virtual void Change();
    // The component that executes the action now (the clicked control), null otherwise.
    TComponent* ActionComponent() const noexcept { return FActionComponent; }
    void SetActionComponent(TComponent* value) noexcept { FActionComponent = value; }
    int ClientCount() const noexcept { return static_cast<int>(FClients.size()); }

    TNotifyEvent OnExecute;
    TNotifyEvent OnUpdate;

protected:
    friend class TBasicActionLink;

    void RegisterChanges(TBasicActionLink* Value);
    void UnRegisterChanges(TBasicActionLink* Value);
    // The clients as they are now: a client's answer may link or unlink clients.
    std::vector<TBasicActionLink*> ClientsSnapshot() const { return FClients; }
    bool HasClient(TBasicActionLink* Value) const;

private:
    void DetachClients() noexcept;

    std::vector<TBasicActionLink*> FClients;
    TComponent* FActionComponent = nullptr;
};

// An action that belongs to an action list (or to none).
class TContainedAction : public TBasicAction {
    CLASS_INFO(TContainedAction, TBasicAction)
public:
    using TBasicAction::TBasicAction;
    ~TContainedAction() override;
    void BeforeDestruction() override;

    TCustomActionList* ActionList() const noexcept { return FActionList; }
    void SetActionList(TCustomActionList* value);

private:
    friend class TCustomActionList;
    TCustomActionList* FActionList = nullptr;
};

// An action with what its clients show. A disabled action does not execute.
class TCustomAction : public TContainedAction {
    CLASS_INFO(TCustomAction, TContainedAction)
public:
    using TContainedAction::TContainedAction;

    bool Execute() override;

    const UnicodeString& Caption() const noexcept { return FCaption; }
    void SetCaption(const UnicodeString& value);
    bool Checked() const noexcept { return FChecked; }
    void SetChecked(bool value);
    bool Enabled() const noexcept { return FEnabled; }
    void SetEnabled(bool value);
    const UnicodeString& Hint() const noexcept { return FHint; }
    void SetHint(const UnicodeString& value);
    // An image of the action list's Images; -1 for none.
    int ImageIndex() const noexcept { return FImageIndex; }
    void SetImageIndex(int value);
    bool Visible() const noexcept { return FVisible; }
    void SetVisible(bool value);

private:
    // Hands a new value to every link that passes properties on, before it is stored.
    template <class Pass> void PassToLinks(Pass pass);

    UnicodeString FCaption;
    bool FChecked = false;
    bool FEnabled = true;
    UnicodeString FHint;
    int FImageIndex = -1;
    bool FVisible = true;
};

class TAction : public TCustomAction {
    CLASS_INFO(TAction, TCustomAction)
public:
    using TCustomAction::TCustomAction;
};

// ---- action lists ------------------------------------------------------------------------------

// The actions of a form, in the order they were added, and the images they show. Freeing the
// list frees its actions; an action freed alone leaves the list.
class TCustomActionList : public TComponent {
    CLASS_INFO(TCustomActionList, TComponent)
public:
    using TComponent::TComponent;
    ~TCustomActionList() override;
    void BeforeDestruction() override;

    int ActionCount() const noexcept { return static_cast<int>(FActions.size()); }
    // Raises EListError for an index outside 0..ActionCount-1.
    TContainedAction* Actions(int index) const;
    // Held, not owned, and forgotten when it is freed. A new list tells every action, so
    // that clients showing its images take the new one.
    TCustomImageList* Images() const noexcept { return FImages; }
    void SetImages(TCustomImageList* value);

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    friend class TContainedAction;
    void FreeActions() noexcept;

    std::vector<TContainedAction*> FActions;
    TCustomImageList* FImages = nullptr;
};

class TActionList : public TCustomActionList {
    CLASS_INFO(TActionList, TCustomActionList)
public:
    using TCustomActionList::TCustomActionList;
};

// ---- links -------------------------------------------------------------------------------------

// A client's link to one action (or to none). OnChange fires, with the action as Sender, when
// the action changed.
class TBasicActionLink : public TObject {
    CLASS_INFO(TBasicActionLink, TObject)
public:
    TBasicActionLink() = default;
    ~TBasicActionLink() override;

    TBasicAction* Action() const noexcept { return FAction; }
    void SetAction(TBasicAction* value);
    // Executes the action with AComponent as its ActionComponent meanwhile; False without an
    // action or when nothing ran.
    virtual bool Execute(TComponent* AComponent);
    virtual bool Update();

    TNotifyEvent OnChange;

protected:
    friend class TBasicAction;
    virtual void Change() { OnChange(FAction); }

private:
    TBasicAction* FAction = nullptr;
};

// A link that passes the properties of a TCustomAction on. A property is linked when the action
// is a TCustomAction (and, for a control, while the control still shows the action's value);
// the setters here pass nothing on, a client's link does.
class TActionLink : public TBasicActionLink {
    CLASS_INFO(TActionLink, TBasicActionLink)
public:
    virtual bool IsCaptionLinked() { return CustomAction() != nullptr; }
    virtual bool IsEnabledLinked() { return CustomAction() != nullptr; }
    virtual bool IsHintLinked() { return CustomAction() != nullptr; }
    virtual bool IsVisibleLinked() { return CustomAction() != nullptr; }
    virtual void SetCaption(const UnicodeString&) {}
    virtual void SetEnabled(bool) {}
    virtual void SetHint(const UnicodeString&) {}
    virtual void SetVisible(bool) {}

protected:
    TCustomAction* CustomAction() const;
};

// The link a control holds to its action: linked properties are set on the control.
class TControlActionLink : public TActionLink {
    CLASS_INFO(TControlActionLink, TActionLink)
public:
    explicit TControlActionLink(TControl* AClient) : FClient(AClient) {}

    TControl* Client() const noexcept { return FClient; }
    bool IsCaptionLinked() override;
    bool IsEnabledLinked() override;
    bool IsHintLinked() override;
    bool IsVisibleLinked() override;
    void SetCaption(const UnicodeString& Value) override;
    void SetEnabled(bool Value) override;
    void SetHint(const UnicodeString& Value) override;
    void SetVisible(bool Value) override;

private:
    TControl* FClient;
};
