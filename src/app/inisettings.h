#pragma once

#include <QString>
#include <QVariant>

namespace app {

// Reads ("OKU") or writes ("YAZ") one value of an INI settings file.
QString IniOkuYaz(const QString &mode, const QString &file, const QString &section,
    const QString &key, const QVariant &value = QVariant());

} // namespace app
