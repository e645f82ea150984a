// Reading a phonebook entry's record and device information, shared by the dialling and the
// phonebook-entry components.
#include "rasdial/dunrasapi.h"

#include "rasdial/dunsubs1.h"

#include <algorithm>

namespace {

// What a Windows 95/98/ME system answers for the device information it does not size.
constexpr DWORD Level0DeviceSize = 256;

} // namespace

Integer ReadRasEntryProperties(LPCSTR phonebook, const AnsiString& entryName,
                               std::vector<Byte>& entry, std::vector<Byte>& device,
                               DWORD& entrySize, DWORD& deviceSize) {
    entrySize = deviceSize = 0;
    std::fill(entry.begin(), entry.end(), Byte{0});
    std::fill(device.begin(), device.end(), Byte{0});
    DWORD entryNeeded = 0;
    DWORD deviceNeeded = 0;
    Integer result = static_cast<Integer>(RasGetEntryPropertiesA(
        phonebook, entryName.c_str(), nullptr, &entryNeeded, nullptr, &deviceNeeded));
    if (result != 0 && result != RasErrorBufferTooSmall) return result;
    entryNeeded = std::min<DWORD>(entryNeeded, RasEntryBufferSize);
    if (RasOSLevel() == RasLevelWin9x && (deviceNeeded == 0 || deviceNeeded > Level0DeviceSize))
        deviceNeeded = Level0DeviceSize;
    if (deviceNeeded > device.size()) device.resize(deviceNeeded);
    auto* record = reinterpret_cast<TRasEntryWXP*>(entry.data());
    record->dwSize = RasRecordSize(TRasRecord::Entry);
    result = static_cast<Integer>(
        RasGetEntryPropertiesA(phonebook, entryName.c_str(), record, &entryNeeded,
                               deviceNeeded ? device.data() : nullptr, &deviceNeeded));
    if (result == 0) {
        entrySize = std::min<DWORD>(entryNeeded, RasEntryBufferSize);
        deviceSize = std::min<DWORD>(deviceNeeded, static_cast<DWORD>(device.size()));
    }
    return result;
}
