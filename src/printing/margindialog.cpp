#include "margindialog.h"

#include "app/entryroutines.h"
#include "margins.h"
#include "platform/messages.h"
#include "platform/report.h"

#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>

namespace printing {

namespace {

QRect tw(int x, int y, int w, int h)
{
    return QRect(x / 15, y / 15, w / 15, h / 15);
}

} // namespace

MarginDialog::MarginDialog(platform::Report &report, std::function<void()> restart, QWidget *parent)
    : QDialog(parent)
    , report_(report)
    , restart_(std::move(restart))
{
    setObjectName(QStringLiteral("frm_RprAyar"));
    setWindowTitle(QStringLiteral("Sayfa Boşluk Ayarı"));
    setFixedSize(3780 / 15, 2100 / 15);
    auto *frame = new QFrame(this);
    frame->setObjectName(QStringLiteral("XPFrame1"));
    frame->setFrameShape(QFrame::StyledPanel);
    frame->setGeometry(tw(60, 75, 3600, 1950));
    static const struct {
        const char *label;
        int labelTop, boxTop;
    } rows[] = { { "Soldan", 255, 225 }, { "Sağdan", 660, 615 }, { "Üstten", 1080, 1020 },
        { "Alttan", 1485, 1410 } };
    for (int i = 0; i < 4; ++i) {
        auto *label = new QLabel(QString::fromUtf8(rows[i].label), frame);
        label->setGeometry(tw(150, rows[i].labelTop, 800, 300));
        auto *box = new QLineEdit(frame);
        box->setObjectName(QStringLiteral("XPText1_%1").arg(i));
        box->setGeometry(tw(975, rows[i].boxTop, 495, 330));
        box->setMaxLength(3);
        box->setAlignment(Qt::AlignCenter);
        box->installEventFilter(this);
        boxes_[size_t(i)] = box;
    }
    auto *bar = new QProgressBar(frame);
    bar->setObjectName(QStringLiteral("ProgressBar1"));
    bar->setOrientation(Qt::Vertical);
    bar->setTextVisible(false);
    bar->setGeometry(tw(1800, 60, 60, 1815));
    goster_ = new QPushButton(QStringLiteral("Göster"), frame);
    goster_->setGeometry(tw(2130, 195, 1245, 465));
    iptal_ = new QPushButton(QStringLiteral("Vazgeç"), frame);
    iptal_->setGeometry(tw(2130, 765, 1245, 465));
    kaydet_ = new QPushButton(QStringLiteral("Kaydet ve Çık"), frame);
    kaydet_->setGeometry(tw(2145, 1305, 1245, 465));
    for (QPushButton *b : { goster_, iptal_, kaydet_ })
        b->setAutoDefault(false);
    setTabOrder(boxes_[0], boxes_[1]);
    setTabOrder(boxes_[1], boxes_[2]);
    setTabOrder(boxes_[2], boxes_[3]);
    setTabOrder(boxes_[3], kaydet_);
    setTabOrder(kaydet_, goster_);
    setTabOrder(goster_, iptal_);
    connect(goster_, &QPushButton::clicked, this, &MarginDialog::goster);
    connect(kaydet_, &QPushButton::clicked, this, &MarginDialog::kaydetVeCik);
    connect(iptal_, &QPushButton::clicked, this, &MarginDialog::vazgec);

    if (const QScreen *s = QGuiApplication::primaryScreen()) {
        const QRect a = s->geometry();
        move((a.width() - width()) / 2, (a.height() - height()) / 2 - 500 / 15);
    }
    BosluklariUygula(report_);
    const CurrentMargins &m = currentMargins();
    opening_ = { m.sol, m.sag, m.ust, m.alt };
    for (int i = 0; i < 4; ++i)
        boxes_[size_t(i)]->setText(QString::number(opening_[size_t(i)]));
}

bool MarginDialog::eventFilter(QObject *watched, QEvent *event)
{
    auto *box = qobject_cast<QLineEdit *>(watched);
    if (!box)
        return false;
    if (event->type() == QEvent::FocusIn) {
        app::SelAll(box);
    } else if (event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (app::EnterTab(box, key->key()))
            return true;
        const QString typed = key->text();
        // Only digits, backspace, "," and "." reach the box.
        if (!typed.isEmpty() && typed.at(0).isPrint() && app::KeyDigits(typed.at(0).unicode()) == 0)
            return true;
    }
    return false;
}

void MarginDialog::writeMargins(const std::array<int, 4> &v)
{
    BoslukYaz(report_.name, QStringLiteral("sol"), QString::number(v[0]));
    BoslukYaz(report_.name, QStringLiteral("sag"), QString::number(v[1]));
    BoslukYaz(report_.name, QStringLiteral("ust"), QString::number(v[2]));
    BoslukYaz(report_.name, QStringLiteral("alt"), QString::number(v[3]));
}

bool MarginDialog::applyBoxes()
{
    std::array<int, 4> v {};
    for (int i = 0; i < 4; ++i) {
        const std::optional<int> mm = marginMillimetres(boxes_[size_t(i)]->text());
        if (!mm) {
            // An empty or garbled box writes nothing: the file keeps its values.
            platform::showMessage(platform::MsgIcon::Warning, platform::MsgButtons::Ok,
                QStringLiteral("Dikkat"),
                QStringLiteral("Sayfa boşluklarını milimetre olarak, rakamla "
                               "giriniz."));
            boxes_[size_t(i)]->setFocus();
            return false;
        }
        v[size_t(i)] = *mm;
    }
    if (const QString off = marginsOffThePaper(report_, v[0], v[2]); !off.isEmpty()) {
        platform::showMessage(
            platform::MsgIcon::Warning, platform::MsgButtons::Ok, QStringLiteral("Dikkat"), off);
        boxes_[off.startsWith(QLatin1String("Sol")) ? 0 : 2]->setFocus();
        return false;
    }
    CurrentMargins &m = currentMargins();
    m.sol = v[0];
    m.sag = v[1];
    m.ust = v[2];
    m.alt = v[3];
    writeMargins(v);
    return true;
}

bool MarginDialog::goster()
{
    if (!applyBoxes())
        return false;
    restart_();
    return true;
}

void MarginDialog::kaydetVeCik()
{
    if (!applyBoxes())
        return;
    restart_();
    accept();
}

void MarginDialog::vazgec()
{
    writeMargins(opening_);
    restart_();
    reject();
}

} // namespace printing
