// The INI reader and writer on arbitrary file contents, sections and keys.
#include "platform/codepage.h"
#include "platform/inifile.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("fuzz.sys"));
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    // The first two lines name the section and key; the rest is the file.
    const QList<QByteArray> parts = bytes.split('\n');
    const QString section = QString::fromLatin1(parts.value(0));
    const QString key = QString::fromLatin1(parts.value(1));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return 0;
    f.write(bytes);
    f.close();
    QString error;
    const auto before = platform::IniFile::read(path, section, key, &error);
    if (!section.isEmpty() && !key.isEmpty() && !key.contains(QLatin1Char('='))
        && !section.contains(QLatin1Char(']')) && key.trimmed() == key
        && section.trimmed() == section && !key.startsWith(QLatin1Char('['))
        && !key.contains(QLatin1Char('\r'))
        && !section.contains(QLatin1Char('\r'))
        // Names the code page cannot hold cannot be found again by any reader.
        && platform::fromCp1254(platform::toCp1254(section)) == section
        && platform::fromCp1254(platform::toCp1254(key)) == key) {
        platform::IniFile::write(path, section, key, QStringLiteral("değer"), &error);
        const auto after = platform::IniFile::read(path, section, key, &error);
        if (!after || *after != QStringLiteral("değer"))
            __builtin_trap(); // a value written must read back
    }
    (void)before;
    return 0;
}
