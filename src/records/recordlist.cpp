#include "recordlist.h"

#include "app/basics.h"
#include "app/datafiles.h"
#include "app/errorbox.h"
#include "entryscreen.h"
#include "loadrecord.h"
#include "platform/sqliteengine.h"
#include "recordlistmodel.h"
#include "recordstore.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QTableView>

namespace records {

namespace {

// The first owner by slot; a Null name part counts as empty text.
const char *kListQuery =
    "SELECT K.ID, (SELECT trim(coalesce(S.AD, '') || ' ' || coalesce(S.SOYAD, '')) "
    "FROM ARACSAHIPLERI S WHERE S.ARACID = K.ID ORDER BY S.SAHIPNO, S.ID LIMIT 1), "
    "K.ESKIPLAKA, K.YENIPLAKA, K.SASENO, K.MOTORNO "
    "FROM ARACKAYIT K WHERE K.ID > 0 ORDER BY K.ESKIPLAKA";

// The last column leaves room for the scroll bar, so no row scrolls sideways.
constexpr int kColumnWidths[] = { 138, 74, 74, 122, 130 };

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

} // namespace

RecordList::RecordList(EntryScreen &screen, QObject *parent)
    : QObject(parent)
    , screen_(screen)
    , model_(new RecordListModel(this))
{
    QTableView *grid = screen_.sprX();
    grid->setModel(model_);
    grid->verticalHeader()->setFixedWidth(39);
    grid->verticalHeader()->setDefaultAlignment(Qt::AlignRight | Qt::AlignVCenter);
    for (int c = 0; c < RecordListModel::kTextColumns; ++c)
        grid->setColumnWidth(c, kColumnWidths[c]);
    grid->setColumnHidden(RecordListModel::kIdColumn, true);
    grid->horizontalHeader()->setStretchLastSection(false);

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
}

int RecordList::fill()
{
    app::CursorWait();
    model_->clear();
    QSqlDatabase db;
    if (!app::OpenData(db, app::RecordStoreData)) {
        app::HataGoster(
            3051, QStringLiteral("Kayıt deposu açılamadı."), QStringLiteral("Bul"), true);
        return -1;
    }
    // Repaint only: keys typed ahead after "Bul" wait for the search box.
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    QVector<RecordListModel::Row> rows;
    QElapsedTimer clock;
    clock.start();
    std::unique_ptr<QProgressDialog> progress;
    platform::EngineResult error;
    const bool ok = platform::forEachRow(
        db, kListQuery,
        [&](const platform::RowText *c, int) {
            std::array<QByteArrayView, RecordListModel::kTextColumns> texts;
            for (int i = 0; i < RecordListModel::kTextColumns; ++i)
                texts[size_t(i)] = trimmedText(c[i + 1]);
            RecordListModel::Row row = RecordListModel::Row::fromUtf8(
                c[0].isNull ? 0 : QByteArray::fromRawData(c[0].data, c[0].size).toLongLong(),
                texts);
            rows.push_back(std::move(row));
            // A long fill shows how far it has come.
            if ((rows.size() & 4095) == 0 && clock.elapsed() > 500) {
                if (!progress) {
                    progress =
                        std::make_unique<QProgressDialog>(QStringLiteral("Kayıtlar okunuyor..."),
                            QString(), 0, 0, screen_.sTabber()->window());
                    progress->setWindowModality(Qt::WindowModal);
                    progress->setMinimumDuration(0);
                }
                progress->setLabelText(QStringLiteral("Kayıtlar okunuyor... %1").arg(rows.size()));
                QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
            }
        },
        &error);
    progress.reset();
    app::CloseDb(db);
    if (!ok) {
        app::HataGoster(error.code, storeErrorText(error.message), QStringLiteral("Bul"), true);
        return -1;
    }
    model_->setRows(std::move(rows));
    app::CursorDefault();
    if (model_->rowCount() > 0) {
        screen_.sprX()->setCurrentIndex(model_->index(0, 0));
        screen_.showOverlay(screen_.frmARA());
        screen_.txtara(0)->setFocus(Qt::OtherFocusReason);
    }
    return model_->rowCount();
}

void RecordList::search(int box)
{
    const QString text = screen_.txtara(box)->text();
    const int r = model_->findPrefix(box, text);
    if (r < 0)
        return;
    QTableView *grid = screen_.sprX();
    const QModelIndex index = model_->index(r, 0);
    grid->setCurrentIndex(index);
    grid->scrollTo(index, QAbstractItemView::PositionAtTop);
}

void RecordList::open(int row)
{
    const qint64 id = row >= 0 && row < model_->rowCount() ? model_->row(row).id : 0;
    OKU(screen_, id);
    close();
}

bool RecordList::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    auto *key = static_cast<QKeyEvent *>(event);
    QTableView *grid = screen_.sprX();
    switch (key->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        open(grid->currentIndex().isValid() ? grid->currentIndex().row() : -1);
        return true;
    case Qt::Key_Escape:
        close();
        return true;
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        // From a search box the arrows walk the grid; the box keeps the focus.
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
    screen_.hideOverlay(screen_.frmARA());
}

} // namespace records
