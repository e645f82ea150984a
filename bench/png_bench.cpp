// The skin engine's PNG reader against the class library's PNG image (the system's codec) and
// against a bare inflate of the same image data: a 2048 x 2048 RGBA picture and a corpus of
// small pictures of every colour type and depth. Cold is the first run in the process, warm
// the best of three. Goal: at least 0.5 of the system codec's speed.
#include "framework/ModuleInit.h"
#include "framework/PngImage.h"
#include "framework/Streams.h"
#include "skin/engine/PNGTestImages.h"
#include "skin/engine/acPNG.h"

#include "BenchTiming.h"

#include <zlib.h>

#include <string>
#include <vector>

namespace {

// Smooth gradients with a little texture: compresses like a drawn picture.
TTestPng LargePicture() {
    TTestPng png;
    png.Width = png.Height = 2048;
    png.Samples.resize(size_t(png.Width) * png.Height * 4);
    Word* s = png.Samples.data();
    for (int y = 0; y < png.Height; ++y)
        for (int x = 0; x < png.Width; ++x, s += 4) {
            s[0] = Word(x / 8);
            s[1] = Word(y / 8);
            s[2] = Word((x + y) / 16 ^ (x * y & 3));
            s[3] = Word(x < 1024 ? 255 : (y / 8) & 255);
        }
    return png;
}

std::vector<TPngBytes> Corpus() {
    std::vector<TPngBytes> files;
    const std::pair<Byte, Byte> kinds[] = {{0, 1}, {0, 2},  {0, 4},  {0, 8}, {0, 16},
                                           {2, 8}, {2, 16}, {3, 1},  {3, 2}, {3, 4},
                                           {3, 8}, {4, 8},  {4, 16}, {6, 8}, {6, 16}};
    for (const auto& [type, depth] : kinds)
        for (bool interlaced : {false, true})
            files.push_back(EncodePng(MakeTestPng(48, 48, type, depth, interlaced)));
    return files;
}

template <class Graphic> void Decode(const TPngBytes& bytes) {
    TMemoryStream stream;
    stream.WriteBuffer(bytes.data(), static_cast<NativeInt>(bytes.size()));
    stream.SetPosition(0);
    Graphic graphic;
    graphic.LoadFromStream(&stream);
}

void Inflate(const TPngBytes& packed, std::vector<Byte>& out) {
    uLongf size = static_cast<uLongf>(out.size());
    uncompress(out.data(), &size, reinterpret_cast<const Bytef*>(packed.data()),
               static_cast<uLong>(packed.size()));
}

template <class Ours, class System> void Compare(const char* what, Ours&& ours, System&& system) {
    const double coldOurs = BestSeconds(1, ours), coldSystem = BestSeconds(1, system);
    PrintRatio((std::string(what) + ", cold").c_str(), coldOurs, coldSystem);
    PrintRatio((std::string(what) + ", warm").c_str(), BestSeconds(3, ours),
               BestSeconds(3, system));
}

} // namespace

int main() {
    const TModuleEntry framework = FrameworkModule();
    const TTestPng large = LargePicture();
    const TPngBytes idat = PngImageData(large);
    const TPngBytes file = EncodePng(large);
    std::vector<Byte> raw(size_t(2048) * (2048 * 4 + 1));
    std::printf("2048 x 2048 RGBA: %zu bytes of PNG\n", file.size());
    const auto ours = [&] { Decode<TPNGGraphic>(file); };
    const auto system = [&] { Decode<TPngImage>(file); };
    const auto inflateOnly = [&] { Inflate(idat, raw); };
    Compare("2048 x 2048 RGBA against the system", ours, system);
    PrintRatio("2048 x 2048 RGBA against inflate alone", BestSeconds(3, ours),
               BestSeconds(3, inflateOnly));

    const std::vector<TPngBytes> corpus = Corpus();
    const auto corpusOurs = [&] {
        for (int round = 0; round < 20; ++round)
            for (const TPngBytes& png : corpus) Decode<TPNGGraphic>(png);
    };
    const auto corpusSystem = [&] {
        for (int round = 0; round < 20; ++round)
            for (const TPngBytes& png : corpus) Decode<TPngImage>(png);
    };
    Compare("corpus (30 pictures x 20) against the system", corpusOurs, corpusSystem);
    return 0;
}
