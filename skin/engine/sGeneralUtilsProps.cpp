// Published properties by name, quiet where the class has no such property.
#include "skin/engine/sGeneralUtils.h"

#include "framework/TypInfo.h"

namespace {

bool Has(TObject* Obj, const UnicodeString& Name) { return Obj && PropExists(Obj, Name); }

} // namespace

TObject* ReadObjectPropByName(TObject* Obj, const UnicodeString& Name) {
    return Has(Obj, Name) ? GetObjectProp(Obj, Name) : nullptr;
}

Int64 ReadOrdPropByName(TObject* Obj, const UnicodeString& Name) {
    return Has(Obj, Name) ? GetOrdProp(Obj, Name) : -1;
}

void WriteOrdPropByName(TObject* Obj, const UnicodeString& Name, Int64 Value) {
    if (Has(Obj, Name)) SetOrdProp(Obj, Name, Value);
}

bool SetPropHasElement(TObject* Obj, const UnicodeString& PropName,
                       const UnicodeString& ElementName) {
    if (!Has(Obj, PropName)) return false;
    const UnicodeString text = GetSetProp(Obj, PropName);
    std::size_t from = 0;
    while (from <= text.size()) {
        std::size_t comma = text.find(L',', from);
        if (comma == UnicodeString::npos) comma = text.size();
        if (text.compare(from, comma - from, ElementName) == 0) return true;
        from = comma + 1;
    }
    return false;
}

// Adding writes text + "," + element unless the name occurs anywhere in the text (also inside a
// longer name). Removing deletes the first "," + element, else element + ",", else element.
void ChangeSetPropElement(TObject* Obj, const UnicodeString& PropName,
                          const UnicodeString& ElementName, bool Add) {
    if (!Has(Obj, PropName)) return;
    UnicodeString text = GetSetProp(Obj, PropName);
    if (Add) {
        if (text.find(ElementName) != UnicodeString::npos) return;
        SetSetProp(Obj, PropName, text + L"," + ElementName);
        return;
    }
    for (const UnicodeString& piece :
         {L"," + ElementName, ElementName + L",", UnicodeString(ElementName)}) {
        const std::size_t at = text.find(piece);
        if (at != UnicodeString::npos) {
            text.erase(at, piece.size());
            SetSetProp(Obj, PropName, text);
            return;
        }
    }
}
