#include "loadrecord.h"

#include "app/basics.h"
#include "app/datafiles.h"
#include "app/errorbox.h"
#include "entryscreen.h"
#include "platform/serverwait.h"
#include "platform/storedialect.h"
#include "recordstore.h"

namespace records {

bool OKU(EntryScreen &screen, qint64 id)
{
    app::CursorWait();
    QSqlDatabase db;
    if (!app::OpenData(db, app::RecordStoreData))
        return false; // the opening's own box has been shown
    StoredRecord record;
    StoreError storeError;
    bool read = false;
    auto load = [&] { read = RecordStore(db).load(id, &record, &storeError); };
    if (platform::dialectOf(db).isShared())
        platform::waitRepainting(load);
    else
        load();
    app::CloseDb(db);
    if (!read) {
        app::HataGoster(storeError.number, storeError.text, QStringLiteral("OKU"), true);
        return false;
    }
    // Every value is checked before the screen changes: a record that cannot
    // be shown whole leaves the screen as it was, so no half-shown record can
    // be saved back over the stored one.
    auto show = [&](bool apply) {
        std::optional<ScreenError> error;
        if (record.vehicle)
            error = showVehicle(screen, *record.vehicle, apply);
        for (int slot = 1; slot <= 3 && !error; ++slot) {
            if (record.owners[size_t(slot - 1)])
                error = showOwner(screen, slot, *record.owners[size_t(slot - 1)], apply);
        }
        return error;
    };
    if (const auto error = show(false)) {
        app::HataGoster(error->number, error->description, QStringLiteral("OKU"), true);
        return false;
    }
    // Nothing of the record shown before may stay beside this one.
    if (record.vehicle)
        showAsFresh(screen);
    show(true);
    if (record.vehicle) {
        screen.setShownSave(stampOf(*record.vehicle));
        screen.setFormerOwners(record.formerOwners);
        screen.settle();
    }
    app::CursorDefault();
    return true;
}

} // namespace records
