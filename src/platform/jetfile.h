#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

#include <functional>
#include <memory>

namespace platform {

// What a Jet column holds, as far as a reader of its values needs to know.
enum class JetKind { Text, Integer, Number, Date, Boolean, Other };

struct JetColumn {
    QString name;
    JetKind kind = JetKind::Other;
    int typeCode = 0; // Jet's own type number, for messages
};

// A Jet (Access 97 / 2000-2003) database file, opened for reading only:
// nothing is written to it and no lock file is made beside it. Texts come as
// QString (Jet 3 files in the Turkish Windows code page), whole numbers as
// qint64, other numbers as double, dates as Jet keeps them (days since
// 30.12.1899, the time of day as the fraction), yes/no as bool; NULL as a
// null QVariant. Errors are Turkish texts for the clerk.
class JetFile {
public:
    JetFile();
    ~JetFile();
    JetFile(const JetFile &) = delete;
    JetFile &operator=(const JetFile &) = delete;

    bool open(const QString &path, QString *error);
    int jetVersion() const { return version_; } // 3 or 4
    QStringList tables() const { return tables_; }

    // Walks every row of table in the order the file keeps them. row may
    // return false to stop. Fails when the file holds fewer rows than its
    // table says, as a damaged or cut file does.
    using RowVisitor = std::function<bool(const QVariantList &values)>;
    bool readTable(
        const QString &table, QVector<JetColumn> *columns, const RowVisitor &row, QString *error);

private:
    struct Handle;
    std::unique_ptr<Handle> handle_;
    QString path_;
    int version_ = 0;
    QStringList tables_;
};

// A Jet date (days since 30.12.1899 and the fraction of the day) as a date;
// the time of day is dropped. Before 1899 the fraction still counts forward
// from the day, so the day is the whole part toward zero.
QDate jetDate(double days);

} // namespace platform
