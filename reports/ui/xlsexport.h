// "Сохранить в формате Excel" of the chromatograph archive views: the save dialog, the
// replace question, the waiting window over the disabled view, then the export.
#pragma once
#include <QFileDialog>
#include <QString>
#include <QStringList>
#include <functional>

#include "data/archformat.h"
#include "reports/xlsexport.h"

class QWidget;

namespace qvr {

// What the save dialog is set up with.
struct ExcelSaveRequest {
    QString title;
    QString folder;
    QString proposed;     // full proposed path
    QStringList filters;
    int filterIndex = 1;  // counted from 1
};
// Replaces the modal save dialog (tests): returns the chosen path, empty for Cancel.
using ExcelSaveDialogHook = std::function<QString(const ExcelSaveRequest&)>;
void SetExcelSaveDialogHook(ExcelSaveDialogHook hook);

// The whole export of a view: kind Chrom5Min (5-minute view), ChromHour or ChromDay
// (hour/day view); address: the header's controller address; in: the view's texts.
// true when a workbook was saved.
bool ExportChromViewCommand(QWidget* view, DataKind kind, uint8_t address, const ChromExcelExport& in);

}  // namespace qvr
