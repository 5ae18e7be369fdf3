// Tab 0 "Araç Bilgileri": nine framed groups in two columns.
#include "entryscreen.h"
#include "screenbuilder.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

namespace records {

namespace {

// Frame positions are given on the tab control, whose pages start below the
// tab row.
constexpr int kTabRow = 21;
constexpr Qt::Alignment L = Qt::AlignLeft;
constexpr Qt::Alignment C = Qt::AlignHCenter;
constexpr Qt::Alignment R = Qt::AlignRight;

QGroupBox *tabFrame(
    ScreenBuilder &b, QWidget *page, int index, const QString &caption, int x, int y, int w, int h)
{
    return b.frame(page, QStringLiteral("Frame1_%1").arg(index), caption, ScreenBuilder::px(x),
        ScreenBuilder::px(y) - kTabRow, ScreenBuilder::px(w), ScreenBuilder::px(h));
}

struct TextRow {
    int index;
    int max;
    Qt::Alignment align;
    int labelX, labelW;
    int boxX, boxW;
    int y;
    int order;
    const char *label;
};

void textRows(ScreenBuilder &b, QWidget *frame, std::initializer_list<TextRow> rows)
{
    for (const TextRow &r : rows) {
        const QString caption = QString::fromUtf8(r.label);
        if (r.labelW > 0)
            b.label(frame, caption, r.labelX, r.y, r.labelW);
        b.text(frame, r.index, r.max, r.align, r.boxX, r.y, r.boxW, r.order, caption);
    }
}

} // namespace

void EntryScreen::buildVehicleTab(QWidget *page)
{
    ScreenBuilder b(*this);

    // Transaction kinds.
    QGroupBox *f0 =
        tabFrame(b, page, 0, QStringLiteral("Teknik Özellik Değiştirme"), 105, 360, 6450, 1965);
    static const struct {
        int x, y, w;
        const char *caption;
    } kinds[] = { { 8, 16, 88, "Yeni Kayıt" }, { 100, 16, 60, "Devir" },
        { 166, 16, 130, "Nakil (Kendi adına)" }, { 300, 16, 122, "Nakil/ Devir" },
        { 8, 37, 110, "Trafikten Çekme" }, { 122, 37, 140, "Yeniden TRF. Çıkarma" },
        { 8, 58, 160, "Teknik Özellik Değiştirme" }, { 172, 58, 150, "İsim Ünvan değiştirme" },
        { 8, 79, 100, "Trafik Belgesi" }, { 112, 79, 100, "Tescil Belgesi" },
        { 8, 100, 110, "Hurdaya Ayırma" } };
    // The frame is walked first on the tab, as it reads: the kinds row by row,
    // each reason right after the tick on its row. They share the first key,
    // which keeps the order they are made in, ahead of the plates made later.
    auto kind = [&](int i) {
        b.check(f0, i, QString::fromUtf8(kinds[i].caption), kinds[i].x, kinds[i].y, kinds[i].w, 0);
    };
    for (int i = 0; i < kChkCount - 1; ++i)
        kind(i);
    textRows(b, f0, { { 121, 100, C, 216, 96, 312, 110, 79, 0, "Yenileme Nedeni " } });
    kind(kChkCount - 1);
    textRows(b, f0, { { 122, 100, C, 122, 130, 254, 168, 100, 0, "Hurdaya Ayırma Nedeni " } });

    // Registration: plates, usage purpose, documents.
    QGroupBox *f1 = tabFrame(b, page, 1, QStringLiteral("Tescil Bilgileri"), 105, 2325, 6450, 2370);
    static const struct {
        int first;
        int y;
        int order;
        const char *label;
    } plates[] = { { 0, 16, 0, "Yeni Plaka No" }, { 3, 36, 3, "Eski Plaka No" } };
    for (const auto &p : plates) {
        const QString label = QString::fromUtf8(p.label);
        b.label(f1, label, 8, p.y, 84);
        b.text(f1, p.first, 2, C, 96, p.y, 28, p.order, label);
        b.text(f1, p.first + 1, 4, C, 128, p.y, 44, p.order + 1, label);
        b.text(f1, p.first + 2, 9, C, 176, p.y, 76, p.order + 2, label);
    }
    cmdBUL_ = b.button(f1, QStringLiteral("cmdBUL"), QStringLiteral("Bul"), 262, 16, 73, 39);
    newRec_ = b.button(f1, QStringLiteral("newRec"), QStringLiteral("Yeni Kayıt"), 344, 16, 78, 39);
    newRec_->setStyleSheet(QStringLiteral("QPushButton { color: rgb(0, 0, 192); } "
                                          "QPushButton:disabled { color: rgb(120, 120, 120); }"));
    b.label(f1, QStringLiteral("Kullanım Amacı"), 8, 58, 84);
    auto *usage = new QButtonGroup(f1);
    static const char *usages[] = { "Hususi", "Ticari", "Resmi", "Belediye" };
    for (int i = 0; i < 4; ++i)
        b.option(f1, usage, &opt_[size_t(11 + i)], QString::fromUtf8(usages[i]), 96 + 70 * i, 58,
            68, 6 + i);
    textRows(b, f1,
        { { 6, 60, L, 8, 186, 196, 226, 78, 10, "Sahiplik Belgelerini Düzenleyen Yer" },
            { 7, 50, L, 8, 186, 196, 226, 98, 11, "Sahiplik Belge Türü" } });
    b.label(f1, QStringLiteral("Sahiplik Belge Tarihi"), 8, 118, 112);
    b.date(f1, 0, 122, 118, 76, 12, QStringLiteral("Sahiplik Belge Tarihi"));
    textRows(b, f1, { { 8, 15, L, 206, 100, 308, 114, 118, 13, "Sahiplik Belge No" } });
    b.label(f1, QStringLiteral("Trafik Belge Tarihi"), 8, 138, 112);
    b.date(f1, 1, 122, 138, 76, 14, QStringLiteral("Trafik Belge Tarihi"));
    textRows(b, f1, { { 9, 15, L, 206, 100, 308, 114, 138, 15, "Trafik Belge Seri No" } });

    // The four remarks frames, each one multi-line box under its caption.
    static const struct {
        int frame, x, y, w, h, index, order;
        const char *caption;
    } memos[] = { { 7, 105, 4695, 6450, 1455, 36, 16, "Araç Üzerindeki Hak ve Menfaatler" },
        { 9, 105, 6165, 3225, 1485, 37, 17, "Verilen İzinler" },
        { 10, 3315, 6165, 3225, 1485, 38, 18, "Sefer Görev Emri Bilgileri" },
        { 8, 105, 7650, 6450, 1245, 39, 19, "Araç Üzerinde Sonradan Yapılan Değişiklikler" } };
    for (const auto &m : memos) {
        const QString caption = QString::fromUtf8(m.caption);
        QGroupBox *f = tabFrame(b, page, m.frame, caption, m.x, m.y, m.w, m.h);
        b.memo(f, m.index, 150, true, 6, 17, f->width() - 12, f->height() - 22, m.order, caption);
    }

    // Special consumption tax.
    QGroupBox *f4 = tabFrame(
        b, page, 4, QStringLiteral("Özel Tüketim Vergisi (ÖTV) Bilgileri"), 6675, 360, 6450, 1200);
    // Top to bottom, left to right; equal keys keep the order they are made in.
    textRows(b, f4, { { 128, 30, L, 8, 170, 180, 242, 16, 20, "ÖTV Yaptırılan Vergi Dairesi" } });
    b.label(f4, QStringLiteral("ÖTV Makbuz Tarihi"), 8, 36, 100);
    b.date(f4, 6, 110, 36, 76, 20, QStringLiteral("ÖTV Makbuz Tarihi"));
    textRows(b, f4,
        { { 130, 20, L, 196, 84, 282, 140, 36, 20, "ÖTV Makbuz No" },
            { 30, 60, L, 8, 170, 180, 242, 56, 20, "Aracın Bağlı Olduğu Vergi Dairesi" } });
    // Kept for stored data, never shown to the operator.
    b.text(f4, 129, 60, L, 0, 0, 10, 376, QString())->widget()->hide();

    // Compulsory insurance.
    QGroupBox *f5 = tabFrame(
        b, page, 5, QStringLiteral("Zorunlu Mali Sorumluluk Sigortası"), 6675, 1575, 6450, 1425);
    textRows(b, f5,
        { { 31, 60, L, 8, 170, 180, 242, 16, 21, "Sigorta Adı" },
            { 32, 20, L, 8, 170, 180, 242, 37, 22, "Poliçenin Düzenlendiği İl-İlçe" } });
    b.label(f5, QStringLiteral("Poliçe Tarihi"), 8, 58, 70);
    b.date(f5, 2, 80, 58, 76, 23, QStringLiteral("Poliçe Tarihi"));
    b.label(f5, QStringLiteral("Süresi"), 164, 58, 36);
    b.text(f5, 33, 2, C, 202, 58, 24, 24, QStringLiteral("Süresi"));
    b.label(f5, QStringLiteral("Ay"), 229, 58, 16);
    b.text(f5, 34, 2, C, 247, 58, 24, 25, QStringLiteral("Süresi"));
    b.label(f5, QStringLiteral("Gün"), 274, 58, 22);
    textRows(b, f5, { { 35, 30, L, 302, 54, 356, 66, 58, 26, "Poliçe No" } });

    // Technical data.
    QGroupBox *f3 =
        tabFrame(b, page, 3, QStringLiteral("Araca Ait Teknik Özellikler"), 6675, 3000, 6450, 5895);
    constexpr int p = 20; // row pitch
    auto row = [](int n) { return 16 + 20 * n; };
    b.label(f3, QStringLiteral("Markası"), 8, row(0), 80);
    b.combo(f3, 0, true, {}, 90, row(0), 332, 27, QStringLiteral("Markası"));
    b.label(f3, QStringLiteral("Tipi"), 8, row(1), 80);
    b.combo(f3, 1, true, {}, 90, row(1), 332, 28, QStringLiteral("Tipi"))->setEnabled(false);
    textRows(b, f3,
        { { 10, 60, L, 8, 80, 90, 332, row(2), 29, "Ticari Adı" },
            { 11, 4, C, 8, 80, 90, 44, row(3), 30, "Model Yılı" },
            { 12, 5, C, 142, 62, 206, 44, row(3), 31, "Araç Sınıfı" },
            { 13, 50, L, 258, 34, 294, 128, row(3), 32, "Cinsi" },
            { 14, 50, L, 8, 80, 90, 136, row(4), 33, "Renk-1" },
            { 15, 50, L, 236, 50, 286, 136, row(4), 34, "Renk-2" },
            { 16, 60, L, 8, 80, 90, 332, row(5), 35, "MOTOR NO" },
            { 17, 60, L, 8, 80, 90, 332, row(6), 36, "ŞASE NO" },
            { 18, 10, R, 8, 110, 120, 78, row(7), 37, "Net Ağırlığı" },
            { 20, 10, R, 8, 110, 120, 78, row(8), 39, "Katar Ağırlığı" },
            { 22, 2, R, 8, 110, 120, 78, row(9), 41, "Koltuk Sayısı" },
            { 24, 5, R, 8, 110, 120, 78, row(10), 43, "Silindir Hacmi" },
            { 26, 4, R, 8, 110, 120, 78, row(11), 45, "Güç-Ağırlık Oranı" },
            { 19, 10, R, 206, 148, 356, 66, row(7), 38, "Azami Yüklü Ağırlığı" },
            { 21, 10, R, 206, 148, 356, 66, row(8), 40, "Römork Azami Yüklü Ağırlığı" },
            { 23, 2, R, 206, 148, 356, 66, row(9), 42, "Ayakta Yolcu Sayısı" },
            { 25, 4, R, 206, 148, 356, 66, row(10), 44, "Motor Gücü" },
            { 27, 25, R, 206, 148, 356, 66, row(11), 46, "Tip Onay No" } });

    // Fuel kinds sit in their own captionless frame, so they form one group.
    b.label(f3, QStringLiteral("Yakıt Cinsi"), 8, row(12) + 4, 80);
    auto *frame2 = new QWidget(f3);
    frame2->setObjectName(QStringLiteral("Frame2"));
    frame2->setGeometry(86, row(12), 340, 2 * p + 2);
    auto *fuel = new QButtonGroup(frame2);
    static const struct {
        int x, y, w;
        const char *caption;
    } fuels[] = { { 4, 2, 76, "Benzinli" }, { 84, 2, 60, "Dizel" },
        { 148, 2, 104, "Benzinli / Lpg" }, { 256, 2, 60, "LPG" }, { 4, 2 + p, 60, "Diğer" } };
    for (int i = 0; i < 5; ++i)
        b.option(frame2, fuel, &opt_[size_t(15 + i)], QString::fromUtf8(fuels[i].caption),
            fuels[i].x, fuels[i].y, fuels[i].w, 47 + i);
    b.text(frame2, 123, 100, C, 66, 2 + p, 270, 51, QStringLiteral("Diğer"));

    b.label(f3, QStringLiteral("Kullanım Şekli"), 8, row(14) + 2, 80);
    auto *usageForm = new QButtonGroup(f3);
    static const struct {
        int x, y, w;
        const char *caption;
    } forms[] = { { 90, 0, 88, "Yolcu Nakil" }, { 180, 0, 80, "Yük Nakil" },
        { 262, 0, 94, "Okul Servisi" }, { 90, 1, 120, "Personel Servisi" },
        { 212, 1, 100, "Engelli Aracı" }, { 316, 1, 100, "Zırhlı Araç" },
        { 90, 2, 100, "Zirai Araç" } };
    for (int i = 0; i < 7; ++i)
        b.option(f3, usageForm, &opt_[size_t(20 + i)], QString::fromUtf8(forms[i].caption),
            forms[i].x, row(14) + 2 + forms[i].y * p, forms[i].w, 52 + i);

    const int last = row(17) + 6;
    textRows(b, f3,
        { { 28, 2, C, 8, 80, 90, 30, last, 59, "Dingil Sayısı" },
            { 29, 2, C, 126, 64, 192, 30, last, 60, "Teker Sayısı" } });
    b.label(f3, QStringLiteral("Takoğraf/Taksimetre Durumu"), 228, last, 144);
    b.combo(f3, 2, false, { QString(), QStringLiteral("YOK"), QStringLiteral("VAR") }, 372, last,
        52, 61, QStringLiteral("Takoğraf/Taksimetre Durumu"));
}

} // namespace records
