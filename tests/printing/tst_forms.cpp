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
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

using namespace printing;
using records::EntryScreen;

namespace {

// The EK-1 front page as the form's description gives it: field, left, top,
// width, height, size, bold, alignment, and where the text comes from
// (txt N, spr N for a date cell, cmb N for a combo's text, owner A B for
// "txt A, a blank, txt B", proxy for the date and number, or a mark).
const char *const kFront[] = {
    "1 705 3270 300 315 10 0 C chk 0",
    "2 1950 3270 300 315 10 1 C chk 1",
    "3 3120 3270 300 315 10 1 C chk 2",
    "4 4320 3270 300 315 10 1 C chk 3",
    "5 795 3630 300 315 10 1 C chk 4",
    "6 1950 3630 300 315 10 1 C chk 5",
    "7 3120 3630 300 315 10 1 C chk 6",
    "8 4320 3630 300 315 10 1 C chk 7",
    "9 1290 3975 303 321 10 1 C chk 8",
    "10 2070 3960 303 321 10 1 C chk 9",
    "11 825 4245 300 315 10 1 C chk 10",
    "12 1005 4860 585 321 10 1 C txt 0",
    "13 1860 4860 1149 321 10 1 C txt 1",
    "14 3240 4860 1425 315 10 1 C txt 2",
    "15 1005 5250 585 321 10 1 C txt 3",
    "16 1860 5250 1155 315 10 1 C txt 4",
    "17 3240 5250 1431 321 10 1 C txt 5",
    "18 1425 5625 303 321 10 1 C opt 11",
    "19 2340 5625 300 315 10 1 C opt 12",
    "20 3285 5625 300 315 10 1 C opt 13",
    "21 4395 5625 300 315 10 1 C opt 14",
    "22 1275 6075 3405 321 10 1 L txt 6",
    "23 1005 6465 3687 321 10 1 L txt 7",
    "24 1005 6840 1713 321 10 1 C spr 0",
    "25 2985 6840 1710 315 10 1 C txt 8",
    "26 1005 7335 1710 315 10 1 C empty",
    "27 1005 7695 1710 315 10 1 C empty",
    "28 1005 8055 1713 321 10 1 C spr 1",
    "29 2985 7335 1710 315 10 1 C empty",
    "30 2985 7695 1710 315 10 1 C empty",
    "31 2985 8055 1710 315 10 1 C txt 9",
    "32 690 8760 4815 315 10 1 L cmb 0",
    "33 690 9075 4815 321 10 1 L cmb 1",
    "34 690 9396 2415 315 10 1 L txt 10",
    "35 3180 9390 1428 315 10 1 C txt 11",
    "36 4935 9390 579 315 10 1 C txt 12",
    "37 690 9711 4815 315 10 1 L txt 13",
    "38 690 10026 4815 315 10 1 L txt 14",
    "39 690 10341 4815 315 10 1 L txt 15",
    "40 690 10656 4815 315 10 1 L txt 16",
    "41 690 10971 4815 315 10 1 L txt 17",
    "42 870 11355 1710 315 10 1 C txt 18",
    "43 870 11715 1710 315 10 1 C txt 20",
    "44 870 12075 579 315 10 1 C txt 22",
    "45 870 12450 1710 315 10 1 C txt 24",
    "46 870 12825 1710 315 10 1 C txt 26",
    "47 3780 11355 1425 315 10 1 C txt 19",
    "48 3780 11715 1425 315 10 1 C txt 21",
    "49 3780 12090 720 315 10 1 C txt 23",
    "50 3780 12465 1710 315 10 1 C txt 25",
    "51 3780 12840 1710 315 10 1 C txt 27",
    "52 1425 13275 300 315 10 1 C opt 15",
    "53 2145 13275 300 315 10 1 C opt 16",
    "54 3045 13275 300 315 10 1 C opt 17",
    "55 3855 13275 300 315 10 1 C opt 18",
    "56 5325 13275 300 315 10 1 C opt 19",
    "57 1110 13650 300 315 10 1 C opt 20",
    "58 1800 13650 300 315 10 1 C opt 21",
    "59 2535 13650 300 315 10 1 C opt 22",
    "60 3300 13650 300 315 10 1 C opt 23",
    "61 4035 13650 300 315 10 1 C opt 24",
    "62 4710 13650 300 315 10 1 C opt 25",
    "63 5325 13650 300 315 10 1 C opt 26",
    "64 4545 14070 300 315 10 1 C tacho",
    "65 5325 14055 300 315 10 1 C tacho0",
    "66 870 14055 579 315 10 1 C txt 28",
    "67 2055 14055 720 315 10 1 C txt 29",
    "68 5805 9150 4065 2133 10 1 L txt 36",
    "69 5850 11895 1950 1146 10 1 L txt 37",
    "70 8085 11895 1815 1140 10 1 L txt 38",
    "71 5895 13770 3924 1146 10 1 L txt 39",
    "72 6000 3510 3966 315 10 1 C txt 128",
    "73 6000 3900 1290 315 10 1 R spr 6",
    "74 8250 3900 1710 315 10 1 C txt 130",
    "75 6525 4335 3405 321 10 1 L txt 30",
    "76 5940 4995 3267 315 10 1 L txt 31",
    "77 5940 5340 3270 315 10 1 L txt 32",
    "78 5940 5700 1425 315 10 1 C spr 2",
    "79 7965 5700 723 315 10 1 C txt 33",
    "80 8985 5700 723 315 10 1 C txt 34",
    "81 5940 6075 1425 315 10 1 C txt 35",
    "82 375 2130 5370 315 10 1 L owner 41 42",
    "83 375 2445 5373 315 10 1 L owner 68 69",
    "84 375 2760 5370 315 10 1 L owner 95 96",
    "85 2925 3975 1713 321 8.5 1 L txt 121",
    "86 2025 4275 2559 321 8.5 1 L txt 122",
    "87 4380 13275 870 315 8.5 1 L txt 123",
    "88 375 765 2280 315 8.5 1 L txt 124",
    "89 4950 6645 2142 315 8.5 1 L txt 124",
    "90 7245 1440 2562 315 8.5 1 L txt 131",
    "91 7410 1755 2421 315 8.5 1 L proxy",
    "92 7410 2055 2421 315 8.5 1 L txt 133",
    "93 7245 2400 2562 645 8.5 1 L txt 134",
};

// The EK-1 back page per owner column: offset j, lefts of the three columns,
// top, width, height (first column; "a/b" gives owner 1 / owners 2 and 3), and
// the source relative to the owner's base index.
const char *const kBack[] = {
    "0 1455/4395/7335 765 2775 315 L txt 0",
    "1 1455/4395/7335 1170/1177 2775 465 L txt 1",
    "2 1455/4395/7335 1739/1740 2775 465 L txt 2",
    "3 1455/4395/7335 2295/2301 2775 400/405 L txt 3",
    "4 1455/4395/7335 2798 2775 400 L txt 4",
    "5 1455/4395/7335 3225 2775 390 L txt 5",
    "6 2025/4965/7905 390 375 315 C kind",
    "7 3630/6600/9555 390 375 315 C legal",
    "8 1380/4320/7260 3645 1500 390 C birth",
    "9 2505/5445/8385 4125 375 315 C woman",
    "10 1680/4620/7560 4125 375 315 C man",
    "11 3000/5940/8880 4095 525 315 C group",
    "12 4065/7005/9945 4095 200 315 C sign",
    "13 1410/4335/7320 4605 375 315 C tc",
    "14 1710/4650/7635 4605 375 315 C other",
    "15 1455/4395/7335 5025 2775 315 L txt 6",
    "16 1455/4395/7335 5415 2775 315 L txt 7",
    "17 1455/4395/7335 5820 2775 315 L txt 8",
    "18 1380/4320/7260 6255 1080 315 C txt 9",
    "19 2505/5445/8385 6255 1365 315 C txt 10",
    "20 1455/4395/7335 6660 1365 315 L txt 11",
    "21 1455/4395/7335 7050 1365 315 L txt 12",
    "22 1455/4395/7335 7440 1365 315 L txt 13",
    "23 3555/6435/9510 7950 375 315 C work",
    "24 2115/5040/8055 7950 375 315 C home",
    "25 1455/4395/7335 8325 2775 315 L txt 14",
    "26 1455/4395/7335 8685 2775 315 L txt 15",
    "27 1455/4395/7335 9075 2775 315 L txt 16",
    "28 1455/4395/7335 9480 2775 315 L txt 17",
    "29 1455/4395/7335 9870 2775 315 L txt 18",
    "30 1455/4395/7335 10260 2775 315 L txt 19",
    "31 1455/4395/7335 10650 2775 315 L txt 20",
    "32 1455/4395/7335 11040 2775 315 L txt 21",
    "33 1455/4395/7335 11430 2775 315 L txt 22",
    "34 1800/4740/7680 11925 807/810 315 C txt 23",
    "35 2730/5670/8610 11925 1359/1365 315 C txt 24",
    "36 1800/4740/7680 12285 810 315 C txt 25",
    "37 2730/5670/8610 12285 1365 315 C txt 26",
};

const char *const kEk9[] = {
    "1 3330 2370 4185 315 9 0 L txt 13",
    "2 3330 2802 4185 315 9 0 L cmb 0",
    "3 3330 3234 4185 315 9 0 L txt 11",
    "4 3330 3666 4185 315 9 0 L cmb 1",
    "5 3330 4098 4185 315 9 0 L txt 14",
    "6 3330 4530 4185 315 9 0 L txt 17",
    "7 3330 4962 4185 315 9 0 L txt 16",
    "8 825 6090 2205 315 9 0 C empty",
    "9 3120 6090 2211 315 9 0 C plate 3",
    "10 5445 6090 2205 315 9 0 C empty",
    "11 825 7305 2205 315 9 0 C empty",
    "12 3120 7305 2205 315 9 0 C plate 0",
    "13 5445 7305 2205 315 9 0 C txt 9",
    "14 630 8085 3903 315 9 0 L owner 41 42",
    "15 6300 8865 414 315 9 0 R day",
    "16 6810 8865 325 315 9 0 C month",
    "17 7215 8865 555 315 9 0 C year",
    "88 495 270 1965 315 8.5 1 R txt 125",
    "89 465 990 1740 315 8.5 1 R txt 126",
    "90 6660 720 1017 315 8.5 1 C txt 127",
};

Qt::Alignment alignOf(const QString &a)
{
    return a == QLatin1String("C") ? Qt::AlignHCenter
        : a == QLatin1String("R")  ? Qt::AlignRight
                                   : Qt::AlignLeft;
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

QString source(EntryScreen &s, const QStringList &p, int at)
{
    const QString kind = p.value(at);
    if (kind == QLatin1String("txt"))
        return s.txt(p.value(at + 1).toInt())->text();
    if (kind == QLatin1String("spr"))
        return s.sprTarih(p.value(at + 1).toInt())->text();
    if (kind == QLatin1String("cmb"))
        return s.cmbX(p.value(at + 1).toInt())->currentText();
    if (kind == QLatin1String("owner"))
        return s.txt(p.value(at + 1).toInt())->text() + QLatin1Char(' ')
            + s.txt(p.value(at + 2).toInt())->text();
    if (kind == QLatin1String("plate")) {
        const int b = p.value(at + 1).toInt();
        return s.txt(b)->text() + QLatin1Char(' ') + s.txt(b + 1)->text() + QLatin1Char(' ')
            + s.txt(b + 2)->text();
    }
    if (kind == QLatin1String("proxy"))
        return s.sprTarih(7)->text() + QStringLiteral(" / ") + s.txt(132)->text();
    return QStringLiteral("?");
}

int pick(const QString &spec, int owner)
{
    const QStringList parts = spec.split(QLatin1Char('/'));
    if (parts.size() == 3)
        return parts[owner - 1].toInt();
    if (parts.size() == 2)
        return (owner == 1 ? parts[0] : parts[1]).toInt();
    return parts[0].toInt();
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
        write(QStringLiteral("/cupsd.conf"),
            QStringLiteral(
                "Listen %1/cups.sock\nLogLevel warn\nWebInterface No\n"
                "<Policy default>\n<Limit All>\nOrder deny,allow\n</Limit>\n</Policy>\n"));
        write(QStringLiteral("/cups-files.conf"),
            QStringLiteral("ServerRoot %1/root\nRequestRoot %1/spool\nTempDir %1/tmp\n"
                           "CacheDir %1/cache\nStateDir %1/state\nServerBin /usr/lib/cups\n"
                           "DataDir /usr/share/cups\nAccessLog %1/log/access_log\n"
                           "ErrorLog %1/log/error_log\nPageLog %1/log/page_log\n"
                           "User lp\nGroup lp\nSystemGroup root\n"));
        QFile queue(settings_);
        if (!queue.open(QIODevice::WriteOnly)) {
            why = QStringLiteral("cannot write ") + settings_;
            return;
        }
        queue.write(QStringLiteral("Out %1/out\nAnonDirName %1/out\nSpool %1/pdf\nLog %1/log\n")
                        .arg(root_)
                        .toUtf8());
        queue.close();
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
    void write(const QString &name, const QString &text)
    {
        QFile f(root_ + name);
        if (f.open(QIODevice::WriteOnly))
            f.write(text.arg(root_).toUtf8());
    }
    QTemporaryDir dir_;
    QString root_;
    QString settings_;
    QProcess cupsd_;
    QStringList taken_;
};

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
    void frontPageFieldsSitAndReadAsDescribed()
    {
        testing::Program p;
        EntryScreen &s = p.window->entryScreen();
        fillDistinct(s);
        ArTrafik r(s);
        r.run();
        QCOMPARE(r.fields.size(), 93);
        QCOMPARE(r.shapes.size(), 10);
        for (const char *row : kFront) {
            const QStringList c = QString::fromLatin1(row).split(QLatin1Char(' '));
            const platform::ReportField *f = r.field(QStringLiteral("Field") + c[0]);
            QVERIFY2(f, row);
            QCOMPARE(f->rect, QRect(c[1].toInt(), c[2].toInt(), c[3].toInt(), c[4].toInt()));
            QCOMPARE(f->pointSize, c[5].toDouble());
            QCOMPARE(f->bold, c[6] == QLatin1String("1"));
            QCOMPARE(f->align, alignOf(c[7]));
            QCOMPARE(f->family, QStringLiteral("Tahoma"));
            const QString kind = c[8];
            if (kind == QLatin1String("chk") || kind == QLatin1String("opt")
                || kind == QLatin1String("empty") || kind == QLatin1String("tacho"))
                QVERIFY2(f->text.isEmpty(), row); // nothing ticked or chosen yet
            else if (kind == QLatin1String("tacho0"))
                QCOMPARE(f->text, QStringLiteral("X")); // the window opens on "YOK"
            else
                QCOMPARE(f->text, source(s, c, 8));
        }
        QCOMPARE(r.caption, QStringLiteral("EVRAKMATİK EK-1 (ön sayfa)"));
    }

    void marksFollowTicksAndOptions()
    {
        testing::Program p;
        EntryScreen &s = p.window->entryScreen();
        for (int i : { 0, 4, 10 })
            s.chkX(i)->setChecked(true);
        s.chkX(5)->setCheckState(Qt::PartiallyChecked);
        s.optX(13)->setChecked(true);
        s.optX(19)->setChecked(true);
        s.optX(20)->setChecked(true);
        ArTrafik r(s);
        r.run();
        QStringList marked;
        for (const auto &f : r.fields) {
            if (f.text == QLatin1String("X"))
                marked << f.name;
        }
        QCOMPARE(marked,
            (QStringList {
                "Field1", "Field5", "Field11", "Field20", "Field56", "Field57", "Field65" }));
        // A second run of the same report gives the same page.
        s.chkX(0)->setChecked(false);
        r.run();
        QVERIFY(r.fieldText(QStringLiteral("Field1")).isEmpty());
    }

    void tachographMarks_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("f64");
        QTest::addColumn<QString>("f65");
        QTest::newRow("YOK") << 0 << ""
                             << "X";
        QTest::newRow("VAR") << 1 << "X"
                             << "";
        QTest::newRow("no choice") << -1 << "X"
                                   << "";
    }
    void tachographMarks()
    {
        QFETCH(int, index);
        QFETCH(QString, f64);
        QFETCH(QString, f65);
        testing::Program p;
        EntryScreen &s = p.window->entryScreen();
        s.cmbX(2)->setCurrentIndex(index);
        ArTrafik r(s);
        r.run();
        QCOMPARE(r.fieldText(QStringLiteral("Field64")), f64);
        QCOMPARE(r.fieldText(QStringLiteral("Field65")), f65);
    }

    void emptyBoxesPrintNothingButTheJoiningBlanks()
    {
        testing::Program p;
        EntryScreen &s = p.window->entryScreen();
        s.txt(41)->setText(QStringLiteral("Ayşe"));
        s.txt(132)->setText(QStringLiteral("77"));
        s.txt(124)->setText(QStringLiteral("  Şube  "));
        ArTrafik r(s);
        r.run();
        QCOMPARE(r.fieldText(QStringLiteral("Field82")), QStringLiteral("Ayşe "));
        QCOMPARE(r.fieldText(QStringLiteral("Field83")), QStringLiteral(" "));
        QCOMPARE(r.fieldText(QStringLiteral("Field91")), QStringLiteral(" / 77"));
        QCOMPARE(r.fieldText(QStringLiteral("Field88")), QStringLiteral("  Şube  "));
        QCOMPARE(r.fieldText(QStringLiteral("Field89")), r.fieldText(QStringLiteral("Field88")));
    }

    void backPageColumnsSitAndReadAsDescribed()
    {
        testing::Program p;
        EntryScreen &s = p.window->entryScreen();
        fillDistinct(s);
        ArTrafikArka r(s);
        r.run();
        QCOMPARE(r.fields.size(), 116);
        for (int n : { 79, 80, 119, 120 })
            QVERIFY(!r.field(QStringLiteral("Field%1").arg(n)));
        for (int owner = 1; owner <= 3; ++owner) {
            const int b = EntryScreen::ownerBase(owner);
            for (const char *row : kBack) {
                const QStringList c = QString::fromLatin1(row).split(QLatin1Char(' '));
                const int number = 40 * (owner - 1) + 1 + c[0].toInt();
                const platform::ReportField *f = r.field(QStringLiteral("Field%1").arg(number));
                QVERIFY2(f, row);
                QCOMPARE(f->rect,
                    QRect(pick(c[1], owner), pick(c[2], owner), pick(c[3], owner),
                        pick(c[4], owner)));
                QCOMPARE(f->pointSize, 9.0);
                QCOMPARE(f->bold, number != 1);
                QCOMPARE(f->align, alignOf(c[5]));
                if (c[6] == QLatin1String("txt"))
                    QCOMPARE(f->text, s.txt(b + c[7].toInt())->text());
                else if (c[6] == QLatin1String("birth"))
                    QCOMPARE(f->text, s.sprTarih(owner + 2)->text());
                else
                    QVERIFY2(f->text.isEmpty(), row); // no pair, list or group chosen
            }
        }
        QCOMPARE(r.field(QStringLiteral("Field39"))->rect, QRect(1035, 11970, 375, 315));
        QCOMPARE(r.field(QStringLiteral("Field40"))->rect, QRect(585, 11970, 375, 315));
        QCOMPARE(r.caption, QStringLiteral("EVRAKMATİK EK-1 (arka sayfa)"));
    }

    void backPageMarksPairsListsAndGroups()
    {
        testing::Program p;
        EntryScreen &s = p.window->entryScreen();
        for (int n = 1; n <= 3; ++n)
            s.txt(EntryScreen::ownerBase(n))->setText(QStringLiteral("id%1").arg(n));
        s.OptA(0)->setChecked(true); // owner 1 ŞAHIS
        s.OptA(3)->setChecked(true); // owner 2 TÜZEL KİŞİ
        s.optC(1)->setChecked(true); // owner 1 Erkek
        s.optC(4)->setChecked(true); // owner 3 Kadın
        s.optAdres(2)->setChecked(true); // owner 2 İŞYERİ
        s.optAdres(5)->setChecked(true); // owner 3 EV
        s.cmbX(4)->setCurrentIndex(0); // owner 1 TC
        s.cmbX(8)->setCurrentIndex(1); // owner 2 DİĞER
        s.cmbX(3)->setCurrentIndex(0); // ABrh+
        s.cmbX(6)->setCurrentIndex(7); // 0rh-
        ArTrafikArka r(s);
        r.run();
        auto f = [&r](int n) { return r.fieldText(QStringLiteral("Field%1").arg(n)); };
        QCOMPARE(f(7), QStringLiteral("X"));
        QCOMPARE(f(8), QString());
        QCOMPARE(f(48), QStringLiteral("X"));
        QCOMPARE(f(11), QStringLiteral("X"));
        QCOMPARE(f(90), QStringLiteral("X"));
        QCOMPARE(f(64), QStringLiteral("X"));
        QCOMPARE(f(105), QStringLiteral("X"));
        QCOMPARE(f(14), QStringLiteral("X"));
        QCOMPARE(f(15), QString());
        QCOMPARE(f(54), QString());
        QCOMPARE(f(55), QStringLiteral("X"));
        QCOMPARE(f(94), QString()); // no nationality chosen
        QCOMPARE(f(95), QString());
        QCOMPARE(f(12), QStringLiteral("AB"));
        QCOMPARE(f(13), QStringLiteral("+"));
        QCOMPARE(f(52), QStringLiteral("0"));
        QCOMPARE(f(53), QStringLiteral("-"));
        QCOMPARE(f(92), QString());
        QCOMPARE(f(93), QString());
    }

    void bloodGroupSplits_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("group");
        QTest::addColumn<QString>("sign");
        // "ABrh+", "0rh-" and no choice are printed by the back-page test.
        QTest::newRow("no rh") << "AB"
                               << ""
                               << "";
        QTest::newRow("upper RH") << "BRH-"
                                  << "B"
                                  << "-";
    }
    void bloodGroupSplits()
    {
        QFETCH(QString, text);
        QFETCH(QString, group);
        QFETCH(QString, sign);
        testing::Program p;
        ArTrafikArka r(p.window->entryScreen());
        r.group = QStringLiteral("eski");
        r.KanGrubuAyir(text);
        QCOMPARE(r.group, group);
        QCOMPARE(r.sign, sign);
    }

    void anOwnerWithoutIdentityPrintsNothing()
    {
        testing::Program p;
        EntryScreen &s = p.window->entryScreen();
        s.txt(41)->setText(QStringLiteral("Adı var"));
        s.OptA(0)->setChecked(true);
        s.txt(67)->setText(QStringLiteral("  "));
        s.txt(68)->setText(QStringLiteral("İkinci"));
        s.txt(94)->setText(QStringLiteral("333"));
        ArTrafikArka r(s);
        r.run();
        for (int n = 1; n <= 78; ++n) {
            if (n != 39 && n != 40)
                QVERIFY2(r.fieldText(QStringLiteral("Field%1").arg(n)).isEmpty(),
                    qPrintable(QString::number(n)));
        }
        QCOMPARE(r.fieldText(QStringLiteral("Field81")), QStringLiteral("333"));
    }

    void firstOwnersPhoneKindIsMarkedByEveryOwner_data()
    {
        QTest::addColumn<int>("owner");
        QTest::addColumn<int>("option");
        QTest::addColumn<QString>("f39");
        QTest::addColumn<QString>("f40");
        for (int owner = 1; owner <= 3; ++owner) {
            QTest::addRow("owner %d İŞYERİ", owner) << owner << 0 << "X"
                                                    << "";
            QTest::addRow("owner %d EV", owner) << owner << 1 << ""
                                                << "X";
            QTest::addRow("owner %d none", owner) << owner << -1 << ""
                                                  << "";
        }
    }
    void firstOwnersPhoneKindIsMarkedByEveryOwner()
    {
        QFETCH(int, owner);
        QFETCH(int, option);
        QFETCH(QString, f39);
        QFETCH(QString, f40);
        testing::Program p;
        EntryScreen &s = p.window->entryScreen();
        s.txt(EntryScreen::ownerBase(owner))->setText(QStringLiteral("1"));
        // Only the first owner's pair counts, whoever's column is printed.
        if (owner != 1)
            s.optTel(2 * owner - 2)->setChecked(true);
        if (option >= 0)
            s.optTel(option)->setChecked(true);
        ArTrafikArka r(s);
        r.run();
        QCOMPARE(r.fieldText(QStringLiteral("Field39")), f39);
        QCOMPARE(r.fieldText(QStringLiteral("Field40")), f40);
    }

    void ek9FieldsSitAndReadAsDescribed()
    {
        testing::Program p;
        EntryScreen &s = p.window->entryScreen();
        fillDistinct(s);
        ArEk9::today() = [] { return QDate(2026, 3, 5); };
        ArEk9 r(s);
        r.run();
        ArEk9::today() = [] { return QDate::currentDate(); };
        QCOMPARE(r.fields.size(), 20);
        QCOMPARE(r.pageSettings.paperSize, int(platform::PaperA5));
        QCOMPARE(r.caption, QStringLiteral("EVRAKMATİK (EK-9)"));
        for (const char *row : kEk9) {
            const QStringList c = QString::fromLatin1(row).split(QLatin1Char(' '));
            const platform::ReportField *f = r.field(QStringLiteral("Field") + c[0]);
            QVERIFY2(f, row);
            QCOMPARE(f->rect, QRect(c[1].toInt(), c[2].toInt(), c[3].toInt(), c[4].toInt()));
            QCOMPARE(f->pointSize, c[5].toDouble());
            QCOMPARE(f->bold, c[6] == QLatin1String("1"));
            QCOMPARE(f->align, alignOf(c[7]));
            const QString kind = c[8];
            if (kind == QLatin1String("empty"))
                QVERIFY(f->text.isEmpty());
            else if (kind == QLatin1String("day"))
                QCOMPARE(f->text, QStringLiteral("5"));
            else if (kind == QLatin1String("month"))
                QCOMPARE(f->text, QStringLiteral("3"));
            else if (kind == QLatin1String("year"))
                QCOMPARE(f->text, QStringLiteral("2026"));
            else
                QCOMPARE(f->text, source(s, c, 8));
        }
    }

    void ek9WithEmptyPlatesPrintsTheBlanks()
    {
        testing::Program p;
        EntryScreen &s = p.window->entryScreen();
        s.txt(41)->setText(QStringLiteral("Ali"));
        ArEk9 r(s);
        r.run();
        QCOMPARE(r.fieldText(QStringLiteral("Field9")), QStringLiteral("  "));
        QCOMPARE(r.fieldText(QStringLiteral("Field12")), QStringLiteral("  "));
        QCOMPARE(r.fieldText(QStringLiteral("Field14")), QStringLiteral("Ali "));
    }

    void defaultMarginsKeepEveryFieldOnItsPaper()
    {
        testing::Program p;
        EntryScreen &s = p.window->entryScreen();
        ArTrafik front(s);
        ArTrafikArka back(s);
        ArEk9 ek9(s);
        for (platform::Report *r :
            std::initializer_list<platform::Report *> { &front, &back, &ek9 }) {
            r->run();
            const QSize paper = platform::paperTwips(r->pageSettings.paperSize, 1);
            for (const auto &f : r->fields) {
                const QRect on =
                    f.rect.translated(r->pageSettings.leftMargin, r->pageSettings.topMargin);
                QVERIFY2(QRect(QPoint(0, 0), paper).contains(on), qPrintable(r->name + f.name));
            }
        }
        // The defaults went to the margins file, one section per form.
        QCOMPARE(currentMargins().sol, 0); // EK-9 ran last: 56 twips is 0 mm
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
        ArTrafik front(s);
        ArTrafikArka back(s);
        ArEk9 ek9(s);
        const QVector<const platform::Report *> pages { &front, &back, &ek9 };
        for (platform::Report *r : { static_cast<platform::Report *>(&front),
                 static_cast<platform::Report *>(&back), static_cast<platform::Report *>(&ek9) })
            r->run();
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
    void accentsOfCapitalsArePaintedOnScreen_data()
    {
        QTest::addColumn<int>("box");
        QTest::addColumn<bool>("selected");
        QTest::newRow("selected remarks box") << 37 << true;
        QTest::newRow("selected line box") << 41 << true;
    }
    void accentsOfCapitalsArePaintedOnScreen()
    {
        QFETCH(int, box);
        QFETCH(bool, selected);
        testing::Program p;
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
        const QVector<int> differ = rowsThatDiffer(shot(plain, selected), shot(accented, selected));
        const auto accentRows =
            std::count_if(differ.begin(), differ.end(), [&](int y) { return y < capitalsTop; });
        QVERIFY2(accentRows >= 2, qPrintable(QString::number(accentRows)));
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
        const QString program =
            QStringLiteral(EVRAKMATIK_TEST_MDQ) + QStringLiteral("/../evrakmatik");
        QProcess run;
        run.setProcessEnvironment(cups.environment());
        auto evrakmatik = [&](QStringList args) {
            run.start(program,
                QStringList { QStringLiteral("--program-folder"), p.folder.path(),
                    QStringLiteral("--margin-folder"), p.folder.marginFolder() }
                    + args);
            run.waitForFinished(60000);
            return run.exitCode();
        };
        for (const char *form : { "ek9", "ek1" }) {
            const QString exported = p.folder.path() + QStringLiteral("/%1.pdf").arg(form);
            // Twice: the first run of a form stores its margins in whole
            // millimetres, which every later run reads.
            for (int i = 0; i < 2; ++i)
                QCOMPARE(evrakmatik({ "--print-pdf", form, "--id", QString::number(id), "--out",
                             exported, "--set", "txt124=Kadikoy" }),
                    0);
            QCOMPARE(evrakmatik({ "--print", form, "--id", QString::number(id), "--printer",
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
        QVERIFY(
            evrakmatik({ "--print", "ek9", "--id", QString::number(id), "--printer", "yok" }) != 0);
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
        const QString program =
            QStringLiteral(EVRAKMATIK_TEST_MDQ) + QStringLiteral("/../evrakmatik");
        const QString out = p.folder.path() + QStringLiteral("/ek1.pdf");
        QProcess run;
        auto print = [&](QStringList args) {
            run.setProcessEnvironment(QProcessEnvironment::systemEnvironment());
            run.start(program,
                QStringList { QStringLiteral("--program-folder"), p.folder.path(),
                    QStringLiteral("--margin-folder"), p.folder.marginFolder() }
                    + args);
            run.waitForFinished(60000);
            return run.exitCode();
        };
        QCOMPARE(print({ "--print-pdf", "ek1", "--id", QString::number(id), "--out", out, "--set",
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
        QCOMPARE(print({ "--print-pdf", "ek9", "--id", QString::number(id), "--out", ek9 }), 0);
        QCOMPARE(testing::readPdf(ek9).pages.size(), 1);

        // Failures say why on one line and write nothing.
        const QString none = p.folder.path() + QStringLiteral("/yok.pdf");
        QVERIFY(print({ "--print-pdf", "ek1", "--id", "999", "--out", none }) != 0);
        QVERIFY(QString::fromUtf8(run.readAllStandardError()).contains(QStringLiteral("999")));
        QVERIFY(print({ "--print-pdf", "ek5", "--id", QString::number(id), "--out", none }) != 0);
        QVERIFY(print({ "--print-pdf", "ek1", "--id", QString::number(id), "--out", none, "--set",
                    "txt999=x" })
            != 0);
        QVERIFY(print({ "--print-pdf", "ek1", "--id", QString::number(id), "--out", none, "--set",
                    "sprTarih1=31.02.2020" })
            != 0);
        QVERIFY(print({ "--print-pdf", "ek1", "--id", QString::number(id), "--out",
                    p.folder.path() + QStringLiteral("/yok/klasor/a.pdf") })
            != 0);
        QVERIFY(!QFile::exists(none));
    }
};

QTEST_MAIN(TestForms)
#include "tst_forms.moc"
