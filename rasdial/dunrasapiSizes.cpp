// The record size for the running level, and the i686 check of the whole size table: the
// published 32-bit sizes every level expects, which the x86_64 build cannot show.
#include "rasdial/dunrasapi.h"

#include "rasdial/dunsubs1.h"

DWORD RasRecordSize(TRasRecord record) { return RasRecordSize(record, RasOSLevel()); }

#if defined(__i386__)
namespace {

constexpr bool SizesAre(TRasRecord record, std::array<DWORD, 5> sizes) {
    for (Byte level = 0; level < 5; ++level)
        if (RasRecordSize(record, level) != sizes[level]) return false;
    return true;
}

static_assert(SizesAre(TRasRecord::DialParams, {1052, 1060, 1060, 1060, 1060}));
static_assert(SizesAre(TRasRecord::Conn, {412, 676, 692, 704, 704}));
static_assert(SizesAre(TRasRecord::ConnStatus, {160, 288, 288, 288, 288}));
static_assert(SizesAre(TRasRecord::Entry, {1768, 1796, 2088, 2884, 2884}));
static_assert(SizesAre(TRasRecord::SubEntry, {0, 288, 288, 288, 288}));
static_assert(SizesAre(TRasRecord::Credentials, {0, 540, 540, 540, 540}));
static_assert(SizesAre(TRasRecord::EntryName, {264, 264, 532, 532, 532}));
static_assert(SizesAre(TRasRecord::PppIp, {40, 40, 40, 40, 40}));
static_assert(SizesAre(TRasRecord::PppLcp, {28, 8, 1080, 1080, 1080}));
static_assert(SizesAre(TRasRecord::Stats, {0, 0, 60, 60, 60}));
static_assert(SizesAre(TRasRecord::DevInfo, {152, 152, 152, 152, 152}));
static_assert(SizesAre(TRasRecord::CtryInfo, {20, 20, 20, 20, 20}));
static_assert(SizesAre(TRasRecord::DialExtensions, {0, 16, 16, 16, 16}));
static_assert(SizesAre(TRasRecord::EntryDlg, {0, 292, 292, 292, 292}));
static_assert(RasConnBufferSize == 5632);
static_assert(RasEntryBufferSize >= sizeof(TRasEntryWXP));

} // namespace
#endif
