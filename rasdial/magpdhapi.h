// The run-time binder of the Performance Data Helper (pdh.dll). Only the traffic counters use
// it, and only on NT 4 (level 1), where RAS keeps no statistics of its own. Records and the
// counter handles are passed through as the callers declare them.
#pragma once

#include <windows.h>

using PdhStatus = LONG;
using HPdhQuery = HANDLE;
using HPdhCounter = HANDLE;

// Bound entry points: nil until bound, and nil when pdh.dll or the name is missing.
extern PdhStatus(WINAPI* PdhOpenQuery)(LPCVOID dataSource, DWORD_PTR userData, HPdhQuery* query);
extern PdhStatus(WINAPI* PdhAddCounterA)(HPdhQuery query, LPCSTR counterPath, DWORD_PTR userData,
                                         HPdhCounter* counter);
extern PdhStatus(WINAPI* PdhEnumObjectsA)(LPCSTR dataSource, LPCSTR machine, LPSTR objects,
                                          LPDWORD size, DWORD detail, BOOL refresh);
extern PdhStatus(WINAPI* PdhEnumObjectItemsA)(LPCSTR dataSource, LPCSTR machine, LPCSTR object,
                                              LPSTR counters, LPDWORD countersSize, LPSTR instances,
                                              LPDWORD instancesSize, DWORD detail, DWORD flags);
extern PdhStatus(WINAPI* PdhGetCounterInfoA)(HPdhCounter counter, BOOLEAN explain, LPDWORD size,
                                             LPVOID info);
extern PdhStatus(WINAPI* PdhGetRawCounterValue)(HPdhCounter counter, LPDWORD type, LPVOID value);
extern PdhStatus(WINAPI* PdhGetRawCounterArrayA)(HPdhCounter counter, LPDWORD size, LPDWORD count,
                                                 LPVOID items);
extern PdhStatus(WINAPI* PdhCollectQueryData)(HPdhQuery query);
extern PdhStatus(WINAPI* PdhCloseQuery)(HPdhQuery query);

// The library the binder loads ("pdh.dll"); tests point it at a simulated one before binding.
void SetPdhLibraryName(const wchar_t* name);

// Binds pdh.dll once (only with the RAS library present and on level 1; until then each call
// checks again); answers whether PdhOpenQuery is bound.
bool PdhApiAvailable();
// The module end: frees pdh.dll, clears the pointers and the record of the run.
void PdhApiUnload() noexcept;
