// The About box: the application's name, the maker's logo and details, and the
// system information tool. Modeless; it outlives the main window if left open.
#pragma once

#include <QDialog>
#include <memory>

#include "dialogs.h"

namespace kestrom::output {

class AboutBox : public QDialog {
public:
    // `toolFolders`: where the information tool is looked for (empty: the PATH).
    AboutBox(std::shared_ptr<Dialogs> dialogs, QStringList toolFolders);

private:
    std::shared_ptr<Dialogs> dialogs_;
    QStringList toolFolders_;
};

}  // namespace kestrom::output
