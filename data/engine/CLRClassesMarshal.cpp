// Marshal: raw blocks from the process heap and string views over raw memory. The string
// conversions hand out owned copies rather than views of the caller's string.
#include "data/engine/CLRClasses.h"

#include <cstdlib>
#include <new>

void* Marshal::AllocHGlobal(NativeInt cb) {
    void* p = std::malloc(cb > 0 ? std::size_t(cb) : 1);
    if (!p) throw std::bad_alloc();
    return p;
}

void* Marshal::ReallocHGlobal(void* pv, NativeInt cb) {
    void* p = std::realloc(pv, cb > 0 ? std::size_t(cb) : 1);
    if (!p) throw std::bad_alloc();
    return p;
}

void Marshal::FreeHGlobal(void* hglobal) { std::free(hglobal); }

AnsiString Marshal::PtrToStringAnsi(const void* ptr, Integer len) {
    const char* text = static_cast<const char*>(ptr);
    return len > 0 ? AnsiString(text, len) : AnsiString(text);
}

UnicodeString Marshal::PtrToStringUni(const void* ptr, Integer len) {
    const wchar_t* text = static_cast<const wchar_t*>(ptr);
    return len > 0 ? UnicodeString(text, len) : UnicodeString(text);
}

char* Marshal::StringToHGlobalAnsi(const AnsiString& s) {
    char* copy = static_cast<char*>(AllocHGlobal(NativeInt(s.size() + 1)));
    std::memcpy(copy, s.c_str(), s.size() + 1);
    return copy;
}

wchar_t* Marshal::StringToHGlobalUni(const UnicodeString& s) {
    const std::size_t bytes = (s.size() + 1) * sizeof(wchar_t);
    wchar_t* copy = static_cast<wchar_t*>(AllocHGlobal(NativeInt(bytes)));
    std::memcpy(copy, s.c_str(), bytes);
    return copy;
}

void Marshal::Copy(const TBytes& source, Integer startIndex, void* destination, Integer length) {
    if (length > 0) std::memcpy(destination, source.data() + startIndex, length);
}

void Marshal::Copy(const void* source, TBytes& destination, Integer startIndex, Integer length) {
    if (length > 0) std::memcpy(destination.data() + startIndex, source, length);
}

IRefCounted* Marshal::GetIUnknownForObject(IRefCounted* o) {
    if (o) o->AddRef();
    return o;
}
