// A stand-in remote-access library for the binding tests: the fourteen entry
// points as trivial functions. Built three times, each as librasapi32.so in
// its own folder: all fourteen (full), without RasHangUpA (no-hangup), and
// without the optional RasValidateEntryNameA (no-optional).
#include "ras.h"

extern "C" {

// Which build this is, so a test can tell which copy was loaded.
const char* KivoraFakeRasVariant() { return KIVORA_FAKERAS_VARIANT; }

DWORD WINAPI RasDialA(LPRASDIALEXTENSIONS, LPCSTR, LPRASDIALPARAMSA, DWORD, LPVOID, LPHRASCONN) { return 0; }
#ifndef KIVORA_FAKERAS_NO_HANGUP
DWORD WINAPI RasHangUpA(HRASCONN) { return 0; }
#endif
DWORD WINAPI RasGetConnectStatusA(HRASCONN, LPRASCONNSTATUSA) { return 0; }
DWORD WINAPI RasSetEntryPropertiesA(LPCSTR, LPCSTR, LPRASENTRYA, DWORD, LPBYTE, DWORD) { return 0; }
DWORD WINAPI RasGetEntryPropertiesA(LPCSTR, LPCSTR, LPRASENTRYA, LPDWORD, LPBYTE, LPDWORD) { return 0; }
DWORD WINAPI RasEnumEntriesA(LPCSTR, LPCSTR, LPRASENTRYNAMEA, LPDWORD, LPDWORD) { return 0; }
DWORD WINAPI RasSetEntryDialParamsA(LPCSTR, LPRASDIALPARAMSA, BOOL) { return 0; }
DWORD WINAPI RasGetEntryDialParamsA(LPCSTR, LPRASDIALPARAMSA, LPBOOL) { return 0; }
DWORD WINAPI RasCreatePhonebookEntryA(HWND, LPCSTR) { return 0; }
DWORD WINAPI RasGetErrorStringA(UINT, LPSTR, DWORD) { return 0; }
DWORD WINAPI RasEnumConnectionsA(LPRASCONNA, LPDWORD, LPDWORD) { return 0; }
DWORD WINAPI RasDeleteEntryA(LPCSTR, LPCSTR) { return 0; }
DWORD WINAPI RasEnumDevicesA(LPRASDEVINFOA, LPDWORD, LPDWORD) { return 0; }
#ifndef KIVORA_FAKERAS_NO_OPTIONAL
DWORD WINAPI RasValidateEntryNameA(LPCSTR, LPCSTR) { return 0; }
#endif

}  // extern "C"
