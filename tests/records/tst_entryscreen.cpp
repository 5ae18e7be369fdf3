#include "app/mainwindow.h"
#include "platform/dategrid.h"
#include "records/boxmarks.h"
#include "records/entrybehaviour.h"
#include "records/entryscreen.h"
#include "records/textbox.h"
#include "records/typingguards.h"
#include "support/recordtables.h"
#include "support/testsupport.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QCompleter>
#include <QKeySequence>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTabWidget>
#include <QTest>
#include <QWheelEvent>

using records::EntryScreen;

namespace {

// A program whose window is shown and active, as the clerk has it.
struct Shown : testing::Program {
    EntryScreen &s = window->entryScreen();
    Shown()
    {
        window->show();
        QApplication::setActiveWindow(window.get());
        if (!QTest::qWaitForWindowActive(window.get()))
            qFatal("the window did not become active");
    }
    void click(const char *button) { window->button(QLatin1String(button))->click(); }
};

// The colour a box shows behind its text, as painted.
QColor paintedBack(QWidget *w)
{
    const QImage image = w->grab().toImage();
    return image.pixelColor(image.width() * 3 / 4, image.height() - 5);
}

QColor base(const EntryScreen &s, int box)
{
    return s.txt(box)->widget()->palette().color(QPalette::Base);
}

void press(QWidget *w, const QString &key)
{
    const QKeyCombination k = QKeySequence::fromString(key)[0];
    QTest::keyClick(w, k.key(), k.keyboardModifiers());
}

void turnWheel(QWidget *w)
{
    const QPointF at(w->width() / 2.0, w->height() / 2.0);
    QWheelEvent e(at, w->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
        Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &e);
}

// Shows the tab page a control sits on.
void showTabOf(const EntryScreen &s, QWidget *w)
{
    for (int i = 0; i < s.sTabber()->count(); ++i) {
        if (s.sTabber()->widget(i)->isAncestorOf(w))
            s.sTabber()->setCurrentIndex(i);
    }
}

} // namespace

class TestEntryScreen : public QObject {
    Q_OBJECT
private slots:
    void everyInputExistsAtItsIndex()
    {
        Shown p;
        int boxes = 0;
        for (const QStringList &row : testing::readTable("entrycontrols.tsv").mid(1)) {
            QWidget *w = testing::control(p.s, row[0]);
            QVERIFY2(bool(w) == (row[1] != QLatin1String("absent")), qPrintable(row[0]));
            if (!w || !row[0].startsWith(QLatin1String("txt(")))
                continue;
            const records::TextBox *box = p.s.txt(row[0].mid(4).chopped(1).toInt());
            ++boxes;
            QCOMPARE(box->maxLength(), row[1].toInt());
            if (!row[2].isEmpty())
                QVERIFY2(box->alignment()
                        & (row[2] == QLatin1String("center") ? Qt::AlignHCenter : Qt::AlignRight),
                    qPrintable(row[0]));
        }
        QCOMPARE(boxes, EntryScreen::kTxtCount);
        QVERIFY(!p.s.txt(129)->widget()->isVisibleTo(p.window.get()));
        // Lists begin with no choice, so a choice can be taken back.
        QCOMPARE(p.s.cmbX(3)->count(), 9);
        QCOMPARE(p.s.cmbX(12)->itemText(0), QString());
        QCOMPARE(p.s.cmbX(12)->itemText(2), QStringLiteral("DİĞER"));
        QCOMPARE(p.s.sTabber()->tabText(1), QStringLiteral("&Kullanıcı Bilgileri"));
        // Brands are listed once each, in Turkish alphabetical order.
        const QComboBox *brand = p.s.cmbX(0);
        QCOMPARE(brand->findText("Toyota"), brand->findText("Toyota", Qt::MatchExactly));
        QVERIFY(brand->findText("Škoda") < brand->findText("Tesla"));
        QVERIFY(brand->findText("Citroën") < brand->findText("Cupra"));
    }

    void eachPairAndGroupIsItsOwnChoice()
    {
        Shown p;
        EntryScreen &s = p.s;
        QList<QRadioButton *> picked { s.optX(12), s.optX(16), s.optX(21) };
        for (int n = 0; n < 3; ++n)
            picked << s.OptA(2 * n) << s.optC(2 * n + 1) << s.optAdres(2 * n)
                   << s.optTel(2 * n + 1);
        for (QRadioButton *b : picked)
            b->setChecked(true);
        for (QRadioButton *b : picked)
            QVERIFY2(b->isChecked(), qPrintable(b->objectName()));
        s.optC(0)->setChecked(true);
        QVERIFY(!s.optC(1)->isChecked() && s.optC(3)->isChecked());
    }

    void keysMoveTheCursor_data() { testing::addTableRows("focusmoves.tsv"); }
    void keysMoveTheCursor()
    {
        QFETCH(QString, from);
        QFETCH(QString, key);
        QFETCH(QString, to);
        Shown p;
        QWidget *start = testing::control(p.s, from);
        QWidget *end = testing::control(p.s, to);
        QVERIFY(start && end);
        showTabOf(p.s, start);
        start->setFocus();
        press(start, key);
        QCOMPARE(QApplication::focusWidget(), end);
        QVERIFY(end->isVisible()); // its tab is shown
        if (auto *memo = qobject_cast<QPlainTextEdit *>(start))
            QCOMPARE(memo->toPlainText(), QString()); // no new line
        if (to.startsWith(QLatin1String("txt(")))
            QCOMPARE(end->palette().color(QPalette::Base), records::EntryBehaviour::focusColour());
    }

    // Tab walks each frame and owner panel as it reads.
    void inputsAreWalkedAsTheScreenReads()
    {
        Shown p;
        const QVector<QWidget *> order = p.s.focusOrder();
        for (const QStringList &row : testing::readTable("orderkeys.tsv").mid(1)) {
            const auto key = order.indexOf(testing::control(p.s, row[1]));
            const auto other = order.indexOf(testing::control(p.s, row[3]));
            const QString &r = row[2];
            const bool holds = key >= 0 && other >= 0 && r == "<" && key < other;
            QVERIFY2(holds,
                qPrintable(QStringLiteral("%1: %2 %3 %4").arg(row[0]).arg(key).arg(r).arg(other)));
        }
        // Each panel's inputs in focus order, named as panel 1's: the same walk.
        QStringList walks[3];
        for (QWidget *w : p.s.focusOrder()) {
            for (int n = 1; n <= 3; ++n) {
                const int b = EntryScreen::ownerBase(n);
                const int e = 2 * (n - 1);
                QString as;
                for (int i = 0; i < 27 && as.isEmpty(); ++i)
                    if (w == p.s.txt(b + i)->widget())
                        as = QStringLiteral("txt+%1").arg(i);
                const std::pair<QWidget *, const char *> named[] = { { p.s.OptA(e), "kind1" },
                    { p.s.OptA(e + 1), "kind2" }, { p.s.optC(e), "female" },
                    { p.s.optC(e + 1), "male" }, { p.s.optAdres(e), "work" },
                    { p.s.optAdres(e + 1), "home" }, { p.s.optTel(e), "phone work" },
                    { p.s.optTel(e + 1), "phone home" }, { p.s.sprTarih(n + 2), "birth" },
                    { p.s.cmbX(3 * n), "blood" }, { p.s.cmbX(4 * n), "nation" } };
                for (const auto &[control, name] : named)
                    if (w == control)
                        as = QLatin1String(name);
                if (!as.isEmpty())
                    walks[n - 1] << as;
            }
        }
        QCOMPARE(walks[0].size(), 38);
        QCOMPARE(walks[1], walks[0]);
        QCOMPARE(walks[2], walks[0]);
    }

    // One box looks active at a time, multi-line boxes included; a box entered
    // has its text selected, a box left has none.
    void typingIntoABox_data() { testing::addTableRows("typedtexts.tsv"); }
    void typingIntoABox()
    {
        QFETCH(QString, box);
        QFETCH(QString, before);
        QFETCH(QString, typed);
        QFETCH(QString, key);
        QFETCH(QString, after);
        Shown p;
        const int index = box.mid(4).chopped(1).toInt();
        if (index > 130) {
            p.s.txt(16)->setText(QStringLiteral("M1"));
            p.click("cmdYazdir");
        }
        QWidget *w = p.s.txt(index)->widget();
        auto *line = qobject_cast<QLineEdit *>(w);
        auto *memo = qobject_cast<QPlainTextEdit *>(w);
        p.s.txt(index)->setText(before);
        showTabOf(p.s, w);
        w->setFocus();
        QCOMPARE(paintedBack(w), records::EntryBehaviour::focusColour());
        QCOMPARE(line ? line->selectedText() : memo->textCursor().selectedText(), before);
        QTest::keyClicks(w, typed);
        if (!key.isEmpty())
            press(w, key);
        w->clearFocus();
        QCOMPARE(p.s.txt(index)->text(), after);
        // White, or amber where the value is doubtful (the plate's number).
        QCOMPARE(paintedBack(w), base(p.s, index));
        QVERIFY(base(p.s, index) != records::EntryBehaviour::focusColour());
        QVERIFY(line ? !line->hasSelectedText() : !memo->textCursor().hasSelection());
    }

    void doubtfulValuesAreMarkedAndListedAfterTheSave()
    {
        Shown p;
        EntryScreen &s = p.s;
        const QColor warning = records::TypingGuards::warningColour();
        const QColor white(Qt::white);
        QVERIFY(warning != records::EntryBehaviour::focusColour() && warning != white);

        // Typed into a box, then the cursor put into another.
        const auto type = [&s](int box, const char *text, int next) {
            s.txt(box)->widget()->setFocus();
            QTest::keyClicks(s.txt(box)->widget(), QString::fromUtf8(text));
            s.txt(next)->widget()->setFocus();
        };
        type(11, "1850", 12);
        QCOMPARE(base(s, 11), warning);
        QVERIFY(s.txt(11)->widget()->toolTip().startsWith(QStringLiteral("Model yılı")));
        // Back in the box the focus colour shows; a good year loses the mark.
        s.txt(11)->widget()->setFocus();
        QCOMPARE(base(s, 11), records::EntryBehaviour::focusColour());
        type(11, "2015", 12);
        QCOMPARE(base(s, 11), white);
        QVERIFY(s.txt(11)->widget()->toolTip().isEmpty());

        // A plate half typed flags no box the clerk has not reached yet.
        type(0, "34", 1);
        QCOMPARE(base(s, 2), white);
        type(1, "ab", 2);
        type(2, "1", 16);
        QCOMPARE(base(s, 1), white);
        QCOMPARE(base(s, 2), warning);
        // Values put there from elsewhere are checked at once.
        s.txt(17)->setText(QStringLiteral("WVWZZZ1JZXW00000I"));
        s.txt(20)->setText(QStringLiteral("1650 kg"));
        QCOMPARE(base(s, 17), warning);
        QCOMPARE(base(s, 20), warning);
        // One number in two panels would leave one owner row: both are marked.
        const int first = EntryScreen::ownerBase(1), third = EntryScreen::ownerBase(3);
        s.txt(first)->setText(QStringLiteral("10000000146"));
        QCOMPARE(base(s, first), white);
        s.txt(third)->setText(QStringLiteral(" 10000000146"));
        QCOMPARE(base(s, first), warning);
        QCOMPARE(base(s, third), warning);
        // A panel with a name but no number is not saved: it is said.
        s.txt(EntryScreen::ownerBase(2) + 1)->setText(QStringLiteral("ZEYNEP"));

        QTest::keyClicks(s.txt(16)->widget(), QStringLiteral("M1"));
        p.click("cmdKaydet");
        const QStringList lines = p.messages.shown().last().text.split(QLatin1Char('\n'));
        const QStringList expected {
            "Kayıt başarıyla tamamlandı", "Yeni kayıt eklendi.", "",
            "Gözden geçirilmesi önerilen değerler:", "- Yeni Plaka No: 34 AB 1 (Olağandışı plaka",
            "- ŞASE NO: WVWZZZ1JZXW00000I (17 haneli", "- Katar Ağırlığı: 1650 kg (Sayı değil",
            "- ARAÇ SAHİBİ - 1, TC Kimlik No / Vergi No(Tüzel): 10000000146 (Bu numara 3. sahipte",
            "- ARAÇ SAHİBİ - 2, TC Kimlik No / Vergi No(Tüzel) (Kimlik No boş: bu paneldeki",
            "- ARAÇ SAHİBİ - 3, TC Kimlik No / Vergi No(Tüzel): 10000000146 (Bu numara 1. sahipte"
        };
        QCOMPARE(lines.size(), expected.size());
        for (int i = 0; i < lines.size(); ++i)
            QVERIFY2(lines[i].startsWith(expected[i]), qPrintable(lines[i]));
        // The value stays as typed; "Temizle" takes the marks with the values.
        QCOMPARE(s.txt(17)->text(), QStringLiteral("WVWZZZ1JZXW00000I"));
        s.txt(third)->setText(QStringLiteral("10000000147"));
        QCOMPARE(base(s, first), white);
        p.click("cmdSil");
        QCOMPARE(base(s, 2), white);
        QCOMPARE(base(s, 17), white);
        QVERIFY(s.txt(17)->widget()->toolTip().isEmpty());
    }

    // Texts, dates and ticks go; options, lists, the search text and the tab stay.
    void clearingEmptiesTextsTicksDatesAndOwnerChoices()
    {
        Shown p;
        EntryScreen &s = p.s;
        testing::typeTransaction(s);
        s.txtara(0)->setText(QStringLiteral("aranan"));
        s.sTabber()->setCurrentIndex(1);
        QStringList expected;
        for (const QString &line : testing::snapshot(s)) {
            const QString control = line.section(QLatin1Char('='), 0, 0);
            static const QRegularExpression ownerChoice(
                "^(OptA|optC|optAdres|optTel)\\(|^cmbX\\((3|4|6|8|9|12)\\)");
            const bool text = line.startsWith("txt(") || line.startsWith("sprTarih(")
                || (line.startsWith("cmbX(") && ownerChoice.match(line).hasMatch());
            expected << (text ? control + '='
                    : line.startsWith("chkX(") || ownerChoice.match(line).hasMatch()
                    ? control + "=0"
                    : line);
        }
        p.messages.reset();
        p.click("cmdSil");
        QCOMPARE(testing::snapshot(s), expected);
        for (int i = 0; i < EntryScreen::kTxtCount; ++i) // print-frame boxes too
            QVERIFY2(s.txt(i)->text().isEmpty(), qPrintable(QString::number(i)));
        QCOMPARE(s.txtara(0)->text(), QStringLiteral("aranan"));
        QCOMPARE(s.sTabber()->currentIndex(), 1);
        QVERIFY(p.messages.shown().isEmpty());
        // "Yeni Kayıt" clears too, and puts the cursor into the old plate.
        s.txt(16)->setText(QStringLiteral("M"));
        s.newRec()->click();
        QCOMPARE(s.txt(16)->text(), QString());
        QCOMPARE(QApplication::focusWidget(), s.txt(3)->widget());
        QCOMPARE(base(s, 3), records::EntryBehaviour::focusColour());
    }

    // A box typed or pasted past its end says so at once: amber with a
    // tooltip, and the status bar's line names the limit and what was dropped.
    void typingPastTheEndIsToldAtOnce()
    {
        Shown p;
        EntryScreen &s = p.s;
        QSignalSpy notices(&s.marks(), &records::BoxMarks::notice);
        QWidget *document = s.txt(8)->widget(); // 15 characters
        document->setFocus();
        QTest::keyClicks(document, QStringLiteral("ABC-123456789012"));
        QCOMPARE(s.txt(8)->text(), QStringLiteral("ABC-12345678901"));
        QCOMPARE(notices.size(), 1);
        QVERIFY2(notices.last().first().toString().contains("en çok 15 karakter"),
            qPrintable(notices.last().first().toString()));
        QVERIFY(document->toolTip().contains(QStringLiteral("Kutu dolu")));
        QCOMPARE(paintedBack(document), records::TypingGuards::warningColour());
        // Room again: the mark goes.
        QTest::keyClick(document, Qt::Key_Backspace);
        QVERIFY(!s.marks().marked(document));

        // A company name pasted into owner 1's 50-character name box.
        s.sTabber()->setCurrentIndex(1);
        QWidget *name = s.txt(41)->widget();
        name->setFocus();
        QApplication::clipboard()->setText(QStringLiteral("ÖRNEK OTOMOTİV TİCARET VE SANAYİ "
                                                          "LİMİTED ŞİRKETİ İSTANBUL ŞUBESİ"));
        QTest::keyClick(name, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(s.txt(41)->text().size(), 50);
        QVERIFY2(notices.last().first().toString().contains("son 14 karakteri alınmadı"),
            qPrintable(notices.last().first().toString()));
        QVERIFY(s.marks().marked(name));
        // A multi-line box refuses the same way.
        s.sTabber()->setCurrentIndex(0);
        QWidget *reason = s.txt(36)->widget();
        QVERIFY(qobject_cast<QPlainTextEdit *>(reason));
        s.txt(36)->setText(QString(s.txt(36)->maxLength(), QLatin1Char('x')));
        reason->setFocus(); // which selects it all: to its end first
        QTest::keyClick(reason, Qt::Key_End, Qt::ControlModifier);
        QTest::keyClicks(reason, QStringLiteral("y"));
        QVERIFY(s.marks().marked(reason));
        QCOMPARE(notices.size(), 3);
    }

    // A brand picked from the list or typed otherwise lists its models.
    void aBrandListsItsModels_data() { testing::addTableRows("brandspellings.tsv"); }
    void aBrandListsItsModels()
    {
        QFETCH(QString, brand);
        QFETCH(QString, model);
        QFETCH(QString, absent);
        Shown p;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "arac");
            db.setDatabaseName(p.folder.path() + QStringLiteral("/Arac.mdb"));
            QVERIFY(db.open()
                && QSqlQuery(db).exec("INSERT INTO Araclar (Tip, Marka, Model) "
                                      "VALUES ('A', 'O''Brien', 'Roadster')"));
        }
        QSqlDatabase::removeDatabase("arac");
        // A brand without models leaves the model box as it was: disabled at first.
        const auto unknownBrand = [&p] {
            p.s.cmbX(0)->setEditText(QStringLiteral("Bilinmeyen"));
            p.s.ModelDoldur();
        };
        unknownBrand();
        QVERIFY(!p.s.cmbX(1)->isEnabled());
        if (const int listed = p.s.cmbX(0)->findText(brand); listed >= 0) {
            p.s.cmbX(0)->setCurrentIndex(listed);
            emit p.s.cmbX(0)->activated(listed);
        } else {
            p.s.cmbX(0)->setEditText(brand);
            p.s.ModelDoldur();
        }
        QVERIFY(p.s.cmbX(1)->findText(model) >= 0);
        QCOMPARE(p.s.cmbX(1)->findText(absent), -1);
        QVERIFY(p.s.cmbX(1)->isEnabled());
        QCOMPARE(p.s.cmbX(0)->currentText(), brand);
        QVERIFY(p.messages.shown().isEmpty());
        unknownBrand();
        QVERIFY(p.s.cmbX(1)->isEnabled());
        QCOMPARE(p.s.cmbX(1)->count(), 0);
    }

    // The boxes keep what was typed, on Tab as on Enter; a whole brand lists its models.
    void typedBrandOrModelStaysAsTyped_data() { testing::addTableRows("typedbrands.tsv"); }
    void typedBrandOrModelStaysAsTyped()
    {
        QFETCH(QString, list);
        QFETCH(QString, typed);
        QFETCH(QString, key);
        QFETCH(QString, models);
        Shown p;
        if (list == QLatin1String("model")) {
            p.s.cmbX(0)->setEditText(QStringLiteral("DS"));
            p.s.ModelDoldur();
        }
        const int listed = p.s.cmbX(1)->count();
        QComboBox *box = p.s.cmbX(list == QLatin1String("model") ? 1 : 0);
        box->setFocus();
        QTest::keyClicks(box->lineEdit(), typed);
        press(box->lineEdit(), key);
        box->clearFocus();
        QCOMPARE(box->currentText(), typed);
        if (models == QLatin1String("same"))
            QCOMPARE(p.s.cmbX(1)->count(), listed);
        else
            QVERIFY(p.s.cmbX(1)->count() > listed);
    }

    void pickingASuggestionIsAChoice()
    {
        Shown p;
        QComboBox *brand = p.s.cmbX(0);
        brand->setFocus();
        QTest::keyClicks(brand->lineEdit(), QStringLiteral("ren")); // as clerks type it
        QAbstractItemView *suggestions = brand->completer()->popup();
        QTRY_VERIFY(suggestions->isVisible());
        QTest::keyClick(suggestions, Qt::Key_Down);
        QTest::keyClick(suggestions, Qt::Key_Return);
        QCOMPARE(brand->currentText(), QStringLiteral("Renault"));
        QVERIFY(p.s.cmbX(1)->findText(QStringLiteral("Clio")) >= 0);
    }

    void theWheelTurnsOnlyTheFocusedCombo_data()
    {
        QTest::addColumn<int>("combo");
        for (int i : { 0, 2, 3, 4 })
            QTest::addRow("cmbX(%d)", i) << i;
    }
    void theWheelTurnsOnlyTheFocusedCombo()
    {
        QFETCH(int, combo);
        Shown p;
        QComboBox *box = p.s.cmbX(combo);
        showTabOf(p.s, box);
        box->setCurrentIndex(0);
        const QString before = box->currentText();
        (combo > 2 ? p.s.txt(41) : p.s.txt(10))->widget()->setFocus();
        turnWheel(box);
        QCOMPARE(box->currentText(), before);
        QVERIFY(!box->hasFocus());
        box->setFocus();
        turnWheel(box);
        QVERIFY(box->currentText() != before);
    }

    // F2, F3, F4, F9, F10 press their buttons (from either tab), as their
    // tooltips say, and do nothing while the button is locked.
    void functionKeysPressTheirButtons_data() { testing::addTableRows("functionkeys.tsv"); }
    void functionKeysPressTheirButtons()
    {
        QFETCH(QString, button);
        const Qt::Key key = QKeySequence::fromString(QTest::currentDataTag())[0].key();
        Shown p;
        auto *b = p.window->findChild<QPushButton *>(button);
        QVERIFY(b->toolTip().contains(QString::fromLatin1(QTest::currentDataTag())));
        QSignalSpy clicks(b, &QPushButton::clicked);
        p.s.sTabber()->setCurrentIndex(1);
        p.s.txt(41)->widget()->setFocus();
        QTest::keyClick(QApplication::focusWidget(), key);
        QCOMPARE(clicks.count(), 1);
        // The keys of the buttons on the tab page are locked with the tabs.
        p.s.showOverlay(p.s.frmARA());
        QTest::keyClick(p.window.get(), key);
        QCOMPARE(clicks.count(), b->parentWidget() == p.window.get() ? 2 : 1);
    }

    // After a click on a right-hand button typing goes on in the same box, and
    // a Space goes there too; the print frames lock the tabs but not the
    // right-hand buttons, and closing one hands the cursor back.
    void theCursorStaysInTheBoxWhenAButtonIsClicked()
    {
        Shown p;
        EntryScreen &s = p.s;
        QWidget *box = s.txt(16)->widget();
        box->setFocus();
        QPushButton *clear = p.window->button(QStringLiteral("cmdSil"));
        QSignalSpy clears(clear, &QPushButton::clicked);
        QTest::mouseClick(clear, Qt::LeftButton);
        QCOMPARE(QApplication::focusWidget(), box);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
        QCOMPARE(clears.count(), 1);
        QCOMPARE(s.txt(16)->text(), QStringLiteral(" "));
        // The window given back after a message box: typing goes on at the cursor.
        s.txt(16)->setText(QStringLiteral("M"));
        for (QEvent::Type t : { QEvent::FocusOut, QEvent::FocusIn }) {
            QFocusEvent back(t, Qt::ActiveWindowFocusReason);
            QApplication::sendEvent(box, &back);
        }
        QTest::keyClick(box, Qt::Key_1);
        QCOMPARE(s.txt(16)->text(), QStringLiteral("M1"));
        QTest::mouseClick(p.window->button(QStringLiteral("XPButton5")), Qt::LeftButton);
        QCOMPARE(QApplication::focusWidget(), s.txt(125)->widget());
        QTest::mouseClick(s.XPButton8(), Qt::LeftButton);
        QCOMPARE(QApplication::focusWidget(), box);
        p.click("cmdYazdir");
        QVERIFY(s.FrmYazdir()->isVisible() && !s.sTabber()->isEnabled());
        p.click("XPButton5"); // opens over the first
        QVERIFY(s.Frame5()->isVisible());
        s.XPButton8()->click();
        QVERIFY(s.sTabber()->isEnabled() && s.FrmYazdir()->isVisible());
        s.XPButton6()->click();
        QVERIFY(!s.FrmYazdir()->isVisible());
    }
};

QTEST_MAIN(TestEntryScreen)
#include "tst_entryscreen.moc"
