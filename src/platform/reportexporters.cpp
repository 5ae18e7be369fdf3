#include "reportexporters.h"

#include "reportfit.h"
#include "reportpainter.h"
#include "safesave.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTemporaryFile>
#include <QtMath>

#include <xlsxwriter.h>

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>

namespace platform {

bool ReportExporter::write(
    const QVector<const Report *> &pages, const QString &path, QString *error) const
{
    if (!QFileInfo(QFileInfo(path).absolutePath()).isDir()) {
        *error = QStringLiteral("Klasör bulunamadı: %1").arg(QFileInfo(path).absolutePath());
        return false;
    }
    return writeTo(pages, path, error);
}

bool PdfExporter::writeTo(
    const QVector<const Report *> &pages, const QString &path, QString *error) const
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = writeFailureReason(file.errorString());
        return false;
    }
    {
        QPdfWriter pdf(&file);
        pdf.setResolution(1200);
        pdf.setCreator(QStringLiteral("Evrakmatik"));
        pdf.setTitle(pages.isEmpty() ? QString() : pages.first()->caption);
        preparePagedDevice(pdf, *pages.first());
        QPainter painter(&pdf);
        for (int i = 0; i < pages.size(); ++i) {
            if (i > 0) {
                preparePagedDevice(pdf, *pages[i]);
                pdf.newPage();
            }
            paintReportPage(painter, *pages[i]);
        }
    }
    return commitSaveFile(file, error);
}

QVector<QVector<const ReportField *>> fieldLines(const Report &report)
{
    QVector<const ReportField *> fields;
    for (const ReportField &f : report.fields) {
        if (!f.text.isEmpty())
            fields << &f;
    }
    std::stable_sort(fields.begin(), fields.end(), [](const ReportField *a, const ReportField *b) {
        return a->rect.top() != b->rect.top() ? a->rect.top() < b->rect.top()
                                              : a->rect.left() < b->rect.left();
    });
    // Fields whose tops lie within a sixth of an inch share a line.
    QVector<QVector<const ReportField *>> lines;
    for (const ReportField *f : fields) {
        if (lines.isEmpty() || f->rect.top() - lines.last().first()->rect.top() > 240)
            lines.append(QVector<const ReportField *>());
        lines.last() << f;
    }
    for (auto &line : lines)
        std::stable_sort(line.begin(), line.end(), [](const ReportField *a, const ReportField *b) {
            return a->rect.left() < b->rect.left();
        });
    return lines;
}

namespace {

QByteArray rtfText(const QString &text)
{
    QByteArray out;
    for (const QChar c : text) {
        const ushort u = c.unicode();
        if (u == '\\' || u == '{' || u == '}') {
            out += '\\';
            out += char(u);
        } else if (u == '\n') {
            out += "\\line ";
        } else if (u == '\r') {
            continue;
        } else if (u < 128) {
            out += char(u);
        } else {
            // The Unicode value, with "?" for readers that do not know it.
            out += "\\u" + QByteArray::number(qint16(u)) + '?';
        }
    }
    return out;
}

} // namespace

QByteArray WordExporter::rtf(const QVector<const Report *> &pages)
{
    QByteArray out = "{\\rtf1\\ansi\\ansicpg1254\\deff0\\uc1{\\fonttbl{\\f0\\fswiss\\fcharset162 "
                     "Tahoma;}}\n";
    for (int i = 0; i < pages.size(); ++i) {
        const Report &r = *pages[i];
        const QSize paper = paperTwips(r.pageSettings.paperSize, r.pageSettings.orientation);
        if (i > 0)
            out += "\\sect\\sectd";
        out += "\\paperw" + QByteArray::number(paper.width()) + "\\paperh"
            + QByteArray::number(paper.height()) + "\\pgwsxn" + QByteArray::number(paper.width())
            + "\\pghsxn" + QByteArray::number(paper.height())
            + "\\margl0\\margr0\\margt0\\margb0\\marglsxn0\\margrsxn0\\margtsxn0\\margbsxn0\n";
        for (const ReportField &f : r.fields) {
            if (f.text.isEmpty())
                continue;
            const QRect p = fieldOnPaper(r, f);
            const char *align = f.align & Qt::AlignHCenter ? "\\qc"
                : f.align & Qt::AlignRight                 ? "\\qr"
                                                           : "\\ql";
            // The PDF's size and lines; a frame at least the box's height and
            // lines at least the face's pitch, so nothing is ever hidden.
            const FieldFit &fit = fitOf(f);
            const int pitch = qCeil(linePitchTwips(fieldFont(f, fit.pointSize)));
            out += "{\\pard\\plain\\pvpg\\phpg\\posx" + QByteArray::number(p.left()) + "\\posy"
                + QByteArray::number(p.top()) + "\\absw" + QByteArray::number(p.width()) + "\\absh"
                + QByteArray::number(p.height()) + "\\sl" + QByteArray::number(pitch) + "\\slmult0"
                + align + "\\f0\\fs" + QByteArray::number(qRound(fit.pointSize * 2))
                + (f.bold ? "\\b " : " ") + rtfText(fit.lines.join(QLatin1Char('\n'))) + "\\par}\n";
        }
    }
    out += "}\n";
    return out;
}

bool WordExporter::writeTo(
    const QVector<const Report *> &pages, const QString &path, QString *error) const
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = writeFailureReason(file.errorString());
        return false;
    }
    file.write(rtf(pages));
    return commitSaveFile(file, error);
}

bool ExcelExporter::writeTo(
    const QVector<const Report *> &pages, const QString &path, QString *error) const
{
    // The workbook is written beside its target and renamed into place whole.
    QTemporaryFile temp(QFileInfo(path).absolutePath() + QStringLiteral("/.evrakmatik-XXXXXX"));
    if (!temp.open()) {
        *error = writeFailureReason(temp.errorString());
        return false;
    }
    const QByteArray tempName = QFile::encodeName(temp.fileName());
    temp.close();
    lxw_workbook *book = workbook_new(tempName.constData());
    if (!book) {
        *error = QStringLiteral("Çalışma kitabı oluşturulamadı.");
        return false;
    }
    lxw_format *bold = workbook_add_format(book);
    format_set_bold(bold);
    for (const Report *r : pages) {
        QString sheetName = r->caption.left(31);
        for (const QChar bad : { QLatin1Char('['), QLatin1Char(']'), QLatin1Char(':'),
                 QLatin1Char('*'), QLatin1Char('?'), QLatin1Char('/'), QLatin1Char('\\') })
            sheetName.replace(bad, QLatin1Char(' '));
        lxw_worksheet *sheet = workbook_add_worksheet(book, sheetName.toUtf8().constData());
        if (!sheet)
            sheet = workbook_add_worksheet(book, nullptr);
        const auto lines = fieldLines(*r);
        for (int row = 0; row < lines.size(); ++row) {
            for (int col = 0; col < lines[row].size(); ++col) {
                const ReportField *f = lines[row][col];
                worksheet_write_string(sheet, lxw_row_t(row), lxw_col_t(col),
                    f->text.toUtf8().constData(), f->bold ? bold : nullptr);
            }
        }
        worksheet_set_column(sheet, 0, 15, 24, nullptr);
    }
    // The same texts as data: each box's label and value, one a row.
    lxw_worksheet *data = workbook_add_worksheet(book, "Alanlar");
    worksheet_write_string(data, 0, 0, "Kutu", bold);
    worksheet_write_string(data, 0, 1, "Değer", bold);
    lxw_row_t row = 1;
    for (const Report *r : pages) {
        for (const auto &line : fieldLines(*r)) {
            for (const ReportField *f : line) {
                const QString label = f->label.isEmpty() ? f->name : f->label;
                worksheet_write_string(data, row, 0, label.toUtf8().constData(), nullptr);
                worksheet_write_string(data, row, 1, f->text.toUtf8().constData(), nullptr);
                ++row;
            }
        }
    }
    worksheet_set_column(data, 0, 0, 36, nullptr);
    worksheet_set_column(data, 1, 1, 60, nullptr);
    errno = 0;
    const lxw_error result = workbook_close(book);
    if (result != LXW_NO_ERROR) {
        const int e = errno; // the library's text does not say why
        QFile::remove(temp.fileName());
        *error = writeFailureReason(QString::fromUtf8(lxw_strerror(result)), e);
        return false;
    }
    // The temporary file was made private; the workbook is a file like any
    // other the user saves.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::chmod(tempName.constData(), 0666 & ~mask);
    temp.setAutoRemove(false);
    return replaceWithFile(temp.fileName(), path, error);
}

} // namespace platform
