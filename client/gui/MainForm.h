// The main window `Tfrmmain`: made first, it runs the login modally inside its creation and
// ends the process when no login succeeded; it shows the areas and the lines of the chosen
// area in the line list view `vt1`; its menus open the account pages and refresh the line list;
// closing it saves the selection and ends the process with exit code 0.
//
// The controls are the skinned ones, which without a skin behave as the class library's; the
// area title items live on the frame bar `sb`, which like the status bars, the relay button and
// the second area box lies outside the client area. The dial-up components, the connect cycle
// and the latency tests belong to their own modules; this window only holds the controls they
// use.
#pragma once

#include "client/gui/ColumnLabel.h"
#include "client/gui/DialPhase.h"
#include "client/gui/TrafficCounter.h"

#include "client/ServiceManager.h"

#include "framework/Forms.h"
#include "framework/Menus.h"
#include "framework/Timers.h"
#include "framework/WebBrowser.h"
#include "skin/controls/SysTray.h"
#include "skin/controls/sButton.h"
#include "skin/controls/sComboBox.h"
#include "skin/controls/sFrameBar.h"
#include "skin/controls/sGroupBox.h"
#include "skin/controls/sLabel.h"
#include "skin/controls/sPanel.h"
#include "skin/controls/sRadioButton.h"
#include "skin/controls/sStatusBar.h"
#include "vtree/VirtualTrees.h"

#include <memory>

class TRelayRoute;
class TKitThreadPool;
class TKitTaskDataObject;
class TKitPoolingThread;
class TXtThread;
struct TLatencyLink;

class Tfrmmain : public TForm {
    CLASS_INFO(Tfrmmain, TForm)
public:
    explicit Tfrmmain(TComponent* owner);
    ~Tfrmmain() override;

    TWebBrowser *web1, *web2;
    TsGroupBox* grpLine;
    TsLabel *lblArea, *lblLine, *lblMode;
    TsComboBox *AreaTxt2, *IPAddrTxt, *AreaTxt, *com_game;
    TsButton *btn_speed, *cesu, *btn_conn, *btn_disconn, *Button1;
    TVirtualStringTreeWindow* vt1;
    TsPanel* pnlStatus;
    TColumnLabel *statuslabel, *protocollabel, *linelabel, *localiplabel, *datalabel, *userlabel;
    TsLabel* lbl_info;
    TTimer* vercheck;
    TMainMenu* mm1;
    TMenuItem *N2, *N11, *N3, *N4, *N10;
    TMenuItem *H1, *V1, *A1, *N12, *N13, *N1;
    TMenuItem *O1, *N14, *L2TPQ1;
    TPopupMenu* taskmenu1;
    TMenuItem *N9, *N7, *N8, *N5, *N6;
    TsFrameBar* sb;
    TSysTrayIcon* SysTrayIcon1;

    // The highlighted title item, and the one clicked when the window is shown.
    TsTitleItem* _XZ = nullptr;
    TsTitleItem* _zz = nullptr;

    // Outside the client area: the status bars, the panel with the pool counters and the relay
    // button; inside the line group: the protocol switches (OPENVPN hidden and disabled).
    TsStatusBar *StatusBar1, *sb001;
    TsPanel* pnlInfo;
    TsButton* btn_zz;
    TsRadioButton *rb_pptp, *rb_lp2p, *rb_openvpn;
    // The relay route and its 2000-entry `routerlist`; btn2Click adds the route, btn1Click
    // deletes it, and no control calls either.
    // Held by pointer: the route's header brings the system's IP Helper declarations, which
    // clash with the dial-up library's own RAS declarations in the files that include both.
    std::unique_ptr<TRelayRoute> relay;
    void vercheckTimer(TObject* Sender);
    void AreaTitleCreateFrame(TObject* Sender, TCustomFrame*& Frame);
    void btn1Click(TObject* Sender);
    void btn2Click(TObject* Sender);
    void L2TPQ1Click(TObject* Sender);

    // Re-captions the window's texts for `lang_code` (the login dialog's language routine).
    void ApplyLanguageTexts();

    void FormCreate(TObject* Sender);
    void FormShow(TObject* Sender);
    void FormCloseQuery(TObject* Sender, bool& CanClose);
    void FormClose(TObject* Sender, TCloseAction& Action);

    // Line list and areas.
    void LoadLineList();
    void AreaTxt2Change(TObject* Sender);
    // Sender: the clicked item's title button.
    void AreaTitleClick(TObject* Sender);
    void AreaTxtChange(TObject* Sender);
    void N14Click(TObject* Sender);

    // Line list view.
    void vt1GetText(TBaseVirtualTree* Sender, PVirtualNode Node, TColumnIndex Column,
                    TVSTTextType TextType, UnicodeString& CellText);
    void vt1CompareNodes(TBaseVirtualTree* Sender, PVirtualNode Node1, PVirtualNode Node2,
                         TColumnIndex Column, Integer& Result);
    void vt1DrawText(TVirtualTreeWindow* Sender, TCanvas* TargetCanvas, PVirtualNode Node,
                     TColumnIndex Column, const UnicodeString& Text, const TRect& CellRect,
                     bool& DefaultDraw);
    void vt1HeaderClick(TVTHeader* Sender, const TVTHeaderHitInfo& HitInfo);
    void vt1Click(TObject* Sender);
    void vt1FreeNode(TBaseVirtualTree* Sender, PVirtualNode Node);
    void RefreshPingInfo(TObject* Sender);

    // Menus.
    void N11Click(TObject* Sender);
    void AccountRootClick(TObject* Sender);
    void HelpPageClick(TObject* Sender);
    void N1Click(TObject* Sender);
    void N7Click(TObject* Sender);
    void N9Click(TObject* Sender);
    void Button1Click(TObject* Sender);

private:
    void BuildLineGroup();
    void BuildLineView();
    void BuildStatusPanel();
    void BuildMenus();
    void BuildTrayMenu();
    void RunLogin();
    void FillAreaLines(const UnicodeString& area);
    void FillLineBox(const UnicodeString& area);
    bool RefuseWhileTesting();
    void SetNormalFont(TsTitleItem* item);
    TsTitleItem* AddTitleItem(const UnicodeString& caption);
    void BuildHiddenParts();
    void SaveSelection();
    // The index of the area box whose lines the line box holds.
    int FAreaShown = -1;

    // Connect and disconnect.
public:
    TsButton* btn_conn2;
    TTimer *dialupstatus, *dialupcheck, *Timer2, *rast12, *autodialstatus, *statuscheck, *datecheck,
        *statuscheck1, *statuscheck2, *zombiecheck, *zombiecheck2;
    // What the L2TP switch runs to restart the dial-up services: the system's by default.
    TRasServiceRestart RasServiceRestart;

    void btn_connClick(TObject* Sender);
    void btn_conn2Click(TObject* Sender);
    void btn_disconnClick(TObject* Sender);
    void rb_pptpClick(TObject* Sender);
    void rb_lp2pClick(TObject* Sender);
    void dialupstatusTimer(TObject* Sender);
    void dialupcheckTimer(TObject* Sender);
    void Timer2Timer(TObject* Sender);
    void rast12Timer(TObject* Sender);
    void autodialstatusTimer(TObject* Sender);
    void statuscheckTimer(TObject* Sender);
    void datecheckTimer(TObject* Sender);
    void statuscheck1Timer(TObject* Sender);
    void statuscheck2Timer(TObject* Sender);
    void zombiecheckTimer(TObject* Sender);
    void zombiecheck2Timer(TObject* Sender);
    void ras1Disconnect(TObject* Sender, Integer Error, const UnicodeString& ErrorString);
    void HangUpAndDeleteEntry();
    void WaitPumpingMessages(Cardinal ms);
    void ResetRasServices();

private:
    // `rascon`, `rasper` and `rasedt` of AppShared, owned by the window.
    void CreateDialComponents();
    void FreeDialComponents();
    void BuildConnectControls();
    void BuildConnectTimers();
    void SetIdleState();
    void SetBusyState();
    void StopAttemptTimers();
    bool StartAttempt(UnicodeString& address);
    bool ApplyL2tpSwitch();
    void SetEntryDevice(const UnicodeString& address);
    bool AskLineCheck(const UnicodeString& address);
    void Dial(bool secondRoad);
    bool WriteEntry();
    // Moves the connect cycle to `phase`, a change DialPhaseChanges allows (checked in debug
    // and test builds).
    void SetDialPhase(TDialPhase phase);
    void TunnelUp();
    void DialFailed(Integer state);
    void QueryTunnelState();
    bool TunnelIsUp() const;
    void ReportStatus(bool reactToReply);
    void SetStatusPanel(int index, const UnicodeString& text);
    void ShowTraffic();
    UnicodeString ConnectedText() const;
    // The traffic totals of the connection up, carried past the 32-bit counters' wrap.
    TTrafficCounter FSent, FReceived;
    TDialPhase FDialPhase = TDialPhase::Idle;
    // The line box's text when the attempt started: the line the tunnel runs on.
    UnicodeString FDialLine;
    // The system tick count at the dial start: the online time, immune to clock changes.
    ULONGLONG FDialTick = 0;

    // Latency tests.
public:
    TKitThreadPool* tp1 = nullptr;
    TXtThread* pingthread = nullptr;
    TTimer* Timer1 = nullptr;
    void btn_speedClick(TObject* Sender);
    void pingthreadExecute(TObject* Sender, void* Params);
    void pingthreadFinish(TObject* Sender);
    void tp1ProcessRequest(TKitThreadPool* Sender, TKitTaskDataObject* aDataObj,
                           TKitPoolingThread* aThread);
    void Timer1Timer(TObject* Sender);
    void cesuClick(TObject* Sender);
    // Ends a running batch test (the button's stop, the connect cycle once the tunnel is up);
    // does nothing while none runs.
    void StopSpeedTest();
    // RefreshPingInfo under the worker-thread mutex; the GUI thread handles its messages and
    // the workers' hand-overs while it waits for the mutex.
    void RefreshUnderThreadMutex();
    // Stops the batch test and its threads while the window is still whole.
    void BeforeDestruction() override;

private:
    void BuildLatencyTests();
    void StartSpeedTest();
    void StartFeeder();
    void PublishPassLines();
    void SortAndRefresh();
    // What the feeder, the workers and their hand-overs share with this window.
    std::shared_ptr<TLatencyLink> FLatency;
};

extern Tfrmmain* frmmain;

// The registry key of the remembered area and line, under HKEY_LOCAL_MACHINE.
inline constexpr wchar_t SelectionKey[] = L"\\SOFTWARE\\dedirorer";

// The delay band colour of a delay in ms; false for a negative delay (the brush stays).
bool DelayBandColor(Integer delay, TColor& color);
