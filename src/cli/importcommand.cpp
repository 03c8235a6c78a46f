// Placeholder so the tree links; replaced by the real import command.
#include "cli/importcommand.h"

namespace tobrin {
int RunImportCommand(const QStringList&) { return 1; }
int RunWmfRenderChild(const QStringList&) { return 1; }
}  // namespace tobrin
