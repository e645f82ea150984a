// The two phonebook files of the running level: per-user (index 0) and all-users (index 1).
// 95/98/ME keep no phonebook file; NT 4 keeps one in the system folder for everyone.
#include "rasdial/dunrasapi.h"

#include "framework/TextEncoding.h"
#include "rasdial/dunsubs1.h"

#include <shlobj.h>

std::array<AnsiString, 2> PhonebookPaths;

namespace {

constexpr wchar_t PhonebookSuffix[] = L"\\Microsoft\\Network\\Connections\\Pbk\\rasphone.pbk";

} // namespace

void SetupPhonebookPaths() {
    PhonebookPaths = {};
    const Byte level = RasOSLevel();
    if (level == RasLevelNT4) {
        PhonebookPaths[0] = UnicodeToAnsi(GetWindowsDir() + L"\\System32\\ras\\rasphone.pbk");
    } else if (level >= RasLevelW2K) {
        PhonebookPaths[0] = UnicodeToAnsi(GetSpecialFolder(CSIDL_APPDATA) + PhonebookSuffix);
        PhonebookPaths[1] = UnicodeToAnsi(GetSpecialFolder(CSIDL_COMMON_APPDATA) + PhonebookSuffix);
    }
}
