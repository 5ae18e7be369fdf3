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

// Where a spreadsheet puts a cell's text: a point (20 twips) in from the
// cell's left and right edges and below its top. Each field's cells reach that
// far beyond its box to the sides and start that much above it, so the text
// lands where the PDF draws it, with the box's whole width to fill.
constexpr int kCellInset = 20;
constexpr int kCellTopInset = 20;

// Spreadsheets size columns and rows in whole pixels at 96 dots per inch
// (LibreOffice cuts a row of 40 twips to 30).
constexpr int kTwipsPerPixel = 15;

// LibreOffice prints each column and row cut to whole hundredths of a
// millimetre, so a sheet of many narrow columns comes out narrower than its
// columns add up to; sizes are chosen so that what it prints adds up.
int printedHundredths(int twips)
{
    return twips * 127 / 72;
}

// The lines of the grid along one axis: the sizes between them (in steps of
// stepTwips) and, for each field edge, the line it lies on. The first edge is
// line 0; edges closer than a step share a line.
struct GridAxis {
    QVector<int> sizes;
    QHash<int, int> lineOf;
    int origin = 0; // the first edge
};

GridAxis gridAxis(QVector<int> edges, int stepTwips)
{
    std::sort(edges.begin(), edges.end());
    edges.erase(std::unique(edges.begin(), edges.end()), edges.end());
    GridAxis axis;
    axis.origin = edges.isEmpty() ? 0 : edges.first();
    int printed = 0; // hundredths of a millimetre from the origin
    for (const int edge : edges) {
        const double target = (edge - axis.origin) * 127.0 / 72;
        int steps = qMax(0, qRound((target - printed) * 72 / 127 / stepTwips));
        auto missBy = [&](int n) {
            return qAbs(printed + printedHundredths(n * stepTwips) - target);
        };
        while (missBy(steps + 1) < missBy(steps))
            ++steps;
        while (steps > 0 && missBy(steps - 1) <= missBy(steps))
            --steps;
        if (steps > 0) {
            axis.sizes << steps;
            printed += printedHundredths(steps * stepTwips);
        }
        axis.lineOf.insert(edge, axis.sizes.size());
    }
    return axis;
}

// A field's cell box on the sheet, in twips from the page's margins.
QRect cellBox(const ReportField &f)
{
    return f.rect.adjusted(-kCellInset, -kCellTopInset, kCellInset, -kCellTopInset);
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
        const QRect cell = cellBox(f);
        xs << cell.left() << cell.left() + cell.width();
        ys << cell.top() << cell.top() + cell.height();
    }
    const GridAxis columns = gridAxis(xs, kTwipsPerPixel);
    const GridAxis rows = gridAxis(ys, kTwipsPerPixel);
    for (int c = 0; c < columns.sizes.size(); ++c)
        worksheet_set_column_pixels(
            sheet, lxw_col_t(c), lxw_col_t(c), uint32_t(columns.sizes[c]), nullptr);
    for (int row = 0; row < rows.sizes.size(); ++row)
        worksheet_set_row_pixels(sheet, lxw_row_t(row), uint32_t(rows.sizes[row]), nullptr);
    // Some boxes of the forms overlap their neighbours by a few twips. The
    // lower box keeps its top, where its text starts, and the one above ends
    // where it begins; so fields are placed bottom up, right to left.
    std::stable_sort(fields.begin(), fields.end(), [](const ReportField *a, const ReportField *b) {
        return a->rect.top() != b->rect.top() ? a->rect.top() > b->rect.top()
                                              : a->rect.left() > b->rect.left();
    });
    QSet<qint64> taken;
    auto cellKey = [](int row, int col) { return qint64(row) << 32 | col; };
    auto free = [&](int r1, int c1, int r2, int c2) {
        for (int row = r1; row <= r2; ++row) {
            for (int col = c1; col <= c2; ++col) {
                if (taken.contains(cellKey(row, col)))
                    return false;
            }
        }
        return true;
    };
    struct Placed {
        const ReportField *field;
        int r1, c1, r2, c2;
    };
    QVector<Placed> placed;
    for (const ReportField *f : fields) {
        const QRect cell = cellBox(*f);
        const int c1 = columns.lineOf.value(cell.left());
        int c2 = qMax(c1, columns.lineOf.value(cell.left() + cell.width()) - 1);
        const int r1 = rows.lineOf.value(cell.top());
        int r2 = qMax(r1, rows.lineOf.value(cell.top() + cell.height()) - 1);
        while (r2 > r1 && !free(r1, c1, r2, c2))
            --r2;
        while (c2 > c1 && !free(r1, c1, r2, c2))
            --c2;
        if (!free(r1, c1, r2, c2))
            continue; // a mark drawn over another box's text
        placed << Placed { f, r1, c1, r2, c2 };
        for (int row = r1; row <= r2; ++row) {
            for (int col = c1; col <= c2; ++col)
                taken.insert(cellKey(row, col));
        }
    }
    // Written in page order, as a reader of the file meets them.
    std::sort(placed.begin(), placed.end(), [](const Placed &a, const Placed &b) {
        return std::pair(a.r1, a.c1) < std::pair(b.r1, b.c1);
    });
    for (const Placed &c : placed) {
        const FieldFit &fit = fitOf(*c.field);
        // What the PDF shows, line for line; a text cut there is whole here.
        const QString text = fit.cut ? c.field->text : fit.lines.join(QLatin1Char('\n'));
        lxw_format *format = formats.of(*c.field, fit.pointSize, fit.cut || fit.lines.size() > 1);
        if (c.r2 > c.r1 || c.c2 > c.c1)
            worksheet_merge_range(sheet, lxw_row_t(c.r1), lxw_col_t(c.c1), lxw_row_t(c.r2),
                lxw_col_t(c.c2), text.toUtf8().constData(), format);
        else
            worksheet_write_string(
                sheet, lxw_row_t(c.r1), lxw_col_t(c.c1), text.toUtf8().constData(), format);
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
    worksheet_set_margins(sheet, qMax(0, p.leftMargin + columns.origin) / 1440.0, 0,
        qMax(0, p.topMargin + r.headerHeight + rows.origin) / 1440.0, 0);
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
    // as 7 pixels (105 twips) wide. The form's face at 9.6 pt has digits of
    // 104.8 twips, which Excel rounds to 7 pixels and LibreOffice to 105
    // twips; at 9.65 pt LibreOffice took 106 and every column grew by 1%. A
    // missing Calibri gave columns another width.
    lxw_format *normal = STAILQ_FIRST(book->formats);
    format_set_font_name(normal, "Tahoma");
    format_set_font_size(normal, 9.6);
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
