#pragma once

#include <QDialog>
#include <QPrinter>

class QComboBox;
class QLabel;
class QPrintPreviewWidget;
class QSpinBox;
class QToolBar;

namespace platform {
class Report;
}

namespace printing {

// The viewer window of one report: the program's toolbar over a print preview
// drawn by the same routine that prints and exports.
class ReportViewer : public QDialog {
    Q_OBJECT
public:
    explicit ReportViewer(platform::Report &report, QWidget *parent = nullptr);

    platform::Report &report() const { return report_; }
    QToolBar *toolbar() const { return toolbar_; }
    QPrintPreviewWidget *preview() const { return preview_; }
    QPrinter &printer() { return printer_; }
    // The line under the toolbar naming the fields shrunk or cut to fit.
    QLabel *fitLine() const { return fitLine_; }
    // The line at the foot: a missing printer, or where the last export went.
    QLabel *statusLine() const { return statusLine_; }

    // A click on the tool at this position of the report's tool collection.
    void clickTool(int index);
    // Runs the report again from its start sequence and redraws the preview.
    void restart();
    // Dark or normal printing (the report's Windows code), its button to match.
    void setPrintQuality(int quality);
    // Replaces the margin dialog's modal run (tests drive the dialog directly).
    std::function<void(ReportViewer &)> openMarginDialog;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void syncToolbar();
    void stockAction(int id);
    void print();
    void showFitNotes();

    platform::Report &report_;
    QPrinter printer_;
    QToolBar *toolbar_ = nullptr;
    QPrintPreviewWidget *preview_ = nullptr;
    QComboBox *zoomBox_ = nullptr;
    QSpinBox *pageBox_ = nullptr;
    QLabel *fitLine_ = nullptr;
    QLabel *statusLine_ = nullptr;
};

} // namespace printing
