#pragma once

#include <QStringList>

namespace tobrin {

// "tobrin font SOURCE -o FONT [options]": a pixel font made from an outline
// font, a bitmap font or a picture of glyphs, written in the form FONT's
// extension picks; args start after "font".
int RunFontCommand(const QStringList& args);

// "tobrin text LABEL -o OUT [--font FONT] [--size PX]": a line of text drawn
// into a picture; args start after "text".
int RunTextCommand(const QStringList& args);

}  // namespace tobrin
