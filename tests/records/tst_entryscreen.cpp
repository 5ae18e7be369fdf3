#include "app/mainwindow.h"
#include "platform/dategrid.h"
#include "records/entrybehaviour.h"
#include "records/entryscreen.h"
#include "records/recordlist.h"
#include "records/typingguards.h"
#include "support/testsupport.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTabWidget>
#include <QTest>
#include <QWheelEvent>

using records::EntryScreen;

namespace {

// Maximum length of every text box, by index.
int expectedMax(int i)
{
    static const std::map<int, int> vehicle { { 0, 2 }, { 1, 4 }, { 2, 9 }, { 3, 2 }, { 4, 4 },
        { 5, 9 }, { 6, 60 }, { 7, 50 }, { 8, 15 }, { 9, 15 }, { 10, 60 }, { 11, 4 }, { 12, 5 },
        { 13, 50 }, { 14, 50 }, { 15, 50 }, { 16, 60 }, { 17, 60 }, { 18, 10 }, { 19, 10 },
        { 20, 10 }, { 21, 10 }, { 22, 2 }, { 23, 2 }, { 24, 5 }, { 25, 4 }, { 26, 4 }, { 27, 25 },
        { 28, 2 }, { 29, 2 }, { 30, 60 }, { 31, 60 }, { 32, 20 }, { 33, 2 }, { 34, 2 }, { 35, 30 },
        { 36, 150 }, { 37, 150 }, { 38, 150 }, { 39, 150 }, { 121, 100 }, { 122, 100 },
        { 123, 100 }, { 124, 100 }, { 125, 100 }, { 126, 100 }, { 127, 100 }, { 128, 30 },
        { 129, 60 }, { 130, 20 }, { 131, 100 }, { 132, 100 }, { 133, 100 }, { 134, 100 } };
    if (vehicle.count(i))
        return vehicle.at(i);
    static const int owner[27] = { 30, 50, 50, 50, 50, 50, 50, 50, 75, 5, 10, 5, 5, 5, 50, 50, 50,
        50, 60, 50, 50, 5, 3, 3, 7, 3, 7 };
    return owner[(i - 40) % 27];
}

void activate(QWidget *w)
{
    w->show();
    QApplication::setActiveWindow(w);
    QVERIFY(QTest::qWaitForWindowActive(w));
}

// The colour a box shows behind its text, as painted.
QColor paintedBack(QWidget *w)
{
    const QImage image = w->grab().toImage();
    return image.pixelColor(image.width() * 3 / 4, image.height() - 5);
}

void turnWheel(QWidget *w)
{
    const QPointF at(w->width() / 2.0, w->height() / 2.0);
    QWheelEvent e(at, w->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
        Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &e);
}

} // namespace

class TestEntryScreen : public QObject {
    Q_OBJECT
private slots:
    void everyInputExistsAtItsIndex()
    {
        testing::Program p;
        const EntryScreen &s = p.window->entryScreen();
        for (int i = 0; i < EntryScreen::kTxtCount; ++i) {
            QVERIFY2(s.txt(i), qPrintable(QString::number(i)));
            QCOMPARE(s.txt(i)->maxLength(), expectedMax(i));
        }
        QVERIFY(!s.txt(135));
        for (int i = 0; i < EntryScreen::kDateCount; ++i)
            QVERIFY(s.sprTarih(i));
        for (int i : EntryScreen::comboIndices())
            QVERIFY(s.cmbX(i));
        QVERIFY(!s.cmbX(5) && !s.cmbX(7));
        for (int i = 11; i <= 26; ++i)
            QVERIFY(s.optX(i));
        for (int i = 0; i <= 10; ++i)
            QVERIFY(s.chkX(i));
        for (int i = 0; i < 6; ++i)
            QVERIFY(s.OptA(i) && s.optC(i) && s.optAdres(i) && s.optTel(i));
        QVERIFY(!s.txt(129)->widget()->isVisibleTo(p.window.get()));
        QCOMPARE(s.cmbX(3)->count(), 8);
        QCOMPARE(s.cmbX(12)->itemText(1), QStringLiteral("DİĞER"));
        QCOMPARE(s.txt(1)->alignment() & Qt::AlignHCenter, Qt::AlignHCenter);
        QCOMPARE(s.txt(18)->alignment() & Qt::AlignRight, Qt::AlignRight);
        QCOMPARE(s.sTabber()->tabText(1), QStringLiteral("&Kullanıcı Bilgileri"));
    }

    void eachPairAndGroupIsItsOwnChoice()
    {
        testing::Program p;
        EntryScreen &s = p.window->entryScreen();
        s.optX(12)->setChecked(true);
        s.optX(16)->setChecked(true);
        s.optX(21)->setChecked(true);
        QVERIFY(s.optX(12)->isChecked() && s.optX(16)->isChecked() && s.optX(21)->isChecked());
        for (int n = 0; n < 3; ++n) {
            s.OptA(2 * n)->setChecked(true);
            s.optC(2 * n + 1)->setChecked(true);
            s.optAdres(2 * n)->setChecked(true);
            s.optTel(2 * n + 1)->setChecked(true);
        }
        for (int n = 0; n < 3; ++n) {
            QVERIFY(s.OptA(2 * n)->isChecked() && s.optC(2 * n + 1)->isChecked());
            QVERIFY(s.optAdres(2 * n)->isChecked() && s.optTel(2 * n + 1)->isChecked());
        }
        s.optC(0)->setChecked(true);
        QVERIFY(!s.optC(1)->isChecked());
        QVERIFY(s.optC(3)->isChecked());
    }

    void focusWalksTheOrderKeys()
    {
        testing::Program p;
        EntryScreen &s = p.window->entryScreen();
        activate(p.window.get());
        // Tab 0: within and across frames, including from the last box of a frame.
        const QVector<QWidget *> expected { s.txt(0)->widget(), s.txt(1)->widget(),
            s.txt(2)->widget(), s.txt(3)->widget(), s.txt(4)->widget(), s.txt(5)->widget() };
        s.txt(0)->widget()->setFocus();
        for (int i = 1; i < expected.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), expected[i]);
        }
        s.txt(9)->widget()->setFocus();
        QTest::keyClick(s.txt(9)->widget(), Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), s.txt(36)->widget());
        s.txt(39)->widget()->setFocus();
        QTest::keyClick(s.txt(39)->widget(), Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), s.txt(30)->widget());
        QTest::keyClick(s.txt(30)->widget(), Qt::Key_Down);
        QCOMPARE(QApplication::focusWidget(), s.txt(31)->widget());
        QTest::keyClick(s.txt(31)->widget(), Qt::Key_Up);
        QCOMPARE(QApplication::focusWidget(), s.txt(30)->widget());
        // The weights block goes down its left column first.
        s.txt(26)->widget()->setFocus();
        QTest::keyClick(s.txt(26)->widget(), Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), s.txt(19)->widget());
        // After the technical frame the next inputs of this tab are the
        // transaction reasons; then the tax frame.
        s.txt(123)->widget()->setFocus();
        QTest::keyClick(s.txt(123)->widget(), Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), s.chkX(0));
        s.txt(128)->widget()->setFocus();
        QTest::keyClick(s.txt(128)->widget(), Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), s.txt(130)->widget());
        QTest::keyClick(s.txt(130)->widget(), Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(s.sprTarih(6)));
    }

    void ownerPanelsFollowTheirOwnOrders()
    {
        testing::Program p;
        EntryScreen &s = p.window->entryScreen();
        // Panel 1: boxes of rows 2-8 first, then gender, blood group, nationality.
        QVERIFY(s.orderKey(s.txt(40)->widget()) == 62);
        QVERIFY(s.orderKey(s.sprTarih(3)) == 68);
        QVERIFY(s.orderKey(s.optC(1)) == 69 && s.orderKey(s.optC(0)) == 70);
        QVERIFY(s.orderKey(s.cmbX(3)) == 71 && s.orderKey(s.cmbX(4)) == 72);
        QVERIFY(s.orderKey(s.txt(46)->widget()) == 73);
        QVERIFY(s.orderKey(s.txt(66)->widget()) == 93);
        QVERIFY(s.orderKey(s.OptA(0)) >= 179 && s.orderKey(s.optTel(0)) <= 189);
        // Panels 2 and 3 start with their pairs and end with the phones.
        for (int n : { 2, 3 }) {
            const int start = n == 2 ? 191 : 259;
            const int b = EntryScreen::ownerBase(n);
            QCOMPARE(s.orderKey(s.optTel(2 * n - 1)), start);
            QVERIFY(s.orderKey(s.cmbX(4 * n)) < s.orderKey(s.optC(2 * n - 2)));
            QVERIFY(s.orderKey(s.optC(2 * n - 1)) < s.orderKey(s.cmbX(3 * n)));
            QVERIFY(s.orderKey(s.txt(b + 22)->widget()) < s.orderKey(s.sprTarih(n + 2)));
            QVERIFY(s.orderKey(s.sprTarih(n + 2)) < s.orderKey(s.txt(b + 23)->widget()));
            QVERIFY(s.orderKey(s.txt(b + 26)->widget()) <= start + 40);
        }
        activate(p.window.get());
        s.sTabber()->setCurrentIndex(1);
        s.txt(45)->widget()->setFocus();
        QTest::keyClick(s.txt(45)->widget(), Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(s.sprTarih(3)));
        QTest::keyClick(s.sprTarih(3), Qt::Key_Up);
        QCOMPARE(QApplication::focusWidget(), s.txt(45)->widget());
    }

    void enterInAMultiLineBoxMovesOnWithoutANewLine()
    {
        testing::Program p;
        EntryScreen &s = p.window->entryScreen();
        activate(p.window.get());
        s.txt(36)->widget()->setFocus();
        QTest::keyClicks(s.txt(36)->widget(), QStringLiteral("rehin"));
        QTest::keyClick(s.txt(36)->widget(), Qt::Key_Return);
        QCOMPARE(s.txt(36)->text(), QStringLiteral("rehin"));
        QCOMPARE(QApplication::focusWidget(), s.txt(37)->widget());
        // The memo boxes take no more than their maximum.
        s.txt(37)->widget()->setFocus();
        QTest::keyClicks(s.txt(37)->widget(), QString(160, QLatin1Char('x')));
        QCOMPARE(s.txt(37)->text().size(), 150);
    }

    void focusColourAndSelectAll()
    {
        testing::Program p;
        EntryScreen &s = p.window->entryScreen();
        activate(p.window.get());
        auto *box = static_cast<QLineEdit *>(s.txt(10)->widget());
        box->setText(QStringLiteral("Corolla"));
        box->setFocus();
        QCOMPARE(box->selectedText(), QStringLiteral("Corolla"));
        QCOMPARE(box->palette().color(QPalette::Base), records::EntryBehaviour::focusColour());
        s.txt(11)->widget()->setFocus();
        QCOMPARE(box->palette().color(QPalette::Base), QColor(Qt::white));
    }

    void doubtfulValuesAreMarkedAndListedAfterTheSave()
    {
        testing::Program p;
        EntryScreen &s = p.window->entryScreen();
        activate(p.window.get());
        auto base = [&](int i) { return s.txt(i)->widget()->palette().color(QPalette::Base); };
        const QColor warning = records::TypingGuards::warningColour();
        QVERIFY(warning != records::EntryBehaviour::focusColour() && warning != Qt::white);

        QWidget *year = s.txt(11)->widget();
        year->setFocus();
        QTest::keyClicks(year, QStringLiteral("1850"));
        s.txt(12)->widget()->setFocus();
        QCOMPARE(base(11), warning);
        QVERIFY(year->toolTip().startsWith(QStringLiteral("Model yılı")));
        // Back in the box the focus colour shows; a good year loses the mark.
        year->setFocus();
        QCOMPARE(base(11), records::EntryBehaviour::focusColour());
        QTest::keyClicks(year, QStringLiteral("2015"));
        s.txt(12)->widget()->setFocus();
        QCOMPARE(base(11), QColor(Qt::white));
        QVERIFY(year->toolTip().isEmpty());

        // A plate half typed flags no box the clerk has not reached yet.
        s.txt(0)->widget()->setFocus();
        QTest::keyClicks(s.txt(0)->widget(), QStringLiteral("34"));
        QTest::keyClick(s.txt(0)->widget(), Qt::Key_Tab);
        QCOMPARE(base(2), QColor(Qt::white));
        QTest::keyClicks(s.txt(1)->widget(), QStringLiteral("ab"));
        QTest::keyClick(s.txt(1)->widget(), Qt::Key_Tab);
        QTest::keyClicks(s.txt(2)->widget(), QStringLiteral("1"));
        s.txt(16)->widget()->setFocus();
        QCOMPARE(base(1), QColor(Qt::white));
        QCOMPARE(base(2), warning);
        // A value put there from elsewhere is checked at once.
        s.txt(17)->setText(QStringLiteral("WVWZZZ1JZXW00000I"));
        QCOMPARE(base(17), warning);

        QTest::keyClicks(s.txt(16)->widget(), QStringLiteral("M1"));
        p.window->button(QStringLiteral("cmdKaydet"))->click();
        const QStringList lines = p.messages.shown().last().text.split(QLatin1Char('\n'));
        QCOMPARE(lines.mid(0, 4),
            (QStringList { QStringLiteral("Kayıt başarıyla tamamlandı"),
                QStringLiteral("Yeni kayıt eklendi."), QString(),
                QStringLiteral("Gözden geçirilmesi önerilen değerler:") }));
        QCOMPARE(lines.size(), 6);
        QVERIFY(lines[4].startsWith(QStringLiteral("- Yeni Plaka No: 34 AB 1 (Olağandışı plaka")));
        QVERIFY(lines[5].startsWith(QStringLiteral("- ŞASE NO: WVWZZZ1JZXW00000I (17 haneli")));
        // The value stays as typed; "Temizle" takes the marks with the values.
        QCOMPARE(s.txt(17)->text(), QStringLiteral("WVWZZZ1JZXW00000I"));
        p.window->button(QStringLiteral("cmdSil"))->click();
        QCOMPARE(base(2), QColor(Qt::white));
        QCOMPARE(base(17), QColor(Qt::white));
        QVERIFY(s.txt(17)->widget()->toolTip().isEmpty());
    }

    // Multi-line boxes included: one box looks active at a time.
    void everyTextBoxIsBlueOnlyWhileFocused_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("next");
        for (int i : { 10, 36, 37, 38, 39 })
            QTest::addRow("txt(%d)", i) << i << 11;
        QTest::newRow("txt(134)") << 134 << 133;
    }
    void everyTextBoxIsBlueOnlyWhileFocused()
    {
        QFETCH(int, index);
        QFETCH(int, next);
        testing::Program p;
        EntryScreen &s = p.window->entryScreen();
        activate(p.window.get());
        if (index == 134) {
            s.txt(16)->setText(QStringLiteral("M1"));
            p.window->button(QStringLiteral("cmdYazdir"))->click();
        }
        QWidget *box = s.txt(index)->widget();
        s.txt(index)->setText(QStringLiteral("abc"));
        box->setFocus();
        QCOMPARE(paintedBack(box), records::EntryBehaviour::focusColour());
        s.txt(next)->widget()->setFocus();
        QCOMPARE(paintedBack(box), QColor(Qt::white));
        if (auto *memo = qobject_cast<QPlainTextEdit *>(box))
            QVERIFY(!memo->textCursor().hasSelection());
        else
            QVERIFY(!static_cast<QLineEdit *>(box)->hasSelectedText());
    }

    void onlyThePlateLettersTurnUpperCase()
    {
        testing::Program p;
        EntryScreen &s = p.window->entryScreen();
        activate(p.window.get());
        for (int i : { 1, 2, 4, 10 }) {
            s.txt(i)->widget()->setFocus();
            QTest::keyClicks(s.txt(i)->widget(), QStringLiteral("ab"));
            s.txt(16)->widget()->setFocus();
        }
        QCOMPARE(s.txt(1)->text(), QStringLiteral("AB"));
        QCOMPARE(s.txt(4)->text(), QStringLiteral("AB"));
        QCOMPARE(s.txt(2)->text(), QStringLiteral("ab"));
        QCOMPARE(s.txt(10)->text(), QStringLiteral("ab"));
    }

    void clearingEmptiesTextsTicksAndDatesOnly()
    {
        testing::Program p;
        EntryScreen &s = p.window->entryScreen();
        for (int i = 0; i < EntryScreen::kTxtCount; ++i)
            s.txt(i)->setText(QStringLiteral("1"));
        for (int i = 0; i < EntryScreen::kDateCount; ++i)
            s.sprTarih(i)->setText(QStringLiteral("01.02.2003"));
        for (int i = 0; i <= 10; ++i)
            s.chkX(i)->setChecked(true);
        s.optX(13)->setChecked(true);
        s.OptA(1)->setChecked(true);
        s.cmbX(2)->setCurrentIndex(1);
        s.cmbX(3)->setCurrentIndex(6);
        s.cmbX(0)->setEditText(QStringLiteral("Fiat"));
        s.txtara(0)->setText(QStringLiteral("aranan"));
        s.sTabber()->setCurrentIndex(1);
        p.window->button(QStringLiteral("cmdSil"))->click();
        for (int i = 0; i < EntryScreen::kTxtCount; ++i)
            QVERIFY2(s.txt(i)->text().isEmpty(), qPrintable(QString::number(i)));
        for (int i = 0; i < EntryScreen::kDateCount; ++i)
            QVERIFY(s.sprTarih(i)->text().isEmpty());
        for (int i = 0; i <= 10; ++i)
            QVERIFY(!s.chkX(i)->isChecked());
        QVERIFY(s.optX(13)->isChecked());
        QVERIFY(s.OptA(1)->isChecked());
        QCOMPARE(s.cmbX(2)->currentIndex(), 1);
        QCOMPARE(s.cmbX(3)->currentText(), QStringLiteral("0rh+"));
        QCOMPARE(s.cmbX(0)->currentText(), QStringLiteral("Fiat"));
        QCOMPARE(s.txtara(0)->text(), QStringLiteral("aranan"));
        QCOMPARE(s.sTabber()->currentIndex(), 1);
        QVERIFY(p.messages.shown().isEmpty());
    }

    void newRecordPutsTheCursorIntoTheOldPlate()
    {
        testing::Program p;
        EntryScreen &s = p.window->entryScreen();
        activate(p.window.get());
        s.txt(3)->setText(QStringLiteral("34"));
        s.txt(16)->setText(QStringLiteral("M"));
        s.newRec()->click();
        QCOMPARE(QApplication::focusWidget(), s.txt(3)->widget());
        QCOMPARE(s.txt(16)->text(), QString());
        QCOMPARE(s.txt(3)->widget()->palette().color(QPalette::Base),
            records::EntryBehaviour::focusColour());
    }

    void choosingABrandListsItsModels()
    {
        testing::Program p;
        EntryScreen &s = p.window->entryScreen();
        QComboBox *brand = s.cmbX(0);
        const int toyota = brand->findText(QStringLiteral("Toyota"));
        QVERIFY(toyota >= 0);
        // Brands are listed once each, in Turkish alphabetical order.
        QCOMPARE(brand->findText(QStringLiteral("Toyota")),
            brand->findText(QStringLiteral("Toyota"), Qt::MatchExactly));
        QVERIFY(
            brand->findText(QStringLiteral("Škoda")) < brand->findText(QStringLiteral("Tesla")));
        QVERIFY(
            brand->findText(QStringLiteral("Citroën")) < brand->findText(QStringLiteral("Cupra")));
        brand->setCurrentIndex(toyota);
        emit brand->activated(toyota);
        QVERIFY(s.cmbX(1)->isEnabled());
        QVERIFY(s.cmbX(1)->findText(QStringLiteral("Corolla")) >= 0);
        QVERIFY(s.cmbX(1)->findText(QStringLiteral("Clio")) < 0);
        // Typing a brand loads nothing; only a choice does.
        brand->setEditText(QStringLiteral("Renault"));
        QVERIFY(s.cmbX(1)->findText(QStringLiteral("Clio")) < 0);
    }

    // The boxes keep what was typed, on Tab as on Enter; only a pick loads models.
    void typedBrandOrModelStaysAsTyped_data()
    {
        QTest::addColumn<int>("combo");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("key");
        QTest::newRow("brand prefix, Tab") << 0 << "ren" << int(Qt::Key_Tab);
        QTest::newRow("brand prefix, Enter") << 0 << "ren" << int(Qt::Key_Return);
        QTest::newRow("whole brand in lower case") << 0 << "renault" << int(Qt::Key_Tab);
        QTest::newRow("model prefix") << 1 << "DS 3" << int(Qt::Key_Tab);
        QTest::newRow("model prefix, Enter") << 1 << "DS 3" << int(Qt::Key_Return);
    }
    void typedBrandOrModelStaysAsTyped()
    {
        QFETCH(int, combo);
        QFETCH(QString, typed);
        QFETCH(int, key);
        testing::Program p;
        EntryScreen &s = p.window->entryScreen();
        activate(p.window.get());
        if (combo == 1) {
            s.cmbX(0)->setEditText(QStringLiteral("DS"));
            s.ModelDoldur();
        }
        const int models = s.cmbX(1)->count();
        QComboBox *box = s.cmbX(combo);
        box->setFocus();
        QTest::keyClicks(box->lineEdit(), typed);
        QTest::keyClick(box->lineEdit(), Qt::Key(key));
        box->clearFocus();
        QCOMPARE(box->currentText(), typed);
        QCOMPARE(s.cmbX(1)->count(), models);
    }

    void pickingASuggestionIsAChoice()
    {
        testing::Program p;
        EntryScreen &s = p.window->entryScreen();
        activate(p.window.get());
        QComboBox *brand = s.cmbX(0);
        brand->setFocus();
        QTest::keyClicks(brand->lineEdit(), QStringLiteral("Ren"));
        QAbstractItemView *suggestions = brand->completer()->popup();
        QVERIFY(suggestions);
        QTRY_VERIFY(suggestions->isVisible());
        QTest::keyClick(suggestions, Qt::Key_Down);
        QTest::keyClick(suggestions, Qt::Key_Return);
        QCOMPARE(brand->currentText(), QStringLiteral("Renault"));
        QVERIFY(s.cmbX(1)->findText(QStringLiteral("Clio")) >= 0);
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
        testing::Program p;
        EntryScreen &s = p.window->entryScreen();
        activate(p.window.get());
        s.sTabber()->setCurrentIndex(combo > 2 ? 1 : 0);
        QComboBox *box = s.cmbX(combo);
        box->setCurrentIndex(0);
        const QString before = box->currentText();
        (combo > 2 ? s.txt(41) : s.txt(10))->widget()->setFocus();
        turnWheel(box);
        QCOMPARE(box->currentText(), before);
        QVERIFY(!box->hasFocus());
        box->setFocus();
        turnWheel(box);
        QVERIFY(box->currentText() != before);
    }

    // Blanks and case do not hide a brand's models; the box keeps its text.
    void modelsOfABrandWrittenOtherwise_data()
    {
        QTest::addColumn<QString>("brand");
        QTest::addColumn<QString>("model");
        QTest::newRow("lower case") << "ford"
                                    << "Focus";
        QTest::newRow("upper case") << "FORD"
                                    << "Focus";
        QTest::newRow("trailing blank") << "Ford "
                                        << "Focus";
        QTest::newRow("leading blank") << " ford"
                                       << "Focus";
        QTest::newRow("dotted i") << "fiat"
                                  << "Doblo";
        QTest::newRow("capital I") << "FIAT"
                                   << "Doblo";
        QTest::newRow("Turkish letters") << "cİtroËn"
                                         << "Berlingo";
    }
    void modelsOfABrandWrittenOtherwise()
    {
        QFETCH(QString, brand);
        QFETCH(QString, model);
        testing::Program p;
        EntryScreen &s = p.window->entryScreen();
        s.cmbX(0)->setEditText(brand);
        s.ModelDoldur();
        QVERIFY(s.cmbX(1)->findText(model) >= 0);
        QVERIFY(s.cmbX(1)->isEnabled());
        QCOMPARE(s.cmbX(0)->currentText(), brand);
    }

    void aBrandWithoutModelsKeepsTheModelBoxState()
    {
        testing::Program p;
        EntryScreen &s = p.window->entryScreen();
        s.cmbX(0)->setEditText(QStringLiteral("Bilinmeyen"));
        s.ModelDoldur();
        QVERIFY(!s.cmbX(1)->isEnabled());
        QCOMPARE(s.cmbX(1)->count(), 0);
        s.cmbX(0)->setEditText(QStringLiteral("Fiat"));
        s.ModelDoldur();
        QVERIFY(s.cmbX(1)->isEnabled());
        s.cmbX(0)->setEditText(QStringLiteral("Bilinmeyen"));
        s.ModelDoldur();
        QVERIFY(s.cmbX(1)->isEnabled());
        QCOMPARE(s.cmbX(1)->count(), 0);
    }

    void aBrandWithAQuoteListsItsModels()
    {
        testing::Program p;
        EntryScreen &s = p.window->entryScreen();
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("arac"));
        db.setDatabaseName(p.folder.path() + QStringLiteral("/Arac.mdb"));
        QVERIFY(db.open());
        QSqlQuery(db).exec(QStringLiteral(
            "INSERT INTO Araclar (Tip, Marka, Model) VALUES ('A', 'O''Brien', 'Roadster')"));
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("arac"));
        s.cmbX(0)->setEditText(QStringLiteral("O'Brien"));
        s.ModelDoldur();
        QCOMPARE(s.cmbX(1)->itemText(0), QStringLiteral("Roadster"));
        QVERIFY(p.messages.shown().isEmpty());
    }

    // F2, F3, F4, F9, F10 press their buttons (from either tab), as their
    // tooltips say, and do nothing while the button is locked.
    void functionKeysPressTheirButtons_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("name");
        QTest::newRow("F2") << int(Qt::Key_F2) << "cmdKaydet"
                            << "F2";
        QTest::newRow("F3") << int(Qt::Key_F3) << "cmdBUL"
                            << "F3";
        QTest::newRow("F4") << int(Qt::Key_F4) << "newRec"
                            << "F4";
        QTest::newRow("F9") << int(Qt::Key_F9) << "cmdYazdir"
                            << "F9";
        QTest::newRow("F10") << int(Qt::Key_F10) << "XPButton5"
                             << "F10";
    }
    void functionKeysPressTheirButtons()
    {
        QFETCH(int, key);
        QFETCH(QString, button);
        QFETCH(QString, name);
        testing::Program p;
        EntryScreen &s = p.window->entryScreen();
        activate(p.window.get());
        auto *b = p.window->findChild<QPushButton *>(button);
        QVERIFY(b->toolTip().contains(name));
        QSignalSpy clicks(b, &QPushButton::clicked);
        s.sTabber()->setCurrentIndex(1);
        s.txt(41)->widget()->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
        QCOMPARE(clicks.count(), 1);
        // The keys of the buttons on the tab page are locked with the tabs.
        s.showOverlay(s.frmARA());
        QTest::keyClick(p.window.get(), Qt::Key(key));
        QCOMPARE(clicks.count(), b->parentWidget() == p.window.get() ? 2 : 1);
    }

    // After a click on a right-hand button typing goes on in the same box, and
    // a Space goes there too; closing a print frame hands the cursor back.
    void theCursorStaysInTheBoxWhenAButtonIsClicked()
    {
        testing::Program p;
        EntryScreen &s = p.window->entryScreen();
        activate(p.window.get());
        QWidget *box = s.txt(16)->widget();
        box->setFocus();
        QPushButton *clear = p.window->button(QStringLiteral("cmdSil"));
        QSignalSpy clears(clear, &QPushButton::clicked);
        QTest::mouseClick(clear, Qt::LeftButton);
        QCOMPARE(QApplication::focusWidget(), box);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
        QCOMPARE(clears.count(), 1);
        QCOMPARE(s.txt(16)->text(), QStringLiteral(" "));
        s.txt(16)->setText(QStringLiteral("M1"));
        QTest::mouseClick(p.window->button(QStringLiteral("XPButton5")), Qt::LeftButton);
        QCOMPARE(QApplication::focusWidget(), s.txt(125)->widget());
        QTest::mouseClick(s.XPButton8(), Qt::LeftButton);
        QCOMPARE(QApplication::focusWidget(), box);
    }

    // Alt+K and Alt+A: the first box of owner 1 and of the vehicle, whatever
    // box was used last.
    void altKeysGoToTheFirstBoxOfATab()
    {
        testing::Program p;
        EntryScreen &s = p.window->entryScreen();
        activate(p.window.get());
        s.txt(16)->widget()->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_K, Qt::AltModifier);
        QCOMPARE(s.sTabber()->currentIndex(), 1);
        QCOMPARE(QApplication::focusWidget(), s.txt(40)->widget());
        s.txt(55)->widget()->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_K, Qt::AltModifier);
        QCOMPARE(QApplication::focusWidget(), s.txt(40)->widget());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::AltModifier);
        QCOMPARE(s.sTabber()->currentIndex(), 0);
        QCOMPARE(QApplication::focusWidget(), s.txt(0)->widget());
    }

    void overlaysLockTheTabs()
    {
        testing::Program p;
        EntryScreen &s = p.window->entryScreen();
        s.txt(16)->setText(QStringLiteral("M1"));
        p.window->button(QStringLiteral("cmdYazdir"))->click();
        QVERIFY(s.FrmYazdir()->isVisibleTo(p.window.get()));
        QVERIFY(!s.sTabber()->isEnabled());
        // The right-hand buttons stay usable: the second frame opens over the first.
        p.window->button(QStringLiteral("XPButton5"))->click();
        QVERIFY(s.Frame5()->isVisibleTo(p.window.get()));
        s.XPButton8()->click();
        QVERIFY(s.sTabber()->isEnabled());
        QVERIFY(s.FrmYazdir()->isVisibleTo(p.window.get()));
        s.XPButton6()->click();
        QVERIFY(!s.FrmYazdir()->isVisibleTo(p.window.get()));
    }
};

QTEST_MAIN(TestEntryScreen)
#include "tst_entryscreen.moc"
