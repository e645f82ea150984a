// State the client's windows and workers share for the life of the process, the line record
// of the line list, and the rule that picks every user-visible text for the interface language.
//
//   ps                     one line of the line list (the per-node data of the line view)
//   login_ok ... route_added
//                          the login, account-server, connection and language state
//   LangText               the text of a (English, simplified Chinese) pair for `lang_code`
//   ToTraditionalChinese, ToSimplifiedChinese
//                          the system's locale mapping between the two Chinese scripts
//   DetectSystemLanguage   the language choice for the system's default language
//   EnableRasProhibitIpSec the dial-up service's IPsec switch
//   AppSharedModule        start-up: records `app_dir`
//
// Threads: everything belongs to the GUI thread except `speed_running`, which the latency
// test's feeder and pool threads read (hence atomic). The latency workers do not write `ps`
// records themselves; they hand their results to the GUI thread, which paints and sorts the
// same records. The dial-up components and the line-list document are owned elsewhere (the main
// window, the line-list code); here they are only the process-wide references.
#pragma once

#include "framework/DateTime.h"
#include "framework/ModuleInit.h"

#include <windows.h>

#include <atomic>

class TKitStreamIniFile;
class TDunRasCon;
class TDunRasPer;
class TDunRasEdt;

// One line of the line list, in the order the line view stores it.
struct ps {
    UnicodeString ip;         // decoded address: echo target and dial target
    UnicodeString name;       // line name, its key in the line-list document
    UnicodeString delay;      // "NA", whole milliseconds, or the latency test's failure text
    UnicodeString lostpacket; // carried, never written
    UnicodeString sendtimes;  // carried, never written
    Integer losttimes = 0;    // failed echoes in batch tests
    UnicodeString onlinerate; // second field of the line's value, shown unchanged
    UnicodeString l2tpstatus; // whether the line supports L2TP, as shown
};

// Interface languages (`lang_code`); 0 means none applied yet and reads as simplified Chinese.
inline constexpr Integer LangNone = 0;
inline constexpr Integer LangSimplified = 1;
inline constexpr Integer LangEnglish = 2;
inline constexpr Integer LangTraditional = 3;

extern bool login_ok;
extern std::atomic<bool> speed_running;
extern bool is_connected;
extern bool own_account;
extern UnicodeString login_user; // as typed at the successful login, not trimmed
extern UnicodeString login_pass;
extern TKitStreamIniFile* line_ini;
extern NativeUInt ras_handle;    // the connection being dialled or up (its HRASCONN); 0 when none
extern UnicodeString app_dir;    // the program's folder, with a trailing path separator
extern UnicodeString cur_server; // "host:port"
extern UnicodeString bak_server;
extern UnicodeString peer_ip;
extern UnicodeString new_version;
extern UnicodeString route_ip;
extern UnicodeString user_info;
extern Integer auto_redial;
extern Integer expire_tips;
extern Integer update_tips;
extern Integer lang_code;
extern TDateTime conn_start;
extern UnicodeString unique_id;
extern UnicodeString dial_entry;
extern UnicodeString line_ip;
extern UnicodeString dial_user;
extern UnicodeString dial_pass;
extern TDunRasCon* rascon;
extern TDunRasPer* rasper;
extern TDunRasEdt* rasedt;
extern bool route_added;

// The text to show for the current `lang_code`: English for 2, the Chinese text converted to
// traditional characters for 3, the Chinese text as it is otherwise (0 and 1).
UnicodeString LangText(const UnicodeString& english, const UnicodeString& chinese);

// Both keep the length of the text (one character for one); an empty text stays empty. When the
// system cannot map the text it comes back unchanged.
UnicodeString ToTraditionalChinese(const UnicodeString& text);
UnicodeString ToSimplifiedChinese(const UnicodeString& text);

// The conversion LangText uses for language 3; the system's by default. Answers the one bound
// before. For tests on systems whose mapping does not convert.
using TChineseConverter = UnicodeString (*)(const UnicodeString& text);
TChineseConverter SetTraditionalConverter(TChineseConverter converter);

// The language choice for a language identifier: 1028 gives 2, 1033 gives 0, 2052 gives 1 and
// any other 3. Without an argument: the system's default language.
Integer DetectSystemLanguage(LANGID language);
Integer DetectSystemLanguage();

// Writes ProhibitIPSec = 1 under the RasMan service's parameters (HKEY_LOCAL_MACHINE), creating
// the key when missing. A registry failure is raised to the caller.
void EnableRasProhibitIpSec();

// The folder of the running program file, with a trailing path separator.
UnicodeString ProgramDirectory();
TModuleEntry AppSharedModule();
