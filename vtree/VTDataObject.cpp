// The tree's OLE data object and its format enumerator. The object offers the formats its tree
// allowed when it was made, plus whatever a receiver stores in it with SetData; it renders the
// reference to its tree itself, stored media from its own copies, and everything else through
// its tree. Once the tree is gone every request fails. No exception leaves an IDataObject or
// IEnumFORMATETC method: OLE calls them.
#include "vtree/VTDataObject.h"

#include "framework/ExceptionBoundary.h"
#include "vtree/VTWindow.h"

#include <algorithm>

namespace {

bool SameTargetDevice(const DVTARGETDEVICE* A, const DVTARGETDEVICE* B) {
    if (A == B) return true;
    if (!A || !B || A->tdSize != B->tdSize) return false;
    return std::equal(reinterpret_cast<const Byte*>(A),
                      reinterpret_cast<const Byte*>(A) + A->tdSize,
                      reinterpret_cast<const Byte*>(B));
}

bool MatchFormatEtc(const FORMATETC& A, const FORMATETC& B) {
    return A.cfFormat == B.cfFormat && SameTargetDevice(A.ptd, B.ptd) && A.dwAspect == B.dwAspect &&
           A.lindex == B.lindex && (A.tymed & B.tymed) != 0;
}

// A fixed, zero-initialised copy of a global block.
HGLOBAL CloneGlobalBlock(HGLOBAL Source) {
    const SIZE_T size = GlobalSize(Source);
    TOwnedBy<HGLOBAL, &::GlobalFree> copy(GlobalAlloc(GPTR, size));
    if (!copy) return nullptr;
    const void* from = GlobalLock(Source);
    if (!from) return nullptr;
    std::copy_n(static_cast<const Byte*>(from), size, static_cast<Byte*>(copy.Get()));
    GlobalUnlock(Source);
    return copy.Release();
}

} // namespace

// ---- the enumerator ---------------------------------------------------------------------------

TEnumFormatEtc::TEnumFormatEtc(TFormatEtcArray Formats, ULONG CurrentIndex)
    : FFormatEtcArray(std::move(Formats)), FCurrentIndex(CurrentIndex) {}

HRESULT TEnumFormatEtc::Next(ULONG celt, FORMATETC* elt, ULONG* pceltFetched) {
    if (!elt && celt > 0) return E_POINTER;
    const ULONG count = static_cast<ULONG>(FFormatEtcArray.size());
    const ULONG copied = std::min(celt, count - std::min(FCurrentIndex, count));
    std::copy_n(FFormatEtcArray.begin() + FCurrentIndex, copied, elt);
    FCurrentIndex += copied;
    if (pceltFetched) *pceltFetched = copied;
    return copied > 0 ? S_OK : S_FALSE;
}

HRESULT TEnumFormatEtc::Skip(ULONG celt) {
    if (static_cast<ULONGLONG>(FCurrentIndex) + celt > FFormatEtcArray.size()) return S_FALSE;
    FCurrentIndex += celt;
    return S_OK;
}

HRESULT TEnumFormatEtc::Reset() {
    FCurrentIndex = 0;
    return S_OK;
}

HRESULT TEnumFormatEtc::Clone(IEnumFORMATETC** Enum) {
    if (!Enum) return E_POINTER;
    try {
        TComPtr<IEnumFORMATETC> copy(new TEnumFormatEtc(FFormatEtcArray, FCurrentIndex));
        *Enum = copy.Detach();
        return S_OK;
    } catch (...) {
        *Enum = nullptr;
        return E_FAIL;
    }
}

// ---- the data object
// ------------------------------------------------------------------------------

TVTDataObject::TVTDataObject(TVirtualTreeWindow* AOwner, bool ForClipboard)
    : FOwner(AOwner->OwnerRef()), FForClipboard(ForClipboard) {
    AOwner->GetNativeFormats(FFormatEtcArray);
}

// A clipboard object that goes (new content, process end) ends its tree's cut or copy, unless
// the tree is flushing it into plain data.
TVTDataObject::~TVTDataObject() {
    TVirtualTreeWindow* owner = Owner();
    if (FForClipboard && owner && !owner->Tree()->TreeStates().Contains(tsClipboardFlushing))
        GuardBoundary([&] { owner->CancelCutOrCopy(); });
    for (TStoredMedium& stored : FInternalStgMediumArray) ReleaseStgMedium(&stored.Medium);
}

const FORMATETC* TVTDataObject::FindMatch(const FORMATETC& FormatEtc) const {
    for (const FORMATETC& offered : FFormatEtcArray)
        if (MatchFormatEtc(offered, FormatEtc)) return &offered;
    return nullptr;
}

TVTDataObject::TStoredMedium* TVTDataObject::FindStored(CLIPFORMAT Format) {
    for (TStoredMedium& stored : FInternalStgMediumArray)
        if (stored.Format == Format) return &stored;
    return nullptr;
}

HRESULT TVTDataObject::RenderReference(STGMEDIUM& Medium) {
    TVirtualTreeWindow* owner = Owner();
    if (!owner || owner->Tree()->TreeStates().Contains(tsClipboardFlushing)) return E_FAIL;
    HGLOBAL block =
        GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(vtree_formats::TReferenceBlock));
    if (!block) return E_OUTOFMEMORY;
    auto* reference = static_cast<vtree_formats::TReferenceBlock*>(GlobalLock(block));
    reference->ProcessId = GetCurrentProcessId();
    reference->Serial = owner->LiveSerial();
    reference->Tree = reinterpret_cast<UINT_PTR>(owner);
    GlobalUnlock(block);
    Medium.tymed = TYMED_HGLOBAL;
    Medium.hGlobal = block;
    Medium.pUnkForRelease = nullptr;
    return S_OK;
}

HRESULT TVTDataObject::GetData(FORMATETC* FormatEtcIn, STGMEDIUM* Medium) {
    if (!FormatEtcIn || !Medium) return E_INVALIDARG;
    *Medium = STGMEDIUM{};
    try {
        if (FormatEtcIn->cfFormat == vtree_formats::Reference()) return RenderReference(*Medium);
        TVirtualTreeWindow* owner = Owner();
        if (!owner) return E_FAIL;
        const HRESULT query = QueryGetData(FormatEtcIn);
        if (query != S_OK) return query;
        const FORMATETC* offered = FindMatch(*FormatEtcIn);
        if (!offered) return DV_E_FORMATETC;
        if (TStoredMedium* stored = FindStored(offered->cfFormat);
            stored && stored->Medium.tymed != TYMED_NULL)
            return CopyStorageMedium(stored->Medium, *Medium, false, Identity());
        return owner->RenderTreeData(*FormatEtcIn, *Medium, FForClipboard);
    } catch (...) {
        *Medium = STGMEDIUM{};
        return E_FAIL;
    }
}

HRESULT TVTDataObject::QueryGetData(FORMATETC* FormatEtc) {
    if (!FormatEtc) return E_INVALIDARG;
    HRESULT result = DV_E_FORMATETC;
    for (const FORMATETC& offered : FFormatEtcArray) {
        if (offered.cfFormat != FormatEtc->cfFormat) continue;
        if ((offered.tymed & FormatEtc->tymed) == 0)
            result = DV_E_TYMED;
        else if (offered.dwAspect != FormatEtc->dwAspect)
            result = DV_E_DVASPECT;
        else if (offered.lindex != FormatEtc->lindex)
            result = DV_E_LINDEX;
        else
            return S_OK;
    }
    return result;
}

HRESULT TVTDataObject::GetCanonicalFormatEtc(FORMATETC*, FORMATETC* Out) {
    if (Out) Out->ptd = nullptr;
    return DATA_S_SAMEFORMATETC;
}

HRESULT TVTDataObject::SetData(FORMATETC* FormatEtc, STGMEDIUM* Medium, BOOL DoRelease) {
    if (!FormatEtc || !Medium) return E_INVALIDARG;
    try {
        TStoredMedium* stored = FindMatch(*FormatEtc) ? FindStored(FormatEtc->cfFormat) : nullptr;
        if (!FindMatch(*FormatEtc)) FFormatEtcArray.push_back(*FormatEtc);
        if (stored) {
            ReleaseStgMedium(&stored->Medium);
            stored->Medium = STGMEDIUM{};
        } else {
            // Also for a format offered natively: a stored medium answers before the tree.
            FInternalStgMediumArray.push_back({FormatEtc->cfFormat, STGMEDIUM{}});
            stored = &FInternalStgMediumArray.back();
        }
        if (DoRelease) {
            stored->Medium = *Medium;
        } else {
            const HRESULT copied = CopyStorageMedium(*Medium, stored->Medium, true, Identity());
            if (FAILED(copied)) return copied;
            if (stored->Medium.pUnkForRelease == Identity()) {
                stored->Medium.pUnkForRelease->Release();
                stored->Medium.pUnkForRelease = nullptr;
            }
        }
        if (FAdviseHolder) FAdviseHolder->SendOnDataChange(static_cast<IDataObject*>(this), 0, 0);
        return S_OK;
    } catch (...) {
        return E_FAIL;
    }
}

HRESULT TVTDataObject::CopyStorageMedium(const STGMEDIUM& In, STGMEDIUM& Out, bool CopyInMedium,
                                         IUnknown* Owner) {
    Out = In;
    switch (In.tymed) {
    case TYMED_HGLOBAL:
        if (CopyInMedium) {
            Out.hGlobal = CloneGlobalBlock(In.hGlobal);
            if (!Out.hGlobal) return E_OUTOFMEMORY;
        } else {
            Out.pUnkForRelease = Owner;
        }
        break;
    case TYMED_FILE: {
        const std::size_t length = In.lpszFileName ? wcslen(In.lpszFileName) + 1 : 0;
        Out.lpszFileName = static_cast<LPOLESTR>(CoTaskMemAlloc(length * sizeof(wchar_t)));
        if (!Out.lpszFileName) return E_OUTOFMEMORY;
        std::copy_n(In.lpszFileName, length, Out.lpszFileName);
        break;
    }
    case TYMED_ISTREAM: In.pstm->AddRef(); break;
    case TYMED_ISTORAGE: In.pstg->AddRef(); break;
    case TYMED_GDI:
    case TYMED_MFPICT:
    case TYMED_ENHMF:
        if (CopyInMedium) return DV_E_TYMED;
        Out.pUnkForRelease = Owner;
        break;
    default: return DV_E_TYMED;
    }
    if (Out.pUnkForRelease) Out.pUnkForRelease->AddRef();
    return S_OK;
}

HRESULT TVTDataObject::EnumFormatEtc(DWORD Direction, IEnumFORMATETC** Enum) {
    if (!Enum) return E_POINTER;
    *Enum = nullptr;
    if (Direction != DATADIR_GET) return OLE_S_USEREG;
    try {
        TComPtr<IEnumFORMATETC> enumerator(new TEnumFormatEtc(FFormatEtcArray));
        *Enum = enumerator.Detach();
        return S_OK;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

HRESULT TVTDataObject::DAdvise(FORMATETC* FormatEtc, DWORD Flags, IAdviseSink* Sink,
                               DWORD* Connection) {
    if (!FAdviseHolder) {
        const HRESULT made = CreateDataAdviseHolder(FAdviseHolder.Put());
        if (FAILED(made)) return made;
    }
    return FAdviseHolder->Advise(static_cast<IDataObject*>(this), FormatEtc, Flags, Sink,
                                 Connection);
}

HRESULT TVTDataObject::DUnadvise(DWORD Connection) {
    return FAdviseHolder ? FAdviseHolder->Unadvise(Connection) : E_NOTIMPL;
}

HRESULT TVTDataObject::EnumDAdvise(IEnumSTATDATA** Enum) {
    if (!FAdviseHolder) return OLE_E_ADVISENOTSUPPORTED;
    return FAdviseHolder->EnumAdvise(Enum);
}

// ---- reading a reference -----------------------------------------------------------------------

TVirtualTreeWindow* FindSourceTree(IDataObject* DataObject) {
    if (!DataObject) return nullptr;
    FORMATETC format =
        vtree_formats::FormatEtcFor(vtree_formats::Reference(), TYMED_HGLOBAL | TYMED_ISTREAM);
    STGMEDIUM medium{};
    if (DataObject->GetData(&format, &medium) != S_OK) return nullptr;
    TVirtualTreeWindow* tree = nullptr;
    if (medium.tymed == TYMED_HGLOBAL && medium.hGlobal &&
        GlobalSize(medium.hGlobal) >= sizeof(vtree_formats::TReferenceBlock)) {
        if (const auto* block =
                static_cast<const vtree_formats::TReferenceBlock*>(GlobalLock(medium.hGlobal))) {
            tree = vtree_formats::FindLiveTree(block->ProcessId, block->Serial, block->Tree);
            GlobalUnlock(medium.hGlobal);
        }
    }
    ReleaseStgMedium(&medium);
    return tree;
}
