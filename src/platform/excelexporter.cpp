#include "reportexporters.h"

#include "reportfit.h"
#include "safesave.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QTemporaryFile>

#include <xlsxwriter.h>

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>

namespace platform {

namespace {

// A spreadsheet sizes rows and columns in whole pixels at 96 dots per inch.
constexpr double kTwipsPerPixel = 15;

int pixels(int twips)
{
    return qRound(twips / kTwipsPerPixel);
}

// The grid's lines along one axis, in pixels: every field's two edges, those
// on one pixel taken as one line, so no row or column is left without size.
QVector<int> gridLines(QVector<int> edges)
{
    edges << 0;
    for (int &e : edges)
        e = pixels(e);
    std::sort(edges.begin(), edges.end());
    edges.erase(std::unique(edges.begin(), edges.end()), edges.end());
    return edges;
}

int lineAt(const QVector<int> &lines, int edgeTwips)
{
    return int(std::lower_bound(lines.begin(), lines.end(), pixels(edgeTwips)) - lines.begin());
}

class Formats {
public:
    explicit Formats(lxw_workbook *book)
        : book_(book)
    {
    }
    // Wrapping only where the text has several lines or is longer than its
    // box: a wrapped cell grows its row to the text in some spreadsheets.
    lxw_format *of(const ReportField &f, double pointSize, bool wrap)
    {
        const QString key = QStringLiteral("%1/%2/%3/%4")
                                .arg(f.family)
                                .arg(pointSize)
                                .arg(f.bold)
                                .arg(int(f.align & Qt::AlignHorizontal_Mask))
            + (wrap ? QStringLiteral("/w") : QString());
        if (lxw_format *known = formats_.value(key))
            return known;
        lxw_format *format = workbook_add_format(book_);
        format_set_font_name(format, f.family.toUtf8().constData());
        format_set_font_size(format, pointSize);
        if (f.bold)
            format_set_bold(format);
        format_set_align(format,
            f.align & Qt::AlignHCenter     ? LXW_ALIGN_CENTER
                : f.align & Qt::AlignRight ? LXW_ALIGN_RIGHT
                                           : LXW_ALIGN_LEFT);
        format_set_align(format, LXW_ALIGN_VERTICAL_TOP);
        if (wrap)
            format_set_text_wrap(format);
        formats_.insert(key, format);
        return format;
    }

private:
    lxw_workbook *book_;
    QHash<QString, lxw_format *> formats_;
};

QString sheetNameOf(const Report &r)
{
    QString name = r.caption.left(31);
    for (const QChar bad : { QLatin1Char('['), QLatin1Char(']'), QLatin1Char(':'), QLatin1Char('*'),
             QLatin1Char('?'), QLatin1Char('/'), QLatin1Char('\\') })
        name.replace(bad, QLatin1Char(' '));
    return name;
}

// A form page as a sheet that prints like the form: the sheet's margins are
// the page's, and its columns and rows run along the edges of the fields, so
// each field fills the cells of its box on paper, in its face and size, with
// the lines it has on the PDF. Owners' fields stand in their own columns as on
// the form.
void writeFormSheet(lxw_worksheet *sheet, const Report &r, Formats &formats)
{
    QVector<const ReportField *> fields;
    QVector<int> xs, ys;
    for (const ReportField &f : r.fields) {
        if (f.text.isEmpty())
            continue;
        fields << &f;
        xs << f.rect.left() << f.rect.left() + f.rect.width();
        ys << f.rect.top() << f.rect.top() + f.rect.height();
    }
    const QVector<int> columns = gridLines(xs);
    const QVector<int> rows = gridLines(ys);
    // Sizes from the rounded lines, so rounding never adds up along a row.
    for (int c = 0; c + 1 < columns.size(); ++c)
        worksheet_set_column_pixels(
            sheet, lxw_col_t(c), lxw_col_t(c), uint32_t(columns[c + 1] - columns[c]), nullptr);
    for (int row = 0; row + 1 < rows.size(); ++row)
        worksheet_set_row_pixels(
            sheet, lxw_row_t(row), uint32_t(rows[row + 1] - rows[row]), nullptr);
    QSet<qint64> taken;
    auto cellKey = [](int row, int col) { return qint64(row) << 32 | col; };
    for (const ReportField *f : fields) {
        const int c1 = lineAt(columns, f->rect.left());
        const int c2 = qMax(c1, lineAt(columns, f->rect.left() + f->rect.width()) - 1);
        const int r1 = lineAt(rows, f->rect.top());
        const int r2 = qMax(r1, lineAt(rows, f->rect.top() + f->rect.height()) - 1);
        const FieldFit &fit = fitOf(*f);
        // What the PDF shows, line for line; a text cut there is whole here.
        const QString text = fit.cut ? f->text : fit.lines.join(QLatin1Char('\n'));
        lxw_format *format = formats.of(*f, fit.pointSize, fit.cut || fit.lines.size() > 1);
        bool free = true;
        for (int row = r1; row <= r2 && free; ++row) {
            for (int col = c1; col <= c2 && free; ++col)
                free = !taken.contains(cellKey(row, col));
        }
        if (free && (r2 > r1 || c2 > c1)) {
            worksheet_merge_range(sheet, lxw_row_t(r1), lxw_col_t(c1), lxw_row_t(r2), lxw_col_t(c2),
                text.toUtf8().constData(), format);
            for (int row = r1; row <= r2; ++row) {
                for (int col = c1; col <= c2; ++col)
                    taken.insert(cellKey(row, col));
            }
        } else if (!taken.contains(cellKey(r1, c1))) {
            worksheet_write_string(
                sheet, lxw_row_t(r1), lxw_col_t(c1), text.toUtf8().constData(), format);
            taken.insert(cellKey(r1, c1));
        }
    }
    const PageSettings &p = r.pageSettings;
    worksheet_set_paper(sheet, uint8_t(p.paperSize));
    if (p.orientation == 2)
        worksheet_set_landscape(sheet);
    else
        worksheet_set_portrait(sheet);
    // The fields start at the page's left and top margins; like the PDF, the
    // sheet may reach the paper's right and bottom edges (the EK-1 front
    // prints into its bottom margin), so it is not shrunk to keep them.
    worksheet_set_margins(
        sheet, p.leftMargin / 1440.0, 0, (p.topMargin + r.headerHeight) / 1440.0, 0);
    lxw_header_footer_options none {};
    worksheet_set_header_opt(sheet, "", &none);
    worksheet_set_footer_opt(sheet, "", &none);
    worksheet_fit_to_pages(sheet, 1, 1);
}

// The same texts as data: each box's label beside its value, one a row, on
// pages one column pair wide.
void writeDataSheet(lxw_workbook *book, const QVector<const Report *> &pages)
{
    lxw_worksheet *data = workbook_add_worksheet(book, "Alanlar");
    lxw_format *head = workbook_add_format(book);
    format_set_font_name(head, "Tahoma");
    format_set_bold(head);
    lxw_format *cell = workbook_add_format(book);
    format_set_font_name(cell, "Tahoma");
    format_set_text_wrap(cell);
    format_set_align(cell, LXW_ALIGN_VERTICAL_TOP);
    worksheet_write_string(data, 0, 0, "Kutu", head);
    worksheet_write_string(data, 0, 1, "Değer", head);
    lxw_row_t row = 1;
    for (const Report *r : pages) {
        for (const auto &line : fieldLines(*r)) {
            for (const ReportField *f : line) {
                const QString label = f->label.isEmpty() ? f->name : f->label;
                worksheet_write_string(data, row, 0, label.toUtf8().constData(), cell);
                worksheet_write_string(data, row, 1, f->text.toUtf8().constData(), cell);
                ++row;
            }
        }
    }
    worksheet_set_column(data, 0, 0, 36, nullptr);
    worksheet_set_column(data, 1, 1, 56, nullptr);
    worksheet_set_paper(data, PaperA4);
    worksheet_set_portrait(data);
    worksheet_fit_to_pages(data, 1, 0);
    worksheet_repeat_rows(data, 0, 0);
}

} // namespace

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
    // Column widths are counted in digits of the workbook's own face, taken
    // as 7 pixels wide. The form's face at 9.65 pt has digits of just that
    // width, whether a spreadsheet rounds them to pixels or not; a missing
    // Calibri gave columns another width.
    lxw_format *normal = STAILQ_FIRST(book->formats);
    format_set_font_name(normal, "Tahoma");
    format_set_font_size(normal, 9.65);
    Formats formats(book);
    for (const Report *r : pages) {
        lxw_worksheet *sheet = workbook_add_worksheet(book, sheetNameOf(*r).toUtf8().constData());
        if (!sheet)
            sheet = workbook_add_worksheet(book, nullptr);
        writeFormSheet(sheet, *r, formats);
    }
    writeDataSheet(book, pages);
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
