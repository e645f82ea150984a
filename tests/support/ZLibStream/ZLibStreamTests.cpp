#include "support/ZLibStream/ZLibStream.h"

#include <gtest/gtest.h>

#include <zlib.h>

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <string>
#include <utility>
#include <vector>

// The compressed input is made at test time by the same installed zlib (compress2, deflate),
// the dependency the stream is written against, not by the code under test.

namespace {

constexpr std::size_t BlockSize = 131072; // how much the stream reads from its source at once

const Bytef* BytesOf(const std::string& text) {
    return reinterpret_cast<const Bytef*>(text.data());
}

std::string Compress(const std::string& data, int level = Z_DEFAULT_COMPRESSION) {
    uLongf size = compressBound(static_cast<uLong>(data.size()));
    std::string packed(size, '\0');
    EXPECT_EQ(compress2(reinterpret_cast<Bytef*>(packed.data()), &size, BytesOf(data),
                        static_cast<uLong>(data.size()), level),
              Z_OK);
    packed.resize(size);
    return packed;
}

// deflate with a chosen framing (window bits as zlib defines them) and optional dictionary.
std::string Deflate(const std::string& data, int windowBits, const std::string& dictionary = {}) {
    z_stream stream{};
    EXPECT_EQ(
        deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, windowBits, 8, Z_DEFAULT_STRATEGY),
        Z_OK);
    if (!dictionary.empty())
        deflateSetDictionary(&stream, BytesOf(dictionary), static_cast<uInt>(dictionary.size()));
    std::string packed(deflateBound(&stream, static_cast<uLong>(data.size())), '\0');
    stream.next_in = const_cast<Bytef*>(BytesOf(data));
    stream.avail_in = static_cast<uInt>(data.size());
    stream.next_out = reinterpret_cast<Bytef*>(packed.data());
    stream.avail_out = static_cast<uInt>(packed.size());
    EXPECT_EQ(deflate(&stream, Z_FINISH), Z_STREAM_END);
    packed.resize(stream.total_out);
    deflateEnd(&stream);
    return packed;
}

// Text-like bytes that compress well.
std::string Compressible(std::size_t size) {
    std::string text;
    for (std::size_t i = 0; text.size() < size; ++i)
        text += "line " + std::to_string(i % 97) + "\n";
    text.resize(size);
    return text;
}

// Bytes that do not compress, so their compressed size follows their size.
std::string Incompressible(std::size_t size, std::uint32_t seed = 1) {
    std::string bytes(size, '\0');
    for (char& byte : bytes) {
        seed = seed * 1664525u + 1013904223u;
        byte = static_cast<char>(seed >> 24);
    }
    return bytes;
}

// Data whose stored (level 0) zlib form is exactly `packedSize` bytes long.
std::string StoredDataPackingTo(std::size_t packedSize) {
    for (std::size_t size = packedSize - 6; size > packedSize - 64; --size) {
        std::string data = Incompressible(size, 7);
        if (Compress(data, Z_NO_COMPRESSION).size() == packedSize) return data;
    }
    ADD_FAILURE() << "no data packs to " << packedSize << " bytes";
    return {};
}

// A memory source holding `bytes`, standing at `position`.
void Fill(TMemoryStream& source, const std::string& bytes, Int64 position = 0) {
    source.WriteBuffer(bytes.data(), static_cast<NativeInt>(bytes.size()));
    source.SetPosition(position);
}

// Reads in pieces of `piece` bytes until the stream answers 0.
std::string ReadAll(TStream& stream, NativeInt piece = 65536) {
    std::string result, buffer(static_cast<std::size_t>(piece), '\0');
    while (const NativeInt got = stream.Read(buffer.data(), piece)) result.append(buffer, 0, got);
    return result;
}

std::string ReadExactly(TStream& stream, std::size_t count) {
    std::string result(count, '\0');
    stream.ReadBuffer(result.data(), static_cast<NativeInt>(count));
    return result;
}

// Copies exactly `count` bytes through the stream, as a reader of archive entries does.
std::string CopyExactly(TStream& stream, std::size_t count) {
    TMemoryStream target;
    target.CopyFrom(&stream, static_cast<Int64>(count));
    return std::string(static_cast<const char*>(target.Memory()), count);
}

void ExpectZError(const std::function<void()>& action, Integer code, const UnicodeString& message) {
    try {
        action();
        ADD_FAILURE() << "no EZDecompressionError";
    } catch (const EZDecompressionError& error) {
        EXPECT_EQ(error.ErrorCode(), code);
        EXPECT_EQ(error.Message(), message);
    }
}

} // namespace

TEST(ZLibStream, DecodesWhatZlibCompressed) {
    struct Case {
        const char* Name;
        std::string Data;
        int Level;
    };
    const Case cases[] = {
        {"empty", "", Z_DEFAULT_COMPRESSION},
        {"one byte", "x", Z_DEFAULT_COMPRESSION},
        {"text", Compressible(100000), Z_BEST_COMPRESSION},
        {"stored", Compressible(5000), Z_NO_COMPRESSION},
        {"several source blocks", Incompressible(3 * BlockSize + 17), Z_DEFAULT_COMPRESSION},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TMemoryStream source;
        Fill(source, Compress(c.Data, c.Level));
        TZDecompressionStream stream(&source);
        std::string buffer(c.Data.size() + 100, '\0');
        const NativeInt got = stream.Read(buffer.data(), static_cast<NativeInt>(buffer.size()));
        EXPECT_EQ(got, static_cast<NativeInt>(c.Data.size()));
        EXPECT_EQ(buffer.substr(0, c.Data.size()), c.Data);
        EXPECT_EQ(stream.Read(buffer.data(), 10), 0);
        EXPECT_EQ(stream.Position(), static_cast<Int64>(c.Data.size()));
    }
}

TEST(ZLibStream, ReadsInOddPieces) {
    const std::string data = Incompressible(2 * BlockSize + 5) + Compressible(70001);
    TMemoryStream source;
    Fill(source, Compress(data));
    for (const NativeInt piece : {NativeInt{1}, NativeInt{7}, NativeInt{4093}, NativeInt{65537}}) {
        SCOPED_TRACE(piece);
        source.SetPosition(0);
        TZDecompressionStream stream(&source);
        EXPECT_EQ(ReadAll(stream, piece), data);
    }
}

// The caller's count bounds what is written, however much more the data holds: the room given
// to zlib is the count, never more (in the 32-bit build a clamp that turned negative once told
// zlib of 4 GiB of room). The buffer is large enough for all the data, so that a fault shows as
// changed guard bytes rather than a broken heap.
TEST(ZLibStream, AReadWritesNoMoreThanItsCount) {
    const std::string data = Compressible(BlockSize + 3000);
    for (const NativeInt count :
         {NativeInt{1}, NativeInt{4093}, NativeInt{BlockSize}, NativeInt{BlockSize + 1}}) {
        SCOPED_TRACE(count);
        TMemoryStream source;
        Fill(source, Compress(data));
        TZDecompressionStream stream(&source);
        std::string buffer(data.size(), '#');
        EXPECT_EQ(stream.Read(buffer.data(), count), count);
        const auto end = static_cast<std::size_t>(count);
        EXPECT_EQ(buffer.substr(0, end), data.substr(0, end));
        EXPECT_EQ(buffer.find_first_not_of('#', end), std::string::npos);
        EXPECT_EQ(stream.Position(), static_cast<Int64>(count));
    }
}

TEST(ZLibStream, LeavesTheSourceRightAfterEachStream) {
    struct Case {
        const char* Name;
        std::string First;
        std::string Second;
    };
    const Case cases[] = {
        {"small entries", Compressible(1000), "abc"},
        {"first spans source blocks", Incompressible(BlockSize + 4000), Compressible(300000)},
        // The checksum of the first entry straddles the end of the first block read from the
        // source: 1 to 4 of its bytes come only with the next block.
        {"checksum split 1", StoredDataPackingTo(BlockSize + 1), "after"},
        {"checksum split 2", StoredDataPackingTo(BlockSize + 2), "after"},
        {"checksum split 3", StoredDataPackingTo(BlockSize + 3), "after"},
        {"checksum split 4", StoredDataPackingTo(BlockSize + 4), "after"},
    };
    const std::string tail = "TAIL";
    for (const Case& c : cases) {
        for (const bool exactCopy : {true, false}) {
            SCOPED_TRACE(std::string(c.Name) + (exactCopy ? ", exact copy" : ", read to the end"));
            const int level = std::string(c.Name).starts_with("checksum") ? Z_NO_COMPRESSION
                                                                          : Z_DEFAULT_COMPRESSION;
            const std::string first = Compress(c.First, level), second = Compress(c.Second);
            TMemoryStream source;
            Fill(source, first + second + tail);

            {
                TZDecompressionStream stream(&source);
                EXPECT_EQ(exactCopy ? CopyExactly(stream, c.First.size()) : ReadAll(stream),
                          c.First);
                EXPECT_EQ(source.Position(), static_cast<Int64>(first.size()));
            }
            EXPECT_EQ(source.Position(), static_cast<Int64>(first.size())) << "freeing moved it";

            TZDecompressionStream next(&source);
            EXPECT_EQ(exactCopy ? CopyExactly(next, c.Second.size()) : ReadAll(next), c.Second);
            EXPECT_EQ(source.Position(), static_cast<Int64>(first.size() + second.size()));
            EXPECT_EQ(ReadExactly(source, tail.size()), tail);
            char byte;
            EXPECT_EQ(next.Read(&byte, 1), 0);
            EXPECT_EQ(source.Position(), source.Size()) << "a read after the end moved the source";
        }
    }
}

TEST(ZLibStream, RewindGoesBackToTheDataNotToTheSourceStart) {
    const std::string prefix = "archive header and an earlier entry";
    const std::string data = Incompressible(BlockSize + 999) + Compressible(5000);
    TMemoryStream source;
    Fill(source, prefix + Compress(data), static_cast<Int64>(prefix.size()));
    TZDecompressionStream stream(&source);

    EXPECT_EQ(ReadExactly(stream, 100), data.substr(0, 100));
    EXPECT_EQ(stream.Seek(0, soBeginning), 0);
    EXPECT_EQ(source.Position(), static_cast<Int64>(prefix.size()));
    EXPECT_EQ(ReadAll(stream), data);

    EXPECT_EQ(stream.Seek(0, soBeginning), 0); // also after the end
    EXPECT_EQ(ReadExactly(stream, 10), data.substr(0, 10));
}

TEST(ZLibStream, SeeksForwardByReadingAndNeverBack) {
    enum Outcome { Moves, InvalidOperation, ReadError };
    struct Case {
        Int64 Offset;
        TSeekOrigin Origin;
        Outcome Expected;
        Int64 Position; // where the stream stands afterwards
    };
    const std::string data = Compressible(50000);
    const Int64 size = static_cast<Int64>(data.size());
    // Every case starts after 100 bytes were read.
    const Case cases[] = {
        {0, soCurrent, Moves, 100},
        {50, soCurrent, Moves, 150},
        {40000, soCurrent, Moves, 40100},
        {300, soBeginning, Moves, 300},
        {0, soBeginning, Moves, 0},
        {0, soEnd, Moves, size},
        {100, soBeginning, InvalidOperation, 100}, // the current position, named from the start
        {50, soBeginning, InvalidOperation, 100},
        {-1, soCurrent, InvalidOperation, 100},
        {-10, soEnd, InvalidOperation, 100},
        {10, soEnd, InvalidOperation, 100},
        {size, soCurrent, ReadError, size},
    };
    TMemoryStream source;
    Fill(source, Compress(data));
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.Offset) + " from origin " + std::to_string(c.Origin));
        source.SetPosition(0);
        TZDecompressionStream stream(&source);
        ReadExactly(stream, 100);
        switch (c.Expected) {
        case Moves: EXPECT_EQ(stream.Seek(c.Offset, c.Origin), c.Position); break;
        case InvalidOperation:
            ExpectZError([&] { stream.Seek(c.Offset, c.Origin); }, 0,
                         L"Invalid ZStream operation!");
            break;
        case ReadError: EXPECT_THROW(stream.Seek(c.Offset, c.Origin), EReadError); break;
        }
        EXPECT_EQ(stream.Position(), c.Position);
        EXPECT_EQ(ReadAll(stream), data.substr(static_cast<std::size_t>(c.Position)));
    }
}

TEST(ZLibStream, SourceMovedByOthersIsPutBackBeforeReading) {
    const std::string data = Incompressible(2 * BlockSize);
    TMemoryStream source;
    Fill(source, Compress(data));
    TZDecompressionStream stream(&source);
    std::string read = ReadExactly(stream, BlockSize - 10);
    source.SetPosition(3);
    read += ReadExactly(stream, 20); // crosses into the next block of the source
    source.SetPosition(source.Size());
    read += ReadAll(stream);
    EXPECT_EQ(read, data);
}

TEST(ZLibStream, ProgressFiresAfterEachRefill) {
    struct TProgressLog {
        TStream* Source;
        std::vector<Int64> Positions;
        void Progress(TObject*) { Positions.push_back(Source->Position()); }
    };
    const std::string packed = Compress(Incompressible(2 * BlockSize + 100));
    TMemoryStream source;
    Fill(source, packed);
    TProgressLog log{&source, {}};
    TZDecompressionStream stream(&source);
    stream.OnProgress = TNotifyEvent(&log, &TProgressLog::Progress);
    ReadAll(stream);
    const std::vector<Int64> expected{BlockSize, 2 * BlockSize, static_cast<Int64>(packed.size())};
    EXPECT_EQ(log.Positions, expected);
}

TEST(ZLibStream, BadInputRaisesZlibErrors) {
    struct Case {
        const char* Name;
        std::string Packed;
        Integer Code;
        const wchar_t* Message;
    };
    const std::string good = Compress(Compressible(20000));
    std::string badHeader = good, badData = good, badChecksum = good;
    badHeader[0] = '\x79';
    badData[good.size() / 2] ^= 0x55;
    badChecksum.back() ^= 1;
    const Case cases[] = {
        {"header", badHeader, Z_DATA_ERROR, L"data error"},
        {"data", badData, Z_DATA_ERROR, L"data error"},
        {"checksum", badChecksum, Z_DATA_ERROR, L"data error"},
        // Without this the stream would ask inflate for ever with the same input.
        {"preset dictionary", Deflate("words words words", 15, "words"), Z_NEED_DICT,
         L"need dictionary"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TMemoryStream source;
        Fill(source, c.Packed);
        TZDecompressionStream stream(&source);
        ExpectZError([&] { ReadAll(stream); }, c.Code, c.Message);
    }
}

TEST(ZLibStream, TruncatedSourceGivesShortReadsWithoutError) {
    const std::string data = Compressible(30000);
    const std::string packed = Compress(data);
    TMemoryStream source;
    Fill(source, packed.substr(0, packed.size() / 2));
    TZDecompressionStream stream(&source);
    const std::string read = ReadAll(stream);
    EXPECT_LT(read.size(), data.size());
    EXPECT_EQ(read, data.substr(0, read.size()));
    source.SetPosition(0);
    TZDecompressionStream again(&source);
    EXPECT_THROW(CopyExactly(again, data.size()), EReadError);
}

TEST(ZLibStream, WritesAndResizesAreRefused) {
    TMemoryStream source;
    Fill(source, Compress("abc"));
    TZDecompressionStream stream(&source);
    for (const NativeInt length : {NativeInt{0}, NativeInt{3}})
        ExpectZError([&] { stream.Write("xyz", length); }, 0, L"Invalid ZStream operation!");
    ExpectZError([&] { stream.SetSize(0); }, 0, L"Invalid ZStream operation!");
    EXPECT_EQ(ReadAll(stream), "abc");
}

TEST(ZLibStream, WindowBitsChooseTheFraming) {
    const std::string data = Compressible(10000);
    struct Case {
        const char* Name;
        int PackBits;
        Integer ReadBits;
    };
    const Case cases[] = {
        {"raw deflate", -15, -15},
        {"gzip", 16 + 15, 16 + 15},
        {"gzip detected", 16 + 15, 32 + 15},
        {"zlib detected", 15, 32 + 15},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TMemoryStream source;
        Fill(source, Deflate(data, c.PackBits) + "after");
        TZDecompressionStream stream(&source, c.ReadBits);
        EXPECT_EQ(ReadAll(stream), data);
        EXPECT_EQ(ReadExactly(source, 5), "after");
    }
    TMemoryStream source;
    ExpectZError([&] { TZDecompressionStream(&source, 7); }, Z_STREAM_ERROR, L"stream error");
}

TEST(ZLibStream, InitInflateStreamPreparesARecordForDirectInflate) {
    const std::string data = Compressible(5000);
    std::string packed = Compress(data);
    std::string output(data.size(), '\0');
    TZStreamRec record{};
    record.next_in = reinterpret_cast<Bytef*>(packed.data());
    record.avail_in = static_cast<uInt>(packed.size());
    ASSERT_EQ(InitInflateStream(record), Z_OK);
    EXPECT_NE(record.zalloc, nullptr); // the heap's allocators stand in for null ones
    EXPECT_NE(record.zfree, nullptr);
    record.next_out = reinterpret_cast<Bytef*>(output.data());
    record.avail_out = static_cast<uInt>(output.size());
    EXPECT_EQ(inflate(&record, Z_NO_FLUSH), Z_STREAM_END);
    EXPECT_EQ(output, data);
    EXPECT_EQ(inflateReset(&record), Z_OK);
    EXPECT_EQ(inflateEnd(&record), Z_OK);
}

TEST(ZLibStream, InitInflateStreamAnswersZlibCodes) {
    struct TAllocations {
        static voidpf Refuse(voidpf, uInt, uInt) { return Z_NULL; }
        static voidpf Count(voidpf opaque, uInt items, uInt size) {
            ++*static_cast<int*>(opaque);
            return std::calloc(items, size);
        }
        static void Release(voidpf, voidpf address) { std::free(address); }
    };
    TZStreamRec refused{};
    refused.zalloc = TAllocations::Refuse;
    refused.zfree = TAllocations::Release;
    EXPECT_EQ(InitInflateStream(refused), Z_MEM_ERROR);

    TZStreamRec badBits{};
    EXPECT_EQ(InitInflateStream(badBits, 7), Z_STREAM_ERROR);

    int allocations = 0;
    TZStreamRec counted{};
    counted.zalloc = TAllocations::Count;
    counted.zfree = TAllocations::Release;
    counted.opaque = &allocations;
    EXPECT_EQ(InitInflateStream(counted, -15), Z_OK);
    EXPECT_GT(allocations, 0) << "the caller's allocator was replaced";
    inflateEnd(&counted);
}

TEST(ZLibStream, ErrorsCarryZlibsCodeAndItsMeaning) {
    struct Case {
        Integer Code;
        const wchar_t* Message;
    };
    const Case byCode[] = {{Z_NEED_DICT, L"need dictionary"},
                           {Z_OK, L"ok"},
                           {Z_ERRNO, L"file error"},
                           {Z_MEM_ERROR, L"insufficient memory"},
                           {Z_VERSION_ERROR, L"incompatible version"},
                           {-7, L"zlib error -7"}};
    for (const Case& c : byCode) {
        const EZLibError error(c.Code);
        EXPECT_EQ(error.ErrorCode(), c.Code);
        EXPECT_EQ(error.Message(), c.Message);
    }
    const std::pair<TZError, Integer> byKind[] = {
        {zeError, Z_ERRNO},           {zeStreamError, Z_STREAM_ERROR},
        {zeDataError, Z_DATA_ERROR},  {zeMemoryError, Z_MEM_ERROR},
        {zeBufferError, Z_BUF_ERROR}, {zeVersionError, Z_VERSION_ERROR}};
    for (const auto& [kind, code] : byKind) {
        const EZDecompressionError error(kind);
        EXPECT_EQ(error.ErrorCode(), code);
        EXPECT_EQ(error.Message(), EZLibError(code).Message());
    }
}
