// The names of platform/constants.h against the SDK's values. Nothing here runs.

#define WIN32_NO_STATUS
#include <windows.h>
#undef WIN32_NO_STATUS

#include <ntstatus.h>
#include <shellapi.h>
#include <winternl.h>

#include "platform/constants.h"

static_assert(plat::kStatusSuccess == STATUS_SUCCESS);
static_assert(plat::kStatusInvalidInfoClass == STATUS_INVALID_INFO_CLASS);
static_assert(plat::kStatusInfoLengthMismatch == STATUS_INFO_LENGTH_MISMATCH);

static_assert(plat::kSystemBasicInformation == SystemBasicInformation);
static_assert(plat::kSystemPerformanceInformation == SystemPerformanceInformation);
static_assert(plat::kSystemTimeOfDayInformation == SystemTimeOfDayInformation);
static_assert(plat::kSystemProcessInformation == SystemProcessInformation);

static_assert(plat::kProcessTerminate == PROCESS_TERMINATE);
static_assert(plat::kProcessVmRead == PROCESS_VM_READ);
static_assert(plat::kProcessQueryInformation == PROCESS_QUERY_INFORMATION);
// From Vista on the SDK widens PROCESS_ALL_ACCESS to 0xFFFF specific rights.
static_assert(plat::kProcessAllAccessXp == (STANDARD_RIGHTS_REQUIRED | SYNCHRONIZE | 0xFFF));
#if _WIN32_WINNT < 0x0600
static_assert(plat::kProcessAllAccessXp == PROCESS_ALL_ACCESS);
static_assert(plat::kTokenAdjustPrivileges == TOKEN_ADJUST_PRIVILEGES);
static_assert(plat::kSePrivilegeEnabled == SE_PRIVILEGE_ENABLED);
#endif

static_assert(plat::kGwlStyle == GWL_STYLE);
static_assert(plat::kWsVisible == static_cast<LONG>(WS_VISIBLE));
static_assert(plat::kIconSmall == ICON_SMALL);
static_assert(plat::kIconBig == ICON_BIG);

static_assert(plat::kVkLWin == VK_LWIN);
static_assert(plat::kKeyEventFKeyUp == KEYEVENTF_KEYUP);
static_assert(plat::kMapVkVkToVsc == MAPVK_VK_TO_VSC);

static_assert(plat::kSwShowNormal == SW_SHOWNORMAL);
// The highest of the SE_ERR_ codes: ShellExecute's failures are the values up to 32.
static_assert(plat::kShellExecuteFailedAtMost == SE_ERR_DLLNOTFOUND);

static_assert(plat::kMbYesNo == MB_YESNO);
static_assert(plat::kMbTypeMask == MB_TYPEMASK);
static_assert(plat::kMbIconError == MB_ICONERROR);
static_assert(plat::kMbIconExclamation == MB_ICONEXCLAMATION);
static_assert(plat::kIdOk == IDOK);
static_assert(plat::kIdYes == IDYES);
static_assert(plat::kIdNo == IDNO);
