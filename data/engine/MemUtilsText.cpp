// Time stamps, byte moves and text helpers of the memory utilities.
#include "data/engine/MemUtils.h"

#include "framework/Conversions.h"
#include "framework/Format.h"

#include <cstring>
#include <cwchar>

void CheckTimeStampValid(const TTimeStamp& Stamp) {
    if (Stamp.Time < 0 || Stamp.Date <= 0)
        throw EConvertError(Format(L"'%d.%d' is not a valid timestamp", {Stamp.Date, Stamp.Time}));
}

double TimeStampToDateTimeChecked(const TTimeStamp& Stamp) {
    CheckTimeStampValid(Stamp);
    const double days = double(Stamp.Date - DateDelta);
    const double fraction = double(Stamp.Time) / 86400000.0;
    return days >= 0 ? days + fraction : days - fraction;
}

void MoveByteBlock(const void* Source, void* Dest, NativeInt Count) {
    if (Count > 0) std::memmove(Dest, Source, std::size_t(Count));
}

void MoveAnsiChars(const AnsiString& Source, void* Dest, NativeInt Count) {
    MoveByteBlock(Source.data(), Dest, Count);
}

void MoveWideChars(const UnicodeString& Source, void* Dest, NativeInt Count) {
    MoveByteBlock(Source.data(), Dest, Count);
}

void FillByteRun(void* Dest, NativeInt Count, Byte Value) {
    if (Count > 0) std::memset(Dest, Value, std::size_t(Count));
}

bool ObjectIsClass(const TObject* Obj, TClass AClass) { return Obj && Obj->InheritsFrom(AClass); }

void CopyWideStr(wchar_t* Dest, const wchar_t* Source) { std::wcscpy(Dest, Source); }

void CopyWideStrMax(wchar_t* Dest, const wchar_t* Source, Integer MaxLen) {
    Integer n = 0;
    for (; n < MaxLen && Source[n]; ++n) Dest[n] = Source[n];
    Dest[n] = L'\0';
}

Integer WideStrLength(const wchar_t* S) { return Integer(std::wcslen(S)); }

void TrimTrailingBlanks(char* S, Integer Len) {
    for (Integer i = (Len == -1 ? Integer(std::strlen(S)) : Len) - 1;
         i >= 0 && (S[i] == ' ' || S[i] == '\0'); --i)
        S[i] = '\0';
}

void TrimTrailingBlanksW(wchar_t* S, Integer Len) {
    for (Integer i = (Len == -1 ? Integer(std::wcslen(S)) : Len) - 1;
         i >= 0 && (S[i] == L' ' || S[i] == L'\0'); --i)
        S[i] = L'\0';
}

UnicodeString LocaleLowerCase(const UnicodeString& S) { return AnsiLowerCase(S); }
UnicodeString LocaleUpperCase(const UnicodeString& S) { return AnsiUpperCase(S); }

Integer LocaleCompareText(const UnicodeString& S1, const UnicodeString& S2) {
    const int order = AnsiCompareText(S1, S2);
    return order < 0 ? -1 : order > 0 ? 1 : 0;
}

bool LocaleSameText(const UnicodeString& S1, const UnicodeString& S2) {
    return LocaleCompareText(S1, S2) == 0;
}

UnicodeString QuoteString(const UnicodeString& S, wchar_t Quote) {
    UnicodeString quoted(1, Quote);
    for (wchar_t c : S) {
        quoted += c;
        if (c == Quote) quoted += c;
    }
    return quoted + Quote;
}

UnicodeString DequoteString(const UnicodeString& S, wchar_t Quote) {
    if (S.empty() || S[0] != Quote) return S;
    UnicodeString text;
    for (std::size_t i = 1; i < S.size(); ++i) {
        if (S[i] != Quote) {
            text += S[i];
        } else if (i + 1 < S.size() && S[i + 1] == Quote) {
            text += Quote;
            ++i;
        } else {
            break; // the closing quote
        }
    }
    return text;
}
