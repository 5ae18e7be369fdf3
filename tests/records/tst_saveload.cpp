#include "app/datafiles.h"
#include "app/mainwindow.h"
#include "app/sharedstore.h"
#include "platform/dategrid.h"
#include "records/entryscreen.h"
#include "records/loadrecord.h"
#include "records/recordstore.h"
#include "records/returningowner.h"
#include "records/saverecord.h"
#include "support/pgcluster.h"
#include "support/recordtables.h"
#include "support/testsupport.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QSqlQuery>
#include <QTimer>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>

using records::EntryScreen;
using testing::storeColumn;
using testing::storeExec;

namespace {

int count(const QString &table)
{
    return storeColumn(QStringLiteral("SELECT count(*) FROM ") + table).value(0).toInt();
}

QString first(const QString &sql)
{
    return storeColumn(sql).value(0).toString();
}

// The record loaded into a screen emptied as a fresh window shows it.
bool reload(EntryScreen &s, qint64 id)
{
    s.EkraniTemizle();
    testing::resetChoices(s);
    return records::OKU(s, id);
}

// The store of the engine the row names ("sqlite" or "postgresql" first in its tag).
bool engineRow()
{
    return QByteArray(QTest::currentDataTag()).startsWith("postgresql");
}

// Types "control=value" steps (a tick or option: 1 or 0) split by ';';
// "Kaydet" saves.
void type(EntryScreen &s, const QString &steps)
{
    for (const QString &step : steps.split(QLatin1Char(';'))) {
        if (step == QLatin1String("Kaydet"))
            QVERIFY(records::Kaydet(s, QString()) > 0);
        else
            QVERIFY2(testing::setControls(s, step), qPrintable(step));
    }
}

// Owner n's boxes, birth date and lists, the identity number left out.
QStringList ownerPanel(const EntryScreen &s, int n)
{
    QStringList panel;
    const int b = EntryScreen::ownerBase(n);
    for (int i = b + 1; i < b + 27; ++i)
        panel << s.txt(i)->text();
    return panel << s.sprTarih(n + 2)->text() << s.cmbX(3 * n)->currentText()
                 << s.cmbX(4 * n)->currentText();
}

} // namespace

class TestSaveLoad : public QObject {
    Q_OBJECT
private slots:
    void aTransactionComesBackControlForControl_data() { testing::addEngineRows(); }
    void aTransactionComesBackControlForControl()
    {
        testing::SharedStoreScope store(engineRow());
        QVERIFY2(store.ok(), qPrintable(store.error()));
        testing::Program p;
        EntryScreen &s = p.window->entryScreen();
        testing::typeTransaction(s);
        const QStringList typed = testing::snapshot(s);
        const qint64 id = records::Kaydet(s, QStringLiteral("Başlık"));
        QVERIFY(id > 0);
        QCOMPARE(p.messages.shown().last().text.section(QLatin1Char('\n'), 0, 1),
            QStringLiteral("Kayıt başarıyla tamamlandı\nYeni kayıt eklendi."));
        QCOMPARE(p.messages.shown().last().title, QStringLiteral("Başlık"));
        QCOMPARE(count("ARACSAHIPLERI"), 3);
        QVERIFY(reload(s, id));
        QCOMPARE(testing::snapshot(s), typed);
        QVERIFY(s.cmbX(1)->isEnabled());
        // Stored forms: real dates, dash lists, the phone column the option names.
        for (const QStringList &row : testing::readTable("storedforms.tsv").mid(1)) {
            const QVariant v = storeColumn(row[1]).value(0);
            QCOMPARE(v.isNull() ? QStringLiteral("NULL") : v.toString(), row[2]);
        }
        // Saving again creates nothing new and says it updated the record.
        QCOMPARE(records::Kaydet(s, QString()), id);
        QCOMPARE(count("ARACKAYIT"), 1);
        QCOMPARE(count("ARACSAHIPLERI"), 3);
        QCOMPARE(p.messages.shown().last().text.section(QLatin1Char('\n'), 1, 1),
            QStringLiteral("Kayıtlı araç güncellendi."));
        // A changed engine number is another record, with its own owners.
        s.txt(16)->setText(QStringLiteral("MTR-0002"));
        QVERIFY(records::Kaydet(s, QString()) > id);
        QCOMPARE(count("ARACKAYIT"), 2);
        QCOMPARE(count("ARACSAHIPLERI"), 6);
    }

    void anEmptyEngineNumberSavesNothing()
    {
        testing::Program p;
        p.window->entryScreen().txt(16)->setText(QStringLiteral("   "));
        p.window->button(QStringLiteral("cmdKaydet"))->click();
        const platform::MessageRequest &box = p.messages.shown().last();
        QCOMPARE(box.text, QStringLiteral("MOTOR NUMARASI BOŞ OLAMAZ."));
        QCOMPARE(box.title, QStringLiteral("Dikkat"));
        QCOMPARE(box.icon, platform::MsgIcon::Critical);
        QCOMPARE(count("ARACKAYIT"), 0);
    }

    void whatTheSaveKeepsOfAFewValues_data() { testing::addTableRows("savedvalues.tsv"); }
    void whatTheSaveKeepsOfAFewValues()
    {
        QFETCH(QString, typed);
        QFETCH(QString, sql);
        QFETCH(QString, stored);
        testing::Program p;
        type(p.window->entryScreen(), typed);
        QStringList rows;
        for (const QVariant &v : storeColumn(sql))
            rows << v.toString();
        QCOMPARE(rows.join(QLatin1Char(',')), stored);
    }

    // A date the cell takes but the store does not is kept out and named in
    // the box; the stored one stays.
    void datesTheStoreDoesNotTakeKeepTheStoredOnes()
    {
        testing::Program p;
        EntryScreen &s = p.window->entryScreen();
        // The cells take each of these dates; the tax receipt's is kept as typed text.
        type(s,
            "txt(16)=M1;txt(67)=222;sprTarih(0)=05.11.2009;Kaydet;sprTarih(0)=01.06.2046;"
            "sprTarih(2)=31.12.2100;sprTarih(4)=02.02.2050;sprTarih(6)=03.03.2047");
        p.messages.reset();
        records::Kaydet(s, QString());
        QCOMPARE(p.messages.shown().size(), 1);
        const platform::MessageRequest box = p.messages.shown().first();
        QCOMPARE(box.icon, platform::MsgIcon::Warning);
        const QStringList lines = box.text.split(QLatin1Char('\n'));
        QCOMPARE(lines.first(), QStringLiteral("Kayıt başarıyla tamamlandı"));
        const QString why =
            QStringLiteral("kayıt yalnız 1900 ile 2045 yılları arasındaki tarihleri alır");
        QCOMPARE(lines.mid(4, 3),
            (QStringList { QStringLiteral("- Sahiplik Belge Tarihi: 01.06.2046 (%1)").arg(why),
                QStringLiteral("- Poliçe Tarihi: 31.12.2100 (%1)").arg(why),
                QStringLiteral("- Doğum Tarihi (ARAÇ SAHİBİ - 2): 02.02.2050 (%1)").arg(why) }));
        QCOMPARE(first("SELECT BELGETARIHI FROM ARACKAYIT"), QStringLiteral("2009-11-05"));
        QVERIFY(storeColumn("SELECT SIGORTATARIHI FROM ARACKAYIT").value(0).isNull());
        // Every date stored: the plain box.
        for (int i : { 0, 2, 4 })
            s.sprTarih(i)->setText(QString());
        p.messages.reset();
        records::Kaydet(s, QString());
        QVERIFY(!p.messages.shown().first().text.contains(QStringLiteral("kaydedilmedi")));
        QCOMPARE(p.messages.shown().first().icon, platform::MsgIcon::Information);
    }

    void aFailureInTheThirdOwnerChangesNothing()
    {
        testing::Program p;
        EntryScreen &s = p.window->entryScreen();
        testing::typeTransaction(s);
        records::Kaydet(s, QString());
        const QString owners = QStringLiteral("SELECT AD || '|' || SAHIPNO FROM ARACSAHIPLERI");
        const QVariantList before = storeColumn(owners);
        QVERIFY(testing::storeExec(
            QStringLiteral("CREATE TRIGGER refuse BEFORE UPDATE ON ARACSAHIPLERI WHEN "
                           "NEW.SAHIPNO = 3 BEGIN SELECT RAISE(ABORT, 'disk dolu'); END")));
        s.txt(17)->setText(QStringLiteral("YENİ ŞASE"));
        s.txt(41)->setText(QStringLiteral("Değişti"));
        p.messages.reset();
        QCOMPARE(records::Kaydet(s, QString()), 0);
        QCOMPARE(p.messages.titles(), QStringList { QStringLiteral("GENEL HATA") });
        QVERIFY(p.messages.shown().first().text.contains(QStringLiteral("Kaydet")));
        QVERIFY(p.messages.shown().first().text.contains(QStringLiteral("disk dolu")));
        QCOMPARE(p.messages.exits(), 0);
        QCOMPARE(first("SELECT SASENO FROM ARACKAYIT"), QStringLiteral("ş17"));
        QCOMPARE(storeColumn(owners), before);
        QCOMPARE(count("ARACKAYIT"), 1);
    }

    void loadingOverAnotherRecordShowsOnlyThatRecord()
    {
        // What a fresh window shows with B's few values typed in.
        QStringList expected;
        int brands = 0;
        {
            testing::Program fresh;
            EntryScreen &f = fresh.window->entryScreen();
            // Empty number boxes and the empty old plate (stored as "YOK")
            // come back empty.
            type(f, "txt(16)=B");
            f.cmbX(2)->setCurrentIndex(0); // B was saved without a tachograph choice
            expected = testing::snapshot(f);
            brands = f.cmbX(0)->count();
        }
        testing::Program p;
        EntryScreen &s = p.window->entryScreen();
        testing::typeTransaction(s);
        const qint64 a = records::Kaydet(s, QString());
        QVERIFY(reload(s, 0));
        s.txt(16)->setText(QStringLiteral("B"));
        const qint64 b = records::Kaydet(s, QString());
        QVERIFY(records::OKU(s, a));
        s.sprTarih(0)->setText(QStringLiteral("01.01.2001")); // typed over A
        s.optX(14)->setChecked(true);
        QVERIFY(records::OKU(s, b));
        QCOMPARE(testing::snapshot(s), expected);
        QCOMPARE(s.cmbX(0)->count(), brands); // the brand list stays
        QVERIFY(!s.cmbX(1)->isEnabled());
        // Saving B stores nothing of A under it.
        QCOMPARE(records::Kaydet(s, QString()), b);
        QCOMPARE(
            first(QStringLiteral("SELECT count(*) FROM ARACSAHIPLERI WHERE ARACID = %1").arg(b)),
            QStringLiteral("0"));
        QVERIFY(
            storeColumn(QStringLiteral("SELECT BELGETARIHI FROM ARACKAYIT WHERE ID = %1").arg(b))
                .value(0)
                .isNull());
        // No record behind the ID (the list's header row): the screen stays.
        s.txt(17)->setText(QStringLiteral("yazılan"));
        QVERIFY(records::OKU(s, 0));
        QCOMPARE(s.txt(17)->text(), QStringLiteral("yazılan"));
    }

    // Rows another program wrote: Nulls and values of the wrong type load as
    // the screen can show them; a value wider than its box or off its list is
    // never cut, and nothing of that record reaches the screen.
    // Rows an older tool wrote in the Turkish code page load as their
    // letters, and the save keeps them: the key still finds the record.
    void textInTheTurkishCodePageSurvivesALoadAndASave()
    {
        testing::Program p;
        EntryScreen &s = p.window->entryScreen();
        type(s, "txt(16)=M1;txt(17)=ŞASE;txt(40)=1;txt(42)=X;Kaydet");
        const qint64 id = first(QStringLiteral("SELECT ID FROM ARACKAYIT")).toLongLong();
        // ŞAHİN and ÇİĞ in cp1254.
        QVERIFY(testing::storeExec(QStringLiteral("UPDATE ARACKAYIT SET MOTORNO = "
                                                  "CAST(X'DE4148DD4E' AS TEXT), SASENO = "
                                                  "CAST(X'C7DDD0' AS TEXT)")));
        QVERIFY(testing::storeExec(
            QStringLiteral("UPDATE ARACSAHIPLERI SET SOYAD = CAST(X'DE4148DD4E' AS TEXT)")));
        QVERIFY(reload(s, id));
        QCOMPARE(s.txt(16)->text(), QStringLiteral("ŞAHİN"));
        QCOMPARE(s.txt(17)->text(), QStringLiteral("ÇİĞ"));
        QCOMPARE(s.txt(42)->text(), QStringLiteral("ŞAHİN"));
        QCOMPARE(records::Kaydet(s, QString()), id);
        QCOMPARE(count(QStringLiteral("ARACKAYIT")), 1);
        QCOMPARE(first(QStringLiteral("SELECT hex(SASENO) FROM ARACKAYIT")),
            QString::fromLatin1(QStringLiteral("ÇİĞ").toUtf8().toHex().toUpper()));
        QCOMPARE(first(QStringLiteral("SELECT SOYAD FROM ARACSAHIPLERI WHERE SAHIPNO = 1")),
            QStringLiteral("ŞAHİN"));
        // The returning owner is found by a number in the code page too,
        // and the panel gets the letters, not replacement characters.
        QVERIFY(testing::storeExec(
            QStringLiteral("UPDATE ARACSAHIPLERI SET KIMLIKNO = CAST(X'DE31' AS TEXT), SOYAD = "
                           "CAST(X'C7DDD0' AS TEXT)")));
        s.EkraniTemizle();
        s.txt(40)->setText(QStringLiteral("Ş1"));
        p.messages.answerNext(platform::MsgAnswer::Yes);
        QVERIFY(records::offerStoredOwner(s, 1));
        QCOMPARE(s.txt(42)->text(), QStringLiteral("ÇİĞ"));
    }

    void rowsWrittenByAnotherProgram_data() { testing::addTableRows("foreignrows.tsv"); }
    void rowsWrittenByAnotherProgram()
    {
        QFETCH(QString, sql);
        QFETCH(QString, id);
        QFETCH(QString, number);
        QFETCH(QString, shown);
        testing::Program p;
        EntryScreen &s = p.window->entryScreen();
        type(s, "txt(16)=M1;txt(17)=ŞASE;txt(40)=1;Kaydet");
        for (const QString &statement : sql.split(QLatin1Char(';')))
            QVERIFY2(testing::storeExec(statement), qPrintable(statement));
        s.EkraniTemizle();
        type(s, "txt(16)=yazılan;txt(121)=eski;sprTarih(0)=01.01.2001");
        p.messages.reset();
        QCOMPARE(records::OKU(s, id.toLongLong()), number.isEmpty());
        QCOMPARE(p.messages.titles(),
            number.isEmpty() ? QStringList() : QStringList { QStringLiteral("GENEL HATA") });
        if (!number.isEmpty()) {
            const QString text = p.messages.shown().first().text;
            QVERIFY2(text.contains(QStringLiteral("OKU"))
                    && text.contains(QStringLiteral(" Hata Kodu      : ") + number)
                    && text.contains(sql.section(QLatin1Char(' '), 3, 3)),
                qPrintable(text));
        }
        QCOMPARE(p.messages.exits(), 0);
        const QStringList screen = testing::snapshot(s);
        for (const QString &control : shown.split(QLatin1Char(';')))
            QVERIFY2(screen.contains(control), qPrintable(control));
    }

    // The real box: Enter takes its default, "Hayır"; no box over a typed-in panel.
    void aReturningOwnerIsOfferedOnlyToAnEmptyPanel_data()
    {
        QTest::addColumn<QString>("typedFirst"); // a box of panel 2 typed before the number
        QTest::addColumn<bool>("yes");
        QTest::addColumn<bool>("real");
        QTest::newRow("typed in") << QStringLiteral("12") << true << false;
        QTest::newRow("real box, Enter") << QString() << false << true;
        QTest::newRow("real box, Evet clicked") << QString() << true << true;
    }
    void aReturningOwnerIsOfferedOnlyToAnEmptyPanel()
    {
        QFETCH(QString, typedFirst);
        QFETCH(bool, yes);
        QFETCH(bool, real);
        testing::Program p;
        EntryScreen &s = p.window->entryScreen();
        // The same owner saved with two vehicles: the later row is the one offered.
        testing::typeTransaction(s);
        records::Kaydet(s, QString());
        s.txt(16)->setText(QStringLiteral("MTR-0002"));
        s.txt(41)->setText(QStringLiteral("YENİ AD"));
        const qint64 later = records::Kaydet(s, QString());
        QVERIFY(reload(s, later));
        const QStringList loaded = ownerPanel(s, 1);
        QVERIFY(reload(s, 0));

        // Owner 1 of that vehicle comes again, typed into panel 2 this time.
        p.window->show();
        QApplication::setActiveWindow(p.window.get());
        QVERIFY(QTest::qWaitForWindowActive(p.window.get()));
        s.sTabber()->setCurrentIndex(1);
        s.txt(80)->setText(typedFirst);
        p.messages.reset();
        QStringList realBoxes;
        if (real) {
            platform::setMessageService(nullptr);
            testing::whenModal([&](QWidget *w) {
                auto *box = qobject_cast<QMessageBox *>(w);
                if (!box)
                    return false;
                realBoxes << box->text();
                if (yes)
                    box->button(QMessageBox::Yes)->click();
                else
                    QTest::keyClick(box, Qt::Key_Return);
                return true;
            });
        }
        QWidget *number = s.txt(67)->widget();
        number->setFocus();
        QTest::keyClicks(number, QStringLiteral("10000000001 "));
        QTest::keyClick(number, Qt::Key_Tab);
        QCoreApplication::processEvents();
        platform::setMessageService(&p.messages);
        const int asked = typedFirst.isEmpty() ? 1 : 0;
        for (const platform::MessageRequest &box : p.messages.shown())
            realBoxes << box.text;
        QCOMPARE(realBoxes,
            QStringList(asked,
                QStringLiteral("10000000001 numarasıyla kayıtlı: YENİ AD ş42. "
                               "Bilgileri doldurulsun mu?")));
        QCOMPARE(s.txt(67)->text(), QStringLiteral("10000000001 "));
        if (asked && yes) {
            // As loading the owner would show it, the number left as typed.
            QCOMPARE(ownerPanel(s, 2), loaded);
            QVERIFY(s.OptA(2)->isChecked() && s.optAdres(3)->isChecked());
        } else {
            QStringList untouched(29);
            untouched[12] = typedFirst;
            QCOMPARE(ownerPanel(s, 2), untouched);
            QVERIFY(!s.OptA(2)->isChecked() && !s.OptA(3)->isChecked());
        }
        // Leaving the box again asks nothing more.
        p.messages.reset();
        number->setFocus();
        QTest::keyClick(number, Qt::Key_Tab);
        QCoreApplication::processEvents();
        QCOMPARE(p.messages.shown().size(), 0);
        // A new record asks about a declined number again.
        if (asked && !yes) {
            s.newRecord(); // asked first about the typed panel, answered Yes
            p.messages.reset();
            number->setFocus();
            QTest::keyClicks(number, QStringLiteral("10000000001"));
            QTest::keyClick(number, Qt::Key_Tab);
            QCoreApplication::processEvents();
            QCOMPARE(p.messages.shown().size(), 1);
        }
    }

    // Desk A loads, desk B saves the same record, desk A saves: A is asked,
    // with B's time; No leaves the store with B's save and the screen as it
    // was, Yes stores the screen.
    void anotherDesksSaveIsNotOverwrittenUnasked_data()
    {
        QTest::addColumn<bool>("overwrite");
        for (const char *engine : { "sqlite", "postgresql" }) {
            QTest::addRow("%s, Hayır", engine) << false;
            QTest::addRow("%s, Evet", engine) << true;
        }
    }
    void anotherDesksSaveIsNotOverwrittenUnasked()
    {
        QFETCH(bool, overwrite);
        testing::SharedStoreScope store(engineRow());
        QVERIFY2(store.ok(), qPrintable(store.error()));
        testing::Program p;
        EntryScreen &s = p.window->entryScreen();
        testing::typeTransaction(s);
        const qint64 id = records::Kaydet(s, QString());
        QVERIFY(id > 0);
        // Saving twice from the same screen asks nothing.
        QCOMPARE(records::Kaydet(s, QString()), id);
        s.EkraniTemizle();
        QVERIFY(records::OKU(s, id));

        // Desk B: the same record, another chassis number.
        {
            app::sharedStore().desk = QStringLiteral("2. masa");
            QSqlDatabase db;
            QVERIFY(app::OpenData(db, app::RecordStoreData));
            records::RecordValues b = records::readScreen(s);
            for (records::ColumnValue &c : b.columns)
                if (c.column == QLatin1String("SASENO"))
                    c.value = QStringLiteral("MASA-B");
            records::StoreError error;
            QVERIFY(records::RecordStore(db).save(b, nullptr, &error));
            app::CloseDb(db);
            app::sharedStore().desk = QStringLiteral("1. masa");
        }
        const QString bTime = first(QStringLiteral("SELECT DEGISIKLIKZAMANI FROM ARACKAYIT"));

        s.txt(17)->setText(QStringLiteral("MASA-A"));
        const int before = p.messages.shown().size();
        p.messages.answerNext(overwrite ? platform::MsgAnswer::Yes : platform::MsgAnswer::No);
        const qint64 saved = records::Kaydet(s, QString());
        const platform::MessageRequest &question = p.messages.shown().at(before);
        QVERIFY2(question.text.startsWith(
                     QStringLiteral("Bu kayıt, siz açtıktan sonra başka bir masada değiştirildi "
                                    "(2. masa, ")
                     + bTime + QLatin1Char(')')),
            qPrintable(question.text));
        QCOMPARE(question.buttons, platform::MsgButtons::YesNo);
        QCOMPARE(question.defaultAnswer, platform::MsgAnswer::No);
        QCOMPARE(count("ARACKAYIT"), 1);
        QCOMPARE(first(QStringLiteral("SELECT SASENO FROM ARACKAYIT")),
            overwrite ? QStringLiteral("MASA-A") : QStringLiteral("MASA-B"));
        QCOMPARE(s.txt(17)->text(), QStringLiteral("MASA-A"));
        QCOMPARE(saved, overwrite ? id : 0);
        // No: nothing but the question. Yes: the question, then the success box.
        QCOMPARE(p.messages.shown().size(), before + (overwrite ? 2 : 1));
        // Once overwritten (or loaded again), the screen is the latest save.
        if (!overwrite)
            QVERIFY(records::OKU(s, id));
        s.txt(17)->setText(QStringLiteral("MASA-A2"));
        QCOMPARE(records::Kaydet(s, QString()), id);
        QCOMPARE(p.messages.shown().size(), before + (overwrite ? 3 : 2));
        QCOMPARE(first(QStringLiteral("SELECT SASENO FROM ARACKAYIT")), QStringLiteral("MASA-A2"));
        QCOMPARE(first(QStringLiteral("SELECT DEGISIKLIKMASA FROM ARACKAYIT")),
            QStringLiteral("1. masa"));
        app::sharedStore().desk.clear();
    }

    // A forgotten session holds the vehicle table locked: the save gives up
    // within its bound with one box saying so, the window's timers run while
    // it waits, nothing is written, and the same screen saves once the lock
    // is gone.
    void aLockHeldElsewhereEndsWithinItsBoundAndSavesLater()
    {
        testing::SharedStoreScope store;
        QVERIFY2(store.ok(), qPrintable(store.error()));
        app::setServerWaitBounds(1000, 3000);
        testing::Program p;
        EntryScreen &s = p.window->entryScreen();
        testing::typeTransaction(s);
        {
            QSqlDatabase locker =
                QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("locker"));
            locker.setConnectOptions(store.connection());
            QVERIFY(locker.open());
            QVERIFY(locker.transaction());
            QVERIFY(QSqlQuery(locker).exec(
                QStringLiteral("LOCK TABLE ARACKAYIT IN ACCESS EXCLUSIVE MODE")));
            int ticks = 0;
            QTimer ticker;
            ticker.setInterval(50);
            QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
            ticker.start();
            const int before = p.messages.shown().size();
            QElapsedTimer clock;
            clock.start();
            QCOMPARE(records::Kaydet(s, QString()), qint64(0));
            const qint64 waited = clock.elapsed();
            QVERIFY2(waited >= 900 && waited < 5000, qPrintable(QString::number(waited)));
            QVERIFY2(ticks >= 8, qPrintable(QString::number(ticks)));
            QCOMPARE(p.messages.shown().size(), before + 1);
            const platform::MessageRequest &box = p.messages.shown().last();
            QCOMPARE(box.title, QStringLiteral("GENEL HATA"));
            QVERIFY2(box.text.contains(
                         QStringLiteral("Kayıt deposu şu anda başka bir işlem tarafından kilitli "
                                        "(sunucu: ")
                         + testing::pgCluster().socketFolder())
                    && box.text.contains(QStringLiteral("hiçbir şey yazılmadı")),
                qPrintable(box.text));
            QCOMPARE(p.messages.exits(), 0);
            locker.rollback();
            locker.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("locker"));
        app::setServerWaitBounds(5000, 15000);
        QCOMPARE(count("ARACKAYIT"), 0);
        QVERIFY(records::Kaydet(s, QString()) > 0);
        QCOMPARE(count("ARACKAYIT"), 1);
        QCOMPARE(count("ARACSAHIPLERI"), 3);
    }

    // The connection cut while the save waits in its middle (the vehicle row
    // written, the owners not yet): the error box, nothing of the save kept,
    // and the same screen saves once the server takes connections again.
    void aSaveCutOffByTheServerKeepsNothingAndSavesLater()
    {
        testing::SharedStoreScope store;
        QVERIFY2(store.ok(), qPrintable(store.error()));
        testing::Program p;
        EntryScreen &s = p.window->entryScreen();
        testing::typeTransaction(s);
        {
            QSqlDatabase locker =
                QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("locker"));
            locker.setConnectOptions(store.connection());
            QVERIFY(locker.open());
            QVERIFY(locker.transaction());
            QSqlQuery lock(locker);
            QVERIFY(lock.exec(QStringLiteral("LOCK TABLE ARACSAHIPLERI IN EXCLUSIVE MODE")));
            // Ends the save's connection once it waits for the owners' table.
            QProcess cutter;
            cutter.start(PgCluster::binFolder() + QStringLiteral("/psql"),
                testing::pgCluster().psqlArguments(store.connection()
                                                       .section(QStringLiteral("dbname="), 1)
                                                       .section(QLatin1Char(' '), 0, 0))
                    << QStringLiteral("-c")
                    << QString::fromUtf8(testing::contents(
                           QStringLiteral(EVRAKMATIK_TEST_DATA "/cutwaitingsave.sql"))));
            QVERIFY(cutter.waitForStarted());
            QCOMPARE(records::Kaydet(s, QString()), qint64(0));
            // The window's events ran while the save waited: the cutter's end
            // may have been taken in already.
            QVERIFY(cutter.state() == QProcess::NotRunning || cutter.waitForFinished(60000));
            QCOMPARE(cutter.exitCode(), 0);
            const platform::MessageRequest &box = p.messages.shown().last();
            QCOMPARE(box.title, QStringLiteral("GENEL HATA"));
            QVERIFY2(box.text.contains(QStringLiteral("Kaydet")), qPrintable(box.text));
            QVERIFY2(box.text.contains(QStringLiteral("bağlantı kesildi"))
                    && !box.text.contains(QStringLiteral("()")),
                qPrintable(box.text));
            QCOMPARE(p.messages.exits(), 0);
            locker.rollback();
            locker.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("locker"));
        QCOMPARE(count("ARACKAYIT"), 0);
        QCOMPARE(count("ARACSAHIPLERI"), 0);
        // The server itself gone and back.
        QVERIFY(testing::pgCluster().stop());
        const int before = p.messages.shown().size();
        QCOMPARE(records::Kaydet(s, QString()), qint64(0));
        // The server named, with the section of the opening.
        const QString unreachable = p.messages.shown().at(before).text;
        QVERIFY2(unreachable.contains(QStringLiteral("1 Data açılışında..."))
                && unreachable.contains(
                    QStringLiteral("bağlanılamadı: ") + testing::pgCluster().socketFolder()),
            qPrintable(unreachable));
        QCOMPARE(p.messages.exits(), 0);
        QVERIFY(testing::pgCluster().start());
        QVERIFY(records::Kaydet(s, QString()) > 0);
        QCOMPARE(count("ARACKAYIT"), 1);
        QCOMPARE(count("ARACSAHIPLERI"), 3);
    }

    // Two desks saving at once, a few hundred saves each: every record once,
    // holding one whole save, none acknowledged and lost; on the same five
    // records, each ends with the last save of one of the desks.
    void twoDesksSavingAtOnceLoseNothing_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::newRow("same records") << QStringLiteral("same");
        QTest::newRow("records of their own") << QStringLiteral("own");
    }
    void twoDesksSavingAtOnceLoseNothing()
    {
        QFETCH(QString, mode);
        testing::SharedStoreScope store;
        QVERIFY2(store.ok(), qPrintable(store.error()));
        testing::ProgramFolder folder;
        app::upgradeRecordStore();
        // A slow server: a new vehicle row takes a while to be written, so
        // two desks adding the same record overlap.
        QVERIFY(
            storeExec(QStringLiteral("CREATE FUNCTION slow() RETURNS trigger LANGUAGE plpgsql AS "
                                     "$$ BEGIN PERFORM pg_sleep(0.05); RETURN NEW; END $$")));
        QVERIFY(storeExec(QStringLiteral("CREATE TRIGGER slow BEFORE INSERT ON ARACKAYIT FOR "
                                         "EACH ROW EXECUTE FUNCTION slow()")));
        constexpr int kSaves = 200;
        QProcess desks[2];
        for (int d = 0; d < 2; ++d) {
            desks[d].start(QStringLiteral(EVRAKMATIK_CRASH_CHILD),
                { QStringLiteral("desk"), folder.path(), store.connection(), QString::number(d + 1),
                    QString::number(kSaves), mode });
            QVERIFY(desks[d].waitForStarted());
        }
        for (QProcess &desk : desks) {
            while (!desk.canReadLine())
                QVERIFY2(desk.waitForReadyRead(60000), desk.readAllStandardError().constData());
            QCOMPARE(desk.readLine(), QByteArray("ready\n"));
        }
        for (QProcess &desk : desks)
            desk.write("\n");
        for (QProcess &desk : desks)
            QVERIFY(desk.waitForBytesWritten());
        // record -> the last version each desk had acknowledged
        QMap<int, qint64> acked[2];
        QSet<int> records;
        for (int d = 0; d < 2; ++d) {
            QVERIFY(desks[d].waitForFinished(240000));
            QVERIFY2(desks[d].exitCode() == 0, desks[d].readAllStandardError().constData());
            int saves = 0;
            for (const QByteArray &line : desks[d].readAllStandardOutput().split('\n')) {
                const QList<QByteArray> f = line.split(' ');
                if (f.size() == 3 && f[0] == "ok") {
                    acked[d][f[1].toInt()] = f[2].toLongLong();
                    records.insert(f[1].toInt());
                    ++saves;
                }
            }
            QCOMPARE(saves, kSaves);
        }
        // Each record once, holding one whole save: its five stamped columns
        // and its three current owners (each desk saves people of its own)
        // all the same stamp; the other desk's owners are kept as former ones.
        QCOMPARE(first("SELECT count(DISTINCT MOTORNO) || ' ' || count(*) FROM ARACKAYIT"),
            QStringLiteral("%1 %1").arg(records.size()));
        QCOMPARE(first("SELECT count(*) FROM ARACSAHIPLERI WHERE SAHIPNO BETWEEN 1 AND 3"),
            QString::number(3 * records.size()));
        QCOMPARE(first("SELECT count(*) FROM ARACKAYIT K WHERE SASENO = BELGEDUZENLEYEN AND "
                       "SASENO = VERGIDAIRESI AND SASENO = SIGORTAADI AND SASENO = MODELTICARIADI "
                       "AND (SELECT count(*) FROM ARACSAHIPLERI S WHERE S.ARACID = K.ID AND "
                       "S.SAHIPNO BETWEEN 1 AND 3 AND S.AD = K.SASENO AND S.SOYAD = K.SASENO) = 3 "
                       "AND (SELECT count(DISTINCT substr(KIMLIKNO, length(KIMLIKNO))) FROM "
                       "ARACSAHIPLERI S WHERE S.ARACID = K.ID AND S.SAHIPNO BETWEEN 1 AND 3) = 1"),
            QString::number(records.size()));
        if (mode == QLatin1String("same"))
            QCOMPARE(count("ARACSAHIPLERI"), 6 * int(records.size()));
        // The later save of each: the last one a desk had acknowledged.
        for (const QVariant &row :
            storeColumn("SELECT substr(MOTORNO, 7) || ' ' || substr(SASENO, 2) FROM ARACKAYIT")) {
            const int record = row.toString().section(QLatin1Char(' '), 0, 0).toInt();
            const qint64 n = row.toString().section(QLatin1Char(' '), 1).toLongLong();
            QVERIFY2(acked[0].value(record, -1) == n || acked[1].value(record, -1) == n,
                qPrintable(row.toString()));
        }
    }
};

QTEST_MAIN(TestSaveLoad)
#include "tst_saveload.moc"