#include "pdfwords.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTextDocumentFragment>
#include <QUrl>

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

QString wordToPdf(const QString &document, const QString &fontFolder)
{
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (soffice.isEmpty())
        return {};
    const QFileInfo info(document);
    const QString work = info.absolutePath() + QStringLiteral("/lo");
    QDir().mkpath(work);
    // fontconfig sees the program's faces as an installed package makes it.
    const QString conf = work + QStringLiteral("/fonts.conf");
    if (!writeFile(conf,
            QStringLiteral("<?xml version=\"1.0\"?><!DOCTYPE fontconfig SYSTEM \"fonts.dtd\">"
                           "<fontconfig><include ignore_missing=\"yes\">/etc/fonts/fonts.conf"
                           "</include><dir>%1</dir><cachedir>%2</cachedir></fontconfig>\n")
                .arg(QFileInfo(fontFolder).absoluteFilePath(), work + QStringLiteral("/cache"))
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

} // namespace testing
