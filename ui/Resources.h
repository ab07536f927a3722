#pragma once
#include <QIcon>
#include <QString>

namespace nembra {

// Resource numbers of the program icon and the command button bitmaps.
inline constexpr int IDR_MAINFRAME = 128;
inline constexpr int IDB_LOAD = 130;
inline constexpr int IDB_TARGET_RESET = 131;
inline constexpr int IDB_POD_WRITE = 132;
inline constexpr int IDB_POD_VERIFY = 133;
inline constexpr int IDB_TARGET_WRITE = 134;
inline constexpr int IDB_POD_INFO = 135;
inline constexpr int IDB_EXIT = 136;

// Makes the compiled-in images reachable; the window calls it before use.
void InitNembraResources();
// The Qt resource path of a bitmap or icon number; empty when unknown.
QString ResourcePath(int id);
QIcon ProgramIcon();

}  // namespace nembra
