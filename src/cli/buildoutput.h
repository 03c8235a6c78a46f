#pragma once

#include <QByteArray>
#include <QDir>
#include <QString>
#include <QStringList>

#include "core/formats.h"
#include "core/manifest.h"

namespace tobrin {

// One output of a build manifest, its files resolved against the
// manifest's folder. Reads and writes nothing shared, so separate outputs
// are built on separate threads.
class BuildOutput {
public:
    BuildOutput(const QDir& folder, const ManifestOutput& output) : folder_(folder), out_(output) {}

    QString Path() const { return Resolve(out_.path); }
    QStringList Sources() const;
    // The template's file when the template is one (not a built-in or the user's own name).
    QString TemplateFile() const;
    // What a build needs before it starts: the options and the template
    // are good and a font has one source. Empty when so; otherwise why not.
    QString Check() const;
    // A digest of the settings, the template's text and every source's
    // name and content: the same digest, the same output.
    QByteArray Digest(QString* error) const;
    // Builds it, all or nothing; empty when written, otherwise why not.
    QString Build() const;

private:
    QString Resolve(const QString& path) const { return QDir::cleanPath(folder_.absoluteFilePath(path)); }
    QString TemplateArg() const;
    QStringList FontArgs() const;
    QStringList ImportArgs(const QStringList& sources) const;
    QString WriteSet(const MonoSet& set) const;

    QDir folder_;
    ManifestOutput out_;
};

}  // namespace tobrin
