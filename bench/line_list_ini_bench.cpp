// Loading a 1 MB line list into the INI document and reading every value back, against reading
// the same bytes and splitting them into lines with the standard library. The document decodes
// the ANSI text, trims and indexes every line and looks each key up again; the ratio says what
// that costs over the bare split, for a list far larger than the service sends.
#include "support/KitThreadPool/KitIni.h"

#include "framework/StringLists.h"

#include "BenchTiming.h"

#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr std::size_t ListSize = 1u << 20;
constexpr int LinesPerArea = 40;

// Sections of lines shaped like the server's: "name=encoded address,online rate,L2TP flag".
std::string MakeLineList() {
    std::string text;
    for (int area = 0; text.size() < ListSize; ++area) {
        text += "[area " + std::to_string(area) + "]\r\n";
        for (int line = 0; line < LinesPerArea; ++line)
            text += "line " + std::to_string(area) + "-" + std::to_string(line) +
                    "=TWpjdU1DNHhMak1PV0Vz" + std::to_string(line % 10) + "," +
                    std::to_string(50 + line) + "%," + std::to_string(line % 2) + "\r\n";
        text += "\r\n";
    }
    return text;
}

void Load(TKitStreamIniFile& document, const std::string& bytes) {
    TStringStream stream(RawByteString(bytes), TTextEncoding::Ansi);
    document.LoadFromStream(&stream);
}

// Each side answers what it built, so that the memory it holds is measured, and every value's
// length, summed: what both sides must agree on.
struct TDocumentRead {
    std::unique_ptr<TKitStreamIniFile> Document;
    std::size_t Total = 0;
};

struct TSplitRead {
    std::vector<std::string> Lines;
    std::size_t Total = 0;
};

TDocumentRead ReadThroughDocument(const std::string& bytes) {
    TDocumentRead read{std::make_unique<TKitStreamIniFile>(UnicodeString())};
    TKitStreamIniFile& document = *read.Document;
    Load(document, bytes);
    TStringList sections, keys;
    document.ReadSections(&sections);
    for (int i = 0; i < sections.Count(); ++i) {
        document.ReadSection(sections.Strings(i), &keys);
        for (int j = 0; j < keys.Count(); ++j)
            read.Total += document.ReadString(sections.Strings(i), keys.Strings(j), L"").size();
    }
    return read;
}

TSplitRead SplitWithTheStandardLibrary(const std::string& bytes) {
    TSplitRead read;
    std::istringstream stream(bytes);
    for (std::string line; std::getline(stream, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        read.Lines.push_back(std::move(line));
    }
    for (const std::string& line : read.Lines) {
        const std::size_t equals = line.find('=');
        if (equals != std::string::npos) read.Total += line.size() - equals - 1;
    }
    return read;
}

} // namespace

int main() {
    const std::string list = MakeLineList();
    std::size_t document = 0, split = 0;
    const TFigures baseline = Measure(5, [&] {
        TSplitRead read = SplitWithTheStandardLibrary(list);
        split = read.Total;
        return read;
    });
    const TFigures ours = Measure(5, [&] {
        TDocumentRead read = ReadThroughDocument(list);
        document = read.Total;
        return read;
    });
    if (document != split) {
        std::printf("value lengths differ: document %zu, split %zu\n", document, split);
        return 1;
    }
    PrintFigures("1 MB line list into the INI document", ours, baseline);
    // The share of the load alone, to tell it from the lookups.
    const TFigures load = Measure(5, [&] {
        auto loaded = std::make_unique<TKitStreamIniFile>(UnicodeString());
        Load(*loaded, list);
        return loaded;
    });
    PrintFigures("  of which loading", load, baseline);
    return 0;
}
