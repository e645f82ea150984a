// Reading and writing a 10 MB JSON document with our JSON values against a header-only peer
// library doing the same work in the same run, printed as ratios and as MB/s of document.
// The peer is used here only, never in the product. Our values hold UTF-16 text, so the peer
// works in UTF-16 as well: both read the same wide text into a tree and write a tree back to a
// wide buffer with everything above ASCII escaped (our writer's escaping). Before anything is
// timed, both readers must give the generator's values at a few places and each must read the
// other's output to the same values, so the timing is of real work on a real document.
#include "support/jsonobject/jsonobject.h"

#include "BenchTiming.h"

#include <rapidjson/document.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>

namespace {

constexpr std::size_t DocumentBytes = 10u << 20; // as UTF-8, the size of the document as a file
constexpr int Runs = 3;

using TPeerEncoding = rapidjson::UTF16<wchar_t>;
using TPeerDocument = rapidjson::GenericDocument<TPeerEncoding>;
using TPeerValue = rapidjson::GenericValue<TPeerEncoding>;
using TPeerBuffer = rapidjson::GenericStringBuffer<TPeerEncoding>;
using TPeerWriter = rapidjson::Writer<TPeerBuffer, TPeerEncoding, rapidjson::ASCII<wchar_t>>;

// What item k holds; the document's text is written from it and both readers are checked
// against it.
struct TItem {
    Int64 Id, Serial;
    UnicodeString Name, Path;
    double Price, Lat;
    bool Active;
};

// n + 1/8: exact in binary, and never whole (our writer writes a whole double as "2.", which a
// strict reader refuses; that would stop the cross-check, not measure anything).
double Eighth(Int64 n) { return static_cast<double>(n) + 0.125; }

UnicodeString EighthText(Int64 n) {
    wchar_t text[32];
    std::swprintf(text, 32, L"%.3f", Eighth(n));
    return text;
}

TItem Item(Int64 k) {
    const UnicodeString n = std::to_wstring(k);
    return {k,
            k * 1000003,
            L"Item " + n + L" \"quoted\" caf\u00e9 \u2013 Z\u00fcrich \u6771\u4eac \U0001F600",
            L"C:\\data\\" + n + L"\\file.txt\r\n",
            Eighth(k % 100000),
            Eighth(k % 180 - 90),
            k % 3 != 0};
}

// The item as JSON text: escapes of every kind, raw and escaped non-ASCII (a surrogate pair
// both ways), integers beyond 32 bits, fractions, an exponent, literals, nesting.
UnicodeString ItemText(Int64 k) {
    const TItem item = Item(k);
    const UnicodeString n = std::to_wstring(k);
    return L"{\"id\":" + n + L",\"serial\":" + std::to_wstring(item.Serial) + L",\"name\":\"Item " +
           n + L" \\\"quoted\\\" caf\\u00e9 \u2013 Z\u00fcrich \\u6771\u4eac \\ud83d\\ude00\"" +
           L",\"path\":\"C:\\\\data\\\\" + n + L"\\\\file.txt\\r\\n\"" + L",\"price\":" +
           EighthText(k % 100000) + L",\"scale\":1.5e-3" + L",\"active\":" +
           (item.Active ? L"true" : L"false") + L",\"owner\":null" +
           L",\"tags\":[\"alpha\",\"\\u03b2\\u03ae\\u03c4\\u03b1\","
           L"\"\u03b3\u03ac\u03bc\u03bc\u03b1\\/x\"]" +
           L",\"location\":{\"lat\":" + EighthText(k % 180 - 90) + L",\"lon\":-0.25" +
           L",\"counts\":[" + std::to_wstring(k % 97) + L",2,3,5,8,13,21,34]}}";
}

std::size_t Utf8Size(const UnicodeString& text) {
    std::size_t size = 0;
    for (const wchar_t c : text)
        size += c < 0x80 ? 1 : c < 0x800 ? 2 : (c >= 0xD800 && c < 0xE000) ? 2 : 3;
    return size;
}

struct TDocument {
    UnicodeString Text;
    Int64 Items = 0;
    std::size_t Bytes = 0; // UTF-8 size
};

TDocument MakeDocument() {
    TDocument doc;
    doc.Text = L"{\"generator\":\"json_bench\",\"version\":1,\"items\":[";
    doc.Bytes = Utf8Size(doc.Text);
    while (doc.Bytes < DocumentBytes) {
        const UnicodeString item = (doc.Items ? L"," : L"") + ItemText(doc.Items);
        ++doc.Items;
        doc.Bytes += Utf8Size(item);
        doc.Text += item;
    }
    doc.Text += L"]}";
    doc.Bytes += 2;
    return doc;
}

// ---- Agreement --------------------------------------------------------------------------

bool Check(bool good, const char* reader, const char* what, Int64 k) {
    if (!good) std::printf("%s reader: %s of item %lld differs\n", reader, what, k);
    return good;
}

bool OursHolds(const TJsonRef& root, Int64 k, Int64 items) {
    const TItem item = Item(k);
    const UnicodeString at = L"items[" + std::to_wstring(k) + L"].";
    bool good = Check(root->PathGetArray(L"items")->Length() == items, "our", "count", k);
    good &= Check(root->PathGetInteger(at + L"id") == item.Id, "our", "id", k);
    good &= Check(root->PathGetInteger(at + L"serial") == item.Serial, "our", "serial", k);
    good &= Check(root->PathGetString(at + L"name") == item.Name, "our", "name", k);
    good &= Check(root->PathGetString(at + L"path") == item.Path, "our", "path", k);
    good &= Check(root->PathGetDouble(at + L"price") == item.Price, "our", "price", k);
    good &= Check(root->PathGetBoolean(at + L"active") == item.Active, "our", "active", k);
    good &=
        Check(root->PathGetString(at + L"tags[1]") == L"\u03b2\u03ae\u03c4\u03b1", "our", "tag", k);
    good &= Check(root->PathGetDouble(at + L"location.lat") == item.Lat, "our", "lat", k);
    return good;
}

bool PeerHolds(const TPeerValue& root, Int64 k, Int64 items) {
    const TItem item = Item(k);
    const TPeerValue& list = root[L"items"];
    bool good = Check(list.Size() == items, "peer", "count", k);
    if (!good) return false;
    const TPeerValue& value = list[static_cast<rapidjson::SizeType>(k)];
    const auto text = [&](const TPeerValue& v) {
        return UnicodeString(v.GetString(), v.GetStringLength());
    };
    good &= Check(value[L"id"].GetInt64() == item.Id, "peer", "id", k);
    good &= Check(value[L"serial"].GetInt64() == item.Serial, "peer", "serial", k);
    good &= Check(text(value[L"name"]) == item.Name, "peer", "name", k);
    good &= Check(text(value[L"path"]) == item.Path, "peer", "path", k);
    good &= Check(value[L"price"].GetDouble() == item.Price, "peer", "price", k);
    good &= Check(value[L"active"].GetBool() == item.Active, "peer", "active", k);
    good &= Check(text(value[L"tags"][1]) == L"\u03b2\u03ae\u03c4\u03b1", "peer", "tag", k);
    good &= Check(value[L"location"][L"lat"].GetDouble() == item.Lat, "peer", "lat", k);
    return good;
}

template <class Holds, class Root>
bool HoldsEverywhere(Holds holds, const Root& root, Int64 items) {
    bool good = true;
    for (const Int64 k : {Int64(0), Int64(1), items / 2, items - 1}) good &= holds(root, k, items);
    return good;
}

bool OursReads(const char* what, const UnicodeString& text, Int64 items) {
    const TJsonRef root = TJsonObject::ParseString(text, false);
    if (!root) std::printf("our reader refused %s\n", what);
    return root && HoldsEverywhere(OursHolds, root, items);
}

bool PeerReads(const char* what, const UnicodeString& text, Int64 items) {
    TPeerDocument root;
    root.Parse(text.c_str());
    if (root.HasParseError())
        std::printf("peer reader refused %s before character %zu of \"%ls\"\n", what,
                    root.GetErrorOffset(),
                    text.substr(std::max<std::size_t>(root.GetErrorOffset(), 20) - 20, 40).c_str());
    return !root.HasParseError() && HoldsEverywhere(PeerHolds, root, items);
}

// ---- The work ---------------------------------------------------------------------------

UnicodeString OursWrites(const TJsonRef& root) {
    TJsonWriterString writer;
    if (root->Serialize(writer, false, true, 0) < 0) return {};
    return UnicodeString(writer.Data(), static_cast<std::size_t>(writer.Position()));
}

UnicodeString PeerWrites(const TPeerDocument& root) {
    TPeerBuffer buffer;
    TPeerWriter writer(buffer);
    root.Accept(writer);
    return UnicodeString(buffer.GetString(), buffer.GetSize() / sizeof(wchar_t));
}

// A sink of ours that copies into a buffer made large enough beforehand, as the peer's buffer
// is given the same capacity: the figures are then of the writing, not of the buffers' growth.
class TPresizedSink : public TJsonWriter {
public:
    explicit TPresizedSink(std::size_t capacity) { FText.reserve(capacity); }
    using TJsonWriter::Append;
    Integer Append(const wchar_t* buf, Integer count) override {
        if (count <= 0) return count;
        FText.append(buf, static_cast<std::size_t>(count));
        return count;
    }
    void Reset() override { FText.clear(); }
    std::size_t Size() const { return FText.size(); }

private:
    UnicodeString FText;
};

void PrintSpeed(const char* what, double megabytes, double ours, double baseline) {
    std::printf("%-40s warm: ours %8.1f MB/s  baseline %8.1f MB/s\n", what, megabytes / ours,
                megabytes / baseline);
}

} // namespace

int main() {
    const TDocument doc = MakeDocument();
    const double megabytes = static_cast<double>(doc.Bytes) / (1024.0 * 1024.0);
    // The reads are measured first, before any other read of the document: each side's first
    // tree is then made of fresh memory, so the memory it holds is counted whatever either side
    // keeps for later reads. Each read answers its tree, so that the memory it holds is
    // measured; the time includes freeing it.
    bool complete = true;
    const TFigures oursRead = Measure(Runs, [&] {
        TJsonRef root = TJsonObject::ParseString(doc.Text, false);
        complete &= root->PathGetArray(L"items")->Length() == doc.Items;
        return root;
    });
    const TFigures peerRead = Measure(Runs, [&] {
        auto root = std::make_unique<TPeerDocument>();
        root->Parse(doc.Text.c_str());
        complete &= (*root)[L"items"].Size() == doc.Items;
        return root;
    });
    if (!OursReads("the document", doc.Text, doc.Items) ||
        !PeerReads("the document", doc.Text, doc.Items))
        return 1;

    const TJsonRef ours = TJsonObject::ParseString(doc.Text, false);
    TPeerDocument peer;
    peer.Parse(doc.Text.c_str());
    const UnicodeString oursText = OursWrites(ours), peerText = PeerWrites(peer);
    if (!PeerReads("our output", oursText, doc.Items) ||
        !OursReads("the peer's output", peerText, doc.Items))
        return 1;

    const TFigures oursWrite = Measure(Runs, [&] {
        UnicodeString text = OursWrites(ours);
        complete &= !text.empty();
        return text;
    });
    const TFigures peerWrite = Measure(Runs, [&] {
        UnicodeString text = PeerWrites(peer);
        complete &= !text.empty();
        return text;
    });
    // Both into buffers of the same capacity, room for the longer of the two texts.
    const std::size_t capacity = std::max(oursText.size(), peerText.size()) + 16;
    const TFigures oursPresized = Measure(Runs, [&] {
        auto sink = std::make_unique<TPresizedSink>(capacity);
        complete &= ours->Serialize(*sink, false, true, 0) >= 0 && sink->Size() == oursText.size();
        return sink;
    });
    const TFigures peerPresized = Measure(Runs, [&] {
        auto buffer = std::make_unique<TPeerBuffer>(nullptr, capacity * sizeof(wchar_t));
        TPeerWriter writer(*buffer);
        peer.Accept(writer);
        complete &= buffer->GetSize() == peerText.size() * sizeof(wchar_t);
        return buffer;
    });
    if (!complete) {
        std::printf("a timed run did not do the whole work\n");
        return 1;
    }

    std::printf("document: %.1f MB as UTF-8, %zu UTF-16 characters, %lld items\n", megabytes,
                doc.Text.size(), doc.Items);
    PrintFigures("10 MB JSON read into a tree", oursRead, peerRead);
    PrintFigures("10 MB JSON tree written to text", oursWrite, peerWrite);
    PrintFigures("  into pre-sized buffers", oursPresized, peerPresized);
    PrintSpeed("10 MB JSON read into a tree", megabytes, oursRead.Warm, peerRead.Warm);
    PrintSpeed("10 MB JSON tree written to text", megabytes, oursWrite.Warm, peerWrite.Warm);
    return 0;
}
