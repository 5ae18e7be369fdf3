#pragma once

#include <QByteArray>
#include <QString>

namespace platform {

// Settings files are 8-bit text in the Windows Turkish code page (cp1254).
QString fromCp1254(const QByteArray &bytes);
// Characters the code page lacks become their closest transliteration or "?".
QByteArray toCp1254(const QString &text);

} // namespace platform
