// The options object: defaults, assignment, and what changing a set does to the tree.
#include "TreeFixture.h"

using namespace vtree_test;

TEST(Options, NewObjectsHaveTheDefaults) {
    auto tree = MakeTree();
    TStringTreeOptions* options = tree->TreeOptions();
    EXPECT_EQ(options->PaintOptions(),
              (TVTPaintOptions{toShowButtons, toShowDropmark, toShowRoot, toShowTreeLines,
                               toThemeAware, toUseBlendedImages}));
    EXPECT_TRUE(options->AnimationOptions().Empty());
    EXPECT_EQ(options->AutoOptions(),
              (TVTAutoOptions{toAutoDropExpand, toAutoScrollOnExpand, toAutoTristateTracking,
                              toAutoDeleteMovedNodes}));
    EXPECT_TRUE(options->SelectionOptions().Empty());
    EXPECT_EQ(options->MiscOptions(),
              (TVTMiscOptions{toAcceptOLEDrop, toFullRepaintOnResize, toInitOnSave,
                              toToggleOnDblClick, toWheelPanning, toEditOnClick}));
    EXPECT_EQ(options->StringOptions(), (TVTStringOptions{toSaveCaptions, toAutoAcceptEditChange}));
    EXPECT_EQ(options->ExportMode, emAll);
}

TEST(Options, AssignCopiesEverySet) {
    auto source = MakeTree();
    auto target = MakeTree();
    TStringTreeOptions* options = source->TreeOptions();
    options->SetPaintOptions({toHotTrack});
    options->SetAnimationOptions({toAnimatedToggle});
    options->SetAutoOptions({toAutoSort});
    options->SetSelectionOptions({toMultiSelect});
    options->SetMiscOptions({toEditable});
    options->SetStringOptions({toShowStaticText});
    target->SetTreeOptions(options);
    TStringTreeOptions* copy = target->TreeOptions();
    EXPECT_EQ(copy->PaintOptions(), TVTPaintOptions{toHotTrack});
    EXPECT_EQ(copy->AnimationOptions(), TVTAnimationOptions{toAnimatedToggle});
    EXPECT_EQ(copy->AutoOptions(), TVTAutoOptions{toAutoSort});
    EXPECT_EQ(copy->SelectionOptions(), TVTSelectionOptions{toMultiSelect});
    EXPECT_EQ(copy->MiscOptions(), TVTMiscOptions{toEditable});
    EXPECT_EQ(copy->StringOptions(), TVTStringOptions{toShowStaticText});
}

TEST(Options, AssigningToAnotherKindFails) {
    auto tree = MakeTree();
    TVTHeader* header = tree->Header();
    EXPECT_THROW(header->Assign(tree->TreeOptions()), EConvertError);
}

TEST(Options, SelectionRulesClearTheSelectionWhenTheyTighten) {
    struct Case {
        TVTSelectionOptions From, To;
        bool Clears;
    };
    const Case cases[] = {
        {{toMultiSelect}, {}, true},
        {{}, {toMultiSelect}, true},
        {{toMultiSelect}, {toMultiSelect, toLevelSelectConstraint}, true},
        {{toMultiSelect}, {toMultiSelect, toSiblingSelectConstraint}, true},
        {{toMultiSelect, toLevelSelectConstraint}, {toMultiSelect}, false},
        {{toMultiSelect}, {toMultiSelect, toFullRowSelect}, false},
    };
    for (const Case& c : cases) {
        auto tree = MakeTree();
        tree->TreeOptions()->SetSelectionOptions(c.From);
        PVirtualNode node = tree->AddChild(nullptr);
        tree->SetSelected(node, true);
        tree->TreeOptions()->SetSelectionOptions(c.To);
        EXPECT_EQ(tree->SelectedCount() == 0, c.Clears) << c.From.Bits() << "->" << c.To.Bits();
    }
}

TEST(Options, WithoutExtendedFocusTheFocusedColumnIsTheMainColumn) {
    auto tree = MakeTree();
    tree->Header()->Columns()->Add();
    tree->Header()->Columns()->Add();
    tree->TreeOptions()->SetSelectionOptions({toExtendedFocus});
    tree->SetFocusedColumn(1);
    EXPECT_EQ(tree->FocusedColumn(), 1);
    tree->TreeOptions()->SetSelectionOptions({toMultiSelect});
    EXPECT_EQ(tree->FocusedColumn(), 0);
}

TEST(Options, RepaintsGoThroughTheSinkOnlyWithAWindow) {
    auto tree = MakeTree();
    TRecordingSink sink;
    tree->SetViewSink(&sink);
    tree->TreeOptions()->SetMiscOptions({toCheckSupport});
    EXPECT_EQ(sink.Invalidations, 0);
    TVTViewport view;
    view.HasWindow = true;
    tree->SetViewport(view);
    tree->TreeOptions()->SetMiscOptions({});
    tree->TreeOptions()->SetStringOptions({toShowStaticText});
    EXPECT_EQ(sink.Invalidations, 2);
    tree->SetViewSink(nullptr);
}

TEST(Options, ShowingHiddenNodesRecountsTheVisibleRows) {
    auto tree = MakeTree();
    PVirtualNode hidden = tree->AddChild(nullptr);
    tree->AddChild(nullptr);
    tree->SetIsHidden(hidden, true);
    EXPECT_EQ(tree->VisibleCount(), 1u);
    tree->TreeOptions()->SetPaintOptions(tree->TreeOptions()->PaintOptions() +
                                         TVTPaintOptions{toShowHiddenNodes});
    EXPECT_EQ(tree->VisibleCount(), 2u);
    EXPECT_EQ(tree->RootNode()->TotalHeight, 3u * 18u);
}
