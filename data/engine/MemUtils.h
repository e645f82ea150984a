// Small routines shared by the data engine and the data-access framework: time-stamp checks,
// byte moves, object handles kept in record buffers, fixed and counted text helpers, locale
// comparisons, quoting, and the two replaceable compression hooks with their zlib defaults
// (the compressed blobs write and read through them).
//
// The module-level state (IsWin9x and the hooks) is set by the module's start-up on the main
// thread; an application may replace or clear a hook before it uses the engine, not while
// another thread does.
#pragma once

#include "framework/DateTime.h"
#include "framework/ModuleInit.h"
#include "framework/Objects.h"
#include "framework/Variants.h"

// Compresses or expands SourceLen bytes at Source into the DestLen bytes at Dest; DestLen
// becomes the number of bytes produced. Answers zlib's code.
using TCompressProc = Integer (*)(void* Dest, Integer& DestLen, const void* Source,
                                  Integer SourceLen);

extern bool IsWin9x;
extern TCompressProc CompressorHook;
extern TCompressProc UncompressorHook;

// --- time stamps ---
// EConvertError "'%d.%d' is not a valid timestamp" for a negative time or a date below 1.
void CheckTimeStampValid(const TTimeStamp& Stamp);
double TimeStampToDateTimeChecked(const TTimeStamp& Stamp);

// --- variants ---
// In this order: an OLE string against text compares the texts exactly; Null equals only
// Null; the empty text equals only the empty text; two byte arrays compare byte for byte (a
// byte array equals no other kind); otherwise the class library's variant equality, with text
// that cannot convert to the other kind unequal.
bool VariantsEqual(const Variant& V1, const Variant& V2);
// Null gives the empty text.
UnicodeString VariantToString(const Variant& V);

// --- bytes and object handles ---
void MoveByteBlock(const void* Source, void* Dest, NativeInt Count); // overlap-safe
void MoveAnsiChars(const AnsiString& Source, void* Dest, NativeInt Count);
void MoveWideChars(const UnicodeString& Source, void* Dest, NativeInt Count); // Count in bytes
void FillByteRun(void* Dest, NativeInt Count, Byte Value);
// A reference kept in a record buffer is the object reference itself.
inline void* ObjectToHandle(TObject* Obj) { return Obj; }
inline TObject* PtrToObject(void* Handle) { return static_cast<TObject*>(Handle); }
bool ObjectIsClass(const TObject* Obj, TClass AClass);

// --- text helpers ---
void CopyWideStr(wchar_t* Dest, const wchar_t* Source);
// Up to MaxLen units, stopping at a NUL; always writes a NUL after them.
void CopyWideStrMax(wchar_t* Dest, const wchar_t* Source, Integer MaxLen);
Integer WideStrLength(const wchar_t* S);
// Blanks and NULs at the end become NULs; Len -1 is the NUL-terminated length.
void TrimTrailingBlanks(char* S, Integer Len);
void TrimTrailingBlanksW(wchar_t* S, Integer Len);
UnicodeString LocaleLowerCase(const UnicodeString& S);
UnicodeString LocaleUpperCase(const UnicodeString& S);
Integer LocaleCompareText(const UnicodeString& S1, const UnicodeString& S2);
bool LocaleSameText(const UnicodeString& S1, const UnicodeString& S2);
UnicodeString QuoteString(const UnicodeString& S, wchar_t Quote);
// The text up to the closing quote with doubled quotes undoubled; unquoted text as it is.
UnicodeString DequoteString(const UnicodeString& S, wchar_t Quote);

// --- locale comparisons: -1, 0 or 1 in the user's default locale with string sort ---
Integer WideCompareStrLocale(const UnicodeString& S1, const UnicodeString& S2);
Integer WideCompareTextLocale(const UnicodeString& S1, const UnicodeString& S2);
Integer WideCompareStrLocaleN(const UnicodeString& S1, const UnicodeString& S2, Integer Count);
Integer WideCompareTextLocaleN(const UnicodeString& S1, const UnicodeString& S2, Integer Count);
Integer AnsiCompareStrLocale(const AnsiString& S1, const AnsiString& S2);
Integer AnsiCompareTextLocale(const AnsiString& S1, const AnsiString& S2);
Integer AnsiCompareStrLocaleZ(const char* S1, const char* S2);
Integer AnsiCompareTextLocaleZ(const char* S1, const char* S2);

// --- compression ---
// Exception "Compressor function is not linked" / "Uncompressor function is not linked".
void CheckCompressorLinked();
Integer CompressBlock(void* Dest, Integer& DestLen, const void* Source, Integer SourceLen);
Integer UncompressBlock(void* Dest, Integer& DestLen, const void* Source, Integer SourceLen);
// One-shot zlib (RFC 1950) at the default level; EZCompressionError/EZDecompressionError
// "Error" for a zlib failure, EZLibError "ZLib error: target buffer may be too small" when the
// stream does not finish in the room given.
Integer DefaultCompressor(void* Dest, Integer& DestLen, const void* Source, Integer SourceLen);
Integer DefaultUncompressor(void* Dest, Integer& DestLen, const void* Source, Integer SourceLen);

TModuleEntry MemUtilsModule();
