// A forward-only XML writer (unit DcXml): StreamWriter puts encoded text into a stream (never a
// byte-order mark), XmlTextWriter builds the element being written in a text buffer, inserts
// attributes into the open start tag, escapes attribute values and element strings as
// character references, indents nested elements and hands the buffer to the stream writer at
// element ends. XmlException reports a call that would make the document invalid; the
// writer's buffer and stacks are left as they were before such a call.
#pragma once

#include "data/engine/CLRClasses.h"

#include "framework/Exceptions.h"
#include "framework/Streams.h"

#include <vector>

enum XmlFormatting { fmtNone, fmtIndented };
enum XmlWriteState { wsAttribute, wsClosed, wsContent, wsElement, wsStart };

class XmlException : public Exception {
public:
    using Exception::Exception;
};

class StreamWriter : public TObject {
    CLASS_INFO(StreamWriter, TObject)
public:
    // A file: appended to when Append is set and it exists, created (replaced) otherwise; the
    // text is in the system code page.
    StreamWriter(const UnicodeString& Path, bool Append);
    // A stream the writer does not own.
    StreamWriter(TStream* Output, Encoding* AEncoding);
    void BeforeDestruction() override;

    void Write(const UnicodeString& Value);
    void WriteLine(const UnicodeString& Value);
    void Close() {}
    void Flush() {}

private:
    TStream* FStream;
    bool FReleaseStream;
    Encoding* FEncoding;
};

class XmlTextWriter : public TObject {
    CLASS_INFO(XmlTextWriter, TObject)
public:
    explicit XmlTextWriter(StreamWriter* W) : FWriter(W) {}

    XmlFormatting Formatting() const noexcept { return FFormatting; }
    void SetFormatting(XmlFormatting Value) { FFormatting = Value; }
    Integer Indentation() const noexcept { return FIndentation; }
    void SetIndentation(Integer Value) { FIndentation = Value; }
    wchar_t IndentChar() const noexcept { return FIndentChar; }
    void SetIndentChar(wchar_t Value) { FIndentChar = Value; }
    wchar_t QuoteChar() const noexcept { return FQuoteChar; }
    void SetQuoteChar(wchar_t Value) { FQuoteChar = Value; }
    XmlWriteState WriteState() const noexcept { return FWriteState; }

    void Close() { Flush(); }
    void WriteStartElement(const UnicodeString& LocalName) { WriteStartElement({}, LocalName, {}); }
    void WriteStartElement(const UnicodeString& LocalName, const UnicodeString& Ns) {
        StartElement({}, LocalName, Ns);
    }
    void WriteStartElement(const UnicodeString& Prefix, const UnicodeString& LocalName,
                           const UnicodeString& Ns);
    void WriteAttributeString(const UnicodeString& LocalName, const UnicodeString& Value) {
        AttributeString({}, LocalName, {}, Value);
    }
    void WriteAttributeString(const UnicodeString& Prefix, const UnicodeString& LocalName,
                              const UnicodeString& Ns, const UnicodeString& Value);
    void WriteEndElement();
    void WriteFullEndElement();
    // The text as it stands: no escaping.
    void WriteString(const UnicodeString& Text);
    void WriteElementString(const UnicodeString& LocalName, const UnicodeString& Value) {
        WriteElementString(LocalName, {}, Value);
    }
    void WriteElementString(const UnicodeString& LocalName, const UnicodeString& Ns,
                            const UnicodeString& Value);

private:
    void StartElement(const UnicodeString& Prefix, const UnicodeString& LocalName,
                      const UnicodeString& Ns);
    void AttributeString(const UnicodeString& Prefix, const UnicodeString& LocalName,
                         const UnicodeString& Ns, const UnicodeString& Value);
    void Flush();
    UnicodeString Indent() const;
    void CloseStartTag();
    void EndTag();

    UnicodeString FText;
    XmlFormatting FFormatting = fmtNone;
    Integer FIndentation = 2;
    wchar_t FIndentChar = L' ';
    wchar_t FQuoteChar = L'"';
    XmlWriteState FWriteState = wsStart;
    Integer FDepth = 0;
    std::vector<Integer> FPosStack;
    std::vector<UnicodeString> FTagStack;
    StreamWriter* FWriter;
};

// "&", apostrophe, double quote, "<" and ">" as hexadecimal character references.
UnicodeString XmlEscape(const UnicodeString& Text);
