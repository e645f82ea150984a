// The skinned edit: its cache image in the normal, hot (focused or under the mouse) and disabled
// states against the test skin's colours, the colours the system writes its text with, its
// border ring on the window, a password kept out of the image, and the plain edit it becomes
// again when the skin goes; and its bound caption label.
#include "SkinnedTesting.h"

#include "skin/controls/sEdit.h"
#include "skin/controls/sLabel.h"

namespace {

constexpr TRect EditBounds{20, 30, 140, 52}; // 120 x 22
constexpr int W = 120, H = 22;

class Edit : public SkinnedFormTest {
protected:
    void SetUp() override {
        SkinnedFormTest::SetUp();
        Ed = Place<TsEdit>(EditBounds);
        Ed->SetText(L"abc");
        Sink = Place<TEdit>(TRect(20, 100, 120, 120));
        ApplySkin();
        ShowActive();
        Sink->SetFocus();
    }
    TBitmap* Paint(TsEdit* Edit) {
        Edit->Repaint();
        Edit->Perform(WM_NCPAINT, 1, 0);
        return Edit->SkinData()->CacheBmp();
    }
    TsEdit* Ed = nullptr;
    TEdit* Sink = nullptr;
};

TEST_F(Edit, EachStatePaintsTheSkinsColours) {
    struct Case {
        const char* Name;
        void (*Enter)(TsEdit*);
        void (*Leave)(TsEdit*);
        bool Hot;
    };
    const Case cases[] = {
        {"normal", [](TsEdit*) {}, [](TsEdit*) {}, false},
        {"focused", [](TsEdit* e) { e->SetFocus(); }, [](TsEdit*) {}, true},
        {"under the mouse",
         [](TsEdit* e) { e->Perform(CM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(e)); },
         [](TsEdit* e) { e->Perform(CM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(e)); }, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        c.Enter(Ed);
        TBitmap* cache = Paint(Ed);
        ASSERT_EQ(cache->Width(), W);
        const unsigned colour = c.Hot ? CtlEditHotColor : CtlEditColor;
        const unsigned font = c.Hot ? CtlEditHotFont : CtlEditFont;
        EXPECT_EQ(RgbAt(cache, 0, 0), FormRgb);
        EXPECT_EQ(RgbAt(cache, W / 2, 0), c.Hot ? CtlEditEdge1 : CtlEditEdge0);
        EXPECT_EQ(RgbAt(cache, 0, H / 2), c.Hot ? CtlEditEdge1 : CtlEditEdge0);
        EXPECT_EQ(CountOther(cache, TRect(W - 30, 3, W - 3, H - 3), colour), 0);
        EXPECT_GT(CountRgb(cache, TRect(3, 3, 40, H - 3), font), 0) << "the text in the image";
        // The system writes the text of an enabled edit in the section's colours.
        EXPECT_EQ(Ed->Color(), SkinColour(colour));
        EXPECT_EQ(Ed->Font()->Color(), SkinColour(font));
        c.Leave(Ed);
        Sink->SetFocus();
    }
}

TEST_F(Edit, DisabledImageIsHalfTheParentsColourAndNoPasswordReachesIt) {
    TBmpPtr normal = MakeBmp(W, H, 3);
    normal->Assign(Paint(Ed));
    Ed->SetEnabled(false);
    TBitmap* cache = Paint(Ed);
    EXPECT_EQ(CountUnmixed(cache, normal.get(), 50, FormRgb), 0);
    // A password edit writes one mask character per character: its image is that of an edit
    // showing the mask characters.
    auto* password = Place<TsEdit>(TRect(20, 60, 20 + W, 60 + H));
    password->SetPasswordChar(L'*');
    password->SetText(L"abc");
    auto* masks = Place<TsEdit>(TRect(20, 60, 20 + W, 60 + H));
    masks->SetText(L"***");
    for (TsEdit* e : {password, masks}) e->SetEnabled(false);
    TBmpPtr shown = MakeBmp(W, H, 3);
    shown->Assign(Paint(masks));
    masks->SetVisible(false);
    EXPECT_EQ(AllBytes(Paint(password)), AllBytes(shown.get()));
    Ed->SetText(L"***");
    Ed->SetEnabled(true);
    EXPECT_NE(AllBytes(Paint(Ed)), AllBytes(shown.get())) << "the comparison sees a difference";
}

TEST_F(Edit, DisabledKindEmptyShowsTheImageUnchanged) {
    TBmpPtr normal = MakeBmp(W, H, 3);
    normal->Assign(Paint(Ed));
    Ed->SetDisabledKind({});
    Ed->SetEnabled(false);
    EXPECT_EQ(AllBytes(Paint(Ed)), AllBytes(normal.get()));
}

TEST_F(Edit, CustomColoursAreKept) {
    Ed->SkinData()->SetCustomColor(true);
    Ed->SkinData()->SetCustomFont(true);
    Ed->SetColor(clYellow);
    Ed->Font()->SetColor(clRed);
    Ed->SetFocus();
    Paint(Ed);
    EXPECT_EQ(Ed->Color(), clYellow);
    EXPECT_EQ(Ed->Font()->Color(), clRed);
}

// Printed, the window gets the cache's border ring around what the system writes inside it.
TEST_F(Edit, PrintedBorderRingComesFromTheCache) {
    TBmpPtr printed = MakeBmp(W, H, 3);
    Ed->Perform(WM_PRINT, reinterpret_cast<WPARAM>(printed->Canvas()->Handle()), PRF_CLIENT);
    TBitmap* cache = Ed->SkinData()->CacheBmp();
    ASSERT_EQ(Ed->EditBorderWidth(), 2);
    int wrong = 0;
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)
            if (x < 2 || y < 2 || x >= W - 2 || y >= H - 2)
                wrong += RgbAt(printed.get(), x, y) != RgbAt(cache, x, y);
    EXPECT_EQ(wrong, 0);
}

TEST_F(Edit, OutsideItsParentItIsHalfVisibleAndRebuiltAtEveryPaint) {
    Ed->SetBounds(Form->ClientWidth() - 40, 30, W, H);
    Paint(Ed);
    EXPECT_TRUE(Ed->SkinData()->HalfVisible);
    Ed->SetBounds(20, 30, W, H);
    Ed->SetEnabled(false); // a disabled edit paints from the cache on WM_PAINT
    Paint(Ed);
    EXPECT_FALSE(Ed->SkinData()->HalfVisible);
}

// While a form animates, neither the frame nor the client area paints: the image waits.
TEST_F(Edit, NothingPaintsDuringAFormAnimation) {
    Ed->SetEnabled(false); // a disabled edit paints its client area from the cache too
    Paint(Ed);
    Ed->SkinData()->BGChanged = true;
    FormAnimating = true;
    Ed->Perform(WM_NCPAINT, 1, 0);
    Ed->Perform(WM_PAINT, 0, 0);
    FormAnimating = false;
    EXPECT_TRUE(Ed->SkinData()->BGChanged) << "no image was built";
    Paint(Ed);
    EXPECT_FALSE(Ed->SkinData()->BGChanged);
}

// Printing the edit leaves a repaint that the window was waiting for pending.
TEST_F(Edit, PrintingKeepsAPendingRepaint) {
    Ed->SetEnabled(false);
    Paint(Ed);
    ValidateRect(Ed->Handle(), nullptr);
    InvalidateRect(Ed->Handle(), nullptr, FALSE);
    TBmpPtr printed = MakeBmp(W, H, 3);
    Ed->Perform(WM_PRINT, reinterpret_cast<WPARAM>(printed->Canvas()->Handle()), PRF_CLIENT);
    EXPECT_TRUE(GetUpdateRect(Ed->Handle(), nullptr, FALSE));
}

TEST_F(Edit, WithoutTheSkinItIsThePlainEditAgain) {
    Paint(Ed);
    RemoveSkin();
    EXPECT_FALSE(Ed->SkinData()->Skinned());
    EXPECT_EQ(Ed->Color(), clWindow);
    EXPECT_EQ(Ed->Font()->Color(), clWindowText);
    SendMessageW(Ed->Handle(), EM_SETSEL, 3, 3);
    SendMessageW(Ed->Handle(), WM_CHAR, L'd', 0);
    EXPECT_EQ(Ed->Text(), L"abcd") << "the system's edit still takes the keys";
}

// ---- the bound caption label -------------------------------------------------------------

using BoundLabel = Edit;

TEST_F(BoundLabel, ActivationMakesALabelNamedAfterTheEdit) {
    Ed->SetName(L"Edit1");
    TsBoundLabel* bound = Ed->BoundLabel();
    EXPECT_EQ(bound->TheLabel(), nullptr);
    bound->SetActive(true);
    auto* label = dynamic_cast<TsEditLabel*>(bound->TheLabel());
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->Name(), L"Edit1Label");
    EXPECT_EQ(label->Caption(), L"Edit1");
    EXPECT_EQ(bound->Caption(), L"Edit1");
    EXPECT_EQ(label->Parent(), Form);
    EXPECT_EQ(label->FocusControl(), Ed);
    EXPECT_EQ(label->Alignment(), taRightJustify);
    // Left of the edit, 4 pixels away, centred one pixel above the middle.
    EXPECT_EQ(label->Left() + label->Width(), EditBounds.left - 4);
    EXPECT_EQ(label->Top(), EditBounds.top + (H - label->Height()) / 2 - 1);
    bound->SetActive(false);
    EXPECT_EQ(bound->TheLabel(), nullptr);
    bound->SetActive(true);
    EXPECT_NE(bound->TheLabel(), nullptr);
    EXPECT_EQ(bound->TheLabel()->Caption(), L"Edit1") << "a fresh label";
}

TEST_F(BoundLabel, LayoutsPlaceTheLabelAboveOrBeside) {
    TsBoundLabel* bound = Ed->BoundLabel();
    bound->SetCaption(L"Name");
    bound->SetActive(true);
    TCustomLabel* label = bound->TheLabel();
    const int lw = label->Width(), lh = label->Height();
    struct Case {
        TsCaptionLayout Layout;
        int Indent;
        int Left, Top;
        TAlignment Alignment;
    };
    const Case cases[] = {
        {sclLeft, 3, EditBounds.left - lw - 3 - 4, EditBounds.top + (H - lh) / 2 - 1,
         taRightJustify},
        {sclTopLeft, 2, EditBounds.left, EditBounds.top - lh - 2, taLeftJustify},
        {sclTopCenter, 0, EditBounds.left + (W - lw) / 2, EditBounds.top - lh, taCenter},
        {sclTopRight, 1, EditBounds.left + W - lw, EditBounds.top - lh - 1, taRightJustify},
    };
    for (const Case& c : cases) {
        bound->SetLayout(c.Layout);
        bound->SetIndent(c.Indent);
        EXPECT_EQ(label->Left(), c.Left) << c.Layout;
        EXPECT_EQ(label->Top(), c.Top) << c.Layout;
        EXPECT_EQ(label->Alignment(), c.Alignment) << c.Layout;
    }
    bound->SetMaxWidth(30);
    EXPECT_EQ(label->Width(), 30);
    EXPECT_TRUE(label->WordWrap());
    EXPECT_GE(label->Height(), H);
}

// A font given before the label exists is the label's when it comes, and the label's font
// outlives switching the label off and on; without one the label follows its parent's font.
TEST_F(BoundLabel, KeepsTheFontItWasGivenAcrossActivations) {
    TsBoundLabel* bound = Ed->BoundLabel();
    bound->SetActive(true);
    EXPECT_TRUE(bound->TheLabel()->ParentFont()) << "no font given";
    EXPECT_TRUE(bound->UseSkinColor());
    bound->SetActive(false);
    std::unique_ptr<TFont, graphics_detail::TFreeObject> font(new TFont);
    font->SetSize(15);
    bound->SetFont(font.get());
    EXPECT_EQ(bound->Font()->Size(), 15) << "kept without a label";
    for (const char* pass : {"first", "again"}) {
        bound->SetActive(true);
        TCustomLabel* label = bound->TheLabel();
        EXPECT_EQ(label->Font()->Size(), 15) << pass;
        EXPECT_FALSE(label->ParentFont()) << pass;
        EXPECT_EQ(bound->Font(), label->Font()) << pass;
        bound->SetActive(false);
    }
    bound->SetActive(true);
    bound->SetUseSkinColor(false);
    EXPECT_FALSE(bound->UseSkinColor());
    EXPECT_FALSE(dynamic_cast<TsEditLabel*>(bound->TheLabel())->UseSkinColor());
}

TEST_F(BoundLabel, FollowsTheEditsEnablingByItsDisabledKind) {
    Ed->BoundLabel()->SetActive(true);
    TCustomLabel* label = Ed->BoundLabel()->TheLabel();
    Ed->SetEnabled(false);
    EXPECT_FALSE(label->Enabled());
    Ed->SetEnabled(true);
    Ed->SetDisabledKind({dkGrayed});
    Ed->SetEnabled(false);
    EXPECT_TRUE(label->Enabled()) << "without dkBlended the label stays enabled";
    Ed->SetVisible(false);
    EXPECT_FALSE(label->Visible());
}

// The label's parent may free it before the edit goes: the edit then frees nothing twice.
TEST_F(BoundLabel, ALabelFreedByItsParentIsNotFreedAgain) {
    auto* edit = Place<TsEdit>(TRect(20, 60, 140, 82));
    TsBoundLabel* bound = edit->BoundLabel();
    bound->SetActive(true);
    bound->TheLabel()->Free();
    EXPECT_FALSE(bound->Active());
    EXPECT_EQ(bound->TheLabel(), nullptr);
    edit->Free(); // would free the label a second time
    SUCCEED();
}

} // namespace
