#include "printingdata.h"

#include <QFile>

namespace testing {

QVector<QStringList> readTable(const QString &name)
{
    QVector<QStringList> rows;
    QFile f(QStringLiteral(EVRAKMATIK_TEST_DATA "/") + name);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return rows;
    for (const QString &line : QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'))) {
        if (!line.isEmpty() && !line.startsWith(QLatin1Char('#')))
            rows << line.split(QLatin1Char('\t'));
    }
    return rows;
}

} // namespace testing
