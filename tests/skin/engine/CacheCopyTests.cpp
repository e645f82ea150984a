// A control's cache copied into a device context around the children that paint themselves
// there, checked on the pixels of a memory bitmap that stands for the control's window.
#include "SkinEngineTesting.h"

#include "framework/Application.h"
#include "framework/ExtCtrls.h"
#include "framework/Forms.h"
#include "skin/engine/sCommonData.h"
#include "skin/engine/sVclUtils.h"

#include <commctrl.h>

namespace {

constexpr COLORREF Red = 0x0000FF;
constexpr COLORREF Blue = 0xFF0000;
constexpr COLORREF White = 0xFFFFFF;

// The skinned splitter of the skinned controls, as the copy knows it: by its class name.
class TsSplitter : public TGraphicControl {
    CLASS_INFO(TsSplitter, TGraphicControl)
public:
    explicit TsSplitter(TComponent* Owner) : TGraphicControl(Owner) {}
};

void Fill(HDC DC, const RECT& R, COLORREF Colour) {
    TOwnedBrush brush(CreateSolidBrush(Colour));
    FillRect(DC, &R, brush.Get());
}

class CacheCopy : public SkinManagerTest {
protected:
    void SetUp() override {
        SkinManagerTest::SetUp();
        Form = Construct<TForm>(Application);
        Form->SetBounds(10, 10, 200, 150);
        Form->HandleNeeded();
        // The control's cache: red, with one blue column at x = 10.
        Link = new TsCommonData(Form, true);
        Link->CacheBmp()->SetSize(100, 60);
        const HDC cache = Link->CacheBmp()->Canvas()->Handle();
        Fill(cache, RECT{0, 0, 100, 60}, Red);
        Fill(cache, RECT{10, 0, 11, 60}, Blue);
        Target = new TBitmap(100, 60, pf24bit);
        Fill(Target->Canvas()->Handle(), RECT{0, 0, 100, 60}, White);
    }
    void TearDown() override {
        Target->Free();
        delete Link;
        Form->Free();
        SkinManagerTest::TearDown();
    }
    COLORREF At(int X, int Y) const { return GetPixel(Target->Canvas()->Handle(), X, Y); }
    template <class T> T* Child(TRect Bounds) {
        auto* child = new T(Form);
        child->SetParent(Form);
        child->SetBounds(Bounds.left, Bounds.top, Bounds.Width(), Bounds.Height());
        return child;
    }

    TForm* Form = nullptr;
    TsCommonData* Link = nullptr;
    TBitmap* Target = nullptr;
};

// Graphic and opaque children keep what is under them; a windowed child that is not opaque, a
// hidden child and a skinned splitter get the cache. Nothing lands outside the destination, and
// the cache is read from the source's top-left.
TEST_F(CacheCopy, ControlsThatPaintThemselvesAreLeftOut) {
    Child<TsSplitter>(TRect(2, 2, 8, 8));
    Child<TPaintBox>(TRect(12, 2, 18, 8));                 // graphic
    Child<TPanel>(TRect(22, 2, 28, 8))->SetVisible(false); // hidden
    auto* opaque = Child<TCustomControl>(TRect(32, 2, 38, 8));
    opaque->SetControlStyle(opaque->ControlStyle() + TControlStyle{csOpaque});
    auto* clear = Child<TCustomControl>(TRect(42, 2, 48, 8));
    clear->SetControlStyle(clear->ControlStyle() - TControlStyle{csOpaque});
    BitBltBgExceptControls(Form, Link, TRect(0, 0, 100, 60), TRect(0, 0, 60, 40),
                           Target->Canvas()->Handle());
    EXPECT_EQ(At(5, 5), Red);    // splitter
    EXPECT_EQ(At(15, 5), White); // graphic
    EXPECT_EQ(At(25, 5), Red);   // hidden
    EXPECT_EQ(At(35, 5), White); // opaque
    EXPECT_EQ(At(45, 5), Red);   // windowed, not opaque
    EXPECT_EQ(At(10, 20), Blue);
    EXPECT_EQ(At(70, 20), White); // outside the destination

    // The source's top-left: the blue column lands at the destination's left edge.
    Fill(Target->Canvas()->Handle(), RECT{0, 0, 100, 60}, White);
    BitBltBgExceptControls(Form, Link, TRect(10, 0, 70, 40), TRect(50, 10, 60, 20),
                           Target->Canvas()->Handle());
    EXPECT_EQ(At(50, 15), Blue);
    EXPECT_EQ(At(51, 15), Red);
    EXPECT_EQ(At(49, 15), White);

    // Without a cache bitmap nothing is copied.
    Fill(Target->Canvas()->Handle(), RECT{0, 0, 100, 60}, White);
    TsCommonData bare(Form, false);
    BitBltBgExceptControls(Form, &bare, TRect(0, 0, 100, 60), TRect(0, 0, 100, 60),
                           Target->Canvas()->Handle());
    EXPECT_EQ(At(50, 50), White);
}

// A group box's answer to command 27: its caption strip.
LRESULT CALLBACK CaptionSix(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam, UINT_PTR, DWORD_PTR) {
    if (Msg == SM_ALPHACMD && SkinCommandOf(WParam) == SKCMD_HANDLERQUERY) return 6;
    return DefSubclassProc(Wnd, Msg, WParam, LParam);
}

// Child windows are left out where they lie in the window; of a group box only its caption strip
// and its side and bottom frame (the default manager's group-box border widths) are, and
// nothing of it without a default manager. A hidden window gets the cache.
TEST_F(CacheCopy, ChildWindowsAreLeftOutAndOfAGroupBoxOnlyItsFrame) {
    Manager->WriteSkinDirectory(FolderSkins());
    Manager->WriteSkinName(L"Calm");
    const TsMaskData& frame = Image(L"GROUPBOX", L"BORDERSMASK");
    ASSERT_GT(frame.WL, 0);
    ASSERT_GT(frame.WB, 0);
    const HWND parent = Form->Handle();
    RECT window, client;
    GetWindowRect(parent, &window);
    GetClientRect(parent, &client);
    POINT origin{0, 0};
    ClientToScreen(parent, &origin);
    // Child positions in window coordinates (the DC's) are client ones moved by this.
    const POINT toWindow{origin.x - window.left, origin.y - window.top};
    auto make = [&](const wchar_t* Class, DWORD Style, int X, int Y, int W, int H) {
        return CreateWindowExW(0, Class, L"", WS_CHILD | Style, X - toWindow.x, Y - toWindow.y, W,
                               H, parent, nullptr, nullptr, nullptr);
    };
    make(L"STATIC", WS_VISIBLE, 2, 2, 6, 6);
    make(L"STATIC", 0, 12, 2, 6, 6); // hidden
    const HWND box = make(L"BUTTON", WS_VISIBLE | BS_GROUPBOX, 30, 20, 40, 30);
    SetWindowSubclass(box, &CaptionSix, 1, 0);
    const HDC dc = Target->Canvas()->Handle();
    BitBltBgExceptWindows(parent, Link, TRect(0, 0, 100, 60), TRect(0, 0, 100, 60), dc);
    EXPECT_EQ(At(5, 5), White);
    EXPECT_EQ(At(15, 5), Red);
    EXPECT_EQ(At(50, 22), White);                // caption strip (6 high)
    EXPECT_EQ(At(50, 27), Red);                  // inside the frame
    EXPECT_EQ(At(30 + frame.WL - 1, 35), White); // left frame
    EXPECT_EQ(At(30 + frame.WL, 35), Red);
    EXPECT_EQ(At(69 - frame.WR + 1, 35), White); // right frame
    EXPECT_EQ(At(50, 49 - frame.WB + 1), White); // bottom frame
    EXPECT_EQ(At(50, 49 - frame.WB), Red);

    Manager->Free(); // no default manager: nothing of the group box is left out
    Manager = nullptr;
    Fill(dc, RECT{0, 0, 100, 60}, White);
    BitBltBgExceptWindows(parent, Link, TRect(0, 0, 100, 60), TRect(0, 0, 100, 60), dc);
    EXPECT_EQ(At(50, 22), Red);
    EXPECT_EQ(At(30, 35), Red);
    EXPECT_EQ(At(5, 5), White);
    RemoveWindowSubclass(box, &CaptionSix, 1);
}

} // namespace
