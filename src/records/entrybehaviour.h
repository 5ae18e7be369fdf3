#pragma once

#include <QObject>

#include <functional>

namespace records {

// The shared behaviour of the text boxes and date cells: select all and the
// focus colour on entry, white and (for the plate letters) upper case on
// leaving, Enter/Down/Up moving the focus.
class EntryBehaviour : public QObject {
    Q_OBJECT
public:
    explicit EntryBehaviour(QObject *parent = nullptr);
    // Installs the behaviour; upperOnLeave makes the box upper-case its text
    // when it loses the focus.
    void attach(QWidget *w, bool upperOnLeave = false);

    static QColor focusColour();

signals:
    // A box or date cell has lost the focus and taken its normal colour.
    void focusLeft(QWidget *w, Qt::FocusReason reason);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};

} // namespace records
