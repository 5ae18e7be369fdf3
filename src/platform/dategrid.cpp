#include "dategrid.h"

#include <QRegularExpression>
#include <QRegularExpressionValidator>

namespace platform {

namespace {
const QDate kFirst(1900, 1, 1);
const QDate kLast(2100, 12, 31);
} // namespace

DateGrid::DateGrid(QWidget *parent)
    : QLineEdit(parent)
{
    setMaxLength(10);
    setAlignment(Qt::AlignCenter);
    setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9./-]{0,10}")), this));
    connect(this, &QLineEdit::editingFinished, this, &DateGrid::commit);
}

QDate DateGrid::parse(const QString &raw)
{
    const QString t = raw.trimmed();
    static const QRegularExpression sep(QStringLiteral("^(\\d{1,2})[./-](\\d{1,2})[./-](\\d{4})$"));
    static const QRegularExpression digits(QStringLiteral("^(\\d{2})(\\d{2})(\\d{4})$"));
    QRegularExpressionMatch m = sep.match(t);
    if (!m.hasMatch())
        m = digits.match(t);
    if (!m.hasMatch())
        return {};
    return QDate(m.captured(3).toInt(), m.captured(2).toInt(), m.captured(1).toInt());
}

bool DateGrid::inRange(const QDate &date)
{
    return date.isValid() && date >= kFirst && date <= kLast;
}

QString DateGrid::text() const
{
    return QLineEdit::text();
}

QVariant DateGrid::value() const
{
    const QDate d = parse(QLineEdit::text());
    return inRange(d) ? QVariant(d.toString(QStringLiteral("yyyyMMdd"))) : QVariant(QString());
}

void DateGrid::setText(const QString &text)
{
    if (text.trimmed().isEmpty()) {
        accepted_.clear();
        QLineEdit::setText(QString());
        return;
    }
    const QDate d = parse(text);
    if (!inRange(d))
        return;
    accepted_ = d.toString(QStringLiteral("dd.MM.yyyy"));
    QLineEdit::setText(accepted_);
}

void DateGrid::commit()
{
    const QString typed = QLineEdit::text();
    if (typed.trimmed().isEmpty()) {
        accepted_.clear();
        if (!typed.isEmpty())
            QLineEdit::setText(QString());
        return;
    }
    const QDate d = parse(typed);
    if (inRange(d))
        accepted_ = d.toString(QStringLiteral("dd.MM.yyyy"));
    if (QLineEdit::text() != accepted_)
        QLineEdit::setText(accepted_);
}

void DateGrid::focusOutEvent(QFocusEvent *event)
{
    commit();
    QLineEdit::focusOutEvent(event);
}

} // namespace platform
