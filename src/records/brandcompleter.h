#pragma once

#include <QCompleter>

class QComboBox;

namespace records {

// A brand or model as the clerk may type it: blanks around, case and accents
// do not count (Turkish I, İ, ı and i alike, Ş as S, Ë as E, Š as S...).
QString brandKey(const QString &text);

// Suggestions under an editable brand or model box that match what was typed
// whatever its case and accents; picking one puts the listed spelling in.
class BrandCompleter final : public QCompleter {
    Q_OBJECT
public:
    static constexpr int kKeyRole = Qt::UserRole + 7;
    explicit BrandCompleter(QComboBox *combo);
    // Gives every item of the combo its folded key; after each refill.
    static void keyItems(QComboBox *combo);

    QStringList splitPath(const QString &path) const override;
    QString pathFromIndex(const QModelIndex &index) const override;
};

} // namespace records
