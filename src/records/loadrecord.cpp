#include "loadrecord.h"

#include "app/basics.h"
#include "app/datafiles.h"
#include "app/errorbox.h"
#include "entryscreen.h"
#include "recordstore.h"

namespace records {

bool OKU(EntryScreen &screen, qint64 id)
{
    app::CursorWait();
    QSqlDatabase db;
    if (!app::OpenData(db, app::RecordStoreData)) {
        app::HataGoster(
            3051, QStringLiteral("Kayıt deposu açılamadı."), QStringLiteral("OKU"), true);
        return false;
    }
    StoredRecord record;
    StoreError storeError;
    const bool read = RecordStore(db).load(id, &record, &storeError);
    app::CloseDb(db);
    if (!read) {
        app::HataGoster(storeError.number, storeError.text, QStringLiteral("OKU"), true);
        return false;
    }
    std::optional<ScreenError> error;
    if (record.vehicle)
        error = showVehicle(screen, *record.vehicle);
    for (int slot = 1; slot <= 3 && !error; ++slot) {
        if (record.owners[size_t(slot - 1)])
            error = showOwner(screen, slot, *record.owners[size_t(slot - 1)]);
    }
    if (error) {
        app::HataGoster(error->number, error->description, QStringLiteral("OKU"), true);
        return false;
    }
    app::CursorDefault();
    return true;
}

} // namespace records
