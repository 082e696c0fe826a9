// The system's information tool, started from the About box.
#pragma once

#include <QStringList>

class QWidget;

namespace kestrom::output {

// Tools looked for, in this order.
QStringList knownSystemInfoTools();
// The first known tool in `folders` (empty: the PATH); empty when none is there.
QString findSystemInfoTool(const QStringList &folders = {});
// Starts the tool without waiting for it; when there is none or it does not
// start, says "System Information Is Unavailable At This Time".
void StartSysInfo(QWidget *owner, const QStringList &folders = {});

}  // namespace kestrom::output
