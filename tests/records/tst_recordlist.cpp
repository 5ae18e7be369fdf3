#include "app/mainwindow.h"
#include "app/sharedstore.h"
#include "records/entryscreen.h"
#include "records/recordlist.h"
#include "records/recordlistmodel.h"
#include "records/saverecord.h"
#include "support/testsupport.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTest>

using records::EntryScreen;
using records::RecordList;
using records::RecordListModel;

namespace {

void exec(const QStringList &statements)
{
    for (const QString &sql : statements)
        QVERIFY2(testing::storeExec(sql), qPrintable(sql));
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

// Typed key by key, Turkish letters included (keyClicks takes Latin-1 only).
void typeKeys(QWidget *w, const QString &text)
{
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, w, Qt::Key(c.toUpper().unicode()), QString(c), {});
}

QString cell(const RecordListModel &m, int row, int column)
{
    return m.data(m.index(row, column)).toString();
}

// Every row as shown, its five cells joined by "|".
QStringList shownRows(const RecordListModel &m)
{
    QStringList rows;
    for (int r = 0; r < m.rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < 5; ++c)
            cells << cell(m, r, c);
        rows << cells.join(QLatin1Char('|'));
    }
    return rows;
}

// The store of the engine the row names.
bool engineRow()
{
    return QByteArray(QTest::currentDataTag()) == "postgresql";
}

// The series number i as six digits, in the current store's dialect.
QString sixDigits()
{
    return app::usesSharedStore() ? QStringLiteral("lpad(i::text, 6, '0')")
                                  : QStringLiteral("printf('%06d', i)");
}

// Five records saved out of plate order; the owners test Null name parts.
void fillStore()
{
    exec(QString::fromUtf8(
        testing::contents(QStringLiteral(EVRAKMATIK_TEST_DATA "/fiverecords.sql")))
             .split(QLatin1Char(';'), Qt::SkipEmptyParts));
}

} // namespace

class TestRecordList : public QObject {
    Q_OBJECT
private slots:
    void listsEveryRecordByOldPlateAndFindsByPrefix_data() { testing::addEngineRows(); }
    void listsEveryRecordByOldPlateAndFindsByPrefix()
    {
        testing::SharedStoreScope store(engineRow());
        QVERIFY2(store.ok(), qPrintable(store.error()));
        testing::Program p;
        fillStore();
        QVERIFY(testing::storeExec(
            QStringLiteral("UPDATE ARACKAYIT SET DEGISIKLIKMASA = '2. masa', DEGISIKLIKZAMANI = "
                           "'07.12.2026 14:13:05' WHERE ID = 1")));
        EntryScreen &s = p.window->entryScreen();
        RecordListModel &m = p.window->recordList().model();
        QAbstractItemModelTester tester(&m);
        s.cmdBUL()->click();
        QVERIFY2(p.messages.shown().isEmpty(), qPrintable(p.messages.shown().value(0).text));
        // Who saved a row last, where the store knows it.
        QCOMPARE(m.data(m.index(3, 1), Qt::ToolTipRole).toString(),
            QStringLiteral("Son kaydeden: 2. masa, 07.12.2026 14:13:05"));
        QVERIFY(!m.data(m.index(0, 1), Qt::ToolTipRole).isValid());
        // By old plate; the first owner by slot, Null parts as empty; no owner, no name.
        QCOMPARE(shownRows(m),
            (QStringList { "|01AA5|||M5", "Tüzel Ltd. Şti.|06XY2||S2|M2",
                "ısparta ıspartalı|32IS4|||M4", "Ayşe Yılmaz|34ABC1|06A1|S1|M1",
                "Öztürk|YOK|35B3|S3|M3" }));
        QCOMPARE(m.data(m.index(3, 5)).toLongLong(), 1);

        QCOMPARE(m.headerData(0, Qt::Horizontal).toString(), QStringLiteral("Sahibi"));
        QCOMPARE(m.headerData(2, Qt::Vertical).toInt(), 3);
        QVERIFY(s.sprX()->isColumnHidden(5));
        QVERIFY(s.frmARA()->isVisibleTo(p.window.get()));
        QVERIFY(!s.sTabber()->isEnabled());
        QTableView *grid = s.sprX();
        // Each text typed in turn, and the row the cursor lands on: no match
        // chooses no row, deleting moves back up; "ı" finds "I", "i" finds "İ".
        const struct {
            int box;
            const char *text;
            int row;
        } steps[] = { { 1, "3", 2 }, { 1, "34", 3 }, { 1, "349", -1 }, { 1, "3", 2 }, { 1, "", 0 },
            { 0, "ISPARTA", 2 }, { 0, "ayşe y", 3 }, { 0, "öz", 4 } };
        for (const auto &step : steps) {
            s.txtara(step.box)->setText(QString::fromUtf8(step.text));
            QCOMPARE(grid->currentIndex().row(), step.row);
        }
    }

    // Typed letter by letter: a text no row begins with chooses no row (the
    // near row found by its first letters is let go), turns its box amber
    // and says "bulunamadı"; Enter then loads nothing and the list stays.
    void aSearchThatMatchesNothingSaysSo_data()
    {
        QTest::addColumn<int>("box");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("nearRow"); // the row the first letters find
        QTest::newRow("owner") << 0 << "özgür" << 4;
        QTest::newRow("old plate with a blank") << 1 << "34 AB" << 2;
        QTest::newRow("engine number") << 4 << "M9" << 0;
    }
    void aSearchThatMatchesNothingSaysSo()
    {
        QFETCH(int, box);
        QFETCH(QString, typed);
        QFETCH(int, nearRow);
        testing::Program p;
        fillStore();
        EntryScreen &s = p.window->entryScreen();
        p.window->show();
        QApplication::setActiveWindow(p.window.get());
        QVERIFY(QTest::qWaitForWindowActive(p.window.get()));
        s.txt(16)->setText(QStringLiteral("yazılan"));
        s.cmdBUL()->click();
        auto *notFound = s.frmARA()->findChild<QLabel *>(QStringLiteral("lblBulunamadi"));
        QVERIFY(notFound);
        QLineEdit *edit = s.txtara(box);
        edit->setFocus();
        typeKeys(edit, typed.left(1));
        QCOMPARE(s.sprX()->currentIndex().row(), nearRow);
        QVERIFY(!notFound->isVisible());
        typeKeys(edit, typed.mid(1));
        QVERIFY(!s.sprX()->currentIndex().isValid());
        QVERIFY(s.sprX()->selectionModel()->selectedIndexes().isEmpty());
        QVERIFY(notFound->isVisible());
        QCOMPARE(notFound->text(), QStringLiteral("bulunamadı"));
        QVERIFY(edit->styleSheet().contains(QStringLiteral("background")));
        // Beside its box, clear of "Vazgeç".
        QVERIFY(qAbs(notFound->y() - edit->geometry().bottom()) < 10);
        QVERIFY(!notFound->geometry().intersects(s.btnCancel()->geometry()));
        QTest::keyClick(edit, Qt::Key_Return);
        QVERIFY(s.frmARA()->isVisibleTo(p.window.get()));
        QCOMPARE(s.txt(16)->text(), QStringLiteral("yazılan"));
        // Taking letters back finds the near row again, and the box is plain.
        QTest::keyClick(edit, Qt::Key_End);
        while (s.sprX()->currentIndex().row() != nearRow && !edit->text().isEmpty())
            QTest::keyClick(edit, Qt::Key_Backspace);
        QCOMPARE(s.sprX()->currentIndex().row(), nearRow);
        QVERIFY(!notFound->isVisible());
        QVERIFY(edit->styleSheet().isEmpty());
    }

    // Reopened, the list starts on row 1 with every box empty and plain, so
    // Enter loads row 1 and no old text claims to name it.
    void theListReopensWithEmptySearchBoxes()
    {
        testing::Program p;
        fillStore();
        EntryScreen &s = p.window->entryScreen();
        p.window->show();
        s.cmdBUL()->click();
        s.txtara(2)->setText(QStringLiteral("35"));
        QCOMPARE(s.sprX()->currentIndex().row(), 4);
        s.txtara(0)->setText(QStringLiteral("yok böyle"));
        s.btnCancel()->click();
        s.cmdBUL()->click();
        for (int i = 0; i < 5; ++i) {
            QVERIFY(s.txtara(i)->text().isEmpty());
            QVERIFY(s.txtara(i)->styleSheet().isEmpty());
        }
        QVERIFY(!s.frmARA()->findChild<QLabel *>(QStringLiteral("lblBulunamadi"))->isVisible());
        QCOMPARE(s.sprX()->currentIndex().row(), 0);
        QTest::keyClick(s.txtara(0), Qt::Key_Return);
        QCOMPARE(s.txt(16)->text(), QStringLiteral("M5"));
    }

    // Each search box lies under the column it searches, named by the
    // column's header until something is typed.
    void eachSearchBoxSitsUnderItsColumn()
    {
        testing::Program p;
        fillStore();
        EntryScreen &s = p.window->entryScreen();
        p.window->show();
        s.cmdBUL()->click();
        QTableView *grid = s.sprX();
        QHeaderView *columns = grid->horizontalHeader();
        for (int c = 0; c < 5; ++c) {
            const QLineEdit *box = s.txtara(c);
            const int left =
                grid->mapTo(s.frmARA(),
                        QPoint(grid->viewport()->x() + columns->sectionViewportPosition(c), 0))
                    .x();
            QCOMPARE(box->x(), left);
            QCOMPARE(box->width(), columns->sectionSize(c));
            QVERIFY(box->y() > grid->geometry().bottom());
            QCOMPARE(
                box->placeholderText(), grid->model()->headerData(c, Qt::Horizontal).toString());
        }
    }

    void turkishFoldingOfPrefixes()
    {
        RecordListModel m;
        for (const char *owner : { "İSTANBUL", "ISPARTA", "istanbul", "\xDDzmir \xFE" })
            m.append(1, { QByteArrayView(owner), {}, {}, {}, {} });
        m.endAppend();
        QCOMPARE(m.findPrefix(0, QStringLiteral("ist")), 0);
        QCOMPARE(m.findPrefix(0, QStringLiteral("ısparta")), 1);
        QCOMPARE(m.findPrefix(0, QStringLiteral("isp")), -1);
        QCOMPARE(m.findPrefix(0, QString()), 0);
        QCOMPARE(m.findPrefix(0, QStringLiteral("ist"), 1), 2);
        // Bytes no UTF-8 read as the Turkish code page has them.
        QCOMPARE(m.findPrefix(0, QStringLiteral("izmir ş")), 3);
    }

    void longListsArriveInOrderBetweenEvents_data() { testing::addEngineRows(); }
    void longListsArriveInOrderBetweenEvents()
    {
        testing::SharedStoreScope store(engineRow());
        QVERIFY2(store.ok(), qPrintable(store.error()));
        // Old plates with Nulls, numbers stored by another program, ties and
        // blanks, across many slices: the rows arrive in exactly the order of
        // the old plate, then the ID, each once, each beside its first current
        // owner (the lowest slot of 1 to 3, the row saved last in it), whenever
        // it arrives.
        testing::Program p;
        insertSeries(1, 6000, QStringLiteral("ID, MOTORNO, ESKIPLAKA"),
            QStringLiteral("i, 'M' || i, CASE i % 7 WHEN 0 THEN NULL WHEN 1 THEN %1 "
                           "WHEN 2 THEN '' ELSE '34AB' || (i % 400) END")
                .arg(engineRow() ? QStringLiteral("'' || (i % 13)") : QStringLiteral("i % 13")));
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
        QStringList expected;
        for (const QVariant &row : testing::storeColumn(QStringLiteral(
                 "SELECT K.ID || ' ' || coalesce((SELECT trim(coalesce(S.AD, '') || ' ' || "
                 "coalesce(S.SOYAD, '')) FROM ARACSAHIPLERI S WHERE S.ARACID = K.ID AND S.SAHIPNO "
                 "BETWEEN 1 AND 3 ORDER BY S.SAHIPNO, S.ID DESC LIMIT 1), '') FROM ARACKAYIT K "
                 "WHERE K.ID > 0 ORDER BY "
                 "ESKIPLAKA NULLS FIRST, ID")))
            expected << row.toString();
        QStringList shown;
        for (int r = 0; r < m.rowCount(); ++r)
            shown << QString::number(m.id(r)) + QLatin1Char(' ') + cell(m, r, 0);
        QCOMPARE(shown, expected);
    }

    // While rows arrive: a search finds the first match in the list's order, a
    // double-click loads the record of the row shown.
    void searchAndDoubleClickWhileRowsArrive_data() { testing::addEngineRows(); }
    void searchAndDoubleClickWhileRowsArrive()
    {
        testing::SharedStoreScope store(engineRow());
        QVERIFY2(store.ok(), qPrintable(store.error()));
        testing::Program p;
        insertSeries(1, 20000, QStringLiteral("ID, MOTORNO, ESKIPLAKA, SASENO"),
            QStringLiteral("20001 - i, 'MOTOR' || i, %1, CASE WHEN i IN (15000, 17000, "
                           "19000) THEN 'ŞASİ' || i ELSE 'S' || i END")
                .arg(sixDigits()));
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

        s.btnCancel()->click();
        s.cmdBUL()->click();
        QVERIFY(list.filling());
        const QModelIndex index = grid->model()->index(120, 1);
        grid->scrollTo(index);
        const QPoint at = grid->visualRect(index).center();
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(s.txt(16)->text(), QStringLiteral("MOTOR121"));
        QVERIFY(!list.filling());
        QVERIFY(!s.frmARA()->isVisibleTo(p.window.get()));
        QVERIFY(s.sTabber()->isEnabled());
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
        QVERIFY(!p.messages.titles().contains(QStringLiteral("Dikkat")));
        QCOMPARE(p.messages.exits(), 1);
    }

    // The header loads nothing, "Vazgeç" changes nothing, a row's number in
    // the left margin loads it like a cell; each closes the list.
    void waysOfLeavingTheList_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("loaded");
        QTest::newRow("header double-click") << "header"
                                             << "yazılan";
        QTest::newRow("Vazgeç") << "cancel"
                                << "yazılan";
        QTest::newRow("row number double-click") << "number"
                                                 << "M2";
    }
    void waysOfLeavingTheList()
    {
        QFETCH(QString, how);
        QFETCH(QString, loaded);
        testing::Program p;
        fillStore();
        EntryScreen &s = p.window->entryScreen();
        p.window->show();
        s.txt(16)->setText(QStringLiteral("yazılan"));
        s.cmdBUL()->click();
        QHeaderView *numbers = s.sprX()->verticalHeader();
        if (how == QLatin1String("header"))
            emit s.sprX()->horizontalHeader()->sectionDoubleClicked(1);
        else if (how == QLatin1String("cancel"))
            s.btnCancel()->click();
        else
            QTest::mouseDClick(numbers->viewport(), Qt::LeftButton, {},
                QPoint(numbers->width() / 2,
                    numbers->sectionViewportPosition(1) + numbers->sectionSize(1) / 2));
        QCOMPARE(s.txt(16)->text(), loaded);
        QVERIFY(!s.frmARA()->isVisibleTo(p.window.get()));
        QVERIFY(s.sTabber()->isEnabled());
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
        const auto keys = [](QWidget *w, std::initializer_list<Qt::Key> list) {
            for (const Qt::Key k : list)
                QTest::keyClick(w, k);
        };
        // The engine number on the screen once the list has closed; empty while open.
        const auto closedOn = [&] {
            return s.frmARA()->isVisibleTo(p.window.get()) ? QString() : s.txt(16)->text();
        };
        QWidget *typing = s.txt(10)->widget();
        typing->setFocus();
        s.cmdBUL()->click();
        QCOMPARE(QApplication::focusWidget(), s.txtara(0));
        keys(s.txtara(0), { Qt::Key_Down, Qt::Key_Down, Qt::Key_Up });
        QCOMPARE(s.sprX()->currentIndex().row(), 1);
        keys(s.txtara(0), { Qt::Key_Return });
        QCOMPARE(closedOn(), QStringLiteral("M2"));
        QCOMPARE(QApplication::focusWidget(), typing);

        s.cmdBUL()->click();
        keys(s.txtara(2), { Qt::Key_Escape });
        QCOMPARE(closedOn(), QStringLiteral("M2"));
        QVERIFY(s.sTabber()->isEnabled());

        s.cmdBUL()->click();
        s.sprX()->setFocus();
        keys(s.sprX(), { Qt::Key_Down, Qt::Key_Down, Qt::Key_Enter });
        QCOMPARE(closedOn(), QStringLiteral("M4"));

        // Text that matches no row loads nothing on Enter, until a row is
        // chosen with the arrows (from the top, as none is chosen).
        s.cmdBUL()->click();
        QTest::keyClicks(s.txtara(0), "ay");
        QCOMPARE(s.sprX()->currentIndex().row(), 3);
        QTest::keyClicks(s.txtara(0), "x");
        keys(s.txtara(0), { Qt::Key_Return });
        QCOMPARE(closedOn(), QString());
        QCOMPARE(s.txt(16)->text(), QStringLiteral("M4"));
        keys(s.txtara(0), { Qt::Key_Down, Qt::Key_Return });
        QCOMPARE(closedOn(), QStringLiteral("M5"));
    }

    // Nothing to list, or a store the list cannot read: no list, the screen free.
    void bulWithNothingToListOpensNoList_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("box");
        QTest::newRow("no record") << "DELETE FROM ARACKAYIT" << QString();
        QTest::newRow("owner table gone") << "DROP TABLE ARACSAHIPLERI"
                                          << "Kayıt deposunda ARACSAHIPLERI tablosu yok: %1";
    }
    void bulWithNothingToListOpensNoList()
    {
        QFETCH(QString, sql);
        QFETCH(QString, box);
        testing::Program p;
        exec({ sql });
        EntryScreen &s = p.window->entryScreen();
        s.cmdBUL()->click();
        QCOMPARE(p.window->recordList().model().rowCount(), 0);
        QCOMPARE(p.messages.titles(),
            box.isEmpty() ? QStringList() : QStringList { QStringLiteral("GENEL HATA") });
        if (!box.isEmpty())
            QVERIFY(p.messages.shown().first().text.contains(box.arg(p.folder.storePath())));
        QCOMPARE(p.messages.exits(), 0);
        QVERIFY(!s.frmARA()->isVisibleTo(p.window.get()));
        QVERIFY(s.sTabber()->isEnabled());
    }

    // Rows an older tool wrote in the Turkish code page show their letters,
    // each in its own cell, and the search boxes find them.
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
        QCOMPARE(shownRows(p.window->recordList().model()),
            (QStringList { QStringLiteral("Ayşe Kaya|34Ç|ş06|S1|M1"), "Ali Er|35B2|07C2|S2|M2" }));
        const RecordListModel &m = p.window->recordList().model();
        QCOMPARE(m.findPrefix(0, QStringLiteral("ayş")), 0);
        QCOMPARE(m.findPrefix(1, QStringLiteral("34ç")), 0);
    }

    // Another program stored records under ID 0 and below: they are listed,
    // load, and save back into the same rows.
    void recordsNumberedZeroOrBelowAreListedAndSaved()
    {
        testing::Program p;
        exec({ QStringLiteral("INSERT INTO ARACKAYIT (ID, MOTORNO, ESKIPLAKA) VALUES (0, 'M0', "
                              "'YOK'), (-7, 'M7', 'YOK'), (5, 'M5', 'YOK')"),
            QStringLiteral("INSERT INTO ARACSAHIPLERI (ARACID, SAHIPNO, KIMLIKNO, AD) VALUES "
                           "(0, 1, '1', 'SIFIR'), (-7, 1, '7', 'EKSI')") });
        EntryScreen &s = p.window->entryScreen();
        s.cmdBUL()->click();
        const RecordListModel &m = p.window->recordList().model();
        QCOMPARE(m.rowCount(), 3);
        for (const qint64 id : { 0, -7 }) {
            int row = 0;
            while (row < m.rowCount() && m.id(row) != id)
                ++row;
            QVERIFY2(row < m.rowCount(), qPrintable(QString::number(id)));
            s.sprX()->setCurrentIndex(m.index(row, 0));
            QTest::keyClick(s.sprX(), Qt::Key_Return);
            QCOMPARE(s.txt(16)->text(), id == 0 ? QStringLiteral("M0") : QStringLiteral("M7"));
            const int owner = EntryScreen::ownerBase(1);
            QCOMPARE(s.txt(owner + 1)->text(),
                id == 0 ? QStringLiteral("SIFIR") : QStringLiteral("EKSI"));
            s.txt(owner + 1)->setText(QStringLiteral("YENİ"));
            records::Kaydet(s, QString());
            s.cmdBUL()->click();
        }
        QCOMPARE(testing::rowCount(p.folder.storePath(), "ARACKAYIT"), 3);
        QCOMPARE(testing::rowCount(p.folder.storePath(), "ARACSAHIPLERI"), 2);
        QString name;
        QVERIFY(testing::sqlExec(p.folder.storePath(),
            "SELECT group_concat(AD, ',') FROM (SELECT AD FROM ARACSAHIPLERI ORDER BY ARACID)",
            &name));
        QCOMPARE(name, QStringLiteral("YENİ,YENİ"));
    }
};

QTEST_MAIN(TestRecordList)
#include "tst_recordlist.moc"