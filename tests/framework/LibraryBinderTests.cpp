// The run-time binder: a Boolean answer for the library and for each name, a library name that
// can be replaced until the load, and an unload that clears what it bound and frees the library.
#include "framework/LibraryBinder.h"

#include <gtest/gtest.h>

namespace {

// A system library that nothing else in the test program loads, and two of its exports.
constexpr const wchar_t* LibraryName = L"pdh.dll";
using TPdhCloseQuery = LONG(WINAPI*)(HANDLE query);
using TPdhCollectQueryData = LONG(WINAPI*)(HANDLE query);

TEST(LibraryBinder, BindsNamesAndAnswersWhichWereFound) {
    TLibraryBinder binder(LibraryName);
    ASSERT_TRUE(binder.Load());
    EXPECT_EQ(binder.LoadError(), 0u);
    TPdhCloseQuery PdhCloseQuery = nullptr;
    TPdhCloseQuery missing = nullptr;
    EXPECT_TRUE(binder.Bind(ENTRY_POINT(PdhCloseQuery)));
    EXPECT_EQ(reinterpret_cast<void*>(PdhCloseQuery),
              reinterpret_cast<void*>(::GetProcAddress(binder.Module(), "PdhCloseQuery")));
    EXPECT_FALSE(binder.Bind(missing, "NoSuchExportAnywhere"));
    EXPECT_EQ(missing, nullptr);
    binder.Unload();
}

TEST(LibraryBinder, UnloadClearsTheEntryPointsAndFreesTheLibrary) {
    ASSERT_EQ(::GetModuleHandleW(LibraryName), nullptr);
    TPdhCloseQuery PdhCloseQuery = nullptr;
    TPdhCollectQueryData PdhCollectQueryData = nullptr;
    {
        TLibraryBinder binder(LibraryName);
        ASSERT_TRUE(binder.Load());
        ASSERT_TRUE(binder.Bind(ENTRY_POINT(PdhCloseQuery)));
        ASSERT_TRUE(binder.Bind(ENTRY_POINT(PdhCollectQueryData)));
        binder.Unload();
        EXPECT_EQ(PdhCloseQuery, nullptr);
        EXPECT_EQ(PdhCollectQueryData, nullptr);
        EXPECT_FALSE(binder.Loaded());
        EXPECT_EQ(::GetModuleHandleW(LibraryName), nullptr);

        ASSERT_TRUE(binder.Load());
        ASSERT_TRUE(binder.Bind(ENTRY_POINT(PdhCloseQuery)));
    }
    // The binder's end is the module's end for binders that live as long as the program.
    EXPECT_EQ(PdhCloseQuery, nullptr);
    EXPECT_EQ(::GetModuleHandleW(LibraryName), nullptr);
}

TEST(LibraryBinder, FailedLoadAnswersFalseAndIsTriedAgainUnderANewName) {
    TLibraryBinder binder(L"no-such-library-of-ours.dll");
    EXPECT_FALSE(binder.Load());
    EXPECT_NE(binder.LoadError(), 0u);
    TPdhCloseQuery PdhCloseQuery = nullptr;
    EXPECT_FALSE(binder.Bind(ENTRY_POINT(PdhCloseQuery)));
    EXPECT_EQ(PdhCloseQuery, nullptr);

    binder.SetLibraryName(LibraryName);
    EXPECT_EQ(binder.LibraryName(), LibraryName);
    EXPECT_TRUE(binder.Load());
    EXPECT_EQ(binder.LoadError(), 0u);
    EXPECT_TRUE(binder.Bind(ENTRY_POINT(PdhCloseQuery)));
}

} // namespace
