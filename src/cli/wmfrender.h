#pragma once

#include <QImage>
#include <QString>

namespace tobrin {

// Metafile rendering with libwmf. Runs only in the renderer child process
// ("tobrin --render-wmf IN OUT"): a malformed metafile can crash or stall
// libwmf, which then costs nothing but the child.

// The longest side of a rendered metafile, in pixels.
constexpr int kWmfMaxSide = 2000;

// Renders the metafile file in at its natural size (96 dots per inch,
// scaled down to kWmfMaxSide on the long side) onto white. Returns a null
// image and sets *error on failure.
QImage RenderWmf(const QString& in, QString* error);

// RenderWmf, then the result written to out as PNG. 0 on success.
int RenderWmfToPng(const QString& in, const QString& out);

}  // namespace tobrin
