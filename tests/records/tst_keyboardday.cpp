// A clerk's day by keyboard on the real window: typing never thrown away
// unasked, a stored record never updated from a screen that did not come from
// it, print frames finished by keys, brands found however they are typed,
// line breaks and option groups.
#include "app/mainwindow.h"
#include "platform/dategrid.h"
#include "printing/printframes.h"
#include "records/boxmarks.h"
#include "records/entryscreen.h"
#include "records/loadrecord.h"
#include "records/recordlist.h"
#include "records/saverecord.h"
#include "support/recordtables.h"
#include "support/testsupport.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QCompleter>
#include <QDialog>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>

using platform::MsgAnswer;
using records::EntryScreen;

namespace {

struct Shown : testing::Program {
    EntryScreen &s = window->entryScreen();
    Shown()
    {
        window->show();
        QApplication::setActiveWindow(window.get());
        if (!QTest::qWaitForWindowActive(window.get()))
            qFatal("the window did not become active");
    }
    void key(Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier)
    {
        QTest::keyClick(
            QApplication::focusWidget() ? QApplication::focusWidget() : window.get(), k, m);
    }
    void typeInto(QWidget *w, const QString &text)
    {
        w->setFocus();
        typeText(w, text);
    }
    // Any letter, as a Turkish keyboard sends it (QTest's own clicks know ASCII only).
    static void typeText(QWidget *w, const QString &text)
    {
        for (const QChar c : text)
            QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
    QString lastBox() const
    {
        return messages.shown().isEmpty() ? QString() : messages.shown().last().text;
    }
};

QString stored(const QString &sql)
{
    return testing::storeColumn(sql).value(0).toString();
}

} // namespace

class TestKeyboardDay : public QObject {
    Q_OBJECT
private slots:
    // F4, "Çıkış", another record from the list and a restore ask before
    // typing not yet saved goes; "Hayır", the default, keeps it.
    void unsavedTypingIsNeverThrownAwayUnasked()
    {
        Shown p;
        EntryScreen &s = p.s;
        QVERIFY(!s.hasUnsavedTyping());
        p.typeInto(s.txt(16)->widget(), QStringLiteral("MTR-1"));
        QVERIFY(s.hasUnsavedTyping());
        p.messages.answerNext(MsgAnswer::No);
        p.key(Qt::Key_F4);
        QVERIFY(p.lastBox().contains(QStringLiteral("kaydedilmemiş")));
        QCOMPARE(p.messages.shown().last().defaultAnswer, MsgAnswer::No);
        QCOMPARE(s.txt(16)->text(), QStringLiteral("MTR-1"));

        p.messages.answerNext(MsgAnswer::No);
        p.window->button(QStringLiteral("XPButton1"))->click();
        QVERIFY(p.lastBox().contains(QStringLiteral("kaydetmeden çıkmak")));
        QCOMPARE(p.messages.exits(), 0);

        // Saved, the screen is settled: F4 asks nothing.
        const qint64 first = records::Kaydet(s, QString());
        QVERIFY(first > 0 && !s.hasUnsavedTyping());
        const int boxes = int(p.messages.shown().size());
        p.key(Qt::Key_F4);
        QCOMPARE(int(p.messages.shown().size()), boxes);
        QCOMPARE(s.txt(16)->text(), QString());

        // Typing, then a record from the list: kept on "Hayır", the list stays.
        p.typeInto(s.txt(16)->widget(), QStringLiteral("MTR-2"));
        records::RecordList &list = p.window->recordList();
        QVERIFY(list.fill() > 0);
        // Alt+K with the cursor in a search box types nothing there.
        QTest::keyClick(s.txtara(0), Qt::Key_K, Qt::AltModifier);
        QCOMPARE(s.txtara(0)->text(), QString());
        p.messages.answerNext(MsgAnswer::No);
        list.open(0);
        QCOMPARE(s.txt(16)->text(), QStringLiteral("MTR-2"));
        QVERIFY(s.frmARA()->isVisible());
        p.messages.answerNext(MsgAnswer::Yes);
        list.open(0);
        QCOMPARE(s.txt(16)->text(), QStringLiteral("MTR-1"));
        QVERIFY(!s.hasUnsavedTyping());
    }

    // A screen typed anew with the key of a stored vehicle asks before it
    // updates that vehicle; the screen loaded from it saves unasked.
    void aStoredKeyTypedAnewAsksBeforeUpdating()
    {
        Shown p;
        EntryScreen &s = p.s;
        QVERIFY(testing::setControls(
            s, "txt(16)=MTR-5|txt(3)=34|txt(4)=AB|txt(5)=55|txt(0)=06|txt(40)=1|txt(41)=ALİ"));
        const qint64 id = records::Kaydet(s, QString());
        s.newRecord();
        QVERIFY(testing::setControls(s,
            "txt(16)=MTR-5|txt(3)=34|txt(4)=AB|txt(5)=55|txt(40)=2|"
            "txt(41)=VELİ"));
        p.messages.answerNext(MsgAnswer::No);
        QCOMPARE(records::Kaydet(s, QString()), 0);
        QVERIFY2(p.lastBox().contains(QStringLiteral("1. sahibi ALİ"))
                && p.lastBox().contains(QStringLiteral("34AB55")),
            qPrintable(p.lastBox()));
        QCOMPARE(stored("SELECT AD FROM ARACSAHIPLERI WHERE SAHIPNO = 1"), QStringLiteral("ALİ"));
        p.messages.answerNext(MsgAnswer::Yes);
        QCOMPARE(records::Kaydet(s, QString()), id);
        QCOMPARE(stored("SELECT AD FROM ARACSAHIPLERI WHERE SAHIPNO = 1"), QStringLiteral("VELİ"));
        // Loaded from the list: saved again without the question.
        QVERIFY(records::OKU(s, id));
        s.txt(41)->setText(QStringLiteral("VELİ CAN"));
        p.messages.reset();
        QCOMPARE(records::Kaydet(s, QString()), id);
        QCOMPARE(p.messages.titles().size(), 1); // the success box alone
    }

    // After a restore the screen starts afresh and the list shows the
    // restored records; Enter in the about window only closes it.
    void aRestoreStartsAFreshScreen()
    {
        Shown p;
        EntryScreen &s = p.s;
        QVERIFY(testing::setControls(s, "txt(16)=ESKİ"));
        QVERIFY(records::Kaydet(s, QString()) > 0);
        const QString backup = p.folder.path() + QStringLiteral("/yedek.mdb");
        QVERIFY(QFile::copy(p.folder.storePath(), backup));
        QVERIFY(testing::setControls(s, "txt(16)=YENİ"));
        QVERIFY(records::Kaydet(s, QString()) > 0);
        s.txt(17)->setText(QStringLiteral("yazılan"));
        p.messages.answerNext(MsgAnswer::Yes); // discard the typing
        p.messages.answerNext(MsgAnswer::Yes); // restore
        p.window->restoreFromBackup(backup);
        QCOMPARE(s.txt(16)->text(), QString());
        QCOMPARE(s.txt(17)->text(), QString());
        QVERIFY(!s.hasUnsavedTyping());
        records::RecordList &list = p.window->recordList();
        QCOMPARE(list.fill(), 1);
        list.close();

        bool restoreOffered = false;
        testing::whenModal([&](QWidget *w) {
            auto *about = qobject_cast<QDialog *>(w);
            if (!about)
                return false;
            if (!QTest::qWaitForWindowActive(about))
                return false;
            restoreOffered = about->focusWidget()
                == about->findChild<QPushButton *>(QStringLiteral("cmdGeriYukle"));
            if (restoreOffered) // Enter would open the file dialog: leave by Esc
                QTest::keyClick(about, Qt::Key_Escape);
            else
                QTest::keyClick(about->focusWidget(), Qt::Key_Return);
            return true;
        });
        p.window->button(QStringLiteral("XPButton4"))->click();
        QVERIFY(!restoreOffered);
        QVERIFY(!QApplication::activeModalWidget());
    }

    // The print frames end by keyboard: Enter in the last box prints, Tab
    // reaches the buttons, Esc cancels; F9 without an engine number and F3 on
    // an empty store say why nothing opened.
    void printFramesAreFinishedByKeyboard()
    {
        Shown p;
        EntryScreen &s = p.s;
        QList<printing::Form> printed;
        p.window->printFrames().setPrinter([&](printing::Form f) { printed << f; });
        QSignalSpy notices(&s.marks(), &records::BoxMarks::notice);
        // F3 on an empty store says so.
        QCOMPARE(p.window->recordList().fill(), 0);
        QVERIFY(notices.last().first().toString().contains(QStringLiteral("kayıt yok")));
        s.txt(0)->widget()->setFocus();
        p.key(Qt::Key_F9);
        QVERIFY(!s.FrmYazdir()->isVisible());
        QVERIFY(!notices.isEmpty()
            && notices.last().first().toString().contains(QStringLiteral("MOTOR NO")));

        s.txt(16)->setText(QStringLiteral("M1"));
        p.key(Qt::Key_F9);
        QVERIFY(s.FrmYazdir()->isVisible());
        QCOMPARE(QApplication::focusWidget(), s.txt(124)->widget());
        Shown::typeText(s.txt(124)->widget(), QStringLiteral("Kadıköy"));
        p.key(Qt::Key_Return);
        QCOMPARE(printed, QList<printing::Form> { printing::Form::Ek1 });
        QVERIFY(!s.FrmYazdir()->isVisible());

        p.key(Qt::Key_F10);
        QVERIFY(s.Frame5()->isVisible());
        for (int i = 0; i < 3; ++i)
            p.key(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), s.XPButton7());
        p.key(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), s.XPButton8());
        p.key(Qt::Key_Escape);
        QVERIFY(!s.Frame5()->isVisible());
        QCOMPARE(printed.size(), 1);
    }

    // Brands typed with Turkish capitals and without accents find their
    // suggestions, and a whole brand typed lists its models on leaving.
    void brandsAreFoundHoweverTheyAreTyped_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("brand");
        QTest::addColumn<QString>("model");
        QTest::newRow("dotted capital İ") << "FİAT"
                                          << "Fiat"
                                          << "Doblo";
        QTest::newRow("İ first") << "İSUZU"
                                 << "Isuzu"
                                 << "D-Max";
        QTest::newRow("cedilla left out") << "TOFAS"
                                          << "Tofaş"
                                          << "Şahin";
        QTest::newRow("diaeresis left out") << "citroen"
                                            << "Citroën"
                                            << "Berlingo";
        QTest::newRow("caron left out") << "skoda"
                                        << "Škoda"
                                        << "Octavia";
    }
    void brandsAreFoundHoweverTheyAreTyped()
    {
        QFETCH(QString, typed);
        QFETCH(QString, brand);
        QFETCH(QString, model);
        Shown p;
        QComboBox *box = p.s.cmbX(0);
        p.typeInto(box->lineEdit(), typed.left(3));
        QAbstractItemView *suggestions = box->completer()->popup();
        QTRY_VERIFY(suggestions->isVisible());
        QCOMPARE(box->completer()->currentCompletion(), brand);
        QTest::keyClick(suggestions, Qt::Key_Escape);
        Shown::typeText(box->lineEdit(), typed.mid(3));
        p.key(Qt::Key_Tab);
        QCOMPARE(box->currentText(), typed); // kept as typed
        QCOMPARE(QApplication::focusWidget(), p.s.cmbX(1)); // Tab went on to the models
        QVERIFY(p.s.cmbX(1)->isEnabled());
        QVERIFY(p.s.cmbX(1)->findText(model) >= 0);
    }

    // Shift+Enter breaks a multi-line box's line; Enter moves on. Arrows and
    // Space choose within an option group, Delete takes the choice back.
    void linesAndOptionsByKeyboard()
    {
        Shown p;
        EntryScreen &s = p.s;
        QWidget *rights = s.txt(36)->widget();
        QVERIFY(rights->toolTip().contains(QStringLiteral("Shift+Enter")));
        p.typeInto(rights, QStringLiteral("birinci"));
        p.key(Qt::Key_Return, Qt::ShiftModifier);
        Shown::typeText(rights, QStringLiteral("ikinci"));
        QCOMPARE(s.txt(36)->text(), QStringLiteral("birinci\nikinci"));
        p.key(Qt::Key_Return);
        QVERIFY(QApplication::focusWidget() != rights);

        s.sTabber()->setCurrentIndex(1);
        s.OptA(0)->setFocus();
        p.key(Qt::Key_Down); // nothing chosen yet: the next option is chosen
        QVERIFY(s.OptA(1)->isChecked());
        QCOMPARE(QApplication::focusWidget(), s.OptA(1));
        p.key(Qt::Key_Left);
        QVERIFY(s.OptA(0)->isChecked() && !s.OptA(1)->isChecked());
        p.key(Qt::Key_Delete);
        QVERIFY(!s.OptA(0)->isChecked() && !s.OptA(1)->isChecked());
        p.key(Qt::Key_Space);
        QVERIFY(s.OptA(0)->isChecked());

        // After F4 a group is entered on its first option, whatever the last
        // customer chose: the same keys choose the same option.
        s.sTabber()->setCurrentIndex(1);
        s.optC(2)->setChecked(true); // owner 2: Kadın, the cursor left on it
        s.optC(2)->setFocus();
        p.messages.answerNext(MsgAnswer::Yes);
        p.key(Qt::Key_F4);
        s.sTabber()->setCurrentIndex(1);
        s.sprTarih(4)->setFocus();
        p.key(Qt::Key_Tab);
        QTRY_COMPARE(QApplication::focusWidget(), s.optC(3)); // Erkek, first on its row
        p.key(Qt::Key_Right);
        QVERIFY(s.optC(2)->isChecked()); // Kadın, chosen by the keys, not left over
    }
};

QTEST_MAIN(TestKeyboardDay)
#include "tst_keyboardday.moc"
