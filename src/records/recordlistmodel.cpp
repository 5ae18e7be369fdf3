#include "recordlistmodel.h"

#include "app/entryroutines.h"

namespace records {

RecordListModel::Row RecordListModel::Row::make(
    qint64 id, const std::array<QString, kTextColumns> &cells)
{
    Row row;
    row.id = id;
    for (int c = 0; c < kTextColumns; ++c) {
        row.starts[size_t(c)] = quint16(row.text.size());
        row.text += cells[size_t(c)].left(4000);
    }
    row.starts[kTextColumns] = quint16(row.text.size());
    return row;
}

namespace {

// Characters a valid UTF-8 text takes in UTF-16, without decoding it.
qsizetype utf16Length(QByteArrayView utf8)
{
    qsizetype n = 0;
    for (const char ch : utf8) {
        const auto b = static_cast<unsigned char>(ch);
        if ((b & 0xC0) != 0x80)
            n += b >= 0xF0 ? 2 : 1;
    }
    return n;
}

} // namespace

RecordListModel::Row RecordListModel::Row::fromUtf8(
    qint64 id, const std::array<QByteArrayView, kTextColumns> &cells)
{
    std::array<QByteArrayView, kTextColumns> cut;
    bool valid = true;
    for (int c = 0; c < kTextColumns; ++c) {
        const QByteArrayView cell = cells[size_t(c)];
        cut[size_t(c)] = cell.first(qMin<qsizetype>(cell.size(), 4000));
        valid = valid && cut[size_t(c)].isValidUtf8();
    }
    if (!valid) {
        std::array<QString, kTextColumns> texts;
        for (int c = 0; c < kTextColumns; ++c)
            texts[size_t(c)] = QString::fromUtf8(cells[size_t(c)]);
        return make(id, texts);
    }
    // Valid texts are decoded in one go, then told apart by their lengths.
    thread_local QByteArray utf8;
    utf8.clear();
    for (const QByteArrayView c : cut)
        utf8.append(c);
    Row row;
    row.id = id;
    row.text = QString::fromUtf8(utf8);
    quint16 at = 0;
    for (int c = 0; c < kTextColumns; ++c) {
        row.starts[size_t(c)] = at;
        at = quint16(at + utf16Length(cut[size_t(c)]));
    }
    row.starts[kTextColumns] = at;
    return row;
}

RecordListModel::RecordListModel(QObject *parent)
    : QAbstractTableModel(parent)
{
}

void RecordListModel::setRows(QVector<Row> rows)
{
    beginResetModel();
    rows_ = std::move(rows);
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
    // Folding character by character stops at the first difference, so a
    // keystroke costs about one comparison a row.
    const QString p = app::TrUpperText(prefix);
    for (int r = 0; r < rows_.size(); ++r) {
        if (app::startsWithTrUpper(rows_.at(r).cell(column), p))
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
    return r.cell(index.column()).toString();
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
