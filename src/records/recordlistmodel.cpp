#include "recordlistmodel.h"

#include <QStringList>

#include "app/entryroutines.h"
#include "platform/storedtext.h"

#include <algorithm>

namespace records {

namespace {

// A grid cell never shows more; cut at a character boundary.
QByteArrayView capped(QByteArrayView cell)
{
    constexpr qsizetype kMax = 4000;
    if (cell.size() <= kMax)
        return cell;
    qsizetype n = kMax;
    while (n > 0 && (static_cast<unsigned char>(cell[n]) & 0xC0) == 0x80)
        --n;
    return cell.first(n);
}

// The next UTF-16 unit of a UTF-8 text, folded by the Turkish rule; a byte
// that starts no valid sequence (none is left once a row is in) reads as the
// replacement character. Characters beyond the basic plane (never typed into these
// boxes) fold to the replacement character too, and so match nothing typed.
char16_t nextFolded(const char *&p, const char *end)
{
    const auto b = static_cast<unsigned char>(*p++);
    if (b < 0x80) {
        if (b >= 'a' && b <= 'z')
            return b == 'i' ? u'İ' : char16_t(b - 32);
        return b;
    }
    int extra = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC2 ? 1 : -1;
    if (extra < 0 || b > 0xF4)
        return u'\uFFFD';
    char32_t c = b & (0x3F >> extra);
    const char *q = p;
    for (int i = 0; i < extra; ++i, ++q) {
        if (q == end || (static_cast<unsigned char>(*q) & 0xC0) != 0x80)
            return u'\uFFFD';
        c = (c << 6) | (static_cast<unsigned char>(*q) & 0x3F);
    }
    p = q;
    if (c > 0xFFFF || (c >= 0xD800 && c <= 0xDFFF))
        return u'\uFFFD';
    return app::TrUpperChar(QChar(char16_t(c))).unicode();
}

bool startsWithFolded(QByteArrayView text, QStringView foldedPrefix)
{
    const char *p = text.data();
    const char *end = p + text.size();
    for (const QChar want : foldedPrefix) {
        if (p == end || nextFolded(p, end) != want.unicode())
            return false;
    }
    return true;
}

// Text an older tool wrote in the Turkish code page is held as UTF-8, so the
// grid and the search read it as the entry screen does; valid UTF-8 is kept
// as it came, without a copy.
QByteArrayView asUtf8(QByteArrayView cell, QByteArray *decoded)
{
    if (cell.isValidUtf8())
        return cell;
    *decoded = platform::fromStoredText(cell.toByteArray()).toUtf8();
    return *decoded;
}

} // namespace

RecordListModel::RecordListModel(QObject *parent)
    : QAbstractTableModel(parent)
{
}

void RecordListModel::append(qint64 id, const Cells &cells, bool withOwner)
{
    Row row { id, text_.size(), owners_.size(), {}, withOwner };
    QByteArray decoded;
    const QByteArrayView owner = capped(asUtf8(cells[0], &decoded));
    row.length[0] = quint16(owner.size());
    owners_.append(owner);
    for (int c = 1; c < kTextColumns; ++c) {
        const QByteArrayView cell = capped(asUtf8(cells[size_t(c)], &decoded));
        row.length[size_t(c)] = quint16(cell.size());
        text_.append(cell);
    }
    rows_.push_back(row);
}

void RecordListModel::setOwner(int row, QByteArrayView owner)
{
    Row &r = rows_[size_t(row)];
    if (r.ownerKnown)
        return;
    r.ownerKnown = true;
    QByteArray decoded;
    const QByteArrayView cell = capped(asUtf8(owner, &decoded));
    r.ownerStart = owners_.size();
    r.length[0] = quint16(cell.size());
    owners_.append(cell);
    ownersChanged_ = true;
}

void RecordListModel::endSetOwners()
{
    if (!ownersChanged_ || announced_ == 0)
        return;
    ownersChanged_ = false;
    emit dataChanged(index(0, 0), index(announced_ - 1, 0), { Qt::DisplayRole });
}

void RecordListModel::endAppend()
{
    const int total = int(rows_.size());
    if (total == announced_)
        return;
    // Rows are in place already; views learn of them in one step.
    beginInsertRows({}, announced_, total - 1);
    announced_ = total;
    endInsertRows();
}

void RecordListModel::clear()
{
    beginResetModel();
    rows_.clear();
    rows_.shrink_to_fit();
    text_.clear();
    text_.squeeze();
    owners_.clear();
    owners_.squeeze();
    notes_ = {};
    ownersChanged_ = false;
    announced_ = 0;
    endResetModel();
}

void RecordListModel::setNote(int row, const QString &note)
{
    if (notes_.size() <= size_t(row))
        notes_.resize(size_t(row) + 1);
    notes_[size_t(row)] = note;
}

QByteArrayView RecordListModel::bytes(int row, int column) const
{
    const Row &r = rows_[size_t(row)];
    if (column == 0)
        return QByteArrayView(owners_.constData() + r.ownerStart, r.length[0]);
    qsizetype at = r.start;
    for (int c = 1; c < column; ++c)
        at += r.length[size_t(c)];
    return QByteArrayView(text_.constData() + at, r.length[size_t(column)]);
}

QString RecordListModel::cell(int row, int column) const
{
    return QString::fromUtf8(bytes(row, column));
}

int RecordListModel::findPrefix(int column, const QString &prefix, int from, int to) const
{
    if (column < 0 || column >= kTextColumns || from < 0)
        return -1;
    // Folding character by character stops at the first difference, so a
    // keystroke costs about one comparison a row.
    const QString p = app::TrUpperText(prefix);
    const int end = to < 0 ? announced_ : std::min(to, announced_);
    for (int r = from; r < end; ++r) {
        if (startsWithFolded(bytes(r, column), p))
            return r;
    }
    return -1;
}

int RecordListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : announced_;
}

int RecordListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : kTextColumns + 1;
}

QVariant RecordListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= announced_)
        return {};
    if (role == Qt::ToolTipRole) {
        // What the search matched, then who saved the record last.
        QStringList tip;
        if (size_t(index.row()) < notes_.size() && !notes_[size_t(index.row())].isEmpty())
            tip << notes_[size_t(index.row())];
        if (toolTip_) {
            const QString saved = toolTip_(id(index.row()));
            if (!saved.isEmpty())
                tip << saved;
        }
        return tip.isEmpty() ? QVariant() : QVariant(tip.join(QLatin1Char('\n')));
    }
    if (role != Qt::DisplayRole)
        return {};
    if (index.column() == kIdColumn)
        return id(index.row());
    return cell(index.row(), index.column());
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
