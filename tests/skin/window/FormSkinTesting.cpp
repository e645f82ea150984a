#include "FormSkinTesting.h"

#include "framework/Application.h"
#include "skin/engine/sFramePrimitives.h"

#include <algorithm>
#include <string>

namespace {

using namespace TestSkin;

constexpr TColor NormStates[3] = {0x707070, 0x808080, 0x909090};

void FillStates(HDC DC, int Top, const TColor (&States)[3]) {
    for (int s = 0; s < 3; ++s)
        PaintSolidRect(DC, TRect{s * ButtonWidth, Top, (s + 1) * ButtonWidth, Top + ButtonHeight},
                       States[s]);
}

// The form border's two states (inactive, active), 12 x 12 each, with three key-colour pixels
// in every corner.
void PaintFormBorder(HDC DC) {
    for (int s = 0; s < 2; ++s) {
        const int x0 = s * 12;
        PaintSolidRect(DC, TRect{x0, 0, x0 + 12, 12}, s ? EdgeActive : EdgeInactive);
        PaintSolidRect(DC, TRect{x0 + Border, Border, x0 + 12 - Border, 12 - Border}, FormColor);
        for (int cx : {0, 11})
            for (int cy : {0, 11}) {
                const int dx = cx ? -1 : 1;
                const int dy = cy ? -1 : 1;
                SetPixel(DC, x0 + cx, cy, 0xFF00FF);
                SetPixel(DC, x0 + cx + dx, cy, 0xFF00FF);
                SetPixel(DC, x0 + cx, cy + dy, 0xFF00FF);
            }
    }
}

// A three-state border, 6 x 6 per state and 3 px wide on each side, whose only key-colour pixel
// lies in the top-left corner at column s of state s, so that the state read is seen.
void PaintKeyStates(HDC DC) {
    for (int s = 0; s < KeyStateCount; ++s) {
        const int x0 = s * KeyStateSize;
        PaintSolidRect(DC, TRect{x0, KeyStatesTop, x0 + KeyStateSize, KeyStatesTop + KeyStateSize},
                       KeyStatesColor);
        SetPixel(DC, x0 + s, KeyStatesTop, 0xFF00FF);
    }
}

const char* const Options = "[GLOBALINFO]\r\n"
                            "VERSION=7.0\r\n"
                            "MASTERBITMAP=MASTER.BMP\r\n"
                            "COLOR=$00F0F0F0\r\n"
                            "BICONCLOSE=@0000@0020@0060@0038@3@0\r\n"
                            "BICONMAX=@0000@0040@0060@0058@3@0\r\n"
                            "BICONMIN=@0000@0060@0060@0078@3@0\r\n"
                            "BICONNORM=@0000@0080@0060@0098@3@0\r\n"
                            "GRIPIMAGE=@0000@0100@0008@0108@1@0\r\n"
                            "[FORM]\r\n"
                            "COLOR=$00F0F0F0\r\n"
                            "HOTCOLOR=$00F0F0F0\r\n"
                            "BORDERSMASK=^0000^0000^0024^0012^0004^0004^0004^0004^2^0^0^0\r\n"
                            "[FORMTITLE]\r\n"
                            "COLOR=$00804020\r\n"
                            "HOTCOLOR=$00A06030\r\n"
                            "FONTCOLOR=$00FFFFFF\r\n"
                            "HOTFONTCOLOR=$0000FFFF\r\n"
                            "[KEYSTATES]\r\n"
                            "COLOR=$00665544\r\n"
                            "HOTCOLOR=$00665544\r\n"
                            "BORDERSMASK=^0000^0110^0018^0116^0003^0003^0003^0003^3^0^0^0\r\n"
                            "[MENULINE]\r\n"
                            "COLOR=$00336633\r\n"
                            "HOTCOLOR=$00336633\r\n";

UnicodeString WriteSkin() {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const UnicodeString root =
        UnicodeString(temp) + L"FormSkinTest-" + std::to_wstring(GetCurrentProcessId()) + L"\\";
    CreateDirectoryW(root.c_str(), nullptr);
    const UnicodeString folder = root + L"FormTest\\";
    CreateDirectoryW(folder.c_str(), nullptr);
    TBitmap* master = new TBitmap(64, 120, pf24bit);
    HDC dc = master->Canvas()->Handle();
    PaintSolidRect(dc, TRect{0, 0, 64, 120}, 0xFF00FF);
    PaintKeyStates(dc);
    PaintSolidRect(dc, TRect{0, 100, GripSize, 100 + GripSize}, GripColor);
    PaintFormBorder(dc);
    FillStates(dc, 20, CloseStates);
    FillStates(dc, 40, MaxStates);
    FillStates(dc, 60, MinStates);
    FillStates(dc, 80, NormStates);
    master->SaveToFile(folder + L"MASTER.BMP");
    master->Free();
    HANDLE file = CreateFileW((folder + L"Options.dat").c_str(), GENERIC_WRITE, 0, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(file, Options, static_cast<DWORD>(strlen(Options)), &written, nullptr);
    CloseHandle(file);
    return root;
}

} // namespace

UnicodeString TestSkinFolder() {
    static const UnicodeString folder = WriteSkin();
    return folder;
}

void FormSkinTest::SetUp() {
    FFramework.Initialize();
    Manager = Construct<TsSkinManager>(nullptr);
}

void FormSkinTest::TearDown() {
    for (TForm* form : Forms) form->Free();
    Forms.clear();
    Manager->Free();
    FFramework.Finalize();
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
}

TForm* FormSkinTest::MakeForm(TFormBorderStyle Style, int Width, int Height) {
    TForm* form = Construct<TForm>(Application);
    form->SetBorderStyle(Style);
    form->SetBounds(40, 40, Width, Height);
    form->SetCaption(L"Skinned form");
    form->HandleNeeded();
    Forms.push_back(form);
    return form;
}

void FormSkinTest::ShowActive(TForm* Form) {
    Form->Show();
    SetForegroundWindow(Form->Handle());
    SetActiveWindow(Form->Handle());
    PumpUntil([&] { return GetActiveWindow() == Form->Handle(); });
    Application->ProcessMessages();
    // Programs running beside the tests may take the activation at any time; the form is drawn
    // active from here on until the test pumps messages again.
    SendMessageW(Form->Handle(), WM_NCACTIVATE, TRUE, 0);
}

void FormSkinTest::ApplySkin() {
    Manager->WriteSkinDirectory(TestSkinFolder());
    Manager->WriteSkinName(L"FormTest");
    ASSERT_TRUE(Manager->SkinActive());
}

bool PumpUntil(const std::function<bool()>& Done, DWORD Ms) {
    const DWORD start = GetTickCount();
    while (!Done() && GetTickCount() - start < Ms) {
        Application->ProcessMessages();
        Sleep(1);
    }
    return Done();
}

TColor PixelAt(TBitmap* Bmp, int X, int Y) {
    const auto* row = static_cast<const Byte*>(Bmp->ScanLine(Y));
    const int bytes = Bmp->PixelFormat() == pf32bit ? 4 : 3;
    const Byte* p = row + X * bytes;
    return RGB(p[2], p[1], p[0]);
}

bool SaveWindowShot(HWND Wnd, const wchar_t* File) {
    RedrawWindow(Wnd, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpUntil([] { return false; }, 300);
    RECT r;
    GetWindowRect(Wnd, &r);
    TBitmap shot(r.right - r.left, r.bottom - r.top, pf24bit);
    HDC screen = GetDC(nullptr);
    BitBlt(shot.Canvas()->Handle(), 0, 0, shot.Width(), shot.Height(), screen, r.left, r.top,
           SRCCOPY);
    ReleaseDC(nullptr, screen);
    shot.SaveToFile(File);
    return GetFileAttributesW(File) != INVALID_FILE_ATTRIBUTES;
}

LRESULT SendTo(TForm* Form, UINT Msg, WPARAM WParam, LPARAM LParam) {
    return SendMessageW(Form->Handle(), Msg, WParam, LParam);
}

TRecorder::TRecorder(TForm* Form) : Form(Form), Saved(Form->WindowProc()) {
    Form->SetWindowProc(TWndMethod(this, &TRecorder::Handle));
}

TRecorder::~TRecorder() { Form->SetWindowProc(Saved); }

void TRecorder::Handle(TMessage& Message) {
    Seen.push_back(Message.Msg);
    if (Message.Msg == SM_ALPHACMD) Commands.push_back(SkinCommandOf(Message.WParam));
    if (Message.Msg == WM_SYSCOMMAND) {
        SysCommands.push_back(Message.WParam & 0xFFF0);
        return;
    }
    Saved(Message);
}

bool TRecorder::Saw(UINT Msg) const {
    return std::find(Seen.begin(), Seen.end(), Msg) != Seen.end();
}

void RegisterTestWindowClass(const wchar_t* Name, WNDPROC Proc) {
    WNDCLASSW cls{};
    cls.lpfnWndProc = Proc;
    cls.hInstance = GetModuleHandleW(nullptr);
    cls.lpszClassName = Name;
    cls.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    RegisterClassW(&cls);
}
