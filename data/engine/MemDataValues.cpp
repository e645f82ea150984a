// Field values of the record storage in their native, comparison and variant forms: the native
// buffers of the dataset layer (dates as day numbers, milliseconds or millisecond stamps, text
// with line-end conversion and trimming), pointers fit for comparing values, and variants.
// Values in record buffers may be unaligned, so multi-byte values are moved with memcpy.
#include "data/engine/MemDataStorage.h"

#include "data/engine/MemUtils.h"

#include "framework/Conversions.h"
#include "framework/FMTBcd.h"
#include "framework/SQLTimSt.h"
#include "framework/TextEncoding.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {
template <class T> T Load(const void* p) {
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
}
template <class T> void Store(void* p, T v) { std::memcpy(p, &v, sizeof v); }

void* HeapRef(const void* FieldBuf) { return Load<void*>(FieldBuf); }

// Copies at most Length units; a lone LF becomes CR LF; a NUL or a full destination ends it.
template <class C> void ConvertEOL(const C* Source, C* Dest, Integer Length) {
    Integer out = 0;
    for (Integer in = 0; in < Length && out < Length && Source[in] != 0; ++in) {
        if (Source[in] == C('\r') && in + 1 < Length && Source[in + 1] == C('\n')) {
            Dest[out++] = C('\r');
            if (out < Length) Dest[out++] = C('\n');
            ++in;
        } else if (Source[in] == C('\n')) {
            Dest[out++] = C('\r');
            if (out < Length) Dest[out++] = C('\n');
        } else {
            Dest[out++] = Source[in];
        }
    }
    Dest[out] = 0;
}

template <class C> void CopyMax(const C* Source, C* Dest, Integer Length) {
    Integer n = 0;
    while (n < Length && Source[n] != 0) {
        Dest[n] = Source[n];
        ++n;
    }
    Dest[n] = 0;
}

double RoundToScale(double Value, Word Scale) {
    if (Scale == 0) return Value;
    char text[400];
    std::snprintf(text, sizeof text, "%.*f", int(Scale), Value);
    return std::strtod(text, nullptr);
}

[[noreturn]] void CannotConvert() { throw EConvertError(L"Cannot convert type"); }

bool IsIntegerVariant(const Variant& V) {
    switch (VarType(V)) {
    case varSmallint:
    case varInteger:
    case varShortInt:
    case varByte:
    case varWord:
    case varLongWord:
    case varInt64:
    case varUInt64: return true;
    default: return false;
    }
}

// The elements of a byte array; "Invalid VType" for anything else.
std::vector<Byte> ByteArrayOf(const Variant& V) {
    if (VarType(V) != (varArray | varByte)) throw EAssertionFailed(L"Invalid VType");
    Variant copy = V;
    const int count = VarArrayHighBound(copy, 1) - VarArrayLowBound(copy, 1) + 1;
    const Byte* bytes = static_cast<const Byte*>(VarArrayLock(copy));
    std::vector<Byte> result(bytes, bytes + count);
    VarArrayUnlock(copy);
    return result;
}

Variant ByteArrayVariant(const void* Bytes, Integer Count) {
    Variant result = VarArrayCreate(0, Count - 1, varByte);
    if (Count > 0) {
        std::memcpy(VarArrayLock(result), Bytes, std::size_t(Count));
        VarArrayUnlock(result);
    }
    return result;
}

template <class S> void TrimControlTail(S& Text) {
    while (!Text.empty() && unsigned(Text.back()) <= 32) Text.pop_back();
}
} // namespace

// --- native form ---

void TData::GetField(Word FieldNo, void* RecBuf, void* Dest, bool& IsBlank) {
    TFieldDesc* field = FieldOf(FieldNo);
    IsBlank = GetNull(FieldNo, RecBuf);
    if (!Dest) return;
    const Word type = field->DataType();
    if (IsBlank) {
        if (IsComplexFieldType(type) && type != dtExtString && type != dtExtVarBytes &&
            type != dtExtWideString)
            std::memcpy(Dest, static_cast<Byte*>(RecBuf) + field->Offset(), sizeof(void*));
        return;
    }
    if (field->HasParent()) {
        const TFieldDesc* top = field;
        while (top->ParentField()) top = top->ParentField();
        auto* obj = Load<TSharedObject*>(static_cast<Byte*>(RecBuf) + top->Offset());
        void* value = nullptr;
        bool blank = true, native = true;
        obj->GetAttributeValue(ChildFieldPath(field), value, blank, native);
        GetFieldData(field, value, Dest);
        if (!native) std::free(value);
    } else {
        GetFieldData(field, static_cast<Byte*>(RecBuf) + field->Offset(), Dest);
    }
    if (type == dtString && (field->Fixed() ? TrimFixedChar : TrimVarChar))
        TrimTrailingBlanks(static_cast<char*>(Dest),
                           field->Fixed() ? Integer(field->Length()) : -1);
    else if (type == dtWideString && (field->Fixed() ? TrimFixedChar : TrimVarChar))
        TrimTrailingBlanksW(static_cast<wchar_t*>(Dest),
                            field->Fixed() ? Integer(field->Length()) : -1);
}

void TData::GetFieldData(TFieldDesc* Field, void* FieldBuf, void* Dest) {
    const Integer length = Field->Length();
    switch (Field->DataType()) {
    case dtString:
        if (IsConvertEOL())
            ConvertEOL(static_cast<const char*>(FieldBuf), static_cast<char*>(Dest), length);
        else
            CopyMax(static_cast<const char*>(FieldBuf), static_cast<char*>(Dest), length);
        break;
    case dtDate: GetDateFromBuf(FieldBuf, Field, Dest, dfDate); break;
    case dtTime: GetDateFromBuf(FieldBuf, Field, Dest, dfTime); break;
    case dtDateTime: GetDateFromBuf(FieldBuf, Field, Dest, dfMSecs); break;
    case dtVariant: *static_cast<Variant*>(Dest) = Load<TVariantObject*>(FieldBuf)->Value(); break;
    case dtExtString: {
        auto* text = static_cast<const char*>(HeapRef(FieldBuf));
        if (!text) throw EAssertionFailed(L"Heap text of " + Field->Name() + L" is nil");
        if (IsConvertEOL())
            ConvertEOL(text, static_cast<char*>(Dest), length);
        else
            std::strcpy(static_cast<char*>(Dest), text);
        break;
    }
    case dtExtVarBytes: {
        const void* buf = HeapRef(FieldBuf);
        if (buf) std::memcpy(Dest, buf, std::size_t(VarBytesCount(buf)) + 2);
        break;
    }
    case dtUInt32: Store<Int64>(Dest, Int64(Load<LongWord>(FieldBuf))); break;
    case dtWideString:
        if (IsConvertEOL())
            ConvertEOL(static_cast<const wchar_t*>(FieldBuf), static_cast<wchar_t*>(Dest), length);
        else
            CopyMax(static_cast<const wchar_t*>(FieldBuf), static_cast<wchar_t*>(Dest), length);
        break;
    case dtExtWideString: {
        auto* text = static_cast<const wchar_t*>(HeapRef(FieldBuf));
        if (!text) throw EAssertionFailed(L"Heap text of " + Field->Name() + L" is nil");
        if (IsConvertEOL())
            ConvertEOL(text, static_cast<wchar_t*>(Dest), length);
        else
            CopyWideStr(static_cast<wchar_t*>(Dest), text);
        break;
    }
    case dtFMTBCD: std::memcpy(Dest, FieldBuf, 34); break;
    default: std::memcpy(Dest, FieldBuf, Field->Size()); break;
    }
}

void TData::PutFieldData(TFieldDesc* Field, void* FieldBuf, const void* Source) {
    switch (Field->DataType()) {
    case dtString:
        CopyMax(static_cast<const char*>(Source), static_cast<char*>(FieldBuf),
                Integer(Field->Size()) - 1);
        break;
    case dtFloat:
        Store<double>(FieldBuf, RoundToScale(Load<double>(Source), Field->Scale()));
        break;
    case dtDate: PutDateToBuf(FieldBuf, Field, Source, dfDate); break;
    case dtTime: PutDateToBuf(FieldBuf, Field, Source, dfTime); break;
    case dtDateTime: PutDateToBuf(FieldBuf, Field, Source, dfMSecs); break;
    case dtVariant:
        Load<TVariantObject*>(FieldBuf)->SetValue(*static_cast<const Variant*>(Source));
        break;
    case dtExtString:
        if (void* old = HeapRef(FieldBuf)) StringHeap->DisposeBuf(old);
        Store<void*>(FieldBuf,
                     Source ? StringHeap->AllocStr(static_cast<const char*>(Source)) : nullptr);
        break;
    case dtExtWideString:
        if (void* old = HeapRef(FieldBuf)) StringHeap->DisposeBuf(old);
        Store<void*>(FieldBuf, Source
                                   ? StringHeap->AllocWideStr(static_cast<const wchar_t*>(Source))
                                   : nullptr);
        break;
    case dtExtVarBytes: {
        if (void* old = HeapRef(FieldBuf)) StringHeap->DisposeBuf(old);
        void* copy = nullptr;
        if (Source) {
            const Integer size = VarBytesCount(Source) + 2;
            copy = StringHeap->NewBuf(size);
            std::memcpy(copy, Source, std::size_t(size));
        }
        Store<void*>(FieldBuf, copy);
        break;
    }
    case dtWideString:
        CopyMax(static_cast<const wchar_t*>(Source), static_cast<wchar_t*>(FieldBuf),
                Integer(Field->Length()));
        break;
    default: std::memcpy(FieldBuf, Source, Field->Size()); break;
    }
}

void TData::PutField(Word FieldNo, void* RecBuf, const void* Source) {
    TFieldDesc* field = FieldOf(FieldNo);
    const Word type = field->DataType();
    bool makeNull = Source == nullptr;
    if (!makeNull && !EnableEmptyStrings) {
        if (type == dtString || type == dtExtString)
            makeNull = *static_cast<const char*>(Source) == 0;
        if (type == dtWideString || type == dtExtWideString) makeNull = Load<wchar_t>(Source) == 0;
    }
    if (makeNull) {
        SetNull(FieldNo, RecBuf, true);
        return;
    }
    if (field->HasParent()) {
        const TFieldDesc* top = field;
        while (top->ParentField()) top = top->ParentField();
        auto* obj = Load<TSharedObject*>(static_cast<Byte*>(RecBuf) + top->Offset());
        if (obj) obj->SetAttributeValue(ChildFieldPath(field), Source);
        return;
    }
    PutFieldData(field, static_cast<Byte*>(RecBuf) + field->Offset(), Source);
    SetNull(FieldNo, RecBuf, false);
}

// --- dates ---

void TData::GetDateFromBuf(const void* Buf, TFieldDesc* Field, void* Date, TDateFormat Format) {
    (void)Field;
    const double value = Load<double>(Buf);
    switch (Format) {
    case dfMSecs: {
        const TTimeStamp stamp = DateTimeToTimeStamp(value);
        Store<double>(Date, double(stamp.Date) * MSecsPerDay + stamp.Time);
        break;
    }
    case dfDateTime: Store<double>(Date, value); break;
    case dfTime: Store<Integer>(Date, DateTimeToTimeStamp(value).Time); break;
    case dfDate: Store<Integer>(Date, DateTimeToTimeStamp(value).Date); break;
    }
}

void TData::PutDateToBuf(void* Buf, TFieldDesc* Field, const void* Date, TDateFormat Format) {
    (void)Field;
    double value = 0;
    switch (Format) {
    case dfMSecs: {
        const Int64 msecs = Round(Load<double>(Date));
        TTimeStamp stamp;
        stamp.Date = Integer(msecs / MSecsPerDay);
        stamp.Time = Integer(msecs % MSecsPerDay);
        value = TimeStampToDateTimeChecked(stamp);
        break;
    }
    case dfDateTime: value = Load<double>(Date); break;
    case dfTime:
        value = TimeStampToDateTimeChecked(TTimeStamp{Load<Integer>(Date), DateDelta});
        break;
    case dfDate: value = TimeStampToDateTimeChecked(TTimeStamp{0, Load<Integer>(Date)}); break;
    }
    Store<double>(Buf, value);
}

// --- comparison form ---

void* TData::GetFieldBuf(void* RecBuf, TFieldDesc* FieldDesc, Integer& DataType, bool& IsBlank,
                         bool& NativeBuffer) {
    NativeBuffer = true;
    DataType = FieldDesc->DataType();
    if (FieldDesc->HasParent()) {
        const TFieldDesc* top = FieldDesc;
        while (top->ParentField()) top = top->ParentField();
        auto* obj = Load<TSharedObject*>(static_cast<Byte*>(RecBuf) + top->Offset());
        void* value = nullptr;
        IsBlank = true;
        if (obj) obj->GetAttributeValue(ChildFieldPath(FieldDesc), value, IsBlank, NativeBuffer);
        return value;
    }
    IsBlank = GetNull(FieldDesc->FieldNo(), RecBuf);
    Byte* field = static_cast<Byte*>(RecBuf) + FieldDesc->Offset();
    if (IsBlank) return field;
    auto temporary = [&](std::size_t size) {
        NativeBuffer = false;
        void* buf = std::malloc(size);
        if (!buf) throw std::bad_alloc();
        return buf;
    };
    switch (DataType) {
    case dtDate:
    case dtTime:
    case dtDateTime: {
        void* buf = temporary(8);
        std::memcpy(buf, field, 8);
        return buf;
    }
    case dtExtString: DataType = dtString; return HeapRef(field);
    case dtExtWideString: DataType = dtWideString; return HeapRef(field);
    case dtExtVarBytes: return HeapRef(field);
    case dtBytes: {
        Byte* buf = static_cast<Byte*>(temporary(std::size_t(FieldDesc->Length()) + 2));
        SetVarBytesCount(buf, FieldDesc->Length());
        std::memcpy(buf + 2, field, FieldDesc->Length());
        return buf;
    }
    case dtBCD: {
        void* buf = temporary(8);
        Store<double>(buf, double(Load<Int64>(field)) / 10000);
        return buf;
    }
    case dtBlob:
    case dtMemo:
    case dtWideMemo: {
        const Word no = FieldDesc->FieldNo();
        const Integer size = GetBlobSize(no, RecBuf);
        char* buf = static_cast<char*>(temporary(std::size_t(size) + 1));
        const Integer read = size > 0 ? ReadBlob(no, RecBuf, 0, 0, buf) : 0;
        buf[read] = 0;
        DataType = dtString;
        return buf;
    }
    default: return field;
    }
}

void TData::FreeFieldBuf(void* Buf) { std::free(Buf); }

// --- variant form ---

void TData::GetFieldAsVariant(Word FieldNo, void* RecBuf, Variant& Value) {
    TFieldDesc* field = FieldOf(FieldNo);
    Integer type = 0;
    bool blank = true, native = true;
    void* buf = GetFieldBuf(RecBuf, field, type, blank, native);
    const TFieldBufHold hold{buf, native};
    if (blank) {
        Value = Variant::Null();
        return;
    }
    const bool trim = field->Fixed() ? TrimFixedChar : TrimVarChar;
    const Byte* p = static_cast<const Byte*>(buf);
    switch (field->DataType()) {
    case dtString: {
        AnsiString text(reinterpret_cast<const char*>(p));
        if (trim) TrimControlTail(text);
        Value = Variant(text);
        break;
    }
    case dtInt8: Value = Variant(Load<std::int8_t>(p)); break;
    case dtInt16: Value = Variant(Load<std::int16_t>(p)); break;
    case dtInt32: Value = Variant(Load<Integer>(p)); break;
    case dtUInt16: Value = Variant(Load<Word>(p)); break;
    case dtUInt32: Value = Variant(Load<LongWord>(p)); break;
    case dtInt64: Value = Variant(Load<Int64>(p)); break;
    case dtFloat:
    case dtCurrency: Value = Variant(Load<double>(p)); break;
    case dtDate:
    case dtTime:
    case dtDateTime: Value = Variant::FromDate(Load<double>(p)); break;
    case dtBoolean: Value = Variant(Load<Word>(p) != 0); break;
    case dtMemo: Value = Variant(AnsiString(reinterpret_cast<const char*>(p))); break;
    case dtWideMemo: Value = Variant(BlobOf(FieldNo, RecBuf)->AsWideString()); break;
    case dtVariant:
        Value = Load<TVariantObject*>(static_cast<Byte*>(RecBuf) + field->Offset())->Value();
        break;
    case dtExtString:
    case dtGuid: Value = Variant(AnsiString(reinterpret_cast<const char*>(p))); break;
    case dtBytes:
    case dtVarBytes:
    case dtExtVarBytes: Value = ByteArrayVariant(p + 2, VarBytesCount(p)); break;
    case dtWideString: {
        UnicodeString text(reinterpret_cast<const wchar_t*>(p));
        if (trim) TrimControlTail(text);
        Value = Variant(text);
        break;
    }
    case dtExtWideString:
        Value = Variant(UnicodeString(reinterpret_cast<const wchar_t*>(p)));
        break;
    case dtBCD:
        Value = Variant(
            Currency::FromScaled(Load<Int64>(static_cast<Byte*>(RecBuf) + field->Offset())));
        break;
    case dtFMTBCD: Value = VarFMTBcdCreate(Load<TBcd>(p)); break;
    case dtSQLTimeStamp: Value = VarSQLTimeStampCreate(Load<TSQLTimeStamp>(p)); break;
    default: throw EConvertError(L"Cannot convert type " + IntToStr(Integer(field->DataType())));
    }
}

void TData::PutFieldAsVariant(Word FieldNo, void* RecBuf, const Variant& Value) {
    TFieldDesc* field = FieldOf(FieldNo);
    if (VarIsClear(Value)) {
        SetNull(FieldNo, RecBuf, true);
        return;
    }
    if (field->HasParent()) throw EAssertionFailed(L"A child field cannot be written as a variant");
    Byte* buf = static_cast<Byte*>(RecBuf) + field->Offset();
    const TVarType vt = VarType(Value);
    const bool isFloat = vt == varSingle || vt == varDouble || vt == varCurrency;
    switch (field->DataType()) {
    case dtString:
    case dtGuid:
        CopyMax(Value.AsAnsiString().c_str(), reinterpret_cast<char*>(buf),
                Integer(field->Size()) - 1);
        break;
    case dtInt8:
        if (field->Size() == 1)
            Store<std::int8_t>(buf, std::int8_t(Value.AsInteger()));
        else if (field->Size() == 2)
            Store<std::int16_t>(buf, std::int16_t(Value.AsInteger()));
        else
            throw EAssertionFailed(L"Invalid size of an Int8 field");
        break;
    case dtInt16:
        if (!IsIntegerVariant(Value)) CannotConvert();
        Store<std::int16_t>(buf, std::int16_t(Value.AsInteger()));
        break;
    case dtUInt16:
        if (!IsIntegerVariant(Value)) CannotConvert();
        Store<Word>(buf, Word(Value.AsInteger()));
        break;
    case dtInt32:
        if (IsIntegerVariant(Value) || isFloat)
            Store<Integer>(buf, Value.AsInteger());
        else if (VarIsStr(Value))
            Store<Integer>(buf, StrToInt(Value.AsString()));
        else
            CannotConvert();
        break;
    case dtFloat:
    case dtCurrency:
        if (IsIntegerVariant(Value))
            Store<double>(buf, Value.AsDouble());
        else if (isFloat)
            Store<double>(buf, RoundToScale(Value.AsDouble(), field->Scale()));
        else if (VarIsStr(Value))
            Store<double>(buf, RoundToScale(StrToFloat(Value.AsString()), field->Scale()));
        else
            CannotConvert();
        break;
    case dtDate:
    case dtTime:
    case dtDateTime: Store<double>(buf, Value.AsDate()); break;
    case dtBoolean:
        if (vt != varBoolean) CannotConvert();
        Store<Word>(buf, Value.AsBoolean() ? 1 : 0);
        break;
    case dtInt64:
        if (vt != varInt64) CannotConvert();
        Store<Int64>(buf, Value.AsInt64());
        break;
    case dtUInt32:
        if (vt != varLongWord) CannotConvert();
        Store<LongWord>(buf, LongWord(Value.AsUInt64()));
        break;
    case dtBlob:
    case dtMemo: BlobOf(FieldNo, RecBuf)->SetAsAnsiString(Value.AsAnsiString()); break;
    case dtWideMemo: BlobOf(FieldNo, RecBuf)->SetAsWideString(Value.AsString()); break;
    case dtVariant: Load<TVariantObject*>(buf)->SetValue(Value); break;
    case dtExtString: {
        const AnsiString text = Value.AsAnsiString();
        if (void* old = HeapRef(buf)) StringHeap->DisposeBuf(old);
        Store<void*>(buf, StringHeap->AllocStr(text.c_str()));
        break;
    }
    case dtExtWideString: {
        const UnicodeString text = Value.AsString();
        if (void* old = HeapRef(buf)) StringHeap->DisposeBuf(old);
        Store<void*>(buf, StringHeap->AllocWideStr(text.c_str()));
        break;
    }
    case dtBytes: {
        const std::vector<Byte> bytes = ByteArrayOf(Value);
        if (bytes.size() != field->Length()) throw EAssertionFailed(L"Invalid data size");
        std::memcpy(buf, bytes.data(), bytes.size());
        break;
    }
    case dtVarBytes: {
        const std::vector<Byte> bytes = ByteArrayOf(Value);
        if (bytes.size() > field->Length()) throw EAssertionFailed(L"Invalid data size");
        SetVarBytesCount(buf, Word(bytes.size()));
        if (!bytes.empty()) std::memcpy(buf + 2, bytes.data(), bytes.size());
        break;
    }
    case dtExtVarBytes: {
        const std::vector<Byte> bytes = ByteArrayOf(Value);
        if (void* old = HeapRef(buf)) StringHeap->DisposeBuf(old);
        Byte* copy = static_cast<Byte*>(StringHeap->NewBuf(Integer(bytes.size()) + 2));
        SetVarBytesCount(copy, Word(bytes.size()));
        if (!bytes.empty()) std::memcpy(copy + 2, bytes.data(), bytes.size());
        Store<void*>(buf, copy);
        break;
    }
    case dtWideString: {
        const UnicodeString text = Value.AsString();
        CopyMax(text.c_str(), reinterpret_cast<wchar_t*>(buf), Integer(field->Size()) / 2 - 1);
        break;
    }
    case dtBCD: Store<Int64>(buf, Value.AsCurrency().Value); break;
    case dtFMTBCD: Store<TBcd>(buf, StrToBcd(Value.AsString())); break;
    case dtSQLTimeStamp: Store<TSQLTimeStamp>(buf, Value.AsSQLTimeStamp()); break;
    default: CannotConvert();
    }
    SetNull(FieldNo, RecBuf, false);
}
