#include <gtest/gtest.h>

#include <QBuffer>

#include "core/drawingstate.h"
#include "core/hexreader.h"
#include "core/importpipeline.h"
#include "core/picturedocument.h"
#include "imagefiles.h"

namespace tobrin {
namespace {

// Everything the document announces, in order.
struct Heard {
    QList<QRect> pixels;
    QList<QSize> sizes;
    QList<bool> saved;
    QStringList names;

    explicit Heard(PictureDocument& doc)
    {
        QObject::connect(&doc, &PictureDocument::pixelsChanged, [this](const QRect& r) { pixels << r; });
        QObject::connect(&doc, &PictureDocument::sizeChanged, [this](int w, int h) { sizes << QSize(w, h); });
        QObject::connect(&doc, &PictureDocument::savedChanged, [this](bool s) { saved << s; });
        QObject::connect(&doc, &PictureDocument::fileNameChanged, [this](const QString& n) { names << n; });
    }
};

std::optional<HexPicture> Read(const QByteArray& text)
{
    QBuffer buffer;
    buffer.setData(text);
    return ReadHexData(buffer);
}

TEST(PictureDocument, UndoRestoresTheBackUpWithinTheCurrentSize)
{
    PictureDocument doc;
    doc.SetPixel(5, 5, 1);
    doc.BackUp();
    doc.SetPixel(6, 6, 1);
    doc.Undo();
    EXPECT_EQ(doc.Pic(6, 6), 0);
    EXPECT_EQ(doc.Pic(5, 5), 1);

    // A size change backs up; Undo afterwards keeps the new size.
    doc.SetPixel(6, 6, 1);
    doc.ChangeSize(99, 49);
    doc.SetPixel(70, 40, 1);
    Heard heard(doc);
    doc.Undo();
    EXPECT_EQ(doc.Pic(70, 40), 0);
    EXPECT_EQ(doc.Pic(6, 6), 1);
    EXPECT_EQ(doc.Bounds(), QRect(0, 0, 100, 50));
    EXPECT_EQ(heard.pixels, QList<QRect>{doc.Bounds()});
    EXPECT_TRUE(heard.sizes.isEmpty());
    EXPECT_TRUE(heard.saved.isEmpty());  // Undo leaves the saved flag alone
}

TEST(PictureDocument, LoadingAReadFileReplacesPixelsSizeAndNameAsASavedPicture)
{
    PictureDocument doc;
    doc.SetPixel(30, 20, 1);
    doc.MarkModified();
    // What a failed read gives is nothing to load: the document stays.
    EXPECT_FALSE(Read(".db 8,4\r\n.db 1\r\n"));

    Heard heard(doc);
    const auto picture = Read(".db 12,4\r\n.db $80,$10\r\n.db 0,0\r\n.db 0,0\r\n.db 0,$f0\r\n");
    ASSERT_TRUE(picture);
    doc.LoadPicture(*picture, QStringLiteral("/tmp/a.txt"));
    EXPECT_EQ(doc.Bounds(), QRect(0, 0, 12, 4));
    EXPECT_EQ(doc.Pic(0, 0), 1);
    EXPECT_EQ(doc.Pic(11, 0), 1);
    EXPECT_EQ(doc.Pic(30, 20), 0);  // the whole array is replaced
    EXPECT_EQ(doc.UndoPixel(11, 0), 1);  // the undo copy is the opened picture
    EXPECT_TRUE(doc.Saved());
    EXPECT_EQ(doc.FileName(), QStringLiteral("/tmp/a.txt"));
    EXPECT_EQ(heard.sizes, QList<QSize>{QSize(12, 4)});
    EXPECT_EQ(heard.pixels.size(), 1);  // once, after the size
    EXPECT_EQ(heard.saved, QList<bool>{true});
    EXPECT_TRUE(doc.HexText().startsWith(QStringLiteral(".db  12, 4\r\n.db $80,$10\r\n")));
}

TEST(PictureDocument, ImportTakesThePipelinesTargetAsAnUnsavedPicture)
{
    PictureDocument doc;
    ImportPipeline pipeline;
    pipeline.Paste(testfiles::HalfBlack(100, 50));
    Heard heard(doc);
    doc.Import(pipeline);
    EXPECT_EQ(doc.Bounds(), QRect(0, 0, 100, 50));
    EXPECT_EQ(doc.Pic(49, 10), 1);
    EXPECT_EQ(doc.Pic(50, 10), 0);
    EXPECT_EQ(doc.UndoPixel(49, 10), 1);
    EXPECT_EQ(heard.saved, QList<bool>{false});
    EXPECT_EQ(heard.sizes, QList<QSize>{QSize(100, 50)});
    EXPECT_EQ(heard.pixels.size(), 1);
}

TEST(PictureDocument, ChangeSizeClampsAndAnnouncesEveryApplication)
{
    PictureDocument doc;
    Heard heard(doc);
    doc.ChangeSize(2, 500);
    doc.ChangeSize(3, 119);  // the same size again is announced again
    EXPECT_EQ(heard.sizes, (QList<QSize>{QSize(4, 120), QSize(4, 120)}));
    EXPECT_TRUE(doc.HexText().startsWith(QStringLiteral(".db  4, 120\r\n")));
    EXPECT_EQ(doc.HexText().count(QStringLiteral("\r\n")), 121);
}

TEST(PictureDocument, BatchedPlotsAndBlocksAreAnnouncedOnce)
{
    PictureDocument doc;
    Heard heard(doc);
    {
        const PictureDocument::Batch batch(doc);
        EXPECT_TRUE(doc.PlotPixel(2, 3, 1, PaintStyle::Black, true).draw);
        EXPECT_FALSE(doc.PlotPixel(9, 9, 0, PaintStyle::Black, true).draw);  // white is transparent
        doc.PlotPixel(7, 1, 1, PaintStyle::Reverse, true);
        EXPECT_TRUE(heard.pixels.isEmpty());
    }
    EXPECT_EQ(heard.pixels, QList<QRect>{QRect(QPoint(2, 1), QPoint(7, 3))});
    EXPECT_EQ(doc.Pic(7, 1), 1);
    doc.PlotPixel(7, 1, 1, PaintStyle::Reverse, true);  // clearing is not stored while white is transparent
    EXPECT_EQ(doc.Pic(7, 1), 1);
    doc.PlotPixel(7, 1, 1, PaintStyle::Reverse, false);
    EXPECT_EQ(doc.Pic(7, 1), 0);

    // A cut in the paint colour.
    doc.FillBlock(QRect(QPoint(1, 1), QPoint(3, 4)), 1);
    EXPECT_EQ(heard.pixels.last(), QRect(QPoint(1, 1), QPoint(3, 4)));
    EXPECT_EQ(doc.Pic(3, 4), 1);
    EXPECT_EQ(doc.Pic(4, 4), 0);
}

TEST(PictureDocument, SavedFlagAndFileNameAreAnnouncedOnChangeOnly)
{
    PictureDocument doc;
    Heard heard(doc);
    doc.MarkModified();
    doc.MarkModified();
    doc.MarkSaved(QStringLiteral("x.txt"));
    EXPECT_EQ(heard.saved, (QList<bool>{false, true}));
    EXPECT_EQ(heard.names, QStringList{QStringLiteral("x.txt")});

    doc.SetPixel(1, 1, 1);
    doc.ChangeSize(99, 99);
    doc.MarkModified();
    doc.NewPicture();
    EXPECT_TRUE(doc.Saved());
    EXPECT_TRUE(doc.FileName().isEmpty());
    EXPECT_EQ(doc.Bounds(), QRect(0, 0, 40, 32));
    EXPECT_EQ(doc.Pic(1, 1), 0);
    EXPECT_EQ(doc.UndoPixel(1, 1), 0);
}

}  // namespace
}  // namespace tobrin
