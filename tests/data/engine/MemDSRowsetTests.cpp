// The rowset XML export of the memory dataset: the document against a golden file, read back
// with the system's XML parser (MSXML through COM) so that it is well-formed and holds every
// row and value, generated names that never repeat a real field's name, and the dataset left as
// it was.
#include "MemDSFixture.h"

#include "framework/DateTime.h"
#include "framework/FormatSettings.h"
#include "framework/Interfaces.h"

#include <windows.h>

#include <msxml2.h>

#include <cstdlib>
#include <map>

namespace {

// The document parsed by the system's DOM: its rows as attribute maps, or the parser's reason.
struct TParsed {
    bool Available = false; // the DOM could be created
    UnicodeString Error;    // empty when the document is well-formed
    std::vector<std::map<UnicodeString, UnicodeString>> Rows;
    std::vector<UnicodeString> SchemaNames; // the "name" of every s:AttributeType
};

UnicodeString AttributeText(IXMLDOMNode* Node, const wchar_t* Name) {
    TComPtr<IXMLDOMNamedNodeMap> attributes;
    Node->get_attributes(attributes.Put());
    TComPtr<IXMLDOMNode> attribute;
    BSTR name = SysAllocString(Name);
    attributes->getNamedItem(name, attribute.Put());
    SysFreeString(name);
    if (!attribute) return L"?";
    BSTR text = nullptr;
    attribute->get_text(&text);
    UnicodeString value = text ? text : L"";
    SysFreeString(text);
    return value;
}

TParsed ParseWithSystemDom(const std::string& Utf8) {
    TParsed parsed;
    CLSID clsid;
    TComPtr<IXMLDOMDocument> document;
    if (FAILED(CLSIDFromProgID(L"Msxml2.DOMDocument.3.0", &clsid)) ||
        FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument,
                                reinterpret_cast<void**>(document.Put()))))
        return parsed;
    parsed.Available = true;
    document->put_async(VARIANT_FALSE);
    const int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, Utf8.data(), int(Utf8.size()),
                                      nullptr, 0);
    if (n <= 0 && !Utf8.empty()) {
        parsed.Error = L"not UTF-8";
        return parsed;
    }
    UnicodeString text(std::size_t(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, Utf8.data(), int(Utf8.size()), text.data(), n);
    BSTR source = SysAllocString(text.c_str());
    VARIANT_BOOL loaded = VARIANT_FALSE;
    document->loadXML(source, &loaded);
    SysFreeString(source);
    if (!loaded) {
        TComPtr<IXMLDOMParseError> error;
        document->get_parseError(error.Put());
        BSTR reason = nullptr;
        error->get_reason(&reason);
        parsed.Error = reason ? reason : L"not well-formed";
        SysFreeString(reason);
        return parsed;
    }
    // Every element of a qualified name, in document order.
    const auto elements = [&](const wchar_t* Tag, auto&& Each) {
        const auto walk = [&](auto& self, IXMLDOMNode* Node) -> void {
            BSTR name = nullptr;
            Node->get_nodeName(&name);
            const bool match = name && UnicodeString(name) == Tag;
            SysFreeString(name);
            if (match) Each(Node);
            TComPtr<IXMLDOMNodeList> children;
            Node->get_childNodes(children.Put());
            long length = 0;
            children->get_length(&length);
            for (long i = 0; i < length; ++i) {
                TComPtr<IXMLDOMNode> child;
                children->get_item(i, child.Put());
                self(self, child.Get());
            }
        };
        TComPtr<IXMLDOMElement> root;
        document->get_documentElement(root.Put());
        walk(walk, root.Get());
    };
    elements(L"s:AttributeType", [&](IXMLDOMNode* Node) {
        parsed.SchemaNames.push_back(AttributeText(Node, L"name"));
    });
    elements(L"z:row", [&](IXMLDOMNode* Node) {
        std::map<UnicodeString, UnicodeString> row;
        TComPtr<IXMLDOMNamedNodeMap> attributes;
        Node->get_attributes(attributes.Put());
        long count = 0;
        attributes->get_length(&count);
        for (long i = 0; i < count; ++i) {
            TComPtr<IXMLDOMNode> attribute;
            attributes->get_item(i, attribute.Put());
            BSTR name = nullptr, value = nullptr;
            attribute->get_nodeName(&name);
            attribute->get_text(&value);
            row[name] = value ? value : L"";
            SysFreeString(name);
            SysFreeString(value);
        }
        parsed.Rows.push_back(std::move(row));
    });
    return parsed;
}

std::string Resource(const wchar_t* Name) {
    HRSRC found = FindResourceW(nullptr, Name, MAKEINTRESOURCEW(10)); // RCDATA
    if (!found) return {};
    HGLOBAL loaded = LoadResource(nullptr, found);
    return std::string(static_cast<const char*>(LockResource(loaded)),
                       std::size_t(SizeofResource(nullptr, found)));
}

class MemDataSetRowset : public MemDSTest {
protected:
    void SetUp() override {
        MemDSTest::SetUp();
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    }
    void TearDown() override {
        MemDSTest::TearDown();
        CoUninitialize();
    }
    void OpenSample() {
        DS->SetColumns({{L"ID", dtInt32, 0, 0, true},
                        {L"NAME", dtString, 20},
                        {L"FIRST NAME", dtString, 10},
                        {L"c1", dtInt32},
                        {L"2ND", dtInt16},
                        {L"AMOUNT", dtFloat, 15},
                        {L"BORN", dtDateTime},
                        {L"FLAG", dtBoolean},
                        {L"DATA", dtBlob},
                        {L"PRICE", dtCurrency, 10},
                        {L"NOTE", dtWideString, 8},
                        {L"FIXED", dtInt32, 0, 0, false, true}});
        DS->Open();
        DS->Append();
        DS->FieldByName(L"ID")->SetAsInteger(1);
        DS->FieldByName(L"NAME")->SetAsString(L"Alpha & <Co>");
        DS->FieldByName(L"FIRST NAME")->SetAsString(L"Ann's \"A\"");
        DS->FieldByName(L"c1")->SetAsInteger(7);
        DS->FieldByName(L"2ND")->SetAsInteger(-2);
        DS->FieldByName(L"AMOUNT")->SetAsFloat(1.5);
        DS->FieldByName(L"BORN")->SetAsDateTime(EncodeDate(2012, 1, 5) + EncodeTime(7, 8, 9, 500));
        DS->FieldByName(L"FLAG")->SetAsBoolean(true);
        {
            TOwned<TStream> blob(DS->CreateBlobStream(DS->FieldByName(L"DATA"), bmWrite));
            const Byte bytes[] = {1, 171, 255};
            blob->WriteBuffer(bytes, 3);
        }
        DS->FieldByName(L"PRICE")->SetAsFloat(12.5);
        DS->FieldByName(L"NOTE")->SetAsWideString(L"\u4e2d\u6587");
        DS->Post();
        DS->AppendRecord({2});
        DS->First();
    }
    std::string Export() {
        TOwned<TMemoryStream> stream(Construct<TMemoryStream>());
        DS->SaveToXML(stream.Object);
        return std::string(static_cast<const char*>(stream->Memory()), std::size_t(stream->Size()));
    }
};

TEST_F(MemDataSetRowset, DocumentMatchesTheGoldenFile) {
    if (std::getenv("DATAENGINE_EXPECT_COMMA")) {
        ASSERT_EQ(FormatSettings().DecimalSeparator, L',') << "the locale has no decimal comma";
    }
    OpenSample();
    const std::string golden = Resource(L"ROWSET_GOLDEN");
    ASSERT_FALSE(golden.empty());
    EXPECT_EQ(Export(), golden);
}

TEST_F(MemDataSetRowset, SavesToAFileItReplaces) {
    OpenSample();
    wchar_t folder[MAX_PATH], name[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    GetTempFileNameW(folder, L"row", 0, name);
    {
        TOwned<TFileStream> old(new TFileStream(name, fmCreate));
        old->WriteBuffer("older and longer content than nothing", 37);
    }
    DS->SaveToXML(UnicodeString(name));
    std::string saved;
    {
        TOwned<TFileStream> file(new TFileStream(name, fmOpenRead));
        saved.resize(std::size_t(file->Size()));
        file->ReadBuffer(saved.data(), NativeInt(saved.size()));
    }
    DeleteFileW(name);
    EXPECT_EQ(saved, Export());
}

TEST_F(MemDataSetRowset, SystemParserReadsEveryRowAndValue) {
    OpenSample();
    const TParsed parsed = ParseWithSystemDom(Export());
    if (!parsed.Available) GTEST_SKIP() << "no DOM document class on this system";
    ASSERT_EQ(parsed.Error, L"");
    // A real field named c1 keeps its name; the unsafe names skip it.
    EXPECT_EQ(parsed.SchemaNames,
              (std::vector<UnicodeString>{L"ID", L"NAME", L"c2", L"c1", L"c3", L"AMOUNT", L"BORN",
                                          L"FLAG", L"DATA", L"PRICE", L"NOTE", L"FIXED"}));
    ASSERT_EQ(parsed.Rows.size(), 2u);
    const std::map<UnicodeString, UnicodeString> first{{L"ID", L"1"},
                                                       {L"NAME", L"Alpha & <Co>"},
                                                       {L"c2", L"Ann's \"A\""},
                                                       {L"c1", L"7"},
                                                       {L"c3", L"-2"},
                                                       {L"AMOUNT", L"1.5"},
                                                       {L"BORN", L"2012-01-05T07:08:09"},
                                                       {L"FLAG", L"True"},
                                                       {L"DATA", L"01ABFF"},
                                                       {L"PRICE", L"12.5"},
                                                       {L"NOTE", L"\u4e2d\u6587"}};
    EXPECT_EQ(parsed.Rows[0], first);
    EXPECT_EQ(parsed.Rows[1], (std::map<UnicodeString, UnicodeString>{{L"ID", L"2"}}));
}

// Persistent fields spelt in another case than the columns still give rows whose attributes
// are the schema's names.
TEST_F(MemDataSetRowset, RowsUseTheSchemaNames) {
    DS->SetColumns({{L"ID", dtInt32}, {L"NAME", dtString, 10}});
    TIntegerField* id = Construct<TIntegerField>(DS);
    id->SetFieldName(L"id");
    id->SetDataSet(DS);
    TStringField* name = Construct<TStringField>(DS);
    name->SetFieldName(L"Name");
    name->SetSize(10);
    name->SetDataSet(DS);
    DS->Open();
    DS->AppendRecord({5, L"x"});
    const TParsed parsed = ParseWithSystemDom(Export());
    if (!parsed.Available) GTEST_SKIP() << "no DOM document class on this system";
    ASSERT_EQ(parsed.Error, L"");
    EXPECT_EQ(parsed.SchemaNames, (std::vector<UnicodeString>{L"ID", L"NAME"}));
    ASSERT_EQ(parsed.Rows.size(), 1u);
    EXPECT_EQ(parsed.Rows[0],
              (std::map<UnicodeString, UnicodeString>{{L"ID", L"5"}, {L"NAME", L"x"}}));
}

// Tabs and line breaks survive the reader's attribute-value normalisation.
TEST_F(MemDataSetRowset, LineBreaksAndTabsComeBack) {
    DS->SetColumns({{L"NOTE", dtString, 20}});
    DS->Open();
    DS->AppendRecord({L"a\tb\r\nc\nd"});
    const TParsed parsed = ParseWithSystemDom(Export());
    if (!parsed.Available) GTEST_SKIP() << "no DOM document class on this system";
    ASSERT_EQ(parsed.Error, L"");
    ASSERT_EQ(parsed.Rows.size(), 1u);
    EXPECT_EQ(parsed.Rows[0].at(L"NOTE"), L"a\tb\r\nc\nd");
}

TEST_F(MemDataSetRowset, DataSetIsLeftAsItWas) {
    OpenSample();
    DS->Next();
    Export();
    EXPECT_TRUE(DS->Active());
    EXPECT_EQ(DS->FieldByName(L"ID")->AsInteger(), 2);
    DS->Close();
    DS->SetColumns({{L"ID", dtInt32}});
    const std::string empty = Export(); // a closed dataset is opened and closed again
    EXPECT_FALSE(DS->Active());
    EXPECT_NE(empty.find("<rs:data>\r\n  </rs:data>"), std::string::npos) << empty;
}

TEST_F(MemDataSetRowset, UnsupportedTypesAreRefused) {
    DS->SetColumns({{L"ID", dtInt32}, {L"ODD", dtUnknown}});
    try {
        DS->Open();
        ADD_FAILURE() << "no error";
    } catch (const EDatabaseError& E) {
        EXPECT_EQ(E.Message(), L"People: Data type is not supported");
    }
    EXPECT_FALSE(DS->Active());
}

} // namespace
