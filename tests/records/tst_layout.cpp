// The window at its fixed size: every label readable in full, no input
// clipped by its frame or lying over another.
#include "app/mainwindow.h"
#include "records/entryscreen.h"
#include "support/testsupport.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

namespace {

using Placed = QVector<QPair<QWidget *, QRect>>;

// Every input and label below root that is meant to be seen, with its
// rectangle in root's coordinates.
Placed shown(QWidget *root)
{
    Placed list;
    for (QWidget *w : root->findChildren<QWidget *>()) {
        const bool input = qobject_cast<QLineEdit *>(w) || qobject_cast<QPlainTextEdit *>(w)
            || qobject_cast<QComboBox *>(w) || qobject_cast<QAbstractButton *>(w);
        if (!w->isVisibleTo(root) || !(input || qobject_cast<QLabel *>(w)))
            continue;
        if (qobject_cast<QLineEdit *>(w) && qobject_cast<QComboBox *>(w->parentWidget()))
            continue; // a combo's own edit line
        list.push_back({ w, QRect(w->mapTo(root, QPoint(0, 0)), w->size()) });
    }
    return list;
}

// A label or a button by its text, any other input by its name.
QString nameOf(QWidget *w)
{
    const bool captioned = qobject_cast<QLabel *>(w)
        || (qobject_cast<QAbstractButton *>(w) && w->objectName().isEmpty());
    return captioned ? QStringLiteral("'%1'").arg(w->property("text").toString()) : w->objectName();
}

// The first fault of widgets placed in root: one outside root or its own
// frame, a caption cut for want of room, or two lying over each other (a
// widget may hold its own children). Empty when there is none.
QString untidy(QWidget *root, const Placed &widgets)
{
    for (const auto &[w, r] : widgets) {
        if (!root->rect().contains(r) || !w->parentWidget()->rect().contains(w->geometry()))
            return nameOf(w) + QStringLiteral(" lies outside");
        const bool button = qobject_cast<QAbstractButton *>(w);
        const QString text =
            button || qobject_cast<QLabel *>(w) ? w->property("text").toString() : QString();
        if (text.isEmpty() || text.contains('<'))
            continue;
        const int need = w->fontMetrics().horizontalAdvance(text)
            + (button && !qobject_cast<QPushButton *>(w) ? 18 : 0);
        if (need > w->width() + 1)
            return QStringLiteral("%1 needs %2 px, has %3")
                .arg(nameOf(w))
                .arg(need)
                .arg(w->width());
    }
    for (int i = 0; i < widgets.size(); ++i) {
        for (int j = i + 1; j < widgets.size(); ++j) {
            const auto &[a, ra] = widgets[i];
            const auto &[b, rb] = widgets[j];
            if (a != b && !a->isAncestorOf(b) && !b->isAncestorOf(a) && ra.intersects(rb))
                return QStringLiteral("%1 over %2").arg(nameOf(a), nameOf(b));
        }
    }
    return QString();
}

} // namespace

class TestLayout : public QObject {
    Q_OBJECT
private slots:
    // With the overlays shown, the right-hand buttons stay usable and the
    // overlays themselves are usable in full: nothing may lie over anything
    // but the tab area, which the overlays lock anyway.
    void everyTabAndOverlayIsReadableAndTidy_data()
    {
        QTest::addColumn<int>("tab");
        QTest::addColumn<QStringList>("overlays");
        QTest::newRow("vehicle tab") << 0 << QStringList();
        QTest::newRow("owners tab") << 1 << QStringList();
        QTest::newRow("record list") << 0 << QStringList { "frmARA" };
        QTest::newRow("EK-1 frame") << 0 << QStringList { "FrmYazdir" };
        QTest::newRow("EK-9 frame") << 0 << QStringList { "Frame5" };
        QTest::newRow("all three") << 0 << QStringList { "frmARA", "FrmYazdir", "Frame5" };
    }
    void everyTabAndOverlayIsReadableAndTidy()
    {
        QFETCH(int, tab);
        QFETCH(QStringList, overlays);
        testing::Program p;
        records::EntryScreen &s = p.window->entryScreen();
        p.window->show();
        s.sTabber()->setCurrentIndex(tab);
        QList<QWidget *> roots;
        Placed onTop;
        for (const QString &name : overlays) {
            auto *frame = p.window->findChild<QWidget *>(name);
            QVERIFY(frame);
            s.showOverlay(frame);
            roots << frame;
            onTop.push_back({ frame, frame->geometry() });
        }
        if (overlays.isEmpty())
            roots << s.sTabber()->currentWidget();
        for (QWidget *root : roots) {
            QVERIFY(shown(root).size() > 5);
            QCOMPARE(untidy(root, shown(root)), QString());
        }
        for (const auto &item : shown(p.window.get())) {
            if (!s.sTabber()->isAncestorOf(item.first))
                onTop.push_back(item);
        }
        QCOMPARE(untidy(p.window.get(), onTop), QString());
    }
};

QTEST_MAIN(TestLayout)
#include "tst_layout.moc"
