#include "records/typingrules.h"
#include "support/recordtables.h"

#include <QTest>

using namespace records::rules;

class TestTypingRules : public QObject {
    Q_OBJECT
private slots:
    void aValueIsDoubtfulOnlyWhereItsRuleSays_data() { testing::addTableRows("typingrules.tsv"); }
    void aValueIsDoubtfulOnlyWhereItsRuleSays()
    {
        QFETCH(QString, rule);
        QFETCH(QString, value);
        QFETCH(QString, kind);
        QFETCH(QString, doubt);
        const QDate today(2026, 12, 6);
        const QDate date = QDate::fromString(value, QStringLiteral("dd.MM.yyyy"));
        QVERIFY2(
            QStringList({ "plate", "identity", "chassis", "year", "birth", "policy", "number" })
                .contains(rule),
            qPrintable(rule));
        QString found;
        if (rule == QLatin1String("plate")) {
            const QStringList f = value.split(QLatin1Char('|'));
            for (const PlateDoubt &d : plateDoubts(f[0], f[1], f[2])) {
                QVERIFY(d.reason.startsWith(QStringLiteral("Olağandışı plaka")));
                found += QStringLiteral("PLN").at(int(d.part));
            }
        } else {
            QString reason;
            if (rule == QLatin1String("identity"))
                reason = identityNumberDoubt(value,
                    kind == QLatin1String("person")      ? OwnerKind::Person
                        : kind == QLatin1String("legal") ? OwnerKind::LegalEntity
                                                         : OwnerKind::Unknown);
            else if (rule == QLatin1String("chassis"))
                reason = chassisDoubt(value);
            else if (rule == QLatin1String("year"))
                reason = modelYearDoubt(value, today);
            else if (rule == QLatin1String("number"))
                reason = numberDoubt(value);
            else
                reason =
                    dateDoubt(rule == QLatin1String("birth") ? DateKind::Birth : DateKind::Policy,
                        date, today);
            found = reason.isEmpty() ? QString() : QStringLiteral("doubtful");
        }
        QCOMPARE(found, doubt);
    }
};

QTEST_APPLESS_MAIN(TestTypingRules)
#include "tst_typingrules.moc"
