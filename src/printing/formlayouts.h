#pragma once

#include "platform/report.h"

#include <QVector>

namespace printing {

// Where each field of a form sits, in twips from the top-left corner of the
// detail section, with its size, weight and alignment.
struct FieldSpec {
    int number; // FieldN
    int left, top, width, height;
    double pointSize;
    bool bold;
    char align; // 'L', 'C' or 'R'
};

const QVector<FieldSpec> &ek1FrontLayout();
const QVector<FieldSpec> &ek1BackLayout();
const QVector<FieldSpec> &ek9Layout();

// The report controls for a layout; fields taller than a line wrap.
QVector<platform::ReportField> makeFields(const QVector<FieldSpec> &layout);

// Offsets j of an owner column on the EK-1 back page: field number
// 40 * (owner - 1) + 1 + j.
int ek1BackField(int owner, int offset);

} // namespace printing
