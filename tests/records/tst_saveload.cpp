#include "app/datafiles.h"
#include "app/mainwindow.h"
#include "platform/dategrid.h"
#include "records/entryscreen.h"
#include "records/loadrecord.h"
#include "records/returningowner.h"
#include "records/saverecord.h"
#include "support/testsupport.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

using records::EntryScreen;

namespace {

// Runs SQL on the record store and returns the first column of every row.
QVariantList column(const QString &sql)
{
    QSqlDatabase db;
    QVariantList values;
    if (!app::OpenData(db, app::RecordStoreData))
        return values;
    {
        QSqlQuery q(db);
        q.exec(sql);
        while (q.next())
            values << q.value(0);
    }
    app::CloseDb(db);
    return values;
}

void exec(const QString &sql)
{
    QSqlDatabase db;
    QVERIFY(app::OpenData(db, app::RecordStoreData));
    {
        QSqlQuery q(db);
        QVERIFY2(q.exec(sql), qPrintable(sql));
    }
    app::CloseDb(db);
}

int count(const QString &table)
{
    return column(QStringLiteral("SELECT count(*) FROM ") + table).value(0).toInt();
}

// A whole transaction typed as a clerk would: every box a distinct value.
void typeTransaction(EntryScreen &s)
{
    for (int i = 0; i < EntryScreen::kTxtCount; ++i) {
        if (i == 129)
            continue;
        const int max = s.txt(i)->maxLength();
        s.txt(i)->setText(QStringLiteral("ş%1").arg(i).left(max));
    }
    s.txt(0)->setText(QStringLiteral("34"));
    s.txt(1)->setText(QStringLiteral("ABC"));
    s.txt(2)->setText(QStringLiteral("123"));
    s.txt(3)->setText(QStringLiteral("06"));
    s.txt(4)->setText(QStringLiteral("ZY"));
    s.txt(5)->setText(QStringLiteral("9876"));
    s.txt(16)->setText(QStringLiteral("MTR-0001"));
    for (int i : { 18, 19, 20, 21 })
        s.txt(i)->setText(QStringLiteral("1500,5"));
    for (int i : { 22, 23, 24, 25, 26, 28, 29 })
        s.txt(i)->setText(QStringLiteral("4"));
    s.txt(33)->setText(QStringLiteral("12"));
    s.txt(34)->setText(QStringLiteral("15"));
    for (int n = 1; n <= 3; ++n) {
        const int b = EntryScreen::ownerBase(n);
        s.txt(b)->setText(QStringLiteral("1000000000%1").arg(n));
        s.txt(b + 23)->setText(QStringLiteral("21%1").arg(n));
        s.txt(b + 24)->setText(QStringLiteral("555000%1").arg(n));
        s.txt(b + 25)->setText(QStringLiteral("53%1").arg(n));
        s.txt(b + 26)->setText(QStringLiteral("444000%1").arg(n));
        s.sprTarih(n + 2)->setText(QStringLiteral("0%1.0%1.198%1").arg(n));
        s.OptA(2 * (n - 1) + (n == 2 ? 1 : 0))->setChecked(true);
        s.optC(2 * (n - 1) + (n == 3 ? 1 : 0))->setChecked(true);
        s.optAdres(2 * (n - 1) + (n == 1 ? 1 : 0))->setChecked(true);
        s.optTel(2 * (n - 1) + (n == 2 ? 0 : 1))->setChecked(true);
        s.cmbX(3 * n)->setCurrentIndex(n + 4);
        s.cmbX(4 * n)->setCurrentIndex(n == 3 ? 1 : 0);
    }
    for (int i : { 0, 3, 10 })
        s.chkX(i)->setChecked(true);
    s.optX(12)->setChecked(true);
    s.optX(17)->setChecked(true);
    s.optX(25)->setChecked(true);
    s.cmbX(2)->setCurrentIndex(1);
    s.cmbX(0)->setEditText(QStringLiteral("Toyota"));
    s.ModelDoldur();
    s.cmbX(1)->setEditText(QStringLiteral("Corolla"));
    s.sprTarih(0)->setText(QStringLiteral("05.11.2009"));
    s.sprTarih(1)->setText(QStringLiteral("06.11.2009"));
    s.sprTarih(2)->setText(QStringLiteral("07.11.2009"));
    s.sprTarih(6)->setText(QStringLiteral("08.11.2009"));
}

struct Snapshot {
    QStringList texts, dates, combos;
    QList<bool> options;
    bool operator==(const Snapshot &o) const
    {
        return texts == o.texts && dates == o.dates && combos == o.combos && options == o.options;
    }
};

// Every control that the save stores, in a comparable form.
Snapshot snapshot(const EntryScreen &s)
{
    Snapshot shot;
    for (int i = 0; i < EntryScreen::kTxtCount; ++i) {
        if ((i >= 124 && i <= 127) || i >= 131 || i == 129)
            continue; // print-frame values are not stored
        shot.texts << QStringLiteral("%1=%2").arg(i).arg(s.txt(i)->text());
    }
    for (int i = 0; i < 7; ++i)
        shot.dates << s.sprTarih(i)->text();
    for (int i : EntryScreen::comboIndices())
        shot.combos << s.cmbX(i)->currentText();
    for (int i = 11; i <= 26; ++i)
        shot.options << s.optX(i)->isChecked();
    for (int i = 0; i <= 10; ++i)
        shot.options << s.chkX(i)->isChecked();
    for (int i = 0; i < 6; ++i)
        shot.options << s.OptA(i)->isChecked() << s.optC(i)->isChecked()
                     << s.optAdres(i)->isChecked() << s.optTel(i)->isChecked();
    return shot;
}

void resetChoices(EntryScreen &s)
{
    // A fresh window: nothing chosen anywhere.
    for (QRadioButton *b : s.sTabber()->findChildren<QRadioButton *>()) {
        b->group()->setExclusive(false);
        b->setChecked(false);
        b->group()->setExclusive(true);
    }
    for (int i : EntryScreen::comboIndices()) {
        s.cmbX(i)->setCurrentIndex(-1);
        s.cmbX(i)->setEditText(QString());
    }
}

} // namespace

class TestSaveLoad : public QObject {
    Q_OBJECT
private slots:
    void aTransactionComesBackControlForControl()
    {
        testing::Program p;
        EntryScreen &s = p.window->entryScreen();
        typeTransaction(s);
        const Snapshot typed = snapshot(s);
        const qint64 id = records::Kaydet(s, QStringLiteral("Başlık"));
        QVERIFY(id > 0);
        QCOMPARE(p.messages.shown().last().text.section(QLatin1Char('\n'), 0, 1),
            QStringLiteral("Kayıt başarıyla tamamlandı\nYeni kayıt eklendi."));
        QCOMPARE(p.messages.shown().last().title, QStringLiteral("Başlık"));
        QCOMPARE(count("ARACSAHIPLERI"), 3);
        s.EkraniTemizle();
        resetChoices(s);
        QVERIFY(records::OKU(s, id));
        QCOMPARE(snapshot(s).texts, typed.texts);
        QCOMPARE(snapshot(s).dates, typed.dates);
        QCOMPARE(snapshot(s).combos, typed.combos);
        QCOMPARE(snapshot(s).options, typed.options);
        QVERIFY(s.cmbX(1)->isEnabled());
        // Stored forms: real dates, dash lists, the phone column the option names.
        QCOMPARE(column("SELECT BELGETARIHI FROM ARACKAYIT").value(0).toString(),
            QStringLiteral("2009-11-05"));
        QCOMPARE(column("SELECT ISLEMTURU FROM ARACKAYIT").value(0).toString(),
            QStringLiteral("0-3-10"));
        QCOMPARE(column("SELECT NETAGR FROM ARACKAYIT").value(0).toDouble(), 1500.5);
        QCOMPARE(
            column("SELECT TELEFONIS FROM ARACSAHIPLERI WHERE SAHIPNO = 2").value(0).toString(),
            QStringLiteral("2125550002"));
        QVERIFY(column("SELECT TELEFONIS FROM ARACSAHIPLERI WHERE SAHIPNO = 1").value(0).isNull());
        QCOMPARE(column("SELECT ADRESTIPI FROM ARACSAHIPLERI ORDER BY SAHIPNO").value(1).toString(),
            QStringLiteral("İ"));
    }

    void savingTwiceCreatesNothingNew()
    {
        testing::Program p;
        EntryScreen &s = p.window->entryScreen();
        typeTransaction(s);
        const qint64 first = records::Kaydet(s, QString());
        const qint64 second = records::Kaydet(s, QString());
        QCOMPARE(first, second);
        QCOMPARE(count("ARACKAYIT"), 1);
        QCOMPARE(count("ARACSAHIPLERI"), 3);
        // The second save says it updated the record the first one added.
        QCOMPARE(p.messages.shown().last().text.section(QLatin1Char('\n'), 1, 1),
            QStringLiteral("Kayıtlı araç güncellendi."));
        // A changed engine number is another record, with its own owners.
        s.txt(16)->setText(QStringLiteral("MTR-0002"));
        QVERIFY(records::Kaydet(s, QString()) > first);
        QCOMPARE(count("ARACKAYIT"), 2);
        QCOMPARE(count("ARACSAHIPLERI"), 6);
    }

    void anEmptyEngineNumberSavesNothing()
    {
        testing::Program p;
        EntryScreen &s = p.window->entryScreen();
        s.txt(16)->setText(QStringLiteral("   "));
        p.window->button(QStringLiteral("cmdKaydet"))->click();
        QCOMPARE(p.messages.shown().last().text, QStringLiteral("MOTOR NUMARASI BOŞ OLAMAZ."));
        QCOMPARE(p.messages.shown().last().title, QStringLiteral("Dikkat"));
        QCOMPARE(p.messages.shown().last().icon, platform::MsgIcon::Critical);
        QCOMPARE(count("ARACKAYIT"), 0);
    }

    void anEmptyOldPlateIsYokAndFoundAgain()
    {
        testing::Program p;
        EntryScreen &s = p.window->entryScreen();
        s.txt(16)->setText(QStringLiteral("M1"));
        const qint64 id = records::Kaydet(s, QString());
        QCOMPARE(
            column("SELECT ESKIPLAKA FROM ARACKAYIT").value(0).toString(), QStringLiteral("YOK"));
        s.EkraniTemizle();
        QVERIFY(records::OKU(s, id));
        QCOMPARE(s.txt(3)->text(), QStringLiteral("YO"));
        QCOMPARE(s.txt(4)->text(), QStringLiteral("K"));
        QCOMPARE(s.txt(5)->text(), QString());
        QCOMPARE(records::Kaydet(s, QString()), id);
        QCOMPARE(count("ARACKAYIT"), 1);
    }

    void switchingThePhoneOptionKeepsTheOtherNumber()
    {
        testing::Program p;
        EntryScreen &s = p.window->entryScreen();
        s.txt(16)->setText(QStringLiteral("M1"));
        s.txt(40)->setText(QStringLiteral("111"));
        s.txt(63)->setText(QStringLiteral("212"));
        s.txt(64)->setText(QStringLiteral("1234567"));
        s.optTel(0)->setChecked(true);
        records::Kaydet(s, QString());
        s.txt(64)->setText(QStringLiteral("7654321"));
        s.optTel(1)->setChecked(true);
        records::Kaydet(s, QString());
        QCOMPARE(column("SELECT TELEFONIS FROM ARACSAHIPLERI").value(0).toString(),
            QStringLiteral("2121234567"));
        QCOMPARE(column("SELECT TELEFONEV FROM ARACSAHIPLERI").value(0).toString(),
            QStringLiteral("2127654321"));
    }

    void twoPanelsWithOneIdentityShareARow()
    {
        testing::Program p;
        EntryScreen &s = p.window->entryScreen();
        s.txt(16)->setText(QStringLiteral("M1"));
        s.txt(40)->setText(QStringLiteral("555"));
        s.txt(41)->setText(QStringLiteral("Birinci"));
        s.txt(67)->setText(QStringLiteral(" 555 "));
        s.txt(68)->setText(QStringLiteral("İkinci"));
        records::Kaydet(s, QString());
        QCOMPARE(count("ARACSAHIPLERI"), 1);
        QCOMPARE(
            column("SELECT AD FROM ARACSAHIPLERI").value(0).toString(), QStringLiteral("İkinci"));
        QCOMPARE(column("SELECT SAHIPNO FROM ARACSAHIPLERI").value(0).toInt(), 2);
    }

    void datesTypedWithOtherSeparatorsAreTheSameDate()
    {
        testing::Program p;
        EntryScreen &s = p.window->entryScreen();
        s.txt(16)->setText(QStringLiteral("M1"));
        s.sprTarih(0)->setText(QStringLiteral("05/11/2009"));
        s.sprTarih(1)->setText(QStringLiteral("06-11-2009"));
        const qint64 id = records::Kaydet(s, QString());
        QCOMPARE(column("SELECT BELGETARIHI FROM ARACKAYIT").value(0).toString(),
            QStringLiteral("2009-11-05"));
        s.EkraniTemizle();
        records::OKU(s, id);
        QCOMPARE(s.sprTarih(0)->text(), QStringLiteral("05.11.2009"));
        QCOMPARE(s.sprTarih(1)->text(), QStringLiteral("06.11.2009"));
    }

    void anEmptiedDateKeepsTheStoredOneExceptTheTaxReceipt()
    {
        testing::Program p;
        EntryScreen &s = p.window->entryScreen();
        s.txt(16)->setText(QStringLiteral("M1"));
        s.sprTarih(0)->setText(QStringLiteral("05.11.2009"));
        s.sprTarih(6)->setText(QStringLiteral("08.11.2009"));
        s.sprTarih(2)->setText(
            QStringLiteral("01.01.2050")); // the cell takes it, the store does not
        records::Kaydet(s, QString());
        QVERIFY(column("SELECT SIGORTATARIHI FROM ARACKAYIT").value(0).isNull());
        s.sprTarih(0)->setText(QString());
        s.sprTarih(6)->setText(QString());
        records::Kaydet(s, QString());
        QCOMPARE(column("SELECT BELGETARIHI FROM ARACKAYIT").value(0).toString(),
            QStringLiteral("2009-11-05"));
        QCOMPARE(column("SELECT OTV_Tarihi FROM ARACKAYIT").value(0).toString(), QString());
    }

    void theSuccessBoxNamesEachDateNotStored()
    {
        testing::Program p;
        EntryScreen &s = p.window->entryScreen();
        s.txt(16)->setText(QStringLiteral("M1"));
        s.txt(67)->setText(QStringLiteral("222"));
        s.sprTarih(0)->setText(QStringLiteral("05.11.2009"));
        records::Kaydet(s, QString());
        s.sprTarih(0)->setText(QStringLiteral("01.06.2046")); // the cell takes it
        s.sprTarih(2)->setText(QStringLiteral("31.12.2100"));
        s.sprTarih(4)->setText(QStringLiteral("02.02.2050"));
        s.sprTarih(6)->setText(QStringLiteral("03.03.2047")); // kept as typed text
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
        QCOMPARE(column("SELECT BELGETARIHI FROM ARACKAYIT").value(0).toString(),
            QStringLiteral("2009-11-05"));
        // Every date stored: the plain box.
        s.sprTarih(0)->setText(QStringLiteral("06.11.2009"));
        s.sprTarih(2)->setText(QString());
        s.sprTarih(4)->setText(QString());
        p.messages.reset();
        records::Kaydet(s, QString());
        QVERIFY(!p.messages.shown().first().text.contains(QStringLiteral("kaydedilmedi")));
        QCOMPARE(p.messages.shown().first().icon, platform::MsgIcon::Information);
    }

    void aFailureInTheThirdOwnerChangesNothing()
    {
        testing::Program p;
        EntryScreen &s = p.window->entryScreen();
        typeTransaction(s);
        const qint64 id = records::Kaydet(s, QString());
        const QVariantList before =
            column("SELECT AD || '|' || SAHIPNO FROM ARACSAHIPLERI ORDER BY ID");
        exec(QStringLiteral("CREATE TRIGGER refuse BEFORE UPDATE ON ARACSAHIPLERI "
                            "WHEN NEW.SAHIPNO = 3 BEGIN SELECT RAISE(ABORT, 'disk dolu'); END"));
        s.txt(17)->setText(QStringLiteral("YENİ ŞASE"));
        s.txt(41)->setText(QStringLiteral("Değişti"));
        p.messages.reset();
        QCOMPARE(records::Kaydet(s, QString()), 0);
        QCOMPARE(p.messages.titles(), QStringList { QStringLiteral("GENEL HATA") });
        QVERIFY(p.messages.shown().first().text.contains(QStringLiteral("Kaydet")));
        QVERIFY(p.messages.shown().first().text.contains(QStringLiteral("disk dolu")));
        QCOMPARE(p.messages.exits(), 0);
        QCOMPARE(column("SELECT SASENO FROM ARACKAYIT").value(0).toString(), QStringLiteral("ş17"));
        QCOMPARE(column("SELECT AD || '|' || SAHIPNO FROM ARACSAHIPLERI ORDER BY ID"), before);
        QCOMPARE(count("ARACKAYIT"), 1);
        Q_UNUSED(id);
    }

    void loadingOverAnotherRecordShowsOnlyThatRecord()
    {
        // What a fresh window shows with B's few values typed in.
        Snapshot expected;
        int brands = 0;
        {
            testing::Program fresh;
            EntryScreen &f = fresh.window->entryScreen();
            // Empty number boxes are stored as 0 and come back as "0".
            for (int i : { 18, 19, 20, 21, 22, 23, 24, 25, 26, 28, 29, 33, 34 })
                f.txt(i)->setText(QStringLiteral("0"));
            f.txt(16)->setText(QStringLiteral("B"));
            f.txt(3)->setText(QStringLiteral("YO"));
            f.txt(4)->setText(QStringLiteral("K"));
            expected = snapshot(f);
            brands = f.cmbX(0)->count();
        }
        testing::Program p;
        EntryScreen &s = p.window->entryScreen();
        typeTransaction(s);
        const qint64 a = records::Kaydet(s, QString());
        s.EkraniTemizle();
        resetChoices(s);
        s.txt(16)->setText(QStringLiteral("B"));
        const qint64 b = records::Kaydet(s, QString());
        QVERIFY(records::OKU(s, a));
        s.sprTarih(0)->setText(QStringLiteral("01.01.2001")); // typed over A
        s.optX(14)->setChecked(true);
        QVERIFY(records::OKU(s, b));
        QCOMPARE(snapshot(s).texts, expected.texts);
        QCOMPARE(snapshot(s).dates, expected.dates);
        QCOMPARE(snapshot(s).combos, expected.combos);
        QCOMPARE(snapshot(s).options, expected.options);
        QCOMPARE(s.cmbX(0)->count(), brands); // the brand list stays
        QVERIFY(!s.cmbX(1)->isEnabled());
        // Saving B stores nothing of A under it.
        QCOMPARE(records::Kaydet(s, QString()), b);
        QCOMPARE(
            column(QStringLiteral("SELECT count(*) FROM ARACSAHIPLERI WHERE ARACID = %1").arg(b))
                .value(0)
                .toInt(),
            0);
        QVERIFY(column(QStringLiteral("SELECT BELGETARIHI FROM ARACKAYIT WHERE ID = %1").arg(b))
                    .value(0)
                    .isNull());
        // No record behind the ID (the list's header row): the screen stays.
        s.txt(17)->setText(QStringLiteral("yazılan"));
        QVERIFY(records::OKU(s, 0));
        QCOMPARE(s.txt(17)->text(), QStringLiteral("yazılan"));
    }

    void storedValuesTheScreenCannotShow_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<int>("number");
        QTest::newRow("list index out of range") << "UPDATE ARACKAYIT SET TAKOGRAF = 5" << 380;
        QTest::newRow("option out of range") << "UPDATE ARACKAYIT SET YAKITCINSI = 40" << 340;
        QTest::newRow("option beyond any index")
            << "UPDATE ARACKAYIT SET KULLANIMAMACI = 11111111111111" << 340;
        QTest::newRow("list index beyond any index")
            << "UPDATE ARACKAYIT SET TAKOGRAF = -11111111111111" << 380;
        QTest::newRow("dash list with a gap") << "UPDATE ARACKAYIT SET ISLEMTURU = '3--5'" << 13;
        QTest::newRow("not a dash list") << "UPDATE ARACKAYIT SET ISLEMTURU = 'x'" << 13;
        QTest::newRow("blood group not in list")
            << "UPDATE ARACSAHIPLERI SET KANGRUBU = 'Zrh+'" << 383;
        // Values another program wrote wider than their boxes are never cut.
        QTest::newRow("number wider than its box")
            << "UPDATE ARACKAYIT SET NETAGR = 12345678901" << 380;
        QTest::newRow("plate longer than its boxes")
            << "UPDATE ARACKAYIT SET YENIPLAKA = '34ABCDEFGHIJ12345678'" << 380;
        QTest::newRow("tax date the cell cannot show")
            << "UPDATE ARACKAYIT SET OTV_Tarihi = 'yarın'" << 380;
    }
    void storedValuesTheScreenCannotShow()
    {
        QFETCH(QString, sql);
        QFETCH(int, number);
        testing::Program p;
        EntryScreen &s = p.window->entryScreen();
        s.txt(16)->setText(QStringLiteral("M1"));
        s.txt(17)->setText(QStringLiteral("ŞASE"));
        s.txt(40)->setText(QStringLiteral("1"));
        const qint64 id = records::Kaydet(s, QString());
        exec(sql);
        s.EkraniTemizle();
        s.txt(16)->setText(QStringLiteral("yazılan"));
        p.messages.reset();
        QVERIFY(!records::OKU(s, id));
        QCOMPARE(p.messages.titles(), QStringList { QStringLiteral("GENEL HATA") });
        const QString text = p.messages.shown().first().text;
        QVERIFY(text.contains(QStringLiteral("OKU")));
        QVERIFY(text.contains(QStringLiteral(" Hata Kodu      : %1").arg(number)));
        const QString changed = QString(sql).section(QLatin1Char(' '), 3, 3);
        QVERIFY2(text.contains(changed), qPrintable(text)); // names the column
        QCOMPARE(p.messages.exits(), 0);
        // Nothing of a record that cannot be shown whole reaches the screen, so
        // it cannot be saved back half-shown.
        QCOMPARE(s.txt(16)->text(), QStringLiteral("yazılan"));
        QCOMPARE(s.txt(17)->text(), QString());
    }

    void nullsWrittenByAnotherProgramLoadAsEmpty()
    {
        testing::Program p;
        EntryScreen &s = p.window->entryScreen();
        exec(QStringLiteral("INSERT INTO ARACKAYIT (ID, MOTORNO) VALUES (7, 'M7')"));
        exec(QStringLiteral("INSERT INTO ARACSAHIPLERI (ARACID, SAHIPNO, KIMLIKNO, TELEFONIS) "
                            "VALUES (7, 1, NULL, '   ')"));
        s.txt(121)->setText(QStringLiteral("eski"));
        QVERIFY(records::OKU(s, 7));
        QCOMPARE(s.txt(16)->text(), QStringLiteral("M7"));
        QCOMPARE(s.txt(121)->text(), QString());
        QCOMPARE(s.txt(33)->text(), QStringLiteral("0"));
        QVERIFY(s.optTel(1)->isChecked()); // blanks count as no work phone
        QVERIFY(s.OptA(1)->isChecked());
        QCOMPARE(p.messages.shown().size(), 0);
    }

    void aReturningOwnerIsOfferedOnlyToAnEmptyPanel_data()
    {
        QTest::addColumn<QString>("typedFirst"); // a box of panel 2 typed before the number
        QTest::addColumn<bool>("yes");
        QTest::addColumn<bool>("filled");
        QTest::newRow("empty panel, Evet") << QString() << true << true;
        QTest::newRow("empty panel, Hayır") << QString() << false << false;
        QTest::newRow("typed in") << QStringLiteral("12") << true << false;
    }

    void aReturningOwnerIsOfferedOnlyToAnEmptyPanel()
    {
        QFETCH(QString, typedFirst);
        QFETCH(bool, yes);
        QFETCH(bool, filled);
        testing::Program p;
        EntryScreen &s = p.window->entryScreen();
        // The same owner saved with two vehicles: the later row is the one offered.
        typeTransaction(s);
        records::Kaydet(s, QString());
        s.txt(16)->setText(QStringLiteral("MTR-0002"));
        s.txt(41)->setText(QStringLiteral("YENİ AD"));
        const qint64 later = records::Kaydet(s, QString());
        s.EkraniTemizle();
        resetChoices(s);
        QVERIFY(records::OKU(s, later));
        QStringList loaded;
        for (int i = 40; i <= 66; ++i)
            loaded << s.txt(i)->text();
        loaded << s.sprTarih(3)->text() << s.cmbX(3)->currentText() << s.cmbX(4)->currentText();
        s.EkraniTemizle();
        resetChoices(s);

        // Owner 1 of that vehicle comes again, typed into panel 2 this time.
        p.window->show();
        QApplication::setActiveWindow(p.window.get());
        QVERIFY(QTest::qWaitForWindowActive(p.window.get()));
        s.sTabber()->setCurrentIndex(1);
        s.txt(80)->setText(typedFirst);
        p.messages.reset();
        if (!yes)
            p.messages.answerNext(platform::MsgAnswer::No);
        QWidget *number = s.txt(67)->widget();
        number->setFocus();
        QTest::keyClicks(number, QStringLiteral("10000000001 "));
        QTest::keyClick(number, Qt::Key_Tab);
        QCoreApplication::processEvents();

        QCOMPARE(p.messages.shown().size(), typedFirst.isEmpty() ? 1 : 0);
        if (typedFirst.isEmpty()) {
            const platform::MessageRequest &asked = p.messages.shown().first();
            QCOMPARE(asked.text,
                QStringLiteral("10000000001 numarasıyla kayıtlı: YENİ AD ş42. "
                               "Bilgileri doldurulsun mu?"));
            QCOMPARE(asked.buttons, platform::MsgButtons::YesNo);
            QCOMPARE(asked.defaultAnswer, platform::MsgAnswer::No);
        }
        QCOMPARE(s.txt(67)->text(), QStringLiteral("10000000001 "));
        QStringList panel;
        for (int i = 68; i <= 93; ++i)
            panel << s.txt(i)->text();
        panel << s.sprTarih(4)->text() << s.cmbX(6)->currentText() << s.cmbX(8)->currentText();
        if (filled) {
            // As loading the owner would show it, the number left as typed.
            QCOMPARE(panel, loaded.mid(1));
            QCOMPARE(s.OptA(2)->isChecked(), true);
            QCOMPARE(s.optAdres(3)->isChecked(), true);
        } else {
            QStringList untouched(26);
            untouched[12] = typedFirst;
            untouched << QString() << QString() << QString();
            QCOMPARE(panel, untouched);
            QVERIFY(!s.OptA(2)->isChecked() && !s.OptA(3)->isChecked());
        }
        // Leaving the box again asks nothing more.
        number->setFocus();
        QTest::keyClick(number, Qt::Key_Tab);
        QCoreApplication::processEvents();
        QCOMPARE(p.messages.shown().size(), typedFirst.isEmpty() ? 1 : 0);
    }

    void theRealQuestionDefaultsToHayir_data()
    {
        QTest::addColumn<bool>("clickYes");
        QTest::newRow("Enter") << false;
        QTest::newRow("Evet clicked") << true;
    }

    void theRealQuestionDefaultsToHayir()
    {
        QFETCH(bool, clickYes);
        testing::Program p;
        EntryScreen &s = p.window->entryScreen();
        typeTransaction(s);
        records::Kaydet(s, QString());
        s.EkraniTemizle();
        s.txt(67)->setText(QStringLiteral("10000000001"));
        QString asked;
        QTimer::singleShot(0, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            QVERIFY(box);
            asked = box->text();
            if (clickYes)
                box->button(QMessageBox::Yes)->click();
            else
                QTest::keyClick(box, Qt::Key_Return);
        });
        platform::setMessageService(nullptr);
        const bool filled = records::offerStoredOwner(s, 2);
        platform::setMessageService(&p.messages);
        QVERIFY(asked.endsWith(QStringLiteral("Bilgileri doldurulsun mu?")));
        QCOMPARE(filled, clickYes);
        QCOMPARE(s.txt(68)->text(), clickYes ? QStringLiteral("ş41") : QString());
    }
};

QTEST_MAIN(TestSaveLoad)
#include "tst_saveload.moc"
