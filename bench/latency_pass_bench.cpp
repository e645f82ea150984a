// What the user meets in the batch latency test: whole paced passes over 500 lines through the
// main window's real feeder, thread pool and ping components, with the scripted ICMP library
// (tests/fakes/icmp) answering: round trips spread over 0 to 400 ms, and 0%, 10%, 25% and 50%
// of the lines silent, each of which holds a worker for the 4 s echo time-out. For each share
// it prints the pass time (the start of the test to the last line's outcome written into its
// row) against the ideal of 500 x 50 ms and against the least any pass can take (a silent
// line queued late still waits its whole time-out), the peak worker count, the peak queue
// length (and the length when the last line was queued: below the peak, the queue drains), and how
// long the GUI thread's messages waited during the pass: a probe thread posts a message every 10 ms
// to a window of the GUI thread, which notes how late each arrives.
//
// The shares run one after another in one window, as a user's repeated tests do: the view keeps
// the order the last sort left, in which lines without a delay come last, so each share's pass
// ends with the lines the share before found silent, fed back to back.
//
// Every address is on 127.0.0.0/8, and the scripted library sends nothing. Under Wine it must
// be let in over Wine's own library of that name: WINEDLLOVERRIDES=icmp=n,b (scripts/bench).
#include "client/gui/LatencyTest.h"

#include "client/AppShared.h"

#include "framework/Application.h"
#include "framework/ModuleInit.h"
#include "support/NetPing/NetIcmp.h"
#include "support/NetPing/NetWndControl.h"
#include "support/XtThread/XtThread.h"

#include "BenchTiming.h"

#include <winsock2.h>
#include <windows.h>
#include <ipexport.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdio>
#include <map>
#include <new>
#include <string>
#include <thread>

namespace {

constexpr int Lines = 500;
constexpr double PacingSeconds = 0.05;     // the feeder's step
constexpr double TimeOutSeconds = 4.0;     // the ping component's default echo time-out
constexpr double PassLimitSeconds = 300;   // a pass that takes longer has hung
constexpr double SlowMessageSeconds = 0.1; // what the user notices

class TMainWithoutLogin : public Tfrmmain {
public:
    using Tfrmmain::Tfrmmain;

protected:
    void DoCreate() override {}
};

std::string LineAddress(int i) {
    return "127.0." + std::to_string(10 + i / 250) + "." + std::to_string(1 + i % 250);
}

// `percent` of every hundred lines silent, spread over the hundred (37 and 100 are coprime).
bool Silent(int i, int percent) { return (i * 37) % 100 < percent; }

DWORD RoundTrip(int i) { return static_cast<DWORD>((i * 53) % 401); }

// The scripted library, loaded by its path next to this program and made the one the ping
// components load.
class TScriptedIcmp {
public:
    TScriptedIcmp() {
        wchar_t exe[MAX_PATH];
        const DWORD length = GetModuleFileNameW(nullptr, exe, MAX_PATH);
        UnicodeString path(exe, length);
        path.erase(path.find_last_of(L"\\/") + 1);
        for (const char* c = FAKE_ICMP_RELATIVE_PATH; *c; ++c)
            path += *c == '/' ? L'\\' : wchar_t(*c);
        FLibrary = LoadLibraryW(path.c_str());
        if (!FLibrary) return;
        IcmpBinder().LibraryName = path;
        FScript = reinterpret_cast<TScriptFunction>(
            reinterpret_cast<void*>(GetProcAddress(FLibrary, "FakeIcmpScript")));
    }
    ~TScriptedIcmp() {
        if (FLibrary) FreeLibrary(FLibrary);
    }
    bool Loaded() const { return FScript != nullptr; }
    void Script(const std::string& address, bool silent, DWORD roundTrip) const {
        FScript(inet_addr(address.c_str()), IP_SUCCESS, roundTrip, silent ? MAXDWORD : 0);
    }

private:
    using TScriptFunction = void(WINAPI*)(ULONG, DWORD, DWORD, DWORD);
    HMODULE FLibrary = nullptr;
    TScriptFunction FScript = nullptr;
};

// Posts a message every 10 ms to a window of the GUI thread and keeps how long the longest
// waited to be handled, the mean wait, and how many waited longer than the user notices.
class TMessageProbe {
public:
    TMessageProbe() {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = &TMessageProbe::WindowProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"LatencyPassProbe";
        RegisterClassW(&windowClass);
        FWindow = CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                  nullptr, windowClass.hInstance, nullptr);
        SetWindowLongPtrW(FWindow, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~TMessageProbe() {
        Stop();
        DestroyWindow(FWindow);
    }
    void Start() {
        MaxWait = SumWait = 0;
        Handled = Slow = 0;
        FStop = false;
        FPoster = std::thread([this] {
            for (unsigned sequence = 0; !FStop; ++sequence) {
                FPostedAt[sequence % FPostedAt.size()] = SecondsNow();
                PostMessageW(FWindow, WM_APP, sequence, 0);
                Sleep(10);
            }
        });
    }
    void Stop() {
        FStop = true;
        if (FPoster.joinable()) FPoster.join();
    }

    double MaxWait = 0, SumWait = 0;
    int Handled = 0, Slow = 0;

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* probe = reinterpret_cast<TMessageProbe*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (message != WM_APP || !probe) return DefWindowProcW(window, message, wParam, lParam);
        const double wait = SecondsNow() - probe->FPostedAt[wParam % probe->FPostedAt.size()];
        probe->MaxWait = std::max(probe->MaxWait, wait);
        probe->SumWait += wait;
        ++probe->Handled;
        if (wait > SlowMessageSeconds) ++probe->Slow;
        return 0;
    }

    HWND FWindow = nullptr;
    std::thread FPoster;
    std::atomic<bool> FStop{false};
    // Posting times by sequence number; a message waits far less than the ring's 40 s.
    std::array<std::atomic<double>, 4096> FPostedAt{};
};

struct TPass {
    double Seconds = 0, Least = 0;
    int PeakWorkers = 0, PeakQueue = 0;
    int FedQueue =
        -1; // the queue when the feeder has queued the last line: below the peak, it drains
    bool Complete = false;
};

class TBench {
public:
    TBench() {
        InitializeModules(
            {FrameworkModule(), XtThreadModule(), NetWndControlModule(), AppSharedModule()});
        lang_code = LangEnglish;
        FForm = Construct<TMainWithoutLogin>(nullptr);
        frmmain = FForm;
        Tree()->SetNodeDataSize(sizeof(ps));
        FForm->IPAddrTxt->HandleNeeded();
        for (int i = 0; i < Lines; ++i) {
            PVirtualNode node = Tree()->AddChild(nullptr);
            ps* line = new (Tree()->GetNodeData(node)) ps();
            line->name = L"Line " + std::to_wstring(i);
            const std::string address = LineAddress(i);
            line->ip = UnicodeString(address.begin(), address.end());
            FIndex[line->ip] = i;
            FForm->IPAddrTxt->Items()->Add(line->name);
        }
        FForm->IPAddrTxt->SetItemIndex(0);
        // Shown, so that every refresh of the view paints as the user's does.
        FForm->Show();
    }
    ~TBench() {
        FForm->Free();
        frmmain = nullptr;
        FinalizeModules();
    }

    TPass Run(const TScriptedIcmp& icmp, int percent) {
        for (int i = 0; i < Lines; ++i)
            icmp.Script(LineAddress(i), Silent(i, percent), RoundTrip(i));
        TPass pass;
        // The feeder takes the lines in the view's order; the least a pass can take follows.
        int k = 0;
        for (PVirtualNode node = Tree()->GetFirst(); node; node = Tree()->GetNext(node), ++k) {
            ps* line = Tree()->GetNodeData<ps>(node);
            line->delay = L"NA";
            line->losttimes = 0;
            const bool silent = Silent(FIndex[line->ip], percent);
            pass.Least =
                std::max(pass.Least, (k + 1) * PacingSeconds + (silent ? TimeOutSeconds : 0));
        }
        FProbe.Start();
        const double start = SecondsNow();
        Click();
        pass.Complete = HandleUntil([&] {
            pass.PeakWorkers = std::max(pass.PeakWorkers, FForm->tp1->ThreadCount());
            pass.PeakQueue = std::max(pass.PeakQueue, FForm->tp1->TaskCount());
            if (pass.FedQueue < 0 && SecondsNow() - start >= Lines * PacingSeconds)
                pass.FedQueue = FForm->tp1->TaskCount();
            return AllMeasured() || SecondsNow() - start > PassLimitSeconds;
        });
        pass.Seconds = SecondsNow() - start;
        pass.Complete = pass.Complete && AllMeasured();
        FProbe.Stop();
        Click(); // stops the test
        // The feeder leaves and the workers still on an echo of the next pass finish it before
        // the next share starts: a feeder that has not yet seen the test stopped would go on
        // with its old pass from the middle, and the next share would be measured from there.
        HandleUntil([&] {
            return !FForm->pingthread->OneThreadIsRunning() && FForm->tp1->TaskCount() == 0 &&
                   FForm->tp1->IdleThreadCount() == FForm->tp1->ThreadCount();
        });
        return pass;
    }

    const TMessageProbe& Probe() const { return FProbe; }

private:
    TBaseVirtualTree* Tree() const { return FForm->vt1->Tree(); }
    void Click() { FForm->btn_speed->OnClick(FForm->btn_speed); }
    bool AllMeasured() const {
        for (PVirtualNode node = Tree()->GetFirst(); node; node = Tree()->GetNext(node))
            if (Tree()->GetNodeData<ps>(node)->delay == L"NA") return false;
        return true;
    }
    // The GUI thread's loop as the application runs it: waits for a message or a hand-over
    // and handles it at once. False when `done` does not hold within the pass limit.
    template <class Done> bool HandleUntil(Done done) {
        const double start = SecondsNow();
        while (!done()) {
            if (SecondsNow() - start > PassLimitSeconds) return false;
            const HANDLE sync = SyncEventHandle();
            MsgWaitForMultipleObjectsEx(1, &sync, 10, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
            CheckSynchronize();
            Application->ProcessMessages();
        }
        return true;
    }

    TMainWithoutLogin* FForm = nullptr;
    std::map<UnicodeString, int> FIndex; // address -> line number
    TMessageProbe FProbe;
};

} // namespace

int main() {
    TScriptedIcmp icmp;
    if (!icmp.Loaded()) {
        std::printf("the scripted ICMP library was not loaded (WINEDLLOVERRIDES=icmp=n,b?)\n");
        return 1;
    }
    TBench bench;
    const double ideal = Lines * PacingSeconds;
    bool complete = true;
    for (const int percent : {0, 10, 25, 50}) {
        const TPass pass = bench.Run(icmp, percent);
        const TMessageProbe& probe = bench.Probe();
        char what[64];
        std::snprintf(what, sizeof what, "500-line pass, %d%% silent", percent);
        std::printf("%-28s pass %6.2f s  ideal %6.2f s  ratio (ideal/pass) %.3f  least %6.2f s  "
                    "ratio (least/pass) %.3f\n",
                    what, pass.Seconds, ideal, ideal / pass.Seconds, pass.Least,
                    pass.Least / pass.Seconds);
        std::printf("%-28s peak workers %d  peak queue %d (%d when the last line was queued)  GUI "
                    "messages: longest wait %.0f ms, mean %.1f ms, %d of %d over %.0f ms\n",
                    what, pass.PeakWorkers, pass.PeakQueue, pass.FedQueue, probe.MaxWait * 1000,
                    probe.Handled ? probe.SumWait / probe.Handled * 1000 : 0.0, probe.Slow,
                    probe.Handled, SlowMessageSeconds * 1000);
        if (!pass.Complete)
            std::printf("%-28s did not finish within %.0f s\n", what, PassLimitSeconds);
        complete &= pass.Complete;
    }
    return complete ? 0 : 1;
}
