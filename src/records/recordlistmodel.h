#pragma once

#include <QAbstractTableModel>
#include <QStringList>
#include <QVector>

#include <array>

namespace records {

// The rows of the record list: five text columns and the hidden ID. Each
// column also keeps its texts folded for the search, so a keystroke compares
// prepared strings only.
class RecordListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int kTextColumns = 5;
    static constexpr int kIdColumn = 5;

    struct Row {
        std::array<QString, kTextColumns> cells;
        qint64 id = 0;
    };

    explicit RecordListModel(QObject *parent = nullptr);

    void setRows(QVector<Row> rows);
    void clear();
    const Row &row(int r) const { return rows_.at(r); }

    // The first row from the top whose cell in column begins with prefix under
    // Turkish case folding; -1 when none does.
    int findPrefix(int column, const QString &prefix) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(
        int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QVector<Row> rows_;
    std::array<QStringList, kTextColumns> folded_;
};

} // namespace records
