// Placeholder so the tree links; replaced by the real command line.
#include "cli/commandline.h"

namespace tobrin {
int RunCommandLine(const QStringList& args, QString* openPath)
{
    if (args.size() > 1 && openPath)
        *openPath = args.at(1);
    return -1;
}
}  // namespace tobrin
