// The run-time binder of the telephony interface (TAPI32.DLL), used only by the dialling
// location operations. The line entry points are the 8-bit ones exported under their plain
// names; records are passed through as the callers declare them.
#pragma once

#include <windows.h>

using HLineApp = HANDLE;
using HLine = HANDLE;
using HCall = HANDLE;
using TLineCallback = void(CALLBACK*)(DWORD device, DWORD message, DWORD_PTR instance,
                                      DWORD_PTR param1, DWORD_PTR param2, DWORD_PTR param3);

// Bound entry points: nil until bound, and nil when TAPI32.DLL or the name is missing.
extern LONG(WINAPI* lineClose)(HLine line);
extern LONG(WINAPI* lineConfigDialog)(DWORD deviceId, HWND owner, LPCSTR deviceClass);
extern LONG(WINAPI* lineDeallocateCall)(HCall call);
extern LONG(WINAPI* lineGetCallInfo)(HCall call, LPVOID callInfo);
extern LONG(WINAPI* lineGetDevCaps)(HLineApp app, DWORD deviceId, DWORD apiVersion,
                                    DWORD extVersion, LPVOID devCaps);
extern LONG(WINAPI* lineInitialize)(HLineApp* app, HINSTANCE instance, TLineCallback callback,
                                    LPCSTR appName, LPDWORD deviceCount);
extern LONG(WINAPI* lineNegotiateAPIVersion)(HLineApp app, DWORD deviceId, DWORD lowVersion,
                                             DWORD highVersion, LPDWORD apiVersion,
                                             LPVOID extensionId);
extern LONG(WINAPI* lineOpen)(HLineApp app, DWORD deviceId, HLine* line, DWORD apiVersion,
                              DWORD extVersion, DWORD_PTR callbackInstance, DWORD privileges,
                              DWORD mediaModes, LPVOID callParams);
extern LONG(WINAPI* lineShutdown)(HLineApp app);
extern LONG(WINAPI* lineTranslateDialog)(HLineApp app, DWORD deviceId, DWORD apiVersion, HWND owner,
                                         LPCSTR addressIn);
extern LONG(WINAPI* lineGetCallStatus)(HCall call, LPVOID callStatus);
extern LONG(WINAPI* lineTranslateAddress)(HLineApp app, DWORD deviceId, DWORD apiVersion,
                                          LPCSTR addressIn, DWORD card, DWORD options,
                                          LPVOID output);
extern LONG(WINAPI* lineGetNewCalls)(HLine line, DWORD addressId, DWORD select, LPVOID callList);
extern LONG(WINAPI* lineGetID)(HLine line, DWORD addressId, HCall call, DWORD select,
                               LPVOID deviceId, LPCSTR deviceClass);
extern LONG(WINAPI* lineGetTranslateCaps)(HLineApp app, DWORD apiVersion, LPVOID translateCaps);
extern LONG(WINAPI* lineGetCountry)(DWORD countryId, DWORD apiVersion, LPVOID countryList);

// The library the binder loads ("TAPI32.DLL"); tests point it at a simulated one before binding.
void SetTapiLibraryName(const wchar_t* name);

// True once TAPI32.DLL is loaded (whichever names it had); a failed load is tried again on the
// next call.
bool TapiApiAvailable();
// The module end: frees TAPI32.DLL and clears the pointers.
void TapiApiUnload() noexcept;
