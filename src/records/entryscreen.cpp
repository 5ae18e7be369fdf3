#include "entryscreen.h"

#include "entrybehaviour.h"
#include "platform/dategrid.h"
#include "typingguards.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>

namespace records {

EntryScreen::EntryScreen(QWidget *window)
    : QObject(window)
    , window_(window)
{
    behaviour_ = new EntryBehaviour(this);
    tabber_ = new QTabWidget(window);
    tabber_->setObjectName(QStringLiteral("sTabber"));
    tabber_->setGeometry(0, 62, 882, 600);
    tabber_->tabBar()->setFocusPolicy(Qt::NoFocus);
    auto *vehicle = new QWidget;
    auto *owners = new QWidget;
    vehicle->setObjectName(QStringLiteral("tabAracBilgileri"));
    owners->setObjectName(QStringLiteral("tabKullaniciBilgileri"));
    for (QWidget *page : { vehicle, owners }) {
        page->setAutoFillBackground(true);
        QPalette p = page->palette();
        p.setColor(QPalette::Window, QColor(141, 180, 207));
        page->setPalette(p);
    }
    tabber_->addTab(vehicle, QStringLiteral("Araç Bilgileri"));
    tabber_->addTab(owners, QStringLiteral("&Kullanıcı Bilgileri"));
    buildVehicleTab(vehicle);
    buildOwnerTab(owners);
    buildOverlays(window);
    applyFocusOrder();
    guards_ = new TypingGuards(*this, *behaviour_);
    connect(cmbX(0), &QComboBox::activated, this, [this] { ModelDoldur(); });
}

EntryScreen::~EntryScreen() = default;

TextBox *EntryScreen::txt(int i) const
{
    return i >= 0 && i < kTxtCount ? txt_[size_t(i)] : nullptr;
}

platform::DateGrid *EntryScreen::sprTarih(int i) const
{
    return i >= 0 && i < kDateCount ? spr_[size_t(i)] : nullptr;
}

QComboBox *EntryScreen::cmbX(int i) const
{
    const auto it = cmb_.find(i);
    return it == cmb_.end() ? nullptr : it->second;
}

QRadioButton *EntryScreen::optX(int i) const
{
    return i >= kOptFirst && i <= kOptLast ? opt_[size_t(i)] : nullptr;
}

QCheckBox *EntryScreen::chkX(int i) const
{
    return i >= 0 && i < kChkCount ? chk_[size_t(i)] : nullptr;
}

QRadioButton *EntryScreen::pair(const std::array<QRadioButton *, kPairCount> &a, int i)
{
    return i >= 0 && i < kPairCount ? a[size_t(i)] : nullptr;
}

const QVector<int> &EntryScreen::comboIndices()
{
    static const QVector<int> indices { 0, 1, 2, 3, 4, 6, 8, 9, 12 };
    return indices;
}

void EntryScreen::setOrder(QWidget *w, int key)
{
    order_.emplace(key, w);
}

int EntryScreen::orderKey(QWidget *w) const
{
    for (const auto &[key, widget] : order_) {
        if (widget == w)
            return key;
    }
    return -1;
}

QVector<QWidget *> EntryScreen::focusOrder() const
{
    QVector<QWidget *> list;
    for (const auto &[key, widget] : order_)
        list << widget;
    return list;
}

void EntryScreen::applyFocusOrder()
{
    QWidget *previous = nullptr;
    for (const auto &[key, widget] : order_) {
        if (previous)
            QWidget::setTabOrder(previous, widget);
        previous = widget;
    }
}

void EntryScreen::showOverlay(QWidget *frame)
{
    tabber_->setEnabled(false);
    frame->show();
    frame->raise();
    for (QWidget *w : std::as_const(aboveOverlays_))
        w->raise();
}

void EntryScreen::hideOverlay(QWidget *frame)
{
    tabber_->setEnabled(true);
    frame->hide();
}

void EntryScreen::FormuHazirla()
{
    EkraniTemizle();
    AracDoldur();
}

} // namespace records
