// The window at its fixed size: every label readable in full, no input
// clipped by its frame or lying over another.
#include "app/mainwindow.h"
#include "records/entryscreen.h"
#include "support/testsupport.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

namespace {

bool isInput(QWidget *w)
{
    return qobject_cast<QLineEdit *>(w) || qobject_cast<QPlainTextEdit *>(w)
        || qobject_cast<QComboBox *>(w) || qobject_cast<QAbstractButton *>(w);
}

// Every widget below root that is meant to be seen, with its rectangle in
// root's coordinates.
QVector<QPair<QWidget *, QRect>> shown(QWidget *root)
{
    QVector<QPair<QWidget *, QRect>> list;
    for (QWidget *w : root->findChildren<QWidget *>()) {
        if (!w->isVisibleTo(root) || !(isInput(w) || qobject_cast<QLabel *>(w)))
            continue;
        if (qobject_cast<QLineEdit *>(w) && qobject_cast<QComboBox *>(w->parentWidget()))
            continue; // a combo's own edit line
        list.push_back({ w, QRect(w->mapTo(root, QPoint(0, 0)), w->size()) });
    }
    return list;
}

QString nameOf(QWidget *w)
{
    if (!w->objectName().isEmpty() && !qobject_cast<QLabel *>(w))
        return w->objectName();
    if (auto *l = qobject_cast<QLabel *>(w))
        return QStringLiteral("label '%1'").arg(l->text());
    if (auto *b = qobject_cast<QAbstractButton *>(w))
        return QStringLiteral("button '%1'").arg(b->text());
    return w->objectName();
}

// The first two widgets lying over each other (a widget may hold its own
// children), or an empty text.
QString overlap(const QVector<QPair<QWidget *, QRect>> &widgets)
{
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
    void everyTabAndOverlayIsReadableAndTidy_data()
    {
        QTest::addColumn<int>("tab");
        QTest::addColumn<QString>("overlay");
        QTest::newRow("vehicle tab") << 0 << QString();
        QTest::newRow("owners tab") << 1 << QString();
        QTest::newRow("record list") << 0 << "frmARA";
        QTest::newRow("EK-1 frame") << 0 << "FrmYazdir";
        QTest::newRow("EK-9 frame") << 0 << "Frame5";
    }
    void everyTabAndOverlayIsReadableAndTidy()
    {
        QFETCH(int, tab);
        QFETCH(QString, overlay);
        testing::Program p;
        records::EntryScreen &s = p.window->entryScreen();
        p.window->show();
        s.sTabber()->setCurrentIndex(tab);
        QWidget *root = overlay.isEmpty() ? s.sTabber()->currentWidget()
                                          : p.window->findChild<QWidget *>(overlay);
        QVERIFY(root);
        if (!overlay.isEmpty())
            s.showOverlay(root);
        const auto widgets = shown(root);
        QVERIFY(widgets.size() > 5);
        const QRect area = root->rect();
        for (const auto &[w, r] : widgets) {
            // Inside the page or frame, and inside its own frame.
            QVERIFY2(area.contains(r), qPrintable(nameOf(w)));
            QVERIFY2(w->parentWidget()->rect().contains(w->geometry()), qPrintable(nameOf(w)));
            // A label or a button caption that needs more room than it has is cut.
            QString text;
            if (auto *l = qobject_cast<QLabel *>(w))
                text = l->text();
            else if (auto *b = qobject_cast<QAbstractButton *>(w))
                text = b->text();
            if (!text.isEmpty() && !text.contains(QLatin1Char('<'))) {
                const int need = w->fontMetrics().horizontalAdvance(text)
                    + (qobject_cast<QAbstractButton *>(w) && !qobject_cast<QPushButton *>(w) ? 18
                                                                                             : 0);
                QVERIFY2(need <= w->width() + 1,
                    qPrintable(QStringLiteral("%1 needs %2 px, has %3")
                                   .arg(nameOf(w))
                                   .arg(need)
                                   .arg(w->width())));
            }
        }
        QCOMPARE(overlap(widgets), QString());
    }

    // With the overlays shown, the right-hand buttons stay usable and the
    // overlays themselves are usable in full: nothing may lie over anything
    // but the tab area, which the overlays lock anyway.
    void overlaysAndRightHandButtonsCoverNothing_data()
    {
        QTest::addColumn<QStringList>("overlays");
        QTest::newRow("record list") << QStringList { "frmARA" };
        QTest::newRow("EK-1 frame") << QStringList { "FrmYazdir" };
        QTest::newRow("EK-9 frame") << QStringList { "Frame5" };
        QTest::newRow("all three") << QStringList { "frmARA", "FrmYazdir", "Frame5" };
    }
    void overlaysAndRightHandButtonsCoverNothing()
    {
        QFETCH(QStringList, overlays);
        testing::Program p;
        records::EntryScreen &s = p.window->entryScreen();
        p.window->show();
        QVector<QPair<QWidget *, QRect>> widgets;
        for (const QString &name : overlays) {
            auto *frame = p.window->findChild<QWidget *>(name);
            QVERIFY(frame);
            s.showOverlay(frame);
            widgets.push_back({ frame, frame->geometry() });
        }
        for (const auto &item : shown(p.window.get())) {
            if (!s.sTabber()->isAncestorOf(item.first))
                widgets.push_back(item);
        }
        const QRect window = p.window->rect();
        for (const auto &[w, r] : widgets)
            QVERIFY2(window.contains(r), qPrintable(nameOf(w)));
        QCOMPARE(overlap(widgets), QString());
    }
};

QTEST_MAIN(TestLayout)
#include "tst_layout.moc"
