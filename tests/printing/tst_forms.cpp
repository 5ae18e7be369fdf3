#include "app/mainwindow.h"
#include "platform/dategrid.h"
#include "platform/reportexporters.h"
#include "platform/reportfit.h"
#include "platform/reportpainter.h"
#include "printing/fitwatch.h"
#include "printing/formlayouts.h"
#include "printing/forms.h"
#include "printing/printframes.h"
#include "records/boxmarks.h"
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

// The three forms run from the screen, as one export takes them.
struct AllForms {
    explicit AllForms(EntryScreen &s)
    {
        for (const char *form : { "ar_Trafik", "ar_TrafikArka", "ar_Ek9" }) {
            forms.push_back(formNamed(QLatin1String(form), s));
            forms.back()->run();
            pages << forms.back().get();
        }
    }
    std::vector<std::unique_ptr<FormReport>> forms;
    QVector<const platform::Report *> pages;
};

// Every box filled: with its own index and every date cell with its own
// date, or at its longest in the widest letters the forms get (Turkish
// capitals and "M", "W", broken into words as names and addresses are).
void fill(EntryScreen &s, bool longest)
{
    auto text = [&](int i, int length) {
        return longest ? QStringLiteral("ŞMWĞÜİÖÇ ").repeated(length).left(length)
            : i < 0    ? QString(i == -1 ? "Marka" : "Model")
                       : QString::number(i);
    };
    for (int i = 0; i < EntryScreen::kTxtCount; ++i)
        s.txt(i)->setText(text(i, s.txt(i)->maxLength()));
    for (int i = 0; i < EntryScreen::kDateCount; ++i)
        s.sprTarih(i)->setText(longest
                ? QStringLiteral("28.12.2088")
                : QStringLiteral("%1.0%2.20%3").arg(10 + i).arg(1 + i % 9).arg(10 + i));
    s.cmbX(0)->setEditText(text(-1, 60));
    s.cmbX(1)->setEditText(text(-2, 60));
}

// A table's text with {txtN}, {sprN} and {cmbN} replaced by that box's text.
QString expand(EntryScreen &s, QString text)
{
    static const QRegularExpression box("\\{(txt|spr|cmb)(\\d+)\\}");
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

// Does what the clerk does for one setting of a marks table: "txt(41)=Ayşe",
// "chkX(0)=2" (a tick's state), "cmbX(2)=VAR" (a list item, empty for none), "optX(13)" (chosen).
void set(EntryScreen &s, const QString &setting)
{
    QWidget *w = testing::control(s, setting.section('=', 0, 0));
    const QString value = setting.section('=', 1);
    if (auto *tick = qobject_cast<QCheckBox *>(w))
        tick->setCheckState(Qt::CheckState(value.toInt()));
    else if (auto *option = qobject_cast<QRadioButton *>(w))
        option->setChecked(true);
    else if (auto *list = qobject_cast<QComboBox *>(w))
        list->setCurrentIndex(list->findText(value));
    else if (auto *line = qobject_cast<QLineEdit *>(w))
        line->setText(value);
    else if (auto *date = qobject_cast<platform::DateGrid *>(w))
        date->setText(value);
    else
        QFAIL(qPrintable(setting));
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
        if (!f.text.isEmpty())
            boxes << QRectF(QRectF(platform::fieldOnPaper(r, f)).topLeft() / 20,
                QRectF(platform::fieldOnPaper(r, f)).size() / 20)
                         .adjusted(-hair, -hair, hair, hair);
    }
    QStringList stray;
    QVector<std::pair<QRectF, int>> seen;
    for (const testing::PdfWord &w : pdf.words) {
        if (w.page != page)
            continue;
        int owner = -1; // the smallest box holding the word
        for (int i = 0; i < boxes.size(); ++i) {
            if (boxes[i].contains(w.box)
                && (owner < 0
                    || boxes[i].width() * boxes[i].height()
                        < boxes[owner].width() * boxes[owner].height()))
                owner = i;
        }
        const QString where = QStringLiteral(" at %1,%2").arg(w.box.left()).arg(w.box.top());
        if (owner < 0)
            stray << w.text + " outside" + where;
        const QRectF inner = w.box.adjusted(hair, hair, -hair, -hair);
        for (const auto &[other, otherOwner] : seen) {
            if (otherOwner != owner && other.intersects(inner))
                stray << w.text + " overlaps" + where;
        }
        seen << std::pair { inner, owner };
    }
    return stray;
}

// A CUPS server of the test's own with one cups-pdf queue whose files land in
// a folder of the test; stopped, and its queue's settings removed, at the end.
// cups-pdf reads its settings only from /etc/cups and runs only as root.
class CupsPdfQueue {
public:
    static constexpr const char *kQueue = "evrakmatik-test";
    QString why; // why there is no queue

    CupsPdfQueue()
    {
        const QString ppd = "/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd";
        if (!QFile::exists("/usr/sbin/cupsd") || !QFile::exists(ppd) || ::geteuid() != 0) {
            why = "cups, printer-driver-cups-pdf and root are needed (cups-pdf prints only for "
                  "a server run as root)";
            return;
        }
        // The server's filters run as lp: they must reach the spooled job.
        QFile::setPermissions(root_, QFileDevice::Permissions(0x7755));
        for (const char *d : { "root", "spool", "tmp", "cache", "state", "log", "out", "pdf" })
            QDir(root_).mkpath(d);
        QFile::setPermissions(root_ + "/tmp", QFileDevice::Permissions(0x7777));
        // The settings under tests/data/cups, "%1" standing for this server's folder.
        for (const QString name : { "cupsd.conf", "cups-files.conf", "cups-pdf.conf" }) {
            const QString to = name == "cups-pdf.conf" ? settings_ : root_ + "/" + name;
            const QByteArray text = testing::contents(EVRAKMATIK_TEST_DATA "/cups/" + name);
            if (text.isEmpty() || !testing::writeFile(to, QString(text).arg(root_).toUtf8()))
                why = "cannot write the settings, " + to;
        }
        if (!why.isEmpty())
            return;
        cupsd_.start("/usr/sbin/cupsd",
            { "-f", "-c", root_ + "/cupsd.conf", "-s", root_ + "/cups-files.conf" });
        if (!cupsd_.waitForStarted()
            || !QTest::qWaitFor([&] { return QFile::exists(server()); }, 30000)) {
            why = "cupsd did not start";
            return;
        }
        QProcess admin;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(environment());
        admin.setProcessEnvironment(env);
        admin.start(
            "lpadmin", { "-p", kQueue, "-E", "-v", QString("cups-pdf:/") + kQueue, "-P", ppd });
        if (!admin.waitForFinished(60000) || admin.exitCode() != 0)
            why = "lpadmin failed: " + admin.readAllStandardError();
    }
    ~CupsPdfQueue()
    {
        cupsd_.terminate();
        cupsd_.waitForFinished(30000);
        QFile::remove(settings_);
    }
    QString server() const { return root_ + "/cups.sock"; }
    // What a client needs to reach this server.
    QProcessEnvironment environment() const
    {
        QProcessEnvironment env;
        env.insert("CUPS_SERVER", server());
        return env;
    }
    // The next file the queue writes, once it is whole; empty after two minutes.
    QString takePdf()
    {
        QString found;
        (void)QTest::qWaitFor(
            [&] {
                for (const QFileInfo &f :
                    QDir(root_ + "/out").entryInfoList({ "*.pdf" }, QDir::Files)) {
                    if (!taken_.contains(f.filePath())
                        && !testing::readPdf(f.filePath()).pages.isEmpty())
                        found = f.filePath();
                }
                return !found.isEmpty();
            },
            120000);
        taken_ << found;
        return found;
    }

    // The document of the next job, as the server received it.
    QString takeJob()
    {
        QString found;
        for (const QFileInfo &f :
            QDir(root_ + "/spool").entryInfoList({ "d*-001" }, QDir::Files, QDir::Name)) {
            if (found.isEmpty() && !taken_.contains(f.filePath()))
                found = f.filePath();
        }
        taken_ << found;
        return found;
    }

private:
    QTemporaryDir dir_;
    QString root_ = dir_.path();
    QString settings_ = QStringLiteral("/etc/cups/cups-pdf-%1.conf").arg(kQueue);
    QProcess cupsd_;
    QStringList taken_;
};

// A page of a PDF as a grey picture, at 144 dots per inch (a dot is half a point).
QImage pagePicture(const QString &pdf, int page)
{
    const QString base = pdf + QStringLiteral("-page%1").arg(page);
    QProcess p;
    p.start("pdftoppm",
        { "-r", "144", "-gray", "-f", QString::number(page + 1), "-l", QString::number(page + 1),
            "-singlefile", pdf, base });
    p.waitForFinished(60000);
    return QImage(base + ".pgm");
}

// The dots of ink in picture a that b has nowhere within a dot's reach
// (a glyph drawn from a bitmap may be a dot fuller), b shifted right by dx.
int inkAlone(const QImage &a, const QImage &b, int dx)
{
    int alone = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            bool near = qGray(a.pixel(x, y)) >= 128;
            for (int v = -2; v <= 2 && !near; ++v) {
                for (int u = -2; u <= 2 && !near; ++u)
                    near = b.valid(x + dx + u, y + v) && qGray(b.pixel(x + dx + u, y + v)) < 128;
            }
            alone += near ? 0 : 1;
        }
    }
    return alone;
}

// Whether the printed pages carry the exported pages' ink where the export
// has it, within a point. The pictures are compared, not the words: a
// cups-pdf file keeps the glyphs' shapes and places but not their letters.
QString printedAsExported(const QString &printed, const QString &exported)
{
    const testing::PdfText a = testing::readPdf(printed);
    const testing::PdfText b = testing::readPdf(exported);
    if (a.pages.size() != b.pages.size())
        return QStringLiteral("%1 pages, not %2").arg(a.pages.size()).arg(b.pages.size());
    for (int page = 0; page < b.pages.size(); ++page) {
        const QSizeF apart = a.pages[page] - b.pages[page];
        if (qAbs(apart.width()) > 1.5 || qAbs(apart.height()) > 1.5)
            return QStringLiteral("page %1 is not of the exported paper").arg(page);
        const QImage paper = pagePicture(printed, page);
        const QImage pdf = pagePicture(exported, page);
        // The queue's A5 is a point wider than ISO A5, and its filters
        // centre the page on it.
        const int centring = (paper.width() - pdf.width()) / 2;
        const int missing = inkAlone(pdf, paper, centring);
        const int extra = inkAlone(paper, pdf, -centring);
        if (missing + extra > 0 || pdf.isNull())
            return QStringLiteral("page %1: %2 dots of ink not printed, %3 printed beyond")
                .arg(page)
                .arg(missing)
                .arg(extra);
    }
    return {};
}

} // namespace

class TestForms : public QObject {
    Q_OBJECT
private slots:
    // Every field of a form where the form's paper has its box, in its face,
    // with the text of the box it reads; nothing else on the page.
    void fieldsSitAndReadAsDescribed_data() { testing::addRows("forms/forms"); }
    void fieldsSitAndReadAsDescribed()
    {
        QFETCH(QString, form);
        QFETCH(QString, caption);
        QFETCH(QString, paper);
        QFETCH(QString, shapes);
        testing::Program p;
        EntryScreen &s = p.window->entryScreen();
        fill(s, false);
        const std::function<QDate()> clock = ArEk9::today();
        ArEk9::today() = [] { return QDate(2026, 3, 5); };
        const auto r = formNamed(form, s);
        r->run();
        ArEk9::today() = clock;
        const QVector<QStringList> table = testing::readTable("forms/" + form + ".tsv");
        QCOMPARE(r->fields.size(), table.size());
        QCOMPARE(shapes == "-" ? shapes : QString::number(r->shapes.size()), shapes);
        QCOMPARE(r->caption, caption);
        QCOMPARE(r->pageSettings.paperSize, paper == "A5" ? platform::PaperA5 : platform::PaperA4);
        const QRect sheet(QPoint(0, 0), platform::paperTwips(r->pageSettings.paperSize, 1));
        for (QStringList c : table) {
            const platform::ReportField *f = r->field(c[0]);
            QVERIFY2(f, qPrintable(c[0]));
            c[9] = expand(s, c[9]);
            const QRect &b = f->rect;
            const QStringList got { f->name, QString::number(b.left()), QString::number(b.top()),
                QString::number(b.width()), QString::number(b.height()),
                QString::number(f->pointSize), QString::number(f->bold),
                f->align == Qt::AlignHCenter     ? "C"
                    : f->align == Qt::AlignRight ? "R"
                    : f->align == Qt::AlignLeft  ? "L"
                                                 : "?",
                QString::number(f->multiLine), f->text };
            QCOMPARE(got.join('\t'), c.join('\t'));
            QCOMPARE(f->family, "Tahoma");
            // Within the paper at the default margins.
            QVERIFY2(
                sheet.contains(b.translated(r->pageSettings.leftMargin, r->pageSettings.topMargin)),
                qPrintable(c[0]));
        }
    }

    void formsMarkWhatTheClerkChose_data()
    {
        QTest::addColumn<QString>("form");
        QTest::addColumn<QStringList>("settings");
        QTest::addColumn<QStringList>("expected");
        for (QStringList row : testing::readTable("forms/marks.tsv")) {
            row.replaceInStrings("·", " ");
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
        for (const QString &setting : settings)
            setting == QLatin1String("run") ? r->run() : set(s, setting);
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
                QCOMPARE(marked, value.isEmpty() ? QStringList() : value.split(','));
            } else if (key == QLatin1String("blank")) {
                // "1-38,41-78" as the fields it covers
                for (const QString &range : value.split(',')) {
                    for (int n = range.section('-', 0, 0).toInt();
                         n <= range.section('-', -1).toInt(); ++n)
                        QVERIFY2(r->fieldText(QStringLiteral("Field%1").arg(n)).isEmpty(),
                            qPrintable(range));
                }
            } else {
                QVERIFY2(r->field(key), qPrintable(key));
                QCOMPARE(r->fieldText(key), value);
            }
        }
    }

    // While typing, the boxes the forms will cut are marked by the print's own
    // fitting; abbreviated to what the mark says fits, the form prints it whole.
    void boxesTheFormsWouldCutAreMarkedWhileTyping()
    {
        testing::Program p;
        EntryScreen &s = p.window->entryScreen();
        FitWatch watch(s, nullptr);
        const QString reason = QStringLiteral("ARAÇ YANGINDA TAMAMEN KULLANILAMAZ HALE GELDİĞİNDEN "
                                              "SİGORTA ŞİRKETİNİN ONAYI İLE HURDAYA AYRILMIŞTIR")
                                   .left(95);
        QWidget *box = s.txt(122)->widget();
        s.txt(122)->setText(reason);
        watch.checkNow();
        QVERIFY(s.marks().marked(box));
        const auto said = QRegularExpression("yaklaşık (\\d+) karakter").match(box->toolTip());
        QVERIFY2(said.hasMatch(), qPrintable(box->toolTip()));
        const int fits = said.captured(1).toInt();
        QVERIFY2(fits > 20 && fits < 95, qPrintable(box->toolTip()));
        ArTrafik front(s);
        front.fill();
        QVERIFY(platform::fitOf(*front.field("Field86")).cut);
        s.txt(122)->setText(reason.left(fits));
        watch.checkNow();
        QVERIFY(!s.marks().marked(box));
        front.fill();
        QVERIFY(!platform::fitOf(*front.field("Field86")).cut);

        // A father's name too long for one line: the three owners' boxes alike.
        ArTrafikArka back(s);
        for (int n = 1; n <= 3; ++n) {
            s.txt(EntryScreen::ownerBase(n))->setText(QString::number(n));
            s.txt(EntryScreen::ownerBase(n) + 3)
                ->setText(QStringLiteral("ABDÜLKADİR MUSTAFA "
                                         "KEMALETTİN ŞEMSETTİN"));
        }
        back.fill();
        QStringList shapes;
        for (int n = 1; n <= 3; ++n) {
            const auto &fit =
                platform::fitOf(*back.field(QStringLiteral("Field%1").arg(ek1BackField(n, 3))));
            shapes << QStringLiteral("%1 lines at %2 pt%3")
                          .arg(fit.lines.size())
                          .arg(fit.pointSize)
                          .arg(fit.cut ? ", cut" : "");
        }
        QCOMPARE(shapes.at(0), shapes.at(1));
        QCOMPARE(shapes.at(0), shapes.at(2));
        QVERIFY2(!shapes.at(0).contains("cut"), qPrintable(shapes.at(0)));
    }

    // The first print on a new desk stores its margins and sits where they put it.
    void theFirstPrintSitsWhereEveryLaterOneDoes()
    {
        testing::Program p;
        EntryScreen &s = p.window->entryScreen();
        QStringList placed;
        for (int run = 0; run < 2; ++run) {
            for (const char *name : { "ar_Trafik", "ar_TrafikArka", "ar_Ek9" }) {
                const auto form = formNamed(QLatin1String(name), s);
                form->run();
                const auto &m = form->pageSettings;
                placed << QStringLiteral("%1 %2 %3 %4 %5")
                              .arg(form->name)
                              .arg(m.leftMargin)
                              .arg(m.topMargin)
                              .arg(m.rightMargin)
                              .arg(m.bottomMargin);
            }
        }
        QCOMPARE(placed.mid(0, 3), placed.mid(3, 3));
    }

    void bloodGroupSplits()
    {
        testing::Program p;
        ArTrafikArka r(p.window->entryScreen());
        // "ABrh+", "0rh-" and no choice are printed by the marks table.
        for (const auto &[text, group, sign] : { std::array<const char *, 3> { "AB", "", "" },
                 std::array<const char *, 3> { "BRH-", "B", "-" } }) {
            r.group = "eski";
            r.KanGrubuAyir(QLatin1String(text));
            QCOMPARE(r.group + "|" + r.sign, QString(group) + "|" + sign);
        }
    }

    void printFramesOpenOnlyWithAnEngineNumber()
    {
        testing::Program p;
        EntryScreen &s = p.window->entryScreen();
        QList<Form> printed;
        p.window->printFrames().setPrinter([&](Form f) { printed << f; });
        auto click = [&](const char *button) { p.window->button(button)->click(); };
        s.txt(16)->setText("   ");
        click("cmdYazdir");
        click("XPButton5");
        QVERIFY(!s.FrmYazdir()->isVisibleTo(p.window.get()));
        QVERIFY(!s.Frame5()->isVisibleTo(p.window.get()));
        QVERIFY(s.sTabber()->isEnabled());

        s.txt(16)->setText("M1");
        s.txt(124)->setText("eski büro");
        s.txt(131)->setText("Noter");
        s.sprTarih(7)->setText("01.02.2020");
        click("cmdYazdir");
        QVERIFY(s.FrmYazdir()->isVisibleTo(p.window.get()));
        QVERIFY(!s.sTabber()->isEnabled());
        QCOMPARE(s.txt(124)->text() + "|" + s.txt(131)->text() + "|" + s.sprTarih(7)->text(),
            "|Noter|01.02.2020");
        s.txt(124)->setText("yeni");
        s.XPButton6()->click(); // İptal keeps what was typed
        QVERIFY(s.sTabber()->isEnabled());
        QCOMPARE(s.txt(124)->text(), "yeni");
        click("cmdYazdir");
        QCOMPARE(s.txt(124)->text(), QString());
        s.XPButton3()->click();
        QVERIFY(!s.FrmYazdir()->isVisibleTo(p.window.get()));
        QVERIFY(s.sTabber()->isEnabled());

        for (int i : { 125, 126, 127 })
            s.txt(i)->setText("x");
        click("XPButton5");
        QCOMPARE(s.txt(125)->text() + s.txt(126)->text() + s.txt(127)->text(), QString());
        s.XPButton7()->click();
        QCOMPARE(printed, (QList<Form> { Form::Ek1, Form::Ek9 }));
    }

    void everyTextStaysInItsBoxAtTheLongest()
    {
        testing::Program p;
        EntryScreen &s = p.window->entryScreen();
        fill(s, true);
        for (int i : { 11, 15, 20 })
            s.optX(i)->setChecked(true);
        for (int i = 0; i <= 10; ++i)
            s.chkX(i)->setCheckState(Qt::Checked);
        for (QRadioButton *o : { s.OptA(0), s.optC(1), s.optAdres(0), s.optTel(1) })
            o->setChecked(true);
        const AllForms all(s);
        const QVector<const platform::Report *> &pages = all.pages;
        const QString pdf = p.folder.path() + "/uzun.pdf";
        const QString doc = p.folder.path() + "/uzun.docx";
        QString error;
        QVERIFY2(platform::PdfExporter().write(pages, pdf, &error), qPrintable(error));
        QVERIFY2(platform::WordExporter().write(pages, doc, &error), qPrintable(error));
        // The Word file as a word processor lays it out, when one is installed,
        // on a machine that has none of the program's faces: the file brings them.
        QStringList outputs { pdf, testing::officeToPdf(doc, QString()) };
        if (outputs.last().isEmpty())
            qWarning("LibreOffice not installed: the Word file is not laid out");
        QVector<QVector<QRectF>> boxes; // every field's box on paper, in points
        for (const platform::Report *r : pages) {
            boxes.append(QVector<QRectF>());
            for (const auto &f : r->fields) {
                const QRectF paper(platform::fieldOnPaper(*r, f));
                boxes.last() << QRectF(paper.topLeft() / 20, paper.size() / 20);
            }
        }
        for (const QString &output : outputs.filter(".pdf")) {
            const testing::PdfText text = testing::readPdf(output);
            QCOMPARE(text.pages.size(), 3);
            for (int page = 0; page < 3; ++page) {
                const QStringList stray = strayWords(text, page, *pages[page]);
                QVERIFY2(stray.isEmpty(),
                    qPrintable(
                        QStringLiteral("%1 page %2: ").arg(output).arg(page) + stray.join("; ")));
                const QSizeF apart = text.pages[page] - testing::readPdf(pdf).pages[page];
                QVERIFY(qAbs(apart.width()) < 0.1 && qAbs(apart.height()) < 0.1);
            }
            // Word for word where the PDF has it: nothing wraps or moves.
            const QStringList missing = testing::missingWords(testing::readPdf(pdf), text);
            QVERIFY2(missing.isEmpty(), qPrintable(output + ": " + missing.join(", ")));
            QString where;
            const double worst = testing::inkDeviation(pdf, output, boxes, &where);
            QVERIFY2(worst >= 0 && worst <= 0.5,
                qPrintable(QStringLiteral("%1: %2 mm, %3").arg(output).arg(worst).arg(where)));
            qInfo("%s: ink within %.3f mm of the PDF's", qPrintable(output), worst);
        }
        // Every field a form fills, marks too, is named for the workbook's data sheet.
        for (const platform::Report *r : pages) {
            for (const auto &f : r->fields) {
                if (!f.text.trimmed().isEmpty())
                    QVERIFY2(!f.label.isEmpty() && f.label == f.label.trimmed(),
                        qPrintable(r->name + ' ' + f.name + " '" + f.label + "'"));
            }
        }
        // What was fitted is told by the entry screen's labels.
        const QStringList notes = platform::fitNotes(pages);
        QCOMPARE(notes.filter("Ticari Adı:").size(), 1);
        QVERIFY(!notes.filter("Mahalle/Köy (1. sahip)").isEmpty());
    }

    // A record's forms exported to Excel and printed from LibreOffice Calc on a
    // desk with the form's face: each sheet one page of the form's paper,
    // every field where the PDF puts it, in the PDF's lines; a text the PDF
    // cuts at its box is whole in its cell.
    void aWorkbookPrintsWhereThePdfDoes_data()
    {
        QTest::addColumn<bool>("longest");
        QTest::newRow("an ordinary record") << false;
        QTest::newRow("every box full, in the widest letters") << true;
    }
    void aWorkbookPrintsWhereThePdfDoes()
    {
        QFETCH(bool, longest);
        testing::Program p;
        EntryScreen &s = p.window->entryScreen();
        fill(s, longest);
        const AllForms all(s);
        const QVector<const platform::Report *> &pages = all.pages;
        const QString pdf = p.folder.path() + "/kayit.pdf";
        const QString book = p.folder.path() + "/kayit.xlsx";
        QString error;
        QVERIFY2(platform::PdfExporter().write(pages, pdf, &error), qPrintable(error));
        QVERIFY2(platform::ExcelExporter().write(pages, book, &error), qPrintable(error));
        const QString sheets = testing::officeToPdf(book, EVRAKMATIK_TEST_MDQ "/../fonts");
        if (sheets.isEmpty())
            QSKIP("LibreOffice Calc not installed: the workbook is not laid out");
        const testing::PdfText printed = testing::readPdf(pdf);
        const testing::PdfText text = testing::readPdf(sheets);
        QVERIFY(text.pages.size() >= 4); // three forms, then the data
        for (int page = 0; page < pages.size(); ++page) {
            const QSizeF apart = text.pages[page] - printed.pages[page];
            QVERIFY(qAbs(apart.width()) < 0.1 && qAbs(apart.height()) < 0.1);
            // Ink box by box, where the PDF draws the whole text; a text it
            // cuts is whole here, and may reach the tolerance beyond its box.
            QVector<QVector<QRectF>> boxes(page + 1), cut(page + 1);
            for (const auto &f : pages[page]->fields) {
                const QRectF paper(platform::fieldOnPaper(*pages[page], f));
                const QRectF box(paper.topLeft() / 20, paper.size() / 20);
                if (f.text.isEmpty())
                    continue;
                if (platform::fitOf(f).cut)
                    cut.last() << box.adjusted(-1.5, -1.5, 1.5, 1.5);
                else
                    boxes.last() << box;
            }
            QString where;
            const double worst = testing::inkDeviation(pdf, sheets, boxes, &where, cut);
            QVERIFY2(worst >= 0 && worst <= 0.5,
                qPrintable(
                    QStringLiteral("%1: %2 mm, %3").arg(pages[page]->name).arg(worst).arg(where)));
            qInfo("%s: ink within %.3f mm of the PDF's", qPrintable(pages[page]->name), worst);
            // Nothing hidden: every word of every box, a text the PDF cuts whole.
            for (const auto &f : pages[page]->fields) {
                for (const QString &word :
                    f.text.split(QRegularExpression("\\s+"), Qt::SkipEmptyParts))
                    QVERIFY2(text.find(word, page), qPrintable(f.name + ": " + word));
            }
        }
        // The data sheet: each label beside its value.
        const testing::PdfWord *label = text.find("Kutu", 3);
        const testing::PdfWord *value = text.find("Değer", 3);
        QVERIFY(label && value && qAbs(label->box.top() - value->box.top()) < 0.5);
    }

    // The accents of capitals stand above the line's ascent in a face that
    // reads its typographic metrics: "İsmail" showed as "|smail".
    void accentsOfCapitalsArePaintedOnScreen()
    {
        testing::Program p;
        for (int box : { 37, 41 }) { // a remarks box and a line box, selected
            records::TextBox *t = p.window->entryScreen().txt(box);
            // The rows of the box's picture that the text changes.
            auto rows = [&](const QString &a, const QString &b, bool select) {
                QImage shot[2];
                for (int i : { 0, 1 }) {
                    t->setText(i ? b : a);
                    if (auto *line = qobject_cast<QLineEdit *>(t->widget()); line && select)
                        line->selectAll();
                    if (auto *memo = qobject_cast<QPlainTextEdit *>(t->widget()); memo && select)
                        memo->selectAll();
                    shot[i] = t->widget()->grab().toImage();
                }
                QVector<int> differ;
                for (int y = 0; y < shot[0].height(); ++y) {
                    for (int x = 0; x < shot[0].width() && differ.value(differ.size() - 1, -1) != y;
                         ++x) {
                        if (shot[0].pixel(x, y) != shot[1].pixel(x, y))
                            differ << y;
                    }
                }
                return differ;
            };
            const QVector<int> ink = rows(QString(), "IGUSOC", false);
            QVERIFY(!ink.isEmpty());
            const QVector<int> differ = rows("IGUSOC", "İĞÜŞÖÇ", true);
            const auto accentRows =
                std::count_if(differ.begin(), differ.end(), [&](int y) { return y < ink.first(); });
            QVERIFY2(accentRows >= 2, qPrintable(QString::number(accentRows)));
        }
    }

    // Exported as PDF and printed to a real queue, from a stored record.
    void printsFromTheCommandLine()
    {
        testing::Program p;
        EntryScreen &s = p.window->entryScreen();
        s.txt(16)->setText("MTR-42");
        s.txt(3)->setText("34");
        s.txt(40)->setText("12345678901");
        s.txt(41)->setText("Şükrü");
        const QString id = QString::number(records::Kaydet(s, QString()));
        const QStringList sets { "--set", "txt124=Kadıköy Şubesi", "--set", "sprTarih7=05.03.2024",
            "--set", "txt10=" + QString(60, 'W') };
        const QString dir = p.folder.path();
        auto run = [&](const QStringList &args, const QProcessEnvironment &env = {}) {
            return testing::runProgram(p.folder, args, env);
        };
        testing::ProgramRun ran =
            run(QStringList { "--print-pdf", "ek1", "--id", id, "--out", dir + "/ek1.pdf" } + sets);
        QCOMPARE(ran.code, 0);
        // The fitted fields are named on standard error; the PDF is right.
        const QString told = ran.errors;
        QVERIFY2(told.contains("Ticari Adı: "), qPrintable(told));
        QVERIFY(!told.contains("MOTOR NO"));
        const testing::PdfText pdf = testing::readPdf(dir + "/ek1.pdf");
        QCOMPARE(pdf.pages.size(), 2);
        // Both pages at the default left margins, the record's and the set texts printed.
        const auto *engine = pdf.find("MTR-42", 0); // Field40, left aligned
        const auto *id1 = pdf.find("12345678901", 1); // back page Field1
        QVERIFY(engine && id1 && pdf.find("Şükrü", 0) && pdf.find("Kadıköy", 0));
        QVERIFY(qAbs(engine->box.left() - (850 + 690) / 20.0) < 1.5);
        QVERIFY(qAbs(id1->box.left() - (793 + 1455) / 20.0) < 1.5);
        QCOMPARE(run({ "--print-pdf", "ek9", "--id", id, "--out", dir + "/ek9.pdf" }).code, 0);
        const testing::PdfText ek9 = testing::readPdf(dir + "/ek9.pdf");
        QCOMPARE(ek9.pages.size(), 1);
        QVERIFY(ek9.find(QString::number(QDate::currentDate().year()), 0)); // the real clock

        // Failures say why on one line and write nothing.
        const QString none = dir + "/yok.pdf";
        ran = run({ "--print-pdf", "ek1", "--id", "999", "--out", none });
        QVERIFY(ran.code != 0 && ran.errors.contains("999"));
        for (const QStringList &bad : { QStringList { "ek5", "--id", id, "--out", none },
                 { "ek1", "--id", id, "--out", none, "--set", "txt999=x" },
                 { "ek1", "--id", id, "--out", none, "--set", "txt99999999999=x" },
                 { "ek1", "--id", id, "--out", none, "--set", "sprTarih1=31.02.2020" },
                 { "ek1", "--id", id, "--out", dir + "/yok/klasor/a.pdf" } })
            QVERIFY2(run(QStringList { "--print-pdf" } + bad).code != 0, qPrintable(bad.join(' ')));
        QVERIFY(!QFile::exists(none));

        CupsPdfQueue cups;
        if (!cups.why.isEmpty())
            QSKIP(qPrintable(cups.why));
        // The margins are now the stored whole millimetres, read by the
        // export and the print alike.
        for (const char *form : { "ek9", "ek1" }) {
            const QString exported = dir + "/" + form + "-yeniden.pdf";
            QCOMPARE(run(QStringList { "--print-pdf", form, "--id", id, "--out", exported } + sets,
                         cups.environment())
                         .code,
                0);
            QCOMPARE(
                run(QStringList { "--print", form, "--id", id, "--printer", CupsPdfQueue::kQueue }
                        + sets,
                    cups.environment())
                    .code,
                0);
            const QString printed = cups.takePdf();
            QVERIFY2(!printed.isEmpty(), form);
            // The job carries the form's paper to the hundredth of a point.
            const testing::PdfText job = testing::readPdf(cups.takeJob());
            QCOMPARE(job.pages.size(), form == QLatin1String("ek9") ? 1 : 2);
            for (const QSizeF &page : job.pages) {
                const QSizeF iso =
                    form == QLatin1String("ek9") ? QSizeF(419.53, 595.28) : QSizeF(595.28, 841.89);
                QVERIFY2(qAbs(page.width() - iso.width()) < 0.01
                        && qAbs(page.height() - iso.height()) < 0.01,
                    qPrintable(QStringLiteral("%1 × %2").arg(page.width()).arg(page.height())));
            }
            const testing::PdfText paper = testing::readPdf(printed);
            QCOMPARE(paper.pages.size(), form == QLatin1String("ek9") ? 1 : 2);
            QVERIFY(
                qAbs(paper.pages[0].width() - (form == QLatin1String("ek9") ? 420 : 595)) < 1.5);
            const QString apart = printedAsExported(printed, exported);
            QVERIFY2(apart.isEmpty(), qPrintable(apart));
        }
        // A queue that is not there: said, nothing printed.
        ran = run({ "--print", "ek9", "--id", id, "--printer", "yok" }, cups.environment());
        QVERIFY(ran.code != 0 && ran.errors.contains("yok"));
        // A queue that rejects jobs: said, not taken for a print.
        QProcess reject;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(cups.environment());
        reject.setProcessEnvironment(env);
        reject.start("cupsreject", { CupsPdfQueue::kQueue });
        QVERIFY(reject.waitForFinished(30000) && reject.exitCode() == 0);
        ran = run({ "--print", "ek9", "--id", id, "--printer", CupsPdfQueue::kQueue },
            cups.environment());
        QVERIFY2(ran.code != 0 && ran.errors.contains("kabul etmiyor"), qPrintable(ran.errors));
    }
};

QTEST_MAIN(TestForms)
#include "tst_forms.moc"
