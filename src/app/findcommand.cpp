#include "findcommand.h"

#include "datafiles.h"
#include "platform/messages.h"
#include "records/searchindex.h"

#include <cstdio>

namespace app {

namespace {

// A tab or line break inside a value would shift the columns after it.
QString cell(QString value)
{
    return value.replace(QLatin1Char('\t'), QLatin1Char(' '))
        .replace(QLatin1Char('\n'), QLatin1Char(' '))
        .replace(QLatin1Char('\r'), QLatin1Char(' '));
}

} // namespace

int findCommand(const QString &text)
{
    platform::ConsoleMessages console;
    // A store from before the search gets its index first.
    upgradeRecordStore(consoleProgress);
    QSqlDatabase db;
    int code = 2;
    if (OpenData(db, RecordStoreData)) {
        std::vector<records::SearchHit> hits;
        QString error;
        if (records::SearchIndex::find(db, text, &hits, &error)) {
            QByteArray out;
            for (const records::SearchHit &h : hits) {
                const QString matched = h.matched;
                out += QStringList { QString::number(h.id), cell(h.eskiPlaka), cell(h.yeniPlaka),
                    cell(h.saseNo), cell(h.motorNo), cell(h.owner), matched }
                           .join(QLatin1Char('\t'))
                           .toUtf8()
                    + '\n';
            }
            std::fwrite(out.constData(), 1, size_t(out.size()), stdout);
            code = hits.empty() ? 1 : 0;
        } else {
            std::fprintf(stderr, "Kayıt deposunda aranamadı: %s\n", qPrintable(error));
        }
    }
    CloseDb(db);
    return code;
}

} // namespace app
