// Menus of the visual class library. Declared here, in order: shortcuts (TShortCut and its
// text form), the menu events, EMenuError, TMenuItem (one entry, owning its sub-items), TMenu
// (a tree of items behind one HMENU), TMainMenu (a form's menu bar, mergeable by GroupIndex),
// TPopupMenu (shown with TrackPopupMenu through the popup-list window) and
// DispatchMenuMessage, through which a window hands its menu traffic to the items.
//
// Handles. Every item owns the HMENU of its sub-items (its `Handle`, a popup menu; the root
// item of a TMainMenu owns a menu bar instead). A handle is made when first asked for and from
// then on kept in step with every change: the entries of an HMENU are rebuilt at once when an
// item of it changes, so that an OnClick run from WM_INITMENUPOPUP may still fill the submenu
// that is about to open. Only visible items get an entry. An HMENU never destroys a submenu it
// does not own: entries are detached before a handle is destroyed. A window that shows a menu
// bar must give it back (SetMenu(wnd, 0), done by TMainMenu::SetWindowHandle(nullptr)) before
// the window is destroyed, as the system destroys a window's menu with it.
//
// Commands. Every item has a process-wide unique command id (1..0xEFFF). A registry maps ids
// and handles to live items; messages are answered by looking items up there, never by
// trusting a pointer carried in a message, so a message about an item freed meanwhile finds
// nothing. Item data of an owner-drawn entry is its command id.
//
// Popups. TPopupMenu::Popup tracks the menu with the popup-list window as owner and without
// TPM_RETURNCMD: the system posts the chosen WM_COMMAND to that window, so an item's OnClick
// runs from the message loop after Popup has returned. The popup-list window exists while any
// popup menu does, and passes WM_COMMAND, WM_MEASUREITEM, WM_DRAWITEM, WM_INITMENUPOPUP,
// WM_MENUSELECT and WM_MENUCHAR to DispatchMenuMessage.
//
// Owner-draw. An entry is drawn by the library when its menu has OwnerDraw, or the item has an
// image (its menu's Images with ImageIndex >= 0, or a Bitmap) or a measure or draw event. The
// item's OnMeasureItem and OnAdvancedDrawItem (else OnDrawItem) decide; without them the
// library measures and draws the entry itself in the system's menu font.
//
// Threads: menus belong to the GUI thread; only the command registry is shared (under a lock)
// so that ids stay unique.
#pragma once

#include "framework/Controls.h"
#include "framework/ImageList.h"

#include <memory>
#include <vector>

class TMenu;
class TMenuItem;

// ---- shortcuts ----------------------------------------------------------------------------------

// A virtual key in the low byte with the modifier flags below.
using TShortCut = Word;
constexpr TShortCut scNone = 0;
constexpr TShortCut scShift = 0x2000;
constexpr TShortCut scCtrl = 0x4000;
constexpr TShortCut scAlt = 0x8000;

TShortCut ShortCut(Word Key, TShiftState Shift);
void ShortCutToKey(TShortCut ShortCut, Word& Key, TShiftState& Shift);
// "Ctrl+S", "Shift+Ctrl+F5", "Alt+BkSp"; empty for scNone and for keys without a name.
UnicodeString ShortCutToText(TShortCut ShortCut);
// The reverse, modifiers in any order and case; scNone for text that names no shortcut.
TShortCut TextToShortCut(const UnicodeString& Text);

// The caption without its accelerator marks ("&&" stays a single "&").
UnicodeString StripHotkey(const UnicodeString& Text);
// The accelerator character of a caption (upper-cased), or 0.
wchar_t GetHotkey(const UnicodeString& Text);

// ---- events -------------------------------------------------------------------------------------

using TMenuMeasureItemEvent =
    TMethodEvent<void(TObject* Sender, TCanvas* ACanvas, int& Width, int& Height)>;
using TAdvancedMenuDrawItemEvent =
    TMethodEvent<void(TObject* Sender, TCanvas* ACanvas, TRect ARect, TOwnerDrawState State)>;
using TMenuDrawItemEvent =
    TMethodEvent<void(TObject* Sender, TCanvas* ACanvas, TRect ARect, bool Selected)>;
// Source: the item that changed (null for a change of the whole menu); Rebuild: the structure
// changed, not only an item's look.
using TMenuChangeEvent = TMethodEvent<void(TObject* Sender, TMenuItem* Source, bool Rebuild)>;
// WM_MENUSELECT: the item now highlighted, or null when the menu closes.
using TMenuSelectHandler = TMethodEvent<void(TMenuItem* Item)>;

class EMenuError : public Exception {
public:
    using Exception::Exception;
};

enum TMenuBreak { mbNone, mbBreak, mbBarBreak };
enum TFindItemKind { fkCommand, fkHandle, fkShortCut };
enum TPopupAlignment { paLeft, paRight, paCenter };

namespace menus_detail {
// Destroys an HMENU after detaching its entries, so that submenus owned elsewhere survive.
void DestroyMenuHandle(HMENU menu) noexcept;
using TOwnedMenu = TOwnedBy<HMENU, &DestroyMenuHandle>;
} // namespace menus_detail

// ---- TMenuItem ----------------------------------------------------------------------------------

class TMenuItem : public TComponent {
    CLASS_INFO(TMenuItem, TComponent)
public:
    // Raises EMenuError when no command id is left.
    explicit TMenuItem(TComponent* AOwner);
    ~TMenuItem() override;
    // Leaves the parent and the registry, then frees the sub-items still held.
    void BeforeDestruction() override;

    // "-" makes a separator; "&" marks the accelerator.
    const UnicodeString& Caption() const noexcept { return FCaption; }
    void SetCaption(const UnicodeString& value);
    bool IsLine() const { return FCaption == L"-"; }
    TShortCut ShortCut() const noexcept { return FShortCut; }
    void SetShortCut(TShortCut value);
    bool Checked() const noexcept { return FChecked; }
    // Checking a radio item unchecks the radio items of its GroupIndex among its siblings.
    void SetChecked(bool value);
    bool RadioItem() const noexcept { return FRadioItem; }
    void SetRadioItem(bool value);
    bool Default() const noexcept { return FDefault; }
    void SetDefault(bool value);
    bool Enabled() const noexcept { return FEnabled; }
    void SetEnabled(bool value);
    bool Visible() const noexcept { return FVisible; }
    void SetVisible(bool value);
    TMenuBreak Break() const noexcept { return FBreak; }
    void SetBreak(TMenuBreak value);
    Byte GroupIndex() const noexcept { return FGroupIndex; }
    void SetGroupIndex(Byte value);
    int ImageIndex() const noexcept { return FImageIndex; }
    void SetImageIndex(int value);
    // Made empty when first asked for; changes of the picture redraw the item. Setting null
    // empties it.
    TBitmap* Bitmap();
    void SetBitmap(TBitmap* value);
    bool HasBitmap() const;
    const UnicodeString& Hint() const noexcept { return FHint; }
    void SetHint(const UnicodeString& value) { FHint = value; }

    // The tree. Add and Insert raise EMenuError for an item that has a parent already and for
    // an item that would contain itself; Items raises EMenuError outside 0..Count-1. Delete and
    // Remove take an item out without freeing it; Clear frees every sub-item.
    int Count() const noexcept { return static_cast<int>(FItems.size()); }
    TMenuItem* Items(int Index) const;
    void Add(TMenuItem* Item);
    void Insert(int Index, TMenuItem* Item);
    void Delete(int Index);
    void Remove(TMenuItem* Item);
    void Clear();
    int IndexOf(const TMenuItem* Item) const;
    TMenuItem* Parent() const noexcept { return FParent; }
    int MenuIndex() const;
    void SetMenuIndex(int value);
    // The direct sub-item whose caption equals `ACaption`, accelerators and case ignored.
    TMenuItem* Find(const UnicodeString& ACaption) const;
    // The menu whose tree this item is in, or null.
    TMenu* GetParentMenu() const;

    Word Command() const noexcept { return FCommand; }
    // The popup HMENU of the sub-items (a menu bar for a main menu's root item).
    HMENU Handle();
    bool HandleAllocated() const noexcept { return static_cast<bool>(FHandle); }
    // The items of Handle, in its order (the visible ones, merged ones included); empty while
    // no handle exists.
    const std::vector<TMenuItem*>& Entries() const noexcept { return FEntries; }

    // Fires OnClick when enabled; also the pre-popup call a submenu item gets before it opens.
    virtual void Click();
    // The owner-draw entry points: events when assigned, else the library's own look.
    virtual void MeasureItem(TCanvas* ACanvas, int& Width, int& Height);
    virtual void AdvancedDrawItem(TCanvas* ACanvas, const TRect& ARect, TOwnerDrawState State);
    bool IsOwnerDraw() const;
    // Tells the menu and the handles that this item changed (Rebuild: its sub-items did).
    void MenuChanged(bool Rebuild);

    TNotifyEvent OnClick;
    TMenuMeasureItemEvent OnMeasureItem;
    TAdvancedMenuDrawItemEvent OnAdvancedDrawItem;
    TMenuDrawItemEvent OnDrawItem;

private:
    friend class TMenu;
    friend class TMainMenu;

    void ValidateInsert(const TMenuItem* Item) const;
    void TurnSiblingsOff();
    void BitmapChanged(TObject* Sender);
    HMENU CreateHandle() const;
    // Rebuilds the entries of Handle when it exists.
    void RebuildEntries();
    void RebuildTree();
    std::vector<TMenuItem*> EntriesToBuild() const;
    void InsertEntry(int Position, TMenuItem* Item);

    TMenu* FMenu = nullptr; // set on a menu's root item only
    TMenuItem* FParent = nullptr;
    std::vector<TMenuItem*> FItems;
    std::vector<TMenuItem*> FEntries;
    menus_detail::TOwnedMenu FHandle;
    Word FCommand = 0;
    UnicodeString FCaption;
    UnicodeString FHint;
    TShortCut FShortCut = scNone;
    bool FChecked = false;
    bool FRadioItem = false;
    bool FDefault = false;
    bool FEnabled = true;
    bool FVisible = true;
    TMenuBreak FBreak = mbNone;
    Byte FGroupIndex = 0;
    int FImageIndex = -1;
    std::unique_ptr<TBitmap, graphics_detail::TFreeObject> FBitmap;
};

// ---- TMenu --------------------------------------------------------------------------------------

class TMenu : public TComponent {
    CLASS_INFO(TMenu, TComponent)
public:
    explicit TMenu(TComponent* AOwner);
    ~TMenu() override;
    void BeforeDestruction() override;

    TMenuItem* Items() const noexcept { return FItems; }
    HMENU Handle() { return FItems->Handle(); }
    TCustomImageList* Images() const noexcept { return FImages; }
    void SetImages(TCustomImageList* value);
    bool OwnerDraw() const noexcept { return FOwnerDraw; }
    void SetOwnerDraw(bool value);

    // Searches the whole tree; null when no item matches. fkHandle compares an item's HMENU.
    TMenuItem* FindItem(UINT_PTR Value, TFindItemKind Kind) const;
    // The item of this menu with that command is clicked; false when it has none.
    bool DispatchCommand(Word ACommand);
    // The item of this menu whose submenu is `AHandle` gets its pre-popup Click.
    bool DispatchPopup(HMENU AHandle);
    // WM_KEYDOWN / WM_SYSKEYDOWN: an item with the key's shortcut is clicked (after the
    // pre-popup clicks of the submenus above it) when it is enabled then; true when one was.
    virtual bool IsShortCut(const TMessage& Message);

    // Fires OnChange; a main menu also redraws its window's menu bar.
    virtual void MenuChanged(TObject* Sender, TMenuItem* Source, bool Rebuild);

    TMenuChangeEvent OnChange;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;
    // The kind of handle the root item owns: a popup menu unless a menu bar.
    virtual bool IsMenuBar() const { return false; }
    // The root's entries: its visible items, or for a merged main menu the merged list.
    virtual std::vector<TMenuItem*> RootEntries() const;
    void RebuildAll();

private:
    friend class TMenuItem;
    void ImageListChange(TObject* Sender);

    TMenuItem* FItems;
    TCustomImageList* FImages = nullptr;
    std::unique_ptr<TChangeLink, graphics_detail::TFreeObject> FImageChangeLink;
    bool FOwnerDraw = false;
};

// ---- TMainMenu ----------------------------------------------------------------------------------

class TMainMenu : public TMenu {
    CLASS_INFO(TMainMenu, TMenu)
public:
    using TMenu::TMenu;
    void BeforeDestruction() override;

    // The window whose menu bar this is. Setting one attaches the bar (SetMenu); setting
    // another or null first takes the bar back from the window that shows it.
    HWND WindowHandle() const noexcept { return FWindowHandle; }
    void SetWindowHandle(HWND value);

    // MDI: the top-level items of `Menu` take the place of this menu's items of the same
    // GroupIndex and go between the others in GroupIndex order; one menu at a time is merged
    // (merging another replaces it), Unmerge(Menu) gives the own items back.
    void Merge(TMainMenu* Menu);
    void Unmerge(TMainMenu* Menu);
    TMainMenu* Merged() const noexcept { return FMerged; }

    bool IsShortCut(const TMessage& Message) override;
    void MenuChanged(TObject* Sender, TMenuItem* Source, bool Rebuild) override;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;
    bool IsMenuBar() const override { return true; }
    std::vector<TMenuItem*> RootEntries() const override;

private:
    void SetMergedInto(TMainMenu* Menu);

    HWND FWindowHandle = nullptr;
    TMainMenu* FMerged = nullptr;     // the menu merged into this one
    TMainMenu* FMergedInto = nullptr; // the menu this one is merged into
};

// ---- TPopupMenu ---------------------------------------------------------------------------------

class TPopupMenu : public TMenu {
    CLASS_INFO(TPopupMenu, TMenu)
public:
    explicit TPopupMenu(TComponent* AOwner);
    void BeforeDestruction() override;

    // Fires OnPopup, then shows the menu at the screen point until the user closes it. The
    // chosen item's OnClick runs later, from the message loop. Raises EOSError when the system
    // refuses (TrackPopupMenuEx).
    virtual void Popup(int X, int Y);
    // The component the menu was last shown for (controls set it before Popup).
    TComponent* PopupComponent() const noexcept { return FPopupComponent; }
    void SetPopupComponent(TComponent* value);
    // Whether a control shows this menu on its own at a right click.
    bool AutoPopup = true;
    // Which side of the menu lies at X.
    TPopupAlignment Alignment = paLeft;

    TNotifyEvent OnPopup;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;
    virtual void DoPopup(TObject* Sender);

private:
    TComponent* FPopupComponent = nullptr;
};

// The hidden window that owns every popup menu while one exists; null when none does.
HWND PopupListWindow() noexcept;

// ---- message routing ----------------------------------------------------------------------------

// A window's menu traffic: WM_COMMAND from a menu (HIWORD(WParam) 0, LParam 0) by command id,
// WM_MEASUREITEM and WM_DRAWITEM of ODT_MENU entries, WM_INITMENUPOPUP (the submenu item's
// pre-popup Click), WM_MENUSELECT (the select handler below) and WM_MENUCHAR (the accelerators
// of owner-drawn entries). Answers true with Result set when a menu item took the message;
// false leaves the message to the caller's default handling.
bool DispatchMenuMessage(TMessage& Message);
// Who is told which item WM_MENUSELECT highlights (the application's hint); answers the
// handler that was installed before.
TMenuSelectHandler SetMenuSelectHandler(const TMenuSelectHandler& Handler);

namespace menus_detail {
// The registry of live items: by command id and by the HMENU an item owns. GUI thread for the
// lookups; the lock inside keeps ids unique across threads.
Word AllocateCommand(TMenuItem* Item);
void ReleaseCommand(Word Command) noexcept;
TMenuItem* ItemOfCommand(UINT_PTR Command) noexcept;
void RegisterHandle(HMENU Menu, TMenuItem* Item);
void UnregisterHandle(HMENU Menu) noexcept;
TMenuItem* ItemOfHandle(HMENU Menu) noexcept;

// Default owner-draw look.
void MeasureDefault(TMenuItem* Item, TCanvas* ACanvas, int& Width, int& Height);
void DrawDefault(TMenuItem* Item, TCanvas* ACanvas, const TRect& ARect, TOwnerDrawState State);
// The canvas font becomes the system's menu font.
void SelectMenuFont(TCanvas* ACanvas);
// The popup list: popups register while they exist; the window lives while the list is not
// empty.
void AddPopup(TPopupMenu* Menu);
void RemovePopup(TPopupMenu* Menu) noexcept;
} // namespace menus_detail
