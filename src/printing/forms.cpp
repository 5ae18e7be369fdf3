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

#include <tuple>

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
    const QString plate =
        (text(0) + QLatin1Char(' ') + text(1) + QLatin1Char(' ') + text(2)).simplified();
    subject = (formCode_ + QLatin1Char(' ') + plate).trimmed();
    author = officeBox_ >= 0 ? text(officeBox_).simplified() : QString();
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

void FormReport::set(int n, const QString &value, const QString &boxLabel, const QObject *source)
{
    if (platform::ReportField *f = field(fieldName(n))) {
        f->text = value;
        f->source = source;
        if (!boxLabel.trimmed().isEmpty())
            f->label = boxLabel.trimmed();
    }
}

void FormReport::copyBox(int n, int index, const QString &boxLabel)
{
    set(n, text(index), boxLabel, screen_.txt(index)->widget());
}

QString FormReport::label(int index) const
{
    return screen_.txt(index)->widget()->accessibleName();
}

QString FormReport::markLabel(const QAbstractButton *b)
{
    if (!b)
        return QString();
    const QString shown = QString(b->text()).remove(QLatin1Char('&')).simplified();
    return shown.isEmpty() ? b->accessibleName() : shown;
}

QString FormReport::cell(int dateIndex) const
{
    return app::GetSprTxt(*screen_.sprTarih(dateIndex), 1, 1);
}

// Two parts with a separator between them; nothing at all when both are
// empty, so no lone separator lands on the form.
QString FormReport::joined(const QString &first, const QString &separator, const QString &second)
{
    if (first.trimmed().isEmpty() && second.trimmed().isEmpty())
        return QString();
    return first + separator + second;
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
    formCode_ = QStringLiteral("EK-1");
    officeBox_ = 124;
    for (int i = 2; i <= 11; ++i)
        shapes.push_back({ QStringLiteral("Shape%1").arg(i), QRect() });
}

void ArTrafik::IsaretliKutulariYaz(int first, int last)
{
    for (int i = first; i <= last; ++i) {
        const bool ticked = screen_.chkX(i)->checkState() == Qt::Checked;
        set(i + 1, ticked ? QStringLiteral("X") : QString(), markLabel(screen_.chkX(i)));
    }
}

namespace {

// Where a front-page field takes its text from: a text box, a date cell or a
// combo's shown text, copied as it stands.
enum class From { Box, Date, Combo };
struct Copy {
    int field;
    From from;
    int index;
};

// In the order the fields are filled: plates, documents, brand and technical
// data, axles, tax, insurance, remarks, reasons, office (twice), proxy.
const Copy kFrontCopies[] = { { 12, From::Box, 0 }, { 13, From::Box, 1 }, { 14, From::Box, 2 },
    { 15, From::Box, 3 }, { 16, From::Box, 4 }, { 17, From::Box, 5 }, { 22, From::Box, 6 },
    { 23, From::Box, 7 }, { 24, From::Date, 0 }, { 25, From::Box, 8 }, { 28, From::Date, 1 },
    { 31, From::Box, 9 }, { 32, From::Combo, 0 }, { 33, From::Combo, 1 }, { 34, From::Box, 10 },
    { 35, From::Box, 11 }, { 36, From::Box, 12 }, { 37, From::Box, 13 }, { 38, From::Box, 14 },
    { 39, From::Box, 15 }, { 40, From::Box, 16 }, { 41, From::Box, 17 }, { 42, From::Box, 18 },
    { 43, From::Box, 20 }, { 44, From::Box, 22 }, { 45, From::Box, 24 }, { 46, From::Box, 26 },
    { 47, From::Box, 19 }, { 48, From::Box, 21 }, { 49, From::Box, 23 }, { 50, From::Box, 25 },
    { 51, From::Box, 27 }, { 66, From::Box, 28 }, { 67, From::Box, 29 }, { 72, From::Box, 128 },
    { 73, From::Date, 6 }, { 74, From::Box, 130 }, { 75, From::Box, 30 }, { 76, From::Box, 31 },
    { 77, From::Box, 32 }, { 78, From::Date, 2 }, { 79, From::Box, 33 }, { 80, From::Box, 34 },
    { 81, From::Box, 35 }, { 68, From::Box, 36 }, { 69, From::Box, 37 }, { 70, From::Box, 38 },
    { 71, From::Box, 39 }, { 85, From::Box, 121 }, { 86, From::Box, 122 }, { 87, From::Box, 123 },
    { 88, From::Box, 124 }, { 89, From::Box, 124 }, { 90, From::Box, 131 }, { 92, From::Box, 133 },
    { 93, From::Box, 134 } };

} // namespace

void ArTrafik::AlanlariDoldur()
{
    const QString blank = QStringLiteral(" ");
    const QString x = QStringLiteral("X");
    for (int i = 1; i <= 89; ++i)
        set(i, QString());
    for (int k = 1; k <= 3; ++k) {
        const int b = EntryScreen::ownerBase(k);
        set(81 + k, joined(text(b + 1), blank, text(b + 2)),
            QStringLiteral("%1. sahibin Adı Soyadı").arg(k));
    }
    IsaretliKutulariYaz(0, 10);
    for (const Copy &c : kFrontCopies) {
        if (c.from == From::Box) {
            copyBox(c.field, c.index, label(c.index));
            continue;
        }
        set(c.field,
            c.from == From::Box        ? text(c.index)
                : c.from == From::Date ? cell(c.index)
                                       : screen_.cmbX(c.index)->currentText(),
            c.from == From::Box        ? label(c.index)
                : c.from == From::Date ? screen_.sprTarih(c.index)->accessibleName()
                                       : screen_.cmbX(c.index)->accessibleName());
    }
    set(91, joined(cell(7), QStringLiteral(" / "), text(132)), label(132));
    // One mark for each option group: usage purpose, fuel, usage form.
    for (const auto &[first, last, shift] :
        { std::tuple { 11, 14, 7 }, std::tuple { 15, 19, 37 }, std::tuple { 20, 26, 37 } }) {
        const int r = SeciliSecenek(first, last);
        for (int i = first; i <= last; ++i)
            set(i + shift, i == r ? x : QString(), markLabel(screen_.optX(i)));
    }
    // "YOK" marks one box, "VAR" the other, no choice neither.
    const QComboBox *lien = screen_.cmbX(2);
    const QString yes = QStringLiteral("VAR");
    const QString no = QStringLiteral("YOK");
    set(64, lien->currentText() == yes ? x : QString(),
        lien->accessibleName() + QStringLiteral(": ") + yes);
    set(65, lien->currentText() == no ? x : QString(),
        lien->accessibleName() + QStringLiteral(": ") + no);
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
    formCode_ = QStringLiteral("EK-1");
    officeBox_ = 124;
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
        auto owned = [k](const QString &boxLabel) {
            return QStringLiteral("%1 (%2. sahip)").arg(boxLabel).arg(k);
        };
        if (text(b).trimmed().isEmpty())
            continue;
        for (int j = 0; j <= 5; ++j)
            copyBox(at(j), b + j, owned(label(b + j)));
        set(at(8), cell(k + 2), owned(screen_.sprTarih(k + 2)->accessibleName()));
        // The first selected of each pair marks its box.
        auto pair = [&](QRadioButton *first, QRadioButton *second, int firstOffset) {
            set(at(firstOffset), first->isChecked() ? x : QString(), owned(markLabel(first)));
            set(at(firstOffset + 1), !first->isChecked() && second->isChecked() ? x : QString(),
                owned(markLabel(second)));
        };
        pair(screen_.OptA(even), screen_.OptA(even + 1), 6);
        // A legal entity has neither sex nor blood group, whatever the panel holds.
        const bool legalEntity = screen_.OptA(even + 1)->isChecked();
        if (!legalEntity)
            pair(screen_.optC(even), screen_.optC(even + 1), 9);
        pair(screen_.optAdres(even), screen_.optAdres(even + 1), 23);
        const QComboBox *country = screen_.cmbX(4 * k);
        const QString nationality = country->currentText();
        const QString turkish = QStringLiteral("TC");
        set(at(13), nationality == turkish ? x : QString(),
            owned(country->accessibleName() + QStringLiteral(": ") + turkish));
        set(at(14), !nationality.isEmpty() && nationality != turkish ? x : QString(),
            owned(country->accessibleName() + QStringLiteral(": başka")));
        KanGrubuAyir(legalEntity ? QString() : screen_.cmbX(3 * k)->currentText());
        set(at(11), group, owned(screen_.cmbX(3 * k)->accessibleName()));
        set(at(12), sign, owned(screen_.cmbX(3 * k)->accessibleName()));
        for (int j = 15; j <= 22; ++j)
            copyBox(at(j), b + j - 9, owned(label(b + j - 9)));
        for (int j = 25; j <= 37; ++j)
            copyBox(at(j), b + j - 11, owned(label(b + j - 11)));
        // The first owner's phone kind, marked in every owner's pass.
        set(39, screen_.optTel(0)->isChecked() ? x : QString(), markLabel(screen_.optTel(0)));
        set(40, !screen_.optTel(0)->isChecked() && screen_.optTel(1)->isChecked() ? x : QString(),
            markLabel(screen_.optTel(1)));
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
    formCode_ = QStringLiteral("EK-9");
    officeBox_ = 126;
}

std::function<QDate()> &ArEk9::today()
{
    static std::function<QDate()> clock = [] { return QDate::currentDate(); };
    return clock;
}

void ArEk9::beforeFill()
{
    for (int n = 88; n <= 90; ++n)
        copyBox(n, n + 37, label(n + 37));
}

void ArEk9::AlanlariDoldur()
{
    const QString blank = QStringLiteral(" ");
    for (int i = 1; i <= 14; ++i)
        set(i, QString());
    copyBox(1, 13, label(13));
    set(2, screen_.cmbX(0)->currentText(), screen_.cmbX(0)->accessibleName());
    copyBox(3, 11, label(11));
    set(4, screen_.cmbX(1)->currentText(), screen_.cmbX(1)->accessibleName());
    copyBox(5, 14, label(14));
    copyBox(6, 17, label(17));
    copyBox(7, 16, label(16));
    set(8, QString());
    set(9, joined(text(3), blank, joined(text(4), blank, text(5))),
        QStringLiteral("Eski Plaka No"));
    set(10, QString());
    set(11, QString());
    set(12, joined(text(0), blank, joined(text(1), blank, text(2))),
        QStringLiteral("Yeni Plaka No"));
    copyBox(13, 9, label(9));
    set(14, joined(text(41), blank, text(42)), QStringLiteral("1. sahibin Adı Soyadı"));
    set(15, QString::number(today()().day()), QStringLiteral("Tarih: gün"));
    set(16, QString::number(today()().month()), QStringLiteral("Tarih: ay"));
    set(17, QString::number(today()().year()), QStringLiteral("Tarih: yıl"));
}

} // namespace printing
