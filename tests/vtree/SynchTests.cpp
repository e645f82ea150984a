#include "InputFixture.h"

namespace {

using namespace vtree_test;

using VTSynch = TInputFixture;

TEST_F(VTSynch, NestedSynchReportsEachLevelAndDeliversPendingChanges) {
    AddRows(3);
    Tree().SetChangeDelay(500);
    Recorder.Log.clear();
    Tree().SetSelected(Row(1), true);
    EXPECT_TRUE(Tree().TreeStates().Contains(tsChangePending)) << "delayed by ChangeDelay";
    EXPECT_EQ(Recorder.ChangeCount, 0);
    Tree().BeginSynch();
    EXPECT_EQ(Recorder.ChangeCount, 1) << "the pending change is delivered on entering";
    Tree().BeginSynch();
    Tree().SetSelected(Row(2), true);
    EXPECT_GT(Recorder.ChangeCount, 1) << "inside, ChangeDelay has no effect";
    EXPECT_FALSE(Tree().TreeStates().Contains(tsChangePending));
    Tree().EndSynch();
    EXPECT_TRUE(Tree().TreeStates().Contains(tsSynchMode));
    Tree().EndSynch();
    EXPECT_FALSE(Tree().TreeStates().Contains(tsSynchMode));
    std::vector<std::wstring> updating;
    for (const std::wstring& entry : Recorder.Log)
        if (entry.rfind(L"updating", 0) == 0) updating.push_back(entry);
    EXPECT_EQ(updating, (std::vector<std::wstring>{L"updating " + std::to_wstring(usBeginSynch),
                                                   L"updating " + std::to_wstring(usSynch),
                                                   L"updating " + std::to_wstring(usSynch),
                                                   L"updating " + std::to_wstring(usEndSynch)}));
}

TEST_F(VTSynch, EnteringEndsAnIncrementalSearch) {
    AddRows(3);
    Tree().SetIncrementalSearch(isAll);
    Window->Perform(WM_KEYDOWN, 'R', 1);
    Window->Perform(WM_CHAR, 'R', 1);
    ASSERT_FALSE(Tree().SearchBuffer().empty());
    Tree().BeginSynch();
    EXPECT_TRUE(Tree().SearchBuffer().empty());
    EXPECT_FALSE(Tree().TreeStates().Contains(tsIncrementalSearching));
    Tree().EndSynch();
}

} // namespace
