#include "app/inisettings.h"
#include "platform/codepage.h"
#include "support/recordtables.h"
#include "support/testsupport.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using app::IniOkuYaz;

namespace {

// A table cell as bytes: its text in UTF-8, with \r and \xNN for those bytes.
QByteArray bytesOf(const QString &cell)
{
    QByteArray bytes = cell.toUtf8().replace("\\r", "\r");
    for (qsizetype i = 0; (i = bytes.indexOf("\\x", i)) >= 0; ++i)
        bytes.replace(i, 4, QByteArray(1, char(bytes.mid(i + 2, 2).toInt(nullptr, 16))));
    return bytes;
}

} // namespace

class TestIniSettings : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString file() const { return dir.filePath(QStringLiteral("Bosluklar.sys")); }
    QString read(const QString &section, const QString &key)
    {
        return IniOkuYaz(QStringLiteral("OKU"), file(), section, key);
    }
    void write(const QString &section, const QString &key, const QVariant &value)
    {
        IniOkuYaz(QStringLiteral("YAZ"), file(), section, key, value);
    }

private slots:
    void init() { QFile::remove(file()); }

    void argumentChecksComeFirst()
    {
        QCOMPARE(
            IniOkuYaz(QString(), QString(), QString(), QString()), QStringLiteral("Tip Hatası"));
        QCOMPARE(read(QString(), QString()), QStringLiteral("Secname Hatası"));
        QCOMPARE(read("a", QString()), QStringLiteral("Keyname Hatası"));
        QCOMPARE(IniOkuYaz("SIL", file(), "a", "b"), QString());
        QVERIFY(!QFile::exists(file()));
        write("a", "b", 1);
        QCOMPARE(IniOkuYaz("oku", file(), "a", "b"), QStringLiteral("1"));
    }

    void theFileAfterWritesAndReads_data() { testing::addTableRows("inifiles.tsv"); }
    void theFileAfterWritesAndReads()
    {
        QFETCH(QString, before);
        QFETCH(QString, writes);
        QFETCH(QString, reads);
        QFETCH(QString, after);
        if (before != QLatin1String("-"))
            QVERIFY(testing::writeFile(file(), bytesOf(before)));
        for (const QString &w : writes.split('|', Qt::SkipEmptyParts))
            write(w.section('/', 0, 0), w.section('/', 1).section('=', 0, 0), w.section('=', 1));
        for (const QString &r : reads.split('|', Qt::SkipEmptyParts))
            QCOMPARE(read(r.section('/', 0, 0), r.section('/', 1).section('=', 0, 0)),
                r.section('=', 1));
        if (after == QLatin1String("-"))
            QVERIFY(!QFile::exists(file()));
        else if (!after.isEmpty())
            QCOMPARE(testing::contents(file()), bytesOf(after));
    }

    void aValueWithBytesCp1254LacksIsCopiedWhole()
    {
        // 81, 8D, 8E, 8F, 90, 9D and 9E have no character in cp1254.
        const QByteArray odd("\x81\x8D\x8E\x8F\x90\x9D\x9E\xDE");
        QVERIFY(testing::writeFile(file(), "[ar_Ek9]\r\nnot=" + odd + "\r\n"));
        write("ar_Ek9", "kopya", read("ar_Ek9", "not"));
        QVERIFY(testing::contents(file()).contains("kopya=" + odd + "\r\n"));
        QByteArray every;
        for (int b = 1; b < 256; ++b)
            every += char(b);
        QCOMPARE(platform::toCp1254(platform::fromCp1254(every)), every);
    }

    void anUnwritableFileIsReportedAndTheProgramGoesOn()
    {
        testing::ScriptedMessages messages;
        IniOkuYaz(QStringLiteral("YAZ"), dir.filePath(QStringLiteral("yok/klasor/a.sys")),
            QStringLiteral("s"), QStringLiteral("k"), 1);
        QCOMPARE(messages.titles(), QStringList { QStringLiteral("GENEL HATA") });
        QVERIFY(messages.shown().first().text.contains(QStringLiteral("IniOkuYaz")));
        QCOMPARE(messages.exits(), 0);
    }

    // Another account may share the machine: under umask 000 the margins file
    // is still the user's alone, a link planted in its place is never written
    // through, and a pipe or device in its place neither hangs nor is read.
    void theMarginsFileIsTheUsersAloneAndOnlyAFile()
    {
        testing::ScriptedMessages messages;
        const mode_t umask = ::umask(0);
        write("ArTrafik", "sol", 12);
        ::umask(umask);
        QCOMPARE(QFileInfo(file()).permissions() & 0x0077, QFileDevice::Permissions());
        QCOMPARE(read("ArTrafik", "sol"), QStringLiteral("12"));
        QVERIFY(messages.shown().isEmpty());

        const QString store = dir.filePath(QStringLiteral("tescil.mdb"));
        QVERIFY(testing::writeFile(store, "SQLite format 3"));
        QVERIFY(QFile::remove(file()) && QFile::link(store, file()));
        write("ArTrafik", "sol", 30);
        QCOMPARE(testing::contents(store), QByteArray("SQLite format 3"));
        QVERIFY(QFileInfo(file()).isSymLink());
        QCOMPARE(messages.titles(), QStringList { QStringLiteral("GENEL HATA") });

        QVERIFY(QFile::remove(file()));
        QVERIFY(::mkfifo(QFile::encodeName(file()).constData(), 0600) == 0);
        QCOMPARE(read("ArTrafik", "sol"), QString()); // would wait for a writer forever
        QVERIFY(messages.shown().last().text.contains(QStringLiteral("sıradan bir dosya değil")));
        QVERIFY(QFile::remove(file()) && QFile::link(QStringLiteral("/dev/zero"), file()));
        QCOMPARE(read("ArTrafik", "sol"), QString()); // would fill the memory
        QCOMPARE(messages.shown().size(), 3);
    }
};

QTEST_MAIN(TestIniSettings)
#include "tst_inisettings.moc"
