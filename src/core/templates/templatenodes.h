#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

// The parsed form of an output template, shared by its parser and its
// renderer (src/core/templates/).
namespace tobrin::templatedetail {

// A printf-like number format with one conversion: prefix, "%", an
// optional "0" and width, one of d u x X o b, suffix ("0x%02X", "$%x").
struct NumberFormat {
    QByteArray prefix;
    QByteArray suffix;
    char conversion = 'd';
    int width = 0;
    bool zeros = false;

    QByteArray Apply(unsigned value) const;
};

struct Node {
    enum Kind { Text, Value, List, Section } kind = Text;
    QByteArray text;   // Text: literal UTF-8 (line ends as "\n")
    QString name;      // Value, List, Section
    bool hasFormat = false;
    NumberFormat format;  // Value (when hasFormat), List
    // List: items per line (0: all on one line), the separator, and what
    // is written between the last item of a line and the first of the next.
    int perLine = 16;
    QByteArray separator = ", ";
    QByteArray wrap;
    bool inverted = false;  // Section: {^name}
    std::vector<Node> children;
};

// What the names mean and where they may stand, for the parser's checks.
enum class NameKind { Unknown, Text, Number, List, Loop, Condition };
NameKind KindOf(const QString& name, bool section);
// The innermost loop a name needs around it ("frames", "rows"), or empty.
QString LoopNeeded(const QString& name);

}  // namespace tobrin::templatedetail
