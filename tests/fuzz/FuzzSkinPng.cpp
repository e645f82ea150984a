// The skin engine's own PNG reader, fed pictures of every colour type made by the engine's test
// encoder (interlaced and not, with palette, transparency, background and gamma chunks).
#include "FuzzDriver.h"

#include "framework/Streams.h"
#include "skin/engine/PNGTestImages.h"
#include "skin/engine/acPNG.h"

#include <tuple>

namespace {

std::vector<TFuzzInput> SkinPngSeeds() {
    std::vector<TFuzzInput> seeds;
    const std::tuple<Byte, Byte, bool> kinds[] = {{0, 2, true},  {0, 16, false}, {2, 8, true},
                                                  {3, 4, false}, {4, 8, true},   {6, 16, true}};
    for (const auto& [colourType, bitDepth, interlaced] : kinds) {
        TTestPng png = MakeTestPng(9, 6, colourType, bitDepth, interlaced);
        const TPngBytes sample = colourType == 2 ? TPngBytes(6, '\1') : TPngBytes(2, '\1');
        png.Extra = {{"gAMA", BigEndian32(45455)}, {"bKGD", sample}};
        if (colourType != 4 && colourType != 6) png.Extra.push_back({"tRNS", sample});
        seeds.push_back(EncodePng(png));
    }
    return seeds;
}

void FeedSkinPng(const TFuzzInput& input) {
    try {
        TMemoryStream stream;
        if (!input.empty()) stream.WriteBuffer(input.data(), static_cast<NativeInt>(input.size()));
        stream.SetPosition(0);
        TPNGGraphic graphic;
        graphic.LoadFromStream(&stream);
    } catch (const EInvalidGraphic&) {
    }
}

const TFuzzRegistration SkinPng{{"skin_png",
                                 SkinPngSeeds,
                                 FeedSkinPng,
                                 600,
                                 {"IHDR", "PLTE", "IDAT", "IEND", "tRNS", "bKGD", "gAMA"}}};

} // namespace
