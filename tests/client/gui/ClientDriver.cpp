// The client driver. The client program's path comes from the build (VELMORA_CLIENT_EXE, a
// path of the build machine, which Wine shows as drive Z:). Windows are found by polling
// EnumWindows for the client's process; cross-process messages are those Wine marshals
// (WM_SETTEXT, WM_GETTEXT, combo-box item texts).
#include "ClientDriver.h"

#include "framework/Exceptions.h"

#include <algorithm>
#include <fstream>
#include <string>

namespace clientgui_test {

namespace {

UnicodeString ClientExecutable() {
    UnicodeString path = L"Z:" VELMORA_CLIENT_EXE;
    for (wchar_t& c : path)
        if (c == L'/') c = L'\\';
    return path;
}

UnicodeString ClassOf(HWND window) {
    wchar_t name[128];
    const int length = GetClassNameW(window, name, 128);
    return UnicodeString(name, length > 0 ? length : 0);
}

struct TWindowSearch {
    DWORD ProcessId;
    UnicodeString Title, WindowClass;
    HWND Found = nullptr;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<TWindowSearch*>(data);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != search->ProcessId || !IsWindowVisible(window)) return TRUE;
    if (!search->Title.empty() && WindowText(window) != search->Title) return TRUE;
    if (!search->WindowClass.empty() && ClassOf(window) != search->WindowClass) return TRUE;
    search->Found = window;
    return FALSE;
}

struct TChildSearch {
    UnicodeString WindowClass;
    std::vector<HWND> Found;
};

BOOL CALLBACK CollectChild(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<TChildSearch*>(data);
    if (search->WindowClass.empty() || ClassOf(window) == search->WindowClass)
        search->Found.push_back(window);
    return TRUE;
}

HKEY OpenKey(HKEY root, const wchar_t* path) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(root, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr))
        throw Exception(UnicodeString(L"RegCreateKeyExW failed for ") + path);
    return key;
}

void WriteText(HKEY key, const wchar_t* name, const UnicodeString& value) {
    RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

} // namespace

void ForgetRememberedSettings() {
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\vurarer");
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\dedirorer");
}

void RememberLogin(const UnicodeString& user, const UnicodeString& password, int language) {
    HKEY key = OpenKey(HKEY_CURRENT_USER, L"Software\\vurarer");
    const DWORD yes = 1;
    RegSetValueExW(key, L"savepassword", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&yes), 4);
    WriteText(key, L"username", user);
    WriteText(key, L"password", password);
    WriteText(key, L"savelang", std::to_wstring(language));
    RegCloseKey(key);
}

void RememberSelection(const UnicodeString& area, const UnicodeString& line) {
    HKEY key = OpenKey(HKEY_LOCAL_MACHINE, L"SOFTWARE\\dedirorer");
    WriteText(key, L"AREACombobox2", area);
    WriteText(key, L"IPCombobox2", line);
    RegCloseKey(key);
}

UnicodeString RememberedSelection(const wchar_t* name) {
    wchar_t value[64] = {};
    DWORD size = sizeof(value);
    if (RegGetValueW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\dedirorer", name, RRF_RT_REG_SZ, nullptr,
                     value, &size))
        return {};
    return value;
}

TClientProcess::TClientProcess(const UnicodeString& primary, const UnicodeString& backup)
    : TClientProcess(primary + L"," + backup) {}

TClientProcess::TClientProcess(const UnicodeString& servers) {
    SetEnvironmentVariableW(L"VELMORA_ACCOUNT_SERVERS", servers.c_str());
    UnicodeString command = L"\"" + ClientExecutable() + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &FProcess))
        throw Exception(L"CreateProcessW failed: " + std::to_wstring(GetLastError()));
}

TClientProcess::~TClientProcess() {
    if (Running()) {
        TerminateProcess(FProcess.hProcess, 1);
        WaitForSingleObject(FProcess.hProcess, 5000);
    }
    CloseHandle(FProcess.hThread);
    CloseHandle(FProcess.hProcess);
}

bool TClientProcess::Running() const {
    return WaitForSingleObject(FProcess.hProcess, 0) == WAIT_TIMEOUT;
}

HWND TClientProcess::WaitForWindow(const UnicodeString& title, const UnicodeString& windowClass,
                                   DWORD timeoutMs) {
    const DWORD until = GetTickCount() + timeoutMs;
    do {
        TWindowSearch search{FProcess.dwProcessId, title, windowClass};
        EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
        if (search.Found) return search.Found;
        Sleep(50);
    } while (GetTickCount() < until && Running());
    TWindowSearch any{FProcess.dwProcessId, L"", L""};
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&any));
    throw Exception(L"no client window \"" + title + L"\" (" + windowClass + L"); showing: \"" +
                    (any.Found ? WindowText(any.Found) + L"\" " + ClassOf(any.Found) : L"none\""));
}

UnicodeString TClientProcess::AnswerMessageBox(int button, DWORD timeoutMs) {
    HWND box = WaitForWindow(L"", L"#32770", timeoutMs);
    Settle(200);
    UnicodeString text;
    for (HWND child : Children(box, L"Static"))
        if (GetDlgCtrlID(child) == 0xFFFF) text = WindowText(child);
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
    const DWORD until = GetTickCount() + 5000;
    while (IsWindow(box) && GetTickCount() < until) Sleep(20);
    return text;
}

DWORD TClientProcess::WaitForExit(DWORD timeoutMs) {
    if (WaitForSingleObject(FProcess.hProcess, timeoutMs) != WAIT_OBJECT_0)
        throw Exception(L"the client did not end");
    DWORD code = 0;
    GetExitCodeProcess(FProcess.hProcess, &code);
    return code;
}

std::vector<HWND> Children(HWND parent, const UnicodeString& windowClass) {
    TChildSearch search{windowClass};
    EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&search));
    return search.Found;
}

std::vector<HWND> VisibleChildren(HWND parent, const UnicodeString& windowClass) {
    RECT outer, inner;
    GetWindowRect(parent, &outer);
    std::vector<HWND> visible;
    for (HWND child : Children(parent, windowClass)) {
        GetWindowRect(child, &inner);
        if (inner.left >= outer.left && inner.right <= outer.right) visible.push_back(child);
    }
    return visible;
}

int Top(HWND window) {
    RECT bounds;
    GetWindowRect(window, &bounds);
    return bounds.top;
}

HWND ChildWithText(HWND parent, const UnicodeString& text) {
    for (HWND child : Children(parent, L""))
        if (WindowText(child) == text) return child;
    throw Exception(L"no control \"" + text + L"\"");
}

UnicodeString WindowText(HWND window) {
    wchar_t text[512];
    const LRESULT length = SendMessageW(window, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text));
    return UnicodeString(text, static_cast<std::size_t>(length));
}

void SetEditText(HWND edit, const UnicodeString& text) {
    SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void Click(HWND button) { PostMessageW(button, BM_CLICK, 0, 0); }

void SelectComboEntry(HWND combo, int index) {
    SendMessageW(combo, CB_SETCURSEL, index, 0);
    PostMessageW(GetParent(combo), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(combo));
}

int ComboSelection(HWND combo) { return static_cast<int>(SendMessageW(combo, CB_GETCURSEL, 0, 0)); }

std::vector<UnicodeString> ComboItems(HWND combo) {
    std::vector<UnicodeString> items;
    const LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        wchar_t text[256] = {};
        SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        items.push_back(text);
    }
    return items;
}

void Settle(DWORD ms) { Sleep(ms); }

void SaveScreenshot(HWND window, const UnicodeString& fileName) {
    SetForegroundWindow(window);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Settle(800);
    RECT bounds;
    GetWindowRect(window, &bounds);
    const int width = bounds.right - bounds.left, height = bounds.bottom - bounds.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, bounds.left, bounds.top, SRCCOPY);
    SelectObject(memory, old);
    BITMAPINFOHEADER info{sizeof(info), width, height, 1, 24, BI_RGB};
    const DWORD stride = (width * 3 + 3) & ~3;
    std::string pixels(static_cast<std::size_t>(stride) * height, '\0');
    GetDIBits(memory, bitmap, 0, height, pixels.data(), reinterpret_cast<BITMAPINFO*>(&info),
              DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    BITMAPFILEHEADER file{
        0x4D42, static_cast<DWORD>(sizeof(BITMAPFILEHEADER) + sizeof(info) + pixels.size()), 0, 0,
        sizeof(BITMAPFILEHEADER) + sizeof(info)};
    std::ofstream out(fileName.c_str(), std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof(file));
    out.write(reinterpret_cast<const char*>(&info), sizeof(info));
    out.write(pixels.data(), static_cast<std::streamsize>(pixels.size()));
}

} // namespace clientgui_test
