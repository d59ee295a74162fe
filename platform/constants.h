#pragma once
// The system's numbers by name, for the portable code, the fake and the tests, which do not see
// <windows.h>. platform/win32/constants.cpp checks each against the SDK's value. The names are
// the SDK's in the program's spelling: the SDK's own are macros.

#include <cstdint>

namespace plat {

// NTSTATUS values.
inline constexpr std::int32_t kStatusSuccess = 0;
inline constexpr std::int32_t kStatusInvalidInfoClass = static_cast<std::int32_t>(0xC0000003u);
inline constexpr std::int32_t kStatusInfoLengthMismatch = static_cast<std::int32_t>(0xC0000004u);

// SYSTEM_INFORMATION_CLASS values of NtQuerySystemInformation.
inline constexpr std::uint32_t kSystemBasicInformation = 0;
inline constexpr std::uint32_t kSystemPerformanceInformation = 2;
inline constexpr std::uint32_t kSystemTimeOfDayInformation = 3;
inline constexpr std::uint32_t kSystemProcessInformation = 5;

// Access rights of process handles.
inline constexpr std::uint32_t kProcessTerminate = 0x0001;
inline constexpr std::uint32_t kProcessVmRead = 0x0010;
inline constexpr std::uint32_t kProcessQueryInformation = 0x0400;
// PROCESS_ALL_ACCESS as the SDK defines it before Vista; Windows XP refuses the later value.
inline constexpr std::uint32_t kProcessAllAccessXp = 0x1F0FFF;
inline constexpr std::uint32_t kTokenAdjustPrivileges = 0x0020;
inline constexpr std::uint32_t kSePrivilegeEnabled = 0x0002;

// Top-level windows: GetWindowLongA's style index and the visible style bit, and WM_GETICON's
// icon types.
inline constexpr int kGwlStyle = -16;
inline constexpr std::int32_t kWsVisible = 0x10000000;
inline constexpr int kIconSmall = 0;
inline constexpr int kIconBig = 1;

// Synthesised keys: virtual keys, keybd_event's key-up flag, MapVirtualKeyA's map type.
inline constexpr std::uint8_t kVkLWin = 0x5B;
inline constexpr std::uint8_t kVkR = 'R';  // letters are their upper-case ASCII codes
inline constexpr std::uint32_t kKeyEventFKeyUp = 0x0002;
inline constexpr std::uint32_t kMapVkVkToVsc = 0;

// ShellExecuteA: the show command, and the highest result that reports a failure.
inline constexpr int kSwShowNormal = 1;
inline constexpr std::intptr_t kShellExecuteFailedAtMost = 32;

// Message boxes: the buttons (the low four bits of the flags), the icons, and the answers.
inline constexpr std::uint32_t kMbYesNo = 0x04;
inline constexpr std::uint32_t kMbTypeMask = 0x0F;
inline constexpr std::uint32_t kMbIconError = 0x10;
inline constexpr std::uint32_t kMbIconExclamation = 0x30;
inline constexpr int kIdOk = 1;
inline constexpr int kIdYes = 6;
inline constexpr int kIdNo = 7;

}  // namespace plat
