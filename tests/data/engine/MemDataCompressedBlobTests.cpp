// Compressed blobs: the stored format (checked against zlib itself), when content is kept
// compressed and when it turns plain, damaged streams and missing hooks.
#include "data/engine/MemDataBlobs.h"
#include "data/engine/MemUtils.h"

#include "EngineModules.h"

#include <zlib.h>

#include <random>

namespace {

const Byte Mark[16] = {0x39, 0x8C, 0x9D, 0xF1, 0x58, 0x55, 0x49, 0x38,
                       0xA6, 0x52, 0x87, 0xCE, 0xE0, 0xC6, 0xDA, 0x7E};

class CompressedBlobTest : public EngineModulesTest {
protected:
    CompressedBlobTest() : EngineModulesTest({MemUtilsModule()}) {}
    void SetUp() override {
        EngineModulesTest::SetUp();
        FBlob = Construct<TCompressedBlob>(false);
    }
    void TearDown() override {
        FBlob->Free();
        EngineModulesTest::TearDown();
    }

    void Put(const std::string& data) { FBlob->Write(0, Cardinal(data.size()), data.data()); }
    std::string All() {
        std::string content(FBlob->Size(), '\0');
        if (!content.empty()) content.resize(FBlob->Read(0, 0, content.data()));
        return content;
    }
    std::string Stored() {
        PPieceHeader piece = FBlob->FirstPiece();
        return std::string(reinterpret_cast<const char*>(TDcBlobData::PieceData(piece)),
                           piece->Used);
    }
    static std::string Noise(std::size_t n, unsigned seed) {
        std::mt19937 random(seed);
        std::string data(n, '\0');
        for (char& c : data) c = char(random());
        return data;
    }

    TCompressedBlob* FBlob = nullptr;
};

TEST_F(CompressedBlobTest, StoredFormatIsTheMarkTheSizeAndAZlibStream) {
    const std::string data(10000, 'a');
    Put(data);
    FBlob->SetCompressed(true);
    ASSERT_TRUE(FBlob->Compressed());
    EXPECT_EQ(FBlob->FirstPiece()->Next, nullptr);
    const std::string stored = Stored();
    EXPECT_EQ(stored.compare(0, 16, reinterpret_cast<const char*>(Mark), 16), 0);
    Cardinal size;
    std::memcpy(&size, stored.data() + 16, 4);
    EXPECT_EQ(size, 10000u);
    // zlib itself reads the stream after the header.
    std::string expanded(10000, '\0');
    uLongf expandedLen = 10000;
    ASSERT_EQ(uncompress(reinterpret_cast<Bytef*>(expanded.data()), &expandedLen,
                         reinterpret_cast<const Bytef*>(stored.data() + 20),
                         uLong(stored.size() - 20)),
              Z_OK);
    EXPECT_EQ(expanded, data);
    EXPECT_EQ(FBlob->Size(), 10000u);
    EXPECT_EQ(FBlob->CompressedSize(), stored.size());
    EXPECT_LT(FBlob->CompressedSize(), 200u);
}

TEST_F(CompressedBlobTest, WholeReadsKeepItCompressedPartialReadsDoNot) {
    const std::string data(10000, 'b');
    Put(data);
    FBlob->SetCompressed(true);
    EXPECT_EQ(All(), data);
    EXPECT_TRUE(FBlob->Compressed());
    char part[10];
    EXPECT_EQ(FBlob->Read(5, 10, part), 10u);
    EXPECT_EQ(std::string(part, 10), std::string(10, 'b'));
    EXPECT_FALSE(FBlob->Compressed());
    EXPECT_EQ(All(), data);
    EXPECT_THROW(FBlob->CompressedSize(), Exception);
}

TEST_F(CompressedBlobTest, WritesKeepOrDropCompression) {
    const std::string data(4000, 'c');
    Put(data);
    FBlob->SetCompressed(true);
    const std::string other(4000, 'd');
    Put(other); // a whole rewrite of the same size
    EXPECT_TRUE(FBlob->Compressed());
    EXPECT_EQ(All(), other);
    Put(std::string(10, 'e')); // another count: plain first
    EXPECT_FALSE(FBlob->Compressed());
    EXPECT_EQ(All(), std::string(10, 'e') + std::string(3990, 'd'));

    FBlob->SetCompressed(true);
    ASSERT_TRUE(FBlob->Compressed());
    FBlob->Clear(); // as the text properties do before writing
    EXPECT_FALSE(FBlob->Compressed());
    Put(data);
    EXPECT_FALSE(FBlob->Compressed()) << "a plain store is never compressed by writing";
}

TEST_F(CompressedBlobTest, SmallOrIncompressibleContentStaysPlain) {
    Put(std::string(40, 'x'));
    FBlob->SetCompressed(true);
    EXPECT_FALSE(FBlob->Compressed());
    FBlob->Clear();
    Put(Noise(1000, 1));
    TCompressedBlobData* store = static_cast<TCompressedBlobData*>(FBlob->GetData());
    EXPECT_TRUE(store->SetCompressed(true));
    EXPECT_FALSE(FBlob->Compressed());
    EXPECT_EQ(All(), Noise(1000, 1));
    EXPECT_FALSE(store->SetCompressed(false)) << "already plain";
    TCompressedBlobData empty;
    EXPECT_FALSE(empty.SetCompressed(true));
}

TEST_F(CompressedBlobTest, AMarkWithoutContentIsNotCompressed) {
    Put(std::string(reinterpret_cast<const char*>(Mark), 16) + std::string("\x10\0\0\0", 4));
    EXPECT_FALSE(FBlob->Compressed());
    EXPECT_EQ(FBlob->Size(), 20u);
}

TEST_F(CompressedBlobTest, RoundTrips) {
    std::string text;
    while (text.size() < (6u << 20))
        text +=
            "SELECT name, value FROM settings WHERE id = " + std::to_string(text.size()) + ";\n";
    for (const std::string& data : {std::string("z"), std::string(51, 'q'), Noise(70000, 2), text,
                                    text.substr(0, 100000) + Noise(100000, 3)}) {
        FBlob->Clear();
        Put(data);
        FBlob->SetCompressed(true);
        EXPECT_EQ(FBlob->Size(), data.size());
        EXPECT_EQ(All(), data);
        FBlob->SetCompressed(false);
        EXPECT_FALSE(FBlob->Compressed());
        EXPECT_EQ(All(), data);
    }
    FBlob->Clear();
    FBlob->SetCompressed(true); // empty: nothing to do
    EXPECT_EQ(FBlob->Size(), 0u);
}

TEST_F(CompressedBlobTest, ADamagedStreamIsReportedAndKept) {
    Put(std::string(5000, 'k'));
    FBlob->SetCompressed(true);
    ASSERT_TRUE(FBlob->Compressed());
    Byte* stored = TDcBlobData::PieceData(FBlob->FirstPiece());
    for (Cardinal i = 22; i < FBlob->FirstPiece()->Used; ++i) stored[i] ^= 0x5A;
    std::string out(5000, '\0');
    try {
        FBlob->Read(0, 0, out.data());
        FAIL() << "a damaged stream was read";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), L"Invalid compressed blob data");
    }
    EXPECT_TRUE(FBlob->Compressed());
    EXPECT_THROW(FBlob->SetCompressed(false), Exception);
    EXPECT_TRUE(FBlob->Compressed());
}

TEST_F(CompressedBlobTest, MissingHooks) {
    CompressorHook = nullptr;
    Put(std::string(40, 'm'));
    EXPECT_NO_THROW(FBlob->SetCompressed(true)); // 50 bytes or less: nothing to do
    FBlob->Clear();
    Put(std::string(100, 'm'));
    try {
        FBlob->SetCompressed(true);
        FAIL() << "compressed without a compressor";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), L"Compressor function is not linked");
    }
    EXPECT_EQ(All(), std::string(100, 'm'));
}

TEST_F(CompressedBlobTest, RollbackOfACompressedBlob) {
    Put(std::string(3000, 'r'));
    FBlob->SetCompressed(true);
    FBlob->EnableRollback();
    Put(std::string(3000, 's'));
    EXPECT_TRUE(FBlob->Compressed());
    FBlob->Cancel();
    EXPECT_TRUE(FBlob->Compressed());
    EXPECT_EQ(All(), std::string(3000, 'r'));
}

} // namespace
