#include "inisettings.h"

#include "basics.h"
#include "errorbox.h"
#include "platform/inifile.h"

namespace app {

namespace {
constexpr int kReadLimit = 254; // what the profile buffer of 255 characters holds
constexpr int kFileAccessError = 75;
} // namespace

QString IniOkuYaz(const QString &mode, const QString &file, const QString &section,
    const QString &key, const QVariant &value)
{
    if (mode.isEmpty())
        return QStringLiteral("Tip Hatası");
    if (section.isEmpty())
        return QStringLiteral("Secname Hatası");
    if (key.isEmpty())
        return QStringLiteral("Keyname Hatası");
    const QString m = mode.toUpper();
    QString error;
    if (m == QLatin1String("YAZ")) {
        if (!platform::IniFile::write(file, section, key, NullTxt(value), &error))
            HataGoster(kFileAccessError, error, QStringLiteral("IniOkuYaz"), true);
        return {};
    }
    if (m == QLatin1String("OKU")) {
        const auto v = platform::IniFile::read(file, section, key, &error);
        if (!error.isEmpty()) {
            HataGoster(kFileAccessError, error, QStringLiteral("IniOkuYaz"), true);
            return {};
        }
        if (!v || v->startsWith(QLatin1String("Failed")))
            return {};
        return v->left(kReadLimit);
    }
    return {};
}

} // namespace app
