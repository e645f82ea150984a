// The default field class of each field type, as datasets make fields from their definitions.
#include "framework/DBFields.h"

TFieldClass DefaultFieldClass(TFieldType type) {
    switch (type) {
    case ftString:
    case ftFixedChar: return TStringField::StaticClass();
    case ftWideString:
    case ftFixedWideChar: return TWideStringField::StaticClass();
    case ftGuid: return TGuidField::StaticClass();
    case ftSmallint: return TSmallintField::StaticClass();
    case ftShortint: return TShortintField::StaticClass();
    case ftByte: return TByteField::StaticClass();
    case ftInteger: return TIntegerField::StaticClass();
    case ftAutoInc: return TAutoIncField::StaticClass();
    case ftWord: return TWordField::StaticClass();
    case ftLongWord: return TLongWordField::StaticClass();
    case ftLargeint: return TLargeintField::StaticClass();
    case ftFloat: return TFloatField::StaticClass();
    case ftSingle: return TSingleField::StaticClass();
    case ftExtended: return TExtendedField::StaticClass();
    case ftCurrency: return TCurrencyField::StaticClass();
    case ftBCD: return TBCDField::StaticClass();
    case ftFMTBcd: return TFMTBCDField::StaticClass();
    case ftBoolean: return TBooleanField::StaticClass();
    case ftDate: return TDateField::StaticClass();
    case ftTime: return TTimeField::StaticClass();
    case ftDateTime: return TDateTimeField::StaticClass();
    case ftTimeStamp: return TSQLTimeStampField::StaticClass();
    case ftVariant: return TVariantField::StaticClass();
    case ftBytes: return TBytesField::StaticClass();
    case ftVarBytes: return TVarBytesField::StaticClass();
    case ftBlob:
    case ftTypedBinary:
    case ftOraBlob: return TBlobField::StaticClass();
    case ftMemo:
    case ftFmtMemo:
    case ftOraClob: return TMemoField::StaticClass();
    case ftWideMemo: return TWideMemoField::StaticClass();
    case ftGraphic: return TGraphicField::StaticClass();
    case ftADT: return TADTField::StaticClass();
    case ftArray: return TArrayField::StaticClass();
    case ftDataSet: return TDataSetField::StaticClass();
    case ftReference: return TReferenceField::StaticClass();
    default: return nullptr;
    }
}
