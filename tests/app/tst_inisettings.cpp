#include "app/inisettings.h"
#include "platform/codepage.h"
#include "support/testsupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using app::IniOkuYaz;

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
    QByteArray bytes() const { return testing::contents(file()); }

private slots:
    void init() { QFile::remove(file()); }

    void argumentChecksComeFirst()
    {
        QCOMPARE(
            IniOkuYaz(QString(), QString(), QString(), QString()), QStringLiteral("Tip Hatası"));
        QCOMPARE(IniOkuYaz(QStringLiteral("OKU"), file(), QString(), QString()),
            QStringLiteral("Secname Hatası"));
        QCOMPARE(IniOkuYaz(QStringLiteral("OKU"), file(), QStringLiteral("a"), QString()),
            QStringLiteral("Keyname Hatası"));
        QCOMPARE(IniOkuYaz(QStringLiteral("SIL"), file(), QStringLiteral("a"), QStringLiteral("b")),
            QString());
        QVERIFY(!QFile::exists(file()));
    }

    void missingFileSectionOrKeyReadsEmpty()
    {
        QCOMPARE(read("ar_Trafik", "sol"), QString());
        write("ar_Trafik", "sol", 14);
        QCOMPARE(read("ar_Ek9", "sol"), QString());
        QCOMPARE(read("ar_Trafik", "ust"), QString());
        write("ar_Trafik", "bos", QString());
        QCOMPARE(read("ar_Trafik", "bos"), QString());
    }

    void writeTrimsAndReadIgnoresCase()
    {
        write("ar_Trafik", "sol", QStringLiteral("  12  "));
        write("ar_Trafik", "ust", QVariant());
        QCOMPARE(read("AR_TRAFIK", "SOL"), QStringLiteral("12"));
        QCOMPARE(IniOkuYaz(QStringLiteral("oku"), file(), QStringLiteral("ar_trafik"),
                     QStringLiteral("Sol")),
            QStringLiteral("12"));
        QVERIFY(bytes().contains("ust=\r\n"));
    }

    void failedValuesReadEmptyAndLongOnesAreCutAt254()
    {
        write("s", "k", QStringLiteral("Failed2"));
        QCOMPARE(read("s", "k"), QString());
        write("s", "k", QString(300, QLatin1Char('a')));
        QCOMPARE(read("s", "k").size(), 254);
    }

    void writingKeepsEverythingElse()
    {
        write("ar_Trafik", "sol", 14);
        write("ar_Trafik", "ust", 50);
        write("ar_Ek9", "sol", 1);
        write("ar_Trafik", "sol", 20);
        QCOMPARE(read("ar_Trafik", "sol"), QStringLiteral("20"));
        QCOMPARE(read("ar_Trafik", "ust"), QStringLiteral("50"));
        QCOMPARE(read("ar_Ek9", "sol"), QStringLiteral("1"));
        QCOMPARE(bytes().count("sol="), 2);
        // A new key joins its own section, not the end of the file.
        write("ar_Trafik", "alt", 3);
        const QByteArray b = bytes();
        QVERIFY(b.indexOf("alt=3") < b.indexOf("[ar_Ek9]"));
    }

    void turkishTextIsStoredInCp1254()
    {
        write("Şube", "Müdür", QStringLiteral("İĞÜŞÖÇ ığüşöç"));
        const QByteArray b = bytes();
        QVERIFY(b.contains("\xDD\xD0\xDC\xDE\xD6\xC7 \xFD\xF0\xFC\xFE\xF6\xE7"));
        QCOMPARE(read("şube", "müdür"), QStringLiteral("İĞÜŞÖÇ ığüşöç"));
        QCOMPARE(platform::fromCp1254(platform::toCp1254(QStringLiteral("ĞğİıŞş"))),
            QStringLiteral("ĞğİıŞş"));
    }

    void aFileWrittenByWindowsIsRead()
    {
        QVERIFY(testing::writeFile(file(), "; comment\r\n[ar_Ek9]\r\n sol = 5 \r\nust=1=2\r\n"));
        QCOMPARE(read("ar_Ek9", "sol"), QStringLiteral("5"));
        QCOMPARE(read("ar_Ek9", "ust"), QStringLiteral("1=2"));
    }

    void aByteOrderMarkHidesNoSection()
    {
        QVERIFY(testing::writeFile(file(),
            "\xEF\xBB\xBF[ar_Trafik]\r\nsol=20\r\n[\xC5\x9Eube]\r\nad=M\xC3\xBC"
            "d\xC3\xBCr\r\n"));
        QCOMPARE(read("ar_Trafik", "sol"), QStringLiteral("20"));
        QCOMPARE(read("Şube", "ad"), QStringLiteral("Müdür"));
        // A rewrite changes the one value and keeps the file as its editor saved it.
        write("ar_Trafik", "sol", 21);
        write("Şube", "yer", QStringLiteral("Işık"));
        QCOMPARE(bytes(),
            QByteArray("\xEF\xBB\xBF[ar_Trafik]\r\nsol=21\r\n[\xC5\x9Eube]\r\nad=M\xC3\xBC"
                       "d\xC3\xBCr\r\n"
                       "yer=I\xC5\x9F\xC4\xB1k\r\n"));
    }

    void bytesTheCodePageLacksAreKept()
    {
        // 81, 8D, 8E, 8F, 90, 9D and 9E have no character in cp1254.
        const QByteArray odd("\x81\x8D\x8E\x8F\x90\x9D\x9E");
        QVERIFY(testing::writeFile(file(), "; " + odd + "\r\n[ar_Ek9]\r\nnot=" + odd + "\xDE\r\n"));
        write("ar_Ek9", "sol", 5);
        QCOMPARE(bytes(), "; " + odd + "\r\n[ar_Ek9]\r\nnot=" + odd + "\xDE\r\nsol=5\r\n");
        write("ar_Ek9", "kopya", read("ar_Ek9", "not"));
        QVERIFY(bytes().contains("kopya=" + odd + "\xDE\r\n"));
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
};

QTEST_MAIN(TestIniSettings)
#include "tst_inisettings.moc"
