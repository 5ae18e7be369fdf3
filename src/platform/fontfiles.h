#pragma once

#include <QString>

namespace platform {

// The files the program's faces were loaded from, so that an export can carry
// the very faces it was laid out with.
void rememberFontFile(const QString &family, bool bold, const QString &path);
// The file of a face; empty when the face came from elsewhere.
QString fontFile(const QString &family, bool bold);

} // namespace platform
