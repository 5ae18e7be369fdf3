#pragma once

#include <QObject>

#include <functional>

class QComboBox;

namespace records {

// The shared behaviour of the text boxes and date cells: select all and the
// focus colour on entry, white and (for the plate letters) upper case on
// leaving, Enter/Down/Up moving the focus; and the wheel and typing rules of
// the combos.
class EntryBehaviour : public QObject {
    Q_OBJECT
public:
    explicit EntryBehaviour(QObject *parent = nullptr);
    // Installs the behaviour; upperOnLeave makes the box upper-case its text
    // when it loses the focus.
    void attach(QWidget *w, bool upperOnLeave = false);
    // Combos: the wheel only turns the focused one; editable ones keep what
    // was typed and count only a pick from a list as a choice.
    void attachCombo(QComboBox *c);

    static QColor focusColour();
    // The colour behind a box's text (a multi-line box's viewport too).
    static void paintBack(QWidget *w, const QColor &c);

signals:
    // A box or date cell has lost the focus and taken its normal colour.
    void focusLeft(QWidget *w, Qt::FocusReason reason);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};

} // namespace records
