// Fuzzed reader of packed skins: the "ASzf" archive of a ".asz" file or an internal skin. Seeds
// are small archives made here (a skin text, an image entry, an empty entry, an entry larger than
// the 128 KB the inflater reads at a time); a damaged archive unpacks or raises a library error.
#include "FuzzDriver.h"

#include "skin/engine/acSkinPack.h"

#include <zlib.h>

#include <cstring>
#include <stdexcept>

namespace {

void PutInteger(TFuzzInput& out, std::int32_t value) {
    char bytes[4];
    std::memcpy(bytes, &value, 4);
    out.append(bytes, 4);
}

// One entry: name length, name, unpacked size, one zlib stream.
void PutEntry(TFuzzInput& out, const std::string& name, const std::string& data) {
    uLongf packed = compressBound(static_cast<uLong>(data.size()));
    std::string stream(packed, '\0');
    compress2(reinterpret_cast<Bytef*>(stream.data()), &packed,
              reinterpret_cast<const Bytef*>(data.data()), static_cast<uLong>(data.size()), 9);
    stream.resize(packed);
    PutInteger(out, static_cast<std::int32_t>(name.size()));
    out += name;
    PutInteger(out, static_cast<std::int32_t>(data.size()));
    out += stream;
}

TFuzzInput Archive(const std::vector<std::pair<std::string, std::string>>& entries) {
    TFuzzInput out = "ASzf";
    PutInteger(out, static_cast<std::int32_t>(entries.size()));
    for (const auto& [name, data] : entries) PutEntry(out, name, data);
    return out;
}

std::vector<TFuzzInput> ArchiveSeeds() {
    const std::string options = "[GLOBALINFO]\r\nVERSION=5\r\nCOLOR=0xF0F0F0\r\n\r\n"
                                "[BUTTON]\r\nPARENTCLASS=GLOBALINFO\r\nBORDERSMASK=@0,0,12,12\r\n";
    std::string bitmap = "BM";
    bitmap.resize(62 + 4 * 4, '\x7f');
    std::string large;
    for (int i = 0; large.size() < 140 * 1024; ++i) large += static_cast<char>(i * 7 + (i >> 9));
    return {Archive({{"Options.dat", options}}),
            Archive({{"OPTIONS.DAT", options}, {"Master.bmp", bitmap}, {"EMPTY.BMP", ""}}),
            Archive({{"Big.bmp", large}, {"options.dat", options}}), Archive({})};
}

void FeedArchive(const TFuzzInput& input) {
    TacSkinConvertor convertor;
    convertor.PackedData = new TMemoryStream();
    if (!input.empty())
        convertor.PackedData->WriteBuffer(input.data(), static_cast<NativeInt>(input.size()));
    try {
        convertor.Unpack();
    } catch (const Exception&) {
        // A damaged archive is refused with the library's errors, never taken in part.
        if (!convertor.Files.empty() || convertor.Options)
            throw std::runtime_error("a refused archive left entries behind");
    }
}

const TFuzzRegistration SkinArchive{
    {"skin_archive",
     ArchiveSeeds,
     FeedArchive,
     400,
     {"ASzf", "Options.dat", std::string("\xff\xff\xff\x7f", 4), std::string("\0\0\0\0", 4)}}};

} // namespace
