#pragma once

#include <QStringList>

namespace tobrin {

// "tobrin build [MANIFEST] [--jobs N] [--allow-outside] [--force]
// [--list-outputs|--list-depends]": rebuilds the outputs of a TOML
// manifest (docs/build.md) whose sources, settings or template changed;
// args start after "build".
int RunBuildCommand(const QStringList& args);

}  // namespace tobrin
