#include "screenbuilder.h"

#include "boxmarks.h"

#include "entrybehaviour.h"
#include "platform/dategrid.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace records {

ScreenBuilder::ScreenBuilder(EntryScreen &screen)
    : s_(screen)
{
}

QGroupBox *ScreenBuilder::frame(
    QWidget *parent, const QString &name, const QString &caption, int x, int y, int w, int h)
{
    // The caption is a label over the frame's top edge: the group box's own
    // title drops the dots of Ö and Ü in bold at this size.
    auto *box = new QGroupBox(parent);
    box->setObjectName(name);
    box->setGeometry(x, y, w, h);
    box->setAccessibleName(caption);
    auto *title = new QLabel(caption, box);
    title->setObjectName(name + QStringLiteral("_baslik"));
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    title->setAutoFillBackground(true);
    // The face's ascent holds the dots of a capital Ö: no room added above.
    title->setContentsMargins(2, 0, 2, 0);
    QPalette p = title->palette();
    p.setColor(QPalette::WindowText, QColor(192, 0, 0));
    title->setPalette(p);
    title->adjustSize();
    title->move(6, 0);
    return box;
}

QLabel *ScreenBuilder::label(
    QWidget *parent, const QString &text, int x, int y, int w, Qt::Alignment align)
{
    auto *l = new QLabel(text, parent);
    l->setGeometry(x, y, w, kRowHeight);
    l->setAlignment(align | Qt::AlignVCenter);
    return l;
}

TextBox *ScreenBuilder::text(QWidget *parent, int index, int maxLength, Qt::Alignment align, int x,
    int y, int w, int order, const QString &label)
{
    auto *box = new LineBox(maxLength, align, parent);
    box->setObjectName(QStringLiteral("txt%1").arg(index));
    box->setGeometry(x, y, w, kRowHeight);
    box->setAccessibleName(label);
    s_.txt_[size_t(index)] = box;
    s_.behaviour_->attach(box, index == 1 || index == 4);
    s_.setOrder(box, order);
    return box;
}

TextBox *ScreenBuilder::memo(QWidget *parent, int index, int maxLength, bool scrollBar, int x,
    int y, int w, int h, int order, const QString &label)
{
    auto *box = new MemoBox(maxLength, scrollBar, parent);
    box->setObjectName(QStringLiteral("txt%1").arg(index));
    box->setGeometry(x, y, w, h);
    box->setAccessibleName(label);
    // Enter moves on as in every box; the line breaks on Shift+Enter.
    box->setProperty(BoxMarks::kHint, QStringLiteral("Yeni satır: Shift+Enter"));
    box->setToolTip(box->property(BoxMarks::kHint).toString());
    s_.txt_[size_t(index)] = box;
    s_.behaviour_->attach(box);
    s_.setOrder(box, order);
    return box;
}

platform::DateGrid *ScreenBuilder::date(
    QWidget *parent, int index, int x, int y, int w, int order, const QString &label)
{
    auto *cell = new platform::DateGrid(parent);
    cell->setObjectName(QStringLiteral("sprTarih%1").arg(index));
    cell->setGeometry(x, y, w, kRowHeight);
    cell->setAccessibleName(label);
    cell->setPlaceholderText(QStringLiteral("gg.aa.yyyy"));
    s_.spr_[size_t(index)] = cell;
    s_.behaviour_->attach(cell);
    s_.setOrder(cell, order);
    return cell;
}

QComboBox *ScreenBuilder::combo(QWidget *parent, int index, bool editable, const QStringList &items,
    int x, int y, int w, int order, const QString &label)
{
    auto *c = new QComboBox(parent);
    c->setObjectName(QStringLiteral("cmbX%1").arg(index));
    c->setEditable(editable);
    if (editable) {
        c->setInsertPolicy(QComboBox::NoInsert);
        c->lineEdit()->setMaxLength(60);
    }
    c->addItems(items);
    c->setCurrentIndex(-1);
    c->setGeometry(x, y, w, kRowHeight);
    c->setAccessibleName(label);
    s_.behaviour_->attachCombo(c);
    s_.cmb_[index] = c;
    s_.setOrder(c, order);
    return c;
}

QRadioButton *ScreenBuilder::option(QWidget *parent, QButtonGroup *group, QRadioButton **slot,
    const QString &caption, int x, int y, int w, int order)
{
    auto *b = new QRadioButton(caption, parent);
    b->setGeometry(x, y, w, kRowHeight);
    group->addButton(b);
    // Delete or Backspace on a group takes its choice back to none.
    b->setToolTip(QStringLiteral("Seçimi kaldırmak için Delete"));
    b->installEventFilter(&s_);
    *slot = b;
    s_.setOrder(b, order);
    return b;
}

QCheckBox *ScreenBuilder::check(
    QWidget *parent, int index, const QString &caption, int x, int y, int w, int order)
{
    auto *b = new QCheckBox(caption, parent);
    b->setObjectName(QStringLiteral("chkX%1").arg(index));
    b->setGeometry(x, y, w, kRowHeight);
    s_.chk_[size_t(index)] = b;
    s_.setOrder(b, order);
    return b;
}

QPushButton *ScreenBuilder::button(
    QWidget *parent, const QString &name, const QString &caption, int x, int y, int w, int h)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setGeometry(x, y, w, h);
    // Buttons stay out of the typing path: Tab, Enter and the arrows walk the
    // inputs, and a click leaves the cursor where it was.
    b->setFocusPolicy(Qt::NoFocus);
    b->setAutoDefault(false);
    return b;
}

} // namespace records
