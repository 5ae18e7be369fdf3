#pragma once

#include <QAbstractTableModel>
#include <QByteArrayView>
#include <QString>

#include <array>
#include <functional>
#include <vector>

namespace records {

// The rows of the record list: five text columns and the hidden ID. The texts
// stay as the store's UTF-8 bytes, back to back in one buffer, and are
// decoded only when a row is shown: a million rows cost tens of megabytes,
// and each cell is decoded on its own, so a byte that is not UTF-8 can never
// shift the cells after it.
class RecordListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int kTextColumns = 5;
    static constexpr int kIdColumn = 5;
    using Cells = std::array<QByteArrayView, kTextColumns>;

    explicit RecordListModel(QObject *parent = nullptr);

    // Adds a row at the end, shown from the next endAppend(); a cell longer
    // than a grid cell can show is cut. Without withOwner the owner (cell 0)
    // comes later, through setOwner().
    void append(qint64 id, const Cells &cells, bool withOwner = true);
    void endAppend();
    // Sets a row's owner once; later calls for the row change nothing.
    void setOwner(int row, QByteArrayView owner);
    bool hasOwner(int row) const { return rows_[size_t(row)].ownerKnown; }
    // Tells views the owners set since the last call.
    void endSetOwners();
    void clear();
    // A row's tooltip: what an "Ara" search found in its record.
    void setNote(int row, const QString &note);

    qint64 id(int row) const { return rows_[size_t(row)].id; }
    // Rows appended, shown or not yet.
    int rows() const { return int(rows_.size()); }
    QString cell(int row, int column) const;

    // The first row from `from` on (and before `to`, when given) whose cell
    // in column begins with prefix under Turkish case folding; -1 when none does.
    int findPrefix(int column, const QString &prefix, int from = 0, int to = -1) const;

    // The tooltip of a row, asked only when one is shown.
    void setToolTipSource(std::function<QString(qint64 id)> source)
    {
        toolTip_ = std::move(source);
    }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(
        int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    struct Row {
        qint64 id;
        qsizetype start; // first byte of cell 1 in text_; cells 1 to 4 follow
        qsizetype ownerStart; // cell 0 in owners_
        std::array<quint16, kTextColumns> length;
        bool ownerKnown;
    };
    QByteArrayView bytes(int row, int column) const;

    std::vector<Row> rows_;
    QByteArray text_;
    QByteArray owners_;
    std::vector<QString> notes_; // by row; empty unless a search set them
    bool ownersChanged_ = false;
    int announced_ = 0; // rows views know of
    std::function<QString(qint64)> toolTip_;
};

} // namespace records
