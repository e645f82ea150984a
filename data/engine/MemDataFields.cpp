// Field descriptors, their owning list and name look-up, value widths, the record layout and
// the unique-name pass.
#include "data/engine/MemDataFields.h"

#include "data/engine/MemUtils.h"

#include "framework/Conversions.h"
#include "framework/Format.h"

#include <algorithm>

namespace {
constexpr Word PointerSize = Word(sizeof(void*));
} // namespace

Word FieldSizeOf(TEngineDataType DataType, Word Length, Word Declared) {
    switch (DataType) {
    case dtString:
    case dtGuid: return Word(Length + 1);
    case dtInt8: return 1;
    case dtInt16:
    case dtUInt16:
    case dtBoolean: return 2;
    case dtInt32:
    case dtUInt32: return 4;
    case dtFloat:
    case dtDate:
    case dtTime:
    case dtDateTime:
    case dtInt64:
    case dtCurrency:
    case dtBCD: return 8;
    case dtBlob:
    case dtMemo:
    case dtWideMemo:
    case dtVariant:
    case dtExtString:
    case dtExtVarBytes:
    case dtExtWideString: return PointerSize;
    case dtBytes: return Length;
    case dtVarBytes: return Word(Length + 2);
    case dtWideString: return Word(2 * (Length + 1));
    case dtFMTBCD: return 34;
    case dtSQLTimeStamp: return 16;
    default: return Declared;
    }
}

// --- descriptors ---

void TFieldDesc::Assign(const TFieldDesc* FieldDesc) {
    FName = FieldDesc->FName;
    FActualName = FieldDesc->FActualName;
    FDataType = FieldDesc->FDataType;
    FLength = FieldDesc->FLength;
    FScale = FieldDesc->FScale;
    FSize = FieldDesc->FSize;
    FOffset = FieldDesc->FOffset;
    FRequired = FieldDesc->FRequired;
    FFieldNo = FieldDesc->FFieldNo;
}

void TFieldDesc::SetObjectType(TObjectType* Value) {
    if (Value) Value->AddRef();
    if (FObjectType) FObjectType->Free();
    FObjectType = Value;
}

void TFieldDescs::BeforeDestruction() {
    Clear();
    TList::BeforeDestruction();
}

void TFieldDescs::Clear() {
    for (int i = 0; i < Count(); ++i)
        if (TFieldDesc* field = Items(i)) field->Free();
    TList::Clear();
}

TFieldDesc* TFieldDescs::FindField(const UnicodeString& Name) const {
    auto first = [this](auto&& matches) -> TFieldDesc* {
        for (int i = 0; i < Count(); ++i)
            if (TFieldDesc* field = Items(i); field && matches(field)) return field;
        return nullptr;
    };
    if (TFieldDesc* field = first(
            [&](TFieldDesc* f) { return !f->HasParent() && LocaleSameText(f->Name(), Name); }))
        return field;
    if (Name.find_first_of(L".[") != UnicodeString::npos)
        if (TFieldDesc* field =
                first([&](TFieldDesc* f) { return LocaleSameText(f->ActualName(), Name); }))
            return field;
    return first([&](TFieldDesc* f) { return f->HasParent() && LocaleSameText(f->Name(), Name); });
}

TFieldDesc* TFieldDescs::FieldByName(const UnicodeString& Name) const {
    TFieldDesc* field = FindField(Name);
    if (!field) throw Exception(Format(L"Field %s not found", {Name}));
    return field;
}

// --- layout ---

TRecordLayout InitRecordLayout(TFieldDescs& Fields, Integer NullFlagCount) {
    TRecordLayout layout;
    for (int i = 0; i < Fields.Count(); ++i) {
        TFieldDesc* field = Fields.Items(i);
        if (!field || field->FieldDescKind() == fdkCalculated || field->HasParent()) continue;
        if (field->DataType() == dtWideString && layout.DataSize % 2 != 0) ++layout.DataSize;
        field->SetOffset(layout.DataSize);
        layout.DataSize += field->Size();
    }
    layout.RecordSize = NullFlagCount + layout.DataSize;
    if (layout.RecordSize % 2 == 0) ++layout.RecordSize;
    for (int i = 0; i < Fields.Count(); ++i) {
        TFieldDesc* field = Fields.Items(i);
        if (!field || field->FieldDescKind() != fdkCalculated) continue;
        Integer offset = layout.RecordSize + layout.CalcDataSize;
        if (field->DataType() == dtWideString && offset % 2 != 0) {
            ++offset;
            ++layout.CalcDataSize;
        }
        field->SetOffset(offset);
        layout.CalcDataSize += field->Size();
    }
    layout.CalcRecordSize =
        layout.CalcDataSize + (layout.CalcDataSize > 0 && layout.CalcDataSize % 2 == 0 ? 1 : 0);
    return layout;
}

// --- unique names ---

namespace {
// Later descriptors (in sorted order) equal to the renamed one get "_1", "_2", ... in turn;
// the scan ends at the first name that sorts after it.
void RenameClashes(std::vector<TFieldDesc*>& sorted, std::size_t renamed) {
    const UnicodeString& name = sorted[renamed]->Name();
    for (std::size_t j = renamed + 1; j < sorted.size(); ++j) {
        TFieldDesc* later = sorted[j];
        const Integer order = LocaleCompareText(later->Name(), name);
        if (order > 0) break;
        if (order != 0) continue;
        const UnicodeString base = later->Name();
        for (Integer k = 1;; ++k) {
            const UnicodeString candidate = base + L"_" + IntToStr(k);
            const bool taken = std::any_of(sorted.begin(), sorted.end(), [&](TFieldDesc* other) {
                return other != later && LocaleSameText(other->Name(), candidate);
            });
            if (!taken) {
                later->SetName(candidate);
                break;
            }
        }
    }
}
} // namespace

void MakeUniqueFieldNames(TFieldDescs& Fields) {
    std::vector<TFieldDesc*> sorted;
    for (int i = 0; i < Fields.Count(); ++i)
        if (TFieldDesc* field = Fields.Items(i); field && !field->HasParent())
            sorted.push_back(field);
    std::stable_sort(sorted.begin(), sorted.end(), [](TFieldDesc* a, TFieldDesc* b) {
        const Integer order = LocaleCompareText(a->Name(), b->Name());
        return order != 0 ? order < 0 : a->FieldNo() < b->FieldNo();
    });
    for (std::size_t i = 1; i < sorted.size(); ++i)
        if (LocaleSameText(sorted[i - 1]->Name(), sorted[i]->Name())) {
            sorted[i - 1]->SetReserved(true);
            sorted[i]->SetReserved(true);
        }
    Integer n = 0;
    for (std::size_t i = 0; i < sorted.size(); ++i) {
        TFieldDesc* field = sorted[i];
        if (!field->Reserved() && !field->Name().empty()) {
            n = 0;
            continue;
        }
        if (n > 1) {
            const UnicodeString suffix = L"_" + IntToStr(n - 1);
            const UnicodeString& previous = sorted[i - 1]->Name();
            const UnicodeString stem =
                previous.substr(0, previous.size() - std::min(previous.size(), suffix.size()));
            if (!LocaleSameText(stem, field->Name())) n = 0;
        }
        if (n != 0 || field->Name().empty()) {
            field->SetName(field->Name() + L"_" + IntToStr(n));
            RenameClashes(sorted, i);
        }
        ++n;
    }
}

UnicodeString ChildFieldPath(const TFieldDesc* Field) {
    UnicodeString path = Field->Name();
    for (const TFieldDesc* parent = Field->ParentField(); parent && parent->HasParent();
         parent = parent->ParentField())
        path = parent->Name() + (parent->DataType() == dtArray ? L"" : L".") + path;
    return path;
}
