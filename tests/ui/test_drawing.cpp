#include <QClipboard>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

#include "core/canvaslayout.h"
#include "import/importdialog.h"
#include "test_drawing_support.h"
#include "drawing/spinscroll.h"
#include "drawing/toolsettings.h"

using namespace tobrin;
using tobrin::testing::Editor;

namespace {

const QString kEmptyRow = QStringLiteral(".db $0,$0,$0,$0,$0");

QStringList HexLines(const QString& text)
{
    QStringList lines = text.split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

}  // namespace

class DrawingTest : public QObject {
    Q_OBJECT
private slots:
    void startUpShowsTheEmptyDefaultPicture()
    {
        Editor e;
        QCOMPARE(e.session.document.MaxX(), 39);
        QCOMPARE(e.session.document.MaxY(), 31);
        QCOMPARE(int(e.session.document.Saved()), 1);
        QVERIFY(!e.frame->SaveEnabled());
        const QStringList lines = HexLines(e.session.document.HexText());
        QCOMPARE(lines.size(), 33);
        QCOMPARE(lines.first(), QStringLiteral(".db  40, 32"));
        for (int i = 1; i < lines.size(); ++i)
            QCOMPARE(lines[i], kEmptyRow);
        const DrawingState& s = e.state();
        QCOMPARE(s.PaintStyle, PaintStyle::Black);
        QCOMPARE(s.WhiteTransparent, true);
        QCOMPARE(e.main().CurrentToolId(), QStringLiteral("pen"));
        QCOMPARE(s.LineStyleIndex, LineStyle::Solid);
        QCOMPARE(s.FillStyleIndex, FillStyle::Transparent);
        QCOMPARE(s.PatternDensity, 3);
        QCOMPARE(s.PlotValue, 1);
        QVERIFY(e.main().Tools().WhiteTransparentAction()->isChecked());
        QVERIFY(e.toolButton(QStringLiteral("Pen"))->isChecked());
        QCOMPARE(e.main().Holder().PenWidth(), 1);
        // Every cell of the view is painted white on activation.
        e.main().Form_Activate();
        for (int cx : {0, 20, 39})
            for (int cy : {0, 31})
                QCOMPARE(e.square(cx, cy), DrawArea::kClearColour);
    }

    void controlsCarryTheirNamesAndTexts()
    {
        Editor e;
        DrawingWindow& m = e.main();
        QCOMPARE(m.windowTitle(), QStringLiteral("Drawing area"));
        for (const char* name : {"DrawArea", "HSizeScroll", "VSizeScroll", "DrawTool", "SettingBar", "LineWidth",
                                 "LineScroll", "PatternSize", "PatternScroll", "Picture1", "CoorTextX",
                                 "CoorTextY", "Label1", "DashTimer"})
            QVERIFY2(m.findChild<QObject*>(QLatin1String(name)), name);

        QStringList tips;
        for (QAction* a : m.findChild<QToolBar*>(QStringLiteral("DrawTool"))->actions()) {
            QVERIFY(a->isCheckable());
            tips << a->toolTip();
        }
        QCOMPARE(tips, QStringList({"Selection (S)", "Pen (P)", "Line (L)", "Box (B)", "Circle (C)", "Fill (F)",
                                    "Ellipse (E)", "Text (T)"}));

        auto* lineWidth = m.findChild<QLineEdit*>(QStringLiteral("LineWidth"));
        QCOMPARE(lineWidth->text(), QStringLiteral("1"));
        QCOMPARE(lineWidth->toolTip(), QStringLiteral("Line width"));
        auto* patternSize = m.findChild<QLineEdit*>(QStringLiteral("PatternSize"));
        QCOMPARE(patternSize->text(), QStringLiteral("3"));
        QCOMPARE(patternSize->toolTip(), QStringLiteral("Pattern density"));
        auto* lineScroll = m.findChild<QScrollBar*>(QStringLiteral("LineScroll"));
        QCOMPARE(lineScroll->minimum(), 1);
        QCOMPARE(lineScroll->maximum(), 10);
        QCOMPARE(lineScroll->value(), 1);
        auto* patternScroll = m.findChild<QScrollBar*>(QStringLiteral("PatternScroll"));
        QCOMPARE(patternScroll->minimum(), 2);
        QCOMPARE(patternScroll->maximum(), 10);
        QCOMPARE(patternScroll->value(), 3);
        QCOMPARE(m.findChild<QLabel*>(QStringLiteral("Label1"))->text(), QStringLiteral("Paint"));
        QCOMPARE(m.findChild<QLabel*>(QStringLiteral("CoorTextX"))->text(), QStringLiteral("X:"));
        QCOMPARE(m.findChild<QLabel*>(QStringLiteral("CoorTextY"))->text(), QStringLiteral("Y:"));
        auto* dash = m.findChild<QTimer*>(QStringLiteral("DashTimer"));
        QCOMPARE(dash->interval(), 300);
        QVERIFY(!dash->isActive());

        ToolSettings& t = m.Tools();
        QCOMPARE(t.PaintStyleButton()->toolTip(), QStringLiteral("Paint style"));
        QCOMPARE(t.WhiteTransparentAction()->toolTip(), QStringLiteral("White is transparent"));
        QCOMPARE(t.LineStyleButton()->toolTip(), QStringLiteral("Line style"));
        QCOMPARE(t.FillStyleButton()->toolTip(), QStringLiteral("Fill style"));
        auto texts = [](QToolButton* b) {
            QStringList out;
            for (QAction* a : b->menu()->actions())
                out << a->text();
            return out;
        };
        // Each drop-down button shows the icon of its chosen entry.
        auto shows = [](QToolButton* b, int icon) {
            const QIcon want(QStringLiteral(":/icons/settings/%1.png").arg(icon, 2, 10, QLatin1Char('0')));
            return !want.pixmap(16, 16).isNull()
                && b->icon().pixmap(16, 16).toImage() == want.pixmap(16, 16).toImage();
        };
        QVERIFY(shows(t.PaintStyleButton(), 1));
        QVERIFY(shows(t.LineStyleButton(), 4));
        QVERIFY(shows(t.FillStyleButton(), 10));
        m.Tools().SetPaintStyle(PaintStyle(3));
        m.Tools().SetLineStyle(LineStyle(5));
        m.Tools().SetFillStyle(FillStyle(8));
        QVERIFY(shows(t.PaintStyleButton(), 3));
        QVERIFY(shows(t.LineStyleButton(), 8));
        QVERIFY(shows(t.FillStyleButton(), 16));
        for (QAction* a : m.findChild<QToolBar*>(QStringLiteral("DrawTool"))->actions())
            QVERIFY(!a->icon().pixmap(16, 16).isNull());

        QCOMPARE(texts(t.PaintStyleButton()), QStringList({"Black", "White", "Reverse"}));
        QCOMPARE(texts(t.LineStyleButton()), QStringList({"Solid", "Empty", "Dotted", "Dashed", "Dot - Dash"}));
        QCOMPARE(texts(t.FillStyleButton()),
                 QStringList({"Solid", "Transparent", "Horizontal", "Vertical", "Cross", "Diagonal left",
                              "Diagonal right", "Cross diagonal"}));
    }

    void menusListTheirEntriesInOrder()
    {
        Editor e;
        struct Entry {
            const char* text;
            const char* name;
            const char* key;
        };
        const QList<QList<Entry>> expected = {
            {{"&New", "NewMenu", "Ctrl+N"}, {"New &font\u2026", "NewFontMenu", ""}, {"&Open", "Open", "Ctrl+O"},
             {"", "", ""},
             {"&Save as...", "Saveas", ""}, {"&Save", "Save", "Ctrl+S"}, {"&Recent files", "RecentFiles", ""},
             {"", "", ""},
             {"&Import", "ImportMenu", "Ctrl+I"}, {"Ex&port\u2026", "ExportMenu", ""},
             {"Export with &Template\u2026", "ExportTemplateMenu", ""}, {"", "", ""},
             {"&Exit", "ExitMenu", "Ctrl+Q"}},
            {{"&Undo", "UndoMenu", "Ctrl+Z"}, {"&Redo", "RedoMenu", "Ctrl+Shift+Z"}, {"", "", ""},
             {"&Cut", "CutMenu", "Ctrl+X"}, {"&Copy", "Copy", "Ctrl+C"}, {"&Paste", "Paste", "Ctrl+V"}},
            {{"Zoom &in", "ZoomIn", "Ctrl++"}, {"Zoom &out", "ZoomOut", "Ctrl+-"}, {"&Actual size", "ActualSize", "Ctrl+0"},
             {"&Fit to window", "FitToWindow", ""}},
            {{"Flip &horizontal", "FlipHorizontal", ""}, {"Flip &vertical", "FlipVertical", ""},
             {"Rotate 90\u00b0 &clockwise", "RotateClockwise", ""},
             {"Rotate 90\u00b0 c&ounter-clockwise", "RotateCounterClockwise", ""}, {"&Invert", "Invert", ""},
             {"", "", ""}, {"Shift &left", "ShiftLeft", "Ctrl+Shift+Left"},
             {"Shift &right", "ShiftRight", "Ctrl+Shift+Right"}, {"Shift &up", "ShiftUp", "Ctrl+Shift+Up"},
             {"Shift &down", "ShiftDown", "Ctrl+Shift+Down"}},
            {{"&Selection", "ToolSelectionMenu", "S"}, {"&Pen", "ToolPenMenu", "P"}, {"&Line", "ToolLineMenu", "L"},
             {"&Box", "ToolBoxMenu", "B"}, {"&Circle", "ToolCircleMenu", "C"}, {"&Fill", "ToolFillMenu", "F"},
             {"&Ellipse", "ToolEllipseMenu", "E"}, {"&Text", "ToolTextMenu", "T"}},
            {{"&Arrange windows", "Arrange", ""}, {"", "", ""}, {"&Drawing area", "DrawVisible", ""},
             {"&Tav preview", "TavVisible", ""}, {"&Text view", "TextVisible", ""}, {"&Frames", "FramesVisible", ""}},
            {{"&About...", "About", ""}},
        };
        QList<QMenu*> menus = e.frame->Menus();
        QCOMPARE(menus.size(), 8);
        // The frames menu lists the frames themselves; test_frames walks it.
        QCOMPARE(menus.takeAt(4)->title(), QStringLiteral("F&rames"));
        const QStringList titles = {"&File", "&Edit", "&View", "&Picture", "&Tools", "&Window", "&Help"};
        for (int m = 0; m < 7; ++m) {
            QCOMPARE(menus[m]->title(), titles[m]);
            const QList<QAction*> actions = menus[m]->actions();
            QCOMPARE(actions.size(), expected[m].size());
            for (int i = 0; i < actions.size(); ++i) {
                const Entry& want = expected[m][i];
                if (!*want.text) {
                    QVERIFY(actions[i]->isSeparator());
                    continue;
                }
                QCOMPARE(actions[i]->text(), QString::fromUtf8(want.text));
                QCOMPARE(actions[i]->objectName(), QLatin1String(want.name));
                QCOMPARE(actions[i]->shortcut(), QKeySequence(QLatin1String(want.key)));
            }
        }
        for (const char* name : {"DrawVisible", "TavVisible", "TextVisible"})
            QVERIFY(e.menuAction(QLatin1String(name))->isCheckable());
        QVERIFY(e.menuAction(QStringLiteral("DrawVisible"))->isChecked());
    }

    void windowMenuFollowsTheWindowsWhenOpened()
    {
        Editor e;
        QMenu* window = e.frame->Menus().at(6);
        emit window->aboutToShow();
        QCOMPARE(e.menuAction(QStringLiteral("DrawVisible"))->isChecked(), true);
        if (QMdiSubWindow* text = e.frame->TextViewSubWindow()) {
            text->hide();
            emit window->aboutToShow();
            QVERIFY(!e.menuAction(QStringLiteral("TextVisible"))->isChecked());
            text->show();
            emit window->aboutToShow();
            QVERIFY(e.menuAction(QStringLiteral("TextVisible"))->isChecked());
        }
        if (QMdiSubWindow* tav = e.frame->TavSubWindow()) {
            tav->hide();
            emit window->aboutToShow();
            QVERIFY(!e.menuAction(QStringLiteral("TavVisible"))->isChecked());
        }
    }

    void editMenuEntriesReachTheirHandlers()
    {
        Editor e;
        e.click(3, 3);
        QCOMPARE(e.pic(3, 3), 1);
        e.menuAction(QStringLiteral("UndoMenu"))->trigger();
        QCOMPARE(e.pic(3, 3), 0);

        e.setPic(0, 0, 1);
        QGuiApplication::clipboard()->clear();
        e.menuAction(QStringLiteral("Copy"))->trigger();
        const QImage copied = QGuiApplication::clipboard()->image();
        QCOMPARE(copied.size(), QSize(40, 32));
        QCOMPARE(copied.pixel(0, 0) | 0xFF000000u, 0xFF000000u);
        QVERIFY(e.frame->PasteEnabled());

        e.menuAction(QStringLiteral("CutMenu"))->trigger();  // no selection: the whole picture
        QCOMPARE(e.pic(0, 0), 0);
    }

    void exitAsksOnlyAboutUnsavedChanges()
    {
        Editor e;
        QVERIFY(e.main().ConfirmDiscard());
        QCOMPARE(e.dialogs.count(QStringLiteral("question")), 0);

        e.click(1, 1);  // a change
        e.dialogs.answers = {false};
        e.menuAction(QStringLiteral("ExitMenu"))->trigger();
        QCOMPARE(e.dialogs.count(QStringLiteral("question")), 1);
        QCOMPARE(e.dialogs.shown.last().title, QStringLiteral("File not saved"));
        QCOMPARE(e.dialogs.shown.last().text, QStringLiteral("Picture not saved. Continue?"));
        QVERIFY(e.frame->isVisible());
        QCOMPARE(e.pic(1, 1), 1);
    }

    void canvasGeometryIsWholePixelsPerCell()
    {
        Editor e;
        e.makeRoomForEverything();
        e.setPic(2, 1, 1);
        e.main().RedrawAll();
        const QImage& img = e.canvas()->Image();
        const int s = e.canvas()->Scale();
        QCOMPARE(e.canvas()->size(), QSize(7 * 40 + 1, 7 * 32 + 1));
        QCOMPARE(img.size(), QSize((7 * 40 + 1) * s, (7 * 32 + 1) * s));
        const QRgb grid = e.main().palette().color(QPalette::WindowText).rgb() | 0xFF000000u;
        auto at = [&](int x, int y) { return img.pixel(x * s, y * s) | 0xFF000000u; };
        // Grid lines on multiples of 7, the 5 x 5 square one pixel inside.
        for (int i = 0; i <= 40; ++i)
            QCOMPARE(at(7 * i, 10), grid);
        for (int j = 0; j <= 32; ++j)
            QCOMPARE(at(10, 7 * j), grid);
        for (int dx = 1; dx <= 5; ++dx)
            for (int dy = 1; dy <= 5; ++dy)
                QCOMPARE(at(14 + dx, 7 + dy), DrawArea::kSetColour);
        QVERIFY(at(14 + 6, 7 + 3) != DrawArea::kSetColour);  // the margin
        QCOMPARE(at(21 + 3, 7 + 3), DrawArea::kClearColour);
    }

    void layoutDecidesScrollBarsFromTheClientSize()
    {
        Editor e;
        auto* h = e.main().findChild<QScrollBar*>(QStringLiteral("HSizeScroll"));
        auto* v = e.main().findChild<QScrollBar*>(QStringLiteral("VSizeScroll"));
        // 4710 x 3910 units are 330 x 274 pixels (and back 4714 x 3914).
        e.setClientSize(330, 274);
        QCOMPARE(e.main().size(), QSize(330, 274));
        QVERIFY(h->isHidden());
        QVERIFY(v->isHidden());
        QCOMPARE(e.canvas()->CanvasWidthUnits(), 4010);
        QCOMPARE(e.canvas()->CanvasHeightUnits(), 3210);
        QCOMPARE(e.canvas()->size(), QSize(281, 225));
        QCOMPARE(e.state().view.ViewColumns, 40);
        QCOMPARE(e.state().view.ViewRows, 32);

        // One pixel narrower is below the threshold: the bar appears.
        e.setClientSize(329, 274);
        QVERIFY(!h->isHidden());
        QVERIFY(v->isHidden());
        const int columns = e.state().view.ViewColumns;  // floor((4700 - 725) / 100) = 39
        QCOMPARE(columns, 39);
        QCOMPARE(h->maximum(), 40 - columns);
        QCOMPARE(h->value(), 0);
        QCOMPARE(e.canvas()->CanvasWidthUnits(), 100 * columns + 10);
        QCOMPARE(h->geometry().bottom(), e.main().height() - 1);
        QCOMPARE(h->x(), units::ToPixels(480));

        e.setClientSize(329, 273);
        QVERIFY(!v->isHidden());
        QCOMPARE(v->geometry().right(), e.main().width() - 1);
        QCOMPARE(v->maximum(), 32 - e.state().view.ViewRows);
    }

    void scrollingMovesTheViewAndRepaintsOnlyIt()
    {
        Editor e;
        e.setClientSize(400, 300);
        e.resizePicture(100, 60);
        auto* h = e.main().HSizeScroll();
        auto* v = e.main().VSizeScroll();
        QVERIFY(!h->isHidden());
        QVERIFY(!v->isHidden());
        const ViewWindow& view = e.state().view;
        const int columns = view.ViewColumns, rows = view.ViewRows;
        QCOMPARE(h->maximum(), 100 - columns);
        QCOMPARE(v->maximum(), 60 - rows);

        // A pixel at the far right shows in the canvas once scrolled there.
        e.setPic(99, 0, 1);
        e.setPic(0, 0, 1);
        // Preview dots made stale on purpose: the preview follows the
        // document, not the canvas, so scrolling repaints none of them.
        e.frame->TavDisplayWindow().PlotPixel(0, 0, DevicePreview::kClearColour);
        e.frame->TavDisplayWindow().PlotPixel(99, 1, DevicePreview::kSetColour);
        h->setValue(h->maximum());
        QCOMPARE(view.ViewLeft, 100 - columns);
        QCOMPARE(view.ViewRight, 99);
        QCOMPARE(e.square(columns - 1, 0), DrawArea::kSetColour);
        QCOMPARE(e.dot(0, 0), DevicePreview::kClearColour);  // outside the view
        QCOMPARE(e.dot(99, 1), DevicePreview::kSetColour);   // inside the view
        v->setValue(3);
        QCOMPARE(view.ViewTop, 3);
        QCOMPARE(view.ViewBottom, 3 + rows - 1);

        // The labels show picture coordinates, view offset included.
        e.hover(2, 4);
        QCOMPARE(e.main().findChild<QLabel*>(QStringLiteral("CoorTextX"))->text(),
                 QStringLiteral("X: %1").arg(100 - columns + 2));
        QCOMPARE(e.main().findChild<QLabel*>(QStringLiteral("CoorTextY"))->text(), QStringLiteral("Y: 7"));

        // A layout goes back to the origin.
        e.setClientSize(401, 300);
        QCOMPARE(view.ViewLeft, 0);
        QCOMPARE(view.ViewTop, 0);
        QCOMPARE(h->value(), 0);
    }

    void relocateCentresTheViewOnAPreviewClick()
    {
        Editor e;
        e.setClientSize(400, 300);
        e.resizePicture(100, 60);
        const ViewWindow& view = e.state().view;
        auto* h = e.main().HSizeScroll();
        double x = 99, y = 59;
        e.main().Relocate(x, y);
        QCOMPARE(view.ViewLeft, h->maximum());
        QCOMPARE(view.ViewRight, 99);
        QCOMPARE(view.ViewBottom, 59);
        QCOMPARE(x, 100 - view.ViewColumns / 2.0);
        x = 0;
        y = 0;
        e.main().Relocate(x, y);
        QCOMPARE(view.ViewLeft, 0);
        QCOMPARE(view.ViewTop, 0);
    }

    void relocateJustAboveTheThresholdLeavesTheViewAlone()
    {
        Editor e;
        // 330 pixels are 4714 units: no bar, though the free space alone
        // would count only 39 whole columns.
        e.setClientSize(330, 274);
        const ViewWindow& view = e.state().view;
        QCOMPARE(view.ViewColumns, 40);
        for (double px : {0.0, 39.0, 20.0}) {
            double x = px, y = px;
            e.main().Relocate(x, y);
            QCOMPARE(view.ViewLeft, 0);
            QCOMPARE(view.ViewRight, 39);
            QCOMPARE(view.ViewTop, 0);
        }
        // The last column is a real cell of the view: drawing there works.
        e.click(39, 5);
        QCOMPARE(e.pic(39, 5), 1);
    }

    void windowNeverShrinksBelowTheMinimum()
    {
        Editor e;
        QWidget* outer = e.frame->DrawingSubWindow() ? static_cast<QWidget*>(e.frame->DrawingSubWindow())
                                                     : static_cast<QWidget*>(&e.main());
        const int minimum = units::ToPixels(1500);
        outer->resize(50, 400);
        QCoreApplication::processEvents();
        QTRY_COMPARE(outer->width(), minimum);
        QCOMPARE(outer->height(), 400);
        outer->resize(400, 20);
        QCoreApplication::processEvents();
        QTRY_COMPARE(outer->height(), minimum);
        QCOMPARE(outer->width(), 400);
    }

    void redrawWipesTentativeSquaresAndKeepsStoredOnes()
    {
        Editor e;
        e.setPic(5, 5, 1);
        e.main().RedrawAll();
        e.main().PlotPixel(6, 5, 1, false);
        e.main().PlotPixel(5, 5, 0, false);  // white is transparent: nothing
        e.main().State().WhiteTransparent = false;
        e.main().PlotPixel(7, 5, 0, false);
        QCOMPARE(e.square(6, 5), DrawArea::kTentativeSet);
        QCOMPARE(e.square(5, 5), DrawArea::kSetColour);
        QCOMPARE(e.square(7, 5), DrawArea::kTentativeClear);
        QCOMPARE(e.pic(6, 5), 0);
        QCOMPARE(e.dot(6, 5), DevicePreview::kClearColour);
        e.main().RedrawAll();
        QCOMPARE(e.square(6, 5), DrawArea::kClearColour);
        QCOMPARE(e.square(7, 5), DrawArea::kClearColour);
        QCOMPARE(e.square(5, 5), DrawArea::kSetColour);
        QCOMPARE(e.dot(5, 5), DevicePreview::kSetColour);
    }

    void committedPlotStoresPaintsAndLightsThePreview()
    {
        Editor e;
        e.main().PlotPixel(4, 2, 1, true);
        QCOMPARE(e.pic(4, 2), 1);
        QCOMPARE(e.square(4, 2), DrawArea::kSetColour);
        QCOMPARE(e.dot(4, 2), DevicePreview::kSetColour);
        e.main().State().WhiteTransparent = false;
        e.main().PlotPixel(4, 2, 0, true);
        QCOMPARE(e.pic(4, 2), 0);
        QCOMPARE(e.square(4, 2), DrawArea::kClearColour);
        QCOMPARE(e.dot(4, 2), DevicePreview::kClearColour);
        QCOMPARE(e.state().PlotValue, 0);
    }

    void activationSetsPasteFromTheClipboard()
    {
        Editor e;
        QGuiApplication::clipboard()->setImage(QImage(3, 3, QImage::Format_RGB32));
        e.main().Form_Activate();
        QVERIFY(e.frame->PasteEnabled());
        QGuiApplication::clipboard()->setText(QStringLiteral("just text"));
        e.main().Form_Activate();
        QVERIFY(!e.frame->PasteEnabled());
    }

    void importAppliesItsSizeAndCountsAsAChange()
    {
        Editor e;
        e.resizePicture(60, 40);
        e.setPic(3, 3, 1);
        e.setPic(50, 10, 1);
        bool clicked = false;
        QImage white(40, 32, QImage::Format_RGB32);
        white.fill(Qt::white);
        QGuiApplication::clipboard()->setImage(white);
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<ImportDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            dialog->PasteButton_Click();
            auto* button = dialog->findChild<QPushButton*>(QStringLiteral("GetImport"));
            QVERIFY(button);
            clicked = true;
            button->click();
        });
        e.menuAction(QStringLiteral("ImportMenu"))->trigger();
        QVERIFY(clicked);
        // A white source at the default 40 x 32 target: all clear.
        QCOMPARE(e.session.document.MaxX(), 39);
        QCOMPARE(e.session.document.MaxY(), 31);
        QCOMPARE(e.pic(3, 3), 0);
        QCOMPARE(e.pic(50, 10), 1);  // outside the imported area
        QCOMPARE(e.square(3, 3), DrawArea::kClearColour);
        QCOMPARE(int(e.session.document.Saved()), 0);
        QVERIFY(e.frame->SaveEnabled());
        QVERIFY(e.session.document.HexText().startsWith(QStringLiteral(".db  40, 32\r\n")));
        // The import is one step: Undo brings back the picture and size before it.
        e.main().UndoMenu_Click();
        QCOMPARE(e.pic(3, 3), 1);
        QCOMPARE(e.session.document.MaxX(), 59);
    }

    void firstLoadMarksThePictureSaved()
    {
        FakeDialogs dialogs;
        Session session(dialogs);
        session.document.SetSaved(false);
        FrameWindow frame(session);
        frame.DrawingWindow();
        QCOMPARE(int(session.document.Saved()), 1);
        QVERIFY(session.DrawingLoadedOnce);
        QVERIFY(!frame.SaveEnabled());
    }

    // Closing the window and showing it again reloads only the window: the
    // document (pixels, size, file name, saved flag, history) and the
    // settings stay as they were.
    void reloadKeepsTheDocumentAndTheSettings()
    {
        Editor e;
        e.session.document.SetFileName(QStringLiteral("/tmp/kept.txt"));
        e.resizePicture(60, 40);
        e.click(2, 2);  // a change: PictureSaved 0, "Save hex file" enabled
        e.main().Tools().SetPaintStyle(PaintStyle::Reverse);
        e.chooseTool(QStringLiteral("Box"));
        QCOMPARE(int(e.session.document.Saved()), 0);
        QVERIFY(e.frame->SaveEnabled());

        QMdiSubWindow* sub = e.frame->DrawingSubWindow();
        if (!sub)
            QSKIP("the frame does not host the drawing window in a sub-window");
        sub->close();
        QTRY_VERIFY(e.frame->DrawingWindowIfLoaded() == nullptr);

        DrawingWindow& again = e.frame->DrawingWindow();
        QCOMPARE(e.session.document.MaxX(), 59);
        QCOMPARE(e.session.document.MaxY(), 39);
        QCOMPARE(e.pic(2, 2), 1);
        QCOMPARE(again.State().PaintStyle, PaintStyle::Reverse);
        QCOMPARE(again.CurrentToolId(), QStringLiteral("box"));
        QVERIFY(e.toolButton(QStringLiteral("Box"))->isChecked());
        QCOMPARE(int(e.session.document.Saved()), 0);
        QVERIFY(again.windowTitle().contains(QStringLiteral("kept.txt")));
        QVERIFY(e.frame->SaveEnabled());
        e.session.document.Undo();
        QCOMPARE(e.pic(2, 2), 0);

        // A saved picture stays saved across a reload as well.
        e.session.document.SetSaved(true);
        e.frame->DrawingSubWindow()->close();
        QTRY_VERIFY(e.frame->DrawingWindowIfLoaded() == nullptr);
        e.frame->DrawingWindow();
        QCOMPARE(int(e.session.document.Saved()), 1);
        QVERIFY(!e.frame->SaveEnabled());
    }
};

QTEST_MAIN(DrawingTest)
#include "test_drawing.moc"
