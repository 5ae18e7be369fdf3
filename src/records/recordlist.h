#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QSqlDatabase>
#include <QString>

#include <memory>
#include <utility>
#include <vector>

class QLineEdit;
class QLabel;

namespace platform {
class ListReader;
struct EngineResult;
} // namespace platform

class QTimer;

namespace records {

class EntryScreen;
class RecordListModel;
class SearchCursor;

// "Bul": every record in a grid over the tab area, searched by prefix as the
// operator types (a search box under each column), loaded by a double-click
// or Enter, closed by Esc. A search that matches nothing leaves no row
// chosen and says so beside its box. The first
// rows are shown at once and the rest arrive between events, so the grid and
// the search boxes are usable while a long list is still being read.
class RecordList : public QObject {
    Q_OBJECT
public:
    RecordList(EntryScreen &screen, QObject *parent = nullptr);
    ~RecordList() override;

    RecordListModel &model() const { return *model_; }
    // The "Ara" box above the grid and the records it found; the grid shows
    // them while the box holds a word of three characters or more.
    QLineEdit *txtAra() const { return ara_; }
    RecordListModel &found() const { return *results_; }
    bool showingFound() const { return showingFound_; }
    // Reads the first rows and shows the grid when there are any; the rest
    // follow. Returns the rows read so far, or -1 when the store could not be
    // read.
    int fill();
    // Rows or owners still arriving.
    bool filling() const { return reader_ != nullptr; }
    // Rows still arriving; the owners not yet shown follow them.
    bool rowsArriving() const;
    // Reads whatever has not arrived yet, at once. Returns the row count, or
    // -1 when the store could not be read.
    int finishFill();
    void search(int box);
    // The box whose text matched no row, or -1.
    int notFoundBox() const { return notFoundBox_; }
    // Searches the whole store for every word typed in "Ara". False when the
    // store could not be searched (the error box has been shown).
    bool searchAll();
    // The "Ara" matches not read yet, at once.
    void finishSearchAll();
    // Loads the record of a grid row (0-based; -1 for the header) and closes.
    void open(int row);
    void close();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Reads up to rows more rows, or owners of rows read without them; show
    // hands them to the grid (and the search) now.
    bool readSlice(int rows, bool withOwners, bool show);
    void startOwners(bool allNamed);
    bool readOwners(int rows, platform::EngineResult *error);
    void readMore();
    // Reads the owners of the rows on screen that have none yet.
    void readShownOwners();
    void stopFill();
    void continueSearch();
    // Puts each search box under the column it searches.
    void alignSearchBoxes();
    void markNotFound(int box);
    void showModel(RecordListModel *model);
    // Adds up to count more "Ara" matches (all when 0) to the rows found.
    bool readFound(int count);
    void readMoreFound();

    EntryScreen &screen_;
    RecordListModel *model_;
    RecordListModel *results_;
    QLineEdit *ara_;
    QLabel *araLabel_;
    bool showingFound_ = false;
    bool moreFound_ = false; // matches after the first screenful still to read
    QTimer *restOfFound_; // reads them once the typing pauses, a part at a time
    std::unique_ptr<SearchCursor> cursor_;
    QSqlDatabase db_;
    // "Ara"'s own connection while the list is open: an opening per key
    // would cost more than the search itself.
    QSqlDatabase searchDb_;
    std::unique_ptr<platform::ListReader> reader_;
    bool failed_ = false;
    QLabel *notFound_ = nullptr;
    int notFoundBox_ = -1;
    int namedRows_ = 0; // rows read with their owner, from the top
    std::vector<std::pair<qint64, int>> ownerOrder_; // (ID, row) by ID
    size_t nextOwner_ = 0;
    QElapsedTimer sinceShown_;
    // A search whose match has not arrived yet: looked for again in each slice.
    struct Pending {
        int column = -1;
        QString prefix;
        int from = 0;
    } pending_;
};

} // namespace records
