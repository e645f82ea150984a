// The stream writer and the XML text writer.
#include "data/engine/DcXml.h"

#include "framework/Files.h"

namespace {
const UnicodeString EmptyNamespacePrefix = L"Cannot use a prefix with an empty namespace.";

void ReplaceAll(UnicodeString& Text, const UnicodeString& From, const UnicodeString& To) {
    for (std::size_t at = Text.find(From); at != UnicodeString::npos;
         at = Text.find(From, at + To.size()))
        Text.replace(at, From.size(), To);
}
} // namespace

UnicodeString XmlEscape(const UnicodeString& Text) {
    UnicodeString result = Text;
    // The ampersand goes first, so the references made by the later steps stay as they are.
    ReplaceAll(result, L"&", L"&#x26;");
    ReplaceAll(result, L"'", L"&#x27;");
    ReplaceAll(result, L"\"", L"&#x22;");
    ReplaceAll(result, L"<", L"&#x3c;");
    ReplaceAll(result, L">", L"&#x3e;");
    // A reader turns a raw tab or line break inside an attribute value into a space, so a memo
    // with line breaks would come back as one line: they go out as references.
    ReplaceAll(result, L"\t", L"&#x9;");
    ReplaceAll(result, L"\r", L"&#xd;");
    ReplaceAll(result, L"\n", L"&#xa;");
    return result;
}

// ---- StreamWriter ----

StreamWriter::StreamWriter(const UnicodeString& Path, bool Append)
    : FStream(nullptr), FReleaseStream(true), FEncoding(Encoding::Default()) {
    if (Append && FileExists(Path)) {
        FStream = new TFileStream(Path, fmOpenWrite);
        FStream->Seek(0, soEnd);
    } else {
        FStream = new TFileStream(Path, fmCreate);
    }
}

StreamWriter::StreamWriter(TStream* Output, Encoding* AEncoding)
    : FStream(Output), FReleaseStream(false), FEncoding(AEncoding) {}

void StreamWriter::BeforeDestruction() {
    if (FReleaseStream) FreeAndNil(FStream);
    TObject::BeforeDestruction();
}

void StreamWriter::Write(const UnicodeString& Value) {
    const TBytes bytes = FEncoding->GetBytes(Value);
    if (!bytes.empty()) FStream->WriteBuffer(bytes.data(), NativeInt(bytes.size()));
}

void StreamWriter::WriteLine(const UnicodeString& Value) { Write(Value + L"\r\n"); }

// ---- XmlTextWriter ----

void XmlTextWriter::Flush() {
    FWriter->Write(FText);
    FText.clear();
}

UnicodeString XmlTextWriter::Indent() const {
    if (FFormatting != fmtIndented || FDepth <= 0) return {};
    return UnicodeString(std::size_t(FDepth * FIndentation), FIndentChar);
}

void XmlTextWriter::CloseStartTag() {
    if (FWriteState != wsAttribute && FWriteState != wsElement) return;
    if (!FPosStack.empty()) FPosStack.pop_back();
    while (!FText.empty() && FText.back() <= L' ') FText.pop_back();
    FText += L'>';
}

void XmlTextWriter::WriteStartElement(const UnicodeString& Prefix, const UnicodeString& LocalName,
                                      const UnicodeString& Ns) {
    if (!Prefix.empty() && Ns.empty()) throw XmlException(EmptyNamespacePrefix);
    StartElement(Prefix, LocalName, Ns);
}

void XmlTextWriter::StartElement(const UnicodeString& Prefix, const UnicodeString& LocalName,
                                 const UnicodeString& Ns) {
    CloseStartTag();
    if (FWriteState == wsContent) Flush();
    if (FDepth > 0) FText += L"\r\n";
    FText += Indent() + L"<";
    if (!Prefix.empty()) FText += Prefix + L":";
    FText += LocalName;
    if (!Ns.empty()) {
        if (!Prefix.empty())
            FText += L" xmlns:" + Prefix + L"=" + FQuoteChar + Ns + FQuoteChar;
        else
            FText += L" xmlns=" + UnicodeString(1, FQuoteChar) + Ns + FQuoteChar;
    }
    FPosStack.push_back(Integer(FText.size()));
    ++FDepth;
    FTagStack.push_back(Prefix.empty() ? LocalName : Prefix + L":" + LocalName);
    FWriteState = wsElement;
}

void XmlTextWriter::WriteAttributeString(const UnicodeString& Prefix,
                                         const UnicodeString& LocalName, const UnicodeString& Ns,
                                         const UnicodeString& Value) {
    if (!Prefix.empty() && Ns.empty()) throw XmlException(EmptyNamespacePrefix);
    AttributeString(Prefix, LocalName, Ns, Value);
}

void XmlTextWriter::AttributeString(const UnicodeString& Prefix, const UnicodeString& LocalName,
                                    const UnicodeString& Ns, const UnicodeString& Value) {
    if (FWriteState != wsAttribute && FWriteState != wsElement)
        throw XmlException(L"Token WriteAttributeString in state Content would result in an "
                           L"invalid XML document.");
    std::size_t p = std::size_t(FPosStack.back());
    UnicodeString attribute = L" ";
    if (!Prefix.empty()) attribute += Prefix + L":";
    attribute += LocalName + L"=" + FQuoteChar + XmlEscape(Value) + FQuoteChar;
    FText.insert(p, attribute);
    p += attribute.size();
    if (!Ns.empty()) {
        const UnicodeString declaration = L" xmlns:" + Prefix + L"=" + FQuoteChar + Ns + FQuoteChar;
        FText.insert(p, declaration);
        p += declaration.size();
    }
    FPosStack.back() = Integer(p);
    FWriteState = wsAttribute;
}

void XmlTextWriter::EndTag() {
    if (FTagStack.empty()) throw XmlException(L"There was no XML start tag open.");
    CloseStartTag();
    const std::size_t n = FText.size();
    const bool newLine = n == 0 || (n >= 2 && FText[n - 1] != L'\n' && FText[n - 2] != L'\r');
    if (newLine) FText += L"\r\n" + Indent();
    FText += L"</" + FTagStack.back() + L">";
    FTagStack.pop_back();
    FWriteState = wsContent;
}

void XmlTextWriter::WriteEndElement() {
    if (FTagStack.empty()) throw XmlException(L"There was no XML start tag open.");
    --FDepth;
    if (FWriteState == wsAttribute) {
        FText += L" />";
        FPosStack.pop_back();
        FTagStack.pop_back();
        FWriteState = wsContent;
    } else {
        EndTag();
    }
    Flush();
}

void XmlTextWriter::WriteFullEndElement() {
    if (FTagStack.empty()) throw XmlException(L"There was no XML start tag open.");
    --FDepth;
    EndTag();
    Flush();
}

void XmlTextWriter::WriteString(const UnicodeString& Text) {
    CloseStartTag();
    FText += Text;
    FWriteState = wsContent;
}

void XmlTextWriter::WriteElementString(const UnicodeString& LocalName, const UnicodeString& Ns,
                                       const UnicodeString& Value) {
    CloseStartTag();
    const Integer depth = FDepth;
    if (FWriteState == wsElement) ++FDepth;
    FText += L"\r\n" + Indent() + L"<" + LocalName;
    if (!Ns.empty()) FText += L" xmlns=" + UnicodeString(1, FQuoteChar) + Ns + FQuoteChar;
    FText += L">";
    if (!Value.empty()) FText += XmlEscape(Value);
    FText += L"</" + LocalName + L">";
    FDepth = depth;
    Flush();
    FWriteState = wsContent;
}
