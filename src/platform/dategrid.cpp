#include "dategrid.h"

#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QStatusBar>
#include <QToolTip>

namespace platform {

namespace {
const QDate kFirst(1900, 1, 1);
const QDate kLast(2100, 12, 31);

bool wellFormed(const QString &text)
{
    static const QRegularExpression form(
        QStringLiteral("^(\\d{1,2}[./-]\\d{1,2}[./-]\\d{4}|\\d{8})$"));
    return form.match(text.trimmed()).hasMatch();
}
} // namespace

DateGrid::DateGrid(QWidget *parent)
    : QLineEdit(parent)
{
    setMaxLength(10);
    setAlignment(Qt::AlignCenter);
    setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9./-]{0,10}")), this));
    connect(this, &QLineEdit::editingFinished, this, &DateGrid::commit);
    connect(this, &QLineEdit::textEdited, this, [this] { tell(QString()); });
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
    tell(QString());
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
    if (inRange(d)) {
        accepted_ = d.toString(QStringLiteral("dd.MM.yyyy"));
    } else if (typed != accepted_) {
        QString why;
        if (!wellFormed(typed))
            why = QStringLiteral("\"%1\" tarih değil (GG.AA.YYYY yazın).");
        else if (!d.isValid())
            why = QStringLiteral("\"%1\" takvimde olmayan bir tarih.");
        else
            why =
                QStringLiteral("\"%1\" alınmadı: tarih 01.01.1900 ile 31.12.2100 arasında olmalı.");
        why = why.arg(typed.trimmed());
        why += accepted_.isEmpty()
            ? QStringLiteral(" Hücre boş bırakıldı.")
            : QStringLiteral(" Hücre eski değerine döndü: %1.").arg(accepted_);
        if (!accessibleName().isEmpty())
            why = accessibleName() + QStringLiteral(": ") + why;
        tell(why);
    }
    if (QLineEdit::text() != accepted_)
        QLineEdit::setText(accepted_);
}

void DateGrid::tell(const QString &note)
{
    if (note == note_)
        return;
    // The cell's own tooltip comes back once the note goes.
    if (note_.isEmpty())
        ownTip_ = toolTip();
    QStatusBar *bar = window() ? window()->findChild<QStatusBar *>() : nullptr;
    if (bar && !note_.isEmpty() && bar->currentMessage() == note_)
        bar->clearMessage();
    note_ = note;
    setToolTip(note.isEmpty() ? ownTip_ : note);
    if (note.isEmpty())
        return;
    if (bar)
        bar->showMessage(note, 15000);
    if (isVisible())
        QToolTip::showText(mapToGlobal(QPoint(0, height())), note, this);
}

void DateGrid::focusOutEvent(QFocusEvent *event)
{
    commit();
    QLineEdit::focusOutEvent(event);
}

} // namespace platform
