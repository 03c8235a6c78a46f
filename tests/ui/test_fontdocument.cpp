#include <QtTest>
#include <QLineEdit>
#include <QSpinBox>
#include <QTemporaryDir>

#include "core/pixelfont.h"
#include "preview/fontpanel.h"
#include "preview/framestrip.h"
#include "test_drawing_support.h"

using namespace tobrin;
using tobrin::testing::Editor;

class FontDocumentTest : public QObject {
    Q_OBJECT
private slots:
    // A font made, edited in its fields and on its guides, saved, opened
    // again and exported, as a user strings it together; every file on
    // disk must read back to the font on screen.
    void makeEditSaveReopenAndExportAFont();
};

namespace {

PixelFont Letters()
{
    PixelFont font;
    font.cellWidth = 6;
    font.cellHeight = 8;
    font.ascent = 6;
    for (char32_t c : {U'A', U'B', U'C'}) {
        Glyph g{c, 5, {}};
        g.bitmap.width = 6;
        g.bitmap.height = 8;
        for (int y = 1; y < 6; ++y)
            g.bitmap.At(int(c - U'A') + 1, y) = 1;
        font.glyphs.push_back(g);
    }
    return font;
}

}  // namespace

void FontDocumentTest::makeEditSaveReopenAndExportAFont()
{
    Editor e;
    PictureDocument& doc = e.session.document;
    FrameWindow& frame = *e.frame;
    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("letters.bdf"));
    QVERIFY(WriteFontFile(source, Letters(), {}));

    // Cancelled: nothing changes. Made: an unsaved font, the lacking
    // character said.
    e.dialogs.newFontAnswers = {std::nullopt, std::make_pair(dir.filePath(QStringLiteral("none.ttf")), FontSourceOptions())};
    frame.FrameAction(QStringLiteral("NewFontMenu"))->trigger();
    frame.FrameAction(QStringLiteral("NewFontMenu"))->trigger();
    QVERIFY(!doc.IsFont());
    QCOMPARE(e.dialogs.shown.last().text, QStringLiteral("No font was made."));
    QVERIFY(doc.Saved());
    FontSourceOptions options;
    options.chars = QStringLiteral("A-D");
    e.dialogs.newFontAnswers = {std::make_pair(source, options)};
    frame.FrameAction(QStringLiteral("NewFontMenu"))->trigger();
    QVERIFY(doc.IsFont());
    QCOMPARE(doc.Font(), Letters());
    QVERIFY(!doc.Saved());
    QCOMPARE(e.dialogs.shown.last().text, QStringLiteral("letters.bdf lacks 1 of the characters, which the font leaves out."));
    QCOMPARE(e.dialogs.shown.last().details, QStringLiteral("'D' U+0044"));

    FrameStrip* strip = frame.Strip();
    QTRY_VERIFY(strip->isVisible());
    QCOMPARE(strip->List()->model()->index(1, 0).data(Qt::AccessibleTextRole).toString(),
             QStringLiteral("Glyph 'B' U+0042, advance 5"));
    FontPanel* panel = strip->Font();
    QVERIFY(panel->isVisible());
    QCOMPARE(panel->Character()->text(), QStringLiteral("A"));
    panel->Advance()->setValue(4);
    QCOMPARE(doc.GlyphAdvance(0), 4);
    panel->Character()->setText(QStringLiteral("U+00C4"));
    emit panel->Character()->editingFinished();
    QCOMPARE(doc.GlyphCode(0), U'\u00C4');
    panel->Character()->setText(QStringLiteral("B"));  // taken: refused
    emit panel->Character()->editingFinished();
    QCOMPARE(doc.GlyphCode(0), U'\u00C4');

    // The baseline dragged a row down by its line; no pixel changes.
    const QByteArray pixels(reinterpret_cast<const char*>(doc.Data().PicData.data()), int(doc.Data().PicData.size()));
    QTest::mousePress(e.canvas(), Qt::LeftButton, {}, QPoint(10, 7 * 6));
    QTest::mouseMove(e.canvas(), QPoint(10, 7 * 7 + 1));
    QTest::mouseRelease(e.canvas(), Qt::LeftButton, {}, QPoint(10, 7 * 7 + 1));
    QCOMPARE(doc.FontAscent(), 7);
    QCOMPARE(panel->Baseline()->value(), 7);
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(doc.Data().PicData.data()), int(doc.Data().PicData.size())), pixels);

    const PixelFont edited = doc.Font();
    const QString saved = dir.filePath(QStringLiteral("letters.db"));
    e.dialogs.fileNames = {saved};
    frame.FrameAction(QStringLiteral("Saveas"))->trigger();
    QVERIFY(doc.Saved());
    QCOMPARE(*ReadFontFile(saved), edited);
    frame.FrameAction(QStringLiteral("NewMenu"))->trigger();
    QVERIFY(!doc.IsFont());
    e.dialogs.fileNames = {saved};
    frame.FrameAction(QStringLiteral("Open"))->trigger();
    QVERIFY(doc.IsFont());
    QCOMPARE(doc.Font(), edited);

    // Export writes the font forms; the document keeps its name.
    for (const char* name : {"letters.c", "letters.bdf", "letters.png"}) {
        const QString path = dir.filePath(QLatin1String(name));
        e.dialogs.fileNames = {path};
        frame.FrameAction(QStringLiteral("ExportMenu"))->trigger();
        const std::optional<PixelFont> back = ReadFontFile(path);
        QVERIFY2(back && *back == edited, name);
    }
    QCOMPARE(doc.FileName(), saved);
}

QTEST_MAIN(FontDocumentTest)
#include "test_fontdocument.moc"
