// A screenshot of the canvas on a scaled screen: every cell is the same
// whole number of device pixels and only the canvas's own colours appear
// (no blur). Runs at QT_SCALE_FACTOR 2 unless the environment sets another
// factor (ctest runs it at 1.5 as well).
#include "drawing/toolsettings.h"
#include "test_drawing_support.h"

using namespace tobrin;
using tobrin::testing::Editor;

namespace {
// Must be in place before the application object exists.
const bool kScaled = qEnvironmentVariableIsSet("QT_SCALE_FACTOR") || qputenv("QT_SCALE_FACTOR", "2");

// Lengths of the runs of equal colour along a row of the image.
QList<QPair<QRgb, int>> Runs(const QImage& image, int y)
{
    QList<QPair<QRgb, int>> runs;
    for (int x = 0; x < image.width(); ++x) {
        const QRgb c = image.pixel(x, y) | 0xFF000000u;
        if (!runs.isEmpty() && runs.last().first == c)
            ++runs.last().second;
        else
            runs.append({c, 1});
    }
    return runs;
}
}  // namespace

class CanvasSharpTest : public QObject {
    Q_OBJECT
private slots:
    void cellsAreWholeEqualDevicePixels()
    {
        QVERIFY(kScaled);
        Editor e;
        const qreal ratio = e.canvas()->devicePixelRatioF();
        if (ratio <= 1.0)
            QSKIP("the platform ignores the scale factor");
        // A clear first row over a chequered second one.
        for (int x = 0; x < 40; x += 2)
            e.setPic(x, 1, 1);
        e.main().RedrawAll();
        QCoreApplication::processEvents();

        const QImage shot = e.canvas()->grab().toImage();
        QCOMPARE(shot.devicePixelRatio(), ratio);
        const QRgb grid = e.main().palette().color(QPalette::WindowText).rgb() | 0xFF000000u;
        const QRgb background = e.main().palette().color(QPalette::Window).rgb() | 0xFF000000u;
        const QSet<QRgb> own = {grid, background, DrawArea::kSetColour, DrawArea::kClearColour};

        // Only the canvas's own colours, anywhere.
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x)
                QVERIFY2(own.contains(shot.pixel(x, y) | 0xFF000000u), "a colour the canvas never paints: smoothed");

        // A scanline through the first row of squares: each a run of its colour.
        int y = 0;
        for (; y < shot.height(); ++y) {
            bool clear = false;
            for (int x = 0; x < shot.width() && !clear; ++x)
                clear = (shot.pixel(x, y) | 0xFF000000u) == DrawArea::kClearColour;
            if (clear)
                break;
        }
        ++y;
        QVERIFY(y < shot.height());
        QList<int> squares, pitches;
        int x = 0, lastStart = -1;
        for (const auto& [colour, length] : Runs(shot, y)) {
            if (colour == DrawArea::kClearColour) {
                squares << length;
                if (lastStart >= 0)
                    pitches << x - lastStart;
                lastStart = x;
            }
            x += length;
        }
        QVERIFY(squares.size() >= 20);
        squares.removeLast();  // the last square may be cut off at the edge
        for (int w : squares)
            QCOMPARE(w, squares.first());
        for (int p : pitches)
            QCOMPARE(p, pitches.first());
        // Near the size the layout gives: the whole device pixels that fit
        // in a cell (at 1.5, 10 for 7 logical pixels, not 7).
        QCOMPARE(pitches.first(), int(std::floor(e.canvas()->Cells().cell * ratio + 1e-6)));

        // The pointer still lands on the cell under it.
        const double shown = e.canvas()->Shown();  // 1 at a whole ratio
        const QPoint centre = Editor::centre(4, 3);
        QTest::mouseClick(e.canvas(), Qt::LeftButton, Qt::NoModifier,
                          QPoint(qRound(centre.x() * shown), qRound(centre.y() * shown)));
        QCOMPARE(e.pic(4, 3), 1);
        QCOMPARE(e.pic(3, 3) + e.pic(5, 3) + e.pic(4, 2) + e.pic(4, 4), 0);
    }

    void iconsHaveImagesForTheScale()
    {
        Editor e;
        const qreal ratio = e.canvas()->devicePixelRatioF();
        if (ratio < 2)
            QSKIP("icons are checked at a scale of 2 or more");
        QList<QAction*> actions = e.frame->Toolbar()->actions();
        actions << e.main().Tools().DrawTool()->actions();
        for (QAction* a : actions) {
            if (a->icon().isNull())
                continue;
            // Drawn from an image of twice the size, not an enlarged one.
            const QImage image = a->icon().pixmap(QSize(16, 16), 2.0).toImage();
            QCOMPARE(image.size(), QSize(32, 32));
            QImage enlarged = image.scaled(16, 16).scaled(32, 32);
            QVERIFY2(image.convertToFormat(QImage::Format_ARGB32) != enlarged.convertToFormat(QImage::Format_ARGB32),
                     qPrintable(a->toolTip()));
        }
    }
};

QTEST_MAIN(CanvasSharpTest)
#include "test_canvas_sharp.moc"
