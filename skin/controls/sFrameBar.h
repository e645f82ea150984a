// TsFrameBar: a vertical bar of titled items, each with a frame below its title that opens and
// closes; the client's area selector. Declared here, in order: TsTitleState, TsTitleButton (an
// item's title, a skinned speed button), TsTitleItem, TsTitles (the bar's collection) and the
// bar itself, a skinned scroll box (code 19, section "BAR").
//
// Item states (ArrangeTitles performs every transition after the first):
//   stClosed  --click / OpenItem / ExpandAll / ChangeSize-->  stOpening (animated)
//   stClosed  --OpenItem, ChangeSize without animation----->  stOpened
//   stOpening --last layout pass--------------------------->  stOpened
//   stOpened  --another item opens (AllowAllOpen False), click with AllowAllClose, CloseItem,
//               CollapseAll----------------------------------> stClosing
//   stClosing --last layout pass: frame destroyed (unless OnFrameDestroy refuses)--> stClosed
// A frame exists from the first layout pass of an opening or opened item until its item closes
// or goes; FrameSize is its full height (0 while closed).
//
// Re-entrance. An animated layout runs four passes and handles pending messages between them,
// so a title click, a timer or the client's own code may run inside it. Arranging keeps a
// second layout out; deleting items (Items.Clear, Items.Delete) while the bar arranges or while
// an item's click is handled is deferred until the bar is done, so the loop never meets a freed
// item, title button or frame; the loop re-reads the item count at every step. Deleting items
// lays out without animation. The switches the layout sets (Arranging, redraw off, fading and
// mouse-enter suspension, hints) are restored however it ends.
#pragma once

#include "skin/controls/sScrollBox.h"
#include "skin/controls/sSpeedButton.h"

#include <vector>

enum TsTitleState { stClosed, stOpened, stClosing, stOpening };

class TsFrameBar;
class TsTitleItem;
class TsTitles;

using TCreateFrameEvent = TMethodEvent<void(TObject* Sender, TCustomFrame*& Frame)>;
using TFrameDestroyEvent =
    TMethodEvent<void(TObject* Sender, TCustomFrame*& Frame, bool& CanDestroy)>;

// While set, ArrangeTitles lays out in one step.
extern bool FrameBarNoAnimation;
// The message a bar posts itself to delete the items whose deletion waited for a click.
UINT FlushDeletesMessage();

class TsTitleButton : public TsSpeedButton {
    CLASS_INFO(TsTitleButton, TsSpeedButton)
public:
    explicit TsTitleButton(TComponent* AOwner);
    // Hot (1) instead of normal while its item is open.
    int CurrentState() override;
    bool Active = false;
    TsTitleItem* TitleItem = nullptr;
};

class TsTitleItem : public TCollectionItem {
    CLASS_INFO(TsTitleItem, TCollectionItem)
public:
    explicit TsTitleItem(TCollection* Collection);
    void AfterConstruction() override;
    void BeforeDestruction() override;
    void Assign(TPersistent* Source) override;

    TsFrameBar* Bar() const;
    const UnicodeString& Caption() const noexcept { return FCaption; }
    void SetCaption(const UnicodeString& value);
    bool Visible() const noexcept { return FVisible; }
    void SetVisible(bool value);
    int ImageIndex() const noexcept { return FImageIndex; }
    void SetImageIndex(int value);
    TCursor Cursor() const noexcept { return FCursor; }
    void SetCursor(TCursor value);
    int Margin() const { return TitleButton->Margin(); }
    void SetMargin(int value);
    int Spacing() const { return TitleButton->Spacing(); }
    void SetSpacing(int value) { TitleButton->SetSpacing(value); }
    UnicodeString SkinSection() const { return TitleButton->SkinData()->SkinSection(); }
    void SetSkinSection(const UnicodeString& value) {
        TitleButton->SkinData()->SetSkinSection(value);
    }
    TPopupMenu* PopupMenu() const { return TitleButton->PopupMenu(); }
    void SetPopupMenu(TPopupMenu* value) { TitleButton->SetPopupMenu(value); }

    TCreateFrameEvent OnCreateFrame;
    TFrameDestroyEvent OnFrameDestroy;
    TNotifyEvent OnClick;
    NativeInt Tag = 0;

    TsTitleButton* TitleButton = nullptr;
    TCustomFrame* Frame = nullptr;
    TsTitleState State = stClosed;
    int FrameSize = 0;
    bool Closing = false;

private:
    void TitleClick(TObject* Sender);

    UnicodeString FCaption;
    bool FVisible = true;
    int FImageIndex = -1;
    TCursor FCursor = crDefault;
};

class TsTitles : public TCollection {
    CLASS_INFO(TsTitles, TCollection)
public:
    explicit TsTitles(TsFrameBar* AOwner);
    TsFrameBar* Bar() const noexcept { return FOwner; }
    TsTitleItem* Add();
    // Raises EListError for a bad index.
    TsTitleItem* Items(int Index) const;
    // Deferred while the bar arranges or handles a click.
    void Clear();
    void Delete(int Index);

private:
    TsFrameBar* FOwner;
};

class TsFrameBar : public TsScrollBox {
    CLASS_INFO(TsFrameBar, TsScrollBox)
public:
    explicit TsFrameBar(TComponent* AOwner);
    ~TsFrameBar() override;
    void BeforeDestruction() override;

    TsTitles* Items() const noexcept { return FItems; }
    int TitleHeight() const noexcept { return FTitleHeight; }
    void SetTitleHeight(int value);
    bool Animation() const noexcept { return FAnimation; }
    void SetAnimation(bool value) { FAnimation = value; }
    TCustomImageList* Images() const noexcept { return FImages; }
    void SetImages(TCustomImageList* value);
    int Spacing() const noexcept { return FSpacing; }
    void SetSpacing(int value);
    bool AllowAllClose() const noexcept { return FAllowAllClose; }
    void SetAllowAllClose(bool value) { FAllowAllClose = value; }
    bool AllowAllOpen() const noexcept { return FAllowAllOpen; }
    void SetAllowAllOpen(bool value);
    bool AutoFrameSize() const noexcept { return FAutoFrameSize; }
    void SetAutoFrameSize(bool value);
    // The gap around titles and frames; also the window's border width.
    void SetBorderWidth(int value);

    // Lays out titles and frames, in animated passes unless told otherwise.
    void ArrangeTitles();
    // ArrangeTitles in one step.
    void Rearrange();
    void OpenItem(int Index, bool AllowAnimation);
    void CloseItem(int Index, bool AllowAnimation);
    void ExpandAll(bool AllowAnimation);
    void CollapseAll(bool AllowAnimation);
    void ChangeSize(int Index, bool AllowAnimation, int Height);
    // The area titles and frames are laid out in.
    TRect InnerRect();

    bool Arranging = false;

protected:
    void Loaded() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void WndProc(TMessage& Message) override;

private:
    friend class TsTitles;
    friend class TsTitleItem;

    bool DeferringDeletes() const noexcept { return Arranging || FClickDepth > 0; }
    void DeferDelete(TsTitleItem* Item);
    void FlushDeletes();
    void PostFlushDeletes();
    void ItemRemoved();
    void ArrangeTitlesNow();
    void LayoutPass(int K, int N, const TRect& R, int Free, int& Y);
    void LayoutItem(int Index, int K, int N, const TRect& R, int Free, int& Y);
    int ScrollOffset() const;
    bool UpdateFrame(int Index, int Top, int Size, int Width);
    TCustomFrame* CreateDefaultFrame();
    void DestroyFrame(int Index);
    void UpdateTitleActive(int Index, bool Value);
    void UpdateWidths();
    void ArrangeWithoutAnimation(bool NoAnimation);
    void Redraw();

    TsTitles* FItems = nullptr;
    int FTitleHeight = 28;
    bool FAnimation = true;
    TCustomImageList* FImages = nullptr;
    int FSpacing = 2;
    bool FAllowAllClose = false;
    bool FAllowAllOpen = false;
    int FClickDepth = 0;
    bool FFlushing = false;
    std::vector<TsTitleItem*> FPendingDeletes;
};
