#include <QFile>
#include <QFileInfo>

#include "core/fonts/fontdetail.h"
#include "core/hexreader.h"
#include "core/regularfile.h"
#include "core/savefile.h"

// Fonts to and from files: the form by the file's extension.

namespace tobrin {

namespace fontdetail {

bool Valid(const PixelFont& font, QString* error)
{
    if (!font.Check(error))
        return false;
    if (font.left < kMinLeft || font.left > 0) {
        if (error)
            *error = QStringLiteral("the cell's left edge %1 is not within %2..0 pixels of the pen")
                         .arg(font.left).arg(kMinLeft);
        return false;
    }
    return true;
}

QString AsciiGlyphName(char32_t code)
{
    if (code >= 0x20 && code < 0x7F)
        return GlyphName(code);
    return QStringLiteral("U+%1").arg(uint(code), 4, 16, QLatin1Char('0')).toUpper();
}

}  // namespace fontdetail

namespace {

using namespace fontdetail;

enum class Form { None, Hex, C, Bdf, Png };

Form FormOf(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("db") || suffix == QLatin1String("txt"))
        return Form::Hex;
    if (suffix == QLatin1String("c") || suffix == QLatin1String("h"))
        return Form::C;
    if (suffix == QLatin1String("bdf"))
        return Form::Bdf;
    if (suffix == QLatin1String("png"))
        return Form::Png;
    return Form::None;
}

QString UnknownForm(const QString& path)
{
    return QStringLiteral("%1 is no font's name; a font is a .bdf, .db, .txt, .c, .h or .png file")
        .arg(QFileInfo(path).fileName());
}

}  // namespace

std::optional<PixelFont> DecodeFont(const QByteArray& data, const QString& path, QString* error)
{
    switch (FormOf(path)) {
    case Form::Hex:
        return DecodeFontHex(data, error);
    case Form::C:
        // The hex text has always been saved under .c names too.
        if (IsFontHexText(data))
            return DecodeFontHex(data, error);
        return DecodeFontC(data, error);
    case Form::Bdf:
        return DecodeBdf(data, error);
    case Form::Png:
        return DecodeFontPng(data, error);
    case Form::None:
        break;
    }
    if (error)
        *error = UnknownForm(path);
    return std::nullopt;
}

std::optional<QByteArray> EncodeFont(const PixelFont& font, const QString& path, const FontWriteOptions& options,
                                     QString* error)
{
    const auto fail = [error](const QString& why) -> std::optional<QByteArray> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    QString why;
    if (!Valid(font, &why))
        return fail(why);
    const Form form = FormOf(path);
    QString name = options.name;
    if (name.isEmpty())
        name = form == Form::Bdf || form == Form::Png ? font.name : CNameFromPath(path);
    if (name.isEmpty())
        name = QFileInfo(path).completeBaseName();
    if ((form == Form::Hex || form == Form::C) && !IsCIdentifier(name))
        return fail(QStringLiteral("%1 is no C identifier").arg(name));
    switch (form) {
    case Form::Hex:
        return EncodeFontHex(font, name);
    case Form::C:
        return EncodeFontC(font, options.order, name);
    case Form::Bdf:
        return EncodeBdf(font, name);
    case Form::Png:
        if (std::optional<QByteArray> png = EncodeFontPng(font, name))
            return png;
        return fail(QStringLiteral("Could not encode %1").arg(path));
    case Form::None:
        break;
    }
    return fail(UnknownForm(path));
}

std::optional<PixelFont> ReadFontFile(const QString& path, QString* error)
{
    const Form form = FormOf(path);
    if (form == Form::None) {
        if (error)
            *error = UnknownForm(path);
        return std::nullopt;
    }
    QFile file(path);
    if (!OpenRegularFile(file, error))
        return std::nullopt;
    // A font's hex text may be as long as a set's; every other form is
    // read whole, within the picture formats' limit.
    const qint64 limit = form == Form::Hex ? kMaxHexBytes : kMaxFileBytes;
    if (file.size() > limit) {
        if (error)
            *error = QStringLiteral("larger than %1 MB").arg(limit >> 20);
        return std::nullopt;
    }
    const QByteArray data = file.read(limit + 1);
    if (qint64(data.size()) > limit) {
        if (error)
            *error = QStringLiteral("larger than %1 MB").arg(limit >> 20);
        return std::nullopt;
    }
    return DecodeFont(data, path, error);
}

bool WriteFontFile(const QString& path, const PixelFont& font, const FontWriteOptions& options, QString* error)
{
    const std::optional<QByteArray> data = EncodeFont(font, path, options, error);
    return data && WriteFileAtomically(path, *data, error);
}

}  // namespace tobrin
