#pragma once

#include <QObject>

#include <functional>

class QWidget;

namespace records {
class EntryScreen;
}

namespace printing {

enum class Form { Ek1, Ek9 };

// The EK-1 and EK-9 print frames of the main window: each collects the values
// printed only on its form, then shows the form's viewer or viewers.
class PrintFrames : public QObject {
    Q_OBJECT
public:
    // Shows the viewers of a form; replaced by tests.
    using Printer = std::function<void(Form)>;

    PrintFrames(records::EntryScreen &screen, QWidget *window);
    void setPrinter(Printer printer) { printer_ = std::move(printer); }

    void openEk1Frame();
    void openEk9Frame();
    void printEk1();
    void printEk9();
    void cancelEk1();
    void cancelEk9();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool engineNumberBlank() const;

    records::EntryScreen &screen_;
    QWidget *window_;
    Printer printer_;
};

} // namespace printing
