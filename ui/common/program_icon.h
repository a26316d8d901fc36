#pragma once

#include <QIcon>
#include <QWidget>

#include <array>

namespace tessaly {

// The sizes the icon is drawn at, as the desktop's icon theme holds them.
inline constexpr std::array<int, 7> Program_Icon_Sizes = {16, 24, 32, 48, 64, 128, 256};

// The program's icon from the desktop's icon theme when it is installed,
// else the copy built into the program (a portable copy has no theme entry).
QIcon Program_Icon();

// Gives the application the program's icon once `window` has first been
// painted: looking it up and decoding it would otherwise hold up the first
// paint. Windows shown earlier (a message at start-up) should be given the
// icon before they show.
void Set_Program_Icon_Once_Shown(QWidget& window);

// The built-in copy alone, each size drawn for that size.
QIcon Built_In_Program_Icon();

// The built-in picture at one of the sizes.
QString Built_In_Program_Icon_File(int size);

}  // namespace tessaly
