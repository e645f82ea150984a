// Common controls of the visual class library, each over a comctl32 window class: the window is
// the system class's (CreateSubClass), the library draws nothing of it unless told to, and the
// control hears its notifications reflected from its parent (CN_NOTIFY, CN_COMMAND,
// CN_DRAWITEM). Declared here, in order: the custom-draw vocabulary; TImageListRef (an image
// list a control shows); TStatusPanel, TStatusPanels and TStatusBar; TToolButton and TToolBar;
// TCustomTabControl, TTabControl, TTabSheet and TPageControl; TListColumn, TListColumns and
// TListView; TTreeView; TUpDown.
//
// The list, tree, tab, tool and up-down controls carry only what the rest of the system reads
// of them; they grow when something needs more.
//
// The classes are registered once per process with InitCommonControlsEx before a window of
// them is made. Controls belong to the GUI thread that makes their windows.
#pragma once

#include "framework/Collections.h"
#include "framework/Controls.h"
#include "framework/ImageList.h"
#include "framework/StringLists.h"

#include <commctrl.h>

#include <memory>
#include <vector>

// Registers the common control classes named by ICC_* flags; EOSError when the system refuses.
void InitCommonControl(DWORD classes);

// ---- custom draw -------------------------------------------------------------------------------

enum TCustomDrawStage { cdPrePaint, cdPostPaint, cdPreErase, cdPostErase };
enum TCustomDrawStateItem {
    cdsSelected,
    cdsGrayed,
    cdsDisabled,
    cdsChecked,
    cdsFocused,
    cdsDefault,
    cdsHot,
    cdsMarked,
    cdsIndeterminate
};
using TCustomDrawState = TSet<TCustomDrawStateItem>;

namespace comctrls_detail {
// Lends a DC to a canvas for the lifetime of the object.
class TCanvasLoan {
public:
    TCanvasLoan(TCanvas* canvas, HDC dc) : FCanvas(canvas) {
        canvas->Lock();
        canvas->SetHandle(dc);
    }
    ~TCanvasLoan() {
        FCanvas->SetHandle(nullptr);
        FCanvas->Unlock();
    }
    TCanvasLoan(const TCanvasLoan&) = delete;
    TCanvasLoan& operator=(const TCanvasLoan&) = delete;

private:
    TCanvas* FCanvas;
};
} // namespace comctrls_detail

// ---- image lists shown by a control ------------------------------------------------------------

// An image list a control shows without owning it. The control learns through `Changed` when
// the list is replaced or its images change, and must pass its Notification(opRemove) on to
// Removed, which forgets a list being freed before Changed runs.
class TImageListRef {
public:
    TImageListRef(TComponent* holder, TNotifyEvent changed);
    ~TImageListRef();
    TImageListRef(const TImageListRef&) = delete;
    TImageListRef& operator=(const TImageListRef&) = delete;

    TCustomImageList* Get() const noexcept { return FList; }
    void Set(TCustomImageList* list);
    void Removed(TComponent* component);
    // The system's list, or null without one.
    HIMAGELIST Handle() const { return FList ? FList->Handle() : nullptr; }

private:
    TComponent* FHolder;
    TCustomImageList* FList = nullptr;
    std::unique_ptr<TChangeLink, graphics_detail::TFreeObject> FLink;
    TNotifyEvent FChanged;
};

// ---- status bar --------------------------------------------------------------------------------

class TStatusBar;

enum TStatusPanelStyle { psText, psOwnerDraw };
enum TStatusPanelBevel { pbNone, pbLowered, pbRaised };

// One part of a status bar. Every change goes to the bar's window at once.
class TStatusPanel : public TCollectionItem {
    CLASS_INFO(TStatusPanel, TCollectionItem)
public:
    explicit TStatusPanel(TCollection* Collection) : TCollectionItem(Collection) {}

    const UnicodeString& Text() const noexcept { return FText; }
    void SetText(const UnicodeString& value);
    int Width() const noexcept { return FWidth; }
    void SetWidth(int value);
    TStatusPanelStyle Style() const noexcept { return FStyle; }
    void SetStyle(TStatusPanelStyle value);
    TAlignment Alignment() const noexcept { return FAlignment; }
    void SetAlignment(TAlignment value);
    TStatusPanelBevel Bevel() const noexcept { return FBevel; }
    void SetBevel(TStatusPanelBevel value);

    void Assign(TPersistent* Source) override;
    UnicodeString DisplayName() const override { return FText; }

private:
    template <class T> void Change(T& field, const T& value);

    UnicodeString FText;
    int FWidth = 50;
    TStatusPanelStyle FStyle = psText;
    TAlignment FAlignment = taLeftJustify;
    TStatusPanelBevel FBevel = pbLowered;
};

class TStatusPanels : public TCollection {
    CLASS_INFO(TStatusPanels, TCollection)
public:
    explicit TStatusPanels(TStatusBar* StatusBar);
    TStatusPanel* Add() { return static_cast<TStatusPanel*>(TCollection::Add()); }
    TStatusPanel* Items(int Index) const {
        return static_cast<TStatusPanel*>(TCollection::Items(Index));
    }

protected:
    void Update(TCollectionItem* Item) override;

private:
    TStatusBar* FStatusBar;
};

using TDrawPanelEvent =
    TMethodEvent<void(TStatusBar* StatusBar, TStatusPanel* Panel, const TRect& Rect)>;

// A status bar aligned to the bottom of its parent. Its parts are Panels, each Width pixels
// wide but the last, which takes what is left; with SimplePanel one part shows SimpleText
// instead. An owner-drawn panel is drawn by OnDrawPanel on Canvas (which holds the system's DC
// only for that call). SizeGrip shows the grip in the right corner when the top-level window
// has a sizing border.
class TStatusBar : public TWinControl {
    CLASS_INFO(TStatusBar, TWinControl)
public:
    explicit TStatusBar(TComponent* AOwner);
    ~TStatusBar() override;

    TStatusPanels* Panels() const noexcept { return FPanels.get(); }
    void SetPanels(TStatusPanels* value) { FPanels->Assign(value); }
    bool SimplePanel() const noexcept { return FSimplePanel; }
    void SetSimplePanel(bool value);
    const UnicodeString& SimpleText() const noexcept { return FSimpleText; }
    void SetSimpleText(const UnicodeString& value);
    bool SizeGrip() const noexcept { return FSizeGrip; }
    void SetSizeGrip(bool value);
    TCanvas* Canvas() const noexcept { return FCanvas.get(); }

    TDrawPanelEvent OnDrawPanel;

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void Dispatch(TMessage& Message) override;
    virtual void DrawPanel(TStatusPanel* Panel, const TRect& Rect);

private:
    friend class TStatusPanels;
    void UpdatePanels();
    void UpdateParts();
    void UpdatePanel(int index);
    void UpdateSimpleText();
    void CNDrawItem(TMessage& Message);

    std::unique_ptr<TStatusPanels, graphics_detail::TFreeObject> FPanels;
    std::unique_ptr<TCanvas, graphics_detail::TFreeObject> FCanvas;
    bool FSimplePanel = false;
    UnicodeString FSimpleText;
    bool FSizeGrip = true;
};

// ---- tool bar ----------------------------------------------------------------------------------

class TToolBar;

enum TToolButtonStyle { tbsButton, tbsCheck, tbsDropDown, tbsSeparator, tbsDivider };

// A button of a tool bar: a graphic control whose place is the system button's (the bar sets
// its bounds), whose mouse messages go on to the bar's window (DefaultHandler) and whose Click
// comes from the bar's command. The system draws it. The bar shows DropdownMenu under the button
// when the arrow of a tbsDropDown button is pressed.
class TToolButton : public TGraphicControl {
    CLASS_INFO(TToolButton, TGraphicControl)
public:
    explicit TToolButton(TComponent* AOwner);
    ~TToolButton() override;

    TToolBar* ToolBar() const noexcept { return FToolBar; }
    // The position among the bar's buttons; -1 without a bar.
    int Index() const;
    TToolButtonStyle Style() const noexcept { return FStyle; }
    void SetStyle(TToolButtonStyle value);
    // Pressed (tbsCheck buttons stay pressed after a click; the bar keeps the state).
    bool Down() const;
    void SetDown(bool value);
    bool Marked() const noexcept { return FMarked; }
    void SetMarked(bool value);
    bool Indeterminate() const noexcept { return FIndeterminate; }
    void SetIndeterminate(bool value);
    int ImageIndex() const noexcept { return FImageIndex; }
    void SetImageIndex(int value);
    TPopupMenu* DropdownMenu() const noexcept { return FDropdownMenu; }
    void SetDropdownMenu(TPopupMenu* value) { FDropdownMenu = value; }
    // The system's command id of the button, unique on its bar.
    int CommandId() const noexcept { return FCommandId; }
    void DefaultHandler(TMessage& Message) override;

protected:
    friend class TToolBar;
    void Dispatch(TMessage& Message) override;

private:
    void Changed();

    TToolBar* FToolBar = nullptr;
    TToolButtonStyle FStyle = tbsButton;
    bool FDown = false;
    bool FMarked = false;
    bool FIndeterminate = false;
    int FImageIndex = -1;
    TPopupMenu* FDropdownMenu = nullptr;
    int FCommandId = 0;
};

enum TEdgeBorder { ebLeft, ebTop, ebRight, ebBottom };
using TEdgeBorders = TSet<TEdgeBorder>;
enum TEdgeStyle { esNone, esRaised, esLowered };
enum TTBCustomDrawFlag { tbNoEdges, tbHiliteHotTrack, tbNoOffset, tbNoMark, tbNoEtchedEffect };
using TTBCustomDrawFlags = TSet<TTBCustomDrawFlag>;

using TTBAdvancedCustomDrawEvent = TMethodEvent<void(TToolBar* Sender, const TRect& ARect,
                                                     TCustomDrawStage Stage, bool& DefaultDraw)>;
using TTBAdvancedCustomDrawBtnEvent =
    TMethodEvent<void(TToolBar* Sender, TToolButton* Button, TCustomDrawState State,
                      TCustomDrawStage Stage, TTBCustomDrawFlags& Flags, bool& DefaultDraw)>;

// A tool bar aligned to the top of its parent, showing its TToolButton children as the
// system's buttons in child order. The edges (EdgeBorders, EdgeInner, EdgeOuter) are the
// windowed control's bevels in the frame. The custom-draw events run during the system's
// painting with Canvas on its DC; answering DefaultDraw False leaves that part undrawn.
class TToolBar : public TWinControl {
    CLASS_INFO(TToolBar, TWinControl)
public:
    explicit TToolBar(TComponent* AOwner);
    ~TToolBar() override;

    int ButtonCount() const noexcept { return static_cast<int>(FButtons.size()); }
    TToolButton* Buttons(int Index) const;
    TCanvas* Canvas() const noexcept { return FCanvas.get(); }

    bool Flat() const noexcept { return FFlat; }
    void SetFlat(bool value);
    bool List() const noexcept { return FList; }
    void SetList(bool value);
    bool ShowCaptions() const noexcept { return FShowCaptions; }
    void SetShowCaptions(bool value);
    int ButtonWidth() const noexcept { return FButtonWidth; }
    void SetButtonWidth(int value);
    int ButtonHeight() const noexcept { return FButtonHeight; }
    void SetButtonHeight(int value);
    TCustomImageList* Images() const noexcept { return FImages.Get(); }
    void SetImages(TCustomImageList* value) { FImages.Set(value); }
    TCustomImageList* HotImages() const noexcept { return FHotImages.Get(); }
    void SetHotImages(TCustomImageList* value) { FHotImages.Set(value); }
    TEdgeBorders EdgeBorders() const noexcept { return FEdgeBorders; }
    void SetEdgeBorders(TEdgeBorders value);
    TEdgeStyle EdgeInner() const noexcept { return FEdgeInner; }
    void SetEdgeInner(TEdgeStyle value);
    TEdgeStyle EdgeOuter() const noexcept { return FEdgeOuter; }
    void SetEdgeOuter(TEdgeStyle value);

    TTBAdvancedCustomDrawEvent OnAdvancedCustomDraw;
    TTBAdvancedCustomDrawBtnEvent OnAdvancedCustomDrawButton;

protected:
    friend class TToolButton;
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void Dispatch(TMessage& Message) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    void InsertButton(TToolButton* Button);
    void RemoveButton(TToolButton* Button);
    TToolButton* ButtonByCommand(int id) const;
    void RebuildButtons();
    void AddSystemButton(TToolButton* Button);
    void UpdateButtonBounds();
    void UpdateButtonState(TToolButton* Button);
    void ImagesChanged(TObject* Sender);
    void EdgesChanged();
    void Restyle();
    void CNNotify(TMessage& Message);
    LRESULT DropDown(const NMTOOLBARW& notice);
    void EraseWithColor(HDC dc);
    LRESULT CustomDraw(NMTBCUSTOMDRAW& draw);
    void CNCommand(TMessage& Message);

    std::vector<TToolButton*> FButtons;
    std::unique_ptr<TCanvas, graphics_detail::TFreeObject> FCanvas;
    TImageListRef FImages;
    TImageListRef FHotImages;
    bool FFlat = false;
    bool FList = false;
    bool FShowCaptions = false;
    int FButtonWidth = 23;
    int FButtonHeight = 22;
    TEdgeBorders FEdgeBorders{ebTop};
    TEdgeStyle FEdgeInner = esRaised;
    TEdgeStyle FEdgeOuter = esLowered;
    int FNextCommandId = 1;
};

// ---- tab controls ------------------------------------------------------------------------------

enum TTabPosition { tpTop, tpBottom, tpLeft, tpRight };
enum TTabStyle { tsTabs, tsButtons, tsFlatButtons };
using TTabChangingEvent = TMethodEvent<void(TObject* Sender, bool& AllowChange)>;

// The system's tab control. Children align inside the area below the tabs (DisplayRect).
// Images shows an image list's images on the tabs.
class TCustomTabControl : public TWinControl {
    CLASS_INFO(TCustomTabControl, TWinControl)
public:
    explicit TCustomTabControl(TComponent* AOwner);
    ~TCustomTabControl() override;

    TCustomImageList* Images() const noexcept { return FImages.Get(); }
    void SetImages(TCustomImageList* value) { FImages.Set(value); }
    TTabPosition TabPosition() const noexcept { return FTabPosition; }
    void SetTabPosition(TTabPosition value);
    TTabStyle Style() const noexcept { return FStyle; }
    void SetStyle(TTabStyle value);
    bool MultiLine() const noexcept { return FMultiLine; }
    void SetMultiLine(bool value);
    // The selected tab, -1 for none.
    int TabIndex();
    void SetTabIndex(int value);
    // The area inside the tabs' frame, in client coordinates.
    TRect DisplayRect();

    TNotifyEvent OnChange;
    TTabChangingEvent OnChanging;

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void Dispatch(TMessage& Message) override;
    void AdjustClientRect(TRect& Rect) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    // The tab texts, images and data (TCM_INSERTITEM) for the window now.
    virtual void UpdateTabs() {}
    void InsertTab(int Index, const UnicodeString& Caption, int ImageIndex, LPARAM Data);
    virtual bool CanChange();
    virtual void Change();

private:
    void ImagesChanged(TObject* Sender);
    void CNNotify(TMessage& Message);

    TImageListRef FImages;
    TTabPosition FTabPosition = tpTop;
    TTabStyle FStyle = tsTabs;
    bool FMultiLine = false;
    int FTabIndex = -1; // kept while there is no window
};

// A tab control whose tabs are the lines of Tabs.
class TTabControl : public TCustomTabControl {
    CLASS_INFO(TTabControl, TCustomTabControl)
public:
    explicit TTabControl(TComponent* AOwner);
    ~TTabControl() override;
    TStrings* Tabs() const noexcept { return FTabs.get(); }
    void SetTabs(TStrings* value) { FTabs->Assign(value); }

protected:
    void UpdateTabs() override;

private:
    void TabsChanged(TObject* Sender);

    std::unique_ptr<TStringList, graphics_detail::TFreeObject> FTabs;
};

class TPageControl;

// A page of a page control: a container filling the page control's display area, shown while
// it is the active page. Its caption is its tab's text.
class TTabSheet : public TWinControl {
    CLASS_INFO(TTabSheet, TWinControl)
public:
    explicit TTabSheet(TComponent* AOwner);
    TPageControl* PageControl() const noexcept { return FPageControl; }
    void SetPageControl(TPageControl* value);
    // The position among the page control's pages; -1 without one.
    int PageIndex() const;
    int ImageIndex() const noexcept { return FImageIndex; }
    void SetImageIndex(int value);
    bool TabVisible() const noexcept { return FTabVisible; }
    void SetTabVisible(bool value);

protected:
    friend class TPageControl;
    void Dispatch(TMessage& Message) override;

private:
    void TabChanged();

    TPageControl* FPageControl = nullptr;
    int FImageIndex = -1;
    bool FTabVisible = true;
};

// A tab control whose tabs are its TTabSheet children (pages), one shown at a time.
class TPageControl : public TCustomTabControl {
    CLASS_INFO(TPageControl, TCustomTabControl)
public:
    using TCustomTabControl::TCustomTabControl;

    int PageCount() const noexcept { return static_cast<int>(FPages.size()); }
    TTabSheet* Pages(int Index) const;
    TTabSheet* ActivePage() const noexcept { return FActivePage; }
    void SetActivePage(TTabSheet* Page);
    int ActivePageIndex() const;
    void SetActivePageIndex(int value) { SetActivePage(value < 0 ? nullptr : Pages(value)); }

protected:
    friend class TTabSheet;
    void Dispatch(TMessage& Message) override;
    void UpdateTabs() override;
    void Change() override;

private:
    void InsertPage(TTabSheet* Page);
    void RemovePage(TTabSheet* Page);
    void ShowActivePage();

    std::vector<TTabSheet*> FPages;
    TTabSheet* FActivePage = nullptr;
};

// ---- list view ---------------------------------------------------------------------------------

class TListView;

// A column of a list view in report style.
class TListColumn : public TCollectionItem {
    CLASS_INFO(TListColumn, TCollectionItem)
public:
    explicit TListColumn(TCollection* Collection) : TCollectionItem(Collection) {}

    const UnicodeString& Caption() const noexcept { return FCaption; }
    void SetCaption(const UnicodeString& value);
    // The width the column was given; the window's present width is LVM_GETCOLUMNWIDTH's.
    int Width() const noexcept { return FWidth; }
    void SetWidth(int value);
    TAlignment Alignment() const noexcept { return FAlignment; }
    void SetAlignment(TAlignment value);
    // An image of the list view's SmallImages shown in the column's header; -1 for none.
    int ImageIndex() const noexcept { return FImageIndex; }
    void SetImageIndex(int value);

    void Assign(TPersistent* Source) override;
    UnicodeString DisplayName() const override { return FCaption; }

private:
    template <class T> void Change(T& field, const T& value);

    UnicodeString FCaption;
    int FWidth = 50;
    TAlignment FAlignment = taLeftJustify;
    int FImageIndex = -1;
};

class TListColumns : public TCollection {
    CLASS_INFO(TListColumns, TCollection)
public:
    explicit TListColumns(TListView* ListView);
    TListColumn* Add() { return static_cast<TListColumn*>(TCollection::Add()); }
    TListColumn* Items(int Index) const {
        return static_cast<TListColumn*>(TCollection::Items(Index));
    }

protected:
    void Update(TCollectionItem* Item) override;

private:
    TListView* FListView;
};

enum TViewStyle { vsIcon, vsSmallIcon, vsList, vsReport };

// The system's list view: its view style, its report columns and the small image list (which
// also gives the column headers their images). Color is the background of the list and of its
// texts, Font.Color the colour of the texts.
class TListView : public TWinControl {
    CLASS_INFO(TListView, TWinControl)
public:
    explicit TListView(TComponent* AOwner);
    ~TListView() override;

    TListColumns* Columns() const noexcept { return FColumns.get(); }
    TViewStyle ViewStyle() const noexcept { return FViewStyle; }
    void SetViewStyle(TViewStyle value);
    TCustomImageList* SmallImages() const noexcept { return FSmallImages.Get(); }
    void SetSmallImages(TCustomImageList* value) { FSmallImages.Set(value); }

protected:
    friend class TListColumns;
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void Dispatch(TMessage& Message) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    void UpdateColumns();
    void ApplyColors();
    void ImagesChanged(TObject* Sender);

    std::unique_ptr<TListColumns, graphics_detail::TFreeObject> FColumns;
    TViewStyle FViewStyle = vsIcon;
    TImageListRef FSmallImages;
};

// ---- tree view ---------------------------------------------------------------------------------

class TTreeView;
using TTVCustomDrawEvent =
    TMethodEvent<void(TTreeView* Sender, const TRect& ARect, bool& DefaultDraw)>;

// The system's tree view, with lines, buttons and root lines. Color is its background,
// Font.Color its text colour. OnCustomDraw runs before the system paints, with Canvas on its
// DC; answering DefaultDraw False leaves the painting to the handler.
class TTreeView : public TWinControl {
    CLASS_INFO(TTreeView, TWinControl)
public:
    explicit TTreeView(TComponent* AOwner);
    ~TTreeView() override;
    TCanvas* Canvas() const noexcept { return FCanvas.get(); }

    TTVCustomDrawEvent OnCustomDraw;

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void Dispatch(TMessage& Message) override;

private:
    void ApplyColors();
    LRESULT CustomDraw(NMTVCUSTOMDRAW& draw);

    std::unique_ptr<TCanvas, graphics_detail::TFreeObject> FCanvas;
};

// ---- up-down -----------------------------------------------------------------------------------

enum TUDOrientation { udVertical, udHorizontal };

// The system's up-down arrows, vertical or side by side.
class TUpDown : public TWinControl {
    CLASS_INFO(TUpDown, TWinControl)
public:
    explicit TUpDown(TComponent* AOwner);
    TUDOrientation Orientation() const noexcept { return FOrientation; }
    void SetOrientation(TUDOrientation value);

protected:
    void CreateParams(TCreateParams& Params) override;

private:
    TUDOrientation FOrientation = udVertical;
};
