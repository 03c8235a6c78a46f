// The canvas on a screen with two device pixels per logical pixel: the
// retained image is kept at twice the size, so cells stay sharp, and the
// mouse still lands on the right cells.
#include "test_drawing_support.h"

using namespace tobrin;
using tobrin::testing::Editor;

namespace {
// Must be in place before the application object exists.
const bool kScaled = qputenv("QT_SCALE_FACTOR", "2");
}  // namespace

class DrawingHiDpiTest : public QObject {
    Q_OBJECT
private slots:
    void canvasImageFollowsTheDevicePixelRatio()
    {
        QVERIFY(kScaled);
        Editor e;
        if (e.canvas()->devicePixelRatioF() < 2)
            QSKIP("the platform ignores the scale factor");
        DrawArea* canvas = e.canvas();
        QCOMPARE(canvas->Scale(), 2);
        QCOMPARE(canvas->Image().devicePixelRatio(), 2.0);
        QCOMPARE(canvas->Image().size(), canvas->size() * 2);

        e.click(4, 3);
        QCOMPARE(e.pic(4, 3), 1);
        const QImage& img = canvas->Image();
        // The square covers device pixels 2 * (7 * 4 + 1) .. 2 * (7 * 4 + 6) - 1.
        for (int dx = 0; dx < 10; ++dx)
            for (int dy = 0; dy < 10; ++dy)
                QCOMPARE(img.pixel(58 + dx, 44 + dy) | 0xFF000000u, DrawArea::kSetColour);
        // The margins right of and below it show the background.
        for (int d = 0; d < 2; ++d) {
            QVERIFY((img.pixel(68 + d, 44) | 0xFF000000u) != DrawArea::kSetColour);
            QVERIFY((img.pixel(58, 54 + d) | 0xFF000000u) != DrawArea::kSetColour);
        }
        // Grid lines are two device pixels wide.
        const QRgb grid = e.main().palette().color(QPalette::WindowText).rgb() | 0xFF000000u;
        QCOMPARE(img.pixel(56, 30) | 0xFF000000u, grid);
        QCOMPARE(img.pixel(57, 30) | 0xFF000000u, grid);
    }
};

QTEST_MAIN(DrawingHiDpiTest)
#include "test_drawing_hidpi.moc"
