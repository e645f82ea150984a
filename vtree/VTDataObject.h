// What trees put on the clipboard and into drags: a process-wide registry of clipboard formats
// (each with the tree class that can render it and a priority; lower offered first), the
// per-tree filter of that registry (ClipboardFormats), the OLE data object that offers a tree's
// formats and renders them on request, and its format enumerator.
//
// The private format "Virtual Tree Reference" names the source tree of the data, so that a
// paste or drop inside one process can move nodes instead of copying their data. Any process
// can put any bytes on the clipboard, and a reference may outlive its tree: a reference is
// accepted only for a window in this process's registry of live tree windows, with the serial
// number that window was given. Its block: process id (32 bits), serial (32 bits), the window's
// address (pointer-sized).
//
// A data object refers to its tree weakly: the tree window clears the reference when it goes,
// and the object then renders nothing. Everything here runs on the GUI thread, except the
// registries, which lock.
//
// Classes here: TClipboardFormatList, TClipboardFormats, TEnumFormatEtc, TVTDataObject.
#pragma once

#include "framework/Events.h"
#include "framework/Interfaces.h"
#include "framework/StringLists.h"
#include "vtree/VTTypes.h"

#include <ole2.h>

#include <memory>
#include <mutex>
#include <vector>

class TVirtualTreeWindow;

using TFormatEtcArray = std::vector<FORMATETC>;
using TFormatArray = std::vector<CLIPFORMAT>;

struct TClipboardFormatListEntry {
    UnicodeString Description;
    TClass TreeClass = nullptr; // the model class that can render the format
    Cardinal Priority = 0;
    FORMATETC FormatEtc{};
};

class TClipboardFormatList {
public:
    // The process's list, with the tree's own and the text formats registered.
    static TClipboardFormatList& Instance();

    void Add(const UnicodeString& FormatString, TClass AClass, Cardinal Priority,
             const FORMATETC& AFormatEtc);
    void Clear();
    // The entries TreeClass may render that AllowedFormats names (null: all), by priority.
    void EnumerateFormats(TClass TreeClass, TFormatEtcArray& Formats,
                          const TStrings* AllowedFormats) const;
    // Adds the description of every entry TreeClass may render.
    void EnumerateFormats(TClass TreeClass, TStrings* Formats) const;
    // Searches from the last entry; descriptions compare case-insensitively.
    bool FindFormat(const UnicodeString& FormatString, TClipboardFormatListEntry& Entry) const;
    // The tree class and description of a format id; null when no entry has it.
    TClass FindFormat(CLIPFORMAT Format, UnicodeString& Description) const;

private:
    mutable std::mutex FLock;
    std::vector<TClipboardFormatListEntry> FEntries; // guarded by FLock; sorted by Priority
};

// Registers Description with Windows and in the list; answers the format id.
CLIPFORMAT RegisterTreeClipboardFormat(const UnicodeString& Description, TClass TreeClass,
                                       Cardinal Priority, DWORD Tymed = TYMED_HGLOBAL,
                                       DVTARGETDEVICE* TargetDevice = nullptr,
                                       DWORD Aspect = DVASPECT_CONTENT, LONG Index = -1);
// A predefined (1..16) or registered format under its usual name; anything else adds nothing.
void RegisterStandardClipboardFormat(CLIPFORMAT Format, TClass TreeClass, Cardinal Priority);

namespace vtree_formats {
// The ids of the registered formats.
CLIPFORMAT TreeData();  // "Virtual Tree Data"
CLIPFORMAT Reference(); // "Virtual Tree Reference"
CLIPFORMAT Html();
CLIPFORMAT RichText();
CLIPFORMAT RichTextNoObjects();
CLIPFORMAT Csv();
// A FORMATETC for a global block (and a stream where Tymed says so) with no target device.
FORMATETC FormatEtcFor(CLIPFORMAT Format, DWORD Tymed = TYMED_HGLOBAL);

// The live tree windows of this process, each with a serial number of its own.
Cardinal RegisterLiveTree(TVirtualTreeWindow* Tree);
void UnregisterLiveTree(TVirtualTreeWindow* Tree);
// The window a reference block names, or null unless it lives in this process now.
TVirtualTreeWindow* FindLiveTree(DWORD ProcessId, Cardinal Serial, UINT_PTR Address);

#pragma pack(push, 1)
struct TReferenceBlock {
    DWORD ProcessId;
    DWORD Serial;
    UINT_PTR Tree;
};
#pragma pack(pop)
} // namespace vtree_formats

// The tree's ClipboardFormats: sorted, without duplicates, and only names the registry offers
// to the owning tree's class; others are refused (-1).
class TClipboardFormats : public TStringList {
    CLASS_INFO(TClipboardFormats, TStringList)
public:
    explicit TClipboardFormats(TVirtualTreeWindow* AOwner);
    int AddObject(const UnicodeString& S, TObject* AObject) override;
    void InsertObject(int Index, const UnicodeString& S, TObject* AObject) override;
    // Replaces the list by the names of Value the registry allows.
    void SetFormats(const TStrings* Value);

private:
    bool Allowed(const UnicodeString& S) const;
    TVirtualTreeWindow* FOwner;
};

// The weak link from data objects to their tree window.
struct TVTOwnerCell {
    TVirtualTreeWindow* Window = nullptr;
};
using TVTOwnerRef = std::shared_ptr<TVTOwnerCell>;

class TEnumFormatEtc : public TImplements<TInterfacedObject, IEnumFORMATETC> {
    CLASS_INFO(TEnumFormatEtc, TInterfacedObject)
public:
    TEnumFormatEtc(TFormatEtcArray Formats, ULONG CurrentIndex = 0);
    HRESULT STDMETHODCALLTYPE Next(ULONG celt, FORMATETC* elt, ULONG* pceltFetched) override;
    HRESULT STDMETHODCALLTYPE Skip(ULONG celt) override;
    HRESULT STDMETHODCALLTYPE Reset() override;
    HRESULT STDMETHODCALLTYPE Clone(IEnumFORMATETC** Enum) override;

private:
    TFormatEtcArray FFormatEtcArray;
    ULONG FCurrentIndex;
};

class TVTDataObject : public TImplements<TInterfacedObject, IDataObject> {
    CLASS_INFO(TVTDataObject, TInterfacedObject)
public:
    TVTDataObject(TVirtualTreeWindow* AOwner, bool ForClipboard);
    ~TVTDataObject() override;

    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* FormatEtcIn, STGMEDIUM* Medium) override;
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* FormatEtc) override;
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* Out) override;
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC* FormatEtc, STGMEDIUM* Medium,
                                      BOOL DoRelease) override;
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD Direction, IEnumFORMATETC** Enum) override;
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC* FormatEtc, DWORD Flags, IAdviseSink* Sink,
                                      DWORD* Connection) override;
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD Connection) override;
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA** Enum) override;

    // The tree window, or null once it is gone.
    TVirtualTreeWindow* Owner() const noexcept { return FOwner->Window; }
    bool ForClipboard() const noexcept { return FForClipboard; }
    const TFormatEtcArray& Formats() const noexcept { return FFormatEtcArray; }

    // Copies a medium: a global block's bytes when CopyInMedium, else a reference to it kept
    // alive by Owner as release object.
    static HRESULT CopyStorageMedium(const STGMEDIUM& In, STGMEDIUM& Out, bool CopyInMedium,
                                     IUnknown* Owner);

private:
    struct TStoredMedium {
        CLIPFORMAT Format;
        STGMEDIUM Medium;
    };
    HRESULT RenderReference(STGMEDIUM& Medium);
    const FORMATETC* FindMatch(const FORMATETC& FormatEtc) const;
    TStoredMedium* FindStored(CLIPFORMAT Format);

    TVTOwnerRef FOwner;
    bool FForClipboard;
    TFormatEtcArray FFormatEtcArray;
    std::vector<TStoredMedium> FInternalStgMediumArray;
    TComPtr<IDataAdviseHolder> FAdviseHolder;
};

using TVTGetUserClipboardFormatsEvent =
    TMethodEvent<void(TVirtualTreeWindow* Sender, TFormatEtcArray& Formats)>;
using TVTRenderOLEDataEvent =
    TMethodEvent<void(TVirtualTreeWindow* Sender, const FORMATETC& FormatEtcIn, STGMEDIUM& Medium,
                      bool ForClipboard, HRESULT& Result)>;
using TVTCreateDataObjectEvent =
    TMethodEvent<void(TVirtualTreeWindow* Sender, TComPtr<IDataObject>& DataObject)>;

// A reference block read from a data object: the window it names if it still lives here.
TVirtualTreeWindow* FindSourceTree(IDataObject* DataObject);
