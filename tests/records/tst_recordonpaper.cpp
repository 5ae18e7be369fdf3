// The record on paper is the record on screen: owners after a transfer or a
// removal, choices the clerk never made, and the next customer after F4, as
// the store keeps them and as the forms print them.
#include "app/mainwindow.h"
#include "printing/forms.h"
#include "records/entryscreen.h"
#include "records/loadrecord.h"
#include "records/saverecord.h"
#include "support/recordtables.h"
#include "support/testsupport.h"

#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using records::EntryScreen;
using testing::storeColumn;
using testing::storeExec;

namespace {

bool engineRow()
{
    return QByteArray(QTest::currentDataTag()).startsWith("postgresql");
}

QString first(const QString &sql)
{
    return storeColumn(sql).value(0).toString();
}

// "KIMLIKNO:AD:SAHIPNO" of every owner row, in the order they were added.
QStringList ownerRows()
{
    QStringList rows;
    for (const QVariant &v : storeColumn(QStringLiteral(
             "SELECT KIMLIKNO || ':' || AD || ':' || SAHIPNO FROM ARACSAHIPLERI ORDER BY ID")))
        rows << v.toString();
    return rows;
}

// The EK-1 pages as they would print the screen now.
QString frontField(EntryScreen &s, int n)
{
    printing::ArTrafik front(s);
    front.fill();
    return front.fieldText(QStringLiteral("Field%1").arg(n));
}

QString backField(EntryScreen &s, int n)
{
    printing::ArTrafikArka back(s);
    back.fill();
    return back.fieldText(QStringLiteral("Field%1").arg(n));
}

void type(EntryScreen &s, const QString &items)
{
    QVERIFY2(testing::setControls(s, items), qPrintable(items));
}

// Every owner panel's choices, as "OptA optC optAdres optTel blood nationality".
QString panelChoices(const EntryScreen &s, int n)
{
    const int even = 2 * (n - 1);
    auto pair = [&](QRadioButton *a, QRadioButton *b) {
        return a->isChecked() ? QStringLiteral("1") : b->isChecked() ? QStringLiteral("2") : "-";
    };
    return QStringList { pair(s.OptA(even), s.OptA(even + 1)), pair(s.optC(even), s.optC(even + 1)),
        pair(s.optAdres(even), s.optAdres(even + 1)), pair(s.optTel(even), s.optTel(even + 1)),
        s.cmbX(3 * n)->currentText(), s.cmbX(4 * n)->currentText() }
        .join(QLatin1Char(' '));
}

const QString kVehicle = QStringLiteral("txt(16)=MTR-7|txt(3)=34|txt(4)=AB|txt(5)=123");

} // namespace

class TestRecordOnPaper : public QObject {
    Q_OBJECT
private slots:
    // A transfer replaces owner 1 and a later visit drops owner 2: the slots
    // hold what the screen held, the others stay in the store as history.
    void ownersAfterATransferAndARemoval_data() { testing::addEngineRows(); }
    void ownersAfterATransferAndARemoval()
    {
        testing::SharedStoreScope store(engineRow());
        QVERIFY2(store.ok(), qPrintable(store.error()));
        testing::Program p;
        EntryScreen &s = p.window->entryScreen();
        type(s,
            kVehicle
                + "|txt(40)=11111111110|txt(41)=SATICI|txt(42)=ESKİ|txt(67)=33333333330|"
                  "txt(68)=ORTAK");
        const qint64 id = records::Kaydet(s, QString());
        QVERIFY(id > 0);
        QVERIFY(s.formerOwners().isEmpty());
        // Devir: the buyer's number and name typed over the seller's.
        type(s, "txt(40)=22222222220|txt(41)=ALICI|txt(42)=YENİ");
        QCOMPARE(records::Kaydet(s, QString()), id);
        QCOMPARE(ownerRows(),
            QStringList({ "11111111110:SATICI:-1", "33333333330:ORTAK:2", "22222222220:ALICI:1" }));
        // The seller is named at once, never in a panel.
        QCOMPARE(s.formerOwners(), QStringList { "SATICI ESKİ (11111111110), 1. sahip idi" });
        QVERIFY(!s.formerOwnersButton()->isHidden());

        // Loaded again from the list: the buyer, on screen and on paper.
        s.newRecord();
        QVERIFY(s.formerOwnersButton()->isHidden());
        QVERIFY(records::OKU(s, id));
        QCOMPARE(s.txt(41)->text(), QStringLiteral("ALICI"));
        QCOMPARE(frontField(s, 82), QStringLiteral("ALICI YENİ"));
        QCOMPARE(backField(s, 2), QStringLiteral("ALICI"));
        QCOMPARE(s.formerOwners().size(), 1);

        // Owner 2 emptied on the screen: gone from the slots, the panel and the form.
        for (int i = 67; i < 94; ++i)
            s.txt(i)->setText(QString());
        QCOMPARE(records::Kaydet(s, QString()), id);
        s.newRecord();
        QVERIFY(records::OKU(s, id));
        QCOMPARE(s.txt(67)->text(), QString());
        QCOMPARE(frontField(s, 83), QString());
        QCOMPARE(backField(s, 42), QString());
        QCOMPARE(first("SELECT count(*) FROM ARACSAHIPLERI WHERE SAHIPNO BETWEEN 1 AND 3"),
            QStringLiteral("1"));
        QCOMPARE(s.formerOwners(),
            QStringList({ "ORTAK (33333333330), 2. sahip idi",
                "SATICI ESKİ (11111111110), 1. sahip idi" }));

        // The seller buys back into slot 2: his own row returns, nothing doubles.
        type(s, "txt(67)=11111111110|txt(68)=SATICI");
        QCOMPARE(records::Kaydet(s, QString()), id);
        QCOMPARE(first("SELECT count(*) FROM ARACSAHIPLERI"), QStringLiteral("3"));
        QCOMPARE(
            first("SELECT SAHIPNO FROM ARACSAHIPLERI WHERE KIMLIKNO = '11111111110'").toInt(), 2);
    }

    // Rows another program wrote, several in one slot: the one saved last
    // shows, the same on both engines, and the next save settles the slots.
    void severalRowsInOneSlot_data() { testing::addEngineRows(); }
    void severalRowsInOneSlot()
    {
        testing::SharedStoreScope store(engineRow());
        QVERIFY2(store.ok(), qPrintable(store.error()));
        testing::Program p;
        EntryScreen &s = p.window->entryScreen();
        type(s, kVehicle + "|txt(40)=1|txt(41)=İLK");
        const qint64 id = records::Kaydet(s, QString());
        for (const char *name : { "İKİNCİ", "ÜÇÜNCÜ" })
            QVERIFY(storeExec(QStringLiteral("INSERT INTO ARACSAHIPLERI (ARACID, SAHIPNO, "
                                             "KIMLIKNO, AD) VALUES (%1, 1, '%2', '%2')")
                                  .arg(id)
                                  .arg(QString::fromUtf8(name))));
        s.newRecord();
        QVERIFY(records::OKU(s, id));
        QCOMPARE(s.txt(41)->text(), QStringLiteral("ÜÇÜNCÜ"));
        QCOMPARE(s.formerOwners().size(), 2);
        QCOMPARE(records::Kaydet(s, QString()), id);
        QCOMPARE(first("SELECT count(*) || ' ' || max(AD) FROM ARACSAHIPLERI WHERE SAHIPNO "
                       "BETWEEN 1 AND 3"),
            QStringLiteral("1 ÜÇÜNCÜ"));
    }

    // Choices the clerk never made are stored as none and come back as none;
    // the forms mark nothing for them.
    void untouchedChoicesStayUntouched_data() { testing::addEngineRows(); }
    void untouchedChoicesStayUntouched()
    {
        testing::SharedStoreScope store(engineRow());
        QVERIFY2(store.ok(), qPrintable(store.error()));
        testing::Program p;
        EntryScreen &s = p.window->entryScreen();
        type(s, kVehicle + "|txt(40)=12345678950|txt(41)=KİMSE");
        s.cmbX(2)->setCurrentIndex(0); // the tachograph back to no choice
        const qint64 id = records::Kaydet(s, QString());
        QCOMPARE(first("SELECT SAHIPTIPI || '|' || CINSIYET || '|' || ADRESTIPI || '|' || "
                       "KANGRUBU || '|' || TABIYET FROM ARACSAHIPLERI"),
            QStringLiteral("||||"));
        QVERIFY(storeColumn(QStringLiteral("SELECT TAKOGRAF FROM ARACKAYIT")).value(0).isNull());
        s.newRecord();
        QVERIFY(records::OKU(s, id));
        QCOMPARE(panelChoices(s, 1), QStringLiteral("- - - -  "));
        QCOMPARE(s.cmbX(2)->currentText(), QString());
        // No save warns of a legal entity's identity number any more.
        QCOMPARE(records::Kaydet(s, QString()), id);
        QVERIFY(!p.messages.shown().last().text.contains(QStringLiteral("TÜZEL")));
        for (int n : { 7, 8, 10, 11, 14, 15 })
            QCOMPARE(backField(s, n), QString());
        QCOMPARE(frontField(s, 64) + frontField(s, 65), QString());

        // Delete on a group takes a choice back, as the list's empty item does.
        s.optC(0)->setChecked(true);
        s.optC(0)->setFocus();
        QTest::keyClick(s.optC(0), Qt::Key_Delete);
        QVERIFY(!s.optC(0)->isChecked() && !s.optC(1)->isChecked());
    }

    // A person served, then a company: F4 leaves nothing of the person's
    // choices; "Temizle" keeps the vehicle's but not the owners'.
    void aCompanyTypedAfterAPerson()
    {
        testing::Program p;
        EntryScreen &s = p.window->entryScreen();
        type(s,
            kVehicle
                + "|txt(40)=12345678950|txt(41)=AYŞE|OptA(0)=1|optC(0)=1|optAdres(0)=1|"
                  "optTel(0)=1|optX(12)=1|optX(16)=1");
        s.cmbX(3)->setCurrentText(QStringLiteral("ABrh+"));
        s.cmbX(4)->setCurrentText(QStringLiteral("TC"));
        s.cmbX(2)->setCurrentText(QStringLiteral("VAR"));
        QVERIFY(records::Kaydet(s, QString()) > 0);

        s.EkraniTemizle(); // "Temizle": the next vehicle of the same kind
        QCOMPARE(panelChoices(s, 1), QStringLiteral("- - - -  "));
        QVERIFY(s.optX(12)->isChecked());
        QCOMPARE(s.cmbX(2)->currentText(), QStringLiteral("VAR"));

        s.newRecord(); // F4: as a fresh window
        QVERIFY(!s.optX(12)->isChecked() && !s.optX(16)->isChecked());
        QCOMPARE(s.cmbX(2)->currentText(), QStringLiteral("YOK"));
        QCOMPARE(s.cmbX(0)->currentText(), QString());
        QVERIFY(s.cmbX(0)->count() > 0); // the brand list stays
        type(s, "txt(16)=MTR-8|txt(40)=1234567890|txt(41)=ACME LTD. ŞTİ.|OptA(1)=1");
        QVERIFY(records::Kaydet(s, QString()) > 0);
        QCOMPARE(first("SELECT SAHIPTIPI || CINSIYET || KANGRUBU || TABIYET || ADRESTIPI FROM "
                       "ARACSAHIPLERI WHERE KIMLIKNO = '1234567890'"),
            QStringLiteral("T"));
        // A company's sex and blood group never print, whatever a panel holds.
        s.optC(0)->setChecked(true);
        s.cmbX(3)->setCurrentText(QStringLiteral("0rh-"));
        for (int n : { 10, 11, 12, 13 })
            QCOMPARE(backField(s, n), QString());
        QCOMPARE(backField(s, 8), QStringLiteral("X"));
    }
};

QTEST_MAIN(TestRecordOnPaper)
#include "tst_recordonpaper.moc"
