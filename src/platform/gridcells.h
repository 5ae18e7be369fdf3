#pragma once

#include <QString>
#include <QVariant>

namespace platform {

// What the program asks of a grid control: an active cell given by Row and Col
// (1-based), its displayed Text and its stored Value.
class GridCells {
public:
    virtual ~GridCells() = default;
    virtual int rowCount() const = 0;
    virtual int colCount() const = 0;
    virtual int row() const = 0;
    virtual int col() const = 0;
    virtual void setRow(int row) = 0;
    virtual void setCol(int col) = 0;
    virtual QString text() const = 0;
    virtual QVariant value() const = 0;
    virtual void setText(const QString &text) = 0;
};

} // namespace platform
