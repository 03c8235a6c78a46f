#include <QComboBox>
#include <QSpinBox>
#include <set>

#include "core/pixelfont.h"
#include "drawing/tools/textfontbar.h"
#include "drawing/toolsettings.h"
#include "test_drawing_support.h"
#include "core/formats.h"

using namespace tobrin;
using tobrin::testing::Editor;
using Pixels = std::set<std::pair<int, int>>;

namespace {

// The text tool in use with its first font, the built-in 5x7.
struct Typist {
    Editor e;
    const PixelFont& font = *BuiltInFont(QStringLiteral("5x7"));
    TextFontBar* bar = nullptr;

    Typist()
    {
        testing::StartFrame(*e.frame);
        e.canvas()->setFocus();
        QTest::keyClick(e.canvas(), Qt::Key_T);
        bar = e.main().findChild<TextFontBar*>();
    }
    // The script's characters are typed; < > ^ $ # ~ ! and \n are Left,
    // Right, Home, End, Backspace, Delete, Esc and Enter.
    void type(const QString& script)
    {
        const Qt::Key codes[] = {Qt::Key_Left,      Qt::Key_Right,  Qt::Key_Home,   Qt::Key_End,
                                 Qt::Key_Backspace, Qt::Key_Delete, Qt::Key_Escape, Qt::Key_Return};
        for (QChar c : script) {
            const int special = QStringLiteral("<>^$#~!\n").indexOf(c);
            special >= 0 ? QTest::keyClick(e.canvas(), codes[special]) : QTest::keyClicks(e.canvas(), QString(c));
        }
    }
    Pixels having(int value)
    {
        Pixels p;
        for (int y = 0; y <= e.session.document.MaxY(); ++y)
            for (int x = 0; x <= e.session.document.MaxX(); ++x)
                if (e.pic(x, y) == value)
                    p.insert({x, y});
        return p;
    }
    Pixels expect(const QString& text, QPoint at)
    {
        Pixels p;
        const QList<uint> u = text.toUcs4();
        DrawText(font, std::u32string(u.begin(), u.end()), at.x(), at.y(), [&](int x, int y) {
            if (e.session.document.Bounds().contains(x, y))
                p.insert({x, y});
        });
        return p;
    }
};

}  // namespace

class TextToolTest : public QObject {
    Q_OBJECT
private slots:
    // Typing shows the text tentatively only, letters that choose tools
    // included; Enter stores exactly DrawText's pixels as one undo step.
    void typedTextIsStoredAsOneStep()
    {
        Typist t;
        const int steps = t.e.session.document.HistorySteps();
        t.e.click(3, 4);
        t.type(QStringLiteral("SCORE 0042"));
        const Pixels text = t.expect(QStringLiteral("SCORE 0042"), {3, 4});
        QVERIFY(t.having(1).empty());
        t.e.main().RedrawAll();  // as a scroll or a zoom does: the text is shown again
        for (const auto& [x, y] : text)
            QCOMPARE(t.e.square(x, y), DrawArea::kTentativeSet);
        t.type(QStringLiteral("\n"));
        QCOMPARE(t.having(1), text);
        QCOMPARE(t.e.session.document.HistorySteps(), steps + 1);
        t.e.main().UndoMenu_Click();
        QVERIFY(t.having(1).empty());
    }

    void editingKeys_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("stored");
        QTest::newRow("backspace") << "AB3#C\n" << "ABC";
        QTest::newRow("left inserts") << "AC<B\n" << "ABC";
        QTest::newRow("home, delete, end") << "XABC^~$D\n" << "ABCD";
        QTest::newRow("ends of the line") << "AB^#>>>>C#D\n" << "ABD";
        QTest::newRow("P is text") << "PLP\n" << "PLP";
        QTest::newRow("esc drops") << "ABC!" << "";
        QTest::newRow("nothing typed") << "\n" << "";
    }
    void editingKeys()
    {
        QFETCH(QString, script);
        QFETCH(QString, stored);
        Typist t;
        const int steps = t.e.session.document.HistorySteps();
        t.e.click(5, 6);
        t.type(script);
        QCOMPARE(t.having(1), t.expect(stored, {5, 6}));
        QCOMPARE(t.e.session.document.HistorySteps(), steps + (stored.isEmpty() ? 0 : 1));
        QCOMPARE(t.e.main().CurrentToolId(), QStringLiteral("text"));
    }

    // Committed through the paint style; text past the picture, or past a
    // view showing part of it, is cut at the picture's edge only.
    void paintStyleAndEdges_data()
    {
        QTest::addColumn<int>("style");
        QTest::addColumn<bool>("whiteTransparent");
        QTest::addColumn<int>("ground");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("ink");  // what the text's pixels become; -1 unchanged
        QTest::newRow("black") << int(PaintStyle::Black) << true << 0 << 40 << 1;
        QTest::newRow("white on black") << int(PaintStyle::White) << false << 1 << 40 << 0;
        QTest::newRow("white transparent") << int(PaintStyle::White) << true << 1 << 40 << -1;
        QTest::newRow("beyond the view") << int(PaintStyle::Black) << true << 0 << 240 << 1;
    }
    void paintStyleAndEdges()
    {
        QFETCH(int, style);
        QFETCH(bool, whiteTransparent);
        QFETCH(int, ground);
        QFETCH(int, width);
        QFETCH(int, ink);
        Typist t;
        t.e.resizePicture(width, 32);
        t.e.session.document.FillBlock(t.e.session.document.Bounds(), std::uint8_t(ground));
        t.e.main().Tools().SetPaintStyle(PaintStyle(style));
        t.e.main().Tools().SetWhiteTransparent(whiteTransparent);
        const int right = t.e.state().view.ViewColumns - 1;  // the view's last column
        t.e.click(right - 5, 20);
        t.type(QStringLiteral("SCORE 0042"));
        const Pixels text = t.expect(QStringLiteral("SCORE 0042"), {right - 5, 20});
        const QRgb shown = ink == 1 ? DrawArea::kTentativeSet : ink == 0 ? DrawArea::kTentativeClear
                                                                          : DrawArea::kSetColour;
        for (const auto& [x, y] : text)
            if (x <= right)
                QCOMPARE(t.e.square(x, y), shown);
        t.type(QStringLiteral("\n"));
        QCOMPARE(t.having(ground == 1 ? 0 : 1), ink < 0 ? Pixels() : text);
        QVERIFY(std::any_of(text.begin(), text.end(), [&](auto p) { return p.first > right; }) == (width > 40));
    }

    // Another click stores the text and starts one anew; another tool
    // stores it too; each is its own undo step.
    void clickAndToolChangeStore()
    {
        Typist t;
        const int steps = t.e.session.document.HistorySteps();
        t.e.click(1, 1);
        t.type(QStringLiteral("AB"));
        t.e.click(1, 10);
        t.type(QStringLiteral("CD"));
        t.e.chooseTool(QStringLiteral("Pen"));
        Pixels both = t.expect(QStringLiteral("AB"), {1, 1});
        both.merge(t.expect(QStringLiteral("CD"), {1, 10}));
        QCOMPARE(t.having(1), both);
        QCOMPARE(t.e.session.document.HistorySteps(), steps + 2);
        QTest::keyClick(t.e.canvas(), Qt::Key_L);  // keys choose tools again
        QCOMPARE(t.e.main().CurrentToolId(), QStringLiteral("line"));
    }

    // Text still being typed is stored before an export, which then holds it.
    void exportStoresTheTextFirst()
    {
        Typist t;
        QTemporaryDir dir;
        t.e.click(2, 2);
        t.type(QStringLiteral("HI"));
        t.e.dialogs.fileNames = {dir.filePath(QStringLiteral("hi.pbm"))};
        t.e.frame->FrameAction(QStringLiteral("ExportMenu"))->trigger();
        QCOMPARE(t.having(1), t.expect(QStringLiteral("HI"), {2, 2}));
        QVERIFY(ReadPictureFile(dir.filePath(QStringLiteral("hi.pbm"))) == t.e.session.document.Frames().frames[0]);
    }

    // The font bar: the built-in 5x7 first; a font file is read, one that
    // cannot be is told and the font before stays; an outline font is
    // made at the size chosen, which bitmap fonts have no use for.
    void fontChoice()
    {
        Typist t;
        t.e.makeRoomForEverything();  // the settings bar shows it, and the installed fonts
        QComboBox* fonts = t.bar->FontBox();
        QCOMPARE(fonts->currentText(), QStringLiteral("5x7"));
        QTemporaryDir dir;
        const QString bdf = dir.filePath(QStringLiteral("eight.bdf"));
        QVERIFY(WriteFontFile(bdf, *BuiltInFont(QStringLiteral("8x8")), {}));
        t.e.dialogs.fileNames = {dir.filePath(QStringLiteral("bad.bdf")), bdf};
        fonts->setCurrentIndex(fonts->count() - 1);  // "Font file…"
        QCOMPARE(t.e.dialogs.shown.size(), 2);
        QCOMPARE(t.e.dialogs.shown[0].kind + t.e.dialogs.shown[1].kind, QStringLiteral("openmessage"));
        QVERIFY(t.e.dialogs.shown[1].details.startsWith(QStringLiteral("bad.bdf: ")));
        QCOMPARE(t.bar->Font(), &t.font);
        fonts->setCurrentIndex(fonts->count() - 1);
        QCOMPARE(fonts->currentText(), QStringLiteral("eight.bdf"));
        QVERIFY(*t.bar->Font() == *BuiltInFont(QStringLiteral("8x8")) && !t.bar->SizeBox()->isEnabled());
        fonts->setCurrentIndex(fonts->findData(QStringLiteral("/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf")));
        QVERIFY(t.bar->SizeBox()->isEnabled() && t.bar->Font()->name.startsWith(QStringLiteral("DejaVu")));
        const int small = t.bar->Font()->cellHeight;
        t.bar->SizeBox()->setValue(24);
        QVERIFY(t.bar->Font()->cellHeight > small);
    }
};

QTEST_MAIN(TextToolTest)
#include "test_texttool.moc"
