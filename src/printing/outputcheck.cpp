#include "outputcheck.h"

#include "app/appstate.h"
#include "app/datafiles.h"

#include <QDir>
#include <QFileInfo>

namespace printing {

QString outputRefusal(const QString &out)
{
    const QFileInfo file(out);
    if (file.isSymLink())
        return QStringLiteral(
            "Çıktı dosyası bir bağlantı (symlink); yeni bir dosya adı veriniz: %1")
            .arg(out);
    if (file.exists() && !file.isFile())
        return QStringLiteral("Çıktı sıradan bir dosya değil (klasör, aygıt ya da boru): %1")
            .arg(out);
    const QString folder = QFileInfo(file.absolutePath()).canonicalFilePath();
    const QString target = folder + QLatin1Char('/') + file.fileName();
    const auto canonical = [](const QString &path) {
        const QString c = QFileInfo(path).canonicalFilePath();
        return c.isEmpty() ? QDir::cleanPath(QFileInfo(path).absoluteFilePath()) : c;
    };
    const QString data = canonical(app::ProgramFolder() + QStringLiteral("/data"));
    const QString store = canonical(app::storeFileBehind(app::dataFilePath(app::RecordStoreData)));
    bool ours = target == store || target.startsWith(data + QLatin1Char('/'))
        || target == canonical(app::marginFile())
        || target == canonical(app::ProgramFolder() + QStringLiteral("/Yedek.ini"));
    for (int code : { app::ConstantsData, app::ProvincesData, app::VehiclesData })
        ours = ours || target == canonical(app::dataFilePath(code))
            || target == canonical(app::templatePath(code));
    if (ours)
        return QStringLiteral("Çıktı dosyası programın kendi veri dosyalarından biri; "
                              "başka bir ad veriniz: %1")
            .arg(out);
    return QString();
}

} // namespace printing
