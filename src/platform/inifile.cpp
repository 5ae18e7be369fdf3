#include "inifile.h"

#include "codepage.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringList>

namespace platform {

namespace {

bool loadLines(const QString &path, QStringList *lines, bool *exists, QString *error)
{
    QFile file(path);
    *exists = file.exists();
    if (!*exists)
        return true;
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    const QString text = fromCp1254(file.readAll());
    *lines = text.split(QLatin1Char('\n'));
    for (QString &l : *lines) {
        if (l.endsWith(QLatin1Char('\r')))
            l.chop(1);
    }
    if (!lines->isEmpty() && lines->last().isEmpty())
        lines->removeLast();
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
    QStringList lines;
    bool exists = false;
    if (!loadLines(path, &lines, &exists, error) || !exists)
        return std::nullopt;
    bool inSection = false;
    for (const QString &line : lines) {
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
    QStringList lines;
    bool exists = false;
    if (!loadLines(path, &lines, &exists, error))
        return false;
    const QString entry = key + QLatin1Char('=') + value;
    int sectionLine = -1;
    int insertAt = -1;
    bool done = false;
    for (int i = 0; i < lines.size() && !done; ++i) {
        const QString s = sectionOf(lines[i]);
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
        if (splitEntry(lines[i], &k, &v) && sameName(k, key)) {
            lines[i] = entry;
            done = true;
        } else if (!lines[i].trimmed().isEmpty()) {
            insertAt = i + 1;
        }
    }
    if (!done) {
        if (sectionLine < 0) {
            lines << QLatin1Char('[') + section + QLatin1Char(']') << entry;
        } else {
            lines.insert(insertAt, entry);
        }
    }
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly)) {
        if (error)
            *error = out.errorString();
        return false;
    }
    out.write(toCp1254(lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")));
    if (!out.commit()) {
        if (error)
            *error = out.errorString();
        return false;
    }
    return true;
}

} // namespace platform
