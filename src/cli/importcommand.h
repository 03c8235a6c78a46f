#pragma once

#include <QStringList>
#include <optional>

#include "core/formats.h"

namespace tobrin {

// "tobrin import IMAGE -o OUT [options]"; args start after "import".
int RunImportCommand(const QStringList& args);

// What became of an import's arguments.
struct ImportRun {
    QString output;         // -o
    ExportOptions writing;  // --order, --name
    bool single = true;     // one picture, rather than a set from several images, a sheet or a GIF
    bool usage = false;     // the arguments are at fault (problem says how)
    QString file;           // the file a conversion failed on
    QString problem;
};

// The images of args (as "tobrin import" takes them, without "import")
// converted as the import command converts them: one picture (a set of
// one) or a set. nullopt and *run saying why otherwise. checkOnly reads
// the arguments alone and gives an empty set for good ones.
std::optional<MonoSet> ConvertImportImages(const QStringList& args, ImportRun* run, bool checkOnly = false);

// The child process that renders a metafile to a raster for the import
// ("tobrin --render-wmf IN OUT"); args start after "--render-wmf".
int RunWmfRenderChild(const QStringList& args);

// Words filled into lines of at most 79 characters, each indented by
// indent blanks: the usage texts' sentences.
QString WrapWords(const QString& text, int indent);

}  // namespace tobrin
