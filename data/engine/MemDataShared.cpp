// TSharedObject: reference counting of the objects records share.
#include "data/engine/MemDataBlobs.h"

#include "framework/Conversions.h"

void* TSharedObject::GCHandle() {
    if (!FGCHandle) FGCHandle = this;
    return FGCHandle;
}

void TSharedObject::CheckValid() const {
    if (FRefCount == 0) throw Exception(L"Invalid SharedObject");
}

Integer TSharedObject::Release() {
    Check(FRefCount > 0, (ClassName() + L".Free RefCount = " + IntToStr(FRefCount)).c_str());
    if (FRefCount > 1) return --FRefCount;
    TObject::Free();
    return 0;
}

void TSharedObject::GetAttributeValue(const UnicodeString&, void*&, bool&, bool&) {
    Check(false, L"Must be overrided");
}

void TSharedObject::SetAttributeValue(const UnicodeString&, const void*) {
    Check(false, L"Must be overrided");
}

bool TSharedObject::GetAttrIsNull(const UnicodeString&) {
    Check(false, L"Must be overrided");
    return true;
}
