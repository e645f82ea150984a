// TsFrameAdapter: a component placed on a frame (its owner) that skins the frame. A frame is a
// plain container the skin library does not derive from, so the adapter puts its own window
// procedure on top of the frame's WindowProc chain and takes it out again when it goes; the
// chain lets handlers leave in any order, so an adapter and other hooks of the frame may come
// and go independently.
//
// The adapter answers the skin message for the frame (7: 1; 60: the application; 26: section
// index + 1; 1, 2, 3 from its own manager), passes skin changes to the frame's children and
// hands everything else to the procedure below it. While unskinned (always, in a build without
// skin) that is all it does; the cached skin painting comes with the skin engine.
#pragma once

#include "framework/Forms.h"
#include "framework/ModuleInit.h"
#include "skin/engine/sCommonData.h"
#include "skin/window/acSBUtils.h"

#include <memory>

class TsFrameAdapter : public TComponent {
    CLASS_INFO(TsFrameAdapter, TComponent)
public:
    // AOwner must be the frame to skin; any other owner gets an error box and no adapter
    // behaviour.
    explicit TsFrameAdapter(TComponent* AOwner);
    ~TsFrameAdapter() override;
    void AfterConstruction() override;

    TsCommonData* SkinData() const noexcept { return FCommonData.get(); }
    // The frame being skinned, or null.
    TCustomFrame* Frame = nullptr;

    // How the error about a wrong owner is shown; a modal message box unless replaced.
    static void (*ShowPlacementError)(const UnicodeString& Text);

protected:
    void Loaded() override;
    void NewWndProc(TMessage& Message);

private:
    bool FirstStage(TMessage& Message);
    void SkinnedStage(TMessage& Message);
    void UnskinnedStage(TMessage& Message);
    bool SkinnedNow() const;
    void PassToChildren(TMessage& Message);
    void PassSkinLoaded();
    void RedrawFrame(UINT Flags);
    void ScrollNotice(WORD Command);
    LRESULT BackgroundColour();
    void LeaveHotSpeedButtons(TControl* Entered);

    std::unique_ptr<TsCommonData, graphics_detail::TFreeObject> FCommonData;
    TWndMethod OldWndProc;
    TacScrollWnd* ListSW = nullptr;
};

// The frame adapter's module: the control adapter of a skinned form gives frames their adapter
// through it (`FrameAdapterMaker`, skin/window/sSkinProvider.h).
TModuleEntry FrameAdapterModule();
