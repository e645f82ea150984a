// The skin manager as a component: the default manager, switching on and off, the form that
// carries an internal skin, colour queries, the option objects.
#include "PNGTestImages.h"
#include "PixelTesting.h"
#include "SkinEngineTesting.h"

#include "framework/Forms.h"
#include "framework/Streams.h"
#include "framework/TypInfo.h"
#include "skin/engine/sSkinLibrary.h"

#include <vector>

namespace {

using SkinManagerComponent = SkinManagerTest;

TEST_F(SkinManagerComponent, TheFirstManagerIsTheDefaultAndStaysSo) {
    EXPECT_EQ(DefaultSkinManager, Manager);
    EXPECT_TRUE(Manager->ReadIsDefault());
    auto* second = Construct<TsSkinManager>(nullptr);
    EXPECT_FALSE(second->ReadIsDefault());
    second->WriteIsDefault(false);
    EXPECT_FALSE(second->ReadIsDefault());
    Manager->WriteIsDefault(false); // a default cannot be made non-default this way
    EXPECT_TRUE(Manager->ReadIsDefault());
    second->WriteIsDefault(true);
    EXPECT_EQ(DefaultSkinManager, second);
    second->Free();
    EXPECT_EQ(DefaultSkinManager, nullptr); // no other manager is promoted
    Manager->WriteIsDefault(true);
    EXPECT_EQ(DefaultSkinManager, Manager);
    Manager->Free();
    Manager = nullptr;
    EXPECT_EQ(DefaultSkinManager, nullptr);
}

TEST_F(SkinManagerComponent, DefaultsOfANewManager) {
    EXPECT_EQ(Manager->SkinDirectory(), L"c:\\Skins");
    EXPECT_TRUE(Manager->Active());
    EXPECT_FALSE(Manager->SkinActive());
    EXPECT_TRUE(Manager->SkinnedPopups());
    EXPECT_FALSE(Manager->ReadExtendedBorders());
    EXPECT_EQ(Manager->SkinningRules(), (TacSkinningRules{srStdForms, srStdDialogs, srThirdParty}));
    EXPECT_EQ(Manager->ReadSkinInfo(), L"N/A");
    EXPECT_EQ(Manager->ReadVersion(), L"6.48");
    TacAnimEffects* effects = Manager->AnimEffects();
    EXPECT_EQ(effects->Manager, Manager);
    EXPECT_EQ(effects->Buttons()->Manager, Manager);
    EXPECT_EQ(effects->SkinChanging()->Time, 100);
    EXPECT_EQ(effects->FormShow()->Time, 0);
    EXPECT_EQ(effects->DialogShow()->Time, 0);
    EXPECT_TRUE(effects->PageChange()->Active);
    EXPECT_EQ(Manager->ButtonEvents(),
              (TacBtnEvents{beMouseEnter, beMouseLeave, beMouseDown, beMouseUp}));
    // The class lists: defaults, one blank for the three kinds nobody uses.
    EXPECT_EQ(Manager->ThirdLists[ikEdit]->IndexOf(L"TMemo"), 1);
    EXPECT_EQ(Manager->ThirdLists[ikButton]->Text(), L"TButton\r\n");
    EXPECT_EQ(Manager->ThirdLists[ikwwEdit]->Count(), 1);
    EXPECT_EQ(Manager->ThirdLists[ikwwEdit]->IndexOf(L"TEdit"), -1);
    EXPECT_EQ(Manager->ThirdParty()->ReadByIndex(ikVirtualTree), L" ");
    EXPECT_STREQ(ThirdKindCaption(ikGridEh), L"GridEh");
}

TEST_F(SkinManagerComponent, PublishedPropertiesByName) {
    SetStrProp(Manager, L"SkinDirectory", FolderSkins());
    SetStrProp(Manager, L"SkinName", L"TestFlat"); // the load entry
    EXPECT_TRUE(Manager->SkinActive());
    EXPECT_EQ(GetStrProp(Manager, L"SkinInfo"), L"7");
    SetStrProp(Manager, L"SkinInfo", L"5.4"); // ignored
    SetStrProp(Manager, L"Version", L"1.0");
    EXPECT_EQ(GetStrProp(Manager, L"SkinInfo"), L"7");
    EXPECT_EQ(GetStrProp(Manager, L"Version"), L"6.48");
    EXPECT_EQ(GetSetProp(Manager, L"SkinningRules"), L"srStdForms,srStdDialogs,srThirdParty");
    SetSetProp(Manager, L"SkinningRules", L"srStdForms");
    EXPECT_EQ(Manager->SkinningRules(), TacSkinningRules{srStdForms});
    EXPECT_EQ(GetObjectProp(Manager, L"InternalSkins"), Manager->InternalSkins());
    EXPECT_EQ(GetOrdProp(Manager, L"IsDefault"), 1);
    SetOrdProp(Manager, L"Active", 0);
    EXPECT_FALSE(Manager->SkinActive());
}

TEST_F(SkinManagerComponent, SwitchingOffFreesTheTablesAndOnReloads) {
    std::vector<UnicodeString> log;
    struct TProbe : TObject {
        std::vector<UnicodeString>* Log;
        TsSkinManager* M;
        void Before(TObject*) {
            Log->push_back(L"before " + M->SkinName() + (SkinLoading ? L" loading" : L""));
        }
        void After(TObject*) {
            Log->push_back(L"after " + M->SkinName() + (SkinLoading ? L" loading" : L""));
        }
    } probe;
    probe.Log = &log;
    probe.M = Manager;
    Manager->OnBeforeChange = TNotifyEvent(&probe, &TProbe::Before);
    Manager->OnAfterChange = TNotifyEvent(&probe, &TProbe::After);
    Load(FolderSkins(), L"TestFlat");
    EXPECT_EQ(log, (std::vector<UnicodeString>{L"before TestFlat", L"after TestFlat"}));
    const std::wstring loaded = TableDump(*Manager);
    Manager->WriteActive(false);
    EXPECT_FALSE(Manager->SkinActive());
    EXPECT_TRUE(Manager->gd.empty());
    EXPECT_TRUE(Manager->ma.empty());
    EXPECT_EQ(Manager->ReadSkinInfo(), L"N/A");
    Manager->WriteSkinName(L"TestFeatures"); // stored only while switched off
    EXPECT_FALSE(Manager->SkinActive());
    Manager->WriteSkinName(L"TestFlat");
    Manager->WriteActive(true);
    EXPECT_TRUE(Manager->SkinActive());
    EXPECT_EQ(TableDump(*Manager), loaded);
}

TEST_F(SkinManagerComponent, ColourQueriesWithAndWithoutASkin) {
    EXPECT_EQ(Manager->GetGlobalColor(), ColorToRGB(clBtnFace));
    EXPECT_EQ(Manager->GetGlobalFontColor(), 0xFF00FF);
    EXPECT_EQ(Manager->GetActiveEditColor(), ColorToRGB(clWindow));
    EXPECT_EQ(Manager->GetActiveEditFontColor(), 0xFF00FF);
    EXPECT_EQ(Manager->GetHighLightColor(), clHighlight);
    EXPECT_EQ(Manager->GetHighLightFontColor(), clHighlightText);
    Load(FolderSkins(), L"TestFlat");
    EXPECT_EQ(Manager->GetGlobalColor(), static_cast<TColor>(FlatGlobalColor));
    EXPECT_EQ(Manager->GetGlobalFontColor(), static_cast<TColor>(FlatGlobalFontColor));
    EXPECT_EQ(Manager->GetActiveEditColor(), 0xFFFFFF);
    EXPECT_EQ(Manager->GetActiveEditFontColor(), 0x123456);
    EXPECT_EQ(Manager->GetHighLightColor(), 0xFF8000);
    EXPECT_EQ(Manager->GetHighLightFontColor(), clHighlightText); // white counts as none
    TStringList sections;
    Manager->GetSkinSections(&sections);
    EXPECT_EQ(sections.Strings(0), L"GLOBALINFO");
    EXPECT_EQ(sections.Count(), static_cast<int>(Manager->gd.size()));
    EXPECT_EQ(sections.IndexOf(L"MENUITEM"), 4);
    // The feature skin has no MENUITEM and no EDIT.
    Load(FolderSkins(), L"TestFeatures");
    EXPECT_EQ(Manager->GetHighLightColor(), clHighlight);
    EXPECT_EQ(Manager->GetActiveEditFontColor(), 0xFF00FF);
}

TEST_F(SkinManagerComponent, CommonSectionsJoinEverySkin) {
    TStringList common;
    common.SetText(L"[EXTRA SECTION]\r\nCOLOR = $00001122\r\nPARENTCLASS=button\r\n"
                   L"; a comment keeps its blanks\r\n[BUTTON]\r\nCOLOR=$00FFFFFF\r\n"
                   L"[LONE]\r\nGLOW=-1\r\n");
    Load(FolderSkins(), L"TestFlat");
    Manager->SetCommonSections(&common);
    EXPECT_EQ(Manager->CommonSections()->Strings(1), L"COLOR=$00001122"); // blanks removed
    const TsGeneralData& extra = Data(L"EXTRASECTION");
    EXPECT_EQ(extra.Color, 0x1122);
    EXPECT_EQ(extra.ParentClass, L"BUTTON");
    EXPECT_EQ(extra.HotColor, Data(L"BUTTON").HotColor); // from the parent record
    EXPECT_EQ(extra.FontColor[1], Data(L"BUTTON").FontColor[1]);
    EXPECT_EQ(Data(L"BUTTON").Color, static_cast<TColor>(FlatButtonColor)); // present: kept
    EXPECT_EQ(Data(L"LONE").GlowCount, 0);
    EXPECT_EQ(Data(L"LONE").HotColor, 0xFFFFFF);
    EXPECT_EQ(Data(L"LONE").FadingIterations, 5);
}

// The library's start-up binds layered windows, which extended borders need.
struct TLayeredWindows {
    TModuleEntry Module = LayeredFunctionsModule();
    TLayeredWindows() { Module.Initialize(); }
    ~TLayeredWindows() { Module.Finalize(); }
};

// The shadow templates of extended borders are the states of the skin's EXBORDER image; an
// image kept in the master bitmap is copied from there.
TEST_F(SkinManagerComponent, ExtendedBordersTakeTheShadowTemplatesFromTheMasterBitmap) {
    const TLayeredWindows layered;
    Load(FolderSkins(), L"TestFlat");
    EXPECT_EQ(Manager->FormShadowSize, TRect(0, 0, 0, 0)); // extended borders are off
    Manager->WriteExtendedBorders(true);
    ASSERT_TRUE(Manager->ReadExtendedBorders()); // the system has layered windows
    EXPECT_TRUE(Manager->SkinActive());
    // Side widths 12, content offset 8 (the default).
    EXPECT_EQ(Manager->FormShadowSize, TRect(4, 4, 4, 4));
    auto pixel = [](TBitmap* bitmap, int x, int y) {
        const auto* p = static_cast<const Byte*>(bitmap->ScanLine(y)) + x * 4;
        return static_cast<unsigned>(p[2] << 16 | p[1] << 8 | p[0]);
    };
    const int state = (FlatExBorder.Right - FlatExBorder.Left) / 2;
    for (TBitmap* t : {Manager->ShdiTemplate.get(), Manager->ShdaTemplate.get()}) {
        ASSERT_NE(t, nullptr);
        EXPECT_EQ(t->Width(), state);
        EXPECT_EQ(t->Height(), FlatExBorder.Bottom - FlatExBorder.Top);
        EXPECT_EQ(t->PixelFormat(), pf32bit);
    }
    EXPECT_EQ(pixel(Manager->ShdiTemplate.get(), state / 2, state / 2), FlatExBorderFill0);
    EXPECT_EQ(pixel(Manager->ShdaTemplate.get(), state / 2, state / 2), FlatExBorderFill1);
    Manager->WriteExtendedBorders(false);
    EXPECT_EQ(Manager->FormShadowSize, TRect(0, 0, 0, 0)); // the skin is read again without
}

// A skin without a shadow image takes the library's shadow pictures, transparent white cleared.
TEST_F(SkinManagerComponent, ExtendedBordersWithoutAShadowImageTakeTheLibrarysShadows) {
    const TLayeredWindows layered;
    auto picture = [](Word grey) {
        TTestPng png = MakeTestPng(3, 2, 6, 8, false);
        png.Samples = {grey, grey, grey, 200, 255, 255, 255, 0, 255, 255, 255, 9,
                       1,    2,    3,    0,   4,   5,   6,   7, 255, 255, 255, 0};
        const TPngBytes bytes = EncodePng(png);
        TMemoryStream stream;
        stream.WriteBuffer(bytes.data(), static_cast<NativeInt>(bytes.size()));
        stream.SetPosition(0);
        auto* graphic = new TPNGGraphic;
        graphic->LoadFromStream(&stream);
        return graphic;
    };
    struct TShadows {
        ~TShadows() { FreeShadowTemplates(); }
    } const shadows;
    ShadowTemplateActive = picture(40);
    ShadowTemplateInactive = picture(80);
    Load(FolderSkins(), L"TestFeatures");
    ASSERT_LT(Manager->ConstData.ExBorder, 0);
    Manager->WriteExtendedBorders(true);
    EXPECT_EQ(Manager->FormShadowSize, TRect(11, 7, 11, 11));
    const std::vector<Byte> cleared = {0, 0, 0, 0, 255, 255, 255, 9, 3, 2,
                                       1, 0, 6, 5, 4,   7,   0,   0, 0, 0};
    for (auto [t, grey] : {std::pair{Manager->ShdaTemplate.get(), Byte(40)},
                           std::pair{Manager->ShdiTemplate.get(), Byte(80)}}) {
        std::vector<Byte> expected = {grey, grey, grey, 200};
        expected.insert(expected.end(), cleared.begin(), cleared.end());
        EXPECT_EQ(AllBytes(t), expected);
    }
}

// The menu painter's options and its measure of the skin's menu frame, which every new skin
// makes it take again.
TEST_F(SkinManagerComponent, MenuOptionsAndTheSkinsMenuFrame) {
    TsSkinableMenus* menus = Manager->SkinableMenus();
    EXPECT_EQ(menus->FOwner, Manager);
    EXPECT_FALSE(menus->FActive);
    EXPECT_EQ(GetOrdProp(menus, L"Margin"), 2);
    EXPECT_EQ(GetEnumProp(menus, L"Alignment"), L"taLeftJustify");
    EXPECT_EQ(GetOrdProp(menus, L"BorderWidth"), 3);
    EXPECT_EQ(GetOrdProp(menus, L"Spacing"), 6);
    TacMenuSupport* support = Manager->MenuSupport();
    EXPECT_EQ(GetObjectProp(Manager, L"MenuSupport"), support);
    EXPECT_EQ(support->IcoLineSkin, L""); // "ICOLINE" comes with Loaded
    EXPECT_FALSE(support->UseExtraLine);
    EXPECT_EQ(GetOrdProp(support, L"ExtraLineWidth"), 32);
    EXPECT_NE(support->ExtraLineFont(), nullptr);
    EXPECT_EQ(menus->GetSkinBorderWidth(), 0); // no skin, no MAINMENU mask
    Load(FolderSkins(), L"Calm");
    EXPECT_EQ(menus->GetSkinBorderWidth(), 1); // the mask's border width
    Load(FolderSkins(), L"TestFlat");
    EXPECT_EQ(menus->GetSkinBorderWidth(), 0); // measured again: TestFlat has no MAINMENU
}

TEST_F(SkinManagerComponent, ActiveControlMovesTheHotState) {
    struct TLog {
        static LRESULT CALLBACK Proc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
            if (msg == SM_ALPHACMD) Seen().push_back({wnd, SkinCommandOf(wp)});
            return DefWindowProcW(wnd, msg, wp, lp);
        }
        static std::vector<std::pair<HWND, WORD>>& Seen() {
            static std::vector<std::pair<HWND, WORD>> seen;
            return seen;
        }
    };
    WNDCLASSW wc{};
    wc.lpfnWndProc = &TLog::Proc;
    wc.lpszClassName = L"SkinEngineHotProbe";
    RegisterClassW(&wc);
    HWND a = CreateWindowW(L"SkinEngineHotProbe", L"", 0, 0, 0, 1, 1, HWND_MESSAGE, nullptr,
                           nullptr, nullptr);
    HWND b = CreateWindowW(L"SkinEngineHotProbe", L"", 0, 0, 0, 1, 1, HWND_MESSAGE, nullptr,
                           nullptr, nullptr);
    TLog::Seen().clear();
    Manager->WriteActiveControl(a);
    Manager->WriteActiveControl(a); // unchanged: nothing
    Manager->WriteActiveControl(b);
    Manager->WriteActiveControl(nullptr);
    using Seen = std::vector<std::pair<HWND, WORD>>;
    EXPECT_EQ(TLog::Seen(),
              (Seen{{a, SKCMD_HOTON}, {a, SKCMD_HOTOFF}, {b, SKCMD_HOTON}, {b, SKCMD_HOTOFF}}));
    DestroyWindow(a);
    DestroyWindow(b);
}

// The main window's way: properties in streaming order while the form loads, the internal skin's
// "Data" from the program's resource; the skin is read at SkinName and applied at Loaded.
class TSkinnedForm : public TForm {
    CLASS_INFO(TSkinnedForm, TForm)
public:
    explicit TSkinnedForm(TComponent* Owner) : TForm(Owner) {
        SkinManager = new TsSkinManager(this);
        SkinManager->WriteActive(true);
        TsStoredSkin* stored = SkinManager->InternalSkins()->Add();
        stored->SetName(L"Calm (internal)");
        stored->LoadDataFromResource(GetModuleHandleW(nullptr), L"CALM");
        SkinManager->WriteSkinDirectory(L"c:\\NoSuchSkins");
        SkinManager->WriteSkinName(L"Calm (internal)");
        ReadWhileLoading = !SkinManager->gd.empty();
        AppliedWhileLoading = SkinManager->SkinActive();
    }
    TsSkinManager* SkinManager;
    bool ReadWhileLoading = false;
    bool AppliedWhileLoading = true;
};

TEST(SkinManagerOnAForm, TheInternalSkinIsReadWhileLoadingAndAppliedAtLoaded) {
    TModuleEntry framework = FrameworkModule();
    framework.Initialize();
    auto* form = CreateForm<TSkinnedForm>(Application);
    EXPECT_TRUE(form->ReadWhileLoading);
    EXPECT_FALSE(form->AppliedWhileLoading);
    EXPECT_TRUE(form->SkinManager->SkinActive());
    EXPECT_EQ(DefaultSkinManager, form->SkinManager);
    EXPECT_EQ(form->SkinManager->SkinName(), L"Calm (internal)");
    EXPECT_EQ(form->SkinManager->ReadSkinInfo(), L"7");
    EXPECT_EQ(form->SkinManager->MenuSupport()->IcoLineSkin, L"ICOLINE"); // given at Loaded
    form->Free();
    EXPECT_EQ(DefaultSkinManager, nullptr);
    framework.Finalize();
}

} // namespace
