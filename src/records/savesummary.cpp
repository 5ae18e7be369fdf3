#include "savesummary.h"

namespace records {

QString successText(bool created, const QStringList &notes)
{
    QString text = QStringLiteral("Kayıt başarıyla tamamlandı\n");
    // A record found under the same engine number and old plate is overwritten,
    // so the clerk is told which of the two happened.
    text += created ? QStringLiteral("Yeni kayıt eklendi.")
                    : QStringLiteral("Kayıtlı araç güncellendi.");
    for (const QString &note : notes) {
        if (!note.isEmpty())
            text += QStringLiteral("\n\n") + note;
    }
    return text;
}

} // namespace records
