#include "report.h"

namespace platform {

QSize paperTwips(int paperSize, int orientation)
{
    return (paperPoints(paperSize, orientation) * 20).toSize();
}

QSizeF paperPoints(int paperSize, int orientation)
{
    // A4 210 x 297 mm, A5 148 x 210 mm.
    QSizeF mm = paperSize == PaperA5 ? QSizeF(148, 210) : QSizeF(210, 297);
    if (orientation == 2)
        mm.transpose();
    return mm * 72 / 25.4;
}

ReportField *Report::field(const QString &fieldName)
{
    for (ReportField &f : fields) {
        if (f.name.compare(fieldName, Qt::CaseInsensitive) == 0)
            return &f;
    }
    return nullptr;
}

const ReportField *Report::field(const QString &fieldName) const
{
    return const_cast<Report *>(this)->field(fieldName);
}

void Report::setFieldText(const QString &fieldName, const QString &text)
{
    if (ReportField *f = field(fieldName))
        f->text = text;
}

QString Report::fieldText(const QString &fieldName) const
{
    const ReportField *f = field(fieldName);
    return f ? f->text : QString();
}

} // namespace platform
