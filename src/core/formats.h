#pragma once

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "core/picturedata.h"

namespace tobrin {

// A picture as the file formats see it: its size and a 241 x 121 cell plane
// in the editor's own layout (cell (x, y) at x + 241 * y, 1 = set = black).
// Cells right of the width may hold leftover pixels; only the hex text
// carries them (as the low bits of a row's last byte), every other format
// writes exactly width x height pixels.
struct MonoPicture {
    using Plane = std::array<std::uint8_t, kPicColumns * kPicRows>;

    int width = 0;
    int height = 0;
    Plane cells{};

    std::uint8_t At(int x, int y) const { return cells[std::size_t(x + kPicColumns * y)]; }
    std::uint8_t& At(int x, int y) { return cells[std::size_t(x + kPicColumns * y)]; }

    // Copies from / into any plane of the same layout (the picture model's).
    static MonoPicture FromPlane(const std::uint8_t* plane, int width, int height);
    void ToPlane(std::uint8_t* plane) const;
};

bool operator==(const MonoPicture& a, const MonoPicture& b);
inline bool operator!=(const MonoPicture& a, const MonoPicture& b) { return !(a == b); }

// How a C array packs its pixels.
// Msb:   rows from the top, ceil(width/8) bytes a row, leftmost pixel in
//        bit 7 (as the hex text).
// Lsb:   the same with the leftmost pixel in bit 0.
// Pages: pages of 8 rows from the top, width bytes a page, one byte per
//        column from the left, the page's top row in bit 0 (as
//        page-addressed display controllers take it).
// Padding bits (right of the width, below the height) are 0.
enum class ByteOrder { Msb, Lsb, Pages };
std::optional<ByteOrder> ByteOrderFromName(const QString& name);  // msb, lsb, pages
const char* ByteOrderName(ByteOrder order);

// The bytes a C array holds for a picture in order; PackedRowBytes is one
// row's share of them (a page's in pages order), the unit RleEncodeRows
// compresses alone.
QByteArray PackedBytes(const MonoPicture& picture, ByteOrder order);
int PackedRowBytes(int width, ByteOrder order);

// Checks a C identifier that is no keyword.
bool IsCIdentifier(const QString& name);
// A C identifier made from a file's base name: other characters become "_",
// a leading digit or a keyword gets a "_" in front; "picture" when nothing
// is left.
QString CNameFromPath(const QString& path);

struct ExportOptions {
    ByteOrder order = ByteOrder::Msb;
    // The array's name in a C array; empty takes it from the file name.
    QString name;
    // PNG in the device's colours instead of 1-bit black and white (such a
    // file does not open again: it is not black and white).
    bool deviceColours = false;
    // A set written as a PNG sprite sheet: frames per row (0: all in one row).
    int sheetColumns = 0;
    // Run-length compressed data (src/core/rle.h) in a C array or a
    // template's {data}; with rleRows every pixel row is compressed alone.
    bool rle = false;
    bool rleRows = false;
    // An output template by built-in name ("db", "c", "asm-labels",
    // "c-struct", "xbm") or file; empty: the format's own writer.
    QString templateName;
};

// An ordered set of frames of one size (a walk cycle, a run of icons), as
// the file formats see it; a single picture is a set of one frame.
struct MonoSet {
    static constexpr int kDefaultDelay = 100;  // milliseconds
    static constexpr int kMaxFrames = 1024;
    static constexpr int kMaxDelay = 65535;

    std::vector<MonoPicture> frames;
    std::vector<int> delays;  // one per frame, in milliseconds

    static MonoSet Of(const MonoPicture& picture) { return MonoSet{{picture}, {kDefaultDelay}}; }
    int Count() const { return int(frames.size()); }
    bool AllDefaultDelays() const;
};

// Every frame's bytes in order, one after the other, run-length compressed
// (src/core/rle.h) as one stream, or with rows each row of each frame alone.
QByteArray RlePackedFrames(const MonoSet& set, ByteOrder order, bool rows);

// EncodePicture for path's format, written all-or-nothing.
bool WritePictureFile(const QString& path, const MonoPicture& picture, const ExportOptions& options,
                      QString* error = nullptr);

struct ReadOptions {
    // The byte order of a C array when the user names it; otherwise the
    // array's comment tells it, and without one the rows are taken
    // most significant bit first.
    std::optional<ByteOrder> cOrder;
    // How the user turns a colour or oversized image into a picture ("File
    // > Import converts it"); added to the reason such a file is refused.
    QString convertHint;
};

// Every reader checks the whole file before it returns a picture and
// refuses anything that is not exactly its format, with a size of 4..240 x
// 4..120 and (for images) only pure black and pure white pixels. Files other
// than the hex text are read whole, so anything above kMaxFileBytes is
// refused unread. On failure *error (when given) says why, in words for
// the user ("line 7: value 300 is above 255").
constexpr qint64 kMaxFileBytes = 4 * 1024 * 1024;

// The byte order and array name a C array was read with, so it can be
// written back the same way; nullopt when data is no C array picture. An
// empty name means the file's name gives it.
std::optional<ExportOptions> CArrayOptionsOf(const QByteArray& data, const ReadOptions& options = {});

// Reads a file in any of the formats (by its extension). Anything but a
// regular file is refused before it is opened.
std::optional<MonoPicture> ReadPictureFile(const QString& path, const ReadOptions& options = {},
                                           QString* error = nullptr);

// Sets. Every format reads a set: one that holds a single picture gives a
// set of one. Writing more than one frame to a format that holds one
// picture is refused with a reason that says so.
std::optional<MonoSet> ReadPictureSetFile(const QString& path, const ReadOptions& options = {},
                                          QString* error = nullptr);
bool WritePictureSetFile(const QString& path, const MonoSet& set, const ExportOptions& options,
                         QString* error = nullptr);
// The hex text of a set, as Save writes it without the final empty line: a
// single frame of the default delay exactly as a picture; otherwise each
// frame under a label line "LABEL_N:" (with "; delay N ms" after it when
// the delays are not all the default). label is an assembler label (see
// CNameFromPath).
QString HexSetText(const MonoSet& set, const QString& label);

// ---- the formats -------------------------------------------------------------------

// What a file format's entry lets the user choose when it is written.
enum FormatOption : unsigned {
    kTakesByteOrder = 1u,      // --order, the C array dialog's order
    kTakesArrayName = 2u,      // --name, the C array dialog's name
    kTakesDeviceColours = 4u,  // --device
};

// One file format, described once: the dialogs' filters, the command
// line's usage text and the choice by file name are all made from these
// entries (src/core/formats/registry.cpp lists them, one line each).
struct FileFormat {
    using Encoder = std::optional<QByteArray> (*)(const MonoPicture& picture, const ExportOptions& options,
                                                  const QString& name, QString* error);
    using Decoder = std::optional<MonoPicture> (*)(const QByteArray& data, const ReadOptions& options,
                                                   QString* error);
    // Reads straight from a file (a format that streams files of any length).
    using FileReader = std::optional<MonoPicture> (*)(const QString& path, const ReadOptions& options,
                                                      QString* error);
    // The options a file was written with, so Save writes it back the same.
    using OptionsReader = std::optional<ExportOptions> (*)(const QByteArray& data);

    const char* id;           // "c": for code and tests
    const char* description;  // "C array": the Open and Save as filters' name
    const char* suffixes;     // "c h": the names it is read from and claims, blank-separated
    bool canRead;
    bool canWrite;
    unsigned options;     // FormatOption bits
    Encoder encode;       // picture and options (a checked name) to bytes; path for messages
    Decoder decode;       // checked bytes to a picture
    const char* usage;    // ".c or .h a C array (...)": a phrase of the help text
    // The editor's own text has these as well; null in every other entry.
    FileReader readFile = nullptr;         // streams; no byte limit
    const char* writeSuffixes = nullptr;   // "txt": Save as and Export offer only these
    const char* exportDescription = nullptr;  // its name in Export, listed last there
    // Files under its names may hold the editor's own text instead.
    bool mayBeNative = false;
    OptionsReader optionsOf = nullptr;
    // Sets: null where the format holds a single picture.
    using SetEncoder = std::optional<QByteArray> (*)(const MonoSet& set, const ExportOptions& options,
                                                     const QString& name, QString* error);
    using SetDecoder = std::optional<MonoSet> (*)(const QByteArray& data, const ReadOptions& options,
                                                  QString* error);
    SetEncoder encodeSet = nullptr;
    SetDecoder decodeSet = nullptr;
};

// Every format, in the order the dialogs list them; the first is the
// editor's own text (the hex text), which every name that no other format
// claims goes to.
const std::vector<const FileFormat*>& FileFormats();
const FileFormat& NativeFormat();
// The entry with this id; a missing id is a programming error (aborts).
const FileFormat& Format(const char* id);
// By the name's extension (case ignored).
const FileFormat& FormatForPath(const QString& path);
inline bool IsNative(const FileFormat& format) { return &format == &NativeFormat(); }

// "All Files (*);;Hex values (*.db *.txt *.c);;C array (*.c *.h);;...":
// every readable format. The hex text's filter is the one Open selects.
QString OpenFilters();
QString NativeOpenFilter();
// Save as writes only the editor's own text: "Hex values (*.txt)".
QString SaveFilters();
// Every writable format, the editor's own text last; the first is selected.
QString ExportFilters();
QString ExportSelectedFilter();
// The formats' usage phrases, joined for a sentence of the help text:
// ".c or .h a C array (...), .xbm an X11 bitmap, ..., anything else the hex text".
QString FormatUsagePhrases();
// The written formats' names in brief: ".c or .h (--order, --name), .xbm, ...,
// anything else the hex text".
QString FormatSuffixList();

// The file's bytes; nullopt (and *error) when they cannot be made (a name
// that is no C identifier, an encoder failure). path gives the array's name
// unless options name it.
std::optional<QByteArray> EncodePicture(const MonoPicture& picture, const FileFormat& format,
                                        const ExportOptions& options, const QString& path = QString(),
                                        QString* error = nullptr);
std::optional<MonoPicture> DecodePicture(const QByteArray& data, const FileFormat& format,
                                         const ReadOptions& options = {}, QString* error = nullptr);

}  // namespace tobrin
