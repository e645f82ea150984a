// An export packed for the clipboard: the rendering a format asks for, with a terminating zero
// character, in a movable global memory block of exactly that size. The block belongs to the
// caller (who hands it to the clipboard or frees it). HTML is wrapped in the clipboard's HTML
// description, whose offsets count bytes from the start of the block.
#include "vtree/VTExportInternal.h"

#include "framework/Handles.h"

#include <cstdio>
#include <cstring>

namespace {

// Owns a global memory block until it is handed over.
using TOwnedGlobal = TOwnedBy<HGLOBAL, &::GlobalFree>;

constexpr UINT ShareableBlock = GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_DDESHARE;

HGLOBAL BlockOf(const void* Data, std::size_t Size) {
    HGLOBAL handle = GlobalAlloc(ShareableBlock, Size);
    if (!handle) RaiseLastOSError(L"GlobalAlloc");
    TOwnedGlobal owner(handle);
    void* memory = GlobalLock(handle);
    if (!memory) RaiseLastOSError(L"GlobalLock");
    std::memcpy(memory, Data, Size);
    GlobalUnlock(handle);
    return owner.Release();
}

HGLOBAL TextBlock(const std::string& Text) { return BlockOf(Text.c_str(), Text.size() + 1); }

HGLOBAL UnicodeBlock(const std::wstring& Text) {
    return BlockOf(Text.c_str(), (Text.size() + 1) * sizeof(wchar_t));
}

bool IsFormat(Word Format, const wchar_t* Name) {
    const UINT id = RegisterClipboardFormatW(Name);
    return id != 0 && Format == id;
}

// The locale's list separator, as the CSV separator.
char ListSeparator() {
    char text[8] = {};
    if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SLIST, text, sizeof(text)) < 2) return ',';
    return text[0];
}

std::string Field(const char* Name, std::size_t Value) {
    char text[32];
    std::snprintf(text, sizeof(text), "%s%.8u\r\n", Name, static_cast<unsigned>(Value));
    return text;
}

} // namespace

// The description is always 97 bytes: four offsets of eight digits each.
std::string WrapClipboardHtml(const std::string& Fragment) {
    static const std::string DocType =
        "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0 Transitional//EN\">";
    static const std::string Head =
        "<html><head><META http-equiv=Content-Type content=\"text/html; charset=utf-8\">"
        "</head><body><!--StartFragment-->";
    static const std::string Tail = "<!--EndFragment--></body></html>";
    constexpr std::size_t DescriptionSize = 97;
    const std::size_t startFragment = DescriptionSize + DocType.size() + Head.size();
    const std::size_t endFragment = startFragment + Fragment.size();
    return "Version:1.0\r\n" + Field("StartHTML:", DescriptionSize) +
           Field("EndHTML:", endFragment + Tail.size()) + Field("StartFragment:", startFragment) +
           Field("EndFragment:", endFragment) + DocType + Head + Fragment + Tail;
}

HGLOBAL TVirtualStringTreeWindow::ContentToClipboard(Word Format, TVSTTextSourceType Source) {
    if (Format == CF_TEXT) return TextBlock(ContentToText(Source, '\t'));
    if (Format == CF_UNICODETEXT) return UnicodeBlock(ContentToUnicode(Source, L'\t'));
    if (IsFormat(Format, L"CSV")) return TextBlock(ContentToText(Source, ListSeparator()));
    if (IsFormat(Format, L"Rich Text Format") ||
        IsFormat(Format, L"Rich Text Format Without Objects"))
        return TextBlock(ContentToRTF(Source));
    if (IsFormat(Format, L"HTML Format"))
        return TextBlock(WrapClipboardHtml(ContentToHTML(Source)));
    return nullptr;
}
