#pragma once

#include <QLineEdit>
#include <QPlainTextEdit>

#include <functional>

namespace records {

// A text box of the entry screen: single-line or multi-line, one vocabulary.
class TextBox {
public:
    virtual ~TextBox() = default;
    virtual QString text() const = 0;
    virtual void setText(const QString &text) = 0;
    virtual int maxLength() const = 0;
    virtual Qt::Alignment alignment() const = 0;
    virtual QWidget *widget() = 0;
    // Told when the box refuses what the clerk typed or pasted because it is
    // full: the characters dropped (at least 1).
    std::function<void(int dropped)> refused;
};

class LineBox final : public QLineEdit, public TextBox {
    Q_OBJECT
public:
    LineBox(int maxLength, Qt::Alignment align, QWidget *parent);
    QString text() const override { return QLineEdit::text(); }
    void setText(const QString &text) override { QLineEdit::setText(text); }
    int maxLength() const override { return QLineEdit::maxLength(); }
    Qt::Alignment alignment() const override { return QLineEdit::alignment(); }
    QWidget *widget() override { return this; }

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    bool pasting_ = false;
};

// Multi-line box with a maximum length, which QPlainTextEdit lacks.
class MemoBox final : public QPlainTextEdit, public TextBox {
    Q_OBJECT
public:
    MemoBox(int maxLength, bool scrollBar, QWidget *parent);
    QString text() const override { return toPlainText(); }
    void setText(const QString &text) override;
    int maxLength() const override { return maxLength_; }
    Qt::Alignment alignment() const override { return Qt::AlignLeft; }
    QWidget *widget() override { return this; }

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void insertFromMimeData(const QMimeData *source) override;

private:
    int room() const;
    int maxLength_;
};

} // namespace records
