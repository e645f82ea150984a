// Conversions between the text encodings the system meets: UTF-16 strings inside, the system
// ANSI code page (ACP) for 8-bit text and server replies, UTF-8, and byte-order marks when
// reading text files and streams.
#pragma once

#include "framework/System.h"

#include <cstddef>

// Code pages, named as the system names them, so that callers need not include windows.h.
inline constexpr unsigned CodePageAnsi = 0;     // CP_ACP
inline constexpr unsigned CodePageUtf8 = 65001; // CP_UTF8
inline constexpr unsigned CodePageGbk = 936;

UnicodeString AnsiToUnicode(const AnsiString& text, unsigned codePage = CodePageAnsi);
AnsiString UnicodeToAnsi(const UnicodeString& text, unsigned codePage = CodePageAnsi);
UnicodeString Utf8ToUnicode(const std::string& text);
std::string UnicodeToUtf8(const UnicodeString& text);
// The code page the system uses for 8-bit text (GetACP).
unsigned SystemCodePage();

enum class TTextEncoding { Ansi, Utf8, Utf16LE, Utf16BE };

// The encoding a byte-order mark at the start of `data` announces (Ansi when there is none) and
// the mark's length in bytes.
TTextEncoding DetectByteOrderMark(const void* data, std::size_t size, std::size_t& markLength);
// The byte-order mark written before text in `encoding` (empty for Ansi).
std::string ByteOrderMark(TTextEncoding encoding);
// Decodes bytes that carry no mark in the given encoding.
UnicodeString DecodeText(const void* data, std::size_t size, TTextEncoding encoding);
// Decodes bytes after a byte-order mark, or as ACP text when there is none.
UnicodeString DecodeTextWithMark(const void* data, std::size_t size);
std::string EncodeText(const UnicodeString& text, TTextEncoding encoding);

// Each byte becomes the character of the same code (0-255) and back: how binary data rides in
// a UnicodeString without a code page. Characters above 255 keep only their low byte.
UnicodeString BytesToChars(const std::string& bytes);
std::string CharsToBytes(const UnicodeString& text);
