// Loading a record whose columns hold arbitrary values onto the real screen:
// the load may refuse a value with its error box, never crash.
#include "app/appstate.h"
#include "platform/messages.h"
#include "records/entryscreen.h"
#include "records/fieldmap.h"
#include "records/screenvalues.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QSqlField>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QWidget>

#include <cstdint>

namespace {

class Silent final : public platform::MessageService {
public:
    platform::MsgAnswer show(const platform::MessageRequest &) override
    {
        return platform::MsgAnswer::Ok;
    }
    void endProcess(int) override { }
};

struct World {
    QApplication *app = nullptr;
    QTemporaryDir dir;
    QWidget *window = nullptr;
    records::EntryScreen *screen = nullptr;
};

World &world()
{
    static World w = [] {
        World w;
        static int argc = 1;
        static char name[] = "fuzz";
        static char *argv[] = { name, nullptr };
        qputenv("QT_QPA_PLATFORM", "offscreen");
        w.app = new QApplication(argc, argv);
        static Silent silent;
        platform::setMessageService(&silent);
        QDir().mkpath(w.dir.filePath(QStringLiteral("MDQ")));
        QFile::copy(QStringLiteral(EVRAKMATIK_FUZZ_MDQ "/Arac.mdq"),
            w.dir.filePath(QStringLiteral("MDQ/Arac.mdq")));
        app::folders().program = w.dir.path();
        w.window = new QWidget;
        w.window->resize(1008, 682);
        w.screen = new records::EntryScreen(w.window);
        return w;
    }();
    return w;
}

// Takes one value off the input: null, a whole number, a real number or text.
QVariant nextValue(const uint8_t *&p, const uint8_t *end)
{
    if (p >= end)
        return {};
    const uint8_t kind = *p++ % 4;
    size_t len = p < end ? *p++ % 24 : 0;
    len = std::min<size_t>(len, size_t(end - p));
    const QByteArray bytes(reinterpret_cast<const char *>(p), qsizetype(len));
    p += len;
    switch (kind) {
    case 0:
        return {};
    case 1:
        return bytes.toLongLong() + (bytes.isEmpty() ? 0 : bytes[0]);
    case 2:
        return bytes.isEmpty() ? 0.5 : double(bytes[0]) * 1e6 / 7;
    default:
        return QString::fromUtf8(bytes);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    World &w = world();
    const uint8_t *p = data;
    const uint8_t *end = data + size;
    QSqlRecord vehicle;
    for (const records::VehicleField &f : records::vehicleFields()) {
        QSqlField field(QString::fromLatin1(f.column));
        field.setValue(nextValue(p, end));
        vehicle.append(field);
    }
    QSqlRecord owner;
    for (const records::OwnerField &f : records::ownerFields()) {
        QSqlField field(QString::fromLatin1(f.column));
        field.setValue(nextValue(p, end));
        owner.append(field);
    }
    for (const char *phone : { "TELEFONEV" }) {
        QSqlField field { QLatin1String(phone) };
        field.setValue(nextValue(p, end));
        owner.append(field);
    }
    // The check alone and the real fill must agree on what can be shown.
    const bool shown = !records::showVehicle(*w.screen, vehicle, false);
    if (shown != !records::showVehicle(*w.screen, vehicle, true))
        __builtin_trap();
    (void)records::showOwner(*w.screen, 1 + int(size % 3), owner, true);
    (void)records::readScreen(*w.screen);
    return 0;
}
