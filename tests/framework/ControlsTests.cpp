#include "framework/Application.h"
#include "framework/Controls.h"

#include "MessageLoopTesting.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <vector>

namespace {

template <class T> using TOwned = std::unique_ptr<T, graphics_detail::TFreeObject>;

template <class T> TOwned<T> Make(TComponent* owner = nullptr) { return TOwned<T>(new T(owner)); }

// A top-level window for controls to live on: a borderless popup at a fixed place, hidden, so
// that no paint message stays pending when a test empties the queue.
TOwned<TWinControl> MakeHost(int width = 200, int height = 120) {
    auto host = Make<TWinControl>();
    host->SetVisible(false);
    host->SetBounds(20, 20, width, height);
    return host;
}

struct TEntry {
    TControl* Receiver;
    UINT Msg;
    LPARAM LParam;
    WPARAM WParam = 0;
    friend bool operator==(const TEntry&, const TEntry&) = default;
};

// Hooks a control's WindowProc the way handlers do (save, install, call the saved one) and
// records the messages it watches; `Swallow` messages are answered 1 and not passed on.
class TSpy {
public:
    TSpy(TControl* control, std::vector<TEntry>& log, std::set<UINT> watched,
         std::set<UINT> swallow = {})
        : FControl(control), FLog(log), FWatched(std::move(watched)), FSwallow(std::move(swallow)) {
        FSaved = control->WindowProc();
        control->SetWindowProc(TWndMethod(this, &TSpy::Proc));
    }
    ~TSpy() { FControl->SetWindowProc(FSaved); }
    TSpy(const TSpy&) = delete;
    TSpy& operator=(const TSpy&) = delete;

private:
    void Proc(TMessage& message) {
        if (FWatched.count(message.Msg))
            FLog.push_back({FControl, message.Msg, message.LParam, message.WParam});
        if (FSwallow.count(message.Msg)) {
            message.Result = 1;
            return;
        }
        FSaved(message);
    }

    TControl* FControl;
    std::vector<TEntry>& FLog;
    std::set<UINT> FWatched;
    std::set<UINT> FSwallow;
    TWndMethod FSaved;
};

constexpr UINT WM_PROBE = WM_USER + 7;

// A graphic control that answers WM_PROBE itself and says so in the log.
class TProbeGraphic : public TGraphicControl {
public:
    using TGraphicControl::TGraphicControl;
    std::vector<UnicodeString>* Log = nullptr;

protected:
    void Dispatch(TMessage& Message) override {
        if (Message.Msg != WM_PROBE) return TGraphicControl::Dispatch(Message);
        if (Log) Log->push_back(L"control");
        Message.Result = 42;
    }
};

// A named handler in a WindowProc chain.
class TChainHandler {
public:
    TChainHandler(const wchar_t* name, std::vector<UnicodeString>& log) : FName(name), FLog(log) {}
    void Install(TControl* control) {
        FSaved = control->WindowProc();
        control->SetWindowProc(TWndMethod(this, &TChainHandler::Proc));
    }
    void Restore(TControl* control) { control->SetWindowProc(FSaved); }

private:
    void Proc(TMessage& message) {
        if (message.Msg == WM_PROBE) FLog.push_back(FName);
        FSaved(message);
    }
    UnicodeString FName;
    std::vector<UnicodeString>& FLog;
    TWndMethod FSaved;
};

} // namespace

TEST(Controls, WindowProcRestoredInAnyOrder) {
    const std::vector<std::vector<int>> orders = {{0, 1, 2}, {2, 1, 0}, {1, 0, 2},
                                                  {0, 2, 1}, {1, 2, 0}, {2, 0, 1}};
    for (const auto& order : orders) {
        std::vector<UnicodeString> log;
        auto control = Make<TProbeGraphic>();
        control->Log = &log;
        std::vector<std::unique_ptr<TChainHandler>> handlers;
        for (const wchar_t* name : {L"A", L"B", L"C"}) {
            handlers.push_back(std::make_unique<TChainHandler>(name, log));
            handlers.back()->Install(control.get());
        }
        std::vector<UnicodeString> remaining = {L"C", L"B", L"A"}; // newest first
        for (int index : order) {
            handlers[static_cast<std::size_t>(index)]->Restore(control.get());
            std::erase(remaining, UnicodeString(1, static_cast<wchar_t>(L'A' + index)));
            log.clear();
            EXPECT_EQ(control->Perform(WM_PROBE, 0, 0), 42);
            std::vector<UnicodeString> expected = remaining;
            expected.push_back(L"control");
            EXPECT_EQ(log, expected) << "after restoring handler " << index;
        }
    }
}

TEST(Controls, PerformReachesGraphicControl) {
    auto host = MakeHost();
    auto graphic = Make<TProbeGraphic>();
    graphic->SetParent(host.get());
    std::vector<TEntry> log;
    TSpy spy(graphic.get(), log, {CM_TEXTCHANGED, CM_VISIBLECHANGED});

    EXPECT_EQ(graphic->Perform(WM_PROBE, 0, 0), 42);
    graphic->SetText(L"label");
    wchar_t buffer[16] = {};
    EXPECT_EQ(graphic->Perform(WM_GETTEXT, 16, reinterpret_cast<LPARAM>(buffer)), 5);
    EXPECT_STREQ(buffer, L"label");
    graphic->SetVisible(false);
    const std::vector<TEntry> expected = {{graphic.get(), CM_TEXTCHANGED, 0},
                                          {graphic.get(), CM_VISIBLECHANGED, 0}};
    EXPECT_EQ(log, expected);
}

TEST(Controls, MouseEnterAndLeaveReportTheControl) {
    auto host = MakeHost();
    auto graphic = Make<TProbeGraphic>();
    graphic->SetBounds(10, 10, 50, 30);
    graphic->SetParent(host.get());
    auto windowed = Make<TWinControl>();
    windowed->SetBounds(100, 10, 50, 30);
    windowed->SetParent(host.get());
    HWND hostWnd = host->Handle();
    std::vector<TEntry> log;
    const std::set<UINT> watched = {CM_MOUSEENTER, CM_MOUSELEAVE};
    TSpy hostSpy(host.get(), log, watched);
    TSpy graphicSpy(graphic.get(), log, watched);
    TSpy windowedSpy(windowed.get(), log, watched);
    const auto G = reinterpret_cast<LPARAM>(graphic.get());
    const auto H = reinterpret_cast<LPARAM>(host.get());
    const auto W = reinterpret_cast<LPARAM>(windowed.get());

    SendMessageW(hostWnd, WM_MOUSEMOVE, 0, MAKELPARAM(20, 20));
    SendMessageW(hostWnd, WM_MOUSEMOVE, 0, MAKELPARAM(5, 100));
    SendMessageW(windowed->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    SendMessageW(windowed->Handle(), WM_MOUSELEAVE, 0, 0);

    const std::vector<TEntry> expected = {
        {graphic.get(), CM_MOUSEENTER, G},  {host.get(), CM_MOUSEENTER, G},
        {graphic.get(), CM_MOUSELEAVE, G},  {host.get(), CM_MOUSELEAVE, G},
        {host.get(), CM_MOUSEENTER, H},     {host.get(), CM_MOUSELEAVE, H},
        {windowed.get(), CM_MOUSEENTER, W}, {host.get(), CM_MOUSEENTER, W},
        {windowed.get(), CM_MOUSELEAVE, W}, {host.get(), CM_MOUSELEAVE, W},
    };
    EXPECT_EQ(log, expected);
    DrainMessages(); // the leave notices the system posts for the real cursor
}

namespace {

// A system button or list box drawn by its owner: the parent's WM_DRAWITEM / WM_MEASUREITEM
// arrive here reflected.
class TOwnerDrawn : public TWinControl {
    CLASS_INFO(TOwnerDrawn, TWinControl)
public:
    using TWinControl::TWinControl;
    std::vector<UINT> Reflected;

protected:
    void CreateParams(TCreateParams& Params) override {
        TWinControl::CreateParams(Params);
        CreateSubClass(Params, L"BUTTON");
        Params.Style |= BS_OWNERDRAW;
    }
    void Dispatch(TMessage& Message) override {
        if (Message.Msg == CN_DRAWITEM) {
            const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(Message.LParam);
            if (item->hwndItem == Handle()) Reflected.push_back(Message.Msg);
            Message.Result = TRUE;
            return;
        }
        TWinControl::Dispatch(Message);
    }
};

class TOwnerDrawnList : public TWinControl {
    CLASS_INFO(TOwnerDrawnList, TWinControl)
public:
    using TWinControl::TWinControl;
    int Measured = 0;

protected:
    void CreateParams(TCreateParams& Params) override {
        TWinControl::CreateParams(Params);
        CreateSubClass(Params, L"LISTBOX");
        Params.Style |= LBS_OWNERDRAWFIXED | LBS_HASSTRINGS;
    }
    void Dispatch(TMessage& Message) override {
        if (Message.Msg == CN_MEASUREITEM) {
            reinterpret_cast<MEASUREITEMSTRUCT*>(Message.LParam)->itemHeight = 21;
            ++Measured;
            Message.Result = TRUE;
            return;
        }
        TWinControl::Dispatch(Message);
    }
};

} // namespace

TEST(Controls, OwnerDrawIsReflectedToTheControl) {
    auto host = MakeHost();
    auto* button = new TOwnerDrawn(host.get()); // both freed with the host
    button->SetBounds(10, 10, 80, 24);
    button->SetParent(host.get());
    auto* list = new TOwnerDrawnList(host.get());
    list->SetBounds(10, 40, 80, 60);
    list->SetParent(host.get());
    TBitmap image(80, 24, pf32bit);

    button->PaintTo(image.Canvas()->Handle(), 0, 0); // the system button asks its parent to draw
    EXPECT_EQ(button->Reflected, std::vector<UINT>{CN_DRAWITEM});
    EXPECT_GE(list->Measured, 1) << "asked while the list box was being created";
    EXPECT_EQ(SendMessageW(list->Handle(), LB_GETITEMHEIGHT, 0, 0), 21);
}

TEST(Controls, KeysReachTheControlAsCnBeforeTheWindow) {
    struct TCase {
        bool SwallowCn;
        std::vector<UINT> Expected;
    };
    const TCase cases[] = {
        {false, {CN_KEYDOWN, WM_KEYDOWN}},
        {true, {CN_KEYDOWN}},
    };
    for (const TCase& test : cases) {
        TApplication app(nullptr);
        auto host = MakeHost();
        auto edit = Make<TWinControl>();
        edit->SetParent(host.get());
        std::vector<TEntry> log;
        std::set<UINT> swallow;
        if (test.SwallowCn) swallow.insert(CN_KEYDOWN);
        TSpy spy(edit.get(), log, {CN_KEYDOWN, WM_KEYDOWN}, swallow);
        PostMessageW(edit->Handle(), WM_KEYDOWN, VK_F5, 0);
        app.ProcessMessages();
        std::vector<UINT> order;
        for (const TEntry& entry : log) order.push_back(entry.Msg);
        EXPECT_EQ(order, test.Expected) << "swallowing CN_KEYDOWN: " << test.SwallowCn;
        DrainMessages();
    }
}

namespace {

struct TFreedCounter {
    static inline std::vector<const void*> Freed;
};

class TCountedControl : public TWinControl {
public:
    using TWinControl::TWinControl;
    ~TCountedControl() override { TFreedCounter::Freed.push_back(this); }
};

} // namespace

TEST(Controls, OwnerAndParentFreeAControlOnce) {
    enum TFirst { OwnerFirst, ParentFirst, ControlFirst };
    for (TFirst first : {OwnerFirst, ParentFirst, ControlFirst}) {
        TFreedCounter::Freed.clear();
        TComponent* owner = new TComponent(nullptr);
        TWinControl* parent = new TWinControl(nullptr);
        parent->SetVisible(false);
        parent->SetBounds(0, 0, 100, 100);
        auto* control = new TCountedControl(owner);
        control->SetParent(parent);
        parent->HandleNeeded();
        HWND wnd = control->Handle();
        if (first == ControlFirst) {
            control->Free();
            EXPECT_EQ(owner->ComponentCount(), 0);
            EXPECT_EQ(parent->ControlCount(), 0);
        }
        if (first == OwnerFirst) {
            owner->Free();
            EXPECT_EQ(parent->ControlCount(), 0);
            parent->Free();
        } else {
            parent->Free();
            EXPECT_EQ(owner->ComponentCount(), 0) << "case " << first;
            owner->Free();
        }
        EXPECT_EQ(TFreedCounter::Freed.size(), 1u) << "case " << first;
        EXPECT_FALSE(IsWindow(wnd)) << "case " << first;
    }
}

namespace {

class TSystemButton : public TWinControl {
    CLASS_INFO(TSystemButton, TWinControl)
public:
    using TWinControl::TWinControl;

protected:
    void CreateParams(TCreateParams& Params) override {
        TWinControl::CreateParams(Params);
        CreateSubClass(Params, L"BUTTON");
    }
};

} // namespace

TEST(Controls, FontChangeNotifiesAndSetsTheWindowFont) {
    auto host = MakeHost();
    auto button = Make<TSystemButton>();
    button->SetParent(host.get());
    button->SetParentFont(false);
    auto follower = Make<TWinControl>();
    follower->SetParent(host.get());
    host->HandleNeeded();
    std::vector<TEntry> log;
    TSpy spy(button.get(), log, {CM_FONTCHANGED, WM_SETFONT});

    button->Font()->SetSize(14);
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].Msg, static_cast<UINT>(CM_FONTCHANGED));
    EXPECT_EQ(log[1].Msg, static_cast<UINT>(WM_SETFONT));
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(button->Handle(), WM_GETFONT, 0, 0)),
              button->Font()->Handle());

    host->Font()->SetSize(20);
    EXPECT_EQ(follower->Font()->Size(), 20) << "a child with ParentFont follows";
    EXPECT_TRUE(follower->ParentFont());
    EXPECT_EQ(button->Font()->Size(), 14) << "a child with its own font keeps it";
}

namespace {

// Paints its left half red; the rest is its Color (blue) from the background pass.
class TPainted : public TCustomControl {
    CLASS_INFO(TPainted, TCustomControl)
public:
    explicit TPainted(TComponent* owner) : TCustomControl(owner) { SetColor(clBlue); }
    int Paints = 0;

protected:
    void Paint() override {
        ++Paints;
        EXPECT_TRUE(ControlState().Contains(csCustomPaint));
        Canvas()->Brush()->SetColor(clRed);
        Canvas()->FillRect({0, 0, ClientWidth() / 2, ClientHeight()});
    }
};

class TGreenSquare : public TGraphicControl {
public:
    using TGraphicControl::TGraphicControl;

protected:
    void Paint() override {
        Canvas()->Brush()->SetColor(clLime);
        Canvas()->FillRect({0, 0, Width(), Height()});
    }
};

TColor PixelAt(TBitmap& bitmap, int x, int y) {
    GdiFlush();
    const auto* row = static_cast<const Byte*>(bitmap.ScanLine(y));
    const Byte* pixel = row + x * 4;
    return MakeColor(pixel[2], pixel[1], pixel[0]);
}

} // namespace

TEST(Controls, PrintAndPrintClientPaintLikePaint) {
    auto host = MakeHost();
    auto painted = Make<TPainted>();
    painted->SetBounds(0, 0, 100, 60);
    painted->SetParent(host.get());
    auto square = Make<TGreenSquare>();
    square->SetBounds(70, 10, 20, 20);
    square->SetParent(painted.get());
    host->HandleNeeded();

    TBitmap printed(100, 60, pf32bit);
    SendMessageW(painted->Handle(), WM_PRINTCLIENT,
                 reinterpret_cast<WPARAM>(printed.Canvas()->Handle()), PRF_CLIENT);
    TBitmap paintedCopy(100, 60, pf32bit);
    SendMessageW(painted->Handle(), WM_PAINT,
                 reinterpret_cast<WPARAM>(paintedCopy.Canvas()->Handle()), 0);

    TBitmap printedWhole(100, 60, pf32bit);
    SendMessageW(painted->Handle(), WM_PRINT,
                 reinterpret_cast<WPARAM>(printedWhole.Canvas()->Handle()), PRF_CLIENT);

    EXPECT_EQ(painted->Paints, 3);
    EXPECT_EQ(PixelAt(printed, 10, 30), clRed);
    EXPECT_EQ(PixelAt(printed, 60, 5), clBlue);
    EXPECT_EQ(PixelAt(printed, 80, 20), clLime);
    EXPECT_EQ(PixelAt(printed, 95, 55), clBlue);
    int differing = 0;
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 100; ++x)
            if (PixelAt(printed, x, y) != PixelAt(paintedCopy, x, y) ||
                PixelAt(printed, x, y) != PixelAt(printedWhole, x, y))
                ++differing;
    EXPECT_EQ(differing, 0);
}

TEST(Controls, RecreateWndKeepsChildrenAndProperties) {
    auto host = MakeHost();
    auto child = Make<TSystemButton>();
    child->SetBounds(10, 20, 70, 25);
    child->SetText(L"hello");
    child->SetTabStop(true);
    child->SetParent(host.get());
    auto graphic = Make<TProbeGraphic>();
    graphic->SetParent(host.get());
    HWND oldHost = host->Handle();
    HWND oldChild = child->Handle();
    SetWindowTextW(oldChild, L"typed"); // text the window holds, not yet read back

    host->RecreateWnd();

    EXPECT_FALSE(IsWindow(oldHost));
    EXPECT_FALSE(IsWindow(oldChild));
    ASSERT_TRUE(child->HandleAllocated());
    EXPECT_EQ(GetParent(child->Handle()), host->Handle());
    EXPECT_EQ(TWinControl::FindControl(host->Handle()), host.get());
    EXPECT_EQ(child->Text(), L"typed");
    EXPECT_TRUE(GetWindowLongPtrW(child->Handle(), GWL_STYLE) & WS_TABSTOP);
    EXPECT_EQ(child->BoundsRect(), TRect(10, 20, 80, 45));
    RECT rect;
    GetWindowRect(child->Handle(), &rect);
    MapWindowPoints(nullptr, host->Handle(), reinterpret_cast<POINT*>(&rect), 2);
    EXPECT_EQ(TRect(rect.left, rect.top, rect.right, rect.bottom), TRect(10, 20, 80, 45));
    EXPECT_EQ(host->ControlCount(), 2);
}

TEST(Controls, AlignmentPassAndAnchors) {
    auto host = MakeHost(200, 100);
    auto make = [&](TAlign align, int width, int height) {
        auto* control = new TProbeGraphic(host.get());
        control->SetBounds(0, 0, width, height);
        control->SetAlign(align);
        control->SetParent(host.get());
        return control;
    };
    TControl* top = make(alTop, 10, 20);
    TControl* bottom = make(alBottom, 10, 10);
    TControl* left = make(alLeft, 30, 10);
    TControl* client = make(alClient, 10, 10);
    auto* anchored = new TProbeGraphic(host.get());
    anchored->SetBounds(150, 40, 20, 20);
    anchored->SetAnchors({akRight, akBottom});
    anchored->SetParent(host.get());
    host->HandleNeeded();

    EXPECT_EQ(top->BoundsRect(), TRect(0, 0, 200, 20));
    EXPECT_EQ(bottom->BoundsRect(), TRect(0, 90, 200, 100));
    EXPECT_EQ(left->BoundsRect(), TRect(0, 20, 30, 90));
    EXPECT_EQ(client->BoundsRect(), TRect(30, 20, 200, 90));

    host->SetBounds(host->Left(), host->Top(), 250, 120);
    EXPECT_EQ(client->BoundsRect(), TRect(30, 20, 250, 110));
    EXPECT_EQ(anchored->BoundsRect(), TRect(200, 60, 220, 80));
}

namespace {

// Writes what the events of a control report into a log.
struct TEventLog {
    std::vector<UnicodeString> Lines;
    bool HandleWheel = true;

    static UnicodeString Shift(TShiftState shift) {
        UnicodeString text;
        const wchar_t* names[] = {L"Shift", L"Alt",    L"Ctrl",  L"Left",
                                  L"Right", L"Middle", L"Double"};
        for (int item = ssShift; item <= ssDouble; ++item)
            if (shift.Contains(static_cast<TShiftStateItem>(item)))
                text += UnicodeString(names[item]) + L" ";
        return text;
    }
    static UnicodeString At(int x, int y) { return std::to_wstring(x) + L"," + std::to_wstring(y); }

    void Down(TObject*, TMouseButton button, TShiftState shift, int x, int y) {
        Lines.push_back(L"down " + std::to_wstring(button) + L" " + Shift(shift) + At(x, y));
    }
    void Move(TObject*, TShiftState shift, int x, int y) {
        Lines.push_back(L"move " + Shift(shift) + At(x, y));
    }
    void Up(TObject*, TMouseButton button, TShiftState shift, int x, int y) {
        Lines.push_back(L"up " + std::to_wstring(button) + L" " + Shift(shift) + At(x, y));
    }
    void Click(TObject*) { Lines.push_back(L"click"); }
    void Wheel(TObject*, TShiftState shift, int delta, TPoint, bool& handled) {
        Lines.push_back(L"wheel " + Shift(shift) + std::to_wstring(delta));
        handled = HandleWheel;
    }
    void Key(TObject*, Word& key, TShiftState shift) {
        Lines.push_back(L"key " + std::to_wstring(key) + L" " + Shift(shift));
    }
    void Press(TObject*, wchar_t& key) {
        if (key == L'x') key = 0;
    }
    void Enter(TObject*) { Lines.push_back(L"enter"); }
    void Exit(TObject*) { Lines.push_back(L"exit"); }

    void Attach(TControl* control) {
        control->OnMouseDown = TMouseEvent(this, &TEventLog::Down);
        control->OnMouseMove = TMouseMoveEvent(this, &TEventLog::Move);
        control->OnMouseUp = TMouseEvent(this, &TEventLog::Up);
        control->OnClick = TNotifyEvent(this, &TEventLog::Click);
        control->OnMouseWheel = TMouseWheelEvent(this, &TEventLog::Wheel);
    }
};

class TSystemEdit : public TWinControl {
    CLASS_INFO(TSystemEdit, TWinControl)
public:
    using TWinControl::TWinControl;

protected:
    void CreateParams(TCreateParams& Params) override {
        TWinControl::CreateParams(Params);
        CreateSubClass(Params, L"EDIT");
        Params.Style |= ES_AUTOHSCROLL;
    }
};

} // namespace

TEST(Controls, MouseOnAGraphicControlGivesEventsClicksAndCapture) {
    auto host = MakeHost();
    auto* graphic = new TProbeGraphic(host.get());
    graphic->SetBounds(10, 10, 40, 20);
    graphic->SetParent(host.get());
    TEventLog events;
    events.Attach(graphic);
    HWND wnd = host->Handle();

    SendMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, MAKELPARAM(15, 12));
    EXPECT_TRUE(graphic->MouseCapture());
    SendMessageW(wnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(100, 90)); // outside, still captured
    SendMessageW(wnd, WM_LBUTTONUP, 0, MAKELPARAM(100, 90));          // released outside: no click
    EXPECT_FALSE(graphic->MouseCapture());
    SendMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20));
    SendMessageW(wnd, WM_LBUTTONUP, 0, MAKELPARAM(20, 20));
    SendMessageW(wnd, WM_RBUTTONUP, 0, MAKELPARAM(150, 100)); // over the host itself

    const std::vector<UnicodeString> expected = {
        L"down 0 Shift Left 5,2", L"move Left 90,80", L"up 0 90,80",
        L"down 0 Left 10,10",     L"click",           L"up 0 10,10",
    };
    EXPECT_EQ(events.Lines, expected);
}

TEST(Controls, MouseWheelAnswersWhetherItWasHandled) {
    for (bool handled : {true, false}) {
        auto host = MakeHost();
        TEventLog events;
        events.HandleWheel = handled;
        events.Attach(host.get());
        const WPARAM wheel = MAKEWPARAM(static_cast<WORD>(TShiftState{ssCtrl}.Bits()), 120);
        EXPECT_EQ(host->Perform(CM_MOUSEWHEEL, wheel, 0), handled ? 1 : 0);
        SendMessageW(host->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(MK_SHIFT, static_cast<WORD>(-120)),
                     0);
        const std::vector<UnicodeString> expected = {L"wheel Ctrl 120", L"wheel Shift -120"};
        EXPECT_EQ(events.Lines, expected);
    }
}

TEST(Controls, KeyEventsCanSwallowKeys) {
    auto host = MakeHost();
    auto* edit = new TSystemEdit(host.get());
    edit->SetParent(host.get());
    TEventLog events;
    edit->OnKeyDown = TKeyEvent(&events, &TEventLog::Key);
    edit->OnKeyPress = TKeyPressEvent(&events, &TEventLog::Press);
    HWND wnd = edit->Handle();

    SendMessageW(wnd, WM_KEYDOWN, 'A', 0);
    SendMessageW(wnd, WM_SYSKEYDOWN, 'B', LPARAM{1} << 29);
    for (wchar_t key : {L'a', L'x', L'b'}) SendMessageW(wnd, WM_CHAR, key, 0);

    const std::vector<UnicodeString> expected = {L"key 65 ", L"key 66 Alt "};
    EXPECT_EQ(events.Lines, expected);
    EXPECT_EQ(edit->Text(), L"ab") << "the key set to 0 never reached the edit";
}

TEST(Controls, FocusNotifications) {
    auto host = MakeHost();
    auto* first = new TWinControl(host.get());
    first->SetParent(host.get());
    auto* second = new TWinControl(host.get());
    second->SetParent(host.get());
    TEventLog events;
    first->OnEnter = TNotifyEvent(&events, &TEventLog::Enter);
    first->OnExit = TNotifyEvent(&events, &TEventLog::Exit);
    std::vector<TEntry> log;
    TSpy spy(second, log, {CM_FOCUSCHANGED});

    SendMessageW(first->Handle(), WM_SETFOCUS, 0, 0);
    SendMessageW(first->Handle(), WM_KILLFOCUS, 0, 0);

    EXPECT_EQ(events.Lines, (std::vector<UnicodeString>{L"enter", L"exit"}));
    const std::vector<TEntry> expected = {
        {second, CM_FOCUSCHANGED, reinterpret_cast<LPARAM>(first)}};
    EXPECT_EQ(log, expected) << "the top parent tells every child who has the focus";
    EXPECT_FALSE(first->CanFocus()) << "its host is hidden";
    host->SetVisible(true);
    EXPECT_TRUE(first->CanFocus());
    first->SetEnabled(false);
    EXPECT_FALSE(first->CanFocus());
    EXPECT_THROW(first->SetFocus(), EInvalidOperation);
    host.reset();
}

// Skin code sends these by number: they must never move.
static_assert(CM_ACTIVATE == 0xB000 && CM_VISIBLECHANGED == 0xB00B && CM_ENABLEDCHANGED == 0xB00C &&
              CM_COLORCHANGED == 0xB00D && CM_FONTCHANGED == 0xB00E && CM_MOUSEENTER == 0xB013 &&
              CM_MOUSELEAVE == 0xB014 && CM_MENUCHANGED == 0xB015 && CM_SHOWINGCHANGED == 0xB019 &&
              CM_RELEASE == 0xB021 && CM_CONTROLLISTCHANGE == 0xB02C && CM_RECREATEWND == 0xB033 &&
              CM_INVALIDATE == 0xB034 && CM_FLOAT == 0xB03A && CM_MOUSEWHEEL == 0xB043 &&
              CM_CONTROLLISTCHANGING == 0xB04C && CM_FOCUSCHANGED == 0xB007 &&
              CM_UIACTIVATE == 0xB029 && CN_BASE == 0xBC00 && CN_DRAWITEM == 0xBC2B &&
              CN_KEYDOWN == 0xBD00);

TEST(Controls, PropertyChangesSendTheirNotification) {
    struct TCase {
        const char* Name;
        void (*Change)(TWinControl*);
        UINT Expected;
        WPARAM WParam;
    };
    const TCase cases[] = {
        {"Visible", [](TWinControl* c) { c->SetVisible(false); }, CM_VISIBLECHANGED, 0},
        {"Enabled", [](TWinControl* c) { c->SetEnabled(false); }, CM_ENABLEDCHANGED, 0},
        {"Color", [](TWinControl* c) { c->SetColor(clRed); }, CM_COLORCHANGED, 0},
        {"Text", [](TWinControl* c) { c->SetText(L"new"); }, CM_TEXTCHANGED, 0},
        {"Cursor", [](TWinControl* c) { c->SetCursor(crHandPoint); }, CM_CURSORCHANGED, 0},
        {"ShowHint", [](TWinControl* c) { c->SetShowHint(true); }, CM_SHOWHINTCHANGED, 0},
        {"BiDiMode", [](TWinControl* c) { c->SetBiDiMode(bdRightToLeft); }, CM_BIDIMODECHANGED, 0},
        {"Ctl3D", [](TWinControl* c) { c->SetCtl3D(false); }, CM_CTL3DCHANGED, 0},
        {"TabStop", [](TWinControl* c) { c->SetTabStop(true); }, CM_TABSTOPCHANGED, 0},
        {"BorderStyle", [](TWinControl* c) { c->SetBorderStyle(bsSingle); }, CM_BORDERCHANGED, 0},
    };
    for (const TCase& test : cases) {
        auto host = MakeHost();
        auto* control = new TWinControl(host.get());
        control->SetParent(host.get());
        host->HandleNeeded();
        std::vector<TEntry> log;
        TSpy spy(control, log, {test.Expected});
        test.Change(control);
        ASSERT_EQ(log.size(), 1u) << test.Name;
        EXPECT_EQ(log[0].WParam, test.WParam) << test.Name;
        test.Change(control);
        EXPECT_EQ(log.size(), 1u) << test.Name << ": setting the same value again sends nothing";
    }
}

TEST(Controls, ChildListChangesAndParentColour) {
    auto host = MakeHost();
    host->SetColor(clYellow);
    std::vector<TEntry> log;
    TSpy spy(host.get(), log, {CM_CONTROLLISTCHANGING, CM_CONTROLLISTCHANGE});
    auto* child = new TProbeGraphic(host.get());
    child->SetParent(host.get());
    EXPECT_EQ(child->Color(), clYellow) << "a child with ParentColor takes its parent's colour";
    host->SetColor(clGreen);
    EXPECT_EQ(child->Color(), clGreen);
    EXPECT_TRUE(child->ParentColor());
    child->SetParent(nullptr);
    const auto C = reinterpret_cast<WPARAM>(child);
    TControl* H = host.get();
    const std::vector<TEntry> expected = {{H, CM_CONTROLLISTCHANGING, 1, C},
                                          {H, CM_CONTROLLISTCHANGE, 1, C},
                                          {H, CM_CONTROLLISTCHANGING, 0, C},
                                          {H, CM_CONTROLLISTCHANGE, 0, C}};
    EXPECT_EQ(log, expected) << "WParam is the control, LParam says whether it is inserted";
    child->Free();
}

TEST(Controls, ReadingStateFollowsLoading) {
    auto host = MakeHost();
    auto* child = new TProbeGraphic(host.get());
    host->BeginLoad();
    EXPECT_TRUE(child->ControlState().Contains(csReadingState));
    child->SetControlState(child->ControlState() + TControlState{csPaintCopy});
    host->EndLoad();
    EXPECT_FALSE(child->ControlState().Contains(csReadingState));
    EXPECT_TRUE(child->ControlState().Contains(csPaintCopy));
}

TEST(Controls, ChildListIsTheZOrder) {
    auto host = MakeHost();
    auto* lower = new TWinControl(host.get());
    lower->SetParent(host.get());
    auto* upper = new TWinControl(host.get());
    upper->SetParent(host.get());
    host->HandleNeeded();
    EXPECT_EQ(GetWindow(host->Handle(), GW_CHILD), upper->Handle()) << "the last child is on top";

    lower->BringToFront();
    EXPECT_EQ(host->Controls(1), lower);
    EXPECT_EQ(GetWindow(host->Handle(), GW_CHILD), lower->Handle());

    upper->RecreateWnd(); // a new window goes back to its place in the list, under `lower`
    EXPECT_EQ(GetWindow(host->Handle(), GW_CHILD), lower->Handle());
    EXPECT_EQ(GetWindow(lower->Handle(), GW_HWNDNEXT), upper->Handle());
}

TEST(Controls, BorderWidthAndBevelsTakeTheirPlaceFromTheClientArea) {
    auto host = MakeHost();
    auto* panel = new TWinControl(host.get());
    panel->SetBounds(0, 0, 100, 50);
    panel->SetBorderWidth(3);
    panel->SetBevelKind(bkTile); // raised inner and lowered outer edges, 1 pixel each
    panel->SetParent(host.get());
    auto* filler = new TProbeGraphic(host.get());
    filler->SetAlign(alClient);
    filler->SetParent(panel);
    EXPECT_EQ(panel->ClientRect(), TRect(0, 0, 90, 40)) << "before the window exists";

    host->HandleNeeded();
    EXPECT_EQ(panel->ClientRect(), TRect(0, 0, 90, 40)) << "the window's client area";
    EXPECT_EQ(filler->BoundsRect(), TRect(0, 0, 90, 40));
    panel->SetBevelEdges({beLeft, beTop});
    EXPECT_EQ(panel->ClientRect(), TRect(0, 0, 92, 42));
    auto* loose = new TWinControl(host.get()); // no parent, no window
    loose->SetBounds(0, 0, 100, 50);
    loose->SetBorderWidth(3);
    loose->SetBevelKind(bkTile);
    loose->SetBevelEdges({beLeft, beTop});
    EXPECT_EQ(loose->ClientRect(), TRect(0, 0, 92, 42)) << "the same frame before a window exists";
    EXPECT_EQ(filler->BoundsRect(), TRect(0, 0, 92, 42));
}

TEST(Controls, AWindowMadeWithoutParentBecomesAChildWhenParented) {
    auto host = MakeHost();
    host->HandleNeeded();
    auto* control = new TWinControl(host.get());
    control->SetVisible(false);
    control->SetText(L"kept");
    HWND alone = control->Handle();
    EXPECT_EQ(GetParent(alone), nullptr);

    control->SetParent(host.get());
    EXPECT_FALSE(IsWindow(alone));
    ASSERT_TRUE(control->HandleAllocated());
    EXPECT_EQ(GetParent(control->Handle()), host->Handle());
    EXPECT_EQ(control->Text(), L"kept");
}

namespace {

// A child window of a parent that does not exist: the system refuses to make it, and says why.
class TOrphanChild : public TWinControl {
    CLASS_INFO(TOrphanChild, TWinControl)
public:
    using TWinControl::TWinControl;
    HWND DestroyedParent = nullptr;

protected:
    void CreateParams(TCreateParams& Params) override {
        TWinControl::CreateParams(Params);
        Params.Style |= WS_CHILD;
        Params.WndParent = DestroyedParent;
    }
};

} // namespace

// The error is the system's reason for refusing the window.
TEST(Controls, AWindowTheSystemRefusesRaisesItsReason) {
    auto host = MakeHost();
    const HWND gone = host->Handle();
    host.reset();
    ASSERT_FALSE(IsWindow(gone));
    auto orphan = Make<TOrphanChild>();
    orphan->DestroyedParent = gone;
    try {
        orphan->HandleNeeded();
        ADD_FAILURE() << "the window was made";
    } catch (const EOSError& e) {
        EXPECT_EQ(e.ErrorCode(), static_cast<unsigned long>(ERROR_INVALID_WINDOW_HANDLE))
            << e.what();
    }
    EXPECT_FALSE(orphan->HandleAllocated());
}

TEST(Controls, CanvasDrawsOutsidePaintAndLetsGoWithTheWindow) {
    auto host = MakeHost();
    auto* graphic = new TGreenSquare(host.get());
    graphic->SetBounds(10, 10, 20, 20);
    graphic->SetParent(host.get());
    auto* custom = new TPainted(host.get());
    custom->SetParent(host.get());

    HDC graphicDC = graphic->Canvas()->Handle();
    HDC customDC = custom->Canvas()->Handle();
    EXPECT_EQ(WindowFromDC(graphicDC), host->Handle()) << "a graphic control draws on its parent";
    EXPECT_EQ(WindowFromDC(customDC), custom->Handle());
    host->RecreateWnd();
    EXPECT_FALSE(graphic->Canvas()->HandleAllocated());
    EXPECT_FALSE(custom->Canvas()->HandleAllocated());
}

namespace {

TEST(Controls, TheDragCursorsAreTheLibrarysOwnAndTheOthersTheSystems) {
    EXPECT_NE(CursorHandle(crDrag), nullptr);
    EXPECT_NE(CursorHandle(crMultiDrag), nullptr);
    EXPECT_NE(CursorHandle(crDrag), CursorHandle(crMultiDrag));
    EXPECT_EQ(CursorHandle(crDrag), CursorHandle(crDrag)); // made once
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(CursorHandle(crMultiDrag), &info));
    EXPECT_EQ(info.xHotspot, 0u);
    EXPECT_EQ(info.yHotspot, 0u);
    if (info.hbmMask) DeleteObject(info.hbmMask);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    EXPECT_EQ(CursorHandle(crHSplit), LoadCursorW(nullptr, IDC_SIZEWE));
    EXPECT_EQ(CursorHandle(crDefault), nullptr);
}

} // namespace
