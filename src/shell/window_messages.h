// Window message and command numbers that the decision tables speak of, so
// that they can be used without windows.h. The Win32 adapters check each
// against the system's own definition.
#pragma once

#include <cstdint>

namespace Msg {
constexpr uint32_t Create = 0x0001;
constexpr uint32_t Destroy = 0x0002;
constexpr uint32_t SetText = 0x000C;
constexpr uint32_t Paint = 0x000F;
constexpr uint32_t Close = 0x0010;
constexpr uint32_t ShowWindow = 0x0018;
constexpr uint32_t SetCursor = 0x0020;
constexpr uint32_t Power = 0x0048;
constexpr uint32_t Help = 0x0053;
constexpr uint32_t ContextMenu = 0x007B;
constexpr uint32_t KeyDown = 0x0100;
constexpr uint32_t SysKeyDown = 0x0104;
constexpr uint32_t SysCommand = 0x0112;
constexpr uint32_t Timer = 0x0113;
constexpr uint32_t MouseMove = 0x0200;
constexpr uint32_t LeftButtonDown = 0x0201;
constexpr uint32_t LeftButtonUp = 0x0202;
constexpr uint32_t RightButtonDown = 0x0204;
constexpr uint32_t RightButtonUp = 0x0205;
constexpr uint32_t MiddleButtonDown = 0x0207;
constexpr uint32_t MiddleButtonUp = 0x0208;
constexpr uint32_t PowerBroadcast = 0x0218;
// Sent by the host to itself to run the Windows 9x password prompt.
constexpr uint32_t VerifyPasswordRequest = 0x8000;
}  // namespace Msg

namespace SysCommand {
constexpr uint32_t NextWindow = 0xF040;
constexpr uint32_t PrevWindow = 0xF050;
constexpr uint32_t ScreenSave = 0xF140;
constexpr uint32_t MonitorPower = 0xF170;
}  // namespace SysCommand
