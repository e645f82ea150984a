// The XML writer: the text each call sequence produces (quotes, indentation, end-tag rules,
// attribute insertion, namespaces), escaping of every character class, the three errors with
// the writer left as it was, and the stream writer over files and streams.
#include "data/engine/DcXml.h"

#include "EngineModules.h"

#include <windows.h>

#include <functional>
#include <string>

namespace {

// The bytes a sequence of writer calls produces (UTF-8).
std::string Written(const std::function<void(XmlTextWriter&)>& Calls) {
    TOwned<TMemoryStream> stream(Construct<TMemoryStream>());
    TOwned<StreamWriter> output(Construct<StreamWriter>(stream.Object, Encoding::UTF8()));
    TOwned<XmlTextWriter> writer(Construct<XmlTextWriter>(output.Object));
    Calls(*writer);
    writer->Close();
    return std::string(static_cast<const char*>(stream->Memory()), std::size_t(stream->Size()));
}

void Apostrophe(XmlTextWriter& W) { W.SetQuoteChar(L'\''); }

class XmlWriter : public EngineModulesTest {
protected:
    XmlWriter() : EngineModulesTest({CLRClassesModule()}) {}
};

TEST_F(XmlWriter, CallSequences) {
    const struct {
        const char* Name;
        std::function<void(XmlTextWriter&)> Calls;
        std::string Text;
    } cases[] = {
        {"attribute, apostrophes",
         [](XmlTextWriter& W) {
             Apostrophe(W);
             W.WriteStartElement(L"a");
             W.WriteAttributeString(L"x", L"1");
             W.WriteEndElement();
         },
         "<a x='1' />"},
        {"empty element",
         [](XmlTextWriter& W) {
             W.WriteStartElement(L"a");
             W.WriteEndElement();
         },
         "<a>\r\n</a>"},
        {"two attributes in order",
         [](XmlTextWriter& W) {
             W.WriteStartElement(L"a");
             W.WriteAttributeString(L"x", L"1");
             W.WriteAttributeString(L"y", L"2");
             W.WriteFullEndElement();
         },
         "<a x=\"1\" y=\"2\">\r\n</a>"},
        {"child without indentation",
         [](XmlTextWriter& W) {
             W.WriteStartElement(L"a");
             W.WriteStartElement(L"b");
             W.WriteAttributeString(L"k", L"v");
             W.WriteEndElement();
             W.WriteEndElement();
         },
         "<a>\r\n<b k=\"v\" />\r\n</a>"},
        {"child indented by two",
         [](XmlTextWriter& W) {
             W.SetFormatting(fmtIndented);
             W.WriteStartElement(L"a");
             W.WriteStartElement(L"b");
             W.WriteAttributeString(L"k", L"v");
             W.WriteEndElement();
             W.WriteStartElement(L"c");
             W.WriteEndElement();
             W.WriteEndElement();
         },
         "<a>\r\n  <b k=\"v\" />\r\n  <c>\r\n  </c>\r\n</a>"},
        {"indent character and width",
         [](XmlTextWriter& W) {
             W.SetFormatting(fmtIndented);
             W.SetIndentation(1);
             W.SetIndentChar(L'\t');
             W.WriteStartElement(L"a");
             W.WriteStartElement(L"b");
             W.WriteStartElement(L"c");
             W.WriteAttributeString(L"k", L"v");
             W.WriteEndElement();
             W.WriteEndElement();
             W.WriteEndElement();
         },
         "<a>\r\n\t<b>\r\n\t\t<c k=\"v\" />\r\n\t</b>\r\n</a>"},
        {"text content",
         [](XmlTextWriter& W) {
             W.WriteStartElement(L"a");
             W.WriteString(L"x<y");
             W.WriteEndElement();
         },
         "<a>x<y\r\n</a>"},
        {"element strings",
         [](XmlTextWriter& W) {
             W.SetFormatting(fmtIndented);
             W.WriteStartElement(L"a");
             W.WriteElementString(L"b", L"1 & 2");
             W.WriteElementString(L"c", L"urn:c", L"");
             W.WriteEndElement();
         },
         // Right after a start tag the element string goes one level deeper than after content.
         "<a>\r\n    <b>1 &#x26; 2</b>\r\n  <c xmlns=\"urn:c\"></c>\r\n</a>"},
        {"namespaces",
         [](XmlTextWriter& W) {
             Apostrophe(W);
             W.WriteStartElement(L"p", L"e", L"urn:e");
             W.WriteAttributeString(L"q", L"at", L"urn:q", L"1");
             W.WriteEndElement();
             W.WriteStartElement(L"d", L"urn:d");
             W.WriteEndElement();
         },
         // A start tag at depth 0 begins no new line.
         "<p:e xmlns:p='urn:e' q:at='1' xmlns:q='urn:q' /><d xmlns='urn:d'>\r\n</d>"},
    };
    for (const auto& c : cases) EXPECT_EQ(Written(c.Calls), c.Text) << c.Name;
}

TEST_F(XmlWriter, EscapesEveryCharacterClass) {
    const UnicodeString raw = L"a&b'c\"d<e>f &#x26; \u4e2d\u00e9";
    EXPECT_EQ(XmlEscape(raw), L"a&#x26;b&#x27;c&#x22;d&#x3c;e&#x3e;f &#x26;#x26; \u4e2d\u00e9");
    EXPECT_EQ(XmlEscape(L"1\t2\r\n3"), L"1&#x9;2&#xd;&#xa;3");
    const std::string text = Written([&](XmlTextWriter& W) {
        W.WriteStartElement(L"a");
        W.WriteAttributeString(L"v", L"&<>'\"");
        W.WriteEndElement();
        W.WriteStartElement(L"b");
        W.WriteString(L"&<");
        W.WriteEndElement();
    });
    EXPECT_EQ(text, "<a v=\"&#x26;&#x3c;&#x3e;&#x27;&#x22;\" /><b>&<\r\n</b>");
    // Other characters go out as UTF-8, without a byte-order mark.
    EXPECT_EQ(Written([](XmlTextWriter& W) {
                  W.WriteStartElement(L"a");
                  W.WriteAttributeString(L"v", L"\u4e2d");
                  W.WriteEndElement();
              }),
              "<a v=\"\xe4\xb8\xad\" />");
}

TEST_F(XmlWriter, RefusedCallsLeaveTheWriterAsItWas) {
    const auto refused = [](const std::function<void(XmlTextWriter&)>& Calls) {
        UnicodeString message;
        const std::string text = Written([&](XmlTextWriter& W) {
            W.WriteStartElement(L"a");
            W.WriteAttributeString(L"x", L"1");
            try {
                Calls(W);
            } catch (const XmlException& E) {
                message = E.Message();
            }
            W.WriteEndElement();
        });
        EXPECT_EQ(text, "<a x=\"1\" />") << "the writer changed";
        return message;
    };
    EXPECT_EQ(refused([](XmlTextWriter& W) { W.WriteStartElement(L"p", L"b", L""); }),
              L"Cannot use a prefix with an empty namespace.");
    EXPECT_EQ(refused([](XmlTextWriter& W) { W.WriteAttributeString(L"p", L"y", L"", L"2"); }),
              L"Cannot use a prefix with an empty namespace.");
    UnicodeString message;
    Written([&](XmlTextWriter& W) {
        W.WriteStartElement(L"a");
        W.WriteString(L"t");
        try {
            W.WriteAttributeString(L"x", L"1");
        } catch (const XmlException& E) {
            message = E.Message();
        }
        W.WriteEndElement();
        EXPECT_THROW(W.WriteEndElement(), XmlException);
        EXPECT_THROW(W.WriteFullEndElement(), XmlException);
    });
    EXPECT_EQ(message,
              L"Token WriteAttributeString in state Content would result in an invalid XML "
              L"document.");
    TOwned<TMemoryStream> stream(Construct<TMemoryStream>());
    TOwned<StreamWriter> output(Construct<StreamWriter>(stream.Object, Encoding::UTF8()));
    TOwned<XmlTextWriter> writer(Construct<XmlTextWriter>(output.Object));
    EXPECT_EQ(writer->WriteState(), wsStart);
    try {
        writer->WriteEndElement();
        ADD_FAILURE() << "no error";
    } catch (const XmlException& E) {
        EXPECT_EQ(E.Message(), L"There was no XML start tag open.");
    }
    writer->WriteStartElement(L"a");
    EXPECT_EQ(writer->WriteState(), wsElement);
    writer->WriteAttributeString(L"x", L"1");
    EXPECT_EQ(writer->WriteState(), wsAttribute);
    writer->WriteEndElement();
    EXPECT_EQ(writer->WriteState(), wsContent);
}

TEST_F(XmlWriter, StreamWriterOverFiles) {
    wchar_t folder[MAX_PATH], name[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    GetTempFileNameW(folder, L"xml", 0, name);
    const auto contents = [&] {
        TOwned<TFileStream> file(new TFileStream(name, fmOpenRead));
        std::string bytes(std::size_t(file->Size()), '\0');
        file->ReadBuffer(bytes.data(), NativeInt(bytes.size()));
        return bytes;
    };
    {
        TOwned<StreamWriter> writer(Construct<StreamWriter>(UnicodeString(name), false));
        writer->WriteLine(L"one");
    }
    {
        TOwned<StreamWriter> writer(Construct<StreamWriter>(UnicodeString(name), true));
        writer->Write(L"two");
    }
    EXPECT_EQ(contents(), "one\r\ntwo");
    {
        TOwned<StreamWriter> writer(Construct<StreamWriter>(UnicodeString(name), false));
        writer->Write(L"new");
    }
    EXPECT_EQ(contents(), "new");
    DeleteFileW(name);
}

} // namespace
