// Brand and model lists of the technical data frame, read from the vehicle file.
#include "entryscreen.h"

#include "app/basics.h"
#include "app/datafiles.h"
#include "app/entryroutines.h"
#include "app/errorbox.h"
#include "brandcompleter.h"

#include <algorithm>
#include <functional>

#include <QCollator>
#include <QComboBox>
#include <QLocale>
#include <QSqlError>
#include <QSqlQuery>

namespace records {

namespace {

// Runs query on the vehicle file and appends the first column of every row
// that keep accepts (every row when it is empty) to combo. Returns false after
// showing the error box under section.
bool fillFromVehicles(QComboBox *combo, const QString &sql, const QString &section,
    const std::function<bool(const QSqlQuery &)> &keep = {})
{
    QSqlDatabase db;
    if (!app::OpenData(db, app::VehiclesData)) {
        app::HataGoster(3051, QStringLiteral("Araç veri dosyası açılamadı."), section, true);
        return false;
    }
    bool ok = true;
    {
        QSqlQuery q(db);
        q.setForwardOnly(true);
        ok = q.prepare(sql) && q.exec();
        if (ok) {
            QStringList items;
            while (q.next()) {
                if (!keep || keep(q))
                    items << app::NullTxt(q.value(0));
            }
            // Ascending in Turkish alphabetical order, not by character codes.
            QCollator collator { QLocale(QLocale::Turkish, QLocale::Turkey) };
            collator.setCaseSensitivity(Qt::CaseInsensitive);
            std::stable_sort(items.begin(), items.end(), collator);
            combo->addItems(items);
            BrandCompleter::keyItems(combo);
        } else {
            app::HataGoster(
                app::sqlErrorNumber(q.lastError()), q.lastError().text(), section, true);
        }
        app::CloseRs(q);
    }
    app::CloseDb(db);
    return ok;
}

} // namespace

void EntryScreen::AracDoldur()
{
    QComboBox *brand = cmbX(0);
    QComboBox *model = cmbX(1);
    brand->clear();
    model->clear();
    model->setEnabled(false);
    if (!fillFromVehicles(brand,
            QStringLiteral("SELECT Marka FROM Araclar WHERE Tip = 'A' "
                           "GROUP BY Marka ORDER BY Marka"),
            QStringLiteral("AracDoldur")))
        return;
    // Clearing the list leaves no choice, so this only empties the models.
    brand->setCurrentIndex(-1);
    brand->setEditText(QString());
    if (brand->count() > 0)
        ModelDoldur();
}

void EntryScreen::ModelDoldur()
{
    QComboBox *model = cmbX(1);
    model->clear();
    const QString brand = cmbX(0)->currentText();
    modelsFor_ = brandKey(brand);
    if (brand.trimmed().isEmpty())
        return;
    // Compared here rather than in SQL, which folds no Turkish letter; a
    // brand with a quote needs no escaping this way either.
    const QString wanted = brandKey(brand);
    if (!fillFromVehicles(model,
            QStringLiteral("SELECT Model, Marka FROM Araclar WHERE Tip = 'A' ORDER BY Model"),
            QStringLiteral("ModelDoldur"),
            [&wanted](const QSqlQuery &q) { return brandKey(app::NullTxt(q.value(1))) == wanted; }))
        return;
    model->setCurrentIndex(-1);
    model->setEditText(QString());
    if (model->count() > 0)
        model->setEnabled(true);
}

void EntryScreen::brandTyped()
{
    // A brand typed in full, in any spelling, lists its models as a pick does;
    // the models already listed for it stay, with whatever model was typed.
    const QString key = brandKey(cmbX(0)->currentText());
    if (key.isEmpty() || (key == modelsFor_ && cmbX(1)->count() > 0))
        return;
    QComboBox *brand = cmbX(0);
    for (int i = 0; i < brand->count(); ++i) {
        if (brand->itemData(i, BrandCompleter::kKeyRole).toString() == key) {
            ModelDoldur();
            return;
        }
    }
}

} // namespace records
