// Byte and text helpers the data engine and the data-access framework use instead of the
// platform's own facilities:
//
//   BitConverter       numbers to little-endian bytes and back
//   Marshal            raw blocks, typed reads and writes at base + offset, string views
//   Encoding           8-bit (system ANSI code page) text, UTF-16 and byte arrays; the base
//                      class is the ANSI encoding itself
//   UnicodeEncoding    UTF-16LE
//   UTF8Encoding       UTF-8
//   CodePageEncoding   any Windows code page, through WideCharToMultiByte/MultiByteToWideChar
//   WideStringBuilder  a growable UTF-16 buffer (the lexer's long lexemes, the XML writer)
//
// Nothing here checks offsets, indexes or counts: they are the caller's, as for the memory
// routines these helpers stand in for. The three shared encodings and the code-page cache
// belong to the module (CLRClassesModule); the cache is the only state that changes after
// start-up and is locked, since any thread may ask for a new code page.
#pragma once

#include "framework/ModuleInit.h"
#include "framework/Objects.h"

#include <cstring>
#include <vector>

using TBytes = std::vector<Byte>;

class BitConverter {
public:
    static TBytes GetBytes(Word value) { return Raw(&value, sizeof value); }
    static TBytes GetBytes(Cardinal value) { return Raw(&value, sizeof value); }
    static TBytes GetBytes(Int64 value) { return Raw(&value, sizeof value); }
    static TBytes GetBytes(double value) { return Raw(&value, sizeof value); }
    static TBytes GetBytes(float value) { return Raw(&value, sizeof value); }

    static double Int64BitsToDouble(Int64 value) { return As<double>(&value, 0); }
    static Int64 DoubleToInt64Bits(double value) { return As<Int64>(&value, 0); }

    static double ToDouble(const TBytes& value, Integer startIndex) {
        return As<double>(value.data(), startIndex);
    }
    static double ToDouble(const Byte* value, Integer startIndex) {
        return As<double>(value, startIndex);
    }
    static Int64 ToInt64(const TBytes& value, Integer startIndex) {
        return As<Int64>(value.data(), startIndex);
    }
    static Int64 ToInt64(const Byte* value, Integer startIndex) {
        return As<Int64>(value, startIndex);
    }
    static Integer ToInt32(const TBytes& value, Integer startIndex) {
        return As<Integer>(value.data(), startIndex);
    }
    static Integer ToInt32(const Byte* value, Integer startIndex) {
        return As<Integer>(value, startIndex);
    }
    static Word ToUInt16(const TBytes& value, Integer startIndex) {
        return As<Word>(value.data(), startIndex);
    }
    static Word ToUInt16(const Byte* value, Integer startIndex) {
        return As<Word>(value, startIndex);
    }
    static float ToSingle(const TBytes& value, Integer startIndex) {
        return As<float>(value.data(), startIndex);
    }
    static std::int16_t ToInt16(const TBytes& value, Integer startIndex) {
        return As<std::int16_t>(value.data(), startIndex);
    }
    static Cardinal ToUInt32(const TBytes& value, Integer startIndex) {
        return As<Cardinal>(value.data(), startIndex);
    }

private:
    static TBytes Raw(const void* p, std::size_t n) {
        const Byte* b = static_cast<const Byte*>(p);
        return TBytes(b, b + n);
    }
    template <class T> static T As(const void* base, Integer offset) {
        T result;
        std::memcpy(&result, static_cast<const Byte*>(base) + offset, sizeof result);
        return result;
    }
};

// A reference-counted object handed out as an interface pointer; the shared objects of the
// record storage (blobs, variant holders) implement it.
class IRefCounted {
public:
    virtual Integer AddRef() = 0;
    virtual Integer Release() = 0;

protected:
    ~IRefCounted() = default;
};

class Marshal {
public:
    static void* AllocHGlobal(NativeInt cb);
    static void* ReallocHGlobal(void* pv, NativeInt cb);
    static void FreeHGlobal(void* hglobal);
    static void FreeCoTaskMem(void*) {}

    static Byte ReadByte(const void* ptr, Integer ofs = 0) { return Read<Byte>(ptr, ofs); }
    static std::int16_t ReadInt16(const void* ptr, Integer ofs = 0) {
        return Read<std::int16_t>(ptr, ofs);
    }
    static Integer ReadInt32(const void* ptr, Integer ofs = 0) { return Read<Integer>(ptr, ofs); }
    static Int64 ReadInt64(const void* ptr, Integer ofs = 0) { return Read<Int64>(ptr, ofs); }
    static void* ReadIntPtr(const void* ptr, Integer ofs = 0) { return Read<void*>(ptr, ofs); }

    static void WriteByte(void* ptr, Byte val) { Write(ptr, 0, val); }
    static void WriteByte(void* ptr, Integer ofs, Byte val) { Write(ptr, ofs, val); }
    static void WriteInt16(void* ptr, std::int16_t val) { Write(ptr, 0, val); }
    static void WriteInt16(void* ptr, Integer ofs, std::int16_t val) { Write(ptr, ofs, val); }
    static void WriteInt32(void* ptr, Integer val) { Write(ptr, 0, val); }
    static void WriteInt32(void* ptr, Integer ofs, Integer val) { Write(ptr, ofs, val); }
    static void WriteIntPtr(void* ptr, void* val) { Write(ptr, 0, val); }
    static void WriteIntPtr(void* ptr, Integer ofs, void* val) { Write(ptr, ofs, val); }
    static void WriteInt64(void* ptr, Int64 val) { Write(ptr, 0, val); }
    static void WriteInt64(void* ptr, double val) { Write(ptr, 0, val); }
    static void WriteInt64(void* ptr, Integer ofs, Int64 val) { Write(ptr, ofs, val); }

    // len <= 0: up to the first NUL; otherwise exactly len units, NULs included.
    static AnsiString PtrToStringAnsi(const void* ptr, Integer len = 0);
    static UnicodeString PtrToStringUni(const void* ptr, Integer len = 0);
    // An owned, NUL-terminated copy of the text that the caller frees with FreeHGlobal: a view
    // of the string itself would dangle as soon as a temporary string dies.
    static char* StringToHGlobalAnsi(const AnsiString& s);
    static wchar_t* StringToHGlobalUni(const UnicodeString& s);

    static void Copy(const TBytes& source, Integer startIndex, void* destination, Integer length);
    static void Copy(const void* source, TBytes& destination, Integer startIndex, Integer length);

    // The object's interface with its count raised by one; nil for nil.
    static IRefCounted* GetIUnknownForObject(IRefCounted* o);
    static Integer AddRef(IRefCounted* pUnk) { return pUnk->AddRef(); }
    static Integer Release(IRefCounted* pUnk) { return pUnk->Release(); }

private:
    template <class T> static T Read(const void* base, Integer offset) {
        T result;
        std::memcpy(&result, static_cast<const Byte*>(base) + offset, sizeof result);
        return result;
    }
    template <class T> static void Write(void* base, Integer offset, T value) {
        std::memcpy(static_cast<Byte*>(base) + offset, &value, sizeof value);
    }
};

// The ANSI encoding (system code page) and the base of the others. Every ranged operation
// takes zero-based indexes and writes into an existing array.
class Encoding : public TObject {
    CLASS_INFO(Encoding, TObject)
public:
    virtual TBytes GetBytes(const AnsiString& chars);
    virtual Integer GetBytes(const AnsiString& chars, Integer charIndex, Integer charCount,
                             TBytes& bytes, Integer byteIndex);
    virtual TBytes GetBytes(const UnicodeString& chars);
    virtual Integer GetBytes(const UnicodeString& chars, Integer charIndex, Integer charCount,
                             TBytes& bytes, Integer byteIndex);
    AnsiString GetString(const TBytes& bytes) { return GetString(bytes, 0, Integer(bytes.size())); }
    virtual AnsiString GetString(const TBytes& bytes, Integer index, Integer count);
    UnicodeString GetWideString(const TBytes& bytes) {
        return GetWideString(bytes, 0, Integer(bytes.size()));
    }
    virtual UnicodeString GetWideString(const TBytes& bytes, Integer index, Integer count);
    virtual Integer GetMaxByteCount(Integer charCount) { return charCount; }

    static Encoding* Default();
    static Encoding* Unicode();
    static Encoding* UTF8();
    // 1200, 65001 and the system code page give the shared objects; any other code page a
    // cached CodePageEncoding, created on first request.
    static Encoding* GetEncoding(Integer codepage);
    static TBytes Convert(Encoding* srcEncoding, Encoding* dstEncoding, const TBytes& bytes);
    static TBytes Convert(Encoding* srcEncoding, Encoding* dstEncoding, const TBytes& bytes,
                          Integer index, Integer count);
};

class UnicodeEncoding : public Encoding {
    CLASS_INFO(UnicodeEncoding, Encoding)
public:
    using Encoding::GetString;
    using Encoding::GetWideString;
    TBytes GetBytes(const AnsiString& chars) override;
    Integer GetBytes(const AnsiString& chars, Integer charIndex, Integer charCount, TBytes& bytes,
                     Integer byteIndex) override;
    TBytes GetBytes(const UnicodeString& chars) override;
    Integer GetBytes(const UnicodeString& chars, Integer charIndex, Integer charCount,
                     TBytes& bytes, Integer byteIndex) override;
    AnsiString GetString(const TBytes& bytes, Integer index, Integer count) override;
    UnicodeString GetWideString(const TBytes& bytes, Integer index, Integer count) override;
    Integer GetMaxByteCount(Integer charCount) override { return 2 * charCount; }
};

class UTF8Encoding : public Encoding {
    CLASS_INFO(UTF8Encoding, Encoding)
public:
    using Encoding::GetString;
    using Encoding::GetWideString;
    TBytes GetBytes(const AnsiString& chars) override;
    // The two ranged overloads are not provided: they raise "not implemented".
    Integer GetBytes(const AnsiString& chars, Integer charIndex, Integer charCount, TBytes& bytes,
                     Integer byteIndex) override;
    TBytes GetBytes(const UnicodeString& chars) override;
    Integer GetBytes(const UnicodeString& chars, Integer charIndex, Integer charCount,
                     TBytes& bytes, Integer byteIndex) override;
    AnsiString GetString(const TBytes& bytes, Integer index, Integer count) override;
    // Malformed sequences decode to U+FFFD, as the platform decoder does.
    UnicodeString GetWideString(const TBytes& bytes, Integer index, Integer count) override;
    Integer GetMaxByteCount(Integer charCount) override { return 3 * charCount; }
};

class CodePageEncoding : public Encoding {
    CLASS_INFO(CodePageEncoding, Encoding)
public:
    explicit CodePageEncoding(Integer codePage) : FCodePage(codePage) {}
    using Encoding::GetString;
    using Encoding::GetWideString;
    TBytes GetBytes(const AnsiString& chars) override;
    Integer GetBytes(const AnsiString& chars, Integer charIndex, Integer charCount, TBytes& bytes,
                     Integer byteIndex) override;
    TBytes GetBytes(const UnicodeString& chars) override;
    Integer GetBytes(const UnicodeString& chars, Integer charIndex, Integer charCount,
                     TBytes& bytes, Integer byteIndex) override;
    AnsiString GetString(const TBytes& bytes, Integer index, Integer count) override;
    UnicodeString GetWideString(const TBytes& bytes, Integer index, Integer count) override;
    Integer GetMaxByteCount(Integer charCount) override {
        return FCodePage == 1201 ? 2 * charCount : charCount;
    }
    Integer CodePage() const { return FCodePage; }

private:
    Integer FCodePage;
};

class WideStringBuilder {
public:
    explicit WideStringBuilder(Integer capacity);
    WideStringBuilder(const UnicodeString& value, Integer capacity);

    void Append(const UnicodeString& value) { Append(value.data(), Integer(value.size())); }
    void Append(const UnicodeString& value, Integer startIndex, Integer count) {
        Append(value.data() + startIndex, count);
    }
    void Append(wchar_t value);
    void Append(wchar_t value, Integer repeatCount);
    // nil or an empty builder adds nothing.
    void Append(const WideStringBuilder* value);
    void Insert(Integer index, const UnicodeString& value);
    // Every occurrence of OldValue, left to right, case-sensitive; the replacement text is not
    // searched again. An empty OldValue matches nothing.
    void Replace(const UnicodeString& OldValue, const UnicodeString& NewValue);
    UnicodeString ToString() const { return UnicodeString(FString.data(), FActualLength); }

    Integer Length() const { return FActualLength; }
    void SetLength(Integer Value);
    Integer Capacity() const { return Integer(FString.size()); }

private:
    void Append(const wchar_t* units, Integer count);
    // Room for n more units by the adding rule.
    void Reserve(Integer n);

    std::vector<wchar_t> FString;
    Integer FActualLength = 0;
};

// The module's start-up creates the shared encodings; its shutdown frees them and the cache.
TModuleEntry CLRClassesModule();
