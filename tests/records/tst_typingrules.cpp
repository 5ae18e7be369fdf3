#include "records/typingrules.h"
#include "support/recordtables.h"

#include <QTest>

#include <functional>

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
        const OwnerKind owner = kind == QLatin1String("person") ? OwnerKind::Person
            : kind == QLatin1String("legal")                    ? OwnerKind::LegalEntity
                                                                : OwnerKind::Unknown;
        const QMap<QString, std::function<QString()>> rules {
            { "identity", [&] { return identityNumberDoubt(value, owner); } },
            { "chassis", [&] { return chassisDoubt(value); } },
            { "year", [&] { return modelYearDoubt(value, today); } },
            { "number", [&] { return numberDoubt(value); } },
            { "birth", [&] { return dateDoubt(DateKind::Birth, date, today); } },
            { "policy", [&] { return dateDoubt(DateKind::Policy, date, today); } },
        };
        QString found;
        if (rule == QLatin1String("plate")) {
            const QStringList f = value.split(QLatin1Char('|'));
            for (const PlateDoubt &d : plateDoubts(f[0], f[1], f[2])) {
                QVERIFY(d.reason.startsWith(QStringLiteral("Olağandışı plaka")));
                found += QStringLiteral("PLN").at(int(d.part));
            }
        } else {
            QVERIFY2(rules.contains(rule), qPrintable(rule));
            found = rules[rule]().isEmpty() ? QString() : QStringLiteral("doubtful");
        }
        QCOMPARE(found, doubt);
    }
};

QTEST_APPLESS_MAIN(TestTypingRules)
#include "tst_typingrules.moc"
