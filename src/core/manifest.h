#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace tobrin {

// One [[output]] table of a build manifest (docs/build.md), as written:
// paths relative to the manifest's folder, cleaned, with "/" between
// folders.
struct ManifestOutput {
    QString path;
    QStringList sources;
    QString name;          // empty: from the path
    QString order;         // "msb", "lsb" or "pages"; empty: msb
    QString templateName;  // a built-in name or a file; empty: the format's writer
    bool rle = false;
    bool rleRows = false;
    int sheet = 0;  // a PNG sprite sheet's frames a row; 0: one row
    // The import and font tables as the import and font commands' options
    // ("--threshold", "128", "--invert"), so both read them alike.
    bool hasImport = false;
    QStringList importArgs;
    bool hasFont = false;
    QStringList fontArgs;
    QByteArray canonical;  // the table's text in one spelling: a change of settings changes it
    int line = 0;          // where the table starts
};

struct Manifest {
    std::vector<ManifestOutput> outputs;  // in the manifest's order
    // Indexes into outputs such that an output read by another comes first.
    std::vector<int> buildOrder;
    // For each output, the outputs it reads (by index).
    std::vector<std::vector<int>> inputs;
};

// Reads a manifest's text. The whole manifest is refused on a TOML syntax
// error ("line 3, column 7: ..."), an unknown key (with the nearest known
// key as a suggestion), a value of the wrong type, an output without a path
// or sources, two outputs of one path, an output outside the manifest's
// folder (unless allowOutside) or outputs reading each other in a cycle;
// nullopt and *error then say why. Touches no file.
std::optional<Manifest> ParseManifest(const QByteArray& text, bool allowOutside, QString* error = nullptr);

// The known key within edit distance 2 of key that is nearest; empty when none is.
QString NearestKey(const QString& key, const QStringList& known);

}  // namespace tobrin
