// The main window's archive commands: six reads of the controller's archives (5-minute,
// hourly and daily data of the chromatograph and of the moisture analyser) and six
// view-from-file commands that open a saved data file of the same kinds. Both hand the
// header and the records to the archive view of the kind.
#pragma once
#include <QFileDialog>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

#include "common/ui/filedialogs.h"
#include "common/uihooks.h"
#include "data/archformat.h"
#include "data/archread.h"

class QTimer;
class QWidget;

namespace qvr {

// Shows a record set modally: the kind, the header, the records (header.recordCount *
// record size bytes, as received or stored) and the heading kind of the hourly/daily
// views (-1 for the 5-minute views). The archive views install it.
using ArchiveViewHook = std::function<void(QWidget* parent, DataKind kind, const ArchiveFileHeader& header,
                                           const std::vector<uint8_t>& records, int headingKind)>;
void SetArchiveViewHook(ArchiveViewHook hook);

// Replaces the period dialog of the read commands (tests); null brings TFormShortDate back.
void SetArchivePeriodChooser(ArchivePeriodChooser chooser);

// What the open dialog of a view-from-file command is set up with.
using DataOpenRequest = FileDialogRequest;
// Replaces the modal open dialog (tests): returns the chosen path, empty for Cancel.
using DataOpenDialogHook = FileDialogHook;
void SetDataOpenDialogHook(DataOpenDialogHook hook);

// The filters of the main window's shared open dialog, in order: .cnf, .srt, .ala, .aud,
// .mch, .mwm, .hch, .hwm, .dch, .dwm, .clb, all files.
QStringList DataOpenDialogFilters();

// The read command of an archive kind. statusBar: the main status bar (panel 2 shows the
// result text of a failed block); timerMessage: the main window's timer that clears
// panel 2 (null: a single-shot timer tied to a status bar that is a QObject does it).
void ReadArchiveCommand(DataKind kind, QWidget* mainWindow, IStatusBar* statusBar, QTimer* timerMessage);
// The view-from-file command of a kind (archives and logs); pod: the main window's shared
// open dialog (null: one of its own).
void ViewDataFileCommand(DataKind kind, QWidget* mainWindow, QFileDialog* pod);
// Opens a data file of the kind without a dialog: the checks, messages and hand-over of
// the view-from-file commands. false when nothing was shown.
bool OpenDataFileForView(DataKind kind, const std::string& path, QWidget* parent);

// "Чтение архива контроллера" of each archive submenu.
void NChrom_Read5minClick(QWidget* mainWindow, IStatusBar* statusBar, QTimer* timerMessage);
void NChrom_ReadHourClick(QWidget* mainWindow, IStatusBar* statusBar, QTimer* timerMessage);
void NChrom_ReadDayClick(QWidget* mainWindow, IStatusBar* statusBar, QTimer* timerMessage);
void NWmt_Read5minClick(QWidget* mainWindow, IStatusBar* statusBar, QTimer* timerMessage);
void NWmt_ReadHourClick(QWidget* mainWindow, IStatusBar* statusBar, QTimer* timerMessage);
void NWmt_ReadDayClick(QWidget* mainWindow, IStatusBar* statusBar, QTimer* timerMessage);

// "Просмотр/Печать из файла" of each archive submenu.
void NChrom_View5minClick(QWidget* mainWindow, QFileDialog* pod);
void NChrom_ViewHourClick(QWidget* mainWindow, QFileDialog* pod);
void NChrom_ViewDayClick(QWidget* mainWindow, QFileDialog* pod);
void NWmt_View5minClick(QWidget* mainWindow, QFileDialog* pod);
void NWmt_ViewHourClick(QWidget* mainWindow, QFileDialog* pod);
void NWmt_ViewDayClick(QWidget* mainWindow, QFileDialog* pod);

}  // namespace qvr
