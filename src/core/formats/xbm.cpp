#include "core/formats.h"

#include "core/formatdetail.h"

// The X11 bitmap: NAME_width, NAME_height and NAME_bits[], the leftmost
// pixel of each byte in bit 0. Read as X11's own reader reads it, by the
// reader it shares with the C array (src/core/carrayreader.cpp).

namespace tobrin {

using namespace detail;

namespace {

QByteArray XbmText(const MonoPicture& p, const QString& name)
{
    const QByteArray n = name.toLatin1();
    QByteArray out;
    out += "#define " + n + "_width " + QByteArray::number(p.width) + "\n";
    out += "#define " + n + "_height " + QByteArray::number(p.height) + "\n";
    out += "static unsigned char " + n + "_bits[] = {\n";
    AppendByteList(out, Pack(p, ByteOrder::Lsb), 12);
    out += "};\n";
    return out;
}

std::optional<QByteArray> EncodeXbm(const MonoPicture& picture, const ExportOptions& options, const QString&, QString*)
{
    return XbmText(picture, options.name);
}

std::optional<MonoPicture> DecodeXbm(const QByteArray& data, const ReadOptions& options, QString* error)
{
    return DecodeCLike(data, true, options, error);
}

}  // namespace

extern const FileFormat kXbmFormat = {
    "xbm", "X11 bitmap", "xbm", true, true, kTakesArrayName, EncodeXbm, DecodeXbm, ".xbm an X11 bitmap",
};

}  // namespace tobrin
