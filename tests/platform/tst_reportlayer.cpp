#include "platform/fontfiles.h"
#include "platform/report.h"
#include "platform/reportexporters.h"
#include "platform/reportfit.h"
#include "platform/reportpainter.h"
#include "support/pdfwords.h"
#include "support/testsupport.h"

#include <QFile>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

platform::ReportField makeField(const char *name, QRect r, Qt::Alignment a, const char *text)
{
    platform::ReportField f;
    f.name = QLatin1String(name);
    f.rect = r;
    f.align = a;
    f.text = QString::fromUtf8(text);
    return f;
}

class SmallReport final : public platform::Report {
public:
    SmallReport()
    {
        name = "deneme";
        caption = "Deneme Raporu";
        pageSettings.leftMargin = 720;
        pageSettings.topMargin = 1440;
        fields = {
            makeField("Field1", { 1000, 2000, 3000, 315 }, Qt::AlignLeft, "Sol"),
            makeField("Field2", { 1000, 3000, 3000, 315 }, Qt::AlignHCenter, "Orta"),
            makeField("Field3", { 1000, 4000, 3000, 315 }, Qt::AlignRight, "Sağ"),
            makeField("Field4", { 6000, 8000, 2000, 315 }, Qt::AlignLeft, "İĞÜŞÖÇ"),
            makeField("Field5", { 6000, 9000, 2000, 315 }, Qt::AlignLeft, ""),
        };
    }
    void run() override { }
};

// Runs python3's zipfile, which every Debian machine with python3 has.
QString unzip(const QString &path, const QString &member)
{
    QProcess p;
    p.start("python3",
        { "-c",
            QStringLiteral("import sys, zipfile; z = zipfile.ZipFile(sys.argv[1]); "
                           "print('\\n'.join(z.namelist()) if sys.argv[2] == '' else "
                           "z.read(sys.argv[2]).decode())"),
            path, member });
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace

class TestReportLayer : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

private slots:
    void initTestCase()
    {
        // The program's own faces: fitting is measured in them.
        for (const char *face : { "/../fonts/tahoma.ttf", "/../fonts/tahomabd.ttf" }) {
            const QString file = QStringLiteral(EVRAKMATIK_TEST_MDQ) + QLatin1String(face);
            QVERIFY(QFontDatabase::addApplicationFont(file) >= 0);
            platform::rememberFontFile("Tahoma", QByteArray(face).contains("bd"), file);
        }
    }

    void fieldsAreFoundWithoutRegardToCase()
    {
        SmallReport r;
        r.setFieldText("field2", "x");
        QCOMPARE(r.fieldText("FIELD2"), "x");
        r.setFieldText("Field99", "y"); // ignored
        QVERIFY(!r.field("Field99"));
    }

    void pdfPlacesEachFieldFromThePapersEdge()
    {
        SmallReport r;
        SmallReport a5; // each page takes its own paper
        a5.pageSettings.paperSize = platform::PaperA5;
        const QString path = dir.filePath("a4.pdf");
        QString error;
        QVERIFY2(platform::PdfExporter().write({ &r, &a5 }, path, &error), qPrintable(error));
        const testing::PdfText pdf = testing::readPdf(path);
        QCOMPARE(pdf.pages.size(), 2);
        // ISO sizes to the hundredth of a point, not whole points.
        QVERIFY(qAbs(pdf.pages[0].width() - 595.28) < 0.01);
        QVERIFY(qAbs(pdf.pages[0].height() - 841.89) < 0.01);
        QVERIFY(qAbs(pdf.pages[1].width() - 419.53) < 0.01);
        QVERIFY(qAbs(pdf.pages[1].height() - 595.28) < 0.01);
        QCOMPARE(platform::paperTwips(platform::PaperA5, 2), QSize(11906, 8391));
        // Left aligned: starts at the left edge; centred and right by their box.
        const auto *left = pdf.find("Sol", 0);
        const auto *centre = pdf.find("Orta", 0);
        const auto *right = pdf.find("Sağ", 0);
        QVERIFY(left && centre && right);
        QVERIFY(qAbs(left->box.left() - (720 + 1000) / 20.0) < 1.5);
        QVERIFY(qAbs(left->box.top() - (1440 + 2000) / 20.0) < 2.5);
        QVERIFY(qAbs(centre->box.center().x() - (720 + 1000 + 1500) / 20.0) < 1.5);
        QVERIFY(qAbs(right->box.right() - (720 + 4000) / 20.0) < 1.5);
        // Text prints as text, Turkish letters included.
        QVERIFY(pdf.find("İĞÜŞÖÇ"));
    }

    // An archived form is found by its words in any reader, and says what it
    // is: the form, the plate and the office.
    void pdfIsArchiveGradeAndSearchable_data()
    {
        QTest::addColumn<QString>("reader");
        for (const char *reader : { "pdftotext", "gs", "pdfminer" })
            QTest::newRow(reader) << QString::fromLatin1(reader);
    }
    void pdfIsArchiveGradeAndSearchable()
    {
        QFETCH(QString, reader);
        SmallReport r;
        r.setFieldText("Field1", "Kadıköy Tescil İSTANBUL");
        r.field("Field2")->bold = false;
        r.setFieldText("Field2", "İĞÜŞÖÇ ığüşöç Â");
        r.subject = "EK-9 34 ABC 123";
        r.author = "Kadıköy Tescil Şubesi";
        const QString path = dir.filePath("arsiv.pdf");
        QString error;
        QVERIFY2(platform::PdfExporter().write({ &r }, path, &error), qPrintable(error));
        QString text;
        if (!testing::textLayer(path, reader, &text))
            QSKIP(qPrintable(reader + " is not installed"));
        // Both faces read back as printed, spaces as spaces.
        for (const char *line : { "Kadıköy Tescil İSTANBUL", "İĞÜŞÖÇ ığüşöç Â", "İĞÜŞÖÇ" })
            QVERIFY2(text.contains(QString::fromUtf8(line)), qPrintable(text));
        QVERIFY(!text.contains(QLatin1Char('\t')));

        const QByteArray file = testing::contents(path);
        for (const char *marker :
            { "<pdfaid:part>1</pdfaid:part>", "<pdfaid:conformance>B</pdfaid:conformance>",
                "/OutputIntents", "/GTS_PDFA1", "/Metadata", "/FontFile2" })
            QVERIFY2(file.contains(marker), marker);
        QProcess info;
        info.start("pdfinfo", { path });
        QVERIFY(info.waitForFinished(30000));
        const QString said = QString::fromUtf8(info.readAllStandardOutput());
        for (const char *line : { "Title: +Deneme Raporu\n", "Subject: +EK-9 34 ABC 123\n",
                 "Author: +Kadıköy Tescil Şubesi\n", "Creator: +Evrakmatik\n",
                 "CreationDate: +\\S" })
            QVERIFY2(said.contains(QRegularExpression(QString::fromUtf8(line))), qPrintable(said));
        // The metadata says the same, as the archive format asks.
        QVERIFY(file.contains("<dc:description><rdf:Alt><rdf:li xml:lang=\"x-default\">EK-9 34 "
                              "ABC 123</rdf:li>"));
        QVERIFY(file.contains(QString("<rdf:li>Kadıköy Tescil Şubesi</rdf:li>").toUtf8()));
    }

    // An archived form taken through the PDF/A tools Debian has: qpdf finds
    // nothing to repair, every face is inside, nothing is transparent or
    // encrypted, and Ghostscript, rewriting it as PDF/A-1, has nothing to
    // change but the information it cannot carry over: texts beyond ASCII,
    // which its PDF/A-1 writer refuses though the format allows them.
    void pdfPassesTheArchiveChecksDebianHas_data()
    {
        QTest::addColumn<QString>("office");
        QTest::addColumn<QString>("ghostscriptSays");
        QTest::newRow("an office named in ASCII") << "Kadikoy Tescil Merkez"
                                                  << "";
        QTest::newRow("an office named in Turkish")
            << "Kadıköy Tescil Şubesi"
            << "Text string detected in DOCINFO cannot be represented in XMP for PDF/A1, "
               "discarding DOCINFO";
    }
    void pdfPassesTheArchiveChecksDebianHas()
    {
        QFETCH(QString, office);
        QFETCH(QString, ghostscriptSays);
        if (QStandardPaths::findExecutable("qpdf").isEmpty()
            || QStandardPaths::findExecutable("gs").isEmpty())
            QSKIP("qpdf and ghostscript are needed");
        SmallReport r;
        r.author = office;
        r.subject = "EK-9 34 ABC 123";
        const QString path = dir.filePath("arsiv-a.pdf");
        QString error;
        QVERIFY2(platform::PdfExporter().write({ &r }, path, &error), qPrintable(error));
        auto run = [](const QString &program, const QStringList &args) {
            QProcess p;
            p.setProcessChannelMode(QProcess::MergedChannels);
            p.start(program, args);
            p.waitForFinished(60000);
            return std::pair(p.exitCode(), QString::fromUtf8(p.readAll()));
        };
        const auto [checked, check] = run("qpdf", { "--check", path });
        QVERIFY2(checked == 0 && check.contains("File is not encrypted")
                && check.contains("PDF Version: 1.4") && check.contains("No syntax or stream"),
            qPrintable(check));
        const auto [listed, fonts] = run("pdffonts", { path });
        const QStringList faces = fonts.split('\n', Qt::SkipEmptyParts).mid(2);
        QVERIFY(listed == 0 && !faces.isEmpty());
        for (const QString &face : faces) // name type encoding emb sub uni
            QVERIFY2(face.section(' ', -5, -5, QString::SectionSkipEmpty) == "yes"
                    && face.section(' ', -3, -3, QString::SectionSkipEmpty) == "yes",
                qPrintable(face));
        const QString plain = dir.filePath("arsiv-a-acik.pdf");
        QCOMPARE(run("qpdf", { "--qdf", "--object-streams=disable", path, plain }).first, 0);
        const QByteArray body = testing::contents(plain);
        // Opaque ink only: a soft mask of none, full alpha, normal blending.
        for (const char *banned :
            { "/Encrypt", "/SMask /(?!None)", "/Transparency", "/c[aA] (?!1(\\.0*)?\\s)",
                "/BM /(?!Normal|Compatible)", "/JavaScript", "/EmbeddedFiles", "/LZWDecode" })
            QVERIFY2(!QString::fromLatin1(body).contains(QRegularExpression(banned)), banned);
        QVERIFY(body.contains("/DestOutputProfile") && body.contains("/S /GTS_PDFA1"));
        const auto [rewritten, said] = run("gs",
            { "-dPDFA=1", "-dBATCH", "-dNOPAUSE", "-dQUIET", "-dPDFACompatibilityPolicy=1",
                "-sColorConversionStrategy=RGB", "-sDEVICE=pdfwrite",
                "-sOutputFile=" + dir.filePath("arsiv-gs.pdf"), path });
        QCOMPARE(rewritten, 0);
        QStringList told = said.split('\n', Qt::SkipEmptyParts);
        told.replaceInStrings(QRegularExpression("^GPL Ghostscript [\\d.]+: "), "");
        told.removeDuplicates();
        QCOMPARE(told.join('\n'), ghostscriptSays);
    }

    // Widths are of the bundled face; "W" is its widest capital.
    void fittingShrinksWrapsThenCuts_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("letters");
        QTest::addColumn<bool>("shrunk");
        QTest::addColumn<bool>("cut");
        QTest::newRow("fits: drawn as ever") << 3000 << 315 << 8 << false << false;
        QTest::newRow("a line too long shrinks") << 3000 << 315 << 24 << true << false;
        QTest::newRow("beyond the floor is cut") << 1000 << 315 << 60 << true << true;
        QTest::newRow("a box wraps before it shrinks") << 3000 << 1150 << 30 << false << false;
        QTest::newRow("a box full of lines shrinks") << 3000 << 1150 << 120 << true << false;
        QTest::newRow("a box past its floor is cut") << 1500 << 645 << 400 << true << true;
    }
    void fittingShrinksWrapsThenCuts()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(int, letters);
        QFETCH(bool, shrunk);
        QFETCH(bool, cut);
        platform::ReportField f;
        f.rect = QRect(0, 0, width, height);
        f.multiLine = height > 400;
        for (int i = 0; i < letters; ++i)
            f.text += i % 6 == 5 ? " " : "W";
        const platform::FieldFit &fit = platform::fitOf(f);
        QCOMPARE(fit.shrunk(), shrunk);
        QCOMPARE(fit.cut, cut);
        QVERIFY(fit.pointSize >= platform::kFloorPointSize);
        QCOMPARE(fit.pointSize * 2, std::round(fit.pointSize * 2)); // a size Word can take
        if (!shrunk)
            QCOMPARE(fit.pointSize, f.pointSize);
        // Every line within the box, the lines within its height.
        const QFont font = platform::fieldFont(f, fit.pointSize);
        QImage device(1, 1, QImage::Format_Mono);
        device.setDotsPerMeterX(47244);
        device.setDotsPerMeterY(47244);
        const QFontMetricsF metrics(font, &device);
        for (const QString &line : fit.lines)
            QVERIFY(metrics.horizontalAdvance(line) * 1.2 <= width);
        QVERIFY(fit.lines.size() * platform::linePitchTwips(font) <= height + 1);
        // Cut text is the start of the text; kept text is all of it.
        QString kept = fit.lines.join(QString());
        QString plain = f.text;
        kept.remove(QLatin1Char(' '));
        plain.remove(QLatin1Char(' '));
        QCOMPARE(kept.size() < plain.size(), cut);
        QVERIFY(plain.startsWith(kept));
        // Worked out once: the same answer while text and box stay.
        QCOMPARE(&platform::fitOf(f), &fit);
    }

    // Text another program or the command line put in a box reaches paper
    // without what no keyboard types: control characters, reordering marks.
    void onlyPrintableTextReachesPaper_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("multiLine");
        QTest::addColumn<QStringList>("printed");
        QTest::newRow("right-to-left override") << QStringLiteral("MTR\u202E1001") << false
                                                << QStringList { QStringLiteral("MTR1001") };
        QTest::newRow("isolates and marks") << QStringLiteral("\u2067A\u200FB\u2069") << false
                                            << QStringList { QStringLiteral("AB") };
        QTest::newRow("bell, escape, a tab") << QStringLiteral("A\aB\x1b[2JC\tD") << false
                                             << QStringList { QStringLiteral("AB[2JC D") };
        QTest::newRow("a line break stays in a box of lines")
            << QStringLiteral("ÜST\r\n\u202DALT") << true
            << QStringList { QStringLiteral("ÜST"), QStringLiteral("ALT") };
    }
    void onlyPrintableTextReachesPaper()
    {
        QFETCH(QString, text);
        QFETCH(bool, multiLine);
        QFETCH(QStringList, printed);
        platform::ReportField f;
        f.rect = QRect(0, 0, 6000, multiLine ? 1150 : 315);
        f.multiLine = multiLine;
        f.text = text;
        QCOMPARE(platform::fitOf(f).lines, printed);
    }

    // A box lower than a line of the smallest size: what does not fit is cut
    // at the box's edges, never painted over the paper around it.
    void nothingIsPaintedOutsideAFieldsBox()
    {
        SmallReport r;
        r.fields = { makeField("Field1", { 1000, 2000, 600, 60 }, Qt::AlignLeft, "ŞMWĞÜ İÖÇ") };
        QImage page(platform::paperTwips(platform::PaperA4, 1) / 10, QImage::Format_RGB32);
        page.setDotsPerMeterX(5669); // 144 dots per inch: a dot is 10 twips
        page.setDotsPerMeterY(5669);
        page.fill(Qt::white);
        QPainter painter(&page);
        platform::paintReportPage(painter, r);
        painter.end();
        QRect ink;
        for (int y = 0; y < page.height(); ++y) {
            for (int x = 0; x < page.width(); ++x)
                ink |= page.pixel(x, y) == qRgb(255, 255, 255) ? QRect() : QRect(x, y, 1, 1);
        }
        const QRect box(172, 344, 60, 6);
        QVERIFY(!ink.isEmpty());
        QCOMPARE(box.united(ink), box);
    }

    void wordExportIsADocumentCarryingItsFaces()
    {
        SmallReport r;
        const QString path = dir.filePath("rapor.docx");
        QString error;
        QVERIFY(platform::WordExporter().write({ &r }, path, &error));
        const QStringList parts = unzip(path, QString()).split(QLatin1Char('\n'));
        for (const char *part : { "[Content_Types].xml", "word/document.xml", "word/fontTable.xml",
                 "word/fonts/font1.odttf", "word/fonts/font2.odttf" })
            QVERIFY2(parts.contains(QLatin1String(part)), part);
        const QString document = unzip(path, "word/document.xml");
        QCOMPARE(document.count("<w:framePr "), 4); // empty fields print nothing
        QVERIFY(document.contains("w:w=\"3000\" w:h=\"315\""));
        QVERIFY(document.contains("w:x=\"1720\" w:y=\"3440\""));
        QVERIFY(document.contains("<w:jc w:val=\"center\"/>")
            && document.contains("<w:jc w:val=\"right\"/>"));
        QVERIFY(document.contains("İĞÜŞÖÇ</w:t>"));
        QVERIFY(document.contains("<w:pgSz w:w=\"11906\" w:h=\"16838\"/>"));
        const QString fonts = unzip(path, "word/fontTable.xml");
        QVERIFY(fonts.contains("<w:font w:name=\"Tahoma\">"));
        QVERIFY(fonts.contains("<w:embedRegular ") && fonts.contains("<w:embedBold "));
        QVERIFY(unzip(path, "word/settings.xml").contains("<w:embedTrueTypeFonts/>"));
        // The same pages give the same file.
        QCOMPARE(platform::WordExporter::docx({ &r }), testing::contents(path));
    }

    void excelExportIsAWorkbookInPageOrder()
    {
        SmallReport r;
        const QString path = dir.filePath("rapor.xls");
        QString error;
        QVERIFY2(platform::ExcelExporter().write({ &r }, path, &error), qPrintable(error));
        const QStringList parts = unzip(path, QString()).split(QLatin1Char('\n'));
        for (const char *part :
            { "[Content_Types].xml", "xl/workbook.xml", "xl/worksheets/sheet1.xml" })
            QVERIFY2(parts.contains(QLatin1String(part)), part);
        const QString strings = unzip(path, "xl/sharedStrings.xml");
        for (const char *text : { "Sol", "Orta", "Sağ", "İĞÜŞÖÇ" })
            QVERIFY2(strings.contains(QString::fromUtf8(text)), text);
        QVERIFY(strings.indexOf("Sol") < strings.indexOf("Orta"));
        // A second sheet holds the texts as data: each box's label and value.
        const QString workbook = unzip(path, "xl/workbook.xml");
        QVERIFY(workbook.contains("name=\"Alanlar\""));
        QVERIFY(strings.contains("Kutu") && strings.contains("Değer"));
        const QString data = unzip(path, "xl/worksheets/sheet2.xml");
        QCOMPARE(data.count("<row "), 5); // a heading and four fields
        // Each sheet on its form's paper, one page wide, in the form's face.
        const QString form = unzip(path, "xl/worksheets/sheet1.xml");
        QVERIFY(form.contains("<pageSetup paperSize=\"9\"") && data.contains("fitToHeight=\"0\""));
        QVERIFY(form.contains("fitToPage=\"1\"") && data.contains("fitToPage=\"1\""));
        QVERIFY(form.contains("<col "));
        QVERIFY(unzip(path, "xl/styles.xml").contains("<name val=\"Tahoma\"/>"));
    }

    void aFailedExportLeavesNoFile()
    {
        SmallReport r;
        const std::unique_ptr<platform::ReportExporter> exporters[] {
            std::make_unique<platform::PdfExporter>(), std::make_unique<platform::WordExporter>(),
            std::make_unique<platform::ExcelExporter>()
        };
        for (const auto &e : exporters) {
            const QString path = dir.filePath("yok/klasor/rapor");
            QString error;
            QVERIFY(!e->write({ &r }, path, &error));
            QVERIFY(!error.isEmpty());
            QVERIFY(!QFile::exists(path));
            // An existing file is replaced without a question.
            const QString existing = dir.filePath("var.dosya");
            QVERIFY(testing::writeFile(existing, "eski"));
            QVERIFY(e->write({ &r }, existing, &error));
            QVERIFY(QFileInfo(existing).size() > 4);
        }
    }
};

QTEST_MAIN(TestReportLayer)
#include "tst_reportlayer.moc"
