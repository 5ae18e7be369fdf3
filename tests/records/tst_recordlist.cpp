#include "app/datafiles.h"
#include "app/mainwindow.h"
#include "records/entryscreen.h"
#include "records/recordlist.h"
#include "records/recordlistmodel.h"
#include "records/saverecord.h"
#include "support/testsupport.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTabWidget>
#include <QTableView>
#include <QTest>

using records::EntryScreen;
using records::RecordList;
using records::RecordListModel;

namespace {

void exec(const QStringList &statements)
{
    QSqlDatabase db;
    QVERIFY(app::OpenData(db, app::RecordStoreData));
    {
        QSqlQuery q(db);
        for (const QString &sql : statements)
            QVERIFY2(q.exec(sql), qPrintable(sql));
    }
    app::CloseDb(db);
}

// Records i = from..to, their columns given as SQL expressions of i.
void insertSeries(int from, int to, const QString &columns, const QString &values)
{
    exec({ QStringLiteral("INSERT INTO ARACKAYIT (%1) WITH RECURSIVE n(i) AS (SELECT %2 "
                          "UNION ALL SELECT i + 1 FROM n WHERE i < %3) SELECT %4 FROM n")
               .arg(columns)
               .arg(from)
               .arg(to)
               .arg(values) });
}

QString cell(const RecordListModel &m, int row, int column)
{
    return m.data(m.index(row, column)).toString();
}

// Five records saved out of plate order; the owners test Null name parts.
void fillStore()
{
    exec(
        { QStringLiteral("INSERT INTO ARACKAYIT (ID, MOTORNO, ESKIPLAKA, YENIPLAKA, SASENO) VALUES "
                         "(1, 'M1', '34ABC1', '06A1', 'S1'), (2, 'M2', '06XY2', NULL, 'S2'), "
                         "(3, 'M3', 'YOK', '35B3', ' S3 '), (4, 'M4', '32IS4', '', NULL), "
                         "(5, 'M5', '01AA5', '', '')"),
            QStringLiteral("INSERT INTO ARACSAHIPLERI (ARACID, SAHIPNO, AD, SOYAD) VALUES "
                           "(1, 2, 'İkinci', 'Sahip'), (1, 1, 'Ayşe', 'Yılmaz'), "
                           "(2, 1, 'Tüzel Ltd. Şti.', NULL), (3, 1, NULL, 'Öztürk'), "
                           "(4, 1, 'ısparta', 'ıspartalı')") });
}

} // namespace

class TestRecordList : public QObject {
    Q_OBJECT
private slots:
    void listsEveryRecordByOldPlate_data() { testing::addEngineRows(); }
    void listsEveryRecordByOldPlate()
    {
        QFETCH(QString, engine);
        testing::SharedStoreScope store(testing::isPostgresRow(engine));
        QVERIFY2(store.ok(), qPrintable(store.error()));
        testing::Program p;
        fillStore();
        EntryScreen &s = p.window->entryScreen();
        RecordListModel &m = p.window->recordList().model();
        QAbstractItemModelTester tester(&m);
        s.cmdBUL()->click();
        QVERIFY2(p.messages.shown().isEmpty(), qPrintable(p.messages.shown().value(0).text));
        QCOMPARE(m.rowCount(), 5);
        const QStringList plates { cell(m, 0, 1), cell(m, 1, 1), cell(m, 2, 1), cell(m, 3, 1),
            cell(m, 4, 1) };
        QCOMPARE(plates, (QStringList { "01AA5", "06XY2", "32IS4", "34ABC1", "YOK" }));
        // The first owner by slot; Null parts count as empty; no owner, no name.
        QCOMPARE(cell(m, 3, 0), QStringLiteral("Ayşe Yılmaz"));
        QCOMPARE(cell(m, 1, 0), QStringLiteral("Tüzel Ltd. Şti."));
        QCOMPARE(cell(m, 4, 0), QStringLiteral("Öztürk"));
        QCOMPARE(cell(m, 0, 0), QString());
        QCOMPARE(cell(m, 4, 3), QStringLiteral("S3"));
        QCOMPARE(cell(m, 1, 2), QString());
        QCOMPARE(m.data(m.index(3, 5)).toLongLong(), 1);
        QCOMPARE(m.headerData(0, Qt::Horizontal).toString(), QStringLiteral("Sahibi"));
        QCOMPARE(m.headerData(2, Qt::Vertical).toInt(), 3);
        QVERIFY(s.sprX()->isColumnHidden(5));
        QVERIFY(s.frmARA()->isVisibleTo(p.window.get()));
        QVERIFY(!s.sTabber()->isEnabled());
    }

    void anEmptyStoreShowsNothing()
    {
        testing::Program p;
        exec(
            { QStringLiteral("INSERT INTO ARACKAYIT (ID, MOTORNO) VALUES (0, 'M0'), (-3, 'M3')") });
        EntryScreen &s = p.window->entryScreen();
        s.cmdBUL()->click();
        QCOMPARE(p.window->recordList().model().rowCount(), 0);
        QVERIFY(!s.frmARA()->isVisibleTo(p.window.get()));
        QVERIFY(s.sTabber()->isEnabled());
        QVERIFY(p.messages.shown().isEmpty());
    }

    void searchJumpsToTheFirstPrefixMatch_data() { testing::addEngineRows(); }
    void searchJumpsToTheFirstPrefixMatch()
    {
        QFETCH(QString, engine);
        testing::SharedStoreScope store(testing::isPostgresRow(engine));
        QVERIFY2(store.ok(), qPrintable(store.error()));
        testing::Program p;
        fillStore();
        EntryScreen &s = p.window->entryScreen();
        s.cmdBUL()->click();
        QTableView *grid = s.sprX();
        auto current = [grid] { return grid->currentIndex().row(); };
        s.txtara(1)->setText(QStringLiteral("3"));
        QCOMPARE(current(), 2);
        s.txtara(1)->setText(QStringLiteral("34"));
        QCOMPARE(current(), 3);
        s.txtara(1)->setText(QStringLiteral("349")); // no match: stays
        QCOMPARE(current(), 3);
        s.txtara(1)->setText(QStringLiteral("3")); // deleting moves back up
        QCOMPARE(current(), 2);
        s.txtara(1)->setText(QString());
        QCOMPARE(current(), 0);
        // Turkish folding: "ı" finds "I", "i" finds "İ".
        s.txtara(0)->setText(QStringLiteral("ISPARTA"));
        QCOMPARE(current(), 2);
        s.txtara(0)->setText(QStringLiteral("ayşe y"));
        QCOMPARE(current(), 3);
        s.txtara(0)->setText(QStringLiteral("öz"));
        QCOMPARE(current(), 4);
        // The boxes keep their text across fills.
        s.btnCancel()->click();
        s.cmdBUL()->click();
        QCOMPARE(s.txtara(0)->text(), QStringLiteral("öz"));
    }

    void turkishFoldingOfPrefixes()
    {
        RecordListModel m;
        for (const char *owner : { "İSTANBUL", "ISPARTA", "istanbul", "\xC4\xB0zmir \xFF" })
            m.append(1, { QByteArrayView(owner), {}, {}, {}, {} });
        m.endAppend();
        QCOMPARE(m.findPrefix(0, QStringLiteral("ist")), 0);
        QCOMPARE(m.findPrefix(0, QStringLiteral("ısparta")), 1);
        QCOMPARE(m.findPrefix(0, QStringLiteral("isp")), -1);
        QCOMPARE(m.findPrefix(0, QString()), 0);
        QCOMPARE(m.findPrefix(0, QStringLiteral("ist"), 1), 2);
        QCOMPARE(m.findPrefix(0, QStringLiteral("izmir \uFFFD")), 3);
    }

    void longListsArriveInOrderBetweenEvents_data() { testing::addEngineRows(); }
    void longListsArriveInOrderBetweenEvents()
    {
        QFETCH(QString, engine);
        testing::SharedStoreScope store(testing::isPostgresRow(engine));
        QVERIFY2(store.ok(), qPrintable(store.error()));
        // Old plates with Nulls, numbers stored by another program, ties and
        // blanks, across many slices: the rows arrive in exactly the order of
        // the old plate, then the ID, each once, each beside its first owner
        // by slot (a Null slot first, then the lowest), whenever it arrives.
        testing::Program p;
        insertSeries(1, 6000, QStringLiteral("ID, MOTORNO, ESKIPLAKA"),
            QStringLiteral("i, 'M' || i, CASE i % 7 WHEN 0 THEN NULL WHEN 1 THEN %1 "
                           "WHEN 2 THEN '' ELSE '34AB' || (i % 400) END")
                .arg(testing::isPostgresRow(engine) ? QStringLiteral("'' || (i % 13)")
                                                    : QStringLiteral("i % 13")));
        exec({ QStringLiteral(
            "INSERT INTO ARACSAHIPLERI (ARACID, SAHIPNO, AD, SOYAD) SELECT ID, 3 - ID % 3, "
            "'Sahip' || ID, CASE WHEN ID % 5 = 0 THEN NULL ELSE 'Üç' END FROM ARACKAYIT "
            "WHERE ID % 4 <> 0 UNION ALL SELECT ID, CASE WHEN ID % 9 = 0 THEN NULL ELSE 2 END, "
            "'İkinci' || ID, 'Sahip' FROM ARACKAYIT WHERE ID % 2 = 1") });
        RecordList &list = p.window->recordList();
        RecordListModel &m = list.model();
        QAbstractItemModelTester tester(&m);
        const int first = list.fill();
        QVERIFY(first > 0 && first < 6000);
        QVERIFY(list.filling());
        QTRY_VERIFY_WITH_TIMEOUT(!list.filling(), 60000);
        QSqlDatabase db;
        QVERIFY(app::OpenData(db, app::RecordStoreData));
        QStringList expected;
        {
            QSqlQuery q(QStringLiteral(
                            "SELECT K.ID, (SELECT trim(coalesce(S.AD, '') || ' ' || "
                            "coalesce(S.SOYAD, '')) FROM ARACSAHIPLERI S WHERE "
                            "S.ARACID = K.ID ORDER BY S.SAHIPNO, S.ID LIMIT 1) "
                            "FROM ARACKAYIT K WHERE K.ID > 0 ORDER BY ESKIPLAKA NULLS FIRST, ID"),
                db);
            while (q.next())
                expected << q.value(0).toString() + QLatin1Char(' ') + q.value(1).toString();
        }
        app::CloseDb(db);
        QStringList shown;
        for (int r = 0; r < m.rowCount(); ++r)
            shown << QString::number(m.id(r)) + QLatin1Char(' ') + cell(m, r, 0);
        QCOMPARE(shown, expected);
    }

    void searchFindsTheFirstMatchWhileRowsArrive()
    {
        testing::Program p;
        insertSeries(1, 20000, QStringLiteral("ID, MOTORNO, ESKIPLAKA, SASENO"),
            QStringLiteral("i, 'M' || i, printf('%06d', i), CASE WHEN i IN (15000, 17000, "
                           "19000) THEN 'ŞASİ' || i ELSE 'S' || i END"));
        EntryScreen &s = p.window->entryScreen();
        p.window->show();
        RecordList &list = p.window->recordList();
        s.cmdBUL()->click();
        QVERIFY(list.filling());
        QTableView *grid = s.sprX();
        // Typed before the match has arrived: found when it does, and the
        // first in the list's order, not the first to arrive later.
        s.txtara(3)->setText(QStringLiteral("şasi1"));
        QVERIFY(list.filling());
        QTRY_COMPARE_WITH_TIMEOUT(grid->currentIndex().row(), 14999, 60000);
        // A later keystroke replaces the pending search.
        s.txtara(3)->setText(QStringLiteral("şasi19"));
        QTRY_COMPARE_WITH_TIMEOUT(grid->currentIndex().row(), 18999, 60000);
        QTRY_VERIFY_WITH_TIMEOUT(!list.filling(), 60000);
        QCOMPARE(grid->currentIndex().row(), 18999);
    }

    void anOwnerSearchWaitsForEveryOwner()
    {
        // Owners arrive after the other columns, in the owner table's order
        // (those on screen first): the search lands on the first row whose owner matches, not on
        // the first such owner to arrive, and misses none shown before its owner.
        testing::Program p;
        insertSeries(1, 100000, QStringLiteral("ID, MOTORNO, ESKIPLAKA"),
            QStringLiteral("i, 'M' || i, printf('%06d', i)"));
        exec({ QStringLiteral("INSERT INTO ARACSAHIPLERI (ARACID, SAHIPNO, AD, SOYAD) VALUES "
                              "(99500, 1, 'Öztürk', 'Ali'), (12000, 1, 'Özkan', 'Veli'), "
                              "(12000, 2, 'Ayşe', 'Kaya'), (15500, 1, 'Özer', 'Can'), (100000, 1, "
                              "'Son', 'Sahip')") });
        RecordList &list = p.window->recordList();
        p.window->show();
        list.fill();
        while (list.rowsArriving())
            QCoreApplication::processEvents();
        // A row scrolled to before its owner's turn shows its owner at once.
        QVERIFY(list.filling());
        QTableView *grid = p.window->entryScreen().sprX();
        QCoreApplication::processEvents(); // the grid lays out the rows shown last
        grid->scrollToBottom();
        QCOMPARE(cell(list.model(), 99999, 0), QStringLiteral("Son Sahip"));
        p.window->entryScreen().txtara(0)->setText(QStringLiteral("öz"));
        QTRY_VERIFY_WITH_TIMEOUT(!list.filling(), 120000);
        QCOMPARE(grid->currentIndex().row(), 11999);
    }

    void doubleClickWhileRowsArriveLoadsTheRowShown()
    {
        testing::Program p;
        insertSeries(1, 20000, QStringLiteral("ID, MOTORNO, ESKIPLAKA"),
            QStringLiteral("20001 - i, 'MOTOR' || i, printf('%06d', i)"));
        EntryScreen &s = p.window->entryScreen();
        p.window->show();
        RecordList &list = p.window->recordList();
        s.cmdBUL()->click();
        QVERIFY(list.filling());
        QTableView *grid = s.sprX();
        const QModelIndex index = grid->model()->index(120, 1);
        grid->scrollTo(index);
        const QRect r = grid->visualRect(index);
        const QString shown = grid->model()->index(120, 4).data().toString();
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, r.center());
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, r.center());
        QCOMPARE(shown, QStringLiteral("MOTOR121"));
        QCOMPARE(s.txt(16)->text(), shown);
        QVERIFY(!list.filling());
        QVERIFY(!s.frmARA()->isVisibleTo(p.window.get()));
    }

    void aSaveWhileRowsArriveNeitherWaitsNorFails()
    {
        // Between slices the list holds no lock, so a save goes through at
        // once, and the exit's compaction finds the store free.
        testing::Program p;
        insertSeries(1, 20000, QStringLiteral("ID, MOTORNO, ESKIPLAKA"),
            QStringLiteral("i, 'M' || i, printf('%06d', i)"));
        EntryScreen &s = p.window->entryScreen();
        RecordList &list = p.window->recordList();
        s.cmdBUL()->click();
        QVERIFY(list.filling());
        s.txt(16)->setText(QStringLiteral("YENİ MOTOR"));
        p.messages.reset();
        QVERIFY(list.filling());
        QVERIFY(records::Kaydet(s, QString()) > 0);
        QVERIFY(!p.messages.titles().contains(QStringLiteral("GENEL HATA")));
        s.cmdBUL()->click();
        QVERIFY(list.filling());
        p.window->ExitProgram();
        QVERIFY(!list.filling());
        QVERIFY(!p.messages.titles().contains(QStringLiteral("DİKKAT !")));
        QCOMPARE(p.messages.exits(), 1);
    }

    void doubleClickLoadsTheRowsRecordAndCloses_data() { testing::addEngineRows(); }
    void doubleClickLoadsTheRowsRecordAndCloses()
    {
        QFETCH(QString, engine);
        testing::SharedStoreScope store(testing::isPostgresRow(engine));
        QVERIFY2(store.ok(), qPrintable(store.error()));
        testing::Program p;
        fillStore();
        insertSeries(10, 300, QStringLiteral("ID, MOTORNO, ESKIPLAKA"),
            QStringLiteral("i, 'MOTOR' || i, 'ZZ' || i"));
        EntryScreen &s = p.window->entryScreen();
        p.window->show();
        s.cmdBUL()->click();
        QTableView *grid = s.sprX();
        s.txtara(4)->setText(QStringLiteral("MOTOR250"));
        QVERIFY(p.window->recordList().finishFill() > 0);
        const QModelIndex index = grid->currentIndex();
        QCOMPARE(
            index.row(), p.window->recordList().model().findPrefix(4, QStringLiteral("MOTOR250")));
        grid->scrollTo(index);
        const QRect r = grid->visualRect(index);
        QVERIFY(grid->viewport()->rect().contains(r.center()));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, r.center());
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, r.center());
        QCOMPARE(s.txt(16)->text(), QStringLiteral("MOTOR250"));
        QVERIFY(!s.frmARA()->isVisibleTo(p.window.get()));
        QVERIFY(s.sTabber()->isEnabled());
    }

    void headerDoubleClickLoadsNothingAndCloses()
    {
        testing::Program p;
        fillStore();
        EntryScreen &s = p.window->entryScreen();
        s.txt(16)->setText(QStringLiteral("yazılan"));
        s.cmdBUL()->click();
        emit s.sprX()->horizontalHeader()->sectionDoubleClicked(1);
        QCOMPARE(s.txt(16)->text(), QStringLiteral("yazılan"));
        QVERIFY(!s.frmARA()->isVisibleTo(p.window.get()));
    }

    void cancelChangesNothing()
    {
        testing::Program p;
        fillStore();
        EntryScreen &s = p.window->entryScreen();
        s.txt(16)->setText(QStringLiteral("yazılan"));
        s.cmdBUL()->click();
        s.btnCancel()->click();
        QVERIFY(s.sTabber()->isEnabled());
        QVERIFY(!s.frmARA()->isVisibleTo(p.window.get()));
        QCOMPARE(s.txt(16)->text(), QStringLiteral("yazılan"));
    }

    // Only the row counts: its number in the left margin loads it like a cell.
    void rowNumberDoubleClickLoadsThatRow()
    {
        testing::Program p;
        fillStore();
        EntryScreen &s = p.window->entryScreen();
        p.window->show();
        s.cmdBUL()->click();
        QHeaderView *numbers = s.sprX()->verticalHeader();
        const QPoint second(numbers->width() / 2,
            numbers->sectionViewportPosition(1) + numbers->sectionSize(1) / 2);
        QTest::mouseDClick(numbers->viewport(), Qt::LeftButton, {}, second);
        QCOMPARE(s.txt(16)->text(), QStringLiteral("M2"));
        QVERIFY(!s.frmARA()->isVisibleTo(p.window.get()));
    }

    // The list opens with the cursor in the first search box; the arrows walk
    // the rows from there or from the grid, Enter loads, Esc closes, and the
    // cursor goes back to the box it came from.
    void theListWorksFromTheKeyboard()
    {
        testing::Program p;
        fillStore();
        EntryScreen &s = p.window->entryScreen();
        p.window->show();
        QApplication::setActiveWindow(p.window.get());
        QVERIFY(QTest::qWaitForWindowActive(p.window.get()));
        QWidget *typing = s.txt(10)->widget();
        typing->setFocus();
        s.cmdBUL()->click();
        QCOMPARE(QApplication::focusWidget(), s.txtara(0));
        QTest::keyClick(s.txtara(0), Qt::Key_Down);
        QTest::keyClick(s.txtara(0), Qt::Key_Down);
        QTest::keyClick(s.txtara(0), Qt::Key_Up);
        QCOMPARE(s.sprX()->currentIndex().row(), 1);
        QTest::keyClick(s.txtara(0), Qt::Key_Return);
        QCOMPARE(s.txt(16)->text(), QStringLiteral("M2"));
        QVERIFY(!s.frmARA()->isVisibleTo(p.window.get()));
        QCOMPARE(QApplication::focusWidget(), typing);

        s.cmdBUL()->click();
        QTest::keyClick(s.txtara(2), Qt::Key_Escape);
        QVERIFY(!s.frmARA()->isVisibleTo(p.window.get()));
        QVERIFY(s.sTabber()->isEnabled());
        QCOMPARE(s.txt(16)->text(), QStringLiteral("M2"));

        s.cmdBUL()->click();
        s.sprX()->setFocus();
        QTest::keyClick(s.sprX(), Qt::Key_Down);
        QTest::keyClick(s.sprX(), Qt::Key_Down);
        QTest::keyClick(s.sprX(), Qt::Key_Enter);
        QCOMPARE(s.txt(16)->text(), QStringLiteral("M4"));
        QVERIFY(!s.frmARA()->isVisibleTo(p.window.get()));

        // The last search's text is selected, so typing replaces it; text
        // that matches no row loads nothing on Enter, until a row is chosen.
        s.txtara(0)->setText(QStringLiteral("öz"));
        s.cmdBUL()->click();
        QTest::keyClicks(s.txtara(0), "ay");
        QCOMPARE(s.txtara(0)->text(), QStringLiteral("ay"));
        QCOMPARE(s.sprX()->currentIndex().row(), 3);
        QTest::keyClicks(s.txtara(0), "x");
        QTest::keyClick(s.txtara(0), Qt::Key_Return);
        QVERIFY(s.frmARA()->isVisibleTo(p.window.get()));
        QCOMPARE(s.txt(16)->text(), QStringLiteral("M4"));
        QTest::keyClick(s.txtara(0), Qt::Key_Down);
        QTest::keyClick(s.txtara(0), Qt::Key_Return);
        QCOMPARE(s.txt(16)->text(), QStringLiteral("M3"));
        QVERIFY(!s.frmARA()->isVisibleTo(p.window.get()));
    }

    void anUnreadableStoreIsReported()
    {
        testing::Program p;
        exec({ QStringLiteral("DROP TABLE ARACSAHIPLERI") });
        EntryScreen &s = p.window->entryScreen();
        s.cmdBUL()->click();
        QCOMPARE(p.messages.titles(), QStringList { QStringLiteral("GENEL HATA") });
        QVERIFY(p.messages.shown().first().text.contains(
            QStringLiteral("Kayıt deposunda ARACSAHIPLERI tablosu yok: %1")
                .arg(p.folder.storePath())));
        QCOMPARE(p.messages.exits(), 0);
        QVERIFY(!s.frmARA()->isVisibleTo(p.window.get()));
    }

    void bytesThatAreNotUtf8StayInTheirOwnCell()
    {
        testing::Program p;
        // Windows code-page bytes copied in by another tool: "Ç" and "ş" in cp1254.
        exec({ QStringLiteral("INSERT INTO ARACKAYIT (ID, MOTORNO, ESKIPLAKA, YENIPLAKA, SASENO) "
                              "VALUES (1, 'M1', CAST(X'3334C7' AS TEXT), CAST(X'FE3036' AS TEXT), "
                              "'S1'), (2, 'M2', '35B2', '07C2', 'S2')"),
            QStringLiteral("INSERT INTO ARACSAHIPLERI (ARACID, SAHIPNO, AD, SOYAD) VALUES "
                           "(1, 1, CAST(X'4179FE65' AS TEXT), 'Kaya'), (2, 1, 'Ali', 'Er')") });
        p.window->entryScreen().cmdBUL()->click();
        const RecordListModel &m = p.window->recordList().model();
        QCOMPARE(m.rowCount(), 2);
        const QChar bad = QChar::ReplacementCharacter;
        QCOMPARE((QStringList {
                     cell(m, 0, 0), cell(m, 0, 1), cell(m, 0, 2), cell(m, 0, 3), cell(m, 0, 4) }),
            (QStringList { QStringLiteral("Ay") + bad + QStringLiteral("e Kaya"),
                QStringLiteral("34") + bad, bad + QStringLiteral("06"), "S1", "M1" }));
        QCOMPARE((QStringList {
                     cell(m, 1, 0), cell(m, 1, 1), cell(m, 1, 2), cell(m, 1, 3), cell(m, 1, 4) }),
            (QStringList { "Ali Er", "35B2", "07C2", "S2", "M2" }));
    }
};

QTEST_MAIN(TestRecordList)
#include "tst_recordlist.moc"
