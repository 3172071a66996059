#pragma once
// The program's pictures: icons of the desktop's freedesktop theme where it has them, else the
// drawings shipped in the program's resources.
#include <QIcon>

namespace marvono {

// The theme's icon `themeName`, or the shipped drawing ":/artwork/<fallback>.svg".
QIcon artworkIcon(const char* themeName, const char* fallback);

// The shop bag: every window's icon and the desktop entry's.
QIcon programIcon();

// The decorative strip of the toolbar frame (Image1).
QPixmap toolbarPicture(const QSize& size);

// Makes the program icon the icon of every window, message boxes and file dialogs included.
void installProgramIcon();

} // namespace marvono
