#pragma once

#include <QObject>
#include <QTimer>

#include <memory>
#include <set>
#include <vector>

namespace records {
class EntryScreen;
}

namespace platform {
struct ReportField;
}

namespace printing {

class FormReport;

// Tells the clerk while typing which boxes the forms will cut, by the same
// fitting the print uses: the box is marked, and its tooltip says roughly how
// much of it fits, so the clerk abbreviates before paper is spent.
class FitWatch : public QObject {
    Q_OBJECT
public:
    FitWatch(records::EntryScreen &screen, QObject *parent);
    ~FitWatch() override;
    // Checks every box against the three forms now; typing checks a moment
    // after the clerk stops.
    void checkNow();

private:
    records::EntryScreen &screen_;
    std::vector<std::unique_ptr<FormReport>> forms_;
    std::set<QWidget *> marked_;
    QTimer timer_;
};

// How many characters of text fit field at the smallest size (its start,
// as the clerk reads it).
int charactersThatFit(const platform::ReportField &field);

} // namespace printing
