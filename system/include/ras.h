// Remote-access API records and entry points, remote-access version 4.00
// layouts. The sizes are the ones every caller puts into dwSize. The Windows
// build takes these too (through include/win32): the service tells a
// record's version by its dwSize, and the system's own ras.h declares only
// the newest layouts.
#pragma once

#include <windows.h>

#include <cstddef>

constexpr DWORD RAS_MaxEntryName = 256;
constexpr DWORD RAS_MaxDeviceType = 16;
constexpr DWORD RAS_MaxDeviceName = 128;
constexpr DWORD RAS_MaxPhoneNumber = 128;
constexpr DWORD RAS_MaxCallbackNumber = RAS_MaxPhoneNumber;
constexpr DWORD RAS_MaxAreaCode = 10;
constexpr DWORD RAS_MaxPadType = 32;
constexpr DWORD RAS_MaxX25Address = 200;
constexpr DWORD RAS_MaxFacilities = 200;
constexpr DWORD RAS_MaxUserData = 200;
#ifdef _WIN32
#include <lmcons.h>
#else
constexpr DWORD UNLEN = 256;
constexpr DWORD PWLEN = 256;
constexpr DWORD DNLEN = 15;
#endif

// Remote-access error codes (raserror.h).
constexpr DWORD ERROR_INVALID_PORT_HANDLE = 601;
constexpr DWORD ERROR_BUFFER_TOO_SMALL = 603;
constexpr DWORD ERROR_INVALID_SIZE = 632;
constexpr DWORD ERROR_BUFFER_INVALID = 610;
constexpr DWORD ERROR_CANNOT_OPEN_PHONEBOOK = 621;
constexpr DWORD ERROR_CANNOT_LOAD_PHONEBOOK = 622;
constexpr DWORD ERROR_CANNOT_FIND_PHONEBOOK_ENTRY = 623;
constexpr DWORD ERROR_CANNOT_WRITE_PHONEBOOK = 624;
constexpr DWORD ERROR_CORRUPT_PHONEBOOK = 625;
constexpr DWORD ERROR_DEVICE_DOES_NOT_EXIST = 608;
#ifndef _WIN32
constexpr DWORD ERROR_INVALID_NAME = 123;
#endif

// Entry options (dwfOptions).
constexpr DWORD RASEO_UseCountryAndAreaCodes = 0x00000001;
constexpr DWORD RASEO_SpecificIpAddr = 0x00000002;
constexpr DWORD RASEO_SpecificNameServers = 0x00000004;
constexpr DWORD RASEO_IpHeaderCompression = 0x00000008;
constexpr DWORD RASEO_RemoteDefaultGateway = 0x00000010;
constexpr DWORD RASEO_DisableLcpExtensions = 0x00000020;
constexpr DWORD RASEO_TerminalBeforeDial = 0x00000040;
constexpr DWORD RASEO_TerminalAfterDial = 0x00000080;
constexpr DWORD RASEO_ModemLights = 0x00000100;
constexpr DWORD RASEO_SwCompression = 0x00000200;
constexpr DWORD RASEO_RequireEncryptedPw = 0x00000400;
constexpr DWORD RASEO_RequireMsEncryptedPw = 0x00000800;
constexpr DWORD RASEO_RequireDataEncryption = 0x00001000;
constexpr DWORD RASEO_NetworkLogon = 0x00002000;
constexpr DWORD RASEO_UseLogonCredentials = 0x00004000;
constexpr DWORD RASEO_PromoteAlternates = 0x00008000;
constexpr DWORD RASEO_PreviewUserPw = 0x01000000;
constexpr DWORD RASEO_PreviewPhoneNumber = 0x02000000;
constexpr DWORD RASEO_ShowDialingProgress = 0x04000000;

constexpr DWORD RASNP_NetBEUI = 0x1;
constexpr DWORD RASNP_Ipx = 0x2;
constexpr DWORD RASNP_Ip = 0x4;
constexpr DWORD RASFP_Ppp = 0x1;
constexpr DWORD RASFP_Slip = 0x2;
constexpr DWORD RASFP_Ras = 0x4;

#define RASDT_Modem "modem"
#define RASDT_Isdn "isdn"

#ifdef _WIN32
// A real handle: records holding one are larger on x86-64.
using HRASCONN = HANDLE;
#else
// The connection handle is 32 bits wide, as on 32-bit Windows, so that the
// version 4.00 record sizes hold on a 64-bit build too.
using HRASCONN = DWORD;
#endif
using LPHRASCONN = HRASCONN*;

struct RASIPADDR {
    BYTE a;
    BYTE b;
    BYTE c;
    BYTE d;
};

struct RASENTRYA {
    DWORD dwSize;
    DWORD dwfOptions;
    DWORD dwCountryID;
    DWORD dwCountryCode;
    CHAR szAreaCode[RAS_MaxAreaCode + 1];
    CHAR szLocalPhoneNumber[RAS_MaxPhoneNumber + 1];
    DWORD dwAlternateOffset;
    RASIPADDR ipaddr;
    RASIPADDR ipaddrDns;
    RASIPADDR ipaddrDnsAlt;
    RASIPADDR ipaddrWins;
    RASIPADDR ipaddrWinsAlt;
    DWORD dwFrameSize;
    DWORD dwfNetProtocols;
    DWORD dwFramingProtocol;
    CHAR szScript[MAX_PATH];
    CHAR szAutodialDll[MAX_PATH];
    CHAR szAutodialFunc[MAX_PATH];
    CHAR szDeviceType[RAS_MaxDeviceType + 1];
    CHAR szDeviceName[RAS_MaxDeviceName + 1];
    CHAR szX25PadType[RAS_MaxPadType + 1];
    CHAR szX25Address[RAS_MaxX25Address + 1];
    CHAR szX25Facilities[RAS_MaxFacilities + 1];
    CHAR szX25UserData[RAS_MaxUserData + 1];
    DWORD dwChannels;
    DWORD dwReserved1;
    DWORD dwReserved2;
};
using LPRASENTRYA = RASENTRYA*;

struct RASDIALPARAMSA {
    DWORD dwSize;
    CHAR szEntryName[RAS_MaxEntryName + 1];
    CHAR szPhoneNumber[RAS_MaxPhoneNumber + 1];
    CHAR szCallbackNumber[RAS_MaxCallbackNumber + 1];
    CHAR szUserName[UNLEN + 1];
    CHAR szPassword[PWLEN + 1];
    CHAR szDomain[DNLEN + 1];
};
using LPRASDIALPARAMSA = RASDIALPARAMSA*;

struct RASCONNA {
    DWORD dwSize;
    HRASCONN hrasconn;
    CHAR szEntryName[RAS_MaxEntryName + 1];
    CHAR szDeviceType[RAS_MaxDeviceType + 1];
    CHAR szDeviceName[RAS_MaxDeviceName + 1];
};
using LPRASCONNA = RASCONNA*;

struct RASDEVINFOA {
    DWORD dwSize;
    CHAR szDeviceType[RAS_MaxDeviceType + 1];
    CHAR szDeviceName[RAS_MaxDeviceName + 1];
};
using LPRASDEVINFOA = RASDEVINFOA*;

struct RASENTRYNAMEA {
    DWORD dwSize;
    CHAR szEntryName[RAS_MaxEntryName + 1];
};
using LPRASENTRYNAMEA = RASENTRYNAMEA*;

enum RASCONNSTATE : DWORD {
    RASCS_OpenPort = 0,
    RASCS_Connected = 0x2000,
    RASCS_Disconnected = 0x2001,
};

struct RASCONNSTATUSA {
    DWORD dwSize;
    RASCONNSTATE rasconnstate;
    DWORD dwError;
    CHAR szDeviceType[RAS_MaxDeviceType + 1];
    CHAR szDeviceName[RAS_MaxDeviceName + 1];
};
using LPRASCONNSTATUSA = RASCONNSTATUSA*;

struct RASDIALEXTENSIONS {
    DWORD dwSize;
    DWORD dwfOptions;
    HWND hwndParent;
    ULONG_PTR reserved;
};
using LPRASDIALEXTENSIONS = RASDIALEXTENSIONS*;

static_assert(sizeof(RASENTRYA) == 1768);
static_assert(sizeof(RASDIALPARAMSA) == 1052);
// dwSize, padding up to the handle's alignment, the handle, the three names,
// and padding to a whole multiple of that alignment: 412 bytes with the
// 32-bit handle, 424 with a 64-bit one.
constexpr std::size_t kRasConnAlign = alignof(HRASCONN);
static_assert(offsetof(RASCONNA, szEntryName) == 2 * kRasConnAlign);
static_assert(sizeof(RASCONNA) ==
              (2 * kRasConnAlign + (RAS_MaxEntryName + 1) + (RAS_MaxDeviceType + 1) + (RAS_MaxDeviceName + 1) +
               kRasConnAlign - 1) / kRasConnAlign * kRasConnAlign);
#ifndef _WIN64
static_assert(sizeof(RASCONNA) == 412);
#endif
static_assert(sizeof(RASDEVINFOA) == 152);
static_assert(sizeof(RASENTRYNAMEA) == 264);
static_assert(sizeof(RASCONNSTATUSA) == 160);

// The fourteen entry points, as pointer types for run-time binding.
extern "C" {
using PFN_RasDialA = DWORD(WINAPI*)(LPRASDIALEXTENSIONS, LPCSTR phonebook, LPRASDIALPARAMSA,
                                    DWORD notifierType, LPVOID notifier, LPHRASCONN);
using PFN_RasHangUpA = DWORD(WINAPI*)(HRASCONN);
using PFN_RasGetConnectStatusA = DWORD(WINAPI*)(HRASCONN, LPRASCONNSTATUSA);
using PFN_RasSetEntryPropertiesA = DWORD(WINAPI*)(LPCSTR phonebook, LPCSTR entry, LPRASENTRYA,
                                                  DWORD entrySize, LPBYTE deviceInfo,
                                                  DWORD deviceInfoSize);
using PFN_RasGetEntryPropertiesA = DWORD(WINAPI*)(LPCSTR phonebook, LPCSTR entry, LPRASENTRYA,
                                                  LPDWORD entrySize, LPBYTE deviceInfo,
                                                  LPDWORD deviceInfoSize);
using PFN_RasEnumEntriesA = DWORD(WINAPI*)(LPCSTR reserved, LPCSTR phonebook, LPRASENTRYNAMEA,
                                           LPDWORD size, LPDWORD count);
using PFN_RasSetEntryDialParamsA = DWORD(WINAPI*)(LPCSTR phonebook, LPRASDIALPARAMSA,
                                                  BOOL removePassword);
using PFN_RasGetEntryDialParamsA = DWORD(WINAPI*)(LPCSTR phonebook, LPRASDIALPARAMSA,
                                                  LPBOOL hasPassword);
using PFN_RasCreatePhonebookEntryA = DWORD(WINAPI*)(HWND, LPCSTR phonebook);
using PFN_RasGetErrorStringA = DWORD(WINAPI*)(UINT error, LPSTR text, DWORD size);
using PFN_RasEnumConnectionsA = DWORD(WINAPI*)(LPRASCONNA, LPDWORD size, LPDWORD count);
using PFN_RasDeleteEntryA = DWORD(WINAPI*)(LPCSTR phonebook, LPCSTR entry);
using PFN_RasEnumDevicesA = DWORD(WINAPI*)(LPRASDEVINFOA, LPDWORD size, LPDWORD count);
using PFN_RasValidateEntryNameA = DWORD(WINAPI*)(LPCSTR phonebook, LPCSTR entry);
}
