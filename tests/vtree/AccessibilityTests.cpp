// The accessibility factory: registration, the choice of provider for a tree's first and second
// request, and WM_GETOBJECT answered through an in-process test provider that makes standard
// accessible objects for the window, and the name-change event of a main column change.
#include "WindowFixture.h"

#include "framework/ExceptionBoundary.h"

using namespace vtree_test;

namespace {

using TCreateStdAccessibleObject = HRESULT(WINAPI*)(HWND, LONG, REFIID, void**);

// Makes a fresh standard accessible object for the tree's window on each request (or none).
class TTestProvider : public IVTAccessibleProvider {
public:
    bool Answers = true;
    std::vector<IAccessible*> Made;
    TComPtr<IAccessible> CreateIAccessible(TVirtualTreeWindow* ATree) override {
        if (!Answers) return nullptr;
        static const auto create =
            reinterpret_cast<TCreateStdAccessibleObject>(reinterpret_cast<void*>(
                GetProcAddress(LoadLibraryW(L"oleacc.dll"), "CreateStdAccessibleObject")));
        TComPtr<IAccessible> made;
        if (create)
            create(ATree->Handle(), OBJID_CLIENT, __uuidof(IAccessible),
                   reinterpret_cast<void**>(made.Put()));
        Made.push_back(made.Get());
        return made;
    }
};

// Registers for the length of a test: the factory lives as long as the process.
class TRegistered {
public:
    explicit TRegistered(IVTAccessibleProvider* P) : FProvider(P) {
        GetAccessibilityFactory().RegisterAccessibleProvider(P);
    }
    ~TRegistered() { GetAccessibilityFactory().UnRegisterAccessibleProvider(FProvider); }

private:
    IVTAccessibleProvider* FProvider;
};

class Accessibility : public TWindowFixture {
protected:
    LRESULT GetObject(LONG Id) {
        return SendMessageW(Window->Handle(), WM_GETOBJECT, 0, static_cast<LPARAM>(Id));
    }
};

} // namespace

TEST_F(Accessibility, WithoutProvidersNoObjectIsMade) {
    ASSERT_EQ(GetAccessibilityFactory().ProviderCount(), 0u);
    EXPECT_EQ(GetObject(OBJID_CLIENT), 0);
    EXPECT_EQ(Window->Accessible(), nullptr);
    EXPECT_EQ(Window->AccessibleItem(), nullptr);
}

TEST_F(Accessibility, RegisteringTwiceKeepsOneEntry) {
    TTestProvider provider, stranger;
    {
        TRegistered registered(&provider);
        GetAccessibilityFactory().RegisterAccessibleProvider(&provider);
        EXPECT_EQ(GetAccessibilityFactory().ProviderCount(), 1u);
        GetAccessibilityFactory().UnRegisterAccessibleProvider(&stranger);
        EXPECT_EQ(GetAccessibilityFactory().ProviderCount(), 1u);
    }
    EXPECT_EQ(GetAccessibilityFactory().ProviderCount(), 0u);
}

TEST_F(Accessibility, FirstRequestUsesTheDefaultProviderTheSecondTheOthers) {
    TTestProvider first, second;
    TRegistered one(&first), two(&second);
    EXPECT_NE(GetObject(OBJID_CLIENT), 0);
    ASSERT_EQ(first.Made.size(), 1u);
    ASSERT_EQ(second.Made.size(), 1u);
    EXPECT_NE(first.Made[0], nullptr);
    EXPECT_EQ(Window->Accessible(), first.Made[0]);
    EXPECT_EQ(Window->AccessibleItem(), second.Made[0]);
    // Other object ids answer nothing; nothing new is made once both exist.
    EXPECT_EQ(GetObject(OBJID_WINDOW), 0);
    EXPECT_EQ(first.Made.size(), 1u);
    EXPECT_EQ(second.Made.size(), 1u);
}

TEST_F(Accessibility, SecondRequestFallsBackToTheDefaultProvider) {
    TTestProvider first, second;
    second.Answers = false;
    TRegistered one(&first), two(&second);
    GetObject(OBJID_WINDOW);
    ASSERT_EQ(first.Made.size(), 2u);
    EXPECT_EQ(Window->Accessible(), first.Made[0]);
    EXPECT_EQ(Window->AccessibleItem(), first.Made[1]);
}

namespace {

// The windows a name-change event was raised for, with the object and child ids.
struct TNameChange {
    HWND Window;
    LONG Object;
    LONG Child;
};
std::vector<TNameChange> NameChanges;

void CALLBACK RecordNameChange(HWINEVENTHOOK, DWORD, HWND Window, LONG Object, LONG Child, DWORD,
                               DWORD) {
    GuardBoundary([&] { NameChanges.push_back({Window, Object, Child}); });
}

// Listens to name changes of this process while alive; events may arrive through the queue.
class TNameChangeHook {
public:
    TNameChangeHook()
        : FHook(SetWinEventHook(EVENT_OBJECT_NAMECHANGE, EVENT_OBJECT_NAMECHANGE, nullptr,
                                RecordNameChange, GetCurrentProcessId(), 0,
                                WINEVENT_OUTOFCONTEXT)) {
        NameChanges.clear();
    }
    ~TNameChangeHook() {
        if (FHook) UnhookWinEvent(FHook);
    }
    TNameChangeHook(const TNameChangeHook&) = delete;
    TNameChangeHook& operator=(const TNameChangeHook&) = delete;
    bool Active() const noexcept { return FHook != nullptr; }
    // The events raised for Window so far.
    std::vector<TNameChange> For(HWND Window) const {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
        std::vector<TNameChange> found;
        for (const TNameChange& change : NameChanges)
            if (change.Window == Window) found.push_back(change);
        return found;
    }

private:
    HWINEVENTHOOK FHook;
};

} // namespace

TEST_F(Accessibility, MainColumnChangeRaisesANameChangeOnlyWithAnItemObject) {
    for (int i = 0; i < 2; ++i) Header().Columns()->Add();
    TNameChangeHook hook;
    ASSERT_TRUE(hook.Active());
    Header().SetMainColumn(1);
    EXPECT_TRUE(hook.For(Window->Handle()).empty()); // no item object yet

    TTestProvider first, second;
    TRegistered one(&first), two(&second);
    GetObject(OBJID_CLIENT);
    ASSERT_NE(Window->AccessibleItem(), nullptr);
    Header().SetMainColumn(0);
    const std::vector<TNameChange> changes = hook.For(Window->Handle());
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0].Object, OBJID_CLIENT);
    EXPECT_EQ(changes[0].Child, CHILDID_SELF);
    Header().SetMainColumn(0); // unchanged: no event
    EXPECT_EQ(hook.For(Window->Handle()).size(), 1u);
}
