#include "inifile.h"

#include "codepage.h"
#include "safesave.h"

#include <QByteArrayView>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>

namespace platform {

namespace {

const QByteArray kUtf8Mark("\xEF\xBB\xBF");
// Far beyond any settings file; a bigger one is no settings file.
const qint64 kLargestFile = 1 << 20;

// The file's lines as bytes. Only the line a write changes is encoded anew:
// every other line keeps its bytes, whatever they are.
struct IniLines {
    bool exists = false;
    bool utf8 = false; // an editor saved the file as UTF-8
    bool mark = false; // with a byte order mark
    QList<QByteArray> raw;

    QString text(qsizetype i) const
    {
        return utf8 ? QString::fromUtf8(raw[i]) : fromCp1254(raw[i]);
    }
    QByteArray bytes(const QString &line) const { return utf8 ? line.toUtf8() : toCp1254(line); }
};

bool loadLines(const QString &path, IniLines *lines, QString *error)
{
    QFile file(path);
    const QFileInfo info(path);
    lines->exists = file.exists();
    if (!lines->exists)
        return true;
    // A device or a pipe would hang the read or never end it.
    if (!info.isFile() || info.size() > kLargestFile) {
        if (error)
            *error = info.isDir()
                ? QStringLiteral("Ayar dosyası yerine bir klasör var: %1").arg(path)
                : !info.isFile()
                ? QStringLiteral("Ayar dosyası sıradan bir dosya değil (aygıt ya da boru): %1")
                      .arg(path)
                : QStringLiteral("Ayar dosyası bir ayar dosyası olamayacak kadar büyük: %1")
                      .arg(path);
        return false;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    QByteArray all = file.readAll();
    lines->mark = all.startsWith(kUtf8Mark);
    if (lines->mark)
        all.remove(0, kUtf8Mark.size());
    // Editors on Linux save UTF-8 without a mark; Turkish letters in cp1254
    // practically never form valid UTF-8.
    const bool ascii = std::all_of(all.cbegin(), all.cend(), [](char c) { return c >= 0; });
    lines->utf8 = lines->mark || (!ascii && QByteArrayView(all).isValidUtf8());
    lines->raw = all.split('\n');
    for (QByteArray &l : lines->raw) {
        if (l.endsWith('\r'))
            l.chop(1);
    }
    if (!lines->raw.isEmpty() && lines->raw.last().isEmpty())
        lines->raw.removeLast();
    return true;
}

// Name of the section a line opens, or a null string.
QString sectionOf(const QString &line)
{
    const QString t = line.trimmed();
    if (t.startsWith(QLatin1Char('[')) && t.contains(QLatin1Char(']')))
        return t.mid(1, t.indexOf(QLatin1Char(']')) - 1).trimmed();
    return {};
}

bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Key and value of a "key=value" line.
bool splitEntry(const QString &line, QString *key, QString *value)
{
    const int eq = line.indexOf(QLatin1Char('='));
    if (eq < 0)
        return false;
    *key = line.left(eq).trimmed();
    *value = line.mid(eq + 1).trimmed();
    return true;
}

} // namespace

std::optional<QString> IniFile::read(
    const QString &path, const QString &section, const QString &key, QString *error)
{
    IniLines lines;
    if (!loadLines(path, &lines, error) || !lines.exists)
        return std::nullopt;
    bool inSection = false;
    for (qsizetype i = 0; i < lines.raw.size(); ++i) {
        const QString line = lines.text(i);
        const QString s = sectionOf(line);
        if (!s.isNull()) {
            inSection = sameName(s, section);
            continue;
        }
        QString k, v;
        if (inSection && splitEntry(line, &k, &v) && sameName(k, key))
            return v;
    }
    return std::nullopt;
}

bool IniFile::write(const QString &path, const QString &section, const QString &key,
    const QString &value, QString *error)
{
    // Another account may plant a link where the file goes: writing through it
    // would rewrite whatever it points to.
    if (QFileInfo(path).isSymLink()) {
        if (error)
            *error = QStringLiteral("Ayar dosyası bir bağlantı (symlink); üzerine yazılmadı: %1")
                         .arg(path);
        return false;
    }
    IniLines lines;
    if (!loadLines(path, &lines, error))
        return false;
    const QByteArray entry = lines.bytes(key + QLatin1Char('=') + value);
    int sectionLine = -1;
    int insertAt = -1;
    bool done = false;
    for (int i = 0; i < lines.raw.size() && !done; ++i) {
        const QString line = lines.text(i);
        const QString s = sectionOf(line);
        if (!s.isNull()) {
            if (sectionLine >= 0)
                break; // end of our section
            if (sameName(s, section)) {
                sectionLine = i;
                insertAt = i + 1;
            }
            continue;
        }
        if (sectionLine < 0)
            continue;
        QString k, v;
        if (splitEntry(line, &k, &v) && sameName(k, key)) {
            lines.raw[i] = entry;
            done = true;
        } else if (!line.trimmed().isEmpty()) {
            insertAt = i + 1;
        }
    }
    if (!done) {
        if (sectionLine < 0) {
            lines.raw << lines.bytes(QLatin1Char('[') + section + QLatin1Char(']')) << entry;
        } else {
            lines.raw.insert(insertAt, entry);
        }
    }
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly)) {
        if (error)
            *error = writeFailureReason(out.errorString());
        return false;
    }
    out.write((lines.mark ? kUtf8Mark : QByteArray()) + lines.raw.join("\r\n") + "\r\n");
    // The user's own settings, whatever the umask: nobody else changes them.
    out.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    QString failure;
    if (!commitSaveFile(out, &failure)) {
        if (error)
            *error = failure;
        return false;
    }
    return true;
}

} // namespace platform
