// Editing a cell in place. The tree window runs an edit through an editor link, an object that
// owns the real editing control and is driven by the window in a fixed order: PrepareEdit,
// SetBounds, BeginEdit, then EndEdit (accept) or CancelEdit. The application may supply its own
// link (OnCreateEditor); the string tree falls back to TStringEditLink, which edits the cell's
// text in a TVTEdit placed over the cell.
//
// Lifetimes: the window keeps its link while the edit runs; the edit control keeps another
// reference to its link while it is linked, so that a link is not freed under a message its
// control is still handling. A link frees its control when it goes: by a posted release message
// when the control has a window (it may be inside one of its own messages), at once otherwise.
// A control freed first (its parent, the tree window, frees it) tells its link, so no dangling
// pointer is left either way.
//
// Classes here: IVTEditLink, TVTEdit, TStringEditLink.
#pragma once

#include "framework/Events.h"
#include "framework/Interfaces.h"
#include "framework/StdCtrls.h"
#include "vtree/VTTypes.h"

class TVirtualTreeWindow;
class TVirtualStringTreeWindow;
class TStringEditLink;

struct IVTEditLink : IInterface {
    INTERFACE_ID(IVTEditLink, IInterface, "{2BE3EAFA-5ACB-45B4-9D9A-B58BCC496E17}")
    // Shows the editor and gives it the focus; False refuses the edit.
    virtual bool STDMETHODCALLTYPE BeginEdit() = 0;
    virtual bool STDMETHODCALLTYPE CancelEdit() = 0;
    // Accepts: the editor stores its value.
    virtual bool STDMETHODCALLTYPE EndEdit() = 0;
    virtual bool STDMETHODCALLTYPE PrepareEdit(TVirtualTreeWindow* Tree, PVirtualNode Node,
                                               TColumnIndex Column) = 0;
    virtual TRect STDMETHODCALLTYPE GetBounds() = 0;
    virtual void STDMETHODCALLTYPE ProcessMessage(TMessage& Message) = 0;
    // Client coordinates of the tree window.
    virtual void STDMETHODCALLTYPE SetBounds(TRect R) = 0;
};

using TVTEditChangingEvent = TMethodEvent<void(TVirtualTreeWindow* Sender, PVirtualNode Node,
                                               TColumnIndex Column, bool& Allowed)>;
using TVTEditChangeEvent =
    TMethodEvent<void(TVirtualTreeWindow* Sender, PVirtualNode Node, TColumnIndex Column)>;
using TVTEditCancelEvent = TMethodEvent<void(TVirtualTreeWindow* Sender, TColumnIndex Column)>;
using TVTCreateEditorEvent =
    TMethodEvent<void(TVirtualTreeWindow* Sender, PVirtualNode Node, TColumnIndex Column,
                      TComPtr<IVTEditLink>& EditLink)>;

// The single- or multi-line edit control of TStringEditLink.
class TVTEdit : public TCustomEdit {
    CLASS_INFO(TVTEdit, TCustomEdit)
public:
    explicit TVTEdit(TStringEditLink* Link);
    ~TVTEdit() override;
    // Single-line nodes: the edit grows or shrinks with its text.
    virtual void FitToText();
    // Frees the edit: after the message being handled when it has a window, else at once.
    virtual void Release();
    // The private message that fits the edit to its text later.
    static constexpr UINT FitMessage = 0xB7D5;

protected:
    void CreateParams(TCreateParams& Params) override;
    void WndProc(TMessage& Message) override;
    void Dispatch(TMessage& Message) override;

private:
    friend class TStringEditLink;
    bool HandleKeyDown(TMessage& Message);
    void HandleExit();
    void HandleDestroy();
    void Unlink();
    bool MultiLine() const;

    TComPtr<IVTEditLink> FRefLink; // keeps the link alive while linked
    TStringEditLink* FLink = nullptr;
    bool FRecreating = false;
};

class TStringEditLink : public TImplements<TInterfacedObject, IVTEditLink> {
    CLASS_INFO(TStringEditLink, TInterfacedObject)
public:
    TStringEditLink();
    ~TStringEditLink() override;

    bool STDMETHODCALLTYPE BeginEdit() override;
    bool STDMETHODCALLTYPE CancelEdit() override;
    bool STDMETHODCALLTYPE EndEdit() override;
    bool STDMETHODCALLTYPE PrepareEdit(TVirtualTreeWindow* Tree, PVirtualNode Node,
                                       TColumnIndex Column) override;
    TRect STDMETHODCALLTYPE GetBounds() override;
    void STDMETHODCALLTYPE ProcessMessage(TMessage& Message) override;
    void STDMETHODCALLTYPE SetBounds(TRect R) override;

    TVTEdit* Edit() const noexcept { return FEdit; }
    // Frees the current edit control and takes Value.
    void SetEdit(TVTEdit* Value);
    TVirtualStringTreeWindow* Tree() const noexcept { return FTree; }
    PVirtualNode Node() const noexcept { return FNode; }
    TColumnIndex Column() const noexcept { return FColumn; }
    TAlignment Alignment() const noexcept { return FAlignment; }
    bool Stopping() const noexcept { return FStopping; }

private:
    friend class TVTEdit;
    void StoreText();

    TVTEdit* FEdit = nullptr;
    TVirtualStringTreeWindow* FTree = nullptr;
    PVirtualNode FNode = nullptr;
    TColumnIndex FColumn = NoColumn;
    TAlignment FAlignment = taLeftJustify;
    TRect FTextBounds;
    bool FStopping = false;
};
