// Basic types shared by the whole class library. Text is UTF-16 (`UnicodeString`); 8-bit text
// (`AnsiString`) is in the system ANSI code page unless a routine says otherwise.
#pragma once

#include <cstdint>
#include <string>

using UnicodeString = std::wstring;
using AnsiString = std::string;
using RawByteString = std::string;

using Byte = std::uint8_t;
using Word = std::uint16_t;
using Cardinal = std::uint32_t;
using LongWord = std::uint32_t;
using Integer = std::int32_t;
using Int64 = std::int64_t;
using UInt64 = std::uint64_t;
using NativeInt = std::intptr_t;
using NativeUInt = std::uintptr_t;
