#pragma once

#include <QStringList>

namespace tobrin {

// The command line without a display: "export", "import", --help, --version
// and the internal metafile renderer. args are the whole argument list with
// the program name first. Returns the exit status, or -1 when the arguments
// ask for the editor (then *openPath holds a file to open, or is empty).
int RunCommandLine(const QStringList& args, QString* openPath);

}  // namespace tobrin
