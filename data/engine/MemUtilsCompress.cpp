// The compression hooks and their zlib defaults: one-shot deflate and inflate of a whole block
// into a buffer of known room. The zlib stream is always ended, also after a failed call.
#include "data/engine/MemUtils.h"

#include "support/ZLibStream/ZLibStream.h"

#include <zlib.h>

#include <windows.h>

bool IsWin9x = false;
TCompressProc CompressorHook = nullptr;
TCompressProc UncompressorHook = nullptr;

namespace {
const wchar_t* const NotLinkedCompressor = L"Compressor function is not linked";
const wchar_t* const NotLinkedUncompressor = L"Uncompressor function is not linked";
const wchar_t* const TooSmall = L"ZLib error: target buffer may be too small";

z_stream StreamOver(void* Dest, Integer DestLen, const void* Source, Integer SourceLen) {
    z_stream stream{};
    stream.next_in = static_cast<Bytef*>(const_cast<void*>(Source));
    stream.avail_in = uInt(SourceLen);
    stream.next_out = static_cast<Bytef*>(Dest);
    stream.avail_out = uInt(DestLen);
    return stream;
}
} // namespace

void CheckCompressorLinked() {
    if (!CompressorHook) throw Exception(NotLinkedCompressor);
    if (!UncompressorHook) throw Exception(NotLinkedUncompressor);
}

Integer CompressBlock(void* Dest, Integer& DestLen, const void* Source, Integer SourceLen) {
    Check(CompressorHook != nullptr, NotLinkedCompressor);
    return CompressorHook(Dest, DestLen, Source, SourceLen);
}

Integer UncompressBlock(void* Dest, Integer& DestLen, const void* Source, Integer SourceLen) {
    Check(UncompressorHook != nullptr, NotLinkedUncompressor);
    return UncompressorHook(Dest, DestLen, Source, SourceLen);
}

Integer DefaultCompressor(void* Dest, Integer& DestLen, const void* Source, Integer SourceLen) {
    z_stream stream = StreamOver(Dest, DestLen, Source, SourceLen);
    if (deflateInit(&stream, Z_DEFAULT_COMPRESSION) < 0) throw EZCompressionError(L"Error");
    const int result = deflate(&stream, Z_FINISH);
    const int end = deflateEnd(&stream);
    if (result < 0) throw EZCompressionError(L"Error");
    if (result != Z_STREAM_END) throw EZLibError(UnicodeString(TooSmall));
    if (end < 0) throw EZCompressionError(L"Error");
    DestLen = Integer(stream.total_out);
    return result;
}

Integer DefaultUncompressor(void* Dest, Integer& DestLen, const void* Source, Integer SourceLen) {
    z_stream stream = StreamOver(Dest, DestLen, Source, SourceLen);
    if (inflateInit(&stream) < 0) throw EZDecompressionError(L"Error");
    const int result = inflate(&stream, Z_FINISH);
    const int end = inflateEnd(&stream);
    if (result < 0) throw EZDecompressionError(L"Error");
    if (result != Z_STREAM_END) throw EZLibError(UnicodeString(TooSmall));
    if (end < 0) throw EZDecompressionError(L"Error");
    DestLen = Integer(stream.total_out);
    return result;
}

TModuleEntry MemUtilsModule() {
    return {L"MemUtils", {}, [] {
                OSVERSIONINFOW version{};
                version.dwOSVersionInfoSize = sizeof version;
                if (!GetVersionExW(&version)) RaiseLastOSError(L"GetVersionExW");
                IsWin9x = version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
                CompressorHook = DefaultCompressor;
                UncompressorHook = DefaultUncompressor;
            }};
}
