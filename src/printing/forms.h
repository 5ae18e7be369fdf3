#pragma once

#include "platform/report.h"

#include <QDate>

#include <functional>

namespace records {
class EntryScreen;
}

class QAbstractButton;

namespace printing {

// A form's own page settings, set at every start before the stored margins:
// margins in the engine's order, in twips; paper 0 keeps the viewer's A4.
struct FormDefaults {
    int paperSize;
    int leftMargin, topMargin, rightMargin, bottomMargin;
};

// A form printed from the entry screen as it stands: no record is read, texts
// are copied untrimmed.
class FormReport : public platform::Report {
public:
    FormReport(records::EntryScreen &screen, const QString &name, const QString &title,
        const FormDefaults &defaults);
    // Start sequence: busy pointer, toolbar, default page settings, stored
    // margins, title, fields; then the end of the run.
    void run() override;
    // The fields filled from the screen as it stands, without the viewer's
    // start sequence: what the entry screen checks while the clerk types.
    void fill()
    {
        beforeFill();
        AlanlariDoldur();
    }

    // The first selected optX from first to last, or 999 when none is.
    int SeciliSecenek(int first, int last) const;

protected:
    virtual void AlanlariDoldur() = 0;
    virtual void beforeFill() { }

    QString text(int index) const;
    QString cell(int dateIndex) const;
    // Sets a field's text and names it for the clerk by its box's label.
    void set(int field, const QString &text, const QString &label = QString(),
        const QObject *source = nullptr);
    // A field copied from text box index as it stands.
    void copyBox(int field, int index, const QString &label);
    QString label(int index) const;
    static QString joined(const QString &first, const QString &separator, const QString &second);
    // A mark's label: the caption of the tick or option it stands for.
    static QString markLabel(const QAbstractButton *b);
    static QString fieldName(int n) { return QStringLiteral("Field%1").arg(n); }

    records::EntryScreen &screen_;
    // The form's name on paper ("EK-1") and the box the office is typed in.
    QString formCode_;
    int officeBox_ = -1;

private:
    QString title_;
    FormDefaults defaults_;
};

// EK-1 front page (A4).
class ArTrafik final : public FormReport {
public:
    explicit ArTrafik(records::EntryScreen &screen);
    void IsaretliKutulariYaz(int first, int last);

protected:
    void AlanlariDoldur() override;
};

// EK-1 back page (A4): one column per owner.
class ArTrafikArka final : public FormReport {
public:
    explicit ArTrafikArka(records::EntryScreen &screen);
    // Splits "ABrh+" into "AB" and "+".
    void KanGrubuAyir(const QString &text);
    QString group;
    QString sign;

protected:
    void AlanlariDoldur() override;
};

// EK-9 (A5).
class ArEk9 final : public FormReport {
public:
    explicit ArEk9(records::EntryScreen &screen);
    // Where the date fields read today's date; tests replace it.
    static std::function<QDate()> &today();

protected:
    void beforeFill() override;
    void AlanlariDoldur() override;
};

} // namespace printing
