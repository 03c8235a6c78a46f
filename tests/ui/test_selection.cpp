#include <QTemporaryDir>
#include <QClipboard>
#include <QTimer>

#include "test_drawing_support.h"
#include "core/formats.h"
#include "drawing/selection.h"
#include "drawing/toolsettings.h"

using namespace tobrin;
using tobrin::testing::Editor;

namespace {

struct Rect {
    int x1, y1, x2, y2;
};

Rect Held(Editor& e)
{
    const DrawingState& s = e.state();
    return {s.StartX, s.StartY, s.LastX, s.LastY};
}

void ExpectHeld(Editor& e, Rect want)
{
    QCOMPARE(e.state().SelectionHeld, true);
    const Rect got = Held(e);
    QCOMPARE(got.x1, want.x1);
    QCOMPARE(got.y1, want.y1);
    QCOMPARE(got.x2, want.x2);
    QCOMPARE(got.y2, want.y2);
    QCOMPARE(e.main().Holder().AreaWidth(), want.x2 - want.x1 + 1);
    QCOMPARE(e.main().Holder().AreaHeight(), want.y2 - want.y1 + 1);
}

QImage Pattern(const QList<QRgb>& pixels, int width)
{
    QImage img(width, static_cast<int>(pixels.size()) / width, QImage::Format_RGB32);
    for (int i = 0; i < pixels.size(); ++i)
        img.setPixel(i % width, i / width, pixels[i]);
    return img;
}

QImage Solid(int w, int h, QRgb colour)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(colour);
    return img;
}

constexpr QRgb kBlack = 0xFF000000u;
constexpr QRgb kWhite = 0xFFFFFFFFu;
constexpr QRgb kGrey = 0xFF808080u;

bool IsBlack(const QImage& img, int x, int y) { return (img.pixel(x, y) & 0xFFFFFFu) == 0; }

}  // namespace

class SelectionTest : public QObject {
    Q_OBJECT
private slots:
    void init() { QGuiApplication::clipboard()->clear(); }

    void dragInEitherDirectionCapturesTheSameRectangle()
    {
        for (bool reversed : {false, true}) {
            Editor e;
            e.chooseTool(QStringLiteral("Selection"));
            if (reversed)
                e.drag({8, 9}, {3, 4});
            else
                e.drag({3, 4}, {8, 9});
            ExpectHeld(e, {3, 4, 8, 9});
        }
    }

    // A click draws no marquee, so it holds no (invisible) block: Invert
    // then works on the whole picture.
    void clickWithoutMoveSelectsNothing()
    {
        Editor e;
        e.chooseTool(QStringLiteral("Selection"));
        e.click(5, 6);
        QVERIFY(!e.state().SelectionHeld);
        QVERIFY(e.session.document.Saved());  // and it changed nothing
        e.main().TransformMenu_Click(Transform::Invert);
        QCOMPARE(e.pic(5, 6) + e.pic(30, 20), 2);
    }

    // The marquee is the selection at every line width: a flip of a block
    // dragged over columns 0..7 leaves a bar in column 9 alone.
    void wideLineWidthSelectsWhatTheMarqueeShows()
    {
        Editor e;
        e.typeInto(QStringLiteral("LineWidth"), QStringLiteral("2"));
        e.chooseTool(QStringLiteral("Selection"));
        e.drag({5, 5}, {8, 8});
        ExpectHeld(e, {5, 5, 8, 8});
        QCOMPARE(e.state().MarqueeX2, 900);
        for (int y = 0; y < 6; ++y)
            e.setPic(9, y, 1);
        e.drag({0, 0}, {7, 5});
        ExpectHeld(e, {0, 0, 7, 5});
        e.main().TransformMenu_Click(Transform::FlipHorizontal);
        QCOMPARE(e.pic(9, 0) + e.pic(9, 5) + e.pic(0, 0), 2);
    }

    void marqueeMarchesAndARedrawStopsIt()
    {
        Editor e;
        e.chooseTool(QStringLiteral("Selection"));
        QTimer* dash = e.main().findChild<QTimer*>(QStringLiteral("DashTimer"));
        e.press(2, 2);
        e.dragTo(10, 6);
        QVERIFY(dash->isActive());
        const DrawingState& s = e.state();
        QCOMPARE(s.MarqueeX1, 200);
        QCOMPARE(s.MarqueeY1, 200);
        QCOMPARE(s.MarqueeX2, 1100);  // round the pointer's cell too
        QCOMPARE(s.MarqueeY2, 700);
        e.release(10, 6);
        QVERIFY(dash->isActive());  // it keeps marching over the held selection

        const QImage& img = e.canvas()->Image();
        const int k = e.canvas()->Scale();
        auto topEdge = [&](QRgb colour) {
            int n = 0;
            for (int x = 14; x <= 70; ++x)
                n += (img.pixel(x * k, 14 * k) | 0xFF000000u) == colour;
            return n;
        };
        QVERIFY(topEdge(kWhite) > 0);  // dotted white over black
        QVERIFY(topEdge(kBlack) > 0);
        const int phase = s.MarqueePhase;
        e.main().SelectionTool().DashTimer_Timer();
        QCOMPARE(s.MarqueePhase, 1 - phase);
        QVERIFY(topEdge(kWhite) > 0);

        e.main().RedrawAll();
        QVERIFY(!dash->isActive());
        QCOMPARE(topEdge(kBlack), 70 - 14 + 1);  // a solid black outline is left
    }

    void reclickingSelectionForgetsTheSelection()
    {
        Editor e;
        e.chooseTool(QStringLiteral("Selection"));
        e.drag({2, 2}, {5, 5});
        QCOMPARE(e.state().SelectionHeld, true);
        e.chooseTool(QStringLiteral("Selection"));
        QCOMPARE(e.state().SelectionHeld, false);
        QVERIFY(!e.main().findChild<QTimer*>(QStringLiteral("DashTimer"))->isActive());
    }

    void copyPutsTheSelectionOnTheClipboard()
    {
        Editor e;
        e.setPic(3, 4, 1);
        e.setPic(5, 6, 1);
        e.chooseTool(QStringLiteral("Selection"));
        e.drag({3, 4}, {6, 6});
        e.main().SelectionTool().Copy_Click();
        QVERIFY(e.frame->PasteEnabled());
        const QImage img = QGuiApplication::clipboard()->image();
        QCOMPARE(img.size(), QSize(4, 3));
        for (int x = 0; x < 4; ++x)
            for (int y = 0; y < 3; ++y)
                QCOMPARE(IsBlack(img, x, y), (x == 0 && y == 0) || (x == 2 && y == 2));
        QCOMPARE(img.pixel(1, 0) | 0xFF000000u, kWhite);
        // The selection stays held: a second Copy copies it again.
        QCOMPARE(e.state().SelectionHeld, true);
        QGuiApplication::clipboard()->clear();
        e.main().SelectionTool().Copy_Click();
        QCOMPARE(QGuiApplication::clipboard()->image().size(), QSize(4, 3));
    }

    void copyWithoutSelectionTakesTheVisiblePart()
    {
        Editor e;
        e.setClientSize(400, 300);
        e.resizePicture(100, 60);
        auto* h = e.main().HSizeScroll();
        h->setValue(10);
        const ViewWindow& v = e.state().view;
        e.setPic(10, 0, 1);
        e.setPic(9, 0, 1);  // left of the view
        e.setPic(v.ViewRight, v.ViewBottom, 1);
        e.main().SelectionTool().Copy_Click();
        const QImage img = QGuiApplication::clipboard()->image();
        QCOMPARE(img.size(), QSize(v.ViewColumns, v.ViewRows));
        QVERIFY(IsBlack(img, 0, 0));
        QVERIFY(!IsBlack(img, 1, 0));
        QVERIFY(IsBlack(img, v.ViewColumns - 1, v.ViewRows - 1));
    }

    void cutErasesInThePaintColour()
    {
        {
            Editor e;  // Black: the region is cleared, the rest stays
            e.setPic(3, 3, 1);
            e.setPic(9, 9, 1);
            e.chooseTool(QStringLiteral("Selection"));
            e.drag({2, 2}, {4, 4});
            e.main().SelectionTool().CutMenu_Click();
            QCOMPARE(e.pic(3, 3), 0);
            QCOMPARE(e.pic(9, 9), 1);
            QCOMPARE(e.state().SelectionHeld, false);
            QVERIFY(IsBlack(QGuiApplication::clipboard()->image(), 1, 1));
            QVERIFY(!e.session.document.HexText().contains(QStringLiteral(".db $10,")));
        }
        {
            Editor e;  // White: every pixel of the region is set
            e.main().Tools().SetPaintStyle(PaintStyle::White);
            e.chooseTool(QStringLiteral("Selection"));
            e.drag({2, 2}, {4, 4});
            e.main().SelectionTool().CutMenu_Click();
            for (int x = 1; x <= 5; ++x)
                for (int y = 1; y <= 5; ++y)
                    QCOMPARE(e.pic(x, y), (x >= 2 && x <= 4 && y >= 2 && y <= 4) ? 1 : 0);
            QCOMPARE(e.square(3, 3), DrawArea::kSetColour);
        }
        {
            Editor e;  // Reverse: copied, nothing erased
            e.setPic(3, 3, 1);
            e.main().Tools().SetPaintStyle(PaintStyle::Reverse);
            e.main().SelectionTool().CutMenu_Click();  // no selection: the whole picture
            QCOMPARE(e.pic(3, 3), 1);
            QVERIFY(IsBlack(QGuiApplication::clipboard()->image(), 3, 3));
        }
    }

    void cutOfTheWholePictureUpdatesTheWholePreview()
    {
        Editor e;
        e.setClientSize(400, 300);
        e.resizePicture(100, 60);
        e.setPic(99, 59, 1);
        e.main().SelectionTool().CutMenu_Click();
        QCOMPARE(e.pic(99, 59), 0);
        QCOMPARE(e.dot(99, 59), DevicePreview::kClearColour);
    }

    void pasteIgnoresGreyAndHonoursWhiteTransparency()
    {
        for (bool whiteTransparent : {false, true}) {
            Editor e;
            if (!whiteTransparent)
                e.main().Tools().WhiteTransparentAction()->trigger();
            e.setPic(1, 0, 1);
            e.setPic(2, 0, 1);
            e.setPic(1, 1, 0);
            QGuiApplication::clipboard()->setImage(
                Pattern({kBlack, kGrey, kWhite, kGrey, kGrey, kBlack}, 3));
            e.main().SelectionTool().Paste_Click();
            QCOMPARE(e.main().CurrentToolId(), QStringLiteral("paste"));
            QVERIFY(!e.toolButton(QStringLiteral("Pen"))->isChecked());
            QCOMPARE(e.square(0, 0), DrawArea::kTentativeSet);
            QCOMPARE(e.pic(0, 0), 0);
            e.click(7, 7);  // placed without moving: top-left on the view's top-left
            QCOMPARE(e.pic(0, 0), 1);
            QCOMPARE(e.pic(1, 0), 1);  // grey: unchanged
            QCOMPARE(e.pic(1, 1), 0);
            QCOMPARE(e.pic(2, 0), whiteTransparent ? 1 : 0);
            QCOMPARE(e.pic(2, 1), 1);
            QCOMPARE(e.pic(7, 7), 0);
            QCOMPARE(e.main().CurrentToolId(), QStringLiteral("pen"));
            QVERIFY(e.toolButton(QStringLiteral("Pen"))->isChecked());
        }
    }

    void pasteDraggedMovesTheBlockByThePointerOffset()
    {
        Editor e;
        e.chooseTool(QStringLiteral("Box"));
        QGuiApplication::clipboard()->setImage(Solid(2, 2, kBlack));
        e.main().SelectionTool().Paste_Click();
        e.press(1, 1);
        e.dragTo(6, 4);
        QCOMPARE(e.square(5, 3), DrawArea::kTentativeSet);
        QCOMPARE(e.square(0, 0), DrawArea::kClearColour);
        e.release(6, 4);
        QCOMPARE(e.pic(5, 3), 1);
        QCOMPARE(e.pic(6, 4), 1);
        QCOMPARE(e.pic(0, 0), 0);
        QCOMPARE(e.main().CurrentToolId(), QStringLiteral("box"));
        QVERIFY(e.toolButton(QStringLiteral("Box"))->isChecked());
        QCOMPARE(int(e.session.document.Saved()), 0);
    }

    void oversizedPasteIsCutToThePictureAndTheView()
    {
        {
            Editor e;
            QGuiApplication::clipboard()->setImage(Solid(300, 200, kBlack));
            e.main().SelectionTool().Paste_Click();
            QCOMPARE(e.main().Holder().AreaWidth(), 40);
            QCOMPARE(e.main().Holder().AreaHeight(), 32);
            e.click(0, 0);
            int set = 0;
            for (int x = 0; x < 40; ++x)
                for (int y = 0; y < 32; ++y)
                    set += e.pic(x, y);
            QCOMPARE(set, 40 * 32);
            QCOMPARE(e.pic(40, 0), 0);
        }
        {
            Editor e;
            e.setClientSize(400, 300);
            e.resizePicture(100, 60);
            QGuiApplication::clipboard()->setImage(Solid(300, 200, kBlack));
            e.main().SelectionTool().Paste_Click();
            const ViewWindow& v = e.state().view;
            e.press(2, 2);
            e.dragTo(0, 0);  // the block moves up-left: still covers the view
            e.release(0, 0);
            QCOMPARE(e.pic(v.ViewRight, v.ViewBottom), 1);
            QCOMPARE(e.pic(v.ViewRight + 1, 0), 0);
            QCOMPARE(e.pic(0, v.ViewBottom + 1), 0);
        }
    }

    void pasteLandsOnTheTopLeftOfAScrolledView()
    {
        Editor e;
        e.setClientSize(400, 300);
        e.resizePicture(100, 60);
        e.main().HSizeScroll()->setValue(10);
        e.main().VSizeScroll()->setValue(5);
        QGuiApplication::clipboard()->setImage(Solid(2, 1, kBlack));
        e.main().SelectionTool().Paste_Click();
        e.click(4, 4);
        QCOMPARE(e.pic(10, 5), 1);
        QCOMPARE(e.pic(11, 5), 1);
        QCOMPARE(e.pic(0, 0), 0);
    }

    void aPendingBlockIsPlacedByRightClickToolOrAnotherPaste()
    {
        {
            Editor e;
            e.setPic(0, 0, 1);
            QGuiApplication::clipboard()->setImage(Solid(1, 1, kBlack));
            e.main().SelectionTool().Paste_Click();
            // The swap comes first: the block is stored under "White" with
            // white no longer transparent, so its black pixel clears.
            e.click(9, 9, Qt::RightButton);
            QCOMPARE(e.state().PaintStyle, PaintStyle::White);
            QCOMPARE(e.pic(0, 0), 0);
            QCOMPARE(e.square(0, 0), DrawArea::kClearColour);
            QCOMPARE(e.main().CurrentToolId(), QStringLiteral("pen"));
        }
        {
            Editor e;
            QGuiApplication::clipboard()->setImage(Solid(1, 1, kBlack));
            e.main().SelectionTool().Paste_Click();
            e.chooseTool(QStringLiteral("Line"));
            QCOMPARE(e.pic(0, 0), 1);
            QCOMPARE(e.main().CurrentToolId(), QStringLiteral("line"));
            QVERIFY(e.session.document.HexText().contains(QStringLiteral(".db $80,$0,$0,$0,$0")));
        }
        {
            Editor e;
            QGuiApplication::clipboard()->setImage(Solid(1, 1, kBlack));
            e.main().SelectionTool().Paste_Click();
            // Saving stores a block still waiting, so the file has what the canvas shows.
            QTemporaryDir dir;
            e.dialogs.fileNames = {dir.filePath(QStringLiteral("a.txt"))};
            e.frame->FrameAction(QStringLiteral("Save"))->trigger();
            QVERIFY(ReadPictureFile(dir.filePath(QStringLiteral("a.txt")))->At(0, 0));
            QCOMPARE(e.main().CurrentToolId(), QStringLiteral("pen"));
        }
        {
            Editor e;
            QGuiApplication::clipboard()->setImage(Solid(1, 1, kBlack));
            e.main().SelectionTool().Paste_Click();
            e.main().SelectionTool().Paste_Click();  // the first block is stored where it stands
            QCOMPARE(e.pic(0, 0), 1);
            QCOMPARE(e.main().CurrentToolId(), QStringLiteral("paste"));
            QCOMPARE(e.main().PreviousToolId(), QStringLiteral("pen"));
            e.press(0, 0);
            e.dragTo(3, 3);
            e.release(3, 3);
            QCOMPARE(e.pic(3, 3), 1);
            QCOMPARE(e.main().CurrentToolId(), QStringLiteral("pen"));
        }
    }

    void pasteWithoutAnImageOnlyStoresPendingMarks()
    {
        Editor e;
        QGuiApplication::clipboard()->setText(QStringLiteral("not a picture"));
        e.main().SelectionTool().Paste_Click();
        QCOMPARE(e.main().CurrentToolId(), QStringLiteral("pen"));
        QCOMPARE(int(e.session.document.Saved()), 1);
    }

    void pastedBlackIsThinnedByTheLineStyle()
    {
        Editor e;
        e.chooseTool(QStringLiteral("Line"));
        e.main().Tools().SetLineStyle(LineStyle(3));  // dotted
        QGuiApplication::clipboard()->setImage(Solid(9, 1, kBlack));
        e.main().SelectionTool().Paste_Click();
        e.press(0, 0);
        e.release(0, 0);
        QString row;
        for (int x = 0; x < 9; ++x)
            row += e.pic(x, 0) ? QLatin1Char('1') : QLatin1Char('0');
        QCOMPARE(row, QStringLiteral("100100100"));
    }
};

QTEST_MAIN(SelectionTest)
#include "test_selection.moc"
