#pragma once

#include <QStringList>

namespace tobrin {

// "tobrin import IMAGE -o OUT [options]"; args start after "import".
int RunImportCommand(const QStringList& args);

// The child process that renders a metafile to a raster for the import
// ("tobrin --render-wmf IN OUT"); args start after "--render-wmf".
int RunWmfRenderChild(const QStringList& args);

// Words filled into lines of at most 79 characters, each indented by
// indent blanks: the usage texts' sentences.
QString WrapWords(const QString& text, int indent);

}  // namespace tobrin
