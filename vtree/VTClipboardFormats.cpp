// The process's registry of clipboard formats, filled on first use with the tree's own format
// and the text formats of the string tree, the per-tree filter ClipboardFormats, and the
// registry of live tree windows that reference blocks are checked against.
#include "vtree/VTDataObject.h"

#include "framework/Conversions.h"
#include "vtree/VTWindow.h"

#include <algorithm>
#include <map>

namespace {

struct TRegisteredFormats {
    CLIPFORMAT TreeData, Reference, Html, RichText, RichTextNoObjects, Csv;
};

CLIPFORMAT RegisterName(const wchar_t* Name) {
    const UINT id = RegisterClipboardFormatW(Name);
    if (id == 0) RaiseLastOSError(L"RegisterClipboardFormatW");
    return static_cast<CLIPFORMAT>(id);
}

void RegisterUnitFormats(TRegisteredFormats& Formats) {
    const TClass base = TBaseVirtualTree::StaticClass();
    const TClass strings = TCustomVirtualStringTree::StaticClass();
    Formats.Reference = RegisterName(L"Virtual Tree Reference");
    Formats.TreeData = RegisterTreeClipboardFormat(L"Virtual Tree Data", base, 50);
    Formats.Html = RegisterTreeClipboardFormat(L"HTML Format", strings, 80);
    Formats.RichTextNoObjects =
        RegisterTreeClipboardFormat(L"Rich Text Format Without Objects", strings, 84);
    Formats.RichText = RegisterTreeClipboardFormat(L"Rich Text Format", strings, 85);
    Formats.Csv = RegisterTreeClipboardFormat(L"CSV", strings, 90);
    RegisterStandardClipboardFormat(CF_UNICODETEXT, strings, 95);
    RegisterStandardClipboardFormat(CF_TEXT, strings, 100);
}

const TRegisteredFormats& Formats() {
    static const TRegisteredFormats formats = [] {
        TRegisteredFormats f{};
        RegisterUnitFormats(f);
        return f;
    }();
    return formats;
}

const wchar_t* const StandardNames[] = {L"Plain text",
                                        L"Windows bitmap",
                                        L"Windows metafile",
                                        L"Symbolic link",
                                        L"Data interchange format",
                                        L"Tiff image",
                                        L"OEM text",
                                        L"DIB image",
                                        L"Palette data",
                                        L"Pen data",
                                        L"Riff audio data",
                                        L"Wav audio data",
                                        L"Unicode text",
                                        L"Enhanced metafile image",
                                        L"File name(s)",
                                        L"Locale descriptor"};

// The list itself; Instance() also makes sure the unit's formats are in.
TClipboardFormatList& RawList() {
    static TClipboardFormatList list;
    return list;
}

struct TLiveTrees {
    std::mutex Lock;
    std::map<TVirtualTreeWindow*, Cardinal> Trees; // guarded by Lock
    Cardinal NextSerial = 1;                       // guarded by Lock
};

TLiveTrees& LiveTrees() {
    static TLiveTrees trees;
    return trees;
}

} // namespace

// ---- the registry ----------------------------------------------------------------------------

TClipboardFormatList& TClipboardFormatList::Instance() {
    Formats();
    return RawList();
}

void TClipboardFormatList::Add(const UnicodeString& FormatString, TClass AClass, Cardinal Priority,
                               const FORMATETC& AFormatEtc) {
    std::lock_guard<std::mutex> guard(FLock);
    FEntries.push_back({FormatString, AClass, Priority, AFormatEtc});
    std::stable_sort(FEntries.begin(), FEntries.end(),
                     [](const auto& a, const auto& b) { return a.Priority < b.Priority; });
}

void TClipboardFormatList::Clear() {
    std::lock_guard<std::mutex> guard(FLock);
    FEntries.clear();
}

void TClipboardFormatList::EnumerateFormats(TClass TreeClass, TFormatEtcArray& Formats,
                                            const TStrings* AllowedFormats) const {
    std::lock_guard<std::mutex> guard(FLock);
    Formats.clear();
    for (const TClipboardFormatListEntry& entry : FEntries) {
        if (!ClassInheritsFrom(TreeClass, entry.TreeClass)) continue;
        if (AllowedFormats && AllowedFormats->IndexOf(entry.Description) < 0) continue;
        Formats.push_back(entry.FormatEtc);
    }
}

void TClipboardFormatList::EnumerateFormats(TClass TreeClass, TStrings* Formats) const {
    std::lock_guard<std::mutex> guard(FLock);
    for (const TClipboardFormatListEntry& entry : FEntries)
        if (ClassInheritsFrom(TreeClass, entry.TreeClass)) Formats->Add(entry.Description);
}

bool TClipboardFormatList::FindFormat(const UnicodeString& FormatString,
                                      TClipboardFormatListEntry& Entry) const {
    std::lock_guard<std::mutex> guard(FLock);
    for (auto it = FEntries.rbegin(); it != FEntries.rend(); ++it) {
        if (!SameText(it->Description, FormatString)) continue;
        Entry = *it;
        return true;
    }
    return false;
}

TClass TClipboardFormatList::FindFormat(CLIPFORMAT Format, UnicodeString& Description) const {
    std::lock_guard<std::mutex> guard(FLock);
    for (auto it = FEntries.rbegin(); it != FEntries.rend(); ++it) {
        if (it->FormatEtc.cfFormat != Format) continue;
        Description = it->Description;
        return it->TreeClass;
    }
    return nullptr;
}

CLIPFORMAT RegisterTreeClipboardFormat(const UnicodeString& Description, TClass TreeClass,
                                       Cardinal Priority, DWORD Tymed, DVTARGETDEVICE* TargetDevice,
                                       DWORD Aspect, LONG Index) {
    const CLIPFORMAT format = RegisterName(Description.c_str());
    FORMATETC etc{format, TargetDevice, Aspect, Index, Tymed};
    RawList().Add(Description, TreeClass, Priority, etc);
    return format;
}

void RegisterStandardClipboardFormat(CLIPFORMAT Format, TClass TreeClass, Cardinal Priority) {
    UnicodeString name;
    if (Format >= 1 && Format <= 16) {
        name = StandardNames[Format - 1];
    } else if (Format > 16) {
        wchar_t buffer[256];
        const int length = GetClipboardFormatNameW(Format, buffer, 256);
        if (length <= 0) return;
        name.assign(buffer, static_cast<std::size_t>(length));
    } else {
        return;
    }
    RawList().Add(name, TreeClass, Priority, vtree_formats::FormatEtcFor(Format));
}

// ---- format ids and the live trees
// ---------------------------------------------------------------

namespace vtree_formats {

CLIPFORMAT TreeData() { return Formats().TreeData; }
CLIPFORMAT Reference() { return Formats().Reference; }
CLIPFORMAT Html() { return Formats().Html; }
CLIPFORMAT RichText() { return Formats().RichText; }
CLIPFORMAT RichTextNoObjects() { return Formats().RichTextNoObjects; }
CLIPFORMAT Csv() { return Formats().Csv; }

FORMATETC FormatEtcFor(CLIPFORMAT Format, DWORD Tymed) {
    return FORMATETC{Format, nullptr, DVASPECT_CONTENT, -1, Tymed};
}

Cardinal RegisterLiveTree(TVirtualTreeWindow* Tree) {
    TLiveTrees& live = LiveTrees();
    std::lock_guard<std::mutex> guard(live.Lock);
    const Cardinal serial = live.NextSerial++;
    live.Trees[Tree] = serial;
    return serial;
}

void UnregisterLiveTree(TVirtualTreeWindow* Tree) {
    TLiveTrees& live = LiveTrees();
    std::lock_guard<std::mutex> guard(live.Lock);
    live.Trees.erase(Tree);
}

TVirtualTreeWindow* FindLiveTree(DWORD ProcessId, Cardinal Serial, UINT_PTR Address) {
    if (ProcessId != GetCurrentProcessId()) return nullptr;
    TLiveTrees& live = LiveTrees();
    std::lock_guard<std::mutex> guard(live.Lock);
    for (const auto& [tree, serial] : live.Trees)
        if (reinterpret_cast<UINT_PTR>(tree) == Address && serial == Serial) return tree;
    return nullptr;
}

} // namespace vtree_formats

// ---- ClipboardFormats --------------------------------------------------------------------------

TClipboardFormats::TClipboardFormats(TVirtualTreeWindow* AOwner) : FOwner(AOwner) {
    SetSorted(true);
    SetDuplicates(dupIgnore);
}

bool TClipboardFormats::Allowed(const UnicodeString& S) const {
    TClipboardFormatListEntry entry;
    return TClipboardFormatList::Instance().FindFormat(S, entry) &&
           ClassInheritsFrom(FOwner->Tree()->ClassType(), entry.TreeClass);
}

int TClipboardFormats::AddObject(const UnicodeString& S, TObject* AObject) {
    if (!Allowed(S)) return -1;
    return TStringList::AddObject(S, AObject);
}

// A sorted list has one place for each name: an allowed name goes there.
void TClipboardFormats::InsertObject(int, const UnicodeString& S, TObject* AObject) {
    if (Allowed(S)) TStringList::AddObject(S, AObject);
}

void TClipboardFormats::SetFormats(const TStrings* Value) {
    Clear();
    if (!Value) return;
    for (int i = 0; i < Value->Count(); ++i) Add(Value->Strings(i));
}
