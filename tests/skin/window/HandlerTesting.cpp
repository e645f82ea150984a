#include "HandlerTesting.h"

#include <algorithm>

std::vector<TRawSeen> RawSeen;

namespace {

constexpr const wchar_t* RawClass = L"HandlerTestRaw";

void RegisterRawClass() { RegisterTestWindowClass(RawClass, RawWindowProc); }

} // namespace

LRESULT CALLBACK RawWindowProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
    RawSeen.push_back({Msg, WParam});
    if (Msg == WM_APP) return RawAnswer;
    return DefWindowProcW(Wnd, Msg, WParam, LParam);
}

int RawCount(UINT Msg) {
    return static_cast<int>(std::count_if(RawSeen.begin(), RawSeen.end(),
                                          [&](const TRawSeen& s) { return s.Msg == Msg; }));
}

TProbeWnd::~TProbeWnd() {
    ++Frees;
    FreedInOwnDispatch = InOwnDispatch;
}

void TProbeWnd::acWndProc(TMessage& Message) {
    ++Handled;
    if (Message.Msg == WM_APP + 1) {
        InOwnDispatch = true;
        TacMainWnd* self = this;
        UninstallHandler(CtrlHandle, true, false, self);
        InOwnDispatch = false;
        return;
    }
    TacMainWnd::acWndProc(Message);
}

namespace {

TacMainWnd* MakeProbe(TWinControl* Control, TsCommonData* SkinData, TsSkinManager* Manager) {
    return Construct<TProbeWnd>(Control->Handle(), SkinData, Manager, SkinData->SkinSection());
}

} // namespace

TEditProbeMakers::TEditProbeMakers() : FSaved(AdapterHandlerMakers) {
    AdapterHandlerMakers = {};
    Resume();
}

TEditProbeMakers::~TEditProbeMakers() { AdapterHandlerMakers = FSaved; }

void TEditProbeMakers::Pause() { AdapterHandlerMakers[ikEdit] = nullptr; }

void TEditProbeMakers::Resume() { AdapterHandlerMakers[ikEdit] = MakeProbe; }

void HandlerTest::SetUp() {
    FormSkinTest::SetUp();
    RegisterRawClass();
    RawSeen.clear();
    TProbeWnd::Saves = TProbeWnd::Restores = TProbeWnd::Frees = TProbeWnd::Handled = 0;
    TProbeWnd::InOwnDispatch = TProbeWnd::FreedInOwnDispatch = false;
}

void HandlerTest::TearDown() {
    for (HWND wnd : RawWindows)
        if (IsWindow(wnd)) DestroyWindow(wnd);
    RawWindows.clear();
    FormSkinTest::TearDown();
}

HWND HandlerTest::MakeRawWindow(HWND Parent, const wchar_t* Text) {
    HWND wnd = CreateWindowExW(0, RawClass, Text, Parent ? WS_CHILD : WS_OVERLAPPEDWINDOW, 10, 20,
                               120, 80, Parent, nullptr, GetModuleHandleW(nullptr), nullptr);
    RawWindows.push_back(wnd);
    return wnd;
}
