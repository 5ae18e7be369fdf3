#include "returningowner.h"

#include "app/basics.h"
#include "app/datafiles.h"
#include "app/errorbox.h"
#include "entryscreen.h"
#include "platform/codepage.h"
#include "platform/dategrid.h"
#include "platform/messages.h"
#include "platform/storedtext.h"
#include "screenvalues.h"

#include <QApplication>
#include <QLineEdit>
#include <QMetaObject>
#include <QSqlQuery>

#include <memory>

namespace records {

namespace {

const char *kDeclined = "evrakmatikDeclinedOwner";

} // namespace

std::optional<QSqlRecord> findStoredOwner(const QString &kimlikNo)
{
    const QString key = kimlikNo.trimmed();
    if (key.isEmpty())
        return std::nullopt;
    QSqlDatabase db;
    if (!app::OpenData(db, app::RecordStoreData))
        return std::nullopt;
    std::optional<QSqlRecord> found;
    {
        QSqlQuery q(db);
        q.setForwardOnly(true);
        // Rows carry no time: the highest ID is the owner row saved last.
        // A number an older tool wrote in the Turkish code page is found too,
        // and its row read as the load reads it.
        q.prepare(QStringLiteral("SELECT * FROM ARACSAHIPLERI WHERE KIMLIKNO IN (?, CAST(? AS "
                                 "TEXT)) ORDER BY ID DESC LIMIT 1"));
        const QByteArray legacy = platform::toCp1254(key);
        q.addBindValue(key);
        q.addBindValue(platform::fromCp1254(legacy) == key ? QVariant(legacy) : QVariant(key));
        if (q.exec() && q.next())
            found = q.record();
        q.finish();
        if (found)
            platform::mendStoredText(db, QStringLiteral("ARACSAHIPLERI"), &*found);
    }
    app::CloseDb(db);
    return found;
}

bool ownerPanelEmpty(const EntryScreen &s, int n)
{
    const int b = EntryScreen::ownerBase(n);
    for (int i = b + 1; i <= b + 26; ++i) {
        if (!s.txt(i)->text().trimmed().isEmpty())
            return false;
    }
    return s.sprTarih(n + 2)->text().trimmed().isEmpty();
}

bool offerStoredOwner(EntryScreen &s, int n)
{
    QWidget *box = s.txt(EntryScreen::ownerBase(n))->widget();
    const QString typed = s.txt(EntryScreen::ownerBase(n))->text();
    const QString number = typed.trimmed();
    // A number the clerk declined once is not offered again in that panel, and
    // a question already open (the focus left for a button) is not stacked on.
    if (number.isEmpty() || !ownerPanelEmpty(s, n) || box->property(kDeclined) == number
        || QApplication::activeModalWidget())
        return false;
    std::optional<QSqlRecord> row = findStoredOwner(number);
    if (!row)
        return false;
    const QString name = (app::NullTxt(row->value(QStringLiteral("AD"))) + QLatin1Char(' ')
        + app::NullTxt(row->value(QStringLiteral("SOYAD"))))
                             .trimmed();
    const auto answer = platform::showMessage(platform::MsgIcon::Question,
        platform::MsgButtons::YesNo, QStringLiteral("Kayıtlı Araç Sahibi"),
        QStringLiteral("%1 numarasıyla kayıtlı: %2. Bilgileri doldurulsun mu?").arg(number, name),
        platform::MsgAnswer::No);
    if (answer != platform::MsgAnswer::Yes) {
        box->setProperty(kDeclined, number);
        // Once the box is emptied (a new record, or by hand) the number is
        // offered again: a "Hayır" by mistake is not for the whole day.
        auto *line = qobject_cast<QLineEdit *>(box);
        if (!line)
            return false;
        auto forget = std::make_shared<QMetaObject::Connection>();
        *forget =
            QObject::connect(line, &QLineEdit::textChanged, line, [line, forget](const QString &t) {
                if (!t.trimmed().isEmpty())
                    return;
                line->setProperty(kDeclined, QVariant());
                QObject::disconnect(*forget);
            });
        return false;
    }
    row->setValue(QStringLiteral("KIMLIKNO"), typed);
    // Checked whole first, so a value the panel cannot show leaves it empty.
    auto error = showOwner(s, n, *row, false);
    if (!error)
        error = showOwner(s, n, *row, true);
    if (error) {
        app::HataGoster(error->number, error->description, QStringLiteral("SahipDoldur"), true);
        return false;
    }
    return true;
}

void queueStoredOwnerOffer(EntryScreen &screen, int n)
{
    // The question waits until the focus has settled in the next box.
    QMetaObject::invokeMethod(
        &screen, [&screen, n] { offerStoredOwner(screen, n); }, Qt::QueuedConnection);
}

} // namespace records
