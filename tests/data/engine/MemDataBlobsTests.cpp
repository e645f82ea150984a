#include "data/engine/MemDataBlobs.h"

#include "EngineModules.h"

#include "framework/TextEncoding.h"

#include <windows.h>

#include <cstdlib>
#include <random>
#include <string>

namespace {

std::string Bytes(TBlob& blob) {
    std::string content(blob.Size(), '\0');
    if (!content.empty()) content.resize(blob.Read(0, 0, content.data()));
    return content;
}

void WriteText(TBlob& blob, Cardinal position, const std::string& text) {
    blob.Write(position, Cardinal(text.size()), text.data());
}

Integer PieceCount(const TDcBlobData& data) {
    Integer n = 0;
    for (PPieceHeader piece = data.FirstPiece(); piece; piece = piece->Next) ++n;
    return n;
}

using TBlobPtr = TOwned<TBlob>;

class TCountedShared : public TSharedObject {
public:
    explicit TCountedShared(int& destroyed) : FDestroyed(destroyed) {}
    ~TCountedShared() override { ++FDestroyed; }

private:
    int& FDestroyed;
};

TEST(SharedObject, TheLastFreeDestroys) {
    int destroyed = 0;
    TCountedShared* shared = new TCountedShared(destroyed);
    EXPECT_EQ(shared->RefCount(), 1);
    EXPECT_EQ(shared->GCHandle(), shared);
    shared->AddRef();
    shared->Free();
    EXPECT_EQ(destroyed, 0);
    EXPECT_EQ(shared->RefCount(), 1);
    EXPECT_NO_THROW(shared->CheckValid());
    shared->Free();
    EXPECT_EQ(destroyed, 1);
}

TEST(Blob, PiecesOfTheDefaultSize) {
    TBlob* blob = Construct<TBlob>(false);
    std::string data(100000, '\0');
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = char(i * 7);
    WriteText(*blob, 0, data);
    ASSERT_EQ(PieceCount(*blob->GetData()), 2);
    EXPECT_EQ(blob->FirstPiece()->Used, 65514u);
    EXPECT_EQ(blob->FirstPiece()->Next->Used, 34486u);
    EXPECT_EQ(blob->FirstPiece()->Blob, blob->GetData());
    blob->Defrag();
    EXPECT_EQ(PieceCount(*blob->GetData()), 1);
    EXPECT_EQ(Bytes(*blob), data);
    blob->Free();
}

TEST(Blob, WritesReadsAndSizes) {
    TBlob* blob = Construct<TBlob>(false);
    WriteText(*blob, 0, "hello");
    WriteText(*blob, 99, "!"); // past the end: appended
    EXPECT_EQ(Bytes(*blob), "hello!");
    WriteText(*blob, 1, "EL");
    EXPECT_EQ(Bytes(*blob), "hELlo!");
    char part[4] = {};
    EXPECT_EQ(blob->Read(4, 10, part), 2u);
    EXPECT_STREQ(part, "o!");
    EXPECT_EQ(blob->Read(7, 1, part), 0u);
    blob->SetSize(8);
    EXPECT_EQ(Bytes(*blob), std::string("hELlo!\0\0", 8));
    blob->Truncate(2);
    EXPECT_EQ(Bytes(*blob), "hE");
    blob->Truncate(0);
    EXPECT_EQ(blob->FirstPiece(), nullptr);
    blob->Free();
}

TEST(Blob, RollbackCancelAndCommit) {
    TBlob* blob = Construct<TBlob>(false);
    WriteText(*blob, 0, "old");
    EXPECT_THROW(blob->SaveRollback(), Exception);
    blob->EnableRollback();
    WriteText(*blob, 0, "new!");
    EXPECT_TRUE(blob->CanRollback());
    blob->SetUseRollback(true);
    EXPECT_EQ(Bytes(*blob), "old");
    EXPECT_THROW(blob->SetData(blob->GetData()), EAssertionFailed);
    blob->SetUseRollback(false);
    EXPECT_EQ(Bytes(*blob), "new!");
    blob->Cancel();
    EXPECT_EQ(Bytes(*blob), "old");
    EXPECT_FALSE(blob->CanRollback());

    WriteText(*blob, 0, "kept");
    blob->Commit();
    EXPECT_FALSE(blob->CanRollback());
    EXPECT_EQ(Bytes(*blob), "kept");
    blob->Clear(); // a change after the commit takes a new copy
    EXPECT_TRUE(blob->CanRollback());
    blob->Cancel();
    EXPECT_EQ(Bytes(*blob), "kept");
    blob->Free();
}

TEST(Blob, LineEndsAcrossPieces) {
    struct Case {
        const char* Text;
        const char* Added;
        const char* Removed;
    } cases[] = {
        {"A\nB", "A\r\nB", "A\nB"},
        {"A\r\nB", "A\r\nB", "A\nB"},
        {"\n\n", "\r\n\r\n", "\n\n"},
        {"A\r", "A\r\n", "A\n"}, // a CR that ends 8-bit content gets its LF
        {"A\rB", "A\rB", "A\rB"},
        {"", "", ""},
        {"ab\r\ncd\nef\r", "ab\r\ncd\r\nef\r\n", "ab\ncd\nef\n"},
    };
    for (Cardinal pieceSize : {1u, 2u, 3u, 65514u}) {
        for (const Case& c : cases) {
            TBlob* blob = Construct<TBlob>(false);
            blob->SetPieceSize(pieceSize); // small pieces put pairs across piece boundaries
            blob->SetAsAnsiString(c.Text);
            blob->AddCR();
            EXPECT_EQ(blob->AsAnsiString(), c.Added) << c.Text << " piece " << pieceSize;
            blob->RemoveCR();
            EXPECT_EQ(blob->AsAnsiString(), c.Removed) << c.Text << " piece " << pieceSize;
            blob->Free();
        }
    }
    TBlob* blob = Construct<TBlob>(false);
    blob->SetPieceSize(2);
    blob->SetAsAnsiString("a\r\nb\r\n\rc");
    blob->RemoveCR();
    EXPECT_EQ(blob->AsAnsiString(), "a\nb\n\rc");
    blob->Free();

    TBlob* wide = Construct<TBlob>(true);
    wide->SetPieceSize(3); // odd: units split across pieces too
    wide->SetAsWideString(L"x\ny\r");
    wide->AddCR();
    EXPECT_EQ(wide->AsWideString(), L"x\r\ny\r"); // a UTF-16 CR at the end stays
    wide->RemoveCR();
    EXPECT_EQ(wide->AsWideString(), L"x\ny\r");
    wide->Free();
}

TEST(Blob, TextViewsAndUnicodeSwitch) {
    TBlob* blob = Construct<TBlob>(false);
    blob->SetIsUnicode(true); // empty: allowed
    EXPECT_TRUE(blob->IsUnicode());
    blob->SetAsWideString(L"h\u00e9");
    EXPECT_EQ(blob->Size(), 4u);
    try {
        blob->SetIsUnicode(false);
        FAIL() << "changed";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), L"Cannot change IsUnicode if Size > 0");
    }
    EXPECT_EQ(blob->AsString(), L"h\u00e9");
    EXPECT_EQ(blob->AsAnsiString(), UnicodeToAnsi(L"h\u00e9"));
    blob->SetAsAnsiString("ab");
    EXPECT_EQ(blob->AsBytes(), (TBytes{'a', 0, 'b', 0}));
    EXPECT_EQ(blob->SizeAsAnsi(), 2u);
    blob->SetAsBytes({1, 2, 3});
    EXPECT_EQ(blob->Size(), 3u);
    blob->Free();

    TBlob* narrow = Construct<TBlob>(false);
    narrow->SetAsWideString(L"xy");
    EXPECT_EQ(narrow->AsAnsiString(), "xy");
    EXPECT_THROW(narrow->SizeAsAnsi(), EAssertionFailed);
    narrow->Free();
}

// The 8-bit view of UTF-16 text: positions count the bytes each character takes in the system
// code page (two for Chinese characters under code page 936, one for anything else elsewhere).
TEST(Blob, TranslatePositionInTheSystemCodePage) {
    if (const char* expected = std::getenv("DATAENGINE_EXPECT_ACP")) {
        ASSERT_EQ(GetACP(), UINT(std::atoi(expected)))
            << "the locale entry runs under another code page";
    }
    TBlob* blob = Construct<TBlob>(true);
    blob->SetAsWideString(L"a\u4e2d\u6587b");
    TDcBlobData* data = blob->GetData();
    EXPECT_EQ(data->TranslatePosition(0), 0);
    if (GetACP() == 936) {
        EXPECT_EQ(data->TranslatePosition(1), 2);
        EXPECT_EQ(data->TranslatePosition(3), 4);
        EXPECT_EQ(data->TranslatePosition(5), 6);
        EXPECT_EQ(data->TranslatePosition(6), 8);
        EXPECT_EQ(data->GetSizeAnsi(), 6);
        EXPECT_THROW(data->TranslatePosition(2), Exception);
        EXPECT_THROW(data->TranslatePosition(4), Exception);
    } else {
        EXPECT_EQ(data->TranslatePosition(2), 4);
        EXPECT_EQ(data->TranslatePosition(4), 8);
        EXPECT_EQ(data->GetSizeAnsi(), 4);
    }
    try {
        data->TranslatePosition(40);
        FAIL() << "past the end";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), L"Invalid BLOB position");
    }
    blob->Free();
}

TEST(Blob, StreamsFilesAndAssign) {
    TBlob* blob = Construct<TBlob>(false);
    blob->SetPieceSize(4);
    blob->SetAsAnsiString("stream content");
    TMemoryStream stream;
    stream.WriteBuffer("garbage that is longer", 22);
    blob->SaveToStream(&stream);
    EXPECT_EQ(stream.Size(), 14);
    TBlob* loaded = Construct<TBlob>(false);
    loaded->LoadFromStream(&stream);
    EXPECT_EQ(loaded->AsAnsiString(), "stream content");

    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    const UnicodeString file = UnicodeString(folder) + L"dataengine_blob_" +
                               std::to_wstring(GetCurrentProcessId()) + L".bin";
    blob->SaveToFile(file);
    TBlob* fromFile = Construct<TBlob>(false);
    fromFile->LoadFromFile(file);
    DeleteFileW(file.c_str());
    EXPECT_EQ(fromFile->AsAnsiString(), "stream content");

    TBlob* copy = Construct<TBlob>(true);
    copy->Assign(blob);
    EXPECT_FALSE(copy->IsUnicode());
    EXPECT_EQ(copy->AsAnsiString(), "stream content");
    for (TBlob* b : {blob, loaded, fromFile, copy}) b->Free();
}

TEST(Blob, SharedDataKeepsItsOwnReferences) {
    TBlob* a = Construct<TBlob>(false);
    TBlob* b = Construct<TBlob>(false);
    a->SetAsAnsiString("shared");
    b->SetData(a->GetData());
    EXPECT_EQ(a->GetData()->RefCount(), 2);
    a->Free();
    EXPECT_EQ(b->AsAnsiString(), "shared");
    b->Free();
}

// The piece store against a string driven by the same random operations.
std::string CompareStore(TDcBlobData& store, const std::string& model) {
    std::string content(store.GetSize(), '\0');
    if (!content.empty()) store.Read(0, 0, content.data());
    if (store.GetSize() != model.size()) return "size differs";
    if (content != model) return "content differs";
    PPieceHeader previous = nullptr;
    for (PPieceHeader piece = store.FirstPiece(); piece; previous = piece, piece = piece->Next) {
        if (piece->Prev != previous) return "links broken";
        if (piece->Used > piece->Size) return "piece overfull";
        if (piece->Blob != &store) return "piece tagged for another store";
    }
    return "";
}

TEST(Blob, PieceStoreMatchesAStringUnderRandomOperations) {
    std::mt19937 random(8105);
    TDcBlobData* store = new TDcBlobData;
    std::string model;
    for (int step = 0; step < 6000; ++step) {
        store->SetPieceSize(1 + random() % 40);
        const Cardinal size = Cardinal(model.size());
        switch (random() % 8) {
        case 0:
        case 1:
        case 2: {
            const Cardinal position = Cardinal(random() % (size + 10));
            std::string text(random() % 60, '\0');
            for (char& c : text) c = char('a' + random() % 26);
            store->Write(position, Cardinal(text.size()), text.data());
            const std::size_t at = std::min<std::size_t>(position, model.size());
            model.replace(at, std::min(text.size(), model.size() - at), text);
            break;
        }
        case 3: {
            const Cardinal cut = Cardinal(random() % (size + 1));
            store->Truncate(cut);
            model.resize(cut);
            break;
        }
        case 4: {
            const Cardinal value = Cardinal(random() % (size + 20));
            store->SetSize(value);
            model.resize(value, '\0');
            break;
        }
        case 5: store->Defrag(); break;
        case 6: store->Compress(); break;
        default: {
            TDcBlobData* copy = new TDcBlobData;
            store->CopyTo(copy);
            ASSERT_EQ(CompareStore(*copy, model), "") << "copy, step " << step;
            copy->Free();
        }
        }
        if (!model.empty() && random() % 4 == 0) { // a read at a random place
            const Cardinal position = Cardinal(random() % model.size());
            std::string part(random() % 30 + 1, '\0');
            const Cardinal n = store->Read(position, Cardinal(part.size()), part.data());
            ASSERT_EQ(std::string(part.data(), n), model.substr(position, part.size()))
                << "step " << step;
        }
        ASSERT_EQ(CompareStore(*store, model), "") << "step " << step;
    }
    // The deliberate fault: a piece that claims one byte less than it holds.
    if (store->FirstPiece() && store->FirstPiece()->Used > 0) {
        --store->FirstPiece()->Used;
        EXPECT_NE(CompareStore(*store, model), "");
        ++store->FirstPiece()->Used;
    }
    store->Free();
}

} // namespace
