#pragma once

#include <QAbstractTableModel>
#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <QVector>

#include <array>

namespace records {

// The rows of the record list: five text columns and the hidden ID.
class RecordListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int kTextColumns = 5;
    static constexpr int kIdColumn = 5;

    // One row keeps its five texts in one string, so a long list costs one
    // allocation a row rather than five.
    struct Row {
        QString text;
        std::array<quint16, kTextColumns + 1> starts {}; // cell c is [starts[c], starts[c + 1])
        qint64 id = 0;

        QStringView cell(int c) const
        {
            return QStringView(text).mid(
                starts[size_t(c)], starts[size_t(c) + 1] - starts[size_t(c)]);
        }
        static Row make(qint64 id, const std::array<QString, kTextColumns> &cells);
        // From the store's UTF-8 texts. Bytes that are not UTF-8 become the
        // replacement character inside their own cell, never shifting the others.
        static Row fromUtf8(qint64 id, const std::array<QByteArrayView, kTextColumns> &cells);
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
};

} // namespace records
