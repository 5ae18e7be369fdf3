#pragma once

#include <QRect>
#include <QSizeF>
#include <QString>
#include <QVector>

#include <functional>
#include <memory>

class QObject;

namespace platform {

// Windows paper-size codes the forms use.
enum PaperSize { PaperA4 = 9, PaperA5 = 11 };

// Lengths in twips (1/1440 inch).
struct PageSettings {
    int paperSize = PaperA4;
    int orientation = 1; // 1 portrait, 2 landscape
    int leftMargin = 1440;
    int topMargin = 1440;
    int rightMargin = 1440;
    int bottomMargin = 1440;
};

// Paper width and height in twips for a paper-size code and orientation.
QSize paperTwips(int paperSize, int orientation);
// The exact ISO size in points, for outputs that take fractions.
QSizeF paperPoints(int paperSize, int orientation);

struct FieldFit;

struct ReportField {
    QString name;
    QString label; // the entry screen's label of the box the text comes from
    QRect rect; // left, top, width, height in twips, relative to the detail section
    double pointSize = 10;
    bool bold = true;
    Qt::Alignment align = Qt::AlignLeft;
    bool multiLine = false;
    QString family = QStringLiteral("Tahoma");
    QString text;
    // The entry box the text is copied from as it stands, if one is.
    const QObject *source = nullptr;
    // The fitted text, worked out once and kept while text and box stay (fitOf).
    mutable std::shared_ptr<const FieldFit> fit;
};

// A rectangle that marks a place on the form and prints nothing.
struct ReportShape {
    QString name;
    QRect rect;
};

// One tool of a viewer's toolbar, as the viewer frame customises it.
struct ReportTool {
    int id = 0;
    QString caption;
    QString tooltip;
    bool visible = true;
    bool state = false;
};

// A report: page settings, three sections and the controls of its detail
// section, which is printed once. Fields are found by name without regard to
// case. The same report feeds the preview, the printer and every export.
class Report {
public:
    virtual ~Report() = default;

    QString name; // section name in the margins file, e.g. "ar_Trafik"
    QString caption; // the viewer's window title
    // What an exported PDF says of itself besides the caption: the form and
    // the plate, and the office that filled it in.
    QString subject;
    QString author;
    PageSettings pageSettings;
    int printWidth = 0;
    int headerHeight = 0;
    int detailHeight = 0;
    int footerHeight = 0;
    QVector<ReportField> fields;
    QVector<ReportShape> shapes;

    // The viewer's toolbar and printer state; they outlive restarts.
    QVector<ReportTool> tools;
    int zoom = 100;
    QString toolbarFont;
    int toolbarFontSize = 0;
    int printQuality = 0; // Windows codes: -4 high ("KOYU"), -3 medium ("NORMAL")
    int renderMode = 0;
    bool stopped = false;

    ReportField *field(const QString &name);
    const ReportField *field(const QString &name) const;
    // Sets a field's text; an unknown name is ignored, as a missing control.
    void setFieldText(const QString &name, const QString &text);
    QString fieldText(const QString &name) const;

    // The report's start sequence and end, run anew by every restart.
    virtual void run() = 0;
};

} // namespace platform
