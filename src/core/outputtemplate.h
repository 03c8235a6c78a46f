#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

#include "core/formats.h"

namespace tobrin {

struct PixelFont;

// Output templates: plain text with placeholders that writes a picture, a
// set or a font in the user's own shape (their assembler's directives,
// their engine's struct). docs/templates.md describes the syntax; the
// built-in templates are data/templates/*.tpl, compiled in.
namespace templatedetail {
struct Node;
}

class OutputTemplate {
public:
    // Parses text; on a mistake nullopt and *error as "line 3, column 7:
    // unknown placeholder {witdh}".
    static std::optional<OutputTemplate> Parse(const QString& text, QString* error = nullptr);

    // The text for a set (a single picture is a set of one) or a font.
    // options give the name (a C identifier), byte order and compression;
    // nullopt and *error when the output would be too large.
    std::optional<QByteArray> Render(const MonoSet& set, const ExportOptions& options,
                                     QString* error = nullptr) const;
    std::optional<QByteArray> Render(const PixelFont& font, const ExportOptions& options,
                                     QString* error = nullptr) const;

private:
    std::shared_ptr<const templatedetail::Node> root_;
    bool crlf_ = false;
    std::optional<ByteOrder> order_;  // fixed by the template ({option order=lsb})
};

// The templates that ship with the program: "db", "c", "asm-labels",
// "c-struct", "xbm".
QStringList BuiltInTemplateNames();
// A built-in template's text; empty for another name.
QString BuiltInTemplateText(const QString& name);
// The user's own templates: NAME.tpl in this folder
// (~/.local/share/tobrin/templates, after XDG_DATA_HOME).
QString UserTemplateFolder();
QStringList UserTemplateNames();

// A template's text by name or file: a plain name (no "/" or ".") is the
// user's NAME.tpl when there is one, else the built-in; anything else is a
// file. nullopt and *error (naming the file and the cause) when it cannot
// be read; *source names the file read, or "built-in NAME".
std::optional<QString> LoadTemplateText(const QString& nameOrPath, QString* error = nullptr,
                                        QString* source = nullptr);
// LoadTemplateText and Parse in one; every error starts with the file
// ("/home/me/.local/share/tobrin/templates/mine.tpl: line 3, column 7: ...").
std::optional<OutputTemplate> LoadTemplate(const QString& nameOrPath, QString* error = nullptr);

// The set or font through the template (the name from path unless options
// give one), written all-or-nothing; *error says why not.
bool WriteTemplateFile(const QString& path, const OutputTemplate& tpl, const MonoSet& set,
                       const ExportOptions& options, QString* error = nullptr);
bool WriteTemplateFile(const QString& path, const OutputTemplate& tpl, const PixelFont& font,
                       const ExportOptions& options, QString* error = nullptr);

}  // namespace tobrin
