#include "pdfwords.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTextDocumentFragment>
#include <QUrl>

#include <algorithm>

namespace testing {

const PdfWord *PdfText::find(const QString &text, int page) const
{
    for (const PdfWord &w : words) {
        if (w.text == text && (page < 0 || w.page == page))
            return &w;
    }
    return nullptr;
}

PdfText readPdf(const QString &path)
{
    PdfText result;
    QProcess p;
    p.start(QStringLiteral("pdftotext"), { QStringLiteral("-bbox"), path, QStringLiteral("-") });
    if (!p.waitForFinished(30000))
        return result;
    const QString html = QString::fromUtf8(p.readAllStandardOutput());
    static const QRegularExpression pageRe(
        QStringLiteral("<page width=\"([\\d.]+)\" height=\"([\\d.]+)\">"));
    static const QRegularExpression wordRe(
        QStringLiteral("<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" "
                       "yMax=\"([\\d.]+)\">(.*)</word>"));
    int page = -1;
    for (const QString &line : html.split(QLatin1Char('\n'))) {
        const auto pm = pageRe.match(line);
        if (pm.hasMatch()) {
            ++page;
            result.pages << QSizeF(pm.captured(1).toDouble(), pm.captured(2).toDouble());
            continue;
        }
        const auto wm = wordRe.match(line);
        if (wm.hasMatch()) {
            PdfWord w;
            w.page = page;
            w.box = QRectF(QPointF(wm.captured(1).toDouble(), wm.captured(2).toDouble()),
                QPointF(wm.captured(3).toDouble(), wm.captured(4).toDouble()));
            w.text = QTextDocumentFragment::fromHtml(wm.captured(5)).toPlainText();
            result.words << w;
        }
    }
    return result;
}

QString officeToPdf(const QString &document, const QString &fontFolder)
{
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (soffice.isEmpty())
        return {};
    const QFileInfo info(document);
    const QString work = info.absolutePath() + QStringLiteral("/lo");
    QDir().mkpath(work);
    // fontconfig sees the program's faces as an installed package makes it,
    // or only the system's, as on a machine the file is taken to.
    const QString conf = work + QStringLiteral("/fonts.conf");
    const QString dir = fontFolder.isEmpty()
        ? QString()
        : QStringLiteral("<dir>%1</dir>").arg(QFileInfo(fontFolder).absoluteFilePath());
    if (!writeFile(conf,
            QStringLiteral("<?xml version=\"1.0\"?><!DOCTYPE fontconfig SYSTEM \"fonts.dtd\">"
                           "<fontconfig><include ignore_missing=\"yes\">/etc/fonts/fonts.conf"
                           "</include>%1<cachedir>%2</cachedir></fontconfig>\n")
                .arg(dir, work + QStringLiteral("/cache"))
                .toUtf8()))
        return {};
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("FONTCONFIG_FILE"), conf);
    env.insert(QStringLiteral("HOME"), work);
    p.setProcessEnvironment(env);
    p.start(soffice,
        { QStringLiteral("-env:UserInstallation=")
                + QUrl::fromLocalFile(work + QStringLiteral("/profile")).toString(),
            QStringLiteral("--headless"), QStringLiteral("--convert-to"), QStringLiteral("pdf"),
            QStringLiteral("--outdir"), work, document });
    if (!p.waitForFinished(240000) || p.exitCode() != 0)
        return {};
    const QString pdf = work + QLatin1Char('/') + info.completeBaseName() + QStringLiteral(".pdf");
    return QFile::exists(pdf) ? pdf : QString();
}

QStringList missingWords(const PdfText &a, const PdfText &b)
{
    QStringList missing;
    for (const PdfWord &w : a.words) {
        if (!b.find(w.text, w.page))
            missing << QStringLiteral("%1 (page %2)").arg(w.text).arg(w.page + 1);
    }
    return missing;
}

namespace {

constexpr int kInkDpi = 288;

QImage pageImage(const QString &pdf, int page)
{
    const QString base = pdf + QStringLiteral("-ink%1").arg(page);
    QProcess p;
    p.start(QStringLiteral("pdftoppm"),
        { QStringLiteral("-r"), QString::number(kInkDpi), QStringLiteral("-gray"),
            QStringLiteral("-f"), QString::number(page + 1), QStringLiteral("-l"),
            QString::number(page + 1), QStringLiteral("-singlefile"), pdf, base });
    p.waitForFinished(120000);
    return QImage(base + QStringLiteral(".pgm"));
}

// The ink of an area, leaving out the parts of other boxes that reach into it.
QRect inkWithin(const QImage &image, const QRect &area, const QVector<QRect> &others)
{
    QRect ink;
    const QRect r = area.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y) {
        const uchar *line = image.constScanLine(y);
        for (int x = r.left(); x <= r.right(); ++x) {
            if (line[x] < 128 && std::none_of(others.begin(), others.end(), [x, y](const QRect &o) {
                    return o.contains(x, y);
                }))
                ink |= QRect(x, y, 1, 1);
        }
    }
    return ink;
}

} // namespace

double inkDeviation(const QString &a, const QString &b, const QVector<QVector<QRectF>> &boxes,
    QString *where, const QVector<QVector<QRectF>> &uncompared)
{
    double worst = 0;
    const double scale = kInkDpi / 72.0;
    for (int page = 0; page < boxes.size(); ++page) {
        const QImage first = pageImage(a, page).convertToFormat(QImage::Format_Grayscale8);
        const QImage second = pageImage(b, page).convertToFormat(QImage::Format_Grayscale8);
        if (first.isNull() || second.isNull())
            return -1;
        QVector<QRect> areas;
        for (const QRectF &box : boxes[page] + uncompared.value(page))
            areas << QRectF(box.topLeft() * scale, box.size() * scale).toAlignedRect();
        for (int i = 0; i < boxes[page].size(); ++i) {
            const QRectF &box = boxes[page][i];
            const QRect area = areas[i].adjusted(-1, -1, 1, 1);
            // Another box's ink a hair beyond it is its own: a file that
            // does not cut a text at its box shows what stands out of it.
            QVector<QRect> others;
            for (int j = 0; j < areas.size(); ++j) {
                const QRect other = areas[j].adjusted(-1, -1, 1, 1);
                if (j != i && other.intersects(area) && !areas[j].contains(areas[i]))
                    others << other;
            }
            const QRect x = inkWithin(first, area, others);
            const QRect y = inkWithin(second, area, others);
            const int apart = x.isEmpty() != y.isEmpty() ? 99 * kInkDpi
                : x.isEmpty()                            ? 0
                              : qMax(qMax(qAbs(x.left() - y.left()), qAbs(x.right() - y.right())),
                                  qMax(qAbs(x.top() - y.top()), qAbs(x.bottom() - y.bottom())));
            if (apart * 25.4 / kInkDpi > worst) {
                worst = apart * 25.4 / kInkDpi;
                *where = QStringLiteral("page %1, box at %2,%3 pt: ink %4,%5 %6x%7 px, not "
                                        "%8,%9 %10x%11")
                             .arg(page + 1)
                             .arg(box.left())
                             .arg(box.top())
                             .arg(y.left())
                             .arg(y.top())
                             .arg(y.width())
                             .arg(y.height())
                             .arg(x.left())
                             .arg(x.top())
                             .arg(x.width())
                             .arg(x.height());
            }
        }
    }
    return worst;
}

bool textLayer(const QString &pdf, const QString &reader, QString *text)
{
    QStringList command;
    if (reader == QLatin1String("pdftotext"))
        command = { QStringLiteral("pdftotext"), pdf, QStringLiteral("-") };
    else if (reader == QLatin1String("gs"))
        command = { QStringLiteral("gs"), QStringLiteral("-q"), QStringLiteral("-dNOPAUSE"),
            QStringLiteral("-dBATCH"), QStringLiteral("-sDEVICE=txtwrite"),
            QStringLiteral("-sOutputFile=-"), pdf };
    else
        command = { QStringLiteral("pdf2txt"), pdf };
    if (QStandardPaths::findExecutable(command.first()).isEmpty())
        return false;
    QProcess p;
    p.start(command.takeFirst(), command);
    p.waitForFinished(60000);
    *text = QString::fromUtf8(p.readAllStandardOutput());
    return true;
}

} // namespace testing
