// The metafile renderer child for fuzz_imageimport: "fuzz_wmf_child
// --render-wmf IN OUT.png", the same rendering code as the editor's child.
// Built without the sanitizers, so that it runs under the address-space
// limit the loader gives its renderer, as the editor's child does.

#include <QCoreApplication>
#include <cstdio>
#include <cstring>

#include "cli/wmfrender.h"

int main(int argc, char** argv)
{
    if (argc != 4 || std::strcmp(argv[1], "--render-wmf") != 0) {
        std::fprintf(stderr, "usage: fuzz_wmf_child --render-wmf IN OUT.png\n");
        return 2;
    }
    QCoreApplication app(argc, argv);
    return tobrin::RenderWmfToPng(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
}
