#pragma once
// The programs' own icons, drawn here: a golden cloche on a rounded square, teal for the front
// desk and blue for the back office. The same drawing gives the window icons and the PNG files
// the package installs.
#include <QIcon>
#include <QImage>

namespace kx {

enum class ProgramIcon { FrontDesk, BackOffice };

// The icon drawn at `size` pixels square.
QImage programIconImage(ProgramIcon which, int size);
// The icon at the usual sizes, for a window.
QIcon programIcon(ProgramIcon which);

} // namespace kx
