// Storing defined properties and reading them back: a component with a parameter collection, a
// name, a flag and a read-only legacy block, as data-access components store theirs.
#include "framework/Conversions.h"
#include "framework/DB.h"
#include "framework/Filer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

class TStoredCommand : public TComponent {
    CLASS_INFO(TStoredCommand, TComponent)
public:
    explicit TStoredCommand(TComponent* AOwner) : TComponent(AOwner) {
        Params = Construct<TParams>(this);
    }
    ~TStoredCommand() override { Params->Free(); }

    TParams* Params;
    UnicodeString ProcName;
    bool IsQuery = false;
    std::string Legacy; // what the old block held

protected:
    void DefineProperties(TFiler* Filer) override {
        TComponent::DefineProperties(Filer);
        // Written when they differ from the ancestor's, or, without one, when there are any.
        auto* ancestor = dynamic_cast<TStoredCommand*>(Filer->Ancestor());
        const bool paramsDiffer =
            ancestor ? !Params->IsEqual(ancestor->Params) : Params->Count() > 0;
        Filer->DefineProperty(
            L"ParamData", [this](TReader* r) { r->ReadCollection(Params); },
            [this](TWriter* w) { w->WriteCollection(Params); }, paramsDiffer);
        Filer->DefineProperty(
            L"CommandStoredProcName", [this](TReader* r) { ProcName = r->ReadString(); },
            [this](TWriter* w) { w->WriteString(ProcName); }, !ProcName.empty());
        Filer->DefineProperty(
            L"StoredProcIsQuery", [this](TReader* r) { IsQuery = r->ReadBoolean(); },
            [this](TWriter* w) { w->WriteBoolean(IsQuery); }, IsQuery);
        Filer->DefineBinaryProperty(
            L"Data",
            [this](TStream* s) {
                Legacy.resize(std::size_t(s->Size()));
                s->ReadBuffer(Legacy.data(), NativeInt(Legacy.size()));
            },
            {}, false);
    }
};

class Filer : public ::testing::Test {
protected:
    void SetUp() override {
        Stream = Construct<TMemoryStream>();
        Source = Construct<TStoredCommand>(nullptr);
        Target = Construct<TStoredCommand>(nullptr);
    }
    void TearDown() override {
        Stream->Free();
        Source->Free();
        Target->Free();
    }
    void Write(TPersistent* Ancestor = nullptr) {
        TWriter* writer = Construct<TWriter>(Stream);
        writer->SetAncestor(Ancestor);
        writer->WriteProperties(Source);
        writer->Free();
    }
    void Read() {
        Stream->SetPosition(0);
        TReader* reader = Construct<TReader>(Stream);
        try {
            reader->ReadProperties(Target);
        } catch (...) {
            reader->Free();
            throw;
        }
        reader->Free();
    }
    void Reset() {
        Stream->SetSize(0);
        Stream->SetPosition(0);
    }

public:
    // Raw bytes and names, for the reader's error cases.
    void Bytes(std::initializer_list<int> bytes) {
        for (int b : bytes) {
            const Byte byte = Byte(b);
            Stream->WriteBuffer(&byte, 1);
        }
    }
    void Name(const char* text) {
        const Integer count = Integer(std::strlen(text));
        Stream->WriteBuffer(&count, 4);
        Stream->WriteBuffer(text, count);
    }

protected:
    TMemoryStream* Stream = nullptr;
    TStoredCommand* Source = nullptr;
    TStoredCommand* Target = nullptr;
};

} // namespace

TEST_F(Filer, DefinedPropertiesComeBackAsTheyWere) {
    Source->Params->CreateParam(ftInteger, L"ID", ptInput)->SetAsInteger(-70000);
    Source->Params->CreateParam(ftWideString, L"名前", ptInputOutput)->SetAsString(L"东京 ok");
    TParam* amount = Source->Params->CreateParam(ftCurrency, L"Amount", ptInput);
    amount->SetAsCurrency(Currency::FromScaled(123456789));
    amount->SetPrecision(19);
    amount->SetNumericScale(4);
    Source->Params->CreateParam(ftLargeint, L"Big", ptInput)->SetAsLargeInt(1LL << 40);
    Source->Params->CreateParam(ftFloat, L"Ratio", ptOutput)->SetAsFloat(0.1);
    Source->Params->CreateParam(ftDateTime, L"At", ptInput)
        ->SetAsDateTime(EncodeDate(2026, 12, 11) + 0.5);
    Source->Params->CreateParam(ftBoolean, L"Flag", ptInput)->SetAsBoolean(true);
    Source->Params->CreateParam(ftBlob, L"Raw", ptInput)->SetAsBlob({0, 1, 255, 0});
    TParam* null = Source->Params->CreateParam(ftString, L"Nothing", ptInput);
    null->SetValue(Null());
    null->SetSize(30);
    Source->Params->CreateParam(ftString, L"Unbound", ptInput);
    Source->ProcName = L"GetOrders";
    Source->IsQuery = true;
    Write();
    Target->Params->CreateParam(ftString, L"Stale", ptInput);
    Read();
    EXPECT_EQ(Stream->Position(), Stream->Size());

    ASSERT_EQ(Target->Params->Count(), Source->Params->Count());
    EXPECT_TRUE(Target->Params->IsEqual(Source->Params));
    for (int i = 0; i < Source->Params->Count(); ++i) {
        TParam* a = Source->Params->Items(i);
        TParam* b = Target->Params->Items(i);
        SCOPED_TRACE(std::to_string(i));
        EXPECT_EQ(b->Name(), a->Name());
        EXPECT_EQ(b->DataType(), a->DataType());
        EXPECT_EQ(b->ParamType(), a->ParamType());
        EXPECT_EQ(b->Size(), a->Size());
        EXPECT_EQ(b->Bound(), a->Bound());
        EXPECT_EQ(VarType(b->Value()), VarType(a->Value()));
    }
    EXPECT_EQ(Target->Params->ParamByName(L"名前")->AsString(), L"东京 ok");
    EXPECT_EQ(Target->Params->ParamByName(L"Amount")->AsCurrency().Value, 123456789);
    EXPECT_EQ(Target->Params->ParamByName(L"Amount")->NumericScale(), 4);
    EXPECT_EQ(Target->Params->ParamByName(L"Big")->AsLargeInt(), 1LL << 40);
    EXPECT_EQ(Target->Params->ParamByName(L"Ratio")->AsFloat(), 0.1);
    EXPECT_EQ(Target->Params->ParamByName(L"Raw")->AsBlob(), (std::vector<Byte>{0, 1, 255, 0}));
    EXPECT_TRUE(Target->Params->ParamByName(L"Nothing")->IsNull());
    EXPECT_FALSE(Target->Params->ParamByName(L"Unbound")->Bound());
    EXPECT_EQ(Target->ProcName, L"GetOrders");
    EXPECT_TRUE(Target->IsQuery);
}

TEST_F(Filer, OnlyWhatDiffersFromTheAncestorIsWritten) {
    // Nothing to store: only the end of the list.
    Write();
    EXPECT_EQ(Stream->Size(), 4);
    // Equal parameters against an ancestor are left out; different ones are written.
    TStoredCommand* ancestor = Construct<TStoredCommand>(nullptr);
    ancestor->Params->CreateParam(ftInteger, L"ID", ptInput)->SetAsInteger(1);
    Source->Params->CreateParam(ftInteger, L"ID", ptInput)->SetAsInteger(1);
    Reset();
    Write(ancestor);
    EXPECT_EQ(Stream->Size(), 4);
    Source->Params->Items(0)->SetAsInteger(2);
    Reset();
    Write(ancestor);
    Read();
    EXPECT_EQ(Target->Params->ParamByName(L"ID")->AsInteger(), 2);
    ancestor->Free();
}

TEST_F(Filer, AReadOnlyLegacyBlockIsReadButNeverWritten) {
    Name("Data");
    Bytes({vaBinary, 3, 0, 0, 0, 'd', 1, 0});
    Name("");
    Read();
    EXPECT_EQ(Target->Legacy, std::string("d\x01\x00", 3));
    Reset();
    Source->Legacy = "kept";
    Write();
    EXPECT_EQ(Stream->Size(), 4);
}

TEST_F(Filer, DamagedStreamsRaiseReadErrors) {
    struct TCase {
        const char* What;
        void (*Fill)(Filer*);
    };
    const TCase cases[] = {
        {"unknown property",
         [](Filer* f) {
             f->Name("Colour");
             f->Bytes({vaInt8, 1});
             f->Name("");
         }},
        {"wrong value type",
         [](Filer* f) {
             f->Name("StoredProcIsQuery");
             f->Bytes({vaString, 0, 0, 0, 0});
             f->Name("");
         }},
        {"unknown tag",
         [](Filer* f) {
             f->Name("StoredProcIsQuery");
             f->Bytes({200});
             f->Name("");
         }},
        {"text longer than the stream",
         [](Filer* f) {
             f->Name("CommandStoredProcName");
             f->Bytes({vaString, 0xFF, 0xFF, 0, 0, 'a'});
         }},
        {"no end of the list", [](Filer* f) { f->Name("StoredProcIsQuery"); }},
        {"negative name length",
         [](Filer* f) {
             f->Bytes({0xFF, 0xFF, 0xFF, 0xFF});
         }},
        {"integer out of 32 bits",
         [](Filer* f) {
             f->Name("ParamData");
             f->Bytes({vaCollection, vaList});
             f->Name("Size");
             f->Bytes({vaInt64, 0, 0, 0, 0, 1, 0, 0, 0});
         }},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        Reset();
        c.Fill(this);
        EXPECT_THROW(Read(), EReadError);
    }
}
