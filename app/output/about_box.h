// The About box: the application's name, the maker's logo and details, and the
// system information tool. Modeless; it outlives the main window if left open.
#pragma once

#include <QDialog>

namespace kestrom::output {

class AboutBox : public QDialog {
public:
    // `toolFolders`: where the information tool is looked for (empty: the PATH).
    explicit AboutBox(QStringList toolFolders);

private:
    QStringList toolFolders_;
};

}  // namespace kestrom::output
