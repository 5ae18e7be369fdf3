// Boxes the clerk types past their end: the store and the forms are built on
// the boxes' lengths, so the text is never longer, but the clerk is told at
// once what was not taken.
#include "boxmarks.h"
#include "entryscreen.h"

namespace records {

void EntryScreen::watchLengths()
{
    for (int i = 0; i < kTxtCount; ++i) {
        TextBox *box = txt(i);
        QWidget *w = box->widget();
        box->refused = [this, box, w](int dropped) {
            const QString label = w->accessibleName().trimmed();
            const QString limit = QStringLiteral("en çok %1 karakter alır").arg(box->maxLength());
            marks_->set(w, BoxMarks::Kind::Full,
                QStringLiteral("Kutu dolu: %1; fazlası alınmadı. Kısaltarak yazın.").arg(limit));
            QString line = QStringLiteral("\"%1\" %2").arg(label, limit);
            line += dropped > 1
                ? QStringLiteral("; yapıştırılan metnin son %1 karakteri alınmadı.").arg(dropped)
                : QStringLiteral("; fazlası alınmadı.");
            emit marks_->notice(line);
        };
        // Room again (or a text set from elsewhere): the mark goes.
        auto recheck = [this, box, w] {
            if (box->text().size() < box->maxLength())
                marks_->set(w, BoxMarks::Kind::Full, QString());
        };
        if (auto *line = qobject_cast<QLineEdit *>(w))
            connect(line, &QLineEdit::textChanged, this, recheck);
        else if (auto *memo = qobject_cast<QPlainTextEdit *>(w))
            connect(memo, &QPlainTextEdit::textChanged, this, recheck);
    }
}

} // namespace records
