#include "sharedstore.h"

#include "appstate.h"

#include <QFile>
#include <QRegularExpression>
#include <QSysInfo>

#include <libpq-fe.h>

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

int g_lockBound = 5000;
int g_statementBound = 15000;
// The list reads in slices, but a slice of owners over a large store may take longer.
int g_listStatementBound = 60000;

// A value as a keyword=value text takes it, whatever it holds.
QString quoted(QString value)
{
    value.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    value.replace(QLatin1Char('\''), QStringLiteral("\\'"));
    return QLatin1Char('\'') + value + QLatin1Char('\'');
}

QString optionOf(const QString &connection, const char *keyword)
{
    QList<QPair<QString, QString>> options;
    QString why;
    if (!parseConnection(connection, &options, &why))
        return valueOf(connection, QLatin1String(keyword));
    for (const auto &[key, value] : options) {
        if (key == QLatin1String(keyword))
            return value;
    }
    return {};
}

bool chooseConnection(const QString &text, QString *why);

} // namespace

bool parseConnection(
    const QString &connection, QList<QPair<QString, QString>> *options, QString *why)
{
    char *error = nullptr;
    PQconninfoOption *parsed = PQconninfoParse(connection.toUtf8().constData(), &error);
    if (!parsed) {
        *why = error ? QString::fromUtf8(error).trimmed() : QStringLiteral("bellek yetmedi");
        PQfreemem(error);
        return false;
    }
    options->clear();
    for (const PQconninfoOption *o = parsed; o->keyword; ++o) {
        if (o->val)
            options->append({ QString::fromUtf8(o->keyword), QString::fromUtf8(o->val) });
    }
    PQconninfoFree(parsed);
    return true;
}

QString driverConnectionText(const QString &connection, QString *why)
{
    QList<QPair<QString, QString>> options;
    if (!parseConnection(connection, &options, why))
        return {};
    // Every wait on another session's lock or on a slow statement ends, so
    // a forgotten session or a maintenance job cannot hold the desk.
    QString bounds = QStringLiteral("-c lock_timeout=%1 -c statement_timeout=%2")
                         .arg(g_lockBound)
                         .arg(g_statementBound);
    // A server that does not answer must not hold the screen for minutes.
    bool timeout = false;
    bool named = false;
    QStringList parts;
    for (auto &[key, value] : options) {
        timeout = timeout || key == QLatin1String("connect_timeout");
        named = named || key == QLatin1String("application_name");
        // The office's own settings come after, so they win.
        if (key == QLatin1String("options")) {
            value = bounds + QLatin1Char(' ') + value;
            bounds.clear();
        }
        parts << key + QLatin1Char('=') + quoted(value);
    }
    if (!bounds.isEmpty())
        parts << QStringLiteral("options=") + quoted(bounds);
    if (!timeout)
        parts << QStringLiteral("connect_timeout=10");
    if (!named)
        parts << QStringLiteral("application_name=evrakmatik");
    return parts.join(QLatin1Char(' '));
}

void setServerWaitBounds(int lockMilliseconds, int statementMilliseconds)
{
    g_lockBound = lockMilliseconds;
    g_statementBound = statementMilliseconds;
}

int listStatementBound()
{
    return qMax(g_listStatementBound, g_statementBound);
}

QString deskName()
{
    const QString desk = sharedStore().desk.trimmed();
    if (!desk.isEmpty())
        return desk.left(40);
    QString user = qEnvironmentVariable("USER");
    if (user.isEmpty())
        user = qEnvironmentVariable("LOGNAME");
    const QString host = QSysInfo::machineHostName();
    return (user.isEmpty() ? host : host + QLatin1Char('/') + user).left(40);
}

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
    QList<QPair<QString, QString>> options;
    QString why;
    if (parseConnection(connection, &options, &why)) {
        for (const auto &[key, value] : options) {
            if (key == QLatin1String("password") && !value.isEmpty())
                return true;
        }
        return false;
    }
    // A text libpq cannot read may still hold one; its reason may quote it.
    static const QRegularExpression keyword(
        QStringLiteral("password\\s*="), QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression uri(QStringLiteral("^\\s*postgres(?:ql)?://[^/]*:[^/]*@"));
    return keyword.match(connection).hasMatch() || uri.match(connection).hasMatch();
}

QString sharedStoreHost(const QString &connection)
{
    for (const char *key : { "host", "hostaddr" }) {
        const QString v = optionOf(connection, key);
        if (!v.isEmpty())
            return v;
    }
    const QString service = optionOf(connection, "service");
    if (!service.isEmpty())
        return QStringLiteral("%1 hizmetinin sunucusu").arg(service);
    const QString env = qEnvironmentVariable("PGHOST");
    return env.isEmpty() ? QStringLiteral("yerel sunucu") : env;
}

bool chooseSharedStore(const QString &commandLine, QString *why)
{
    sharedStore() = SharedStore();
    QString text = commandLine.trimmed();
    QString fromFile;
    QFile file(sharedStoreSettingsPath());
    if (file.exists()) {
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
            if (!text.isEmpty())
                return chooseConnection(text, why);
            *why = QStringLiteral("Ortak kayıt deposu ayar dosyası okunamadı: %1")
                       .arg(sharedStoreSettingsPath());
            return false;
        }
        // The desk's name counts on the local store too.
        while (!file.atEnd()) {
            const QString line = QString::fromUtf8(file.readLine()).trimmed();
            if (line.startsWith(QLatin1String("Baglanti="), Qt::CaseInsensitive))
                fromFile = line.mid(9).trimmed();
            else if (line.startsWith(QLatin1String("Masa="), Qt::CaseInsensitive))
                sharedStore().desk = line.mid(5).trimmed();
        }
    }
    return chooseConnection(text.isEmpty() ? fromFile : text, why);
}

namespace {

bool chooseConnection(const QString &text, QString *why)
{
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
    QString unread;
    if (driverConnectionText(text, &unread).isEmpty()) {
        *why = QStringLiteral("Ortak kayıt deposunun bağlantı metni okunamadı: %1").arg(unread);
        return false;
    }
    sharedStore().connection = text;
    return true;
}

QString detail(const QSqlError &error)
{
    // The driver ends the server's words with its code in parentheses, empty
    // ones when the connection was lost: the box says what the code means.
    static const QRegularExpression code(QStringLiteral("\\s*\\([0-9A-Z]{0,5}\\)$"));
    QString text = error.databaseText().trimmed().remove(code);
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
    else if (code == QLatin1String("55P03"))
        text = QStringLiteral("Kayıt deposu şu anda başka bir işlem tarafından kilitli (sunucu: "
                              "%1); %2 saniye beklendi. İşlem yapılmadı, hiçbir şey yazılmadı. "
                              "Biraz sonra yeniden deneyiniz.")
                   .arg(host)
                   .arg(qMax(1, g_lockBound / 1000));
    else if (code == QLatin1String("57014"))
        text = QStringLiteral("Kayıt deposu şu anda başka bir işlem tarafından kilitli ya da "
                              "sunucu (%1) çok yoğun; işlem beklenen sürede bitmedi. İşlem "
                              "yapılmadı, hiçbir şey yazılmadı. Biraz sonra yeniden deneyiniz.")
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
