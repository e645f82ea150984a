// Helpers of the form provider tests: a small skin written for them (flat colours at known
// places, corner holes in the form's border), a manager that has it applied, forms shown with
// activation forced (there is no window manager), and the cache's pixels read back.
#pragma once

#include "framework/Forms.h"
#include "framework/ModuleInit.h"
#include "skin/window/sSkinProvider.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

// Colours of the test skin (0x00BBGGRR).
namespace TestSkin {
constexpr TColor FormColor = 0xF0F0F0;
constexpr TColor EdgeInactive = 0x000080;
constexpr TColor EdgeActive = 0x0000FF;
constexpr TColor TitleColor = 0x804020;
constexpr TColor TitleHotColor = 0xA06030;
constexpr TColor TitleFont = 0xFFFFFF;
constexpr TColor TitleHotFont = 0x00FFFF;
constexpr TColor MenuLineColor = 0x336633;
// The three states (normal, hot, pressed) of the close, maximize, minimize and restore images.
constexpr TColor CloseStates[3] = {0x0000C0, 0x00C000, 0xC00000};
constexpr TColor MaxStates[3] = {0x101010, 0x202020, 0x303030};
constexpr TColor MinStates[3] = {0x404040, 0x505050, 0x606060};
constexpr TColor GripColor = 0x80FF00;
constexpr int GripSize = 8;
constexpr int ButtonWidth = 20;
constexpr int ButtonHeight = 18;
// The form border: 4 px on each side; its corners have these key-colour pixels (x, y) in the
// top-left corner, mirrored in the other three.
constexpr int Border = 4;
// Section "KEYSTATES": a border KeyStatesBorder wide of KeyStateCount states, KeyStateSize
// square each, whose only key-colour pixel is in the top row at column s of state s.
constexpr TColor KeyStatesColor = 0x665544;
constexpr int KeyStateCount = 3;
constexpr int KeyStateSize = 6;
constexpr int KeyStatesTop = 110;
constexpr int KeyStatesBorder = 3;
} // namespace TestSkin

// The test skin's folder (written once per program) with a trailing "\".
UnicodeString TestSkinFolder();

class FormSkinTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // A form of the application with its window; freed at the end of the test.
    TForm* MakeForm(TFormBorderStyle Style = bsSizeable, int Width = 300, int Height = 200);
    // Shows the form, makes it the active window and draws it active.
    void ShowActive(TForm* Form);
    // Loads the test skin into the manager and applies it.
    void ApplySkin();

    TsSkinManager* Manager = nullptr;
    std::vector<TForm*> Forms;

private:
    TModuleEntry FFramework = FrameworkModule();
};

// A handler installed on the form before any provider: it sees what reaches the form's own
// handling, and keeps system commands from acting.
struct TRecorder {
    explicit TRecorder(TForm* Form);
    ~TRecorder();
    void Handle(TMessage& Message);
    bool Saw(UINT Msg) const;
    TForm* Form;
    TWndMethod Saved;
    std::vector<UINT> Seen;
    std::vector<WORD> Commands;
    std::vector<WPARAM> SysCommands;
};

// Handles messages until `Done` answers True or `Ms` pass; answers `Done`.
bool PumpUntil(const std::function<bool()>& Done, DWORD Ms = 5000);
// Registers a window class of the test program with Proc and the arrow cursor.
void RegisterTestWindowClass(const wchar_t* Name, WNDPROC Proc);
// The pixel (0x00BBGGRR) of a 24- or 32-bit bitmap.
TColor PixelAt(TBitmap* Bmp, int X, int Y);
// What the screen shows of the window, after a full repaint, saved as a bitmap file; answers
// whether the file exists.
bool SaveWindowShot(HWND Wnd, const wchar_t* File);
// A message to the form through its window procedure chain.
LRESULT SendTo(TForm* Form, UINT Msg, WPARAM WParam = 0, LPARAM LParam = 0);
