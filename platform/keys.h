// Key codes of Key events: a virtual key (the low byte, as the system's keyboard names it)
// plus modifier bits. So Ctrl with virtual key DEh is 2DEh.
#pragma once

namespace ormile::platform::keys {

constexpr int Shift = 0x100;
constexpr int Ctrl = 0x200;
constexpr int Alt = 0x400;

constexpr int Enter = 0x0D;
constexpr int PageUp = 0x21;
constexpr int PageDown = 0x22;
constexpr int End = 0x23;
constexpr int Home = 0x24;
constexpr int Left = 0x25;
constexpr int Up = 0x26;
constexpr int Right = 0x27;
constexpr int Down = 0x28;
constexpr int Insert = 0x2D;
constexpr int Delete = 0x2E;

}  // namespace ormile::platform::keys
