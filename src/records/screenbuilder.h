#pragma once

#include "entryscreen.h"

#include <QStringList>

class QButtonGroup;

namespace records {

// Places the inputs of a frame at pixel positions and registers each under its
// array index and focus order key.
class ScreenBuilder {
public:
    static constexpr int kRowHeight = 19;

    explicit ScreenBuilder(EntryScreen &screen);

    static int px(int twips) { return (twips + 7) / 15; }
    QGroupBox *frame(
        QWidget *parent, const QString &name, const QString &caption, int x, int y, int w, int h);
    QLabel *label(QWidget *parent, const QString &text, int x, int y, int w,
        Qt::Alignment align = Qt::AlignLeft);
    TextBox *text(QWidget *parent, int index, int maxLength, Qt::Alignment align, int x, int y,
        int w, int order, const QString &label);
    TextBox *memo(QWidget *parent, int index, int maxLength, bool scrollBar, int x, int y, int w,
        int h, int order, const QString &label);
    platform::DateGrid *date(
        QWidget *parent, int index, int x, int y, int w, int order, const QString &label);
    QComboBox *combo(QWidget *parent, int index, bool editable, const QStringList &items, int x,
        int y, int w, int order, const QString &label);
    QRadioButton *option(QWidget *parent, QButtonGroup *group, QRadioButton **slot,
        const QString &caption, int x, int y, int w, int order);
    QCheckBox *check(
        QWidget *parent, int index, const QString &caption, int x, int y, int w, int order);
    QPushButton *button(
        QWidget *parent, const QString &name, const QString &caption, int x, int y, int w, int h);

private:
    EntryScreen &s_;
};

} // namespace records
