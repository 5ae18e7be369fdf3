#pragma once

#include <QDialog>

#include <array>
#include <functional>

class QLineEdit;
class QPushButton;

namespace platform {
class Report;
}

namespace printing {

// frm_RprAyar "Sayfa Boşluk Ayarı": the four margins of the report in view,
// in whole millimetres; every button re-runs the report.
class MarginDialog : public QDialog {
    Q_OBJECT
public:
    MarginDialog(
        platform::Report &report, std::function<void()> restart, QWidget *parent = nullptr);

    QLineEdit *box(int i) const { return boxes_[size_t(i)]; } // left, right, top, bottom
    QPushButton *btnGoster() const { return goster_; }
    QPushButton *btnKatdet() const { return kaydet_; }
    QPushButton *btnIptal() const { return iptal_; }

    bool goster();
    void kaydetVeCik();
    void vazgec();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Reads the boxes into the shared margins and writes them; false, with a
    // word to the user, when a box holds no number.
    bool applyBoxes();
    void writeMargins(const std::array<int, 4> &values);

    platform::Report &report_;
    std::function<void()> restart_;
    std::array<QLineEdit *, 4> boxes_ {};
    std::array<int, 4> opening_ {};
    QPushButton *goster_ = nullptr;
    QPushButton *kaydet_ = nullptr;
    QPushButton *iptal_ = nullptr;
};

} // namespace printing
