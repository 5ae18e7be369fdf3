#pragma once

#include <QByteArray>
#include <QString>

namespace platform {

// Settings files are 8-bit text in the Windows Turkish code page (cp1254).
// The few bytes without a character there (81, 8D, 8E, 8F, 90, 9D, 9E) read
// as the control character of the same number and write back as that byte,
// so a file read and rewritten keeps them.
QString fromCp1254(const QByteArray &bytes);
// Other characters the code page lacks become their closest transliteration
// or "?".
QByteArray toCp1254(const QString &text);

} // namespace platform
