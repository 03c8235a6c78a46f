// The drawing window's Paste on arbitrary images: the bytes are decoded with
// the loader's size checks and allocation limit (a failed decode leaves the
// clipboard without an image), put on the clipboard, and the real windows
// run Paste_Click, a press, a few block moves (some beyond the canvas) and
// the release. The last bytes of the input choose the picture size, the
// paint settings and the moves.
//
// Checks: every picture cell stays 0 or 1, the size does not change, the
// block is stored only inside the view and inside the area the block covered,
// the paste tool ends, and the hex text matches the picture afterwards.

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QElapsedTimer>
#include <QImage>
#include <QMimeData>
#include <QScrollBar>
#include <algorithm>

#include "core/picturedata.h"
#include "core/drawingstate.h"
#include "core/hexwriter.h"
#include "core/imageloader.h"
#include "drawing/drawingwindow.h"
#include "drawing/canvasmouse.h"
#include "drawing/selection.h"
#include "frame/framewindow.h"
#include "app/session.h"
#include "fakedialogs.h"
#include "fuzzsupport.h"

using namespace tobrin;
using tobrin::fuzz::TailBytes;

namespace {

// No dialog may open during a paste: the fake records any that does.
FakeDialogs* g_dialogs = nullptr;
Session* g_session = nullptr;
FrameWindow* g_frame = nullptr;

constexpr int kCell = 100;  // canvas units per picture cell

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    tobrin::fuzz::QuietQtMessages();
    static int appArgc = 1;
    static char* appArgv[] = {(*argv)[0], nullptr};
    new QApplication(appArgc, appArgv);
    g_dialogs = new FakeDialogs;
    g_session = new Session(*g_dialogs);
    g_frame = new FrameWindow(*g_session);
    g_frame->show();
    // Timer1 shows the drawing window.
    QElapsedTimer waited;
    waited.start();
    while (!g_frame->DrawingWindowIfLoaded() || !g_frame->DrawingWindow().isVisible()) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        FUZZ_CHECK(waited.elapsed() < 10000);
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    DrawingWindow& m = g_frame->DrawingWindow();
    const PictureData& decl = g_session->document.Data();
    DrawingState& s = m.State();
    const TailBytes tail(data, size);

    // The picture and the settings.
    if (tail[0] & 1)
        m.Document().ChangeSize(3 + tail[1] % 237, 3 + tail[2] % 117);
    if (tail[0] & 16) {
        // Scroll the view when the picture is larger than the canvas.
        QScrollBar* h = m.HSizeScroll();
        QScrollBar* v = m.VSizeScroll();
        if (h && h->maximum() > h->minimum())
            h->setValue(h->minimum() + tail[9] % (h->maximum() - h->minimum() + 1));
        if (v && v->maximum() > v->minimum())
            v->setValue(v->minimum() + tail[10] % (v->maximum() - v->minimum() + 1));
    }
    s.PaintStyle = PaintStyle(1 + tail[0] / 2 % 3);
    s.WhiteTransparent = (tail[0] >> 3) & 1;
    s.LineStyleIndex = LineStyle(1 + tail[3] % 5);

    // The clipboard: the decoded image, or nothing when it does not decode.
    QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImage image;
    QString error;
    QClipboard* clipboard = QApplication::clipboard();
    if (tobrin::fuzz::ClaimsHugeSize(bytes))
        clipboard->clear();
    else if (ImageLoader::ReadRaster(buffer, QByteArray(), &image, &error))
        clipboard->setImage(image);
    else
        clipboard->clear();

    const PictureData before = decl;
    const qsizetype dialogsBefore = g_dialogs->shown.size();
    m.SelectionTool().Paste_Click();
    FUZZ_CHECK(decl.MaxX == before.MaxX && decl.MaxY == before.MaxY);
    FUZZ_CHECK(decl.PicData == before.PicData);  // nothing is stored yet

    const ViewWindow v = s.view;
    int minDx = 0, maxDx = 0, minDy = 0, maxDy = 0;
    if (m.CurrentToolId() == QStringLiteral("paste")) {
        FUZZ_CHECK(!image.isNull());
        // Press on a view cell, drag through a few cells (also beyond the
        // canvas on every side), release.
        const int px = tail[4] % v.ViewColumns, py = tail[5] % v.ViewRows;
        m.Mouse().DrawArea_MouseDown(MouseButton::Left, {}, px * kCell + 50, py * kCell + 50);
        const int moves = tail[6] % 5;
        for (int i = 0; i < moves; ++i) {
            const int cx = int(tail[7 + 2 * i]) - 40, cy = int(tail[8 + 2 * i]) - 40;
            m.Mouse().DrawArea_MouseMove(MouseButton::Left, {}, cx * kCell + 50, cy * kCell + 50);
            const int dx = cx - px, dy = cy - py;
            minDx = std::min(minDx, dx);
            maxDx = std::max(maxDx, dx);
            minDy = std::min(minDy, dy);
            maxDy = std::max(maxDy, dy);
        }
        m.Mouse().DrawArea_MouseUp(MouseButton::Left, {}, 0, 0);
        FUZZ_CHECK(m.CurrentToolId() != QStringLiteral("paste"));
    } else {
        FUZZ_CHECK(image.isNull());
    }

    FUZZ_CHECK(g_dialogs->shown.size() == dialogsBefore);
    FUZZ_CHECK(decl.MaxX == before.MaxX && decl.MaxY == before.MaxY);
    // Stored pixels lie in the view and in the area the block went over.
    const int left = v.ViewLeft + minDx, right = v.ViewLeft + maxDx + image.width() - 1;
    const int top = v.ViewTop + minDy, bottom = v.ViewTop + maxDy + image.height() - 1;
    for (int y = 0; y < kPicRows; ++y) {
        for (int x = 0; x < kPicColumns; ++x) {
            FUZZ_CHECK(decl.Pic(x, y) <= 1);
            if (decl.Pic(x, y) == before.Pic(x, y))
                continue;
            FUZZ_CHECK(x >= v.ViewLeft && x <= v.ViewRight && y >= v.ViewTop && y <= v.ViewBottom);
            FUZZ_CHECK(x >= left && x <= right && y >= top && y <= bottom);
        }
    }
    FUZZ_CHECK(g_session->document.HexText() == QString::fromStdString(HexText(decl)));
    return 0;
}
