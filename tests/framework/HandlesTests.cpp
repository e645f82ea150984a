// The one owner of system handles. Its moves and releases are checked against a log that test
// traits keep (a handle released twice or never shows in the log), then on the kinds of handle
// the libraries hold: GDI regions, window DCs, kernel objects and loaded modules.
#include "framework/Graphics.h"
#include "framework/Handles.h"

#include <gtest/gtest.h>

#include <cctype>
#include <functional>
#include <type_traits>
#include <vector>

namespace {

// Handles are small integers; 0 is none and so is -1 (as INVALID_HANDLE_VALUE is for kernel
// handles). A release logs handle * 10 + the tag the traits carry.
std::vector<int> ReleaseLog;

struct TLoggedTraits {
    using THandle = int;
    int Tag = 0;
    static constexpr int Invalid() noexcept { return 0; }
    static constexpr int Adopt(int handle) noexcept { return handle == -1 ? 0 : handle; }
    void Close(int handle) const noexcept { ReleaseLog.push_back(handle * 10 + Tag); }
};
using TLogged = TOwnedHandle<TLoggedTraits>;

static_assert(!std::is_copy_constructible_v<TLogged> && !std::is_copy_assignable_v<TLogged>);
static_assert(std::is_nothrow_move_constructible_v<TLogged> &&
              std::is_nothrow_move_assignable_v<TLogged>);
static_assert(!std::is_copy_constructible_v<TOwnedRegion> &&
              !std::is_copy_constructible_v<TKernelHandle>);

struct TOwnerCase {
    const char* Name;
    std::function<void()> Steps;
    std::vector<int> Released; // the log once the steps' owners are gone, in order
};

const TOwnerCase OwnerCases[] = {
    {"an owner releases its handle when destroyed", [] { TLogged owner(7); }, {70}},
    {"an empty owner releases nothing", [] { TLogged owner; }, {}},
    {"the second none value is held as none",
     [] {
         TLogged owner(-1);
         EXPECT_FALSE(owner);
         EXPECT_EQ(owner.Get(), 0);
     },
     {}},
    {"a moved-from owner releases nothing",
     [] {
         TLogged first(7);
         TLogged second(std::move(first));
         EXPECT_FALSE(first);
         EXPECT_EQ(second.Get(), 7);
     },
     {70}},
    {"move assignment releases the target's handle first",
     [] {
         TLogged first(1);
         TLogged second(2);
         second = std::move(first);
         EXPECT_EQ(ReleaseLog, std::vector<int>{20});
     },
     {20, 10}},
    {"Reset releases the old handle and takes the new one",
     [] {
         TLogged owner(3);
         owner.Reset(4);
         EXPECT_EQ(owner.Get(), 4);
     },
     {30, 40}},
    {"Reset to the handle held keeps it",
     [] {
         TLogged owner(3);
         owner.Reset(3);
         EXPECT_TRUE(owner);
     },
     {30}},
    {"Release gives the handle up unreleased",
     [] {
         TLogged owner(5);
         EXPECT_EQ(owner.Release(), 5);
         EXPECT_FALSE(owner);
     },
     {}},
    {"the traits travel with the handle",
     [] {
         TLogged first(5, TLoggedTraits{1});
         TLogged second(6, TLoggedTraits{2});
         second = std::move(first);
     },
     {62, 51}},
    {"Reset with traits releases by the old traits",
     [] {
         TLogged owner(5, TLoggedTraits{1});
         owner.Reset(6, TLoggedTraits{2});
     },
     {51, 62}},
};

class OwnerCase : public testing::TestWithParam<TOwnerCase> {};

TEST_P(OwnerCase, ReleasesEachHandleOnce) {
    ReleaseLog.clear();
    GetParam().Steps();
    EXPECT_EQ(ReleaseLog, GetParam().Released);
}

INSTANTIATE_TEST_SUITE_P(Handles, OwnerCase, testing::ValuesIn(OwnerCases),
                         [](const testing::TestParamInfo<TOwnerCase>& info) {
                             std::string name;
                             for (const char* c = info.param.Name; *c; ++c)
                                 if (std::isalnum(static_cast<unsigned char>(*c))) name += *c;
                             return name;
                         });

// The log comparison bites: an owner whose handle is copied out and released by hand as well
// shows the second release.
TEST(Handles, LogShowsAHandleReleasedTwice) {
    ReleaseLog.clear();
    {
        TLogged owner(9);
        TLoggedTraits{}.Close(owner.Get());
    }
    EXPECT_NE(ReleaseLog, std::vector<int>{90});
}

bool IsGdiObject(HGDIOBJ object) { return ::GetObjectType(object) != 0; }

TEST(Handles, RegionIsDeletedWithItsOwner) {
    HRGN raw = nullptr;
    {
        const TOwnedRegion region(::CreateRectRgn(0, 0, 4, 4));
        raw = region.Get();
        ASSERT_TRUE(IsGdiObject(raw));
    }
    EXPECT_FALSE(IsGdiObject(raw));
}

TEST(Handles, WindowDCGoesBackToItsWindow) {
    HWND window = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                    nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    HDC raw = nullptr;
    {
        const TOwnedWindowDC dc = OwnedDCOf(window);
        ASSERT_TRUE(dc);
        raw = dc.Get();
        EXPECT_EQ(::WindowFromDC(raw), window);
    }
    // Released already: the window refuses to take it back a second time.
    EXPECT_EQ(::ReleaseDC(window, raw), 0);
    ::DestroyWindow(window);
}

TEST(Handles, KernelHandleTakesInvalidHandleValueAsNone) {
    const TKernelHandle failed(INVALID_HANDLE_VALUE);
    EXPECT_FALSE(failed);
    EXPECT_EQ(failed.Get(), nullptr);
}

TEST(Handles, LibraryIsFreedWithItsOwner) {
    // A module no other code of the test program holds: freeing it unloads it.
    const wchar_t* name = L"pdh.dll";
    ASSERT_EQ(::GetModuleHandleW(name), nullptr);
    {
        const TOwnedLibrary library(::LoadLibraryW(name));
        ASSERT_TRUE(library);
        EXPECT_EQ(::GetModuleHandleW(name), library.Get());
    }
    EXPECT_EQ(::GetModuleHandleW(name), nullptr);
}

} // namespace
