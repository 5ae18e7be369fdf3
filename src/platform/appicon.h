#pragma once

#include <QIcon>
#include <QImage>

namespace platform {

// The program's icon: a registration form with a plate strip, drawn in code so
// that every size is sharp without an image library.
QImage drawAppIcon(int size);
QIcon appIcon();

} // namespace platform
