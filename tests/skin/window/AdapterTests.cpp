// The control adapter on a skinned form of plain class-library controls. Edits get a probe
// handler through the adapter's handler table (the edit handler itself is built later); buttons
// are listed too but have no handler yet, so they must get no item. Speed buttons get the
// speed-button handler.
#include "HandlerTesting.h"

#include "framework/Buttons.h"
#include "framework/ExtCtrls.h"
#include "framework/StdCtrls.h"
#include "skin/engine/sConst.h"
#include "skin/engine/sVclUtils.h"

#include <algorithm>
#include <utility>

namespace {

class AdapterTest : public HandlerTest {
protected:
    void SetUp() override {
        HandlerTest::SetUp();
        ApplySkin();
        Form = MakeForm();
        Edit = Place(new TEdit(Form), Form);
        Panel = Place(new TPanel(Form), Form);
        Inner = Place(new TEdit(Form), Panel);
        Button = Place(new TButton(Form), Form);
        Label = new TLabel(Form);
        Label->SetParent(Form);
        Provider = Construct<TsSkinProvider>(Form);
    }
    void TearDown() override {
        if (Provider) Provider->Free();
        HandlerTest::TearDown();
    }
    template <class T> T* Place(T* Control, TWinControl* Parent) {
        Control->SetParent(Parent);
        Control->HandleNeeded();
        return Control;
    }
    TacCtrlAdapter* Adapter() {
        Provider->CreateAdapter();
        return Provider->Adapter();
    }
    bool Hooked(TWinControl* Control) { return AskControl(Control, SKCMD_ISSKINNED); }

    // Made before SetUp, gone after TearDown.
    TEditProbeMakers Makers;
    TForm* Form = nullptr;
    TEdit* Edit = nullptr;
    TPanel* Panel = nullptr;
    TEdit* Inner = nullptr;
    TButton* Button = nullptr;
    TLabel* Label = nullptr;
    TsSkinProvider* Provider = nullptr;
};

TEST_F(AdapterTest, ListedControlsWithAHandlerAreHookedOnceDownToNestedOnes) {
    TacCtrlAdapter* adapter = Adapter();
    ASSERT_NE(adapter, nullptr);
    EXPECT_EQ(adapter->Count(), 2);
    EXPECT_GE(adapter->IndexOf(Edit), 0);
    EXPECT_GE(adapter->IndexOf(Inner), 0) << "edits on a panel are reached too";
    EXPECT_EQ(adapter->IndexOf(Button), -1) << "no handler for buttons yet: no item";
    EXPECT_TRUE(Hooked(Edit));
    EXPECT_FALSE(Hooked(Button));
    EXPECT_TRUE(Label->Transparent());
    EXPECT_EQ(Label->Font()->Color(), Manager->GetGlobalFontColor());

    adapter->AddAllItems();
    EXPECT_EQ(adapter->Count(), 2) << "no second item for a control";
    EXPECT_EQ(TProbeWnd::Saves, 2) << "no second handler either";
    EXPECT_EQ(adapter->GetItem(-1), nullptr);
    EXPECT_EQ(adapter->GetItem(adapter->Count()), nullptr);
}

TEST_F(AdapterTest, ARecreatedWindowGetsAFreshHandler) {
    TacCtrlAdapter* adapter = Adapter();
    Edit->RecreateWnd();
    // The form hears of the new window (its parent notification) and adds all items at once.
    Edit->HandleNeeded();
    adapter->AddAllItems();
    ASSERT_GE(adapter->IndexOf(Edit), 0);
    TacMainWnd* second = adapter->GetItem(adapter->IndexOf(Edit))->ScrollWnd;
    EXPECT_FALSE(second->Destroyed);
    EXPECT_EQ(TProbeWnd::Frees, 1) << "the detached handler was freed";
    EXPECT_TRUE(Hooked(Edit));
}

TEST_F(AdapterTest, RemoveItemChecksItsIndexAndUnhooksTheControl) {
    TacCtrlAdapter* adapter = Adapter();
    for (int bad : {-1, adapter->Count(), adapter->Count() + 5}) {
        adapter->RemoveItem(bad);
        EXPECT_EQ(adapter->Count(), 2) << bad;
    }
    adapter->RemoveItem(adapter->IndexOf(Edit));
    EXPECT_EQ(adapter->Count(), 1);
    EXPECT_EQ(adapter->IndexOf(Edit), -1);
    EXPECT_FALSE(Hooked(Edit));
    EXPECT_TRUE(Hooked(Inner));
    Edit->SetText(L"still an edit");
    EXPECT_EQ(Edit->Text(), L"still an edit");
}

TEST_F(AdapterTest, AControlFreedAtRunTimeIsDroppedAndTheRestStaysHooked) {
    TacCtrlAdapter* adapter = Adapter();
    Edit->Free();
    adapter->CleanItems();
    EXPECT_EQ(adapter->Count(), 1);
    EXPECT_TRUE(Hooked(Inner));
    TMessage message{WM_APP, 0, 0, 0};
    adapter->WndProc(message);
    EXPECT_EQ(TProbeWnd::Frees, 1);
}

TEST_F(AdapterTest, WithoutTheThirdPartyRuleNothingIsHookedAndLabelsAreLeftAlone) {
    Manager->WriteSkinningRules(TacSkinningRules{srStdForms, srStdDialogs});
    Label->SetTransparent(false);
    TacCtrlAdapter* adapter = Adapter();
    EXPECT_EQ(adapter->Count(), 0);
    EXPECT_FALSE(Label->Transparent());
}

TEST_F(AdapterTest, RemovingTheSkinUnhooksEveryControlAndTheFormFreesCleanly) {
    Adapter();
    Manager->WriteActive(false);
    EXPECT_EQ(Provider->Adapter(), nullptr);
    EXPECT_FALSE(Hooked(Edit));
    EXPECT_FALSE(Hooked(Inner));
    EXPECT_EQ(TProbeWnd::Frees, 2);
}

TEST_F(AdapterTest, FreeingTheProviderLeavesThePlainControlsWorking) {
    Adapter();
    FreeAndNil(Provider);
    EXPECT_EQ(TProbeWnd::Frees, 2);
    EXPECT_FALSE(Hooked(Edit));
    Edit->SetText(L"plain");
    EXPECT_EQ(Edit->Text(), L"plain");
}

// A speed button of a class of its own, which no class-name list names.
class TOwnSpeedButton : public TSpeedButton {
    CLASS_INFO(TOwnSpeedButton, TSpeedButton)
public:
    using TSpeedButton::TSpeedButton;
};

class AdapterSpeedButtons : public AdapterTest {
protected:
    TSpeedButton* Speed(TSpeedButton* Button, TWinControl* Parent, const wchar_t* Caption) {
        Button->SetParent(Parent);
        Button->SetCaption(Caption);
        return Button;
    }
    static bool Hooked(TSpeedButton* Button) {
        return PerformSkinCommand(Button, SKCMD_ISSKINNED) == 1;
    }
    static TacGraphItem* ItemOf(TacCtrlAdapter* Adapter, TControl* Button) {
        for (TacGraphItem* item : Adapter->GraphItems)
            if (item->Ctrl == Button) return item;
        return nullptr;
    }
};

TEST_F(AdapterSpeedButtons, ListedSpeedButtonsGetOneItemEachWithTheSectionOfTheirLook) {
    TSpeedButton* plain = Speed(new TSpeedButton(Form), Form, L"Go");
    TSpeedButton* flat = Speed(new TSpeedButton(Form), Panel, L"Flat");
    flat->SetFlat(true);
    TSpeedButton* marked = Speed(new TSpeedButton(Form), Form, L"Marked");
    marked->Tag = -98;
    TSpeedButton* own = Speed(new TOwnSpeedButton(Form), Form, L"Own");
    TacCtrlAdapter* adapter = Adapter();
    ASSERT_EQ(adapter->GraphItems.size(), 2u);
    TacGraphItem* plainItem = ItemOf(adapter, plain);
    TacGraphItem* flatItem = ItemOf(adapter, flat);
    ASSERT_NE(plainItem, nullptr);
    ASSERT_NE(flatItem, nullptr) << "speed buttons on a panel are reached too";
    EXPECT_EQ(plainItem->SkinData->SkinSection(), L"SPEEDBUTTON");
    EXPECT_EQ(flatItem->SkinData->SkinSection(), L"SPEEDBUTTON_SMALL");
    EXPECT_EQ(plainItem->SkinData->COC, 227);
    EXPECT_TRUE(Hooked(plain));
    EXPECT_TRUE(Hooked(flat));
    EXPECT_FALSE(Hooked(marked));
    EXPECT_FALSE(Hooked(own));
    EXPECT_EQ(adapter->Count(), 2) << "speed buttons are not counted with the windowed items";

    TacSpeedButtonHandler* handler = plainItem->Handler;
    adapter->AddAllItems();
    EXPECT_EQ(adapter->GraphItems.size(), 2u);
    EXPECT_EQ(ItemOf(adapter, plain)->Handler, handler) << "no second item, no second handler";
    // Messages go on through the handler; the mouse is followed.
    EXPECT_EQ(plain->Perform(WM_GETTEXTLENGTH, 0, 0), 2);
    plain->Perform(CM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(plain));
    EXPECT_TRUE(plainItem->SkinData->FMouseAbove);
    plain->Perform(CM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(plain));
    EXPECT_FALSE(plainItem->SkinData->FMouseAbove);
}

// A speed button freed while the form lives takes its item along: removing the skin later
// touches only the buttons still there, which get their own message method back.
TEST_F(AdapterSpeedButtons, ASpeedButtonFreedAtRunTimeTakesItsItemAlong) {
    TSpeedButton* doomed = Speed(new TSpeedButton(Form), Form, L"Doomed");
    TSpeedButton* kept = Speed(new TSpeedButton(Form), Form, L"Kept");
    TacCtrlAdapter* adapter = Adapter();
    ASSERT_EQ(adapter->GraphItems.size(), 2u);
    doomed->Free();
    ASSERT_EQ(adapter->GraphItems.size(), 1u);
    EXPECT_EQ(adapter->GraphItems[0]->Ctrl, kept);
    adapter->CleanItems();
    EXPECT_EQ(adapter->GraphItems.size(), 1u) << "a live handler stays";

    Manager->WriteActive(false);
    EXPECT_EQ(Provider->Adapter(), nullptr);
    EXPECT_FALSE(Hooked(kept));
    EXPECT_EQ(kept->Perform(WM_GETTEXTLENGTH, 0, 0), 4);
}

// The provider's question before a control is skinned: what it is asked about, and what it
// refuses or renames.
struct TSkinItemChoice {
    std::vector<TComponent*> Refused;
    TComponent* Renamed = nullptr;
    std::vector<std::pair<TComponent*, UnicodeString>> Asked;
};
TSkinItemChoice SkinItemChoice;

void ChooseSkinItem(TComponent* Item, bool& CanBeAdded, UnicodeString& SkinSection) {
    SkinItemChoice.Asked.emplace_back(Item, SkinSection);
    const auto& refused = SkinItemChoice.Refused;
    if (std::find(refused.begin(), refused.end(), Item) != refused.end()) CanBeAdded = false;
    // Speed buttons are renamed too, to no effect.
    if (Item == SkinItemChoice.Renamed || SkinSection == L"SPEEDBUTTON") SkinSection = L"formtitle";
}

TEST_F(AdapterSpeedButtons, TheProvidersEventMayRefuseAControlOrNameItsSection) {
    TSpeedButton* refused = Speed(new TSpeedButton(Form), Form, L"No");
    TSpeedButton* renamed = Speed(new TSpeedButton(Form), Form, L"Yes");
    SkinItemChoice = TSkinItemChoice{{Edit, Label, refused}, Inner, {}};
    Label->SetTransparent(false);
    Provider->OnSkinItem = TAddItemEvent(&ChooseSkinItem);
    TacCtrlAdapter* adapter = Adapter();
    EXPECT_EQ(adapter->IndexOf(Edit), -1);
    EXPECT_FALSE(AdapterTest::Hooked(Edit));
    ASSERT_GE(adapter->IndexOf(Inner), 0);
    EXPECT_EQ(adapter->GetItem(adapter->IndexOf(Inner))->SkinData->SkinSection(), L"FORMTITLE");
    EXPECT_FALSE(Label->Transparent()) << "a refused label keeps its look";
    EXPECT_FALSE(Hooked(refused));
    ASSERT_NE(ItemOf(adapter, renamed), nullptr);
    EXPECT_EQ(ItemOf(adapter, renamed)->SkinData->SkinSection(), L"SPEEDBUTTON")
        << "a speed button's section is its look's, whatever the event says";
    const auto asked = [](TComponent* Item, const wchar_t* Section) {
        const auto& all = SkinItemChoice.Asked;
        return std::count(all.begin(), all.end(), std::make_pair(Item, UnicodeString(Section)));
    };
    EXPECT_GE(asked(renamed, L"SPEEDBUTTON"), 1) << "speed buttons are offered as such";
    EXPECT_GE(asked(Inner, L""), 1) << "windowed controls with the adapter's section";
    Provider->OnSkinItem = TAddItemEvent();
}

} // namespace
