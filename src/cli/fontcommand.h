#pragma once

#include <QStringList>

namespace tobrin {

// "tobrin font SOURCE -o FONT [options]": a pixel font made from an outline
// font, a bitmap font or a picture of glyphs, written in the form FONT's
// extension picks; args start after "font".
int RunFontCommand(const QStringList& args);

// What became of a font's making.
struct FontRun {
    QString input;         // SOURCE
    QString output;        // -o
    bool usage = false;    // the arguments are at fault (problem says how)
    QString file;          // the file the making or writing failed on; empty with a problem: the template
    QString problem;       // empty when the font was written
    QStringList missing;   // characters the source lacks, left out
};

// The font command's work without its printing: args as "tobrin font"
// takes them (without "font"); the font is written all-or-nothing.
// checkOnly reads the arguments and the template alone.
FontRun MakeFontFile(const QStringList& args, bool checkOnly = false);

// "tobrin text LABEL -o OUT [--font FONT] [--size PX]": a line of text drawn
// into a picture; args start after "text".
int RunTextCommand(const QStringList& args);

}  // namespace tobrin
