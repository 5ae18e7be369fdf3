#include "records/typingrules.h"

#include <QTest>

using namespace records::rules;

Q_DECLARE_METATYPE(records::rules::OwnerKind)

namespace {
const QDate kToday(2026, 12, 6);
}

class TestTypingRules : public QObject {
    Q_OBJECT
private slots:
    void identityAndTaxNumbers_data()
    {
        QTest::addColumn<QString>("number");
        QTest::addColumn<OwnerKind>("kind");
        QTest::addColumn<bool>("doubtful");
        const auto any = OwnerKind::Unknown;
        QTest::newRow("identity") << "11111111110" << any << false;
        QTest::newRow("identity, person") << "12345678950" << OwnerKind::Person << false;
        // (1 × 7 − 36) leaves a negative remainder; digit 10 is its positive form, 1.
        QTest::newRow("identity, even sum outweighs") << "19090909018" << any << false;
        QTest::newRow("identity, blanks around") << " 11111111110 " << any << false;
        QTest::newRow("identity, digit 10 off by one") << "11111111120" << any << true;
        QTest::newRow("identity, digit 11 off by one") << "12345678951" << any << true;
        QTest::newRow("identity, remainder without its sign") << "19090909096" << any << true;
        QTest::newRow("identity, leading zero") << "01111111110" << any << true;
        QTest::newRow("identity, legal entity") << "11111111110" << OwnerKind::LegalEntity << true;
        QTest::newRow("tax") << "1234567890" << any << false;
        QTest::newRow("tax, legal entity") << "9876543217" << OwnerKind::LegalEntity << false;
        QTest::newRow("tax, leading zeros") << "0123456789" << any << false;
        QTest::newRow("tax, check digit off by one") << "1234567891" << any << true;
        QTest::newRow("tax, person") << "1234567890" << OwnerKind::Person << true;
        QTest::newRow("nine digits") << "123456789" << any << true;
        QTest::newRow("a letter") << "1111111111A" << any << true;
        QTest::newRow("empty box") << "  " << any << false;
    }

    void identityAndTaxNumbers()
    {
        QFETCH(QString, number);
        QFETCH(OwnerKind, kind);
        QFETCH(bool, doubtful);
        QCOMPARE(!identityNumberDoubt(number, kind).isEmpty(), doubtful);
    }

    void plates_data()
    {
        // Province, letters and number, then the parts flagged: P province,
        // L letters, N the number.
        QTest::addColumn<QString>("row");
        QTest::newRow("1 letter, 4 digits") << "06|A|1234|";
        QTest::newRow("1 letter, 5 digits") << "01|Z|12345|";
        QTest::newRow("2 letters, 3 digits") << "81|AB|123|";
        QTest::newRow("3 letters, 2 digits") << "34|ABC|12|";
        QTest::newRow("lower case is upper-cased") << "34|abc|123|";
        QTest::newRow("empty plate") << "|||";
        QTest::newRow("1 letter, 3 digits") << "06|A|123|N";
        QTest::newRow("2 letters, 5 digits") << "06|AB|12345|N";
        QTest::newRow("3 letters, 4 digits") << "06|ABC|1234|N";
        QTest::newRow("4 letters") << "06|ABCD|12|N";
        QTest::newRow("no letters") << "06||1234|N";
        QTest::newRow("province only") << "06|||N";
        QTest::newRow("letter in the number") << "06|AB|12O|N";
        QTest::newRow("province 00") << "00|AB|123|P";
        QTest::newRow("province 82") << "82|AB|123|P";
        QTest::newRow("province of one digit") << "6|AB|123|P";
        QTest::newRow("Turkish letter") << "34|ŞA|123|L";
        QTest::newRow("dotted capital I") << "34|İA|123|L";
        QTest::newRow("Q W X") << "34|QWX|12|L";
        QTest::newRow("everything") << "99|ÇÖÜ|1|PLN";
    }

    void plates()
    {
        QFETCH(QString, row);
        const QStringList f = row.split(QLatin1Char('|'));
        QString parts;
        for (const PlateDoubt &d : plateDoubts(f[0], f[1], f[2])) {
            QVERIFY(d.reason.startsWith(QStringLiteral("Olağandışı plaka")));
            parts += QStringLiteral("PLN").at(int(d.part));
        }
        QCOMPARE(parts, f[3]);
    }

    void chassisYearsAndDates_data()
    {
        QTest::addColumn<QString>("row"); // rule|value
        QTest::addColumn<bool>("doubtful");
        QTest::newRow("chassis") << "chassis|WVWZZZ1JZXW000001" << false;
        QTest::newRow("chassis, lower case") << "chassis|wvwzzz1jzxw000001" << false;
        QTest::newRow("chassis with I") << "chassis|WVWZZZ1JZXW00000I" << true;
        QTest::newRow("chassis with O") << "chassis|WVWZZZ1JZXWO00001" << true;
        QTest::newRow("chassis with Q") << "chassis|QVWZZZ1JZXW000001" << true;
        QTest::newRow("chassis with a dash") << "chassis|WVWZZZ1JZXW-00001" << true;
        QTest::newRow("chassis with Ş") << "chassis|WVWZZZ1JZXWŞ00001" << true;
        QTest::newRow("short chassis, any letters") << "chassis|OQI-12345" << false;
        QTest::newRow("18 characters") << "chassis|WVWZZZ1JZXW0000011" << false;
        QTest::newRow("year 1900") << "year|1900" << false;
        QTest::newRow("next year") << "year|2027" << false;
        QTest::newRow("year after next") << "year|2028" << true;
        QTest::newRow("year 1899") << "year|1899" << true;
        QTest::newRow("two-digit year") << "year|98" << true;
        QTest::newRow("year with a letter") << "year|2O15" << true;
        QTest::newRow("no year") << "year|" << false;
        QTest::newRow("born today") << "birth|06.12.2026" << false;
        QTest::newRow("born tomorrow") << "birth|07.12.2026" << true;
        QTest::newRow("born 120 years ago") << "birth|06.12.1906" << false;
        QTest::newRow("born a day earlier") << "birth|05.12.1906" << true;
        QTest::newRow("policy in a year") << "policy|06.12.2027" << false;
        QTest::newRow("policy a day later") << "policy|07.12.2027" << true;
        QTest::newRow("old policy") << "policy|01.01.1990" << false;
        QTest::newRow("unreadable date") << "birth|31.02.2030" << false;
    }

    void chassisYearsAndDates()
    {
        QFETCH(QString, row);
        QFETCH(bool, doubtful);
        const QString rule = row.section(QLatin1Char('|'), 0, 0);
        const QString value = row.section(QLatin1Char('|'), 1);
        const QDate date = QDate::fromString(value, QStringLiteral("dd.MM.yyyy"));
        QString reason;
        if (rule == QLatin1String("chassis"))
            reason = chassisDoubt(value);
        else if (rule == QLatin1String("year"))
            reason = modelYearDoubt(value, kToday);
        else
            reason = dateDoubt(
                rule == QLatin1String("birth") ? DateKind::Birth : DateKind::Policy, date, kToday);
        QCOMPARE(!reason.isEmpty(), doubtful);
    }
};

QTEST_APPLESS_MAIN(TestTypingRules)
#include "tst_typingrules.moc"
