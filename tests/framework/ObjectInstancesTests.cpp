#include "framework/ObjectInstances.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// A handler object: records which object a message reached and answers with its own id.
struct TTarget {
    int Id;
    std::vector<TMessage> Received;
    WNDPROC Instance = nullptr;
    WNDPROC ReplacementDuringDispatch = nullptr;

    void Proc(TMessage& message) {
        Received.push_back(message);
        message.Result = Id;
    }

    // Frees its own instance while the instance is dispatching, then asks for a new one.
    void FreeingProc(TMessage& message) {
        FreeObjectInstance(Instance);
        ReplacementDuringDispatch = MakeObjectInstance(TWndMethod(this, &TTarget::Proc));
        message.Result = Id;
    }
};

} // namespace

TEST(ObjectInstances, CallTheMethodOfTheirObject) {
    TTarget first{1};
    TTarget second{2};
    WNDPROC a = MakeObjectInstance(TWndMethod(&first, &TTarget::Proc));
    WNDPROC b = MakeObjectInstance(TWndMethod(&second, &TTarget::Proc));

    EXPECT_EQ(CallWindowProcW(a, nullptr, WM_USER, 11, 12), 1);
    EXPECT_EQ(CallWindowProcW(b, nullptr, WM_USER + 1, 21, 22), 2);
    ASSERT_EQ(first.Received.size(), 1u);
    EXPECT_EQ(first.Received[0].Msg, static_cast<UINT>(WM_USER));
    EXPECT_EQ(first.Received[0].WParam, 11u);
    EXPECT_EQ(first.Received[0].LParam, 12);
    ASSERT_EQ(second.Received.size(), 1u);
    EXPECT_EQ(second.Received[0].WParam, 21u);
    FreeObjectInstance(a);
    FreeObjectInstance(b);
}

TEST(ObjectInstances, SubclassARawWindow) {
    HWND wnd = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(wnd, nullptr);
    TTarget target{7};
    WNDPROC instance = MakeObjectInstance(TWndMethod(&target, &TTarget::Proc));
    const LONG_PTR previous =
        SetWindowLongPtrW(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(instance));

    EXPECT_EQ(SendMessageW(wnd, WM_USER + 3, 5, 6), 7);
    ASSERT_FALSE(target.Received.empty());
    EXPECT_EQ(target.Received.back().Msg, static_cast<UINT>(WM_USER + 3));

    SetWindowLongPtrW(wnd, GWLP_WNDPROC, previous);
    FreeObjectInstance(instance);
    DestroyWindow(wnd);
}

TEST(ObjectInstances, FreedInsideItsOwnDispatchStaysValidUntilItReturns) {
    TTarget target{3};
    target.Instance = MakeObjectInstance(TWndMethod(&target, &TTarget::FreeingProc));

    EXPECT_EQ(CallWindowProcW(target.Instance, nullptr, WM_NCDESTROY, 0, 0), 3);
    EXPECT_NE(target.ReplacementDuringDispatch, target.Instance)
        << "the freed instance was handed out again while it was still running";
    EXPECT_EQ(CallWindowProcW(target.Instance, nullptr, WM_USER, 0, 0), 0)
        << "a freed instance answers the default";
    FreeObjectInstance(target.ReplacementDuringDispatch);
}
