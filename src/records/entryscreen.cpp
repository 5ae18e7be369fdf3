#include "entryscreen.h"

#include "boxmarks.h"
#include "brandcompleter.h"
#include "entrybehaviour.h"
#include "platform/dategrid.h"
#include "platform/messages.h"
#include "screenvalues.h"
#include "typingguards.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>

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
    formerButton_ = new QPushButton(tabber_);
    formerButton_->setObjectName(QStringLiteral("cmdOncekiSahipler"));
    formerButton_->setFocusPolicy(Qt::NoFocus);
    formerButton_->setFlat(true);
    tabber_->setCornerWidget(formerButton_, Qt::TopRightCorner);
    formerButton_->hide();
    connect(formerButton_, &QPushButton::clicked, this, [this] {
        platform::showMessage(platform::MsgIcon::Information, platform::MsgButtons::Ok,
            QStringLiteral("Önceki sahipler"),
            QStringLiteral("Bu aracın kayıtta tutulan önceki sahipleri (en yenisi önce); "
                           "formlara yazılmazlar:\n\n")
                + formerOwners_.join(QLatin1Char('\n')));
    });
    applyFocusOrder();
    guards_ = new TypingGuards(*this, *behaviour_);
    marks_ = new BoxMarks(*behaviour_, this);
    watchLengths();
    connect(cmbX(0), &QComboBox::activated, this, [this] { ModelDoldur(); });
    for (int i : { 0, 1 })
        cmbX(i)->setCompleter(new BrandCompleter(cmbX(i)));

    // The input last typed in, so that closing an overlay hands it back.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *before, QWidget *now) {
        if (now && tabber_->isAncestorOf(now) && orderKey(now) >= 0)
            lastInput_ = now;
        // The brand box left for another input (not for its own suggestions).
        auto inBrand = [this](QWidget *w) {
            QComboBox *brand = cmbX(0);
            QWidget *popup = brand->completer() ? brand->completer()->popup() : nullptr;
            return w
                && (w == brand || brand->isAncestorOf(w)
                    || (popup && (w == popup || popup->isAncestorOf(w))));
        };
        if (inBrand(before) && !inBrand(now)) {
            // Tab from a whole brand lands where the model box was skipped
            // while it was still locked: the model box takes the cursor.
            const bool modelsBefore = cmbX(1)->isEnabled();
            brandTyped();
            if (!modelsBefore && cmbX(1)->isEnabled() && now == txt(10)->widget())
                cmbX(1)->setFocus(Qt::TabFocusReason);
        }
    });
    // Alt+K (the tab's own mnemonic) and Alt+A put the cursor into the first
    // box of owner 1 and of the vehicle, so the next transaction never starts
    // in the box last used.
    tabber_->tabBar()->installEventFilter(this);
    auto *vehicleKey = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_A), window);
    connect(vehicleKey, &QShortcut::activated, this, [this] { goToTab(0); });
}

bool EntryScreen::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == tabber_->tabBar() && event->type() == QEvent::Shortcut) {
        goToTab(1);
        return true;
    }
    // Tabbed into a group with nothing chosen, the cursor starts on its first
    // option, not on the one the last customer had.
    if (event->type() == QEvent::FocusIn) {
        auto *option = qobject_cast<QRadioButton *>(watched);
        const auto reason = static_cast<QFocusEvent *>(event)->reason();
        if (option && option->group() && !option->group()->checkedButton()
            && (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason)) {
            QAbstractButton *first = option->group()->buttons().first();
            if (first != option) {
                QTimer::singleShot(0, first, [first] { first->setFocus(Qt::OtherFocusReason); });
            }
        }
    }
    if (event->type() == QEvent::KeyPress) {
        auto *option = qobject_cast<QRadioButton *>(watched);
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (option && option->group() && (key == Qt::Key_Delete || key == Qt::Key_Backspace)) {
            const auto buttons = option->group()->buttons();
            for (QAbstractButton *b : buttons)
                clearChoice(static_cast<QRadioButton *>(b));
            return true;
        }
        // An arrow moves to the next option of the group and chooses it, as
        // in every other program, even when none was chosen yet.
        const bool back = key == Qt::Key_Left || key == Qt::Key_Up;
        if (option && option->group() && (back || key == Qt::Key_Right || key == Qt::Key_Down)) {
            const auto buttons = option->group()->buttons();
            const int at = int(buttons.indexOf(option));
            const int n = int(buttons.size());
            QAbstractButton *next = buttons.at((at + (back ? n - 1 : 1)) % n);
            next->setChecked(true);
            next->setFocus(Qt::OtherFocusReason);
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

void EntryScreen::goToTab(int tab)
{
    if (!tabber_->isEnabled())
        return;
    tabber_->setCurrentIndex(tab);
    QWidget *first = tab == 0 ? txt(0)->widget() : txt(ownerBase(1))->widget();
    first->setFocus(Qt::ShortcutFocusReason);
}

EntryScreen::~EntryScreen() = default;

void EntryScreen::setFormerOwners(const QStringList &lines)
{
    formerOwners_ = lines;
    formerButton_->setText(QStringLiteral("Önceki sahipler (%1)…").arg(lines.size()));
    formerButton_->setToolTip(lines.join(QLatin1Char('\n')));
    formerButton_->setVisible(!lines.isEmpty());
}

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
    // Taken first: hiding the frame passes the focus on to some other box.
    const QPointer<QWidget> back = lastInput_;
    tabber_->setEnabled(true);
    frame->hide();
    // Typing goes on where it stopped, unless another overlay is still open.
    for (QWidget *f : { frmARA_, frmYazdir_, frame5_ }) {
        if (f->isVisible())
            return;
    }
    if (back && back->isVisible())
        back->setFocus(Qt::OtherFocusReason);
}

void EntryScreen::FormuHazirla()
{
    EkraniTemizle();
    AracDoldur();
}

} // namespace records
