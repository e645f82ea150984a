// EDatabaseError's raising routine and the field-type names.
#include "framework/DBConsts.h"

#include "framework/Components.h"

void DatabaseError(const UnicodeString& Message, TComponent* Component) {
    if (Component && !Component->Name().empty())
        throw EDatabaseError(Component->Name() + L": " + Message);
    throw EDatabaseError(Message);
}

const wchar_t* FieldTypeName(TFieldType type) {
    static const wchar_t* const names[FieldTypeCount] = {
        L"Unknown",      L"String",      L"Smallint", L"Integer",       L"Word",
        L"Boolean",      L"Float",       L"Currency", L"BCD",           L"Date",
        L"Time",         L"DateTime",    L"Bytes",    L"VarBytes",      L"AutoInc",
        L"Blob",         L"Memo",        L"Graphic",  L"FmtMemo",       L"ParadoxOle",
        L"DBaseOle",     L"TypedBinary", L"Cursor",   L"FixedChar",     L"WideString",
        L"Largeint",     L"ADT",         L"Array",    L"Reference",     L"DataSet",
        L"OraBlob",      L"OraClob",     L"Variant",  L"Interface",     L"IDispatch",
        L"Guid",         L"TimeStamp",   L"FMTBcd",   L"FixedWideChar", L"WideMemo",
        L"OraTimeStamp", L"OraInterval", L"LongWord", L"Shortint",      L"Byte",
        L"Extended",     L"Connection",  L"Params",   L"Stream",        L"TimeStampOffset",
        L"Object",       L"Single"};
    const int index = int(type);
    return index >= 0 && index < FieldTypeCount ? names[index] : L"Unknown";
}
