#pragma once

#include <QString>
#include <vector>

namespace tobrin {

// An outline font installed on the system: "Family Style" and its file.
struct InstalledFont {
    QString name;
    QString path;
};

// The installed outline fonts (TrueType, OpenType, Type 1 ...) as
// fontconfig lists them, sorted by name, one entry per file and face name;
// none when the program was built without fontconfig.
std::vector<InstalledFont> InstalledOutlineFonts();

}  // namespace tobrin
