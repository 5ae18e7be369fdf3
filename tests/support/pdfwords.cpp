#include "pdfwords.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTextDocumentFragment>

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

} // namespace testing
