#include "framework/Objects.h"

TClass TObject::StaticClass() noexcept {
    static const TMetaClass meta{L"TObject", nullptr, nullptr};
    return &meta;
}

void TObject::Free() noexcept {
    try {
        BeforeDestruction();
    } catch (...) {
        // Freeing never fails: an error while tearing down must not leak the object as well.
    }
    delete this;
}

bool ClassInheritsFrom(TClass klass, TClass ancestor) noexcept {
    for (; klass; klass = klass->Parent)
        if (klass == ancestor) return true;
    return false;
}

TObject* CreateInstance(TClass klass, TObject* owner) {
    if (!klass || !klass->Factory)
        throw EAbstractError(UnicodeString(L"Cannot create an instance of ") +
                             (klass ? klass->Name : L"a nil class"));
    return klass->Factory(owner);
}

TObject* class_info::OwnerMismatch(TClass klass) {
    throw EInvalidOperation(UnicodeString(L"Wrong kind of owner for ") + klass->Name);
}

void TPersistent::Assign(TPersistent* source) {
    if (source) {
        source->AssignTo(this);
    } else {
        AssignError(nullptr);
    }
}

void TPersistent::AssignTo(TPersistent* dest) { dest->AssignError(this); }

void TPersistent::AssignError(TPersistent* source) {
    const UnicodeString sourceName = source ? source->ClassName() : UnicodeString(L"nil");
    throw EConvertError(L"Cannot assign a " + sourceName + L" to a " + ClassName());
}
