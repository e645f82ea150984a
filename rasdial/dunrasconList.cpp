// `TConnectionList`: owned heap copies of connection records. Accessors answer zero values and
// empty texts for an index outside the list instead of raising, as the callers poll it freely.
#include "rasdial/dunrascon.h"

#include "rasdial/dunrasconImpl.h"
#include "rasdial/dunsubs1.h"

TConnectionList::~TConnectionList() { ClearFree(); }

void TConnectionList::AddConnection(const TRasConnWXP& conn) {
    auto copy = std::make_unique<TRasConnWXP>(conn);
    Add(copy.get());
    copy.release();
}

const TRasConnWXP* TConnectionList::Item(int i) const {
    return CheckIndex(i) ? static_cast<const TRasConnWXP*>(Items(i)) : nullptr;
}

HRasConn TConnectionList::RasConn(int i) const { return Item(i) ? Item(i)->rasConn : nullptr; }

AnsiString TConnectionList::EntryName(int i) const {
    return Item(i) ? FieldText(Item(i)->szEntryName, sizeof(TRasConnWXP::szEntryName))
                   : AnsiString();
}

AnsiString TConnectionList::DeviceType(int i) const {
    return Item(i) ? LowerAnsi(FieldText(Item(i)->szDeviceType, sizeof(TRasConnWXP::szDeviceType)))
                   : AnsiString();
}

AnsiString TConnectionList::DeviceName(int i) const {
    return Item(i) ? FieldText(Item(i)->szDeviceName, sizeof(TRasConnWXP::szDeviceName))
                   : AnsiString();
}

AnsiString TConnectionList::Phonebook(int i) const {
    return Item(i) ? FieldText(Item(i)->szPhonebook, sizeof(TRasConnWXP::szPhonebook))
                   : AnsiString();
}

Integer TConnectionList::SubEntry(int i) const {
    return Item(i) ? static_cast<Integer>(Item(i)->dwSubEntry) : 0;
}
GUID TConnectionList::guidEntry(int i) const { return Item(i) ? Item(i)->guidEntry : GUID{}; }
Cardinal TConnectionList::Flags(int i) const { return Item(i) ? Item(i)->dwFlags : 0; }

Int64 TConnectionList::LogonSessId(int i) const {
    if (!Item(i)) return 0;
    const LUID luid = Item(i)->luid;
    return static_cast<Int64>((static_cast<UInt64>(static_cast<Cardinal>(luid.HighPart)) << 32) |
                              luid.LowPart);
}

TRasConnWXP TConnectionList::GetConn(int i) const { return Item(i) ? *Item(i) : TRasConnWXP{}; }

void TConnectionList::Delete(int i) {
    delete static_cast<TRasConnWXP*>(Items(i));
    TList::Delete(i);
}

void TConnectionList::ClearFree() {
    for (int i = Count() - 1; i >= 0; --i) Delete(i);
    Clear();
}
