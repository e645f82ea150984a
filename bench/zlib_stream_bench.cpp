// Reading a 64 MB zlib stream through TZDecompressionStream against a bare inflate loop over
// the same buffer. The ratio says what the stream layer costs; it should stay at 0.9 or above.
#include "support/ZLibStream/ZLibStream.h"

#include "BenchTiming.h"

#include <vector>

namespace {

constexpr std::size_t PlainSize = 64u << 20;
constexpr std::size_t ReadPiece = 64u << 10;

// Compressible but not trivial: a repeating text with a counter woven in.
std::vector<unsigned char> MakePlain() {
    std::vector<unsigned char> plain(PlainSize);
    for (std::size_t i = 0; i < plain.size(); ++i)
        plain[i] = static_cast<unsigned char>("line list of every area "[i % 24] ^ ((i >> 12) & 7));
    return plain;
}

std::vector<unsigned char> Compress(const std::vector<unsigned char>& plain) {
    uLongf size = compressBound(static_cast<uLong>(plain.size()));
    std::vector<unsigned char> packed(size);
    compress2(packed.data(), &size, plain.data(), static_cast<uLong>(plain.size()), 6);
    packed.resize(size);
    return packed;
}

std::size_t InflateDirectly(const std::vector<unsigned char>& packed) {
    std::vector<unsigned char> out(ReadPiece);
    z_stream stream{};
    inflateInit(&stream);
    stream.next_in = const_cast<unsigned char*>(packed.data());
    stream.avail_in = static_cast<uInt>(packed.size());
    std::size_t total = 0;
    int result = Z_OK;
    while (result == Z_OK) {
        stream.next_out = out.data();
        stream.avail_out = static_cast<uInt>(out.size());
        result = inflate(&stream, Z_NO_FLUSH);
        total += out.size() - stream.avail_out;
    }
    inflateEnd(&stream);
    return total;
}

std::size_t InflateThroughStream(const std::vector<unsigned char>& packed) {
    TMemoryStream source;
    source.WriteBuffer(packed.data(), static_cast<NativeInt>(packed.size()));
    source.SetPosition(0);
    TZDecompressionStream stream(&source);
    std::vector<unsigned char> out(ReadPiece);
    std::size_t total = 0;
    for (;;) {
        const NativeInt got = stream.Read(out.data(), static_cast<NativeInt>(out.size()));
        if (got <= 0) break;
        total += static_cast<std::size_t>(got);
    }
    return total;
}

} // namespace

int main() {
    const std::vector<unsigned char> packed = Compress(MakePlain());
    std::size_t direct = 0, streamed = 0;
    const double baseline = BestSeconds(3, [&] { direct = InflateDirectly(packed); });
    const double ours = BestSeconds(3, [&] { streamed = InflateThroughStream(packed); });
    if (direct != PlainSize || streamed != PlainSize) {
        std::printf("decoded sizes differ: direct %zu, stream %zu\n", direct, streamed);
        return 1;
    }
    PrintRatio("64 MB zlib stream read", ours, baseline);
    return 0;
}
