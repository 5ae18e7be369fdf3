#include "sharedstore.h"

#include "appstate.h"

#include <QFile>
#include <QRegularExpression>

namespace app {

namespace {

// The value of keyword in a libpq keyword=value text, quotes removed.
QString valueOf(const QString &connection, const QString &keyword)
{
    const QRegularExpression re(QStringLiteral("(?:^|\\s)%1\\s*=\\s*('(?:[^'\\\\]|\\\\.)*'|\\S+)")
                                    .arg(QRegularExpression::escape(keyword)));
    const auto m = re.match(connection);
    if (!m.hasMatch())
        return {};
    QString v = m.captured(1);
    if (v.startsWith(QLatin1Char('\'')))
        v = v.mid(1, v.size() - 2).replace(QStringLiteral("\\'"), QStringLiteral("'"));
    return v;
}

} // namespace

SharedStore &sharedStore()
{
    static SharedStore store;
    return store;
}

bool usesSharedStore()
{
    return sharedStore().isSet();
}

QString sharedStoreSettingsPath()
{
    return ProgramFolder() + QStringLiteral("/data/depo.ini");
}

bool carriesPassword(const QString &connection)
{
    static const QRegularExpression keyword(QStringLiteral("(?:^|\\s)password\\s*="));
    static const QRegularExpression uri(QStringLiteral("^postgres(?:ql)?://[^/@]*:[^/@]*@"));
    return keyword.match(connection).hasMatch() || uri.match(connection).hasMatch();
}

QString sharedStoreHost(const QString &connection)
{
    for (const char *key : { "host", "hostaddr" }) {
        const QString v = valueOf(connection, QLatin1String(key));
        if (!v.isEmpty())
            return v;
    }
    const QString service = valueOf(connection, QStringLiteral("service"));
    if (!service.isEmpty())
        return QStringLiteral("%1 hizmetinin sunucusu").arg(service);
    const QString env = qEnvironmentVariable("PGHOST");
    return env.isEmpty() ? QStringLiteral("yerel sunucu") : env;
}

bool chooseSharedStore(const QString &commandLine, QString *why)
{
    sharedStore() = SharedStore();
    QString text = commandLine.trimmed();
    if (text.isEmpty()) {
        QFile file(sharedStoreSettingsPath());
        if (!file.exists())
            return true;
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
            *why = QStringLiteral("Ortak kayıt deposu ayar dosyası okunamadı: %1")
                       .arg(sharedStoreSettingsPath());
            return false;
        }
        while (!file.atEnd()) {
            const QString line = QString::fromUtf8(file.readLine()).trimmed();
            if (line.startsWith(QLatin1String("Baglanti="), Qt::CaseInsensitive))
                text = line.mid(9).trimmed();
        }
    }
    if (text.isEmpty())
        return true;
    // A password written here would sit in a file or a process list others
    // can read.
    if (carriesPassword(text)) {
        *why = QStringLiteral("Ortak kayıt deposunun bağlantı ayarında parola var; parola "
                              "ayarda tutulmaz. Parolayı ~/.pgpass dosyasına (ya da PGPASSFILE "
                              "ile gösterilen dosyaya) yazıp ayardan çıkarınız.");
        return false;
    }
    sharedStore().connection = text;
    return true;
}

namespace {

QString detail(const QSqlError &error)
{
    QString text = error.databaseText().trimmed();
    if (text.isEmpty())
        text = error.driverText().trimmed();
    return text.isEmpty() ? QString() : QStringLiteral("\n(Sunucunun iletisi: %1)").arg(text);
}

} // namespace

QString connectErrorText(const QSqlError &error)
{
    // A refused connection carries no error code, only the server's words
    // (in English unless the server is set otherwise).
    const QString said = error.databaseText() + QLatin1Char(' ') + error.driverText();
    const QString host = sharedStoreHost(sharedStore().connection);
    QString text;
    if (said.contains(QLatin1String("database")) && said.contains(QLatin1String("does not exist")))
        text = QStringLiteral("Ortak kayıt deposuna bağlanılamadı: sunucuda (%1) ayarda adı geçen "
                              "veritabanı yok.")
                   .arg(host);
    else if (said.contains(QLatin1String("authentication failed"))
        || said.contains(QLatin1String("no password supplied"))
        || said.contains(QLatin1String("no pg_hba.conf entry"))
        || (said.contains(QLatin1String("role")) && said.contains(QLatin1String("does not exist"))))
        text = QStringLiteral("Ortak kayıt deposuna bağlanılamadı: sunucu (%1) bu kullanıcıyı "
                              "kabul etmedi. Kullanıcı adını, ~/.pgpass dosyasını ve sunucunun "
                              "pg_hba.conf ayarını denetleyiniz.")
                   .arg(host);
    else
        text = QStringLiteral("Ortak kayıt deposuna bağlanılamadı: %1 yanıt vermiyor ya da "
                              "bağlantıyı kabul etmiyor. Sunucunun açık ve ağın bağlı olduğunu "
                              "denetleyiniz.")
                   .arg(host);
    return text + detail(error);
}

QString serverErrorText(const QSqlError &error)
{
    const QString code = error.nativeErrorCode();
    const QString host = sharedStoreHost(sharedStore().connection);
    QString text;
    if (code.startsWith(QLatin1String("08")) || code.startsWith(QLatin1String("57P"))
        || (code.isEmpty() && error.type() == QSqlError::ConnectionError))
        text = QStringLiteral("Ortak kayıt deposunun sunucusuyla (%1) bağlantı kesildi; işlem "
                              "yapılmadı.")
                   .arg(host);
    else if (code.isEmpty())
        text = QStringLiteral("Ortak kayıt deposunun sunucusuyla (%1) bağlantı kesildi ya da "
                              "sunucu yanıt vermedi; işlem yapılmadı.")
                   .arg(host);
    else if (code.startsWith(QLatin1String("28")))
        text = QStringLiteral("Sunucu (%1) bu kullanıcıyı kabul etmedi; kullanıcı adını ve "
                              "~/.pgpass dosyasını denetleyiniz.")
                   .arg(host);
    else if (code == QLatin1String("3D000"))
        text = QStringLiteral("Sunucuda (%1) ayarda adı geçen veritabanı yok.").arg(host);
    else if (code == QLatin1String("42P01") || code == QLatin1String("42703"))
        text = QStringLiteral("Ortak kayıt deposunda bu programın beklediği bir tablo ya da sütun "
                              "yok (sunucu: %1).")
                   .arg(host);
    else if (code == QLatin1String("42501"))
        text = QStringLiteral("Bu kullanıcının ortak kayıt deposunda (%1) bu işleme yetkisi yok.")
                   .arg(host);
    else if (code == QLatin1String("22001"))
        text = QStringLiteral("Bir değer kayıt deposundaki sütununa sığmıyor; kayıt yapılmadı.");
    else if (code.startsWith(QLatin1String("22")))
        text = QStringLiteral("Bir değer kayıt deposundaki sütununun türüne uymuyor; kayıt "
                              "yapılmadı.");
    else if (code.startsWith(QLatin1String("40")))
        text = QStringLiteral("İşlem başka bir masanın işlemiyle çakıştı ve yapılmadı; yeniden "
                              "deneyiniz.");
    else if (code.startsWith(QLatin1String("53")))
        text = QStringLiteral("Ortak kayıt deposunun sunucusunda (%1) yer ya da bellek kalmadı; "
                              "işlem yapılmadı.")
                   .arg(host);
    else
        text = QStringLiteral("Ortak kayıt deposunun sunucusu (%1) işlemi yapmadı.").arg(host);
    return text + detail(error);
}

} // namespace app
