#include "common/ui/appname.h"

#include <QCoreApplication>
#include <QString>

namespace qvr {

void InstallProgramName() { QCoreApplication::setApplicationName(QString::fromUtf8(kProgramCaption)); }

}  // namespace qvr
