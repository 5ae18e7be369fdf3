// The three frames shown over the tab area on demand: the record list and the
// two print frames.
#include "entryscreen.h"
#include "screenbuilder.h"

#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

namespace records {

namespace {

using B = ScreenBuilder;

QFrame *overlay(QWidget *window, const QString &name, int x, int y, int w, int h)
{
    auto *f = new QFrame(window);
    f->setObjectName(name);
    f->setFrameShape(QFrame::Panel);
    f->setFrameShadow(QFrame::Raised);
    f->setLineWidth(2);
    f->setAutoFillBackground(true);
    QPalette p = f->palette();
    p.setColor(QPalette::Window, QColor(198, 218, 232));
    f->setPalette(p);
    f->setGeometry(B::px(x), B::px(y), B::px(w), B::px(h));
    f->hide();
    return f;
}

QLabel *heading(QFrame *f, const QString &text, int x, int y, int w)
{
    auto *l = new QLabel(text, f);
    l->setGeometry(B::px(x), B::px(y), B::px(w), 16);
    l->setAlignment(Qt::AlignCenter);
    QFont bold = l->font();
    bold.setBold(true);
    l->setFont(bold);
    l->setStyleSheet(QStringLiteral("color: rgb(192, 0, 0);"));
    return l;
}

} // namespace

void EntryScreen::buildOverlays(QWidget *window)
{
    ScreenBuilder b(*this);

    // The three frames may be open together with the right-hand buttons in
    // use, so none lies over another or over a button: the list fills the tab
    // area up to the buttons, the print frames stand one above the other to
    // its left.
    frmARA_ = overlay(window, QStringLiteral("frmARA"), 4365, 1020, 9075, 8805);
    sprX_ = new QTableView(frmARA_);
    sprX_->setObjectName(QStringLiteral("sprX"));
    sprX_->setGeometry(B::px(60), B::px(105), B::px(8940), B::px(7710));
    sprX_->setSelectionBehavior(QAbstractItemView::SelectRows);
    sprX_->setSelectionMode(QAbstractItemView::SingleSelection);
    sprX_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    sprX_->verticalHeader()->setDefaultSectionSize(18);
    sprX_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    static const int searchBoxes[5][2] = { { 585, 2070 }, { 2685, 1110 }, { 3810, 1110 },
        { 4950, 1830 }, { 6810, 2160 } };
    for (int i = 0; i < 5; ++i) {
        auto *box = new QLineEdit(frmARA_);
        box->setObjectName(QStringLiteral("txtara%1").arg(i));
        box->setGeometry(
            B::px(searchBoxes[i][0]), B::px(7845), B::px(searchBoxes[i][1]), B::px(300));
        txtara_[size_t(i)] = box;
    }
    btnCancel_ = b.button(frmARA_, QStringLiteral("btnCancel"), QStringLiteral("Vazgeç"),
        B::px(7620), B::px(8205), 91, 30);

    // EK-1 print frame.
    frmYazdir_ = overlay(window, QStringLiteral("FrmYazdir"), 180, 1200, 3945, 3975);
    QWidget *f = frmYazdir_;
    heading(static_cast<QFrame *>(f), QStringLiteral("Müracaat Vekalet ile yapılıyor ise;"), 165,
        105, 3585);
    b.label(f, QStringLiteral("Noterin Adı"), B::px(105), B::px(360), 80);
    b.text(f, 131, 100, Qt::AlignLeft, B::px(1320), B::px(345), B::px(2565), 401,
        QStringLiteral("Noterin Adı"));
    b.label(f, QStringLiteral("Tarih ve Sayısı"), B::px(105), B::px(675), 90);
    b.date(f, 7, B::px(1455), B::px(675), B::px(1230), 402, QStringLiteral("Tarih ve Sayısı"));
    b.text(f, 132, 100, Qt::AlignLeft, B::px(2730), B::px(675), B::px(1155), 403,
        QStringLiteral("Tarih ve Sayısı"));
    b.label(f, QStringLiteral("Vekilin Adı Soyadı"), B::px(105), B::px(1020), 110);
    b.text(f, 133, 100, Qt::AlignLeft, B::px(1800), B::px(1020), B::px(2085), 404,
        QStringLiteral("Vekilin Adı Soyadı"));
    b.label(f, QStringLiteral("Açık Adresi"), B::px(105), B::px(1350), 80);
    b.memo(f, 134, 100, false, B::px(1320), B::px(1365), B::px(2565), B::px(780), 405,
        QStringLiteral("Açık Adresi"));
    heading(static_cast<QFrame *>(f), QStringLiteral("Tescil Şube Müdürlüğü"), 180, 2520, 3585);
    b.text(f, 124, 100, Qt::AlignLeft, B::px(420), B::px(2835), B::px(3135), 406,
        QStringLiteral("Tescil Şube Müdürlüğü"));
    xpButton6_ = b.button(f, QStringLiteral("XPButton6"), QStringLiteral("İptal"), B::px(450),
        B::px(3345), B::px(1365), B::px(495));
    xpButton3_ = b.button(f, QStringLiteral("XPButton3"), QStringLiteral("Yazdır"), B::px(2220),
        B::px(3345), B::px(1365), B::px(495));
    frameButtons(xpButton3_, xpButton6_, 407);

    // EK-9 print frame.
    frame5_ = overlay(window, QStringLiteral("Frame5"), 180, 5400, 3630, 2160);
    f = frame5_;
    heading(static_cast<QFrame *>(f), QStringLiteral("EK-9"), 15, 45, 3585);
    static const struct {
        int index, labelX, top;
        const char *label;
    } ek9[] = { { 125, 75, 390, "Valilik" }, { 126, 60, 720, "Büro" }, { 127, 60, 1050, "Sayı" } };
    for (const auto &e : ek9) {
        const QString label = QString::fromUtf8(e.label);
        b.label(f, label, B::px(e.labelX), B::px(e.top), 60);
        b.text(f, e.index, 100, Qt::AlignLeft, B::px(1125), B::px(e.top), B::px(2340),
            410 + e.index, label);
    }
    xpButton8_ = b.button(f, QStringLiteral("XPButton8"), QStringLiteral("İptal"), B::px(210),
        B::px(1545), B::px(1365), B::px(495));
    xpButton7_ = b.button(f, QStringLiteral("XPButton7"), QStringLiteral("Yazdır"), B::px(2130),
        B::px(1545), B::px(1365), B::px(495));
    frameButtons(xpButton7_, xpButton8_, 538);
}

void EntryScreen::frameButtons(QPushButton *print, QPushButton *cancel, int order)
{
    // A print frame is finished by keyboard: Tab reaches its buttons after its
    // boxes, Enter or Space presses the one with the cursor.
    for (QPushButton *b : { print, cancel }) {
        b->setFocusPolicy(Qt::StrongFocus);
        b->setAutoDefault(true);
    }
    print->setToolTip(QStringLiteral("Yazdır (Enter son kutuda; Esc: İptal)"));
    setOrder(print, order);
    setOrder(cancel, order + 1);
}

} // namespace records
