#include "recordlistmodel.h"

#include "app/entryroutines.h"

namespace records {

RecordListModel::RecordListModel(QObject *parent)
    : QAbstractTableModel(parent)
{
}

void RecordListModel::setRows(QVector<Row> rows)
{
    beginResetModel();
    rows_ = std::move(rows);
    for (int c = 0; c < kTextColumns; ++c) {
        QStringList &f = folded_[size_t(c)];
        f.clear();
        f.reserve(rows_.size());
        for (const Row &r : std::as_const(rows_))
            f << app::TrUpper(r.cells[size_t(c)]);
    }
    endResetModel();
}

void RecordListModel::clear()
{
    setRows({});
}

int RecordListModel::findPrefix(int column, const QString &prefix) const
{
    if (column < 0 || column >= kTextColumns || rows_.isEmpty())
        return -1;
    const QString p = app::TrUpper(prefix);
    const QStringList &f = folded_[size_t(column)];
    for (int r = 0; r < f.size(); ++r) {
        if (f.at(r).startsWith(p))
            return r;
    }
    return -1;
}

int RecordListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(rows_.size());
}

int RecordListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : kTextColumns + 1;
}

QVariant RecordListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || role != Qt::DisplayRole)
        return {};
    const Row &r = rows_.at(index.row());
    if (index.column() == kIdColumn)
        return r.id;
    return r.cells[size_t(index.column())];
}

QVariant RecordListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return section + 1;
    static const char *headers[] = { "Sahibi", "Eski Plakası", "Yeni Plakası", "Şase No",
        "Motor No", "ID" };
    return section >= 0 && section <= kIdColumn ? QString::fromUtf8(headers[section]) : QVariant();
}

} // namespace records
