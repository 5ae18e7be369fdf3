#include "recordlist.h"

#include "boxmarks.h"

#include "app/basics.h"
#include "app/datafiles.h"
#include "app/errorbox.h"
#include "app/sharedstore.h"
#include "entryscreen.h"
#include "loadrecord.h"
#include "platform/listreader.h"
#include "platform/messages.h"
#include "platform/storedialect.h"
#include "recordlistmodel.h"
#include "recordstore.h"
#include "searchindex.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSqlQuery>
#include <QTableView>
#include <QTimer>

#include <algorithm>

namespace records {

namespace {

// The last column leaves room for the scroll bar, so no row scrolls sideways.
constexpr int kColumnWidths[] = { 138, 74, 74, 122, 130 };

// Rows read before the grid is first shown: more than a screenful.
constexpr int kFirstRows = 200;
// Rows a slice reads between events, and how long the reading may hold the
// event loop before input is served again.
constexpr int kSliceRows = 2000;
constexpr int kSliceMs = 15;
// Rows read are shown to the grid at most this often: each showing lays out
// and paints the grid again, which would otherwise cost more than the reading.
constexpr int kShowEveryMs = 150;
// "Ara" first reads as many matches as the grid shows (a window made taller
// shows more), at least this many: every record read before the first paint
// makes the key slower.
constexpr int kFirstFoundLeast = 20;
// The pause in the typing after which the rest of the matches are read.
constexpr int kRestOfFoundMs = 300;
// How many matches a part of the rest is: a few milliseconds of reading.
constexpr int kFoundPart = 500;

// Null-safe text of a column, blanks trimmed, without a variant in between.
QByteArrayView trimmedText(const platform::RowText &c)
{
    if (c.isNull)
        return {};
    const char *b = c.data;
    const char *e = c.data + c.size;
    while (b < e && *b == ' ')
        ++b;
    while (e > b && e[-1] == ' ')
        --e;
    return QByteArrayView(b, e - b);
}

// A tooltip is no place for an error box: a store that cannot tell simply
// shows none.
class QuietMessages final : public platform::MessageService {
public:
    platform::MsgAnswer show(const platform::MessageRequest &) override
    {
        return platform::MsgAnswer::Cancel;
    }
    void endProcess(int) override { }
};

// Which desk saved a record last, and when, as the list's tooltip says it.
QString lastSaveNote(qint64 id)
{
    QuietMessages quiet;
    platform::MessageService *before = &platform::messages();
    platform::setMessageService(&quiet);
    QString note;
    QSqlDatabase db;
    if (app::OpenData(db, app::RecordStoreData)) {
        QSqlQuery q(db);
        q.prepare(
            QStringLiteral("SELECT DEGISIKLIKMASA, DEGISIKLIKZAMANI FROM ARACKAYIT WHERE ID = ?"));
        q.addBindValue(id);
        if (q.exec() && q.next() && !q.value(0).toString().isEmpty())
            note = QStringLiteral("Son kaydeden: %1, %2")
                       .arg(q.value(0).toString(), q.value(1).toString());
        q = QSqlQuery();
        app::CloseDb(db);
    }
    platform::setMessageService(before);
    return note;
}

} // namespace

RecordList::RecordList(EntryScreen &screen, QObject *parent)
    : QObject(parent)
    , screen_(screen)
    , model_(new RecordListModel(this))
    , results_(new RecordListModel(this))
    , ara_(new QLineEdit(screen.frmARA()))
    , araLabel_(new QLabel(QStringLiteral("Ara"), screen.frmARA()))
    , restOfFound_(new QTimer(this))
{
    restOfFound_->setSingleShot(true);
    connect(restOfFound_, &QTimer::timeout, this, &RecordList::readMoreFound);
    QTableView *grid = screen_.sprX();
    // "Ara" sits above the grid, which gives up a box's height for it.
    const QRect g = grid->geometry();
    constexpr int kAraHeight = 24;
    araLabel_->setGeometry(g.x(), g.y() + 2, 30, kAraHeight - 4);
    ara_->setObjectName(QStringLiteral("txtAra"));
    ara_->setGeometry(g.x() + 32, g.y(), g.width() - 32, kAraHeight - 4);
    ara_->setPlaceholderText(QStringLiteral(
        "Ad, soyad, kimlik no, telefon, plaka, şase, motor, belge no... (en az üç harf)"));
    ara_->setToolTip(QStringLiteral(
        "Yazılan her kelimeyi taşıyan kayıtlar listelenir: sahiplerin (önceki sahipler de) "
        "ad, soyad, baba, anne adı, ilçe, mahalle, cadde, sokak kelimelerinin başı; kimlik ve "
        "vergi no, telefon, plaka, şase, motor, belge, poliçe ve makbuz numaralarının "
        "herhangi bir parçası. Esc kutuyu boşaltır."));
    grid->setGeometry(g.x(), g.y() + kAraHeight, g.width(), g.height() - kAraHeight);
    showModel(model_);
    model_->setToolTipSource(lastSaveNote);
    results_->setToolTipSource(lastSaveNote);
    grid->verticalHeader()->setFixedWidth(39);
    grid->verticalHeader()->setDefaultAlignment(Qt::AlignRight | Qt::AlignVCenter);
    grid->horizontalHeader()->setStretchLastSection(false);
    for (int c = 0; c < RecordListModel::kTextColumns; ++c) {
        const QString column = model_->headerData(c, Qt::Horizontal).toString();
        screen_.txtara(c)->setPlaceholderText(column);
        screen_.txtara(c)->setToolTip(QStringLiteral("%1 ile ara").arg(column));
    }
    alignSearchBoxes();
    connect(grid->horizontalHeader(), &QHeaderView::sectionResized, this,
        &RecordList::alignSearchBoxes);
    notFound_ = new QLabel(QStringLiteral("bulunamadı"), screen_.frmARA());
    notFound_->setObjectName(QStringLiteral("lblBulunamadi"));
    notFound_->setStyleSheet(QStringLiteral("color: rgb(160, 64, 0); font-weight: bold;"));
    notFound_->hide();
    connect(ara_, &QLineEdit::textChanged, this, [this] { searchAll(); });
    ara_->installEventFilter(this);

    connect(screen_.cmdBUL(), &QPushButton::clicked, this, [this] { fill(); });
    for (int i = 0; i < RecordListModel::kTextColumns; ++i)
        connect(screen_.txtara(i), &QLineEdit::textChanged, this, [this, i] { search(i); });
    connect(grid, &QTableView::doubleClicked, this,
        [this](const QModelIndex &index) { open(index.row()); });
    // Only the row counts: its number in the left margin opens it too.
    connect(grid->verticalHeader(), &QHeaderView::sectionDoubleClicked, this,
        [this](int row) { open(row); });
    connect(
        grid->horizontalHeader(), &QHeaderView::sectionDoubleClicked, this, [this] { open(-1); });
    grid->installEventFilter(this);
    for (int i = 0; i < RecordListModel::kTextColumns; ++i)
        screen_.txtara(i)->installEventFilter(this);
    connect(screen_.btnCancel(), &QPushButton::clicked, this, &RecordList::close);
    // Owners read after the rows are read for the rows on screen at once.
    connect(
        grid->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { readShownOwners(); });
}

RecordList::~RecordList() = default;

int RecordList::fill()
{
    stopFill();
    app::CursorWait();
    model_->clear();
    pending_ = {};
    failed_ = false;
    // A search left from the last opening would name a row the cursor is not
    // on: the list always opens on row 1 with its boxes empty.
    for (int i = 0; i < RecordListModel::kTextColumns; ++i) {
        const QSignalBlocker quiet(screen_.txtara(i));
        screen_.txtara(i)->clear();
    }
    markNotFound(-1);
    if (!app::OpenData(db_, app::RecordStoreData))
        return -1; // the opening's own box has been shown
    // The list reads more than a save; its slices get a longer bound.
    platform::dialectOf(db_).boundStatements(db_, app::listStatementBound());
    reader_ = platform::makeListReader(db_);
    const bool ok = readSlice(kFirstRows, true, true);
    namedRows_ = model_->rows();
    app::CursorDefault();
    if (!ok)
        return -1;
    if (model_->rowCount() > 0) {
        screen_.sprX()->setCurrentIndex(model_->index(0, 0));
        screen_.showOverlay(screen_.frmARA());
        // Laid out by now, in the style the window ended up with.
        alignSearchBoxes();
        screen_.txtara(0)->setFocus(Qt::OtherFocusReason);
    } else {
        // Nothing to list: said where the clerk glances, not left as a dead key.
        emit screen_.marks().notice(QStringLiteral("Kayıt deposunda henüz kayıt yok."));
    }
    if (showingFound_ || !ara_->text().isEmpty())
        searchAll();
    if (filling())
        QTimer::singleShot(0, this, &RecordList::readMore);
    return model_->rowCount();
}

bool RecordList::rowsArriving() const
{
    return reader_ && !reader_->done();
}

int RecordList::finishFill()
{
    while (filling()) {
        if (!readSlice(kSliceRows, false, false))
            return -1;
    }
    return failed_ ? -1 : model_->rowCount();
}

bool RecordList::readSlice(int rows, bool withOwners, bool show)
{
    platform::EngineResult error;
    bool ok = true;
    if (!reader_->done()) {
        ok = reader_->readSlice(
            rows, withOwners,
            [this, withOwners](qint64 id, const platform::RowText *texts) {
                RecordListModel::Cells cells;
                for (int i = 0; i < RecordListModel::kTextColumns; ++i)
                    cells[size_t(i)] = trimmedText(texts[i]);
                model_->append(id, cells, withOwners);
            },
            &error);
        if (ok && reader_->done()) {
            startOwners(withOwners);
            show = true; // the last rows are shown as soon as they are read
        }
    } else {
        ok = readOwners(rows, &error);
    }
    const QString state = ok ? QString() : reader_->errorState();
    const bool last = !ok || (reader_->done() && nextOwner_ >= ownerOrder_.size());
    if (last)
        stopFill();
    if (show || last) {
        model_->endAppend();
        if (ok && !last)
            readShownOwners();
        model_->endSetOwners();
        sinceShown_.start();
    }
    if (!ok) {
        failed_ = true;
        if (app::usesSharedStore()) {
            const QSqlError server(QString(), error.message,
                state.isEmpty() ? QSqlError::ConnectionError : QSqlError::StatementError, state);
            app::HataGoster(app::sqlErrorNumber(server), app::serverErrorText(server),
                QStringLiteral("Bul"), true);
        } else {
            app::HataGoster(error.code, storeErrorText(error.message, QString(), error.code),
                QStringLiteral("Bul"), true);
        }
        return false;
    }
    if (pending_.column >= 0 && (show || last))
        continueSearch();
    return true;
}

void RecordList::startOwners(bool allNamed)
{
    // Rows read without their owner, by ID, so the owners can be read in the
    // owner table's own order and matched in one pass.
    ownerOrder_.clear();
    nextOwner_ = 0;
    if (allNamed)
        return;
    const int count = int(model_->rows());
    ownerOrder_.reserve(size_t(count - namedRows_));
    for (int r = namedRows_; r < count; ++r)
        ownerOrder_.push_back({ model_->id(r), r });
    std::sort(ownerOrder_.begin(), ownerOrder_.end());
}

bool RecordList::readOwners(int rows, platform::EngineResult *error)
{
    const size_t from = nextOwner_;
    const size_t to = std::min(ownerOrder_.size(), from + size_t(rows));
    size_t at = from;
    const bool ok = reader_->readFirstOwners(
        ownerOrder_[from].first, ownerOrder_[to - 1].first,
        [&](qint64 id, const platform::RowText &owner) {
            while (at < to && ownerOrder_[at].first < id)
                ++at;
            if (at < to && ownerOrder_[at].first == id)
                model_->setOwner(ownerOrder_[at].second, trimmedText(owner));
        },
        error);
    nextOwner_ = to;
    return ok;
}

void RecordList::readShownOwners()
{
    if (!reader_ || namedRows_ >= model_->rowCount())
        return;
    QTableView *grid = screen_.sprX();
    const int top = std::max(grid->rowAt(0), 0);
    int bottom = grid->rowAt(grid->viewport()->height() - 1);
    if (bottom < 0)
        bottom = std::min(model_->rowCount(), top + kFirstRows) - 1;
    platform::EngineResult error;
    for (int r = std::max(top, namedRows_); r <= bottom; ++r) {
        if (model_->hasOwner(r))
            continue;
        const qint64 id = model_->id(r);
        // A failure here is met again, and reported, by the owners' own pass.
        if (!reader_->readFirstOwners(
                id, id,
                [&](qint64, const platform::RowText &owner) {
                    model_->setOwner(r, trimmedText(owner));
                },
                &error))
            return;
        model_->setOwner(r, {}); // no owner: nothing to read again
    }
    model_->endSetOwners();
}

void RecordList::readMore()
{
    if (!filling())
        return;
    QElapsedTimer clock;
    clock.start();
    while (filling() && clock.elapsed() < kSliceMs) {
        if (!readSlice(kSliceRows / 4, false, sinceShown_.elapsed() >= kShowEveryMs))
            return;
    }
    if (filling())
        QTimer::singleShot(0, this, &RecordList::readMore);
}

void RecordList::stopFill()
{
    reader_.reset();
    ownerOrder_ = {};
    nextOwner_ = 0;
    if (db_.isValid()) {
        platform::dialectOf(db_).boundStatements(db_, 0);
        app::CloseDb(db_);
    }
}

void RecordList::showModel(RecordListModel *model)
{
    QTableView *grid = screen_.sprX();
    showingFound_ = model == results_;
    if (grid->model() == model)
        return;
    grid->setModel(model);
    for (int c = 0; c < RecordListModel::kTextColumns; ++c)
        grid->setColumnWidth(c, kColumnWidths[c]);
    grid->setColumnHidden(RecordListModel::kIdColumn, true);
    if (model->rowCount() > 0)
        grid->setCurrentIndex(model->index(0, 0));
}

bool RecordList::searchAll()
{
    moreFound_ = false;
    restOfFound_->stop();
    cursor_.reset();
    const QStringList words = SearchIndex::words(ara_->text());
    const bool started = std::any_of(words.cbegin(), words.cend(),
        [](const QString &w) { return w.size() >= SearchIndex::kShortestWord; });
    if (!started) {
        // Too short to search yet: the whole list stays, or comes back.
        showModel(model_);
        return true;
    }
    if (!searchDb_.isValid() && !app::OpenData(searchDb_, app::RecordStoreData))
        return false;
    // The first screenful at once; the rest once the typing pauses, so each
    // key costs about a screenful however many records a short word names.
    const QTableView *grid = screen_.sprX();
    const int shown =
        grid->viewport()->height() / std::max(1, grid->verticalHeader()->defaultSectionSize());
    cursor_ = std::make_unique<SearchCursor>(searchDb_, ara_->text());
    results_->clear();
    if (!readFound(std::max(kFirstFoundLeast, shown + 2)))
        return false;
    showModel(results_);
    if (results_->rowCount() > 0)
        screen_.sprX()->setCurrentIndex(results_->index(0, 0));
    moreFound_ = !cursor_->atEnd();
    if (moreFound_)
        restOfFound_->start(kRestOfFoundMs);
    return true;
}

void RecordList::readMoreFound()
{
    // A part at a time, the events handled between: typing goes on while a
    // word a quarter of the store holds is read to its end.
    if (!moreFound_ || !readFound(kFoundPart))
        return;
    moreFound_ = !cursor_->atEnd();
    if (moreFound_)
        restOfFound_->start(0);
}

void RecordList::finishSearchAll()
{
    restOfFound_->stop();
    if (moreFound_ && readFound(0))
        moreFound_ = false;
}

bool RecordList::readFound(int count)
{
    std::vector<SearchHit> hits;
    QString error;
    if (!cursor_->next(count, &hits, &error)) {
        moreFound_ = false;
        cursor_.reset();
        app::HataGoster(3000,
            QStringLiteral("Kayıt deposunda aranamadı: %1")
                .arg(storeErrorText(error, QStringLiteral("ARAMA"))),
            QStringLiteral("Ara"), true);
        return false;
    }
    const int from = results_->rowCount();
    for (size_t i = 0; i < hits.size(); ++i) {
        const SearchHit &h = hits[i];
        const QByteArray texts[] = { h.owner.toUtf8(), h.eskiPlaka.toUtf8(), h.yeniPlaka.toUtf8(),
            h.saseNo.toUtf8(), h.motorNo.toUtf8() };
        RecordListModel::Cells cells;
        for (int c = 0; c < RecordListModel::kTextColumns; ++c)
            cells[size_t(c)] = texts[c];
        results_->append(h.id, cells);
        results_->setNote(from + int(i), h.matched);
    }
    results_->endAppend();
    return true;
}

void RecordList::search(int box)
{
    if (showingFound_) {
        // Among the records "Ara" found, all of them.
        finishSearchAll();
        const int r = results_->findPrefix(box, screen_.txtara(box)->text());
        if (r >= 0) {
            markNotFound(-1);
            screen_.sprX()->setCurrentIndex(results_->index(r, 0));
            screen_.sprX()->scrollTo(results_->index(r, 0), QAbstractItemView::PositionAtTop);
        } else if (!screen_.txtara(box)->text().isEmpty()) {
            // As in the whole list: no match chooses no row.
            screen_.sprX()->selectionModel()->clear();
            markNotFound(box);
        } else {
            markNotFound(-1);
        }
        return;
    }
    pending_ = { box, screen_.txtara(box)->text(), 0 };
    markNotFound(-1);
    continueSearch();
}

void RecordList::continueSearch()
{
    if (showingFound_)
        return;
    // Owners arrive after the other columns and out of order: below the rows
    // read with their owner, an owner is looked for once all are in, so the
    // first match found is the first in the list.
    const bool ownersPending = pending_.column == 0 && filling();
    const int r = model_->findPrefix(
        pending_.column, pending_.prefix, pending_.from, ownersPending ? namedRows_ : -1);
    QTableView *grid = screen_.sprX();
    if (r < 0) {
        // No row is chosen while the text has no match, so Enter cannot load
        // a row the text does not name.
        grid->selectionModel()->clear();
        // Not among the rows read so far: look again as the rest arrive.
        if (!filling()) {
            markNotFound(pending_.column);
            pending_ = {};
        } else if (!ownersPending) {
            pending_.from = model_->rowCount();
        }
        return;
    }
    pending_ = {};
    const QModelIndex index = model_->index(r, 0);
    grid->setCurrentIndex(index);
    grid->scrollTo(index, QAbstractItemView::PositionAtTop);
}

void RecordList::alignSearchBoxes()
{
    const QTableView *grid = screen_.sprX();
    const QHeaderView *columns = grid->horizontalHeader();
    const int left = grid->x() + grid->frameWidth() + grid->verticalHeader()->width();
    for (int c = 0; c < RecordListModel::kTextColumns; ++c) {
        QLineEdit *box = screen_.txtara(c);
        box->setGeometry(
            left + columns->sectionPosition(c), box->y(), columns->sectionSize(c), box->height());
    }
}

void RecordList::markNotFound(int box)
{
    if (notFoundBox_ >= 0)
        screen_.txtara(notFoundBox_)->setStyleSheet(QString());
    notFoundBox_ = box;
    if (box < 0) {
        notFound_->hide();
        return;
    }
    const QLineEdit *edit = screen_.txtara(box);
    screen_.txtara(box)->setStyleSheet(QStringLiteral("background: rgb(255, 204, 102);"));
    // Under the box, kept clear of "Vazgeç" at the row's right end.
    notFound_->adjustSize();
    const int x = std::min(edit->x(), screen_.btnCancel()->x() - notFound_->width() - 6);
    notFound_->move(x, edit->geometry().bottom() + 4);
    notFound_->show();
}

void RecordList::open(int row)
{
    const RecordListModel *shown = showingFound_ ? results_ : model_;
    // Another program may have stored a record under ID 0 or below.
    const bool chosen = row >= 0 && row < shown->rowCount();
    const qint64 id = chosen ? shown->id(row) : 0;
    // The list stays open when the clerk keeps the typing on the screen.
    if (chosen && !screen_.mayDiscardTyping(QStringLiteral("Başka bir kayıt açılırsa")))
        return;
    stopFill();
    OKU(screen_, id);
    close();
}

bool RecordList::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    auto *key = static_cast<QKeyEvent *>(event);
    // An Alt key (Alt+K, Alt+A) that reached a search box is no search text.
    if ((key->modifiers() & Qt::AltModifier) && !(key->modifiers() & Qt::ControlModifier)
        && !key->text().isEmpty())
        return true;
    QTableView *grid = screen_.sprX();
    switch (key->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // No row chosen (a search that found none): nothing to load.
        if (grid->currentIndex().isValid())
            open(grid->currentIndex().row());
        return true;
    case Qt::Key_Escape:
        // A search typed in "Ara" goes first; the list closes at the next Esc.
        if (!ara_->text().isEmpty()) {
            ara_->clear();
            return true;
        }
        close();
        return true;
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        // From a search box the arrows walk the grid; the box keeps the focus.
        // A row reached so is chosen, whatever the search found.
        if (watched != grid) {
            QKeyEvent copy(key->type(), key->key(), key->modifiers());
            QCoreApplication::sendEvent(grid, &copy);
            return true;
        }
        return false;
    default:
        return false;
    }
}

void RecordList::close()
{
    stopFill();
    restOfFound_->stop();
    moreFound_ = false;
    cursor_.reset();
    if (searchDb_.isValid())
        app::CloseDb(searchDb_);
    pending_ = {};
    screen_.hideOverlay(screen_.frmARA());
}

} // namespace records
