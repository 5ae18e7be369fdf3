#include "recordtables.h"

#include "records/entryscreen.h"
#include "records/textbox.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QHash>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTest>

#include "platform/dategrid.h"

namespace testing {

QVector<QStringList> readTable(const QString &file)
{
    QFile f(QStringLiteral(EVRAKMATIK_TEST_DATA "/") + file);
    if (!f.open(QIODevice::ReadOnly))
        qFatal("cannot read the table %s", qPrintable(f.fileName()));
    QVector<QStringList> rows;
    for (const QString &line : QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'))) {
        if (line.trimmed().isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        QStringList cells = line.split(QLatin1Char('\t'));
        for (QString &c : cells)
            c.replace(QLatin1String("\\n"), QLatin1String("\n"));
        rows << cells;
    }
    return rows;
}

void addTableRows(const QString &file)
{
    const QVector<QStringList> rows = readTable(file);
    const QStringList header = rows.value(0);
    // QtTest keeps the column names' pointers for the life of the test.
    static QList<QByteArray> names;
    for (int c = 1; c < header.size(); ++c) {
        names << header[c].toUtf8();
        QTest::addColumn<QString>(names.last().constData());
    }
    for (int r = 1; r < rows.size(); ++r) {
        if (rows[r].size() != header.size())
            qFatal("%s: row %d has %d cells, not %d", qPrintable(file), r, int(rows[r].size()),
                int(header.size()));
        QTestData &row = QTest::newRow(qPrintable(rows[r][0]));
        for (int c = 1; c < header.size(); ++c)
            row << rows[r][c];
    }
}

QWidget *control(const records::EntryScreen &s, const QString &name)
{
    static const QRegularExpression form(QStringLiteral("^(\\w+)\\((\\d+)\\)$"));
    const QRegularExpressionMatch m = form.match(name.trimmed());
    if (!m.hasMatch())
        return nullptr;
    const int i = m.captured(2).toInt();
    using S = records::EntryScreen;
    using Get = QWidget *(*)(const S &, int);
    static const QHash<QString, Get> kinds {
        { "txt",
            [](const S &s, int i) -> QWidget * {
                return s.txt(i) ? s.txt(i)->widget() : nullptr;
            } },
        { "sprTarih", [](const S &s, int i) -> QWidget * { return s.sprTarih(i); } },
        { "cmbX", [](const S &s, int i) -> QWidget * { return s.cmbX(i); } },
        { "chkX", [](const S &s, int i) -> QWidget * { return s.chkX(i); } },
        { "optX", [](const S &s, int i) -> QWidget * { return s.optX(i); } },
        { "OptA", [](const S &s, int i) -> QWidget * { return s.OptA(i); } },
        { "optC", [](const S &s, int i) -> QWidget * { return s.optC(i); } },
        { "optAdres", [](const S &s, int i) -> QWidget * { return s.optAdres(i); } },
        { "optTel", [](const S &s, int i) -> QWidget * { return s.optTel(i); } },
    };
    const Get get = kinds.value(m.captured(1));
    return get ? get(s, i) : nullptr;
}

bool setControls(records::EntryScreen &s, const QString &items)
{
    for (const QString &item : items.split(QLatin1Char('|'), Qt::SkipEmptyParts)) {
        const QString name = item.section(QLatin1Char('='), 0, 0);
        const QString value = item.section(QLatin1Char('='), 1);
        QWidget *w = control(s, name);
        if (name.startsWith(QLatin1String("txt(")) && w)
            s.txt(name.mid(4).chopped(1).toInt())->setText(value);
        else if (auto *date = qobject_cast<platform::DateGrid *>(w))
            date->setText(value);
        else if (auto *button = qobject_cast<QAbstractButton *>(w))
            button->setChecked(value == QLatin1String("1"));
        else
            return false;
    }
    return true;
}

} // namespace testing
