#include "reportfit.h"

#include <QFontMetricsF>
#include <QImage>
#include <QTextLayout>

#include <cmath>

namespace platform {

namespace {

// Texts are measured as the PDF writer draws them, at 1200 dots per inch,
// where unhinted advances are exact enough to decide a fit in twips.
constexpr double kMeasureDpi = 1200;
constexpr double kTwipsPerDot = 1440 / kMeasureDpi;
// A word processor with the same face may round a little wider: a text must
// leave this share of its box free to count as fitting.
constexpr double kWidthSlack = 0.01;

const QPaintDevice *measureDevice()
{
    static QImage device = [] {
        QImage image(1, 1, QImage::Format_Mono);
        const int dotsPerMeter = qRound(kMeasureDpi / 0.0254);
        image.setDotsPerMeterX(dotsPerMeter);
        image.setDotsPerMeterY(dotsPerMeter);
        return image;
    }();
    return &device;
}

double widthTwips(const QFontMetricsF &metrics, const QString &text)
{
    return metrics.horizontalAdvance(text) * kTwipsPerDot;
}

// Lines of a multi-line field at one size: each paragraph broken at blanks,
// and inside a word only when the word alone is wider than the box.
QStringList wrapLines(const QString &text, const QFont &font, double width, bool anywhere)
{
    QStringList lines;
    QTextOption option;
    option.setWrapMode(
        anywhere ? QTextOption::WrapAtWordBoundaryOrAnywhere : QTextOption::WordWrap);
    QString plain = text;
    plain.remove(QLatin1Char('\r'));
    for (const QString &paragraph : plain.split(QLatin1Char('\n'))) {
        QTextLayout layout(paragraph, font, const_cast<QPaintDevice *>(measureDevice()));
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width / kTwipsPerDot);
            QString part = paragraph.mid(line.textStart(), line.textLength());
            while (part.endsWith(QLatin1Char(' ')))
                part.chop(1);
            lines << part;
        }
        layout.endLayout();
        if (paragraph.isEmpty())
            lines << QString();
    }
    return lines;
}

// The longest start of a text that stays within a width.
QString cutToWidth(const QString &text, const QFontMetricsF &metrics, double width)
{
    qsizetype low = 0, high = text.size();
    while (low < high) {
        const qsizetype mid = (low + high + 1) / 2;
        if (widthTwips(metrics, text.left(mid)) <= width)
            low = mid;
        else
            high = mid - 1;
    }
    // A surrogate pair is not split.
    if (low > 0 && text.at(low - 1).isHighSurrogate())
        --low;
    return text.left(low);
}

FieldFit fitField(const ReportField &f)
{
    FieldFit fit;
    fit.text = f.text;
    fit.rect = f.rect;
    fit.fieldSize = f.pointSize;
    const double width = f.rect.width() * (1 - kWidthSlack);
    const double height = f.rect.height();
    const QString text = printableText(f.text);
    QString single = text;
    single.replace(QLatin1Char('\n'), QLatin1Char(' '));

    auto fitsAt = [&](double size, bool anywhere, QStringList *lines) {
        const QFont font = fieldFont(f, size);
        const QFontMetricsF metrics(font, measureDevice());
        const double pitch = linePitchTwips(font);
        if (!f.multiLine) {
            *lines = QStringList { single };
            return widthTwips(metrics, single) <= width && pitch <= height + 0.5;
        }
        *lines = wrapLines(text, font, width, anywhere);
        for (const QString &line : *lines) {
            if (widthTwips(metrics, line) > width)
                return false;
        }
        return lines->size() * pitch <= height + 0.5;
    };

    // Half points, so a word processor can be given the very same size.
    const double floor = qMin(f.pointSize, kFloorPointSize);
    for (double size = f.pointSize; size >= floor - 1e-9; size -= 0.5) {
        if (fitsAt(size, false, &fit.lines)) {
            fit.pointSize = size;
            return fit;
        }
    }
    fit.pointSize = floor;
    fit.cut = true;
    const QFont font = fieldFont(f, floor);
    const QFontMetricsF metrics(font, measureDevice());
    if (!f.multiLine) {
        fit.lines = QStringList { cutToWidth(single, metrics, width) };
        return fit;
    }
    if (fitsAt(floor, true, &fit.lines)) {
        // Broken inside a word, but nothing is lost.
        fit.cut = false;
        return fit;
    }
    const int room = qMax(1, int(std::floor((height + 0.5) / linePitchTwips(font))));
    fit.lines = fit.lines.mid(0, room);
    for (QString &line : fit.lines)
        line = cutToWidth(line, metrics, width);
    return fit;
}

QString pointText(double size)
{
    return QString::number(size, 'g', 3).replace(QLatin1Char('.'), QLatin1Char(','));
}

} // namespace

QFont fieldFont(const ReportField &field, double pointSize)
{
    QFont font(field.family);
    font.setPointSizeF(pointSize);
    font.setBold(field.bold);
    // Hinting would move glyphs to the screen's pixel grid, not the paper's.
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setKerning(true);
    return font;
}

double linePitchTwips(const QFont &font)
{
    const QFontMetricsF metrics(font, measureDevice());
    return (metrics.ascent() + metrics.descent()) * kTwipsPerDot;
}

QString printableText(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        const bool reorders = u == 0x061C || u == 0x200E || u == 0x200F
            || (u >= 0x202A && u <= 0x202E) || (u >= 0x2066 && u <= 0x2069);
        if (u == '\t')
            out += QLatin1Char(' ');
        else if (u == '\n' || (!reorders && c.category() != QChar::Other_Control))
            out += c;
    }
    return out;
}

const FieldFit &fitOf(const ReportField &field)
{
    if (!field.fit || field.fit->text != field.text || field.fit->rect != field.rect
        || field.fit->fieldSize != field.pointSize)
        field.fit = std::make_shared<const FieldFit>(fitField(field));
    return *field.fit;
}

QStringList fitNotes(const QVector<const Report *> &pages)
{
    QStringList notes;
    for (const Report *page : pages) {
        for (const ReportField &f : page->fields) {
            if (f.text.isEmpty())
                continue;
            const FieldFit &fit = fitOf(f);
            const QString label = f.label.isEmpty() ? f.name : f.label.trimmed();
            if (fit.cut)
                notes << QStringLiteral("%1: %2 pt'de de sığmadı, kutunun kenarında kesildi")
                             .arg(label, pointText(fit.pointSize));
            else if (fit.shrunk())
                notes << QStringLiteral("%1: %2 pt yerine %3 pt")
                             .arg(label, pointText(fit.fieldSize), pointText(fit.pointSize));
        }
    }
    return notes;
}

} // namespace platform
