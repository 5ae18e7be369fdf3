#include "mainwindow.h"

#include "backups.h"
#include "basics.h"
#include "compaction.h"
#include "datafiles.h"
#include "jetimport.h"
#include "platform/messages.h"
#include "printing/fitwatch.h"
#include "printing/printframes.h"
#include "records/boxmarks.h"
#include "records/entryscreen.h"
#include "records/recordlist.h"
#include "records/saverecord.h"
#include "records/screenvalues.h"
#include "restorebackup.h"
#include "sharedstore.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDateTime>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressDialog>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QSqlDatabase>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <climits>
#include <memory>

#include <sqlite3.h>

namespace app {

namespace {

QPushButton *rightButton(QWidget *parent, const QString &name, const QString &caption, int top,
    int left = 13530, int width = 1365, int height = 495)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setGeometry((left + 7) / 15, (top + 7) / 15, (width + 7) / 15, (height + 7) / 15);
    // A click leaves the cursor in the box it was in, and a Space typed
    // next goes there rather than pressing the button again.
    b->setFocusPolicy(Qt::NoFocus);
    b->setAutoDefault(false);
    return b;
}

// Function keys of the buttons the clerk presses all day, shown in their tooltips.
const struct {
    const char *button;
    Qt::Key key;
    const char *caption;
} kButtonKeys[] = {
    { "cmdKaydet", Qt::Key_F2, "Kaydet" },
    { "cmdBUL", Qt::Key_F3, "Bul" },
    { "newRec", Qt::Key_F4, "Yeni Kayıt" },
    { "cmdYazdir", Qt::Key_F9, "EK-1" },
    { "XPButton5", Qt::Key_F10, "EK-9" },
};

} // namespace

QString MainWindow::windowTitleText()
{
    return QStringLiteral("EVRAKMATİK - Araç Tescil Evrakları");
}

MainWindow::MainWindow(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("frm_anaform"));
    setWindowTitle(windowTitleText());
    setFixedSize(kWidth, kHeight);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(141, 180, 207));
    setPalette(pal);
    // Frames: a thin border below their caption labels.
    setStyleSheet(QStringLiteral(
        "QGroupBox { border: 1px solid rgb(90, 124, 156); border-radius: 3px; margin-top: 9px; }"));

    auto *title = new QLabel(QStringLiteral("EVRAKMATİK"), this);
    title->setObjectName(QStringLiteral("lblBaslik"));
    title->setGeometry(12, 10, 400, 40);
    title->setStyleSheet(
        QStringLiteral("color: rgb(0, 32, 96); font-size: 26px; font-weight: bold;"));
    version_ = new QLabel(this);
    version_->setObjectName(QStringLiteral("LblVersiyon"));
    version_->setGeometry(548, 37, 200, 18);

    screen_ = new records::EntryScreen(this);
    list_ = new records::RecordList(*screen_, this);
    printFrames_ = new printing::PrintFrames(*screen_, this);
    new printing::FitWatch(*screen_, this);

    auto *about = rightButton(this, QStringLiteral("XPButton4"), QString(), 4395, 13635, 1080, 960);
    about->setIcon(windowIcon());
    about->setIconSize(QSize(48, 48));
    about->setToolTip(QStringLiteral("Hakkında"));
    auto *save = rightButton(this, QStringLiteral("cmdKaydet"), QStringLiteral("Kaydet"), 5775);
    auto *clear = rightButton(this, QStringLiteral("cmdSil"), QStringLiteral("Temizle"), 6330);
    auto *ek9 = rightButton(this, QStringLiteral("XPButton5"), QStringLiteral("EK-9"), 7065);
    auto *ek1 = rightButton(this, QStringLiteral("cmdYazdir"), QStringLiteral("EK-1"), 7605);
    auto *exit = rightButton(this, QStringLiteral("XPButton1"), QStringLiteral("Çıkış"), 9435);
    rightButton(this, QStringLiteral("cmdList"), QStringLiteral("EK-1 Alanlar"), 8145, 14400)
        ->hide();
    rightButton(this, QStringLiteral("cmdVersiyonNew"), QStringLiteral("Yeni Sürüm"), 2310, 13335,
        1680, 585)
        ->hide();
    rightButton(this, QStringLiteral("cmd_oldversion"), QStringLiteral("Eski Sürüm"), 3090, 13335,
        1680, 585)
        ->hide();
    const QString printStyle = QStringLiteral(
        "QPushButton { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, "
        "stop:0 rgb(255, 255, 192), stop:1 rgb(128, 128, 0)); border: 1px solid rgb(96, 96, 0); "
        "border-radius: 3px; font-weight: bold; }"
        "QPushButton:pressed { background: rgb(160, 160, 40); }");
    ek9->setStyleSheet(printStyle);
    ek1->setStyleSheet(printStyle);

    screen_->keepAboveOverlays({ about, save, clear, ek9, ek1, exit });
    connect(about, &QPushButton::clicked, this, &MainWindow::showAbout);
    connect(save, &QPushButton::clicked, this, &MainWindow::Kaydet);
    connect(clear, &QPushButton::clicked, this, [this] { screen_->EkraniTemizle(); });
    connect(screen_->newRec(), &QPushButton::clicked, this, [this] { screen_->newRecord(); });
    connect(ek1, &QPushButton::clicked, printFrames_, &printing::PrintFrames::openEk1Frame);
    connect(ek9, &QPushButton::clicked, printFrames_, &printing::PrintFrames::openEk9Frame);
    connect(exit, &QPushButton::clicked, this, &MainWindow::exitClicked);

    for (const auto &k : kButtonKeys) {
        QPushButton *b = findChild<QPushButton *>(QLatin1String(k.button));
        b->setToolTip(QStringLiteral("%1 (%2)").arg(
            QString::fromUtf8(k.caption), QKeySequence(k.key).toString(QKeySequence::NativeText)));
        auto *key = new QShortcut(QKeySequence(k.key), this);
        connect(key, &QShortcut::activated, this, [this, b] {
            // A key does what a click would: nothing while the button is locked.
            if (!b->isEnabled())
                return;
            QTabWidget *tabs = screen_->sTabber();
            for (int i = 0; i < tabs->count(); ++i) {
                if (tabs->widget(i)->isAncestorOf(b))
                    tabs->setCurrentIndex(i);
            }
            b->click();
        });
    }

    status_ = new QStatusBar(this);
    status_->setObjectName(QStringLiteral("StatusBar1"));
    status_->setGeometry(0, kHeight - 20, kWidth, 20);
    status_->setSizeGripEnabled(false);
    auto *timePanel = new QLabel(status_);
    auto *datePanel = new QLabel(status_);
    // Which store this desk works on, so a desk that should share one can tell.
    auto *infoPanel =
        new QLabel(usesSharedStore() ? QStringLiteral("Kayıt deposu: ortak (%1)")
                                           .arg(sharedStoreHost(sharedStore().connection))
                                     : QStringLiteral("Kayıt deposu: data/tescil.mdb"),
            status_);
    timePanel->setObjectName(QStringLiteral("panelSaat"));
    datePanel->setObjectName(QStringLiteral("panelTarih"));
    status_->addWidget(timePanel);
    status_->addWidget(datePanel);
    status_->addWidget(infoPanel, 1);
    // What a box just refused, for a while where the clerk glances.
    auto *noticePanel = new QLabel(status_);
    noticePanel->setObjectName(QStringLiteral("panelUyari"));
    noticePanel->setStyleSheet(QStringLiteral("color: rgb(128, 64, 0); font-weight: bold;"));
    status_->addPermanentWidget(noticePanel);
    auto *noticeTimer = new QTimer(this);
    noticeTimer->setSingleShot(true);
    noticeTimer->setInterval(10000);
    connect(noticeTimer, &QTimer::timeout, noticePanel, &QLabel::clear);
    connect(&screen_->marks(), &records::BoxMarks::notice, this,
        [noticePanel, noticeTimer](const QString &text) {
            noticePanel->setText(text + QStringLiteral("  "));
            noticeTimer->start();
        });
    // The panels keep themselves current, as a status bar's clock panels do.
    auto tick = [timePanel, datePanel] {
        const QDateTime now = QDateTime::currentDateTime();
        timePanel->setText(
            QStringLiteral("  ") + now.toString(QStringLiteral("HH:mm:ss")) + QStringLiteral("  "));
        datePanel->setText(QStringLiteral("  ") + now.toString(QStringLiteral("dd.MM.yyyy"))
            + QStringLiteral("  "));
    };
    tick();
    clock_ = new QTimer(this);
    connect(clock_, &QTimer::timeout, this, tick);
    clock_->start(1000);
}

MainWindow::~MainWindow() = default;

QPushButton *MainWindow::button(const QString &name) const
{
    return findChild<QPushButton *>(name);
}

void MainWindow::placeOnScreen()
{
    const QScreen *s = QWidget::screen() ? QWidget::screen() : QGuiApplication::primaryScreen();
    if (!s)
        return;
    const QRect area = s->geometry();
    // Centred across, 500 twips above the middle.
    move(area.x() + (area.width() - frameGeometry().width()) / 2,
        area.y() + (area.height() - frameGeometry().height()) / 2 - 500 / 15);
}

void MainWindow::load()
{
    placeOnScreen();
    // Building the search index of a large store takes a while: the clerk
    // sees how far it has come.
    std::unique_ptr<QProgressDialog> progress;
    upgradeRecordStore([&](qint64 done, qint64 total) {
        if (!progress) {
            progress = std::make_unique<QProgressDialog>(
                QStringLiteral("Arama dizini hazırlanıyor (bir kez yapılır)..."), QString(), 0,
                int(std::min<qint64>(total, INT_MAX)), this);
            progress->setWindowTitle(QStringLiteral("EVRAKMATİK"));
            progress->setMinimumDuration(0);
        }
        progress->setValue(int(std::min<qint64>(done, INT_MAX)));
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    });
    progress.reset();
    refreshHeader();
    screen_->FormuHazirla();
    records::setListChoice(screen_->cmbX(2), 0);
    screen_->settle();
    screen_->sTabber()->setCurrentIndex(0);
    CursorDefault();
}

void MainWindow::refreshHeader()
{
    version_->setText(VersionText());
}

void MainWindow::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        refreshHeader();
        CursorDefault();
    }
    QWidget::changeEvent(event);
}

void MainWindow::exitClicked()
{
    CursorDefault();
    // Typing not yet saved is named, so "Evet" is never an accident.
    const QString question = screen_->hasUnsavedTyping()
        ? QStringLiteral("Ekranda kaydedilmemiş bilgiler var; çıkarsanız kaybolacak.\n\n"
                         "Programdan kaydetmeden çıkmak istiyor musunuz?")
        : QStringLiteral("Programdan çıkmak istiyor musunuz?");
    const auto answer = platform::showMessage(platform::MsgIcon::Question,
        platform::MsgButtons::YesNo, QStringLiteral("Dikkat"), question, platform::MsgAnswer::No);
    if (answer == platform::MsgAnswer::Yes)
        ExitProgram();
}

void MainWindow::ExitProgram()
{
    exiting_ = true;
    // A large store takes seconds to compact and copy: the window says so.
    CursorWait();
    // The list's connection must be closed before the store is rewritten.
    list_->close();
    // The server reclaims its own space and is backed up on the server; the
    // local file, if any, is not in use.
    if (!usesSharedStore()) {
        CompactData(dataFilePath(RecordStoreData));
        CursorWait(); // again after a box of the compaction
        backUpRecordStore(dataFilePath(RecordStoreData));
    }
    platform::endProcess(0);
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    // The close box asks the same question as "Çıkış", so closing the window
    // never skips the compaction.
    event->ignore();
    if (!exiting_)
        exitClicked();
}

void MainWindow::Kaydet()
{
    records::Kaydet(*screen_, windowTitleText());
}

void MainWindow::showAbout()
{
    QDialog box(this);
    box.setWindowTitle(QStringLiteral("Hakkında"));
    auto *layout = new QVBoxLayout(&box);
    auto *text = new QLabel(
        QStringLiteral("<h3>EVRAKMATİK</h3><p>Araç tescil evrakları hazırlama programı</p>"
                       "<p>Sürüm: %1<br>Qt: %2<br>SQLite: %3</p>")
            .arg(VersionText(), QString::fromLatin1(qVersion()),
                QString::fromLatin1(sqlite3_libversion())),
        &box);
    layout->addWidget(text);
    auto *restore = new QPushButton(QStringLiteral("Yedekten Geri Yükle..."), &box);
    restore->setObjectName(QStringLiteral("cmdGeriYukle"));
    if (usesSharedStore()) { // backed up and restored on the server
        restore->setEnabled(false);
        restore->setToolTip(QStringLiteral("Ortak kayıt deposu sunucuda yedeklenir."));
    }
    connect(restore, &QPushButton::clicked, &box, [this, &box] {
        const QString file =
            QFileDialog::getOpenFileName(&box, QStringLiteral("Geri yüklenecek yedek"),
                backupFolder(), QStringLiteral("Kayıt deposu (*.mdb);;Tüm dosyalar (*)"));
        if (!file.isEmpty())
            restoreFromBackup(file);
    });
    // Beside the restore: both put records into the store from a file.
    auto *importJet = new QPushButton(QStringLiteral("Jet Dosyasından Aktar..."), &box);
    importJet->setObjectName(QStringLiteral("cmdJetAktar"));
    connect(importJet, &QPushButton::clicked, &box, [this, &box] {
        const QString file = QFileDialog::getOpenFileName(&box,
            QStringLiteral("Aktarılacak Jet dosyası (tescil.mdb ya da Arac.mdb)"), QString(),
            QStringLiteral("Jet veritabanı (*.mdb);;Tüm dosyalar (*)"));
        if (!file.isEmpty())
            importFromJet(file);
    });
    auto *fromFiles = new QHBoxLayout;
    fromFiles->addWidget(restore);
    fromFiles->addWidget(importJet);
    layout->addLayout(fromFiles);
    auto *ok = new QPushButton(QStringLiteral("Tamam"), &box);
    ok->setObjectName(QStringLiteral("cmdTamam"));
    connect(ok, &QPushButton::clicked, &box, &QDialog::accept);
    layout->addWidget(ok);
    // Enter closes the window; a restore is reached only on purpose.
    restore->setAutoDefault(false);
    ok->setDefault(true);
    ok->setFocus();
    box.exec();
}

void MainWindow::restoreFromBackup(const QString &file)
{
    if (!screen_->mayDiscardTyping(QStringLiteral("Yedek geri yüklenirse")))
        return;
    const auto answer = platform::showMessage(platform::MsgIcon::Question,
        platform::MsgButtons::YesNo, QStringLiteral("Dikkat"),
        QStringLiteral("Kayıt deposu şu yedekteki kayıtlarla değiştirilecek:\r\n%1\r\n\r\n"
                       "Şimdiki kayıt deposu yedek klasörüne ayrıca saklanır. Devam edilsin mi?")
            .arg(QDir::toNativeSeparators(file)),
        platform::MsgAnswer::No);
    if (answer != platform::MsgAnswer::Yes)
        return;
    // The list's connection must be closed before the store is replaced.
    list_->close();
    const RestoreOutcome outcome = restoreRecordStore(file);
    if (outcome.ok) {
        upgradeRecordStore();
        // Nothing of the store before may be saved into the restored one.
        records::showAsFresh(*screen_);
    }
    platform::showMessage(outcome.ok ? platform::MsgIcon::Information : platform::MsgIcon::Critical,
        platform::MsgButtons::Ok, outcome.ok ? QStringLiteral("Bilgi") : QStringLiteral("Dikkat"),
        outcome.text);
}

void MainWindow::importFromJet(const QString &file)
{
    const bool brands = jetFileContent(file) == JetContent::Brands;
    const auto answer = platform::showMessage(platform::MsgIcon::Question,
        platform::MsgButtons::YesNo, QStringLiteral("Dikkat"),
        (brands ? QStringLiteral("Şu dosyadaki marka ve modeller marka listesine eklenecek:")
                : QStringLiteral("Şu dosyadaki kayıtlar (ARACKAYIT, ARACSAHIPLERI) kayıt "
                                 "deposuna aktarılacak:"))
            + QStringLiteral("\r\n%1\r\n\r\nDosyanın kendisi değiştirilmez. Devam edilsin mi?")
                  .arg(QDir::toNativeSeparators(file)),
        platform::MsgAnswer::No);
    if (answer != platform::MsgAnswer::Yes)
        return;
    // The list's connection must be closed while the store fills.
    list_->close();
    JetImportOutcome outcome = brands ? importJetBrands(file) : importJetRecords(file);
    // A box holds a screenful; the whole list is on the command line's output.
    constexpr int kShown = 20;
    if (outcome.changed.size() > kShown) {
        const int cut = outcome.text.indexOf(outcome.changed.at(kShown));
        if (cut > 0)
            outcome.text = outcome.text.left(cut)
                + QStringLiteral("... ve %1 değer daha (tam liste için: evrakmatik --import-jet "
                                 "DOSYA)")
                      .arg(outcome.changed.size() - kShown);
    }
    platform::showMessage(outcome.ok ? platform::MsgIcon::Information : platform::MsgIcon::Critical,
        platform::MsgButtons::Ok, outcome.ok ? QStringLiteral("Bilgi") : QStringLiteral("Dikkat"),
        outcome.text);
}

} // namespace app
