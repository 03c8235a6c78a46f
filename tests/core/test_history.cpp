#include <gtest/gtest.h>

#include "core/drawingstate.h"
#include "core/hexreader.h"
#include "core/importpipeline.h"
#include "core/picturedocument.h"
#include "imagefiles.h"

namespace tobrin {
namespace {

// One stroke as the canvas makes it: a backup at the press, then plots.
void Stroke(PictureDocument& doc, int x, int y, std::uint8_t value = 1)
{
    doc.BackUp();
    doc.SetPixel(x, y, value);
}

int SetCount(const PictureDocument& doc)
{
    int n = 0;
    for (int y = 0; y <= doc.MaxY(); ++y)
        for (int x = 0; x <= doc.MaxX(); ++x)
            n += doc.Pic(x, y);
    return n;
}

TEST(PictureHistory, TwentyStrokesUndoOneByOneAndRedoInOrder)
{
    PictureDocument doc;
    EXPECT_FALSE(doc.CanUndo());
    for (int i = 0; i < 20; ++i)
        Stroke(doc, i, i % 32);
    doc.MarkSaved(QStringLiteral("a.txt"));
    EXPECT_TRUE(doc.Saved());
    for (int i = 19; i >= 0; --i) {
        ASSERT_TRUE(doc.CanUndo());
        doc.Undo();
        EXPECT_EQ(doc.Pic(i, i % 32), 0);
        EXPECT_EQ(SetCount(doc), i);
    }
    EXPECT_FALSE(doc.CanUndo());
    EXPECT_FALSE(doc.Saved());
    doc.Undo();  // nothing left: nothing happens
    EXPECT_EQ(SetCount(doc), 0);
    for (int i = 0; i < 20; ++i) {
        ASSERT_TRUE(doc.CanRedo());
        doc.Redo();
        EXPECT_EQ(doc.Pic(i, i % 32), 1);
        EXPECT_EQ(SetCount(doc), i + 1);
    }
    EXPECT_FALSE(doc.CanRedo());
    // Stepping away from the saved picture marks it unsaved; walking back
    // to it marks it saved again.
    EXPECT_TRUE(doc.Saved());
}

// New and Open start a history of their own: no step of the picture before
// can come back under the new picture's name.
TEST(PictureHistory, NewAndOpenStartAHistoryOfTheirOwn)
{
    PictureDocument doc;
    Stroke(doc, 3, 3);
    doc.NewPicture();
    EXPECT_TRUE(doc.Saved());
    EXPECT_FALSE(doc.CanUndo());
    doc.Undo();
    EXPECT_EQ(doc.Pic(3, 3), 0);

    Stroke(doc, 4, 4);
    doc.SetFileName(QStringLiteral("b.txt"));
    HexPicture other;
    other.width = 8;
    other.height = 4;
    other.rowBytes.resize(4);
    doc.LoadPicture(other, QStringLiteral("a.txt"));
    EXPECT_TRUE(doc.Saved());  // whatever the picture before had unsaved
    doc.Undo();
    EXPECT_EQ(doc.Pic(4, 4), 0);
    EXPECT_EQ(doc.FileName(), QStringLiteral("a.txt"));
}

TEST(PictureHistory, ANewChangeDropsRedoButANoOpStepDoesNot)
{
    PictureDocument doc;
    Stroke(doc, 1, 1);
    Stroke(doc, 2, 2);
    doc.Undo();
    ASSERT_TRUE(doc.CanRedo());

    // Steps that change nothing are never kept and leave Redo alone.
    doc.BackUp();  // a click that plotted nothing
    doc.BackUp();
    EXPECT_FALSE(doc.PlotPixel(5, 5, 0, PaintStyle::Black, true).draw);  // white is transparent
    Stroke(doc, 1, 1, 1);  // the value it already had
    EXPECT_EQ(doc.HistorySteps(), 2);
    EXPECT_TRUE(doc.CanRedo());

    Stroke(doc, 3, 3);
    EXPECT_FALSE(doc.CanRedo());
    doc.Redo();
    EXPECT_EQ(doc.Pic(2, 2), 0);
    doc.Undo();
    doc.Undo();
    EXPECT_EQ(SetCount(doc), 0);
}

TEST(PictureHistory, KeepsTheNewest256Steps)
{
    PictureDocument doc;
    for (int i = 0; i < 300; ++i)
        Stroke(doc, i % 40, i / 40);
    EXPECT_EQ(doc.HistorySteps(), PictureDocument::kHistoryLimit);
    while (doc.CanUndo())
        doc.Undo();
    EXPECT_EQ(SetCount(doc), 300 - PictureDocument::kHistoryLimit);
}

TEST(PictureHistory, UndoWalksBackAcrossImportAndSizeChanges)
{
    PictureDocument doc;
    QList<QSize> sizes;
    QObject::connect(&doc, &PictureDocument::sizeChanged, [&](int w, int h) { sizes << QSize(w, h); });
    Stroke(doc, 30, 20);
    // A run of size changes (a spinner held down) is one step.
    for (int w = 41; w <= 60; ++w)
        doc.ChangeSize(w - 1, 31);
    Stroke(doc, 55, 5);
    ImportPipeline pipeline;
    pipeline.Paste(testfiles::HalfBlack(100, 50));
    doc.Import(pipeline);
    EXPECT_EQ(doc.HistorySteps(), 4);
    sizes.clear();

    doc.Undo();  // the import
    EXPECT_EQ(doc.Bounds(), QRect(0, 0, 60, 32));
    EXPECT_EQ(doc.Pic(55, 5), 1);
    EXPECT_EQ(doc.Pic(30, 20), 1);
    EXPECT_EQ(doc.Pic(10, 10), 0);
    EXPECT_TRUE(doc.HexText().startsWith(QStringLiteral(".db  60, 32\r\n")));
    doc.Undo();  // the stroke after the size change
    EXPECT_EQ(doc.Pic(55, 5), 0);
    doc.Undo();  // the size change, as one
    EXPECT_EQ(doc.Bounds(), QRect(0, 0, 40, 32));
    doc.Undo();
    EXPECT_EQ(doc.Pic(30, 20), 0);
    EXPECT_EQ(sizes, (QList<QSize>{QSize(60, 32), QSize(40, 32)}));

    while (doc.CanRedo())
        doc.Redo();
    EXPECT_EQ(doc.Bounds(), QRect(0, 0, 100, 50));
    EXPECT_EQ(doc.Pic(49, 10), 1);
    EXPECT_FALSE(doc.Saved());

    // Sizing there and back again leaves no step.
    const int steps = doc.HistorySteps();
    doc.ChangeSize(59, 49);
    doc.ChangeSize(99, 49);
    EXPECT_EQ(doc.HistorySteps(), steps);
}

}  // namespace
}  // namespace tobrin
