#include "core/formats.h"

#include "core/formatdetail.h"

// A C array: NAME[] with NAME_WIDTH and NAME_HEIGHT, in any of the three
// byte orders, its order said in a comment; a set is NAME[NAME_FRAMES][]
// and, when its delays are not all the default, NAME_delays[]; compressed,
// every frame's bytes are NAME[NAME_SIZE] with NAME_RAW_SIZE. The reader it shares with the
// X11 bitmap is in src/core/carrayreader.cpp.

namespace tobrin {

using namespace detail;

namespace detail {

const char* OrderDescription(ByteOrder order)
{
    switch (order) {
    case ByteOrder::Msb:
        return "rows from the top, the leftmost pixel of each byte in bit 7";
    case ByteOrder::Lsb:
        return "rows from the top, the leftmost pixel of each byte in bit 0";
    case ByteOrder::Pages:
        return "pages of 8 rows from the top, one byte per column, the top row in bit 0";
    }
    return "";
}

}  // namespace detail

namespace {

QByteArray CArrayText(const MonoPicture& p, ByteOrder order, const QString& name)
{
    const QByteArray lower = name.toLatin1();
    const QByteArray upper = name.toUpper().toLatin1();
    const std::vector<std::uint8_t> bytes = Pack(p, order);
    const QByteArray w = QByteArray::number(p.width);
    const QByteArray h = QByteArray::number(p.height);
    QByteArray out;
    out += "/* Tobrin picture " + w + " x " + h + ", byte order: " + ByteOrderName(order) + "\n";
    out += " * (" + QByteArray(OrderDescription(order)) + "; 1 = black). */\n";
    out += "#ifndef " + upper + "_TOBRIN_PICTURE\n";
    out += "#define " + upper + "_TOBRIN_PICTURE\n\n";
    out += "#define " + upper + "_WIDTH " + w + "\n";
    out += "#define " + upper + "_HEIGHT " + h + "\n\n";
    out += "static const unsigned char " + lower + "[" + QByteArray::number(qulonglong(bytes.size())) + "] = {\n";
    AppendByteList(out, bytes, 16);
    out += "};\n\n#endif\n";
    return out;
}

// The delays in a table of their own when any differs from the default.
void AppendDelays(QByteArray& out, const MonoSet& set, const QByteArray& lower, const QByteArray& upper)
{
    if (set.AllDefaultDelays())
        return;
    out += "\n/* How long each frame is shown, in milliseconds. */\n";
    out += "static const unsigned short " + lower + "_delays[" + upper + "_FRAMES] = {\n    ";
    for (int i = 0; i < set.Count(); ++i) {
        out += QByteArray::number(set.delays[std::size_t(i)]);
        out += i + 1 < set.Count() ? (i % 12 == 11 ? ",\n    " : ", ") : "\n";
    }
    out += "};\n";
}

// More frames: one array of FRAMES rows of the picture's bytes, with the
// delays in a table of their own when any differs from the default.
QByteArray CArraySetText(const MonoSet& set, ByteOrder order, const QString& name)
{
    const MonoPicture& first = set.frames.front();
    const QByteArray lower = name.toLatin1();
    const QByteArray upper = name.toUpper().toLatin1();
    const QByteArray w = QByteArray::number(first.width);
    const QByteArray h = QByteArray::number(first.height);
    const QByteArray frames = QByteArray::number(set.Count());
    const std::size_t size = PackedSize(first.width, first.height, order);
    QByteArray out;
    out += "/* Tobrin picture set of " + frames + " frames of " + w + " x " + h + ", byte order: " +
           ByteOrderName(order) + "\n";
    out += " * (" + QByteArray(OrderDescription(order)) + "; 1 = black). */\n";
    out += "#ifndef " + upper + "_TOBRIN_PICTURE\n";
    out += "#define " + upper + "_TOBRIN_PICTURE\n\n";
    out += "#define " + upper + "_FRAMES " + frames + "\n";
    out += "#define " + upper + "_WIDTH " + w + "\n";
    out += "#define " + upper + "_HEIGHT " + h + "\n\n";
    out += "static const unsigned char " + lower + "[" + upper + "_FRAMES][" + QByteArray::number(qulonglong(size)) +
           "] = {\n";
    for (int i = 0; i < set.Count(); ++i) {
        out += "    { /* frame " + QByteArray::number(i) + " */\n";
        QByteArray bytes;
        AppendByteList(bytes, Pack(set.frames[std::size_t(i)], order), 16);
        out += bytes.replace("    0x", "        0x");
        out += i + 1 < set.Count() ? "    },\n" : "    }\n";
    }
    out += "};\n";
    AppendDelays(out, set, lower, upper);
    out += "\n#endif\n";
    return out;
}

// Run-length compressed (docs/rle.md): every frame's bytes one after the
// other in one stream, NAME_SIZE bytes that decode to NAME_RAW_SIZE, with
// NAME_FRAMES when there is more than one frame or a delay table.
QByteArray CArrayRleText(const MonoSet& set, const ExportOptions& options)
{
    const MonoPicture& first = set.frames.front();
    const QByteArray lower = options.name.toLatin1();
    const QByteArray upper = options.name.toUpper().toLatin1();
    const QByteArray w = QByteArray::number(first.width);
    const QByteArray h = QByteArray::number(first.height);
    const QByteArray frames = QByteArray::number(set.Count());
    const bool many = set.Count() > 1 || !set.AllDefaultDelays();
    const QByteArray packed = RlePackedFrames(set, options.order, options.rleRows);
    const std::size_t raw = PackedSize(first.width, first.height, options.order) * set.frames.size();
    QByteArray out;
    out += many ? "/* Tobrin picture set of " + frames + " frames of " : QByteArray("/* Tobrin picture ");
    out += w + " x " + h + ", byte order: " + ByteOrderName(options.order) + ", run-length compressed: " +
           (options.rleRows ? "rows alone" : "whole") + "\n";
    out += " * (" + QByteArray(OrderDescription(options.order)) + "; 1 = black).\n";
    out += " * tobrin_rle_decode (docs/rle_decode.c) turns the " + upper + "_SIZE bytes into " + upper +
           "_RAW_SIZE. */\n";
    out += "#ifndef " + upper + "_TOBRIN_PICTURE\n";
    out += "#define " + upper + "_TOBRIN_PICTURE\n\n";
    if (many)
        out += "#define " + upper + "_FRAMES " + frames + "\n";
    out += "#define " + upper + "_WIDTH " + w + "\n";
    out += "#define " + upper + "_HEIGHT " + h + "\n";
    out += "#define " + upper + "_RAW_SIZE " + QByteArray::number(qulonglong(raw)) + "\n";
    out += "#define " + upper + "_SIZE " + QByteArray::number(packed.size()) + "\n\n";
    out += "static const unsigned char " + lower + "[" + upper + "_SIZE] = {\n";
    AppendByteList(out, std::vector<std::uint8_t>(packed.begin(), packed.end()), 16);
    out += "};\n";
    AppendDelays(out, set, lower, upper);
    out += "\n#endif\n";
    return out;
}

std::optional<QByteArray> EncodeCArraySet(const MonoSet& set, const ExportOptions& options, const QString&, QString*)
{
    if (options.rle)
        return CArrayRleText(set, options);
    if (set.Count() == 1 && set.AllDefaultDelays())
        return CArrayText(set.frames.front(), options.order, options.name);
    return CArraySetText(set, options.order, options.name);
}

std::optional<QByteArray> EncodeCArray(const MonoPicture& picture, const ExportOptions& options, const QString&,
                                       QString*)
{
    if (options.rle)
        return CArrayRleText(MonoSet::Of(picture), options);
    return CArrayText(picture, options.order, options.name);
}

std::optional<MonoPicture> DecodeCArray(const QByteArray& data, const ReadOptions& options, QString* error)
{
    if (!IsRleCArray(data))
        return DecodeCLike(data, false, options, error);
    // A compressed array is read as the set it may be: one frame is a picture.
    std::optional<MonoSet> set = DecodeCArraySet(data, options, error);
    if (set && set->Count() > 1) {
        if (error)
            *error = QStringLiteral("it holds %1 frames, not one picture").arg(set->Count());
        return std::nullopt;
    }
    return set ? std::optional<MonoPicture>(set->frames.front()) : std::nullopt;
}

std::optional<ExportOptions> OptionsOf(const QByteArray& data) { return CArrayOptionsOf(data); }

}  // namespace

extern const FileFormat kCArrayFormat = {
    "c", "C array", "c h", true, true, kTakesByteOrder | kTakesArrayName, EncodeCArray, DecodeCArray,
    ".c or .h a C array (NAME[] with NAME_WIDTH and NAME_HEIGHT; --order packs rows with the leftmost pixel "
    "in the top bit (msb, the default) or the bottom bit (lsb), or 8-row pages with the top row in bit 0)",
    nullptr, nullptr, nullptr, true, OptionsOf, EncodeCArraySet, DecodeCArraySet,
};

}  // namespace tobrin
