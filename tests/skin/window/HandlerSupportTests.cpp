// The routines the handlers share, on real windows and class-library forms.
#include "HandlerTesting.h"

#include "framework/ExtCtrls.h"
#include "framework/StdCtrls.h"
#include "skin/engine/sConst.h"
#include "skin/window/acDials.h"

namespace {

TEST_F(HandlerTest, WindowGeometryIsReadInScreenAndParentCoordinates) {
    HWND parent = MakeRawWindow();
    HWND child = MakeRawWindow(parent);
    HWND parentWnd = nullptr;
    TRect wndRect, parentRect;
    TSize size;
    TPoint pos;
    GetWndParams(child, parentWnd, wndRect, parentRect, size, pos);
    EXPECT_EQ(parentWnd, parent);
    EXPECT_EQ(size.cx, 120);
    EXPECT_EQ(size.cy, 80);
    EXPECT_EQ(pos.x, 10);
    EXPECT_EQ(pos.y, 20);
    TRect expected;
    GetWindowRect(parent, &expected);
    EXPECT_EQ(parentRect, expected);
}

TEST_F(HandlerTest, TheTopWindowIsToldThatAControlWasPlaced) {
    HWND top = MakeRawWindow();
    HWND grandChild = MakeRawWindow(MakeRawWindow(top));
    RawSeen.clear();
    NotifyTopWindow(grandChild);
    ASSERT_EQ(RawSeen.size(), 1u);
    EXPECT_EQ(RawSeen[0].Msg, SM_ALPHACMD);
    EXPECT_EQ(RawSeen[0].WParam, SkinWParam(SKCMD_CONTROLPLACED));
}

TEST_F(HandlerTest, ComponentsAreFoundByAllocatedHandlesOnly) {
    TForm* form = MakeForm();
    auto* panel = new TPanel(form);
    panel->SetParent(form);
    auto* inner = new TEdit(panel);
    inner->SetParent(panel);
    auto* unallocated = new TEdit(form);
    inner->HandleNeeded();
    EXPECT_EQ(FindComponentByHandle(inner->Handle(), form), inner) << "found below its owner";
    EXPECT_EQ(FindComponentByHandle(panel->Handle(), form), panel);
    EXPECT_FALSE(unallocated->HandleAllocated());
    EXPECT_EQ(FindComponentByHandle(nullptr, form), nullptr);
    EXPECT_FALSE(unallocated->HandleAllocated()) << "the search creates no handle";
}

TEST_F(HandlerTest, PropertiesByNameAreReadAndWrittenOnlyWhenTheyExist) {
    TForm* form = MakeForm();
    form->SetColor(clRed);
    EXPECT_EQ(GetColorPropIfExists(form, L"Color"), ColorToRGB(clRed));
    EXPECT_EQ(GetColorPropIfExists(form, L"NoSuchColor"), 0);
    EXPECT_EQ(GetColorPropIfExists(nullptr, L"Color"), 0);
    SetIntPropIfExists(form, L"Color", clBlue);
    EXPECT_EQ(form->Color(), clBlue);
    SetIntPropIfExists(form, L"NoSuchProperty", 7);
    SetIntPropIfExists(nullptr, L"Color", 7);
}

TEST_F(HandlerTest, BorderStatesNeedASkinnedLinkWithAMultiStateBorder) {
    TForm* form = MakeForm();
    TsCommonData link(form, false);
    EXPECT_FALSE(BorderHasStates(&link)) << "no skin: no indexes";
    ApplySkin();
    link.SetSkinSection(L"FORM");
    link.UpdateIndexes();
    EXPECT_TRUE(BorderHasStates(&link)) << "the test skin's form border has two states";
    link.SetSkinSection(L"MENULINE");
    link.UpdateIndexes();
    EXPECT_FALSE(BorderHasStates(&link));
}

TEST_F(HandlerTest, ABroadcastReachesEachDirectChildOnly) {
    HWND parent = MakeRawWindow();
    HWND first = MakeRawWindow(parent, L"first");
    MakeRawWindow(parent, L"second");
    MakeRawWindow(first, L"grandchild");
    RawSeen.clear();
    BroadcastToChildWindows(parent, TMessage{WM_APP, 7, 0, 0});
    ASSERT_EQ(RawCount(WM_APP), 2) << "the children only, not the parent or the grandchild";
    EXPECT_EQ(RawSeen[0].WParam, 7u);
}

TEST_F(HandlerTest, ADialogProviderFindsItsChildrensHandlersByWindow) {
    HWND one = MakeRawWindow();
    HWND two = MakeRawWindow();
    HWND none = MakeRawWindow();
    auto* provider = Construct<TacProvider>(nullptr);
    for (HWND wnd : {one, two})
        provider->acSkinnedCtrls.push_back(
            Construct<TProbeWnd>(wnd, nullptr, nullptr, UnicodeString(L"CHECKBOX")));
    EXPECT_EQ(provider->FindCtrlInList(two), provider->acSkinnedCtrls[1]);
    EXPECT_EQ(provider->FindCtrlInList(one), provider->acSkinnedCtrls[0]);
    EXPECT_EQ(provider->FindCtrlInList(none), nullptr);
    provider->Free();
    EXPECT_EQ(TProbeWnd::Frees, 2) << "the provider owns its children's handlers";
}

} // namespace
