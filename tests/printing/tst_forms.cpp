#include "app/mainwindow.h"
#include "platform/dategrid.h"
#include "platform/reportexporters.h"
#include "platform/reportfit.h"
#include "platform/reportpainter.h"
#include "printing/forms.h"
#include "printing/margins.h"
#include "printing/printframes.h"
#include "records/entryscreen.h"
#include "records/saverecord.h"
#include "support/pdfwords.h"
#include "support/recordtables.h"
#include "support/testsupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QImage>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

using namespace printing;
using records::EntryScreen;

namespace {

// The form a table under tests/data/forms is named for.
std::unique_ptr<FormReport> formNamed(const QString &name, EntryScreen &s)
{
    if (name == QLatin1String("ar_Trafik"))
        return std::make_unique<ArTrafik>(s);
    if (name == QLatin1String("ar_TrafikArka"))
        return std::make_unique<ArTrafikArka>(s);
    return std::make_unique<ArEk9>(s);
}

QString dateOf(int i)
{
    return QStringLiteral("%1.0%2.20%3").arg(10 + i).arg(1 + i % 9).arg(10 + i);
}

// Every box its own index as text, every date cell its own date.
void fillDistinct(EntryScreen &s)
{
    for (int i = 0; i < EntryScreen::kTxtCount; ++i)
        s.txt(i)->setText(QString::number(i));
    for (int i = 0; i < EntryScreen::kDateCount; ++i)
        s.sprTarih(i)->setText(dateOf(i));
    s.cmbX(0)->setEditText(QStringLiteral("Marka"));
    s.cmbX(1)->setEditText(QStringLiteral("Model"));
}

// A table's text with {txtN}, {sprN} and {cmbN} replaced by that box's text.
QString expand(EntryScreen &s, QString text)
{
    static const QRegularExpression box(QStringLiteral("\\{(txt|spr|cmb)(\\d+)\\}"));
    for (auto m = box.match(text); m.hasMatch(); m = box.match(text)) {
        const int i = m.captured(2).toInt();
        const QString kind = m.captured(1);
        text.replace(m.capturedStart(), m.capturedLength(),
            kind == QLatin1String("txt")       ? s.txt(i)->text()
                : kind == QLatin1String("spr") ? s.sprTarih(i)->text()
                                               : s.cmbX(i)->currentText());
    }
    return text;
}

// Does what the clerk does for one setting of a marks table.
void set(EntryScreen &s, const QString &setting)
{
    static const QRegularExpression re(QStringLiteral("^([A-Za-z]+?)(\\d+)(?:=(.*))?$"));
    const auto m = re.match(setting);
    QVERIFY2(m.hasMatch(), qPrintable(setting));
    const QString kind = m.captured(1);
    const int i = m.captured(2).toInt();
    const QString value = m.captured(3);
    if (kind == QLatin1String("txt"))
        s.txt(i)->setText(value);
    else if (kind == QLatin1String("sprTarih"))
        s.sprTarih(i)->setText(value);
    else if (kind == QLatin1String("chkX"))
        s.chkX(i)->setCheckState(Qt::CheckState(value.toInt()));
    else if (kind == QLatin1String("cmbX"))
        s.cmbX(i)->setCurrentIndex(value.toInt());
    else if (kind == QLatin1String("optX"))
        s.optX(i)->setChecked(true);
    else if (kind == QLatin1String("OptA"))
        s.OptA(i)->setChecked(true);
    else if (kind == QLatin1String("optC"))
        s.optC(i)->setChecked(true);
    else if (kind == QLatin1String("optAdres"))
        s.optAdres(i)->setChecked(true);
    else if (kind == QLatin1String("optTel"))
        s.optTel(i)->setChecked(true);
    else
        QFAIL(qPrintable(setting));
}

// "1-38,41" as the field names it covers.
QStringList fieldsOf(const QString &ranges)
{
    QStringList names;
    for (const QString &r : ranges.split(QLatin1Char(','))) {
        const QStringList ends = r.split(QLatin1Char('-'));
        for (int n = ends.first().toInt(); n <= ends.last().toInt(); ++n)
            names << QStringLiteral("Field%1").arg(n);
    }
    return names;
}

// Every box at its longest, in the widest letters the forms get: Turkish
// capitals and "M", "W", broken into words as names and addresses are.
void fillLongest(EntryScreen &s)
{
    const QString wide = QStringLiteral("ŞMWĞÜİÖÇ ");
    auto longest = [&](int length) {
        QString t;
        while (t.size() < length)
            t += wide;
        return t.left(length);
    };
    for (int i = 0; i < EntryScreen::kTxtCount; ++i)
        s.txt(i)->setText(longest(s.txt(i)->maxLength()));
    for (int i = 0; i < EntryScreen::kDateCount; ++i)
        s.sprTarih(i)->setText(QStringLiteral("28.12.2088"));
    s.cmbX(0)->setEditText(longest(60));
    s.cmbX(1)->setEditText(longest(60));
}

// The words of a PDF page that lie outside every box of its report, and the
// words of two fields that cover each other, in points with a hair's
// tolerance. Lines of one field may touch: readers box words by the face's
// extremes, not its line pitch.
QStringList strayWords(const testing::PdfText &pdf, int page, const platform::Report &r)
{
    constexpr double hair = 0.3;
    QVector<QRectF> boxes;
    for (const auto &f : r.fields) {
        if (!f.text.isEmpty()) {
            const QRect t = platform::fieldOnPaper(r, f);
            boxes << QRectF(t.left() / 20.0, t.top() / 20.0, t.width() / 20.0, t.height() / 20.0)
                         .adjusted(-hair, -hair, hair, hair);
        }
    }
    QStringList stray;
    QVector<std::pair<QRectF, int>> seen;
    for (const testing::PdfWord &w : pdf.words) {
        if (w.page != page)
            continue;
        int owner = -1;
        for (int i = 0; i < boxes.size(); ++i) {
            if (boxes[i].contains(w.box)
                && (owner < 0
                    || boxes[i].width() * boxes[i].height()
                        < boxes[owner].width() * boxes[owner].height()))
                owner = i;
        }
        if (owner < 0)
            stray << QStringLiteral("%1 outside at %2,%3")
                         .arg(w.text)
                         .arg(w.box.left())
                         .arg(w.box.top());
        const QRectF inner = w.box.adjusted(hair, hair, -hair, -hair);
        for (const auto &[other, otherOwner] : seen) {
            if (otherOwner != owner && other.intersects(inner))
                stray << QStringLiteral("%1 overlaps at %2,%3")
                             .arg(w.text)
                             .arg(w.box.left())
                             .arg(w.box.top());
        }
        seen << std::pair { inner, owner };
    }
    return stray;
}

// Rows of two pictures of one widget that differ.
QVector<int> rowsThatDiffer(const QImage &a, const QImage &b)
{
    QVector<int> rows;
    for (int y = 0; y < qMin(a.height(), b.height()); ++y) {
        for (int x = 0; x < qMin(a.width(), b.width()); ++x) {
            if (a.pixel(x, y) != b.pixel(x, y)) {
                rows << y;
                break;
            }
        }
    }
    return rows;
}

// A CUPS server of the test's own with one cups-pdf queue whose files land in
// a folder of the test; stopped, and its queue's settings removed, at the end.
// cups-pdf reads its settings only from /etc/cups and runs only as root.
class CupsPdfQueue {
public:
    static constexpr const char *kQueue = "evrakmatik-test";
    QString why; // why there is no queue

    CupsPdfQueue()
        : root_(dir_.path())
        , settings_(QStringLiteral("/etc/cups/cups-pdf-%1.conf").arg(QLatin1String(kQueue)))
    {
        const QString ppd = QStringLiteral("/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd");
        if (!QFile::exists(QStringLiteral("/usr/sbin/cupsd")) || !QFile::exists(ppd)) {
            why = QStringLiteral("cups or printer-driver-cups-pdf not installed");
            return;
        }
        if (::geteuid() != 0) {
            why = QStringLiteral("cups-pdf prints only for a server run as root");
            return;
        }
        // The server's filters run as lp: they must reach the spooled job.
        QFile::setPermissions(root_, QFileDevice::Permissions(0x7755));
        for (const char *d : { "root", "spool", "tmp", "cache", "state", "log", "out", "pdf" })
            QDir(root_).mkpath(QLatin1String(d));
        QFile::setPermissions(root_ + QStringLiteral("/tmp"), QFileDevice::Permissions(0x7777));
        // The settings under tests/data/cups, "%1" standing for this server's folder.
        if (!write(QStringLiteral("cupsd.conf"), root_ + QStringLiteral("/cupsd.conf"))
            || !write(QStringLiteral("cups-files.conf"), root_ + QStringLiteral("/cups-files.conf"))
            || !write(QStringLiteral("cups-pdf.conf"), settings_)) {
            why = QStringLiteral("cannot write the settings, ") + settings_;
            return;
        }
        cupsd_.start(QStringLiteral("/usr/sbin/cupsd"),
            { QStringLiteral("-f"), QStringLiteral("-c"), root_ + QStringLiteral("/cupsd.conf"),
                QStringLiteral("-s"), root_ + QStringLiteral("/cups-files.conf") });
        if (!cupsd_.waitForStarted()
            || !QTest::qWaitFor([&] { return QFile::exists(server()); }, 30000)) {
            why = QStringLiteral("cupsd did not start");
            return;
        }
        QProcess admin;
        admin.setProcessEnvironment(environment());
        admin.start(QStringLiteral("lpadmin"),
            { QStringLiteral("-p"), QLatin1String(kQueue), QStringLiteral("-E"),
                QStringLiteral("-v"), QStringLiteral("cups-pdf:/") + QLatin1String(kQueue),
                QStringLiteral("-P"), ppd });
        if (!admin.waitForFinished(60000) || admin.exitCode() != 0)
            why = QStringLiteral("lpadmin failed: ")
                + QString::fromUtf8(admin.readAllStandardError());
    }
    ~CupsPdfQueue()
    {
        if (cupsd_.state() != QProcess::NotRunning) {
            cupsd_.terminate();
            cupsd_.waitForFinished(30000);
        }
        QFile::remove(settings_);
    }
    QString server() const { return root_ + QStringLiteral("/cups.sock"); }
    QProcessEnvironment environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("CUPS_SERVER"), server());
        return env;
    }
    // The next file the queue writes, once it is whole; empty after a minute.
    QString takePdf()
    {
        QString found;
        (void)QTest::qWaitFor(
            [&] {
                const auto files = QDir(root_ + QStringLiteral("/out"))
                                       .entryInfoList({ QStringLiteral("*.pdf") }, QDir::Files);
                for (const QFileInfo &f : files) {
                    if (!taken_.contains(f.filePath())
                        && testing::readPdf(f.filePath()).pages.size() > 0) {
                        found = f.filePath();
                        return true;
                    }
                }
                return false;
            },
            120000);
        taken_ << found;
        return found;
    }

private:
    bool write(const QString &name, const QString &to)
    {
        QFile from(QStringLiteral(EVRAKMATIK_TEST_DATA "/cups/") + name);
        QFile f(to);
        return from.open(QIODevice::ReadOnly) && f.open(QIODevice::WriteOnly)
            && f.write(QString::fromUtf8(from.readAll()).arg(root_).toUtf8()) > 0;
    }
    QTemporaryDir dir_;
    QString root_;
    QString settings_;
    QProcess cupsd_;
    QStringList taken_;
};

// Runs the program on the test's folders; its exit status.
int evrakmatik(QProcess &run, const testing::Program &p, const QStringList &args)
{
    run.start(QStringLiteral(EVRAKMATIK_TEST_MDQ "/../evrakmatik"),
        QStringList { QStringLiteral("--program-folder"), p.folder.path(),
            QStringLiteral("--margin-folder"), p.folder.marginFolder() }
            + args);
    run.waitForFinished(60000);
    return run.exitCode();
}

// A page of a PDF as a grey picture, at 144 dots per inch (a dot is half a point).
QImage pagePicture(const QString &pdf, int page)
{
    const QString base = pdf + QStringLiteral("-page%1").arg(page);
    QProcess p;
    p.start(QStringLiteral("pdftoppm"),
        { QStringLiteral("-r"), QStringLiteral("144"), QStringLiteral("-gray"),
            QStringLiteral("-f"), QString::number(page + 1), QStringLiteral("-l"),
            QString::number(page + 1), QStringLiteral("-singlefile"), pdf, base });
    p.waitForFinished(60000);
    return QImage(base + QStringLiteral(".pgm"));
}

// The ink inside a rectangle of a picture.
QRect inkIn(const QImage &picture, const QRect &area)
{
    QRect ink;
    const QRect r = area.intersected(picture.rect());
    for (int y = r.top(); y <= r.bottom(); ++y) {
        for (int x = r.left(); x <= r.right(); ++x) {
            if (qGray(picture.pixel(x, y)) < 128)
                ink |= QRect(x, y, 1, 1);
        }
    }
    return ink;
}

// Whether the ink of every exported word lies where the printed page has it,
// within half a point. The pictures are compared, not the words: a cups-pdf
// file keeps the glyphs' shapes and places but not their letters.
QString printedAsExported(const QString &printed, const QString &exported)
{
    const testing::PdfText a = testing::readPdf(printed);
    const testing::PdfText b = testing::readPdf(exported);
    if (a.pages.size() != b.pages.size())
        return QStringLiteral("%1 pages, not %2").arg(a.pages.size()).arg(b.pages.size());
    for (int page = 0; page < b.pages.size(); ++page) {
        if (qAbs(a.pages[page].width() - b.pages[page].width()) > 1.5
            || qAbs(a.pages[page].height() - b.pages[page].height()) > 1.5)
            return QStringLiteral("page %1 is not of the exported paper").arg(page);
        const QImage paper = pagePicture(printed, page);
        const QImage pdf = pagePicture(exported, page);
        for (const auto &w : b.words) {
            if (w.page != page)
                continue;
            // The word's box with room above and below, not reaching its neighbours.
            const QRect area = QRectF(w.box.topLeft() * 2, w.box.size() * 2)
                                   .toAlignedRect()
                                   .adjusted(-1, -4, 1, 4);
            const QRect want = inkIn(pdf, area);
            // The queue's A5 is a point wider than ISO A5, and its filters
            // centre the page on it.
            const int centring = (paper.width() - pdf.width()) / 2;
            const QRect got = inkIn(paper, area.translated(centring, 0)).translated(-centring, 0);
            // By the ink's middle: a glyph drawn from a bitmap may be a dot
            // fuller on both sides.
            const QPoint off =
                got.topLeft() + got.bottomRight() - want.topLeft() - want.bottomRight();
            if (got.isEmpty() || qAbs(off.x()) > 2 || qAbs(off.y()) > 2)
                return QStringLiteral("page %1: \"%2\" printed at %3,%4 to %5,%6, exported at "
                                      "%7,%8 to %9,%10 (half points)")
                    .arg(page)
                    .arg(w.text)
                    .arg(got.left())
                    .arg(got.top())
                    .arg(got.right())
                    .arg(got.bottom())
                    .arg(want.left())
                    .arg(want.top())
                    .arg(want.right())
                    .arg(want.bottom());
        }
    }
    return {};
}

} // namespace

class TestForms : public QObject {
    Q_OBJECT
private slots:
    // Every field of a form where the form's paper has its box, in its face,
    // with the text of the box it reads; nothing else on the page.
    void fieldsSitAndReadAsDescribed_data()
    {
        QTest::addColumn<QString>("form");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("paper");
        QTest::addColumn<int>("shapes"); // -1: not counted
        QTest::newRow("EK-1 front") << "ar_Trafik"
                                    << "EVRAKMATİK EK-1 (ön sayfa)" << int(platform::PaperA4) << 10;
        QTest::newRow("EK-1 back")
            << "ar_TrafikArka"
            << "EVRAKMATİK EK-1 (arka sayfa)" << int(platform::PaperA4) << -1;
        QTest::newRow("EK-9") << "ar_Ek9"
                              << "EVRAKMATİK (EK-9)" << int(platform::PaperA5) << -1;
    }
    void fieldsSitAndReadAsDescribed()
    {
        QFETCH(QString, form);
        QFETCH(QString, caption);
        QFETCH(int, paper);
        QFETCH(int, shapes);
        testing::Program p;
        EntryScreen &s = p.window->entryScreen();
        fillDistinct(s);
        ArEk9::today() = [] { return QDate(2026, 3, 5); };
        const auto r = formNamed(form, s);
        r->run();
        ArEk9::today() = [] { return QDate::currentDate(); };
        const QVector<QStringList> table = testing::readTable("forms/" + form + ".tsv");
        QCOMPARE(r->fields.size(), table.size());
        if (shapes >= 0)
            QCOMPARE(r->shapes.size(), shapes);
        QCOMPARE(r->caption, caption);
        QCOMPARE(r->pageSettings.paperSize, paper);
        const QRect sheet(QPoint(0, 0), platform::paperTwips(paper, 1));
        for (const QStringList &c : table) {
            const platform::ReportField *f = r->field(c[0]);
            QVERIFY2(f, qPrintable(c.join(' ')));
            QCOMPARE(f->rect, QRect(c[1].toInt(), c[2].toInt(), c[3].toInt(), c[4].toInt()));
            QCOMPARE(f->pointSize, c[5].toDouble());
            QCOMPARE(f->bold, c[6] == QLatin1String("1"));
            QCOMPARE(f->align,
                c[7] == "C"       ? Qt::AlignHCenter
                    : c[7] == "R" ? Qt::AlignRight
                                  : Qt::AlignLeft);
            QCOMPARE(f->family, QStringLiteral("Tahoma"));
            QCOMPARE(f->multiLine, c[8] == QLatin1String("1"));
            QCOMPARE(f->text, expand(s, c[9]));
            // Within the paper at the default margins.
            QVERIFY2(sheet.contains(
                         f->rect.translated(r->pageSettings.leftMargin, r->pageSettings.topMargin)),
                qPrintable(c[0]));
        }
    }

    void formsMarkWhatTheClerkChose_data()
    {
        QTest::addColumn<QString>("form");
        QTest::addColumn<QStringList>("settings");
        QTest::addColumn<QStringList>("expected");
        const QVector<QStringList> table = testing::readTable("forms/marks.tsv");
        QVERIFY(!table.isEmpty());
        for (QStringList row : table) {
            row.replaceInStrings(QStringLiteral("·"), QStringLiteral(" "));
            QTest::newRow(qPrintable(row[0])) << row[1] << row[2].split(';') << row[3].split(';');
        }
    }
    void formsMarkWhatTheClerkChose()
    {
        QFETCH(QString, form);
        QFETCH(QStringList, settings);
        QFETCH(QStringList, expected);
        testing::Program p;
        EntryScreen &s = p.window->entryScreen();
        const auto r = formNamed(form, s);
        for (const QString &setting : settings) {
            if (setting == QLatin1String("run"))
                r->run();
            else
                set(s, setting);
        }
        r->run();
        for (const QString &e : expected) {
            const QString key = e.section('=', 0, 0);
            const QString value = e.section('=', 1);
            if (key == QLatin1String("marked")) {
                QStringList marked;
                for (const auto &f : r->fields) {
                    if (f.text == QLatin1String("X"))
                        marked << f.name;
                }
                QCOMPARE(marked, value.split(','));
            } else if (key == QLatin1String("blank")) {
                for (const QString &name : fieldsOf(value))
                    QVERIFY2(r->fieldText(name).isEmpty(), qPrintable(name));
            } else {
                QVERIFY2(r->field(key), qPrintable(key));
                QCOMPARE(r->fieldText(key), value);
            }
        }
    }

    void bloodGroupSplits()
    {
        testing::Program p;
        ArTrafikArka r(p.window->entryScreen());
        // "ABrh+", "0rh-" and no choice are printed by the marks table.
        for (const auto &[text, group, sign] : { std::array<const char *, 3> { "AB", "", "" },
                 std::array<const char *, 3> { "BRH-", "B", "-" } }) {
            r.group = QStringLiteral("eski");
            r.KanGrubuAyir(QLatin1String(text));
            QCOMPARE(r.group, QLatin1String(group));
            QCOMPARE(r.sign, QLatin1String(sign));
        }
    }

    void printFramesOpenOnlyWithAnEngineNumber()
    {
        testing::Program p;
        EntryScreen &s = p.window->entryScreen();
        QList<Form> printed;
        p.window->printFrames().setPrinter([&](Form f) { printed << f; });
        s.txt(16)->setText(QStringLiteral("   "));
        p.window->button(QStringLiteral("cmdYazdir"))->click();
        p.window->button(QStringLiteral("XPButton5"))->click();
        QVERIFY(!s.FrmYazdir()->isVisibleTo(p.window.get()));
        QVERIFY(!s.Frame5()->isVisibleTo(p.window.get()));
        QVERIFY(s.sTabber()->isEnabled());

        s.txt(16)->setText(QStringLiteral("M1"));
        s.txt(124)->setText(QStringLiteral("eski büro"));
        s.txt(131)->setText(QStringLiteral("Noter"));
        s.sprTarih(7)->setText(QStringLiteral("01.02.2020"));
        p.window->button(QStringLiteral("cmdYazdir"))->click();
        QVERIFY(s.FrmYazdir()->isVisibleTo(p.window.get()));
        QVERIFY(!s.sTabber()->isEnabled());
        QCOMPARE(s.txt(124)->text(), QString());
        QCOMPARE(s.txt(131)->text(), QStringLiteral("Noter"));
        QCOMPARE(s.sprTarih(7)->text(), QStringLiteral("01.02.2020"));
        s.txt(124)->setText(QStringLiteral("yeni"));
        s.XPButton6()->click(); // İptal keeps what was typed
        QVERIFY(s.sTabber()->isEnabled());
        QCOMPARE(s.txt(124)->text(), QStringLiteral("yeni"));
        p.window->button(QStringLiteral("cmdYazdir"))->click();
        QCOMPARE(s.txt(124)->text(), QString());
        s.XPButton3()->click();
        QVERIFY(!s.FrmYazdir()->isVisibleTo(p.window.get()));
        QVERIFY(s.sTabber()->isEnabled());

        for (int i : { 125, 126, 127 })
            s.txt(i)->setText(QStringLiteral("x"));
        p.window->button(QStringLiteral("XPButton5"))->click();
        for (int i : { 125, 126, 127 })
            QCOMPARE(s.txt(i)->text(), QString());
        s.XPButton7()->click();
        QCOMPARE(printed, (QList<Form> { Form::Ek1, Form::Ek9 }));
    }

    void everyTextStaysInItsBoxAtTheLongest()
    {
        testing::Program p;
        EntryScreen &s = p.window->entryScreen();
        fillLongest(s);
        for (int i : { 11, 15, 20 })
            s.optX(i)->setChecked(true);
        std::vector<std::unique_ptr<FormReport>> forms;
        QVector<const platform::Report *> pages;
        for (const char *form : { "ar_Trafik", "ar_TrafikArka", "ar_Ek9" }) {
            forms.push_back(formNamed(QLatin1String(form), s));
            forms.back()->run();
            pages << forms.back().get();
        }
        const QString path = p.folder.path() + QStringLiteral("/uzun.pdf");
        QString error;
        QVERIFY2(platform::PdfExporter().write(pages, path, &error), qPrintable(error));
        const QString doc = p.folder.path() + QStringLiteral("/uzun.doc");
        QVERIFY2(platform::WordExporter().write(pages, doc, &error), qPrintable(error));
        QStringList outputs { path };
        // The Word file as a word processor lays it out, when one is installed.
        const QString converted =
            testing::wordToPdf(doc, QStringLiteral(EVRAKMATIK_TEST_MDQ "/../fonts"));
        if (!converted.isEmpty())
            outputs << converted;
        else
            qWarning("LibreOffice not installed: the Word file is not laid out");
        for (const QString &output : outputs) {
            const testing::PdfText pdf = testing::readPdf(output);
            QCOMPARE(pdf.pages.size(), 3);
            for (int page = 0; page < 3; ++page) {
                const QStringList stray = strayWords(pdf, page, *pages[page]);
                QVERIFY2(stray.isEmpty(),
                    qPrintable(QStringLiteral("%1 page %2: ").arg(output).arg(page)
                        + stray.join(QStringLiteral("; "))));
            }
        }
        // What was fitted is told by the entry screen's labels.
        const QStringList notes = platform::fitNotes(pages);
        qInfo().noquote() << notes.size() << "fields fitted:\n" << notes.join(QLatin1Char('\n'));
        QVERIFY(notes.filter(QStringLiteral("Ticari Adı:")).size() == 1);
        QVERIFY(notes.filter(QStringLiteral("Mahalle/Köy (1. sahip)")).size() >= 1);
    }

    // The accents of capitals stand above the line's ascent in a face that
    // reads its typographic metrics: "İsmail" showed as "|smail".
    void accentsOfCapitalsArePaintedOnScreen()
    {
        testing::Program p;
        for (int box : { 37, 41 }) { // a remarks box and a line box, selected
            records::TextBox *t = p.window->entryScreen().txt(box);
            auto shot = [&](const QString &text, bool select) {
                t->setText(text);
                if (auto *line = qobject_cast<QLineEdit *>(t->widget()); line && select)
                    line->selectAll();
                if (auto *memo = qobject_cast<QPlainTextEdit *>(t->widget()); memo && select)
                    memo->selectAll();
                return t->widget()->grab().toImage();
            };
            const QString plain = QStringLiteral("IGUSOC");
            const QString accented = QStringLiteral("İĞÜŞÖÇ");
            const QVector<int> ink = rowsThatDiffer(shot(QString(), false), shot(plain, false));
            QVERIFY(!ink.isEmpty());
            const int capitalsTop = ink.first();
            const QVector<int> differ = rowsThatDiffer(shot(plain, true), shot(accented, true));
            const auto accentRows =
                std::count_if(differ.begin(), differ.end(), [&](int y) { return y < capitalsTop; });
            QVERIFY2(accentRows >= 2, qPrintable(QString::number(accentRows)));
        }
    }

    void printToACupsQueueFromTheCommandLine()
    {
        testing::Program p;
        CupsPdfQueue cups;
        if (!cups.why.isEmpty())
            QSKIP(qPrintable(cups.why));
        EntryScreen &s = p.window->entryScreen();
        s.txt(16)->setText(QStringLiteral("MTR-42"));
        s.txt(17)->setText(QStringLiteral("SASE-7"));
        s.txt(3)->setText(QStringLiteral("34"));
        s.txt(40)->setText(QStringLiteral("12345678901"));
        s.txt(41)->setText(QStringLiteral("Ali"));
        s.txt(10)->setText(QStringLiteral("TICARI ADI UZUN BIR MARKA ADI ILE MODEL"));
        const qint64 id = records::Kaydet(s, QString());
        QProcess run;
        run.setProcessEnvironment(cups.environment());
        for (const char *form : { "ek9", "ek1" }) {
            const QString exported = p.folder.path() + QStringLiteral("/%1.pdf").arg(form);
            // Twice: the first run of a form stores its margins in whole
            // millimetres, which every later run reads.
            for (int i = 0; i < 2; ++i)
                QCOMPARE(evrakmatik(run, p,
                             { "--print-pdf", form, "--id", QString::number(id), "--out", exported,
                                 "--set", "txt124=Kadikoy" }),
                    0);
            QCOMPARE(evrakmatik(run, p,
                         { "--print", form, "--id", QString::number(id), "--printer",
                             CupsPdfQueue::kQueue, "--set", "txt124=Kadikoy" }),
                0);
            const QString printed = cups.takePdf();
            QVERIFY2(!printed.isEmpty(), form);
            const testing::PdfText pdf = testing::readPdf(printed);

            QCOMPARE(pdf.pages.size(), QLatin1String(form) == QLatin1String("ek9") ? 1 : 2);
            QVERIFY(qAbs(pdf.pages[0].width()
                        - (QLatin1String(form) == QLatin1String("ek9") ? 420 : 595))
                < 1.5);
            const QString apart = printedAsExported(printed, exported);
            QVERIFY2(apart.isEmpty(), qPrintable(apart));
        }
        // A queue that is not there: said, nothing printed.
        QVERIFY(evrakmatik(
                    run, p, { "--print", "ek9", "--id", QString::number(id), "--printer", "yok" })
            != 0);
        QVERIFY(QString::fromUtf8(run.readAllStandardError()).contains(QStringLiteral("yok")));
    }

    void printToPdfFromTheCommandLine()
    {
        testing::Program p;
        EntryScreen &s = p.window->entryScreen();
        s.txt(16)->setText(QStringLiteral("MTR-42"));
        s.txt(3)->setText(QStringLiteral("34"));
        s.txt(40)->setText(QStringLiteral("12345678901"));
        s.txt(41)->setText(QStringLiteral("Şükrü"));
        const qint64 id = records::Kaydet(s, QString());
        const QString out = p.folder.path() + QStringLiteral("/ek1.pdf");
        QProcess run;
        QCOMPARE(evrakmatik(run, p,
                     { "--print-pdf", "ek1", "--id", QString::number(id), "--out", out, "--set",
                         "txt124=Kadıköy Şubesi", "--set", "sprTarih7=05.03.2024", "--set",
                         "txt10=" + QString(60, QLatin1Char('W')) }),
            0);
        // The fitted fields are named on standard error; the PDF is right.
        const QString told = QString::fromUtf8(run.readAllStandardError());
        QVERIFY2(told.contains(QStringLiteral("Ticari Adı: ")), qPrintable(told));
        QVERIFY(!told.contains(QStringLiteral("MOTOR NO")));
        const testing::PdfText pdf = testing::readPdf(out);
        QCOMPARE(pdf.pages.size(), 2);
        // Two fields lie apart on paper exactly as far as in the layout.
        const auto *engine = pdf.find(QStringLiteral("MTR-42"), 0); // Field40, left aligned
        const auto *owner = pdf.find(QStringLiteral("Şükrü"), 0); // Field82, left aligned
        const auto *office = pdf.find(QStringLiteral("Kadıköy"), 0); // Field88
        QVERIFY(engine && owner && office);
        QVERIFY(qAbs((engine->box.left() - owner->box.left()) - (690 - 375) / 20.0) < 1);
        QVERIFY(qAbs((engine->box.top() - owner->box.top()) - (10656 - 2130) / 20.0) < 1);
        QVERIFY(qAbs((owner->box.top() - office->box.top()) - (2130 - 765) / 20.0) < 1);
        QVERIFY(qAbs(engine->box.left() - (850 + 690) / 20.0) < 1.5); // the default left margin
        const auto *id1 = pdf.find(QStringLiteral("12345678901"), 1); // back page Field1
        QVERIFY(id1);
        QVERIFY(qAbs(id1->box.left() - (793 + 1455) / 20.0) < 1.5);

        const QString ek9 = p.folder.path() + QStringLiteral("/ek9.pdf");
        QCOMPARE(
            evrakmatik(run, p, { "--print-pdf", "ek9", "--id", QString::number(id), "--out", ek9 }),
            0);
        QCOMPARE(testing::readPdf(ek9).pages.size(), 1);

        // Failures say why on one line and write nothing.
        const QString none = p.folder.path() + QStringLiteral("/yok.pdf");
        QVERIFY(evrakmatik(run, p, { "--print-pdf", "ek1", "--id", "999", "--out", none }) != 0);
        QVERIFY(QString::fromUtf8(run.readAllStandardError()).contains(QStringLiteral("999")));
        const QString record = QString::number(id);
        for (const QStringList &bad : { QStringList { "ek5", "--id", record, "--out", none },
                 { "ek1", "--id", record, "--out", none, "--set", "txt999=x" },
                 { "ek1", "--id", record, "--out", none, "--set", "sprTarih1=31.02.2020" },
                 { "ek1", "--id", record, "--out", p.folder.path() + "/yok/klasor/a.pdf" } })
            QVERIFY2(evrakmatik(run, p, QStringList { "--print-pdf" } + bad) != 0,
                qPrintable(bad.join(' ')));
        QVERIFY(!QFile::exists(none));
    }
};

QTEST_MAIN(TestForms)
#include "tst_forms.moc"
