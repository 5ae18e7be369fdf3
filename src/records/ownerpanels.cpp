// Tab 1 "Kullanıcı Bilgileri": three identical owner panels side by side.
#include "entryscreen.h"
#include "screenbuilder.h"

#include <QButtonGroup>
#include <QColor>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>

namespace records {

namespace {

constexpr int kTabRow = 21;

// A panel row: its label and up to two text boxes (offset from the owner's base
// index, maximum length, left and width).
struct OwnerRow {
    int row;
    const char *label;
    int offset1, max1, x1, w1;
    int offset2 = -1, max2 = 0, x2 = 0, w2 = 0;
};

// Rows 1 to 28 from top to bottom; the pairs, the date and the lists are placed
// apart below.
const OwnerRow kTextRows[] = {
    { 2, "TC Kimlik No / Vergi No(Tüzel)", 0, 30, 156, 124 },
    { 3, "Adı / Ticari Ünvanı (Tüzel)", 1, 50, 156, 124 },
    { 4, "Soyadı", 2, 50, 156, 124 },
    { 5, "Baba Adı", 3, 50, 156, 124 },
    { 6, "Anne Adı", 4, 50, 156, 124 },
    { 7, "Doğum Yeri", 5, 50, 156, 124 },
    { 12, "İl", 6, 50, 156, 124 },
    { 13, "İlçe", 7, 50, 156, 124 },
    { 14, "Mahalle/Köy", 8, 75, 156, 124 },
    { 15, "Harf - Seri No", 9, 5, 156, 40, 10, 10, 200, 80 },
    { 16, "Cilt No", 11, 5, 156, 60 },
    { 17, "Aile S.No/Sıra No", 12, 5, 156, 60, 13, 5, 220, 60 },
    { 19, "İl", 14, 50, 156, 124 },
    { 20, "İlçe", 15, 50, 156, 124 },
    { 21, "Semt", 16, 50, 156, 124 },
    { 22, "Mahalle/Köy", 17, 50, 156, 124 },
    { 23, "Cadde", 18, 60, 156, 124 },
    { 24, "Sokak", 19, 50, 156, 124 },
    { 25, "Apartman Adı", 20, 50, 156, 124 },
    { 26, "Apartman No /Kapı No", 21, 5, 156, 60, 22, 3, 220, 40 },
    { 27, "Telefon", 23, 3, 88, 34, 24, 7, 126, 64 },
    { 28, "Cep Telefonu", 25, 3, 88, 34, 26, 7, 126, 64 },
};

int rowY(int row)
{
    return 17 + ((row - 1) * 39) / 2;
}

} // namespace

void EntryScreen::buildOwnerTab(QWidget *page)
{
    for (int owner = 1; owner <= 3; ++owner)
        buildOwnerPanel(page, owner);
}

void EntryScreen::buildOwnerPanel(QWidget *page, int n)
{
    ScreenBuilder b(*this);
    static const struct {
        int frameIndex, left;
        QColor colour;
    } panels[] = { { 2, 75, QColor(0, 0, 128) }, { 0, 4462, QColor(139, 0, 0) },
        { 1, 8850, QColor(128, 0, 128) } };
    const auto &pp = panels[n - 1];
    QGroupBox *panel = b.frame(page, QStringLiteral("XPFrame1_%1").arg(pp.frameIndex),
        QStringLiteral("ARAÇ SAHİBİ - %1").arg(n), ScreenBuilder::px(pp.left),
        ScreenBuilder::px(375) - kTabRow, ScreenBuilder::px(4290), ScreenBuilder::px(8490));
    auto *title = panel->findChild<QLabel *>(panel->objectName() + QStringLiteral("_baslik"));
    QPalette titlePalette = title->palette();
    titlePalette.setColor(QPalette::WindowText, pp.colour);
    title->setPalette(titlePalette);
    title->move((panel->width() - title->width()) / 2, 0);

    const int base = ownerBase(n);
    const int even = 2 * (n - 1);
    const int odd = even + 1;
    // Every panel is walked the same way, as it reads: row by row from the
    // top, left to right within a row (a pair's options one after the other).
    const int panelStart[] = { 62, 1000, 1200 };
    auto at = [&](int row, int slot) { return panelStart[n - 1] + row * 4 + slot; };

    auto pairFrame = [&](const QString &name, int row, int x, int w) {
        auto *f = new QWidget(panel);
        f->setObjectName(name);
        f->setGeometry(x, rowY(row), w, ScreenBuilder::kRowHeight);
        return f;
    };
    // Owner kind.
    QWidget *frame4 = pairFrame(QStringLiteral("Frame4_%1").arg(n), 1, 20, 250);
    auto *kind = new QButtonGroup(frame4);
    b.option(frame4, kind, &optA_[size_t(even)], QStringLiteral("ŞAHIS"), 0, 0, 100, at(1, 0));
    b.option(
        frame4, kind, &optA_[size_t(odd)], QStringLiteral("TÜZEL KİŞİ"), 120, 0, 120, at(1, 1));

    for (const OwnerRow &r : kTextRows) {
        if (r.row > 26)
            continue;
        const QString label = QString::fromUtf8(r.label);
        b.label(panel, label, 6, rowY(r.row), 150);
        b.text(panel, base + r.offset1, r.max1, Qt::AlignLeft, r.x1, rowY(r.row), r.w1,
            at(r.row, 0), label);
        if (r.offset2 >= 0)
            b.text(panel, base + r.offset2, r.max2, Qt::AlignLeft, r.x2, rowY(r.row), r.w2,
                at(r.row, 1), label);
    }
    b.date(panel, n + 2, 156, rowY(8), 80, at(8, 0), QStringLiteral("Doğum Tarihi"));
    b.label(panel, QStringLiteral("Doğum Tarihi"), 6, rowY(8), 142);

    // Phones: area code and number, centred.
    for (int row : { 27, 28 }) {
        const OwnerRow &r = kTextRows[row == 27 ? 20 : 21];
        const QString label = QString::fromUtf8(r.label);
        b.label(panel, label, 6, rowY(row), 80);
        b.text(panel, base + r.offset1, r.max1, Qt::AlignHCenter, r.x1, rowY(row), r.w1, at(row, 0),
            label);
        b.text(panel, base + r.offset2, r.max2, Qt::AlignHCenter, r.x2, rowY(row), r.w2, at(row, 1),
            label);
    }

    // Gender, directly on the panel: "Erkek" left, "Kadın" right.
    b.label(panel, QStringLiteral("Cinsiyeti"), 6, rowY(9), 142);
    auto *gender = new QButtonGroup(panel);
    b.option(
        panel, gender, &optC_[size_t(odd)], QStringLiteral("Erkek"), 156, rowY(9), 60, at(9, 0));
    b.option(
        panel, gender, &optC_[size_t(even)], QStringLiteral("Kadın"), 218, rowY(9), 62, at(9, 1));

    b.label(panel, QStringLiteral("Kan Grubu"), 6, rowY(10), 142);
    b.combo(panel, 3 * n, false,
        { QString(), QStringLiteral("ABrh+"), QStringLiteral("ABrh-"), QStringLiteral("Arh+"),
            QStringLiteral("Arh-"), QStringLiteral("Brh+"), QStringLiteral("Brh-"),
            QStringLiteral("0rh+"), QStringLiteral("0rh-") },
        156, rowY(10), 80, at(10, 0), QStringLiteral("Kan Grubu"));
    b.label(panel, QStringLiteral("Tabiiyeti"), 6, rowY(11), 142);
    b.combo(panel, 4 * n, false, { QString(), QStringLiteral("TC"), QStringLiteral("DİĞER") }, 156,
        rowY(11), 80, at(11, 0), QStringLiteral("Tabiiyeti"));

    // Address kind and phone kind, each in its own small frame: "EV" left.
    QWidget *address = pairFrame(QStringLiteral("Frame3_adres%1").arg(n), 18, 20, 250);
    auto *addressKind = new QButtonGroup(address);
    b.option(
        address, addressKind, &optAdres_[size_t(odd)], QStringLiteral("EV"), 0, 0, 100, at(18, 0));
    b.option(address, addressKind, &optAdres_[size_t(even)], QStringLiteral("İŞYERİ"), 120, 0, 120,
        at(18, 1));
    QWidget *phone = pairFrame(QStringLiteral("Frame3_tel%1").arg(n), 27, 194, 90);
    auto *phoneKind = new QButtonGroup(phone);
    b.option(phone, phoneKind, &optTel_[size_t(odd)], QStringLiteral("EV"), 0, 0, 36, at(27, 2));
    b.option(
        phone, phoneKind, &optTel_[size_t(even)], QStringLiteral("İŞYERİ"), 36, 0, 54, at(27, 3));
}

} // namespace records
