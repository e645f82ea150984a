// The accessibility factory: registration, the choice of provider for a tree's first and second
// request, and WM_GETOBJECT answered through an in-process test provider that makes standard
// accessible objects for the window.
#include "WindowFixture.h"

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
        static const auto create = reinterpret_cast<TCreateStdAccessibleObject>(
            reinterpret_cast<void*>(GetProcAddress(LoadLibraryW(L"oleacc.dll"),
                                                   "CreateStdAccessibleObject")));
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
