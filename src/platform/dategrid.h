#pragma once

#include "gridcells.h"

#include <QDate>
#include <QLineEdit>

namespace platform {

// A one-cell grid whose cell is a date cell: shows "dd.mm.yyyy" and accepts
// only dates from 01.01.1900 to 31.12.2100. A typed date that is not valid
// there is refused and the cell goes back to its previous text; why is shown
// in the window's status bar and stays as the cell's tooltip until the next
// edit.
class DateGrid : public QLineEdit, public GridCells {
    Q_OBJECT
public:
    explicit DateGrid(QWidget *parent = nullptr);

    static QDate parse(const QString &text);
    static bool inRange(const QDate &date);

    int rowCount() const override { return 1; }
    int colCount() const override { return 1; }
    int row() const override { return row_; }
    int col() const override { return col_; }
    void setRow(int row) override { row_ = row; }
    void setCol(int col) override { col_ = col; }
    QString text() const override;
    // The stored value: the date as yyyymmdd, empty for an empty cell.
    QVariant value() const override;
    // A valid date in range in any of the separators shows as dd.mm.yyyy; an
    // empty text empties the cell; anything else leaves the cell unchanged.
    void setText(const QString &text) override;
    // Why the last text typed was refused; empty once it was taken or edited.
    QString refusal() const { return note_; }

protected:
    void focusOutEvent(QFocusEvent *event) override;

private:
    void commit();
    void tell(const QString &note);

    int row_ = 1;
    int col_ = 1;
    QString accepted_;
    QString note_; // why the last typed text was refused
    QString ownTip_;
};

} // namespace platform
