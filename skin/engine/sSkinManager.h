// The skin manager: the component that owns the active skin of the application.
//
// It chooses the source of the skin named by SkinName (a packed archive or a skin folder under
// SkinDirectory, or one of its internal skins), reads it into the skin model (sMaskData.h) and
// answers every query about it: sections, images, patterns, colours, SkinInfo. The first
// manager made becomes DefaultSkinManager, which skinned controls use when they name none.
//
// Properties are set in streaming order by the form that holds the manager: ExtendedBorders,
// SkinnedPopups, AllowGlowing, AnimEffects, IsDefault, Active, CommonSections, Saturation,
// HueOffset, InternalSkins, MenuSupport, SkinDirectory, SkinName, SkinInfo, SkinningRules,
// ThirdParty. While the form loads, setting SkinName reads the skin at once; applying it to
// the windows waits for Loaded.
//
// A failed load (a damaged archive, a strict value that is no number, a zlib error, an archive
// without Options.dat) leaves the manager as it was before: the previous skin and its name are
// kept (or no skin), SkinLoading is reset, and the error reaches the caller.
#pragma once

#include "framework/Components.h"
#include "framework/Forms.h"
#include "framework/Graphics.h"
#include "framework/IniFiles.h"
#include "framework/StringLists.h"
#include "skin/engine/acSkinPack.h"
#include "skin/engine/sConst.h"
#include "skin/engine/sMaskData.h"
#include "skin/engine/sSkinMenus.h"
#include "skin/engine/sStoredSkin.h"
#include "skin/engine/sThirdParty.h"

#include <array>
#include <functional>
#include <memory>
#include <vector>

enum TacSkinTypes { stUnpacked, stPacked, stAllSkins };

class TsCommonData;

// The sizes that place a form inside the layered window of its extended borders: the extended
// border and the shadow around the form's own window, and the title heights that differ between
// the form's own caption and the extended title.
struct TacExtBorderGeometry {
    int ExtBorderWidth = 0;
    TRect ShadowSize;          // left, top, right and bottom widths
    int WindowBorderWidth = 0; // the form window's own border
    int CaptionHeight = 0;     // the form window's own caption
    int ExtTitleHeight = 0;    // the extended title now
    int NormalExtTitleHeight = 0;
    int MaxExtTitleHeight = 0;
    // The extended title is as high as the system's caption.
    bool SystemExtTitle = false;
};

// What the skin engine asks of a form's provider (the form provider of window skinning is one):
// a form that has a provider answers skin command 4 with a pointer to this interface.
class TacFormProviderLink {
public:
    // The provider's skin link, which names the provider's manager.
    virtual TsCommonData* ProviderSkinData() const = 0;
    // The form is being redrawn behind a redraw lock.
    virtual void SetFormAnimating(bool Value) = 0;
    // The provider paints the form's non-client area.
    virtual bool DrawsNonClientArea() const = 0;
    // Rebuilds the window region and sets it again with a repaint.
    virtual void RefreshFormRegion() = 0;
    // A new region of the form's window shape for the caller to own; null when it has none.
    virtual HRGN MakeFormRegion() = 0;
    // The window that draws the form's extended borders and shadow; null when there is none.
    virtual HWND ExtendedBorderWindow() const = 0;
    virtual TacExtBorderGeometry ExtendedBorderGeometry() const = 0;
    // Gives the extended-border window its region.
    virtual void RefreshExtendedBorderRegion() = 0;
    // Moves the extended-border window to the form and repaints it with Alpha.
    virtual void UpdateExtendedBorders(Byte Alpha) = 0;
    // Paints the non-client area into the provider's cache; answers the cache's size.
    virtual TSize PrepareNonClientCache() = 0;
    // Where the form's client area starts in that cache.
    virtual TPoint ClientOffset() const = 0;

protected:
    ~TacFormProviderLink() = default;
};

// The INI text of a skin being read, from a file or an unpacked archive.
class TsSkinIni : public TMemIniFile {
    CLASS_INFO(TsSkinIni, TMemIniFile)
public:
    // Reads the text with byte-order-mark detection (UTF-8, UTF-16), else as ANSI text.
    void LoadFromStream(TStream* Stream);
    void LoadFromFile(const UnicodeString& FileName);
    // Integer value: decimal, "$" or "0x" hexadecimal; Default when missing or no integer.
    Integer ReadInteger(const UnicodeString& Section, const UnicodeString& Key,
                        Integer Default) const;
    void UpdateFile() override {}
};

class TsSkinManager : public TComponent {
    CLASS_INFO(TsSkinManager, TComponent)
public:
    explicit TsSkinManager(TComponent* AOwner);
    ~TsSkinManager() override;
    void AfterConstruction() override;
    void BeforeDestruction() override;

    // ---- published properties, in streaming order ---------------------------------------
    bool ReadExtendedBorders() const;
    void WriteExtendedBorders(bool Value);
    bool SkinnedPopups() const noexcept { return FSkinnedPopups; }
    void WriteSkinnedPopups(bool Value);
    bool ReadAllowGlowing() const;
    void SetAllowGlowing(bool Value) noexcept { FAllowGlowing = Value; }
    TacAnimEffects* AnimEffects() const noexcept { return FAnimEffects; }
    bool ReadIsDefault() const noexcept { return DefaultSkinManagerIs(this); }
    void WriteIsDefault(bool Value);
    // The manager is switched on (it applies SkinName when it names a skin).
    bool Active() const noexcept { return FActive; }
    void WriteActive(bool Value);
    TStrings* CommonSections() const noexcept { return FCommonSections; }
    void SetCommonSections(const TStrings* Value);
    Integer Saturation() const noexcept { return FSaturation; }
    Integer HueOffset() const noexcept { return FHueOffset; }
    TsStoredSkins* InternalSkins() const noexcept { return FBuiltInSkins; }
    TacMenuSupport* MenuSupport() const noexcept { return FMenuSupport; }
    const UnicodeString& SkinDirectory() const noexcept { return FSkinDirectory; }
    void WriteSkinDirectory(const UnicodeString& Value);
    const UnicodeString& SkinName() const noexcept { return FSkinName; }
    // The load entry: reads the named skin and applies it (see the header comment on failure).
    void WriteSkinName(const UnicodeString& Value);
    // The skin's VERSION as text with "."; "N/A" without an active skin.
    UnicodeString ReadSkinInfo() const;
    TacSkinningRules SkinningRules() const noexcept { return FSkinningRules; }
    void WriteSkinningRules(TacSkinningRules Value);
    ThirdPartyList* ThirdParty() const noexcept { return FThirdParty; }
    // The library version, whatever skin is loaded.
    UnicodeString ReadVersion() const { return L"6.48"; }
    TNotifyEvent OnAfterChange;
    TNotifyEvent OnBeforeChange;
    // Asked by the skinned popup menus for the extra line of a popup.
    TacGetExtraLineData OnGetMenuExtraLineData;

    // ---- public ---------------------------------------------------------------------------
    Integer GroupIndex = 0;
    TsSkinableMenus* SkinableMenus() const noexcept { return FSkinableMenus; }
    HWND ActiveControl() const noexcept { return FActiveControl; }
    // Moves the hot state: command 30 to the previous window, 29 to the new one.
    void WriteActiveControl(HWND Wnd);

    // The skin data is loaded and applied.
    bool SkinActive() const noexcept { return SkinData.Active; }
    // The button events that fade when a control defers to the manager.
    TacBtnEvents ButtonEvents() const noexcept { return FAnimEffects->Buttons()->Events; }
    // Section values of the fade.
    bool FadingEnabled(int SkinIndex) const noexcept;
    int FadingIterations(int SkinIndex) const noexcept;
    // GetGlobalFontColor under the name the controls use.
    TColor GlobalFontColor() const { return GetGlobalFontColor(); }

    // Applies the loaded skin: command 1 to every form and control (then a repaint when
    // Repaint); nothing while the component loads.
    void SendNewSkin(bool Repaint);
    // Removes the skin: command 2 to every form and control, then the tables are freed.
    void SendRemoveSkin();
    // Repaints every form and control with the current skin behind a redraw lock (commands 16
    // and 3).
    void RepaintForms();
    void UpdateSkin() {
        if (FActive) SendNewSkin(true);
    }
    // Command 13 to every control: those of section SectionName repaint.
    void UpdateSkinSection(const UnicodeString& SectionName);
    // The main-window hook of the default manager: True when the message was handled.
    bool HandleMainWindowMessage(TMessage& Message);
    // The auto-skinning hook of the default manager: one WH_CBT hook of the GUI thread, with the
    // list of what it makes for the windows it skins (HookProviders); removing it empties the
    // popup-menu handler list and frees every provider.
    void InstallHook();
    void UnInstallHook();

    // Colour queries.
    TColor GetGlobalColor() const;
    TColor GetGlobalFontColor() const;
    TColor GetActiveEditColor() const;
    TColor GetActiveEditFontColor() const;
    TColor GetHighLightColor() const;
    TColor GetHighLightFontColor() const;
    // Clears List and adds every section name in table order when a skin is active.
    void GetSkinSections(TStrings* List) const;

    // ---- sources ----------------------------------------------------------------------------
    UnicodeString GetFullSkinDirectory() const;
    void ReloadSkin();
    void ReloadPackedSkin();
    UnicodeString GetSkinNames(TStrings* List, TacSkinTypes SkinType = stAllSkins) const;
    UnicodeString GetExternalSkinNames(TStrings* List, TacSkinTypes SkinType = stAllSkins) const;
    UnicodeString GetRandomSkin() const;
    void ExtractInternalSkin(const UnicodeString& NameOfSkin, const UnicodeString& DestDir);
    void ExtractByIndex(int Index, const UnicodeString& DestDir);

    // ---- the skin model ---------------------------------------------------------------------
    void LoadAllGeneralData();
    void LoadSkinImages();
    void LoadSkinPatterns();
    void FreeSkinImages();
    void FreeSkinPatterns();
    void CheckVersion();
    void CheckShadows();
    void TakeStartUpShadows();
    // Writes the sections of old-style internal skin Index into Ini as the INI keys of a skin.
    void SaveToIni(int Index, TMemIniFile* Ini) const;

    // ---- look-ups ---------------------------------------------------------------------------
    // Exact (case-sensitive) section look-up; -1 when none.
    int GetSkinIndex(const UnicodeString& Section) const;
    // The image of Section with property Key, asked of the parents when the section has none.
    int GetMaskIndex(int SkinIndex, const UnicodeString& Section, const UnicodeString& Key) const;
    // The same without parents.
    int GetMaskIndex(const UnicodeString& Section, const UnicodeString& Key) const;
    int GetTextureIndex(int SkinIndex, const UnicodeString& Section,
                        const UnicodeString& Key) const;
    int GetPatternIndex(int SkinIndex, const UnicodeString& Section,
                        const UnicodeString& Key) const;
    bool IsValidSkinIndex(int Index) const noexcept;
    bool IsValidImgIndex(int Index) const noexcept;
    TSize MaskSize(int MaskIndex) const;
    // A side's border width; MaskWidthLeft first makes an ImageCount of 0 a 1 in the table.
    int MaskWidthLeft(int MaskIndex);
    int MaskWidthRight(int MaskIndex) const;
    int MaskWidthTop(int MaskIndex) const;
    int MaskWidthBottom(int MaskIndex) const;
    void InitConstantIndexes();
    void InitMaskIndexes();

    // The model (public as the painting code reads it directly).
    TsSkinData SkinData;
    TsMaskArray ma;
    TsPatternArray pa;
    TsGeneralDataArray gd;
    TConstantSkinData ConstData;
    TSkinBitmapPtr MasterBitmap;
    bool SkinIsPacked = false;
    TSkinBitmapPtr ShdaTemplate;
    TSkinBitmapPtr ShdiTemplate;
    TRect FormShadowSize;
    std::array<TStringList*, ThirdKindCount> ThirdLists{};

    void UpdateThirdLists();
    void StoreThirdLists();

protected:
    void Loaded() override;

private:
    struct TSavedSkin;
    static void RegisterPublishedProperties();
    static bool DefaultSkinManagerIs(const TsSkinManager* Manager) noexcept;
    void LoadNamedSkin();
    void UnhookMainWindow();
    bool PackedSkinExists() const;
    const TsGeneralData* SectionData(const UnicodeString& Name) const;
    std::unique_ptr<TStream, TFreeSkinObject> OpenSkinFile(const UnicodeString& Name) const;
    // The old-style internal skin named SkinName exactly; null when none.
    TsStoredSkin* OldStyleSkin() const;
    void LoadStoredImages(TsStoredSkin* Stored);
    void LoadStoredPatterns(TsStoredSkin* Stored);
    void LoadStoredGeneralData(TsStoredSkin* Stored);
    void AddImage(const UnicodeString& Section, const UnicodeString& Key,
                  const UnicodeString& Value);
    void MergeCommonSections();
    void MergeCommonImages();
    void MergeCommonPatterns();
    bool ReadIniBoolInherited(const UnicodeString& Section, const UnicodeString& Key) const;
    Integer ReadIniIntInherited(const UnicodeString& Section, const UnicodeString& Key,
                                Integer Default) const;
    UnicodeString ReadIniStrInherited(const UnicodeString& Section, const UnicodeString& Key,
                                      const UnicodeString& Default) const;

    UnicodeString FSkinName;
    UnicodeString FSkinDirectory;
    bool FActive = true;
    TsStoredSkins* FBuiltInSkins = nullptr;
    TsSkinableMenus* FSkinableMenus = nullptr;
    bool FSkinnedPopups = true;
    TStringList* FCommonSections = nullptr;
    bool FIsDefault = false;
    TacMenuSupport* FMenuSupport = nullptr;
    TacAnimEffects* FAnimEffects = nullptr;
    HWND FActiveControl = nullptr;
    TacSkinningRules FSkinningRules{srStdForms, srStdDialogs, srThirdParty};
    ThirdPartyList* FThirdParty = nullptr;
    bool FAllowGlowing = true;
    bool FExtendedBorders = false;
    // HandleMainWindowMessage is hooked into the application window.
    bool FMainWindowHooked = false;
    // This manager installed the auto-skinning hook.
    bool GlobalHookInstalled = false;
    Integer FHueOffset = 0;
    Integer FSaturation = 0;
};

// The skin directory resolved against the program folder App (with its trailing separator):
// "..\x" is x beside App's folder (App itself when App is a drive's root), ".\x" and a plain
// relative x are inside App, paths with a drive or a leading "\\" stay as they are.
UnicodeString ResolveSkinDirectory(const UnicodeString& Directory, const UnicodeString& App);

// The manager every control uses that names none of its own; null while none exists.
extern TsSkinManager* DefaultSkinManager;
// A form fade-in or skin-change animation runs; controls then paint only into AnimationDC.
extern bool FormAnimating;
extern HDC AnimationDC;
// A skin is being loaded.
extern bool SkinLoading;
// A skin is being removed.
extern bool SkinRemoving;
// The INI text of the skin being read and the unpacked archive being read; null outside a load.
extern TsSkinIni* SkinIni;
extern TacSkinConvertor* SkinConvertor;

// The upper-cased section last given to UpdateSkinSection.
extern UnicodeString UpdatedSectionName;

// ---- the auto-skinning hook's providers ---------------------------------------------------

// What the auto-skinning hook makes for a window it skins (window skinning makes them): a form's
// provider or a system dialog's handler. The engine reaches dialogs through it.
class TacHookProvider {
public:
    virtual ~TacHookProvider() = default;
    // The window of its dialog handler; null for a form's provider or when the dialog is gone.
    virtual HWND DialogWindow() const = 0;
};
// The auto-skinning hook's procedure and the emptying of its popup-menu handler list. Window
// skinning, a library above the engine, gives them when its module starts; while Procedure is
// null InstallHook keeps the provider list but puts no hook into the system.
struct TAutoSkinHook {
    HOOKPROC Procedure = nullptr;
    void (*ClearMenus)() = nullptr;
};
extern TAutoSkinHook AutoSkinHook;
// The installed hook, passed on to CallNextHookEx; null while none is installed.
extern HHOOK CBTHookHandle;

// The hook's providers, owned by the list: the default manager's hook makes the list, and
// removing the hook frees every provider and the list. A provider freed on its own empties its
// slot (RemoveHookProvider), so slots may be null. Null while no hook is installed.
extern std::unique_ptr<std::vector<TacHookProvider*>> HookProviders;
// Appends Provider to the list (which takes it); a provider given while no list exists is freed.
void AddHookProvider(TacHookProvider* Provider);
// Empties Provider's slot without freeing it.
void RemoveHookProvider(TacHookProvider* Provider);
// Action on the window of every dialog handler of the list whose window is visible; Action may
// close dialogs (and so empty slots) or add providers.
void ForEachShownDialog(const std::function<void(HWND)>& Action);

// ---- the skinned-form list, the redraw lock and the broadcasts -----------------------------

// The forms that carry a form provider; the order means nothing.
extern std::vector<TCustomForm*> SkinnedForms;
void AddSkinnedForm(TCustomForm* Form);
// Every slot of Form takes the last form; the list then shrinks.
void RemoveSkinnedForm(TCustomForm* Form);
// Stops the redrawing of the visible, top-level skinned forms of Manager (FormAnimating is set
// for the default manager when skin changes animate); nothing while the program is minimised.
void LockFormsRedraw(TsSkinManager* Manager);
// Lets them redraw again and redraws them (with Animate; else only the redraw switch).
void UnlockFormsRedraw(TsSkinManager* Manager, bool Animate);
// The message to every form of the application (not MDI children, nor forms skinned by other
// means), their children and MDI client windows, then to the skinned forms. A form freed or
// being destroyed meanwhile is skipped.
void BroadcastToForms(TMessage& Message);
// The message to the skinned forms (their children and MDI client windows), then to the visible
// windows of the hook's dialog handlers.
void BroadcastToSkinnedForms(TMessage& Message);
