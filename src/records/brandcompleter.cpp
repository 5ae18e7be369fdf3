#include "brandcompleter.h"

#include "app/entryroutines.h"

#include <QComboBox>

namespace records {

QString brandKey(const QString &text)
{
    // Upper case the Turkish way, then every letter without its marks: İ is
    // I with a dot, Ş is S with a cedilla, Ë is E with a diaeresis.
    const QString decomposed =
        app::TrUpperText(text.trimmed()).normalized(QString::NormalizationForm_D);
    QString key;
    key.reserve(decomposed.size());
    for (const QChar c : decomposed) {
        if (c.category() != QChar::Mark_NonSpacing)
            key += c == QChar(u'ı') ? QChar(u'I') : c;
    }
    return key;
}

BrandCompleter::BrandCompleter(QComboBox *combo)
    : QCompleter(combo)
{
    setModel(combo->model());
    setCompletionRole(kKeyRole);
    setCaseSensitivity(Qt::CaseSensitive); // both sides are folded
    setCompletionMode(QCompleter::PopupCompletion);
}

void BrandCompleter::keyItems(QComboBox *combo)
{
    for (int i = 0; i < combo->count(); ++i)
        combo->setItemData(i, brandKey(combo->itemText(i)), kKeyRole);
}

QStringList BrandCompleter::splitPath(const QString &path) const
{
    // A prefix keeps its trailing blank: "Alfa " is on its way to "Alfa Romeo".
    QString typed = path;
    while (!typed.isEmpty() && typed.front().isSpace())
        typed.remove(0, 1);
    const bool blankAtEnd = !typed.isEmpty() && typed.back().isSpace();
    return { brandKey(typed) + (blankAtEnd ? QStringLiteral(" ") : QString()) };
}

QString BrandCompleter::pathFromIndex(const QModelIndex &index) const
{
    return index.data(Qt::DisplayRole).toString();
}

} // namespace records
