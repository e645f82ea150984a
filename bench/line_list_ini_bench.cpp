// Loading a 1 MB line list into the INI document and reading every value back, against reading
// the same bytes and splitting them into lines with the standard library. The document decodes
// the ANSI text, trims and indexes every line and looks each key up again; the ratio says what
// that costs over the bare split, for a list far larger than the service sends.
#include "support/KitThreadPool/KitIni.h"

#include "framework/StringLists.h"

#include "BenchTiming.h"

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

// Every value's length, summed: what both sides must agree on.
std::size_t ReadThroughDocument(const std::string& bytes) {
    TKitStreamIniFile document{UnicodeString()};
    Load(document, bytes);
    TStringList sections, keys;
    document.ReadSections(&sections);
    std::size_t total = 0;
    for (int i = 0; i < sections.Count(); ++i) {
        document.ReadSection(sections.Strings(i), &keys);
        for (int j = 0; j < keys.Count(); ++j)
            total += document.ReadString(sections.Strings(i), keys.Strings(j), L"").size();
    }
    return total;
}

std::size_t SplitWithTheStandardLibrary(const std::string& bytes) {
    std::istringstream stream(bytes);
    std::vector<std::string> lines;
    for (std::string line; std::getline(stream, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
    }
    std::size_t total = 0;
    for (const std::string& line : lines) {
        const std::size_t equals = line.find('=');
        if (equals != std::string::npos) total += line.size() - equals - 1;
    }
    return total;
}

} // namespace

int main() {
    const std::string list = MakeLineList();
    std::size_t document = 0, split = 0;
    const double baseline = BestSeconds(5, [&] { split = SplitWithTheStandardLibrary(list); });
    const double ours = BestSeconds(5, [&] { document = ReadThroughDocument(list); });
    if (document != split) {
        std::printf("value lengths differ: document %zu, split %zu\n", document, split);
        return 1;
    }
    PrintRatio("1 MB line list into the INI document", ours, baseline);
    // The share of the load alone, to tell it from the lookups.
    const double load = BestSeconds(5, [&] {
        TKitStreamIniFile document{UnicodeString()};
        Load(document, list);
    });
    PrintRatio("  of which loading", load, baseline);
    return 0;
}
