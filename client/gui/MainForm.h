// The main window `Tfrmmain`: made first, it runs the login modally inside its creation and
// ends the process when no login succeeded; it shows the areas and the lines of the chosen
// area in the line list view `vt1`; its menus open the account pages and refresh the line list;
// closing it saves the selection and ends the process with exit code 0.
//
// The area title items and the tray icon are reached through IAreaBar and ITrayIcon
// (AreaBar.h), which the skinned frame bar and tray icon implement; the plain ones stand in
// until then. The dial-up components, the connect cycle and the latency tests belong to their
// own modules; this window only holds the controls they use.
#pragma once

#include "client/gui/AreaBar.h"

#include "framework/ExtCtrls.h"
#include "framework/Forms.h"
#include "framework/Menus.h"
#include "framework/StdCtrls.h"
#include "framework/Timers.h"
#include "framework/WebBrowser.h"
#include "vtree/VirtualTrees.h"

#include <memory>

class TKitThreadPool;
class TKitTaskDataObject;
class TKitPoolingThread;
class TXtThread;
struct TLatencyLink;

class Tfrmmain : public TForm {
    CLASS_INFO(Tfrmmain, TForm)
public:
    explicit Tfrmmain(TComponent* owner);

    TWebBrowser *web1, *web2;
    TGroupBox* grpLine;
    TLabel *lblArea, *lblLine, *lblMode;
    TComboBox *AreaTxt2, *IPAddrTxt, *AreaTxt, *com_game;
    TButton *btn_speed, *cesu, *btn_conn, *btn_disconn, *Button1;
    TVirtualStringTreeWindow* vt1;
    TPanel* pnlStatus;
    TLabel *statuslabel, *protocollabel, *linelabel, *localiplabel, *datalabel, *userlabel;
    TLabel* lbl_info;
    TTimer* vercheck;
    TMainMenu* mm1;
    TMenuItem *N2, *N11, *N3, *N4, *N10;
    TMenuItem *H1, *V1, *A1, *N12, *N13, *N1;
    TMenuItem *O1, *N14, *L2TPQ1;
    TPopupMenu* taskmenu1;
    TMenuItem *N9, *N7, *N8, *N5, *N6;
    std::unique_ptr<IAreaBar> sb;
    std::unique_ptr<ITrayIcon> SysTrayIcon1;

    // The highlighted title item, and the one clicked when the window is shown.
    TAreaItem* _XZ = nullptr;
    TAreaItem* _zz = nullptr;

    // Re-captions the window's texts for `lang_code` (the login dialog's language routine).
    void ApplyLanguageTexts();

    void FormCreate(TObject* Sender);
    void FormShow(TObject* Sender);
    void FormCloseQuery(TObject* Sender, bool& CanClose);
    void FormClose(TObject* Sender, TCloseAction& Action);

    // Line list and areas.
    void LoadLineList();
    void AreaTxt2Change(TObject* Sender);
    void AreaTitleClick(TAreaItem* Item);
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
    // The tree does not raise header clicks yet: the window binds this once it does.
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
    void SetNormalFont(TAreaItem* item);
    void SaveSelection();

    // Latency tests.
public:
    TKitThreadPool* tp1 = nullptr;
    TXtThread* pingthread = nullptr;
    TTimer* Timer1 = nullptr;
    void btn_speedClick(TObject* Sender);
    void pingthreadExecute(TObject* Sender, void* Params);
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
