// The rowset XML export of the dataset service: an XDR schema with one attribute type per field,
// then one row element per visible record with the non-null values as attributes.
//
// Fields whose names are not XML-safe get generated names "c1", "c2", ...; a number whose name a
// real field already has is skipped, so no row ever carries the same attribute twice.
#include "data/engine/MemDS.h"

#include "framework/Conversions.h"
#include "framework/DateTime.h"
#include "framework/FMTBcd.h"
#include "framework/FormatSettings.h"

#include <algorithm>

namespace {
bool IsXmlSafeName(const UnicodeString& Name) {
    for (std::size_t i = 0; i < Name.size(); ++i) {
        const wchar_t c = Name[i];
        const bool letter = (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z') || c == L'_';
        const bool digit = c >= L'0' && c <= L'9' && i > 0;
        if (!letter && !digit) return false;
    }
    return true;
}

UnicodeString WithPoint(UnicodeString Text) {
    const wchar_t separator = FormatSettings().DecimalSeparator;
    if (separator != L'.') std::replace(Text.begin(), Text.end(), separator, L'.');
    return Text;
}

UnicodeString TwoDigits(Word Value) {
    return Value < 10 ? L"0" + IntToStr(Value) : IntToStr(Value);
}

UnicodeString TimeText(TDateTime Value) {
    Word hour, minute, second, msec;
    DecodeTime(Value, hour, minute, second, msec);
    return TwoDigits(hour) + L":" + TwoDigits(minute) + L":" + TwoDigits(second);
}

UnicodeString DateTimeText(TDateTime Value) {
    Word year, month, day;
    DecodeDate(Value, year, month, day);
    UnicodeString yearText = IntToStr(year);
    while (yearText.size() < 4) yearText.insert(0, 1, L'0');
    return yearText + L"-" + TwoDigits(month) + L"-" + TwoDigits(day) + L"T" + TimeText(Value);
}

UnicodeString HexOf(const Byte* Bytes, std::size_t Count) {
    static const wchar_t digits[] = L"0123456789ABCDEF";
    UnicodeString text;
    text.reserve(Count * 2);
    for (std::size_t i = 0; i < Count; ++i) {
        text += digits[Bytes[i] >> 4];
        text += digits[Bytes[i] & 15];
    }
    return text;
}
} // namespace

void TMemDataSet::SaveToXML(const UnicodeString& FileName) {
    TFileStream* stream = new TFileStream(FileName, fmCreate);
    struct TClose {
        TFileStream* Stream;
        ~TClose() { Stream->Free(); }
    } close{stream};
    SaveToXML(stream);
}

void TMemDataSet::SaveToXML(TStream* Destination) { DataSetService()->SaveToXML(Destination); }

void TDataSetService::SaveToXML(TStream* Destination) {
    TMemDataSet* dataSet = FDataSet;
    const bool wasActive = dataSet->Active();
    dataSet->DisableControls();
    TBookmark bookmark;
    StreamWriter* streamWriter = nullptr;
    XmlTextWriter* writer = nullptr;
    struct TRestore {
        TMemDataSet* DataSet;
        bool WasActive;
        TBookmark& Bookmark;
        StreamWriter*& Stream;
        XmlTextWriter*& Writer;
        ~TRestore() {
            try {
                DataSet->SetActiveValue(WasActive);
                if (WasActive && !Bookmark.empty()) DataSet->GotoBookmark(Bookmark);
            } catch (...) {
                // The export's own failure, if any, is the one the caller hears about.
            }
            DataSet->FreeBookmark(Bookmark);
            FreeAndNil(Writer);
            FreeAndNil(Stream);
            DataSet->EnableControls();
        }
    } restore{dataSet, wasActive, bookmark, streamWriter, writer};

    dataSet->Open();
    bookmark = dataSet->GetBookmark();
    streamWriter = Construct<StreamWriter>(Destination, Encoding::UTF8());
    writer = Construct<XmlTextWriter>(streamWriter);
    writer->SetQuoteChar(L'\'');
    writer->SetFormatting(fmtIndented);
    writer->SetIndentation(2);
    writer->SetIndentChar(L' ');

    writer->WriteStartElement(L"xml");
    writer->WriteAttributeString(L"xmlns:s", L"uuid:BDC6E3F0-6DA3-11d1-A2A3-00AA00C14882");
    writer->WriteAttributeString(L"xmlns:dt", L"uuid:C2F41010-65B3-11d1-A29F-00AA00C14882");
    writer->WriteAttributeString(L"xmlns:rs", L"urn:schemas-microsoft-com:rowset");
    writer->WriteAttributeString(L"xmlns:z", L"#RowsetSchema");
    writer->WriteStartElement(L"s:Schema");
    writer->WriteAttributeString(L"id", L"RowsetSchema");
    writer->WriteStartElement(L"s:ElementType");
    writer->WriteAttributeString(L"name", L"row");
    writer->WriteAttributeString(L"content", L"eltOnly");
    writer->WriteAttributeString(L"rs:updatable", L"true");

    struct TColumn {
        TField* Field;
        TFieldDesc* Desc;
        UnicodeString XmlName; // empty for a safe name
    };
    std::vector<TColumn> columns;
    for (int i = 0; i < dataSet->FieldCount(); ++i) {
        TField* field = dataSet->Fields()->Fields(i);
        if (field->FieldKind() == fkCalculated || field->FieldKind() == fkLookup) continue;
        TFieldDesc* desc = dataSet->GetFieldDesc(field);
        if (desc) columns.push_back({field, desc, {}});
    }
    const auto nameTaken = [&](const UnicodeString& Name) {
        return std::any_of(columns.begin(), columns.end(), [&](const TColumn& c) {
            return IsXmlSafeName(c.Desc->Name()) && SameText(c.Desc->Name(), Name);
        });
    };
    Integer number = 0;
    for (TColumn& column : columns) {
        if (IsXmlSafeName(column.Desc->Name())) continue;
        do column.XmlName = L"c" + IntToStr(++number);
        while (nameTaken(column.XmlName));
    }
    for (const TColumn& column : columns) {
        writer->WriteStartElement(L"s:AttributeType");
        WriteFieldXmlAttributes(column.Field, column.Desc, writer, column.XmlName);
        writer->WriteStartElement(L"s:datatype");
        WriteFieldXmlType(column.Field, column.Desc, writer);
        writer->WriteEndElement();
        writer->WriteFullEndElement();
    }
    writer->WriteStartElement(L"s:extends");
    writer->WriteAttributeString(L"type", L"rs:rowbase");
    writer->WriteEndElement();
    writer->WriteFullEndElement();
    writer->WriteFullEndElement();

    writer->WriteStartElement(L"rs:data");
    dataSet->First();
    while (!dataSet->Eof()) {
        writer->WriteStartElement(L"z:row");
        for (const TColumn& column : columns) {
            if (column.Field->IsNull()) continue;
            UnicodeString text;
            FieldValueToXmlText(column.Field, column.Desc, text);
            // The schema's name, not the field's: a persistent field may spell it in another
            // case, and a reader matches attribute names exactly.
            writer->WriteAttributeString(
                column.XmlName.empty() ? column.Desc->Name() : column.XmlName, text);
        }
        writer->WriteEndElement();
        dataSet->Next();
    }
    writer->WriteFullEndElement();
    writer->WriteFullEndElement();
    writer->Close();
}

void TDataSetService::WriteFieldXmlAttributes(TField* Field, TFieldDesc* FieldDesc,
                                              XmlTextWriter* Writer, const UnicodeString& XmlName) {
    if (!XmlName.empty()) {
        Writer->WriteAttributeString(L"name", XmlName);
        Writer->WriteAttributeString(L"rs:name", FieldDesc->Name());
    } else {
        Writer->WriteAttributeString(L"name", FieldDesc->Name());
    }
    Writer->WriteAttributeString(L"rs:number", IntToStr(FieldDesc->FieldNo()));
    if (!Field->Required() && !Field->ReadOnly())
        Writer->WriteAttributeString(L"rs:nullable", L"true");
    if (!Field->ReadOnly()) Writer->WriteAttributeString(L"rs:writeunknown", L"true");
    if (!FieldDesc->ActualName().empty())
        Writer->WriteAttributeString(L"rs:basecolumn", FieldDesc->ActualName());
    if (FieldDesc->IsKey()) Writer->WriteAttributeString(L"rs:keycolumn", L"true");
    if (Field->AutoGenerateValue() == arAutoInc)
        Writer->WriteAttributeString(L"rs:autoincrement", L"true");
}

void TDataSetService::WriteFieldXmlType(TField* Field, TFieldDesc* FieldDesc,
                                        XmlTextWriter* Writer) {
    const Word type = FieldDesc->DataType();
    const auto attr = [&](const wchar_t* Name, const UnicodeString& Value) {
        Writer->WriteAttributeString(Name, Value);
    };
    const auto maxLengthSize = [&] { attr(L"dt:maxLength", IntToStr(FieldDesc->Size())); };
    const auto maxLengthLength = [&] { attr(L"dt:maxLength", IntToStr(FieldDesc->Length())); };
    const auto precisionLength = [&] { attr(L"rs:precision", IntToStr(FieldDesc->Length())); };
    const auto scale = [&] { attr(L"rs:scale", IntToStr(FieldDesc->Scale())); };
    const bool longBlob = Field->IsBlob() && !FieldDesc->Fixed();
    switch (type) {
    case dtUnknown:
    case dtVariant: attr(L"dt:type", L"string"); break;
    case dtString:
    case dtMemo:
    case dtExtString:
    case dtWideString:
    case dtExtWideString:
    case dtWideMemo:
        attr(L"dt:type", L"string");
        if (type == dtMemo || type == dtWideMemo)
            attr(L"dt:maxLength", L"2147483647");
        else
            maxLengthLength();
        if (type != dtWideString && type != dtExtWideString && type != dtWideMemo)
            attr(L"rs:dbtype", L"str");
        if (longBlob) attr(L"rs:long", L"true");
        break;
    case dtInt8:
        attr(L"dt:type", L"i1");
        maxLengthSize();
        precisionLength();
        break;
    case dtInt16:
        attr(L"dt:type", L"i2");
        maxLengthSize();
        attr(L"rs:precision", L"5");
        break;
    case dtInt32:
        attr(L"dt:type", L"int");
        maxLengthSize();
        attr(L"rs:precision", L"10");
        break;
    case dtFloat:
        if (FieldDesc->Length() > 7) {
            attr(L"dt:type", L"float");
            maxLengthSize();
        } else {
            attr(L"dt:type", L"r4");
            attr(L"dt:maxLength", L"4");
        }
        precisionLength();
        break;
    case dtDate:
    case dtTime:
    case dtDateTime:
        attr(L"dt:type", type == dtDate ? L"date" : type == dtTime ? L"time" : L"datetime");
        if (type == dtDateTime) attr(L"rs:dbtype", L"variantdate");
        maxLengthSize();
        scale();
        precisionLength();
        break;
    case dtUInt16:
    case dtUInt32:
        attr(L"dt:type", type == dtUInt16 ? L"ui2" : L"ui4");
        maxLengthSize();
        precisionLength();
        break;
    case dtBoolean:
        attr(L"dt:type", L"boolean");
        maxLengthSize();
        break;
    case dtInt64:
        attr(L"dt:type", L"i8");
        maxLengthSize();
        attr(L"rs:precision", L"19");
        break;
    case dtCurrency:
    case dtBCD:
        attr(L"dt:type", L"number");
        attr(L"rs:dbtype", L"currency");
        maxLengthSize();
        precisionLength();
        break;
    case dtBlob:
    case dtBytes:
    case dtVarBytes:
    case dtExtVarBytes:
        attr(L"dt:type", L"bin.hex");
        if (type == dtBlob)
            attr(L"dt:maxLength", L"2147483647");
        else
            maxLengthLength();
        if (longBlob) attr(L"rs:long", L"true");
        break;
    case dtFMTBCD:
        attr(L"dt:type", L"number");
        attr(L"rs:dbtype", L"numeric");
        maxLengthSize();
        scale();
        precisionLength();
        break;
    case dtGuid:
        attr(L"dt:type", L"uuid");
        attr(L"dt:maxLength", L"16");
        break;
    default: DatabaseError(L"Data type is not supported", FDataSet);
    }
    if (FieldDesc->Fixed() && type != dtUnknown && type != dtVariant)
        attr(L"rs:fixedlength", L"true");
    if (Field->Required() && !Field->ReadOnly()) attr(L"rs:maybenull", L"false");
}

void TDataSetService::FieldValueToXmlText(TField* Field, TFieldDesc* FieldDesc,
                                          UnicodeString& Text) {
    const TFormatSettings& settings = FormatSettings();
    switch (FieldDesc->DataType()) {
    case dtInt8:
    case dtInt16:
    case dtInt32:
    case dtUInt16:
    case dtInt64:
    case dtUInt32: Text = Field->AsString(); break;
    case dtFloat: Text = WithPoint(FloatToStr(Field->AsFloat(), settings)); break;
    case dtDate:
    case dtDateTime: Text = DateTimeText(Field->AsDateTime()); break;
    case dtTime: Text = TimeText(Field->AsDateTime()); break;
    case dtBoolean: Text = Field->AsBoolean() ? L"True" : L"False"; break;
    case dtCurrency:
    case dtBCD: Text = WithPoint(CurrToStr(Field->AsCurrency(), settings)); break;
    case dtBlob: {
        TBlob* blob = FDataSet->GetBlob(Field);
        std::vector<Byte> bytes(blob ? blob->Size() : 0);
        if (!bytes.empty()) blob->Read(0, Cardinal(bytes.size()), bytes.data());
        Text = HexOf(bytes.data(), bytes.size());
        break;
    }
    case dtBytes:
    case dtVarBytes:
    case dtExtVarBytes: {
        Variant value = Field->Value();
        if (!VarIsArray(value)) {
            Text.clear();
            break;
        }
        const int count = VarArrayHighBound(value, 1) - VarArrayLowBound(value, 1) + 1;
        Text = HexOf(static_cast<const Byte*>(VarArrayLock(value)), std::size_t(count));
        VarArrayUnlock(value);
        break;
    }
    case dtFMTBCD: Text = BcdToStr(Field->AsBCD(), settings.DecimalSeparator); break;
    default:
        if (auto* memo = dynamic_cast<TWideMemoField*>(Field))
            Text = memo->AsWideString();
        else
            Text = Field->AsString();
        break;
    }
}
