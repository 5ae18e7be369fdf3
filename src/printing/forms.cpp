#include "forms.h"

#include "app/basics.h"
#include "app/entryroutines.h"
#include "formlayouts.h"
#include "margins.h"
#include "platform/dategrid.h"
#include "records/entryscreen.h"
#include "viewerframe.h"

#include <QCheckBox>
#include <QComboBox>
#include <QRadioButton>

namespace printing {

using records::EntryScreen;

FormReport::FormReport(
    EntryScreen &screen, const QString &reportName, const QString &title, const FormDefaults &d)
    : screen_(screen)
    , title_(title)
    , defaults_(d)
{
    name = reportName;
    tools = stockTools();
}

void FormReport::run()
{
    app::CursorWait();
    ToolbarHazirla(*this);
    if (defaults_.paperSize)
        pageSettings.paperSize = defaults_.paperSize;
    pageSettings.orientation = 1;
    pageSettings.leftMargin = defaults_.leftMargin;
    pageSettings.topMargin = defaults_.topMargin;
    pageSettings.rightMargin = defaults_.rightMargin;
    pageSettings.bottomMargin = defaults_.bottomMargin;
    BosluklariUygula(*this);
    app::CursorDefault();
    caption = title_;
    beforeFill();
    AlanlariDoldur();
    // The end of the run: the stop tool becomes the close tool.
    if (tools.size() > 21)
        tools[21].caption = QStringLiteral("&Kapat");
    app::CursorDefault();
}

int FormReport::SeciliSecenek(int first, int last) const
{
    for (int i = first; i <= last; ++i) {
        if (screen_.optX(i) && screen_.optX(i)->isChecked())
            return i;
    }
    return 999;
}

QString FormReport::text(int index) const
{
    return screen_.txt(index)->text();
}

QString FormReport::cell(int dateIndex) const
{
    return app::GetSprTxt(*screen_.sprTarih(dateIndex), 1, 1);
}

// EK-1 front page.

// 2835 twips above or to the left would push the last rows or the right column
// off the sheet, so it goes to the bottom, where the page needs no room.
ArTrafik::ArTrafik(EntryScreen &screen)
    : FormReport(screen, QStringLiteral("ar_Trafik"), QStringLiteral("EVRAKMATİK EK-1 (ön sayfa)"),
        { 0, 850, 170, 113, 2835 })
{
    printWidth = 10110;
    detailHeight = 15165;
    fields = makeFields(ek1FrontLayout());
    for (int i = 2; i <= 11; ++i)
        shapes.push_back({ QStringLiteral("Shape%1").arg(i), QRect() });
}

void ArTrafik::IsaretliKutulariYaz(int first, int last)
{
    for (int i = first; i <= last; ++i) {
        if (screen_.chkX(i)->checkState() == Qt::Checked)
            setFieldText(QStringLiteral("field%1").arg(i + 1), QStringLiteral("X"));
    }
}

void ArTrafik::AlanlariDoldur()
{
    const QString blank = QStringLiteral(" ");
    for (int i = 1; i <= 89; ++i)
        set(i, QString());
    set(82, text(41) + blank + text(42));
    set(83, text(68) + blank + text(69));
    set(84, text(95) + blank + text(96));
    IsaretliKutulariYaz(0, 10);
    for (int i = 0; i <= 5; ++i)
        set(12 + i, text(i));
    int r = SeciliSecenek(11, 14);
    if (r < 999)
        set(r + 7, QStringLiteral("X"));
    set(22, text(6));
    set(23, text(7));
    set(24, cell(0));
    set(25, text(8));
    set(28, cell(1));
    set(31, text(9));
    set(32, screen_.cmbX(0)->currentText());
    set(33, screen_.cmbX(1)->currentText());
    static const int technical[][2] = { { 34, 10 }, { 35, 11 }, { 36, 12 }, { 37, 13 }, { 38, 14 },
        { 39, 15 }, { 40, 16 }, { 41, 17 }, { 42, 18 }, { 43, 20 }, { 44, 22 }, { 45, 24 },
        { 46, 26 }, { 47, 19 }, { 48, 21 }, { 49, 23 }, { 50, 25 }, { 51, 27 } };
    for (const auto &t : technical)
        set(t[0], text(t[1]));
    r = SeciliSecenek(15, 19);
    if (r < 999)
        set(r + 37, QStringLiteral("X"));
    r = SeciliSecenek(20, 26);
    if (r < 999)
        set(r + 37, QStringLiteral("X"));
    set(66, text(28));
    set(67, text(29));
    // "YOK" marks one box; anything else, no choice included, the other.
    const bool none = screen_.cmbX(2)->currentIndex() == 0;
    set(64, none ? QString() : QStringLiteral("X"));
    set(65, none ? QStringLiteral("X") : QString());
    set(72, text(128));
    set(73, cell(6));
    set(74, text(130));
    set(75, text(30));
    set(76, text(31));
    set(77, text(32));
    set(78, cell(2));
    set(79, text(33));
    set(80, text(34));
    set(81, text(35));
    for (int i = 0; i < 4; ++i)
        set(68 + i, text(36 + i));
    set(85, text(121));
    set(86, text(122));
    set(87, text(123));
    set(88, text(124));
    set(89, text(124));
    set(90, text(131));
    set(91, cell(7) + QStringLiteral(" / ") + text(132));
    set(92, text(133));
    set(93, text(134));
}

// EK-1 back page.

ArTrafikArka::ArTrafikArka(EntryScreen &screen)
    : FormReport(screen, QStringLiteral("ar_TrafikArka"),
        QStringLiteral("EVRAKMATİK EK-1 (arka sayfa)"), { 0, 793, 2381, 170, 170 })
{
    printWidth = 10170;
    detailHeight = 12660;
    footerHeight = 30;
    fields = makeFields(ek1BackLayout());
    for (const char *shape : { "Shape4", "Shape12", "Shape13" })
        shapes.push_back({ QLatin1String(shape), QRect() });
}

void ArTrafikArka::KanGrubuAyir(const QString &value)
{
    group.clear();
    sign.clear();
    if (value.trimmed().isEmpty())
        return;
    const int p = int(value.toUpper().indexOf(QLatin1String("RH")));
    if (p < 0)
        return;
    group = value.left(p);
    sign = value.mid(p + 2, 1);
}

void ArTrafikArka::AlanlariDoldur()
{
    for (int i = 1; i <= 118; ++i) {
        if (i != 79 && i != 80)
            set(i, QString());
    }
    const QString x = QStringLiteral("X");
    for (int k = 1; k <= 3; ++k) {
        const int b = EntryScreen::ownerBase(k);
        const int even = 2 * (k - 1);
        auto at = [k](int offset) { return ek1BackField(k, offset); };
        if (text(b).trimmed().isEmpty())
            continue;
        for (int j = 0; j <= 5; ++j)
            set(at(j), text(b + j));
        set(at(8), cell(k + 2));
        // The first selected of each pair marks its box.
        auto pair = [&](QRadioButton *first, QRadioButton *second, int firstOffset) {
            if (first->isChecked())
                set(at(firstOffset), x);
            else if (second->isChecked())
                set(at(firstOffset + 1), x);
        };
        pair(screen_.OptA(even), screen_.OptA(even + 1), 6);
        pair(screen_.optC(even), screen_.optC(even + 1), 9);
        pair(screen_.optAdres(even), screen_.optAdres(even + 1), 23);
        const int nationality = screen_.cmbX(4 * k)->currentIndex();
        if (nationality == 0) {
            set(at(13), x);
            set(at(14), QString());
        } else if (nationality > 0) {
            set(at(13), QString());
            set(at(14), x);
        }
        KanGrubuAyir(screen_.cmbX(3 * k)->currentText());
        set(at(11), group);
        set(at(12), sign);
        for (int j = 15; j <= 22; ++j)
            set(at(j), text(b + j - 9));
        for (int j = 25; j <= 37; ++j)
            set(at(j), text(b + j - 11));
        // The first owner's phone kind, marked in every owner's pass.
        if (screen_.optTel(0)->isChecked())
            set(39, x);
        else if (screen_.optTel(1)->isChecked())
            set(40, x);
    }
}

// EK-9.

ArEk9::ArEk9(EntryScreen &screen)
    : FormReport(screen, QStringLiteral("ar_Ek9"), QStringLiteral("EVRAKMATİK (EK-9)"),
        { platform::PaperA5, 56, 283, 113, 56 })
{
    printWidth = 7830;
    detailHeight = 9405;
    footerHeight = 360;
    fields = makeFields(ek9Layout());
}

std::function<QDate()> &ArEk9::today()
{
    static std::function<QDate()> clock = [] { return QDate::currentDate(); };
    return clock;
}

void ArEk9::beforeFill()
{
    set(88, text(125));
    set(89, text(126));
    set(90, text(127));
}

void ArEk9::AlanlariDoldur()
{
    const QString blank = QStringLiteral(" ");
    for (int i = 1; i <= 14; ++i)
        set(i, QString());
    set(1, text(13));
    set(2, screen_.cmbX(0)->currentText());
    set(3, text(11));
    set(4, screen_.cmbX(1)->currentText());
    set(5, text(14));
    set(6, text(17));
    set(7, text(16));
    set(8, QString());
    set(9, text(3) + blank + text(4) + blank + text(5));
    set(10, QString());
    set(11, QString());
    set(12, text(0) + blank + text(1) + blank + text(2));
    set(13, text(9));
    set(14, text(41) + blank + text(42));
    set(15, QString::number(today()().day()));
    set(16, QString::number(today()().month()));
    set(17, QString::number(today()().year()));
}

} // namespace printing
