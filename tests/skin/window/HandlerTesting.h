// Helpers of the handler tests: a raw window of a class of our own whose procedure records what
// reaches it, and a handler that counts its look being saved and restored and notes when it is
// freed.
#pragma once

#include "FormSkinTesting.h"

#include "skin/window/acSBUtils.h"

// The raw window's procedure: records every message; WM_APP is answered RawAnswer.
LRESULT CALLBACK RawWindowProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);
constexpr LRESULT RawAnswer = 42;

struct TRawSeen {
    UINT Msg;
    WPARAM WParam;
};
// What RawWindowProc received, in order (cleared by HandlerTest::SetUp).
extern std::vector<TRawSeen> RawSeen;
// How many messages Msg reached RawWindowProc.
int RawCount(UINT Msg);

class TProbeWnd : public TacMainWnd {
    CLASS_INFO(TProbeWnd, TacMainWnd)
public:
    using TacMainWnd::TacMainWnd;
    ~TProbeWnd() override;
    void SaveStdParams() override { ++Saves; }
    void RestoreStdParams() override { ++Restores; }
    void acWndProc(TMessage& Message) override;

    // Counters live outside the object so that they can be read after it is freed.
    static inline int Saves = 0;
    static inline int Restores = 0;
    static inline int Frees = 0;
    static inline int Handled = 0;
    // WM_APP + 1 makes the handler release itself in the middle of its own dispatch; the
    // destructor notes whether that dispatch was still running.
    static inline bool InOwnDispatch = false;
    static inline bool FreedInOwnDispatch = false;
};

// For the time of a test, the adapter's handler table gives edits a probe handler and nothing
// else a handler.
class TEditProbeMakers {
public:
    TEditProbeMakers();
    ~TEditProbeMakers();
    TEditProbeMakers(const TEditProbeMakers&) = delete;
    TEditProbeMakers& operator=(const TEditProbeMakers&) = delete;
    // Edits get no handler until Resume.
    void Pause();
    void Resume();

private:
    std::array<TAdapterHandlerMaker, ThirdKindCount> FSaved;
};

class HandlerTest : public FormSkinTest {
protected:
    void SetUp() override;
    void TearDown() override;
    // A hidden top-level raw window (or a child of Parent) of the recording class.
    HWND MakeRawWindow(HWND Parent = nullptr, const wchar_t* Text = L"raw");

    std::vector<HWND> RawWindows;
};
