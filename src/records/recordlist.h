#pragma once

#include <QObject>

namespace records {

class EntryScreen;
class RecordListModel;

// "Bul": every record in a grid over the tab area, searched by prefix as the
// operator types, loaded by a double-click or Enter, closed by Esc.
class RecordList : public QObject {
    Q_OBJECT
public:
    RecordList(EntryScreen &screen, QObject *parent = nullptr);

    RecordListModel &model() const { return *model_; }
    // Fills the grid and shows it when it has rows. Returns the row count, or
    // -1 when the store could not be read.
    int fill();
    void search(int box);
    // Loads the record of a grid row (0-based; -1 for the header) and closes.
    void open(int row);
    void close();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    EntryScreen &screen_;
    RecordListModel *model_;
};

} // namespace records
