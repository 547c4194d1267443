#pragma once

#include <QString>

// The documents folder: every file the program reads and writes lives here.
namespace Documents {
// Set by the program at start (--documents); else $VENNARO_DOCUMENTS, else
// $XDG_DOCUMENTS_DIR/Vennaro. Created on first use.
void setPath(const QString &path);
QString getDocumentsDir();
// documents folder + "/" + name
QString filePath(const QString &name);
}
