#include "reportviewer.h"

#include "margindialog.h"
#include "platform/appicon.h"
#include "platform/reportfit.h"
#include "platform/reportpainter.h"
#include "viewerframe.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QGuiApplication>
#include <QKeySequence>
#include <QLabel>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewWidget>
#include <QScreen>
#include <QSpinBox>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace printing {

ReportViewer::ReportViewer(platform::Report &report, QWidget *parent)
    : QDialog(parent)
    , report_(report)
    , printer_(QPrinter::HighResolution)
{
    setWindowIcon(platform::appIcon());
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    toolbar_ = new QToolBar(this);
    toolbar_->setToolButtonStyle(Qt::ToolButtonTextOnly);
    layout->addWidget(toolbar_);
    fitLine_ = new QLabel(this);
    fitLine_->setObjectName(QStringLiteral("fitLine"));
    fitLine_->setWordWrap(true);
    fitLine_->setContentsMargins(6, 3, 6, 3);
    fitLine_->setStyleSheet(
        QStringLiteral("background: rgb(255, 244, 206); color: rgb(96, 48, 0);"));
    layout->addWidget(fitLine_);
    preview_ = new QPrintPreviewWidget(&printer_, this);
    layout->addWidget(preview_, 1);
    statusLine_ = new QLabel(this);
    statusLine_->setObjectName(QStringLiteral("statusLine"));
    statusLine_->setContentsMargins(6, 2, 6, 2);
    layout->addWidget(statusLine_);
    connect(preview_, &QPrintPreviewWidget::paintRequested, this, [this](QPrinter *p) {
        QPainter painter(p);
        platform::paintReportPage(painter, report_);
    });
    openMarginDialog = [](ReportViewer &viewer) {
        MarginDialog dialog(
            viewer.report(), [&viewer] { viewer.restart(); }, &viewer);
        dialog.exec();
    };
    report_.run();
    setWindowTitle(report_.caption);
    platform::preparePrinter(printer_, report_);
    syncToolbar();
    showFitNotes();
    statusLine_->setText(noPrinterNote());
    preview_->setZoomMode(QPrintPreviewWidget::CustomZoom);
    preview_->setZoomFactor(report_.zoom / 100.0);
    preview_->updatePreview();
    // Maximised; the full screen as well, for a desktop without a window manager.
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        setGeometry(screen->availableGeometry());
    setWindowState(Qt::WindowMaximized);
}

void ReportViewer::restart()
{
    report_.run();
    platform::preparePrinter(printer_, report_);
    syncToolbar();
    showFitNotes();
    preview_->updatePreview();
}

void ReportViewer::setPrintQuality(int quality)
{
    keepQuality(report_, quality);
    platform::preparePrinter(printer_, report_);
    syncToolbar();
}

void ReportViewer::showFitNotes()
{
    const QStringList notes = platform::fitNotes({ &report_ });
    fitLine_->setText(
        QStringLiteral("Kutusuna sığmayan yazılar: ") + notes.join(QStringLiteral("; ")));
    fitLine_->setVisible(!notes.isEmpty());
}

void ReportViewer::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    if (isVisible() && !(windowState() & Qt::WindowMaximized))
        setWindowState(windowState() | Qt::WindowMaximized);
}

void ReportViewer::syncToolbar()
{
    // The toolbar owns its actions: drop the old ones, not just their buttons.
    const QList<QAction *> old = toolbar_->actions();
    toolbar_->clear();
    qDeleteAll(old);
    zoomBox_ = nullptr;
    pageBox_ = nullptr;
    QFont font(report_.toolbarFont.isEmpty() ? QStringLiteral("Tahoma") : report_.toolbarFont);
    font.setPointSize(report_.toolbarFontSize > 0 ? report_.toolbarFontSize : 8);
    toolbar_->setFont(font);
    for (int i = 0; i < report_.tools.size(); ++i) {
        const platform::ReportTool &tool = report_.tools[i];
        if (!tool.visible)
            continue;
        if (tool.id == 13) {
            zoomBox_ = new QComboBox(toolbar_);
            zoomBox_->setEditable(true);
            for (int z : { 25, 50, 75, 100, 125, 150, 200, 300, 400 })
                zoomBox_->addItem(QStringLiteral("%%1").arg(z), z);
            zoomBox_->setCurrentText(
                QStringLiteral("%%1").arg(qRound(preview_->zoomFactor() * 100)));
            zoomBox_->setToolTip(tool.tooltip);
            connect(zoomBox_, &QComboBox::textActivated, this, [this](const QString &t) {
                QString digits = t;
                digits.remove(QLatin1Char('%'));
                const int z = digits.trimmed().toInt();
                if (z > 0) {
                    preview_->setZoomMode(QPrintPreviewWidget::CustomZoom);
                    preview_->setZoomFactor(z / 100.0);
                }
            });
            toolbar_->addWidget(zoomBox_);
            continue;
        }
        if (tool.id == 17) {
            pageBox_ = new QSpinBox(toolbar_);
            pageBox_->setRange(1, qMax(1, preview_->pageCount()));
            pageBox_->setValue(qMax(1, preview_->currentPage()));
            pageBox_->setToolTip(tool.tooltip);
            connect(
                pageBox_, &QSpinBox::valueChanged, preview_, &QPrintPreviewWidget::setCurrentPage);
            toolbar_->addWidget(pageBox_);
            continue;
        }
        QAction *action = toolbar_->addAction(tool.caption);
        action->setToolTip(tool.tooltip);
        action->setObjectName(QStringLiteral("tool%1").arg(i));
        // A toolbar button drops the & of its caption: the key is given here.
        action->setShortcut(QKeySequence::mnemonic(tool.caption));
        if (tool.id == 25) {
            action->setCheckable(true);
            action->setChecked(tool.state);
        }
        // Queued: the click rebuilds the toolbar, which deletes this action.
        connect(
            action, &QAction::triggered, this, [this, i] { clickTool(i); }, Qt::QueuedConnection);
    }
}

void ReportViewer::clickTool(int index)
{
    switch (ToolbarTiklandi(report_, index, windowTitle(), this)) {
    case ViewerAction::Close:
        accept();
        return;
    case ViewerAction::OpenMarginDialog:
        openMarginDialog(*this);
        return;
    case ViewerAction::Stock:
        stockAction(report_.tools[index].id);
        return;
    case ViewerAction::Exported: {
        const QString path = QDir::toNativeSeparators(exportPath());
        const QString caption = report_.tools[index].caption;
        // Word and Excel files are meant to open at once; where nothing opens
        // them, the clerk has to know where to find the file.
        const bool meantToOpen = caption != QLatin1String("Pd&f");
        statusLine_->setText(meantToOpen && !exportOpened()
                ? QStringLiteral("Açacak bir program bulunamadı; dosya şuraya yazıldı: %1")
                      .arg(path)
                : QStringLiteral("Kaydedildi: %1").arg(path));
        break;
    }
    case ViewerAction::None:
        break;
    }
    syncToolbar();
}

void ReportViewer::stockAction(int id)
{
    switch (id) {
    case 2:
        print();
        break;
    case 3:
        preview_->fitToWidth();
        break;
    case 11:
        preview_->zoomOut();
        break;
    case 12:
        preview_->zoomIn();
        break;
    case 14:
        preview_->fitInView();
        break;
    case 15:
        preview_->setCurrentPage(preview_->currentPage() - 1);
        break;
    case 16:
        preview_->setCurrentPage(preview_->currentPage() + 1);
        break;
    case 18:
        preview_->setViewMode(preview_->viewMode() == QPrintPreviewWidget::AllPagesView
                ? QPrintPreviewWidget::SinglePageView
                : QPrintPreviewWidget::AllPagesView);
        break;
    default:
        break;
    }
    if (zoomBox_)
        zoomBox_->setCurrentText(QStringLiteral("%%1").arg(qRound(preview_->zoomFactor() * 100)));
}

void ReportViewer::print()
{
    platform::preparePrinter(printer_, report_);
    QPrintDialog dialog(&printer_, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    platform::printPages(printer_, { &report_ });
}

} // namespace printing
