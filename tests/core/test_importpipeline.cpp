#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "core/imageloader.h"
#include "core/importpipeline.h"
#include "core/units.h"
#include "imagefiles.h"

namespace tobrin {
namespace {

constexpr QRgb kBlack = 0xFF000000u;
constexpr QRgb kWhite = 0xFFFFFFFFu;

QImage Filled(int w, int h, QRgb c)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(c);
    return image;
}

int CountBlack(const QImage& image)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += image.pixel(x, y) == kBlack;
    return n;
}

bool RowAllBlack(const QImage& image, int y)
{
    for (int x = 0; x < image.width(); ++x)
        if (image.pixel(x, y) != kBlack)
            return false;
    return true;
}

bool RowAllWhite(const QImage& image, int y)
{
    for (int x = 0; x < image.width(); ++x)
        if (image.pixel(x, y) != kWhite)
            return false;
    return true;
}

// Records what the pipeline tells its view.
struct Heard {
    int options = 0, sizes = 0, begins = 0, ends = 0;
    void Attach(ImportPipeline& p)
    {
        p.OptionsChanged = [this] { ++options; };
        p.SizeChanged = [this] { ++sizes; };
        p.ConvertBegin = [this] { ++begins; };
        p.ConvertEnd = [this] { ++ends; };
    }
};

TEST(ImportPipeline, StartsAtTheControlsInitialStates)
{
    const ImportPipeline p;
    EXPECT_TRUE(p.uRed() && p.uGreen() && p.uBlue());
    EXPECT_EQ(p.Tolerance(), 155);
    EXPECT_FALSE(p.Invert());
    EXPECT_FALSE(p.Aspect());
    EXPECT_TRUE(p.MatchSize());
    EXPECT_TRUE(p.MatchSizeAvailable());
    EXPECT_EQ(p.HSize(), 40);
    EXPECT_EQ(p.VSize(), 32);
    EXPECT_FALSE(p.HasSource());
    EXPECT_EQ(p.Dest().size(), QSize(40, 32));
    EXPECT_EQ(CountBlack(p.Dest()), 0);
}

TEST(ImportPipeline, WithoutSourceNothingRunsOrChanges)
{
    ImportPipeline p;
    Heard heard;
    heard.Attach(p);
    p.SetRed(false);
    p.SetGreen(false);
    p.SetBlue(false);
    p.ConvertImage();
    EXPECT_EQ(p.Conversions(), 0);
    EXPECT_EQ(heard.begins, 0);  // the caption never says "Converting... "
    EXPECT_EQ(heard.options, 0);
    EXPECT_FALSE(p.uRed());      // nothing forced Red back on
    EXPECT_TRUE(p.MatchSize());
    EXPECT_EQ(p.Dest().size(), QSize(40, 32));
}

TEST(ImportPipeline, AllComponentsOffSwitchesRedOnAndMatchesRedAlone)
{
    QImage src(20, 10, QImage::Format_RGB32);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 20; ++x)
            src.setPixel(x, y, qRgb(x * 13, 255 - x * 13, y * 25));

    ImportPipeline redAlone;
    redAlone.SetGreen(false);
    redAlone.SetBlue(false);
    redAlone.Paste(src);

    ImportPipeline none;
    Heard heard;
    heard.Attach(none);
    none.SetRed(false);
    none.SetGreen(false);
    none.SetBlue(false);
    none.Paste(src);
    EXPECT_TRUE(none.uRed());
    EXPECT_FALSE(none.uGreen() || none.uBlue());
    EXPECT_GE(heard.options, 1);
    EXPECT_EQ(none.Dest(), redAlone.Dest());
}

TEST(ImportPipeline, MatchSizeTakesTheSourceSizeAndFillsTheTarget)
{
    ImportPipeline p;
    Heard heard;
    heard.Attach(p);
    // Black left half: with the target at the source's size the image
    // fills it 1:1.
    p.Paste(testfiles::HalfBlack(100, 50));
    EXPECT_EQ(p.HSize(), 100);
    EXPECT_EQ(p.VSize(), 50);
    EXPECT_TRUE(p.MatchSize());
    EXPECT_TRUE(p.Aspect());  // switched on, but not shaping while Match size is on
    EXPECT_EQ(heard.sizes, 2);
    ASSERT_EQ(p.Dest().size(), QSize(100, 50));
    for (int y = 0; y < 50; y += 7)
        for (int x = 0; x < 100; ++x)
            ASSERT_EQ(p.Dest().pixel(x, y), x < 50 ? kBlack : kWhite) << x << "," << y;
    EXPECT_EQ(p.Conversions(), 1);
    EXPECT_EQ(heard.begins, 1);
    EXPECT_EQ(heard.ends, 1);
}

TEST(ImportPipeline, MovingASizeSliderUnchecksMatchSizeAndConvertsAtOnce)
{
    ImportPipeline p;
    p.Paste(Filled(100, 50, kBlack));
    ASSERT_TRUE(p.MatchSize());
    const int before = p.Conversions();
    EXPECT_TRUE(p.SetHSize(101));
    EXPECT_FALSE(p.MatchSize());
    EXPECT_EQ(p.Conversions(), before + 1);
    // Maintain aspect (switched on by the Match size run) now shapes it:
    // rT = 101/50 = 2.02 >= rD = 2, so 50 high and 50 * 102 / 52 = 98 wide.
    ASSERT_EQ(p.Dest().size(), QSize(101, 50));
    EXPECT_EQ(p.Dest().pixel(97, 49), kBlack);
    EXPECT_EQ(p.Dest().pixel(98, 0), kWhite);
    EXPECT_EQ(CountBlack(p.Dest()), 98 * 50);
    // Sizes equal to the source leave it checked; an unchanged value is no change.
    EXPECT_FALSE(p.SetHSize(101));
}

TEST(ImportPipeline, SizeChangeWithMatchSizeOffOnlyResizes)
{
    ImportPipeline p;
    p.SetMatchSize(false);
    p.Paste(Filled(100, 50, kBlack));
    const int before = p.Conversions();
    EXPECT_TRUE(p.SetHSize(60));
    EXPECT_EQ(p.Dest().size(), QSize(60, 32));
    EXPECT_EQ(p.Conversions(), before);  // the view's delay converts later
}

TEST(ImportPipeline, AspectKeepsFramedProportionsAndLeavesTheRestWhite)
{
    // Target 40 x 32, copy 100 x 50: drawn 40 wide and 40 * 52 / 102 = 20.4
    // high at the top; the rows below stay white.
    ImportPipeline p;
    p.SetMatchSize(false);
    p.SetAspect(true);
    p.Paste(Filled(100, 50, kBlack));
    ASSERT_EQ(p.Dest().size(), QSize(40, 32));
    for (int y = 0; y < 20; ++y)
        EXPECT_TRUE(RowAllBlack(p.Dest(), y)) << y;
    for (int y = 20; y < 32; ++y)
        EXPECT_TRUE(RowAllWhite(p.Dest(), y)) << y;

    // Without aspect the image fills the whole target.
    p.SetAspect(false);
    p.ConvertImage();
    EXPECT_EQ(CountBlack(p.Dest()), 40 * 32);
}

TEST(ImportPipeline, EqualProportionsTakeTheHeightBranch)
{
    // Target 80 x 40 and copy 100 x 50 are both 2:1; the height branch
    // draws 40 high and 40 * 102 / 52 = 78.5 -> 78 wide.
    ImportPipeline p;
    p.SetMatchSize(false);
    p.SetAspect(true);
    p.SetHSize(80);
    p.SetVSize(40);
    p.Paste(Filled(100, 50, kBlack));
    EXPECT_EQ(CountBlack(p.Dest()), 78 * 40);
    EXPECT_FALSE(RowAllBlack(p.Dest(), 39));
    EXPECT_EQ(p.Dest().pixel(77, 39), kBlack);
    EXPECT_EQ(p.Dest().pixel(78, 0), kWhite);
}

TEST(ImportPipeline, DestHoldsOnlyPureBlackAndWhite)
{
    QImage src(300, 200, QImage::Format_RGB32);
    for (int y = 0; y < src.height(); ++y)
        for (int x = 0; x < src.width(); ++x)
            src.setPixel(x, y, qRgb(x % 256, (y * 3) % 256, (x + y) % 256));
    ImportPipeline p;
    p.SetAspect(true);
    p.Paste(src);
    for (const int t : {1, 60, 155, 254}) {
        p.SetTolerance(t);
        p.ConvertImage();
        for (int y = 0; y < p.Dest().height(); ++y)
            for (int x = 0; x < p.Dest().width(); ++x)
                ASSERT_TRUE(p.Dest().pixel(x, y) == kBlack || p.Dest().pixel(x, y) == kWhite);
    }
}

struct CopyCase {
    int w, h;
    QSize copy;
};

TEST(ImportPipeline, DisplayCopyFitsTheBoxKeepingFramedProportions)
{
    // The box is 2900 x 1450 window units, frame included.
    ASSERT_EQ(ImportPipeline::DisplayBox(), QSize(units::ToPixels(2900), units::ToPixels(1450)));
    const QSize box = ImportPipeline::DisplayBox();
    const CopyCase cases[] = {
        {100, 50, {100, 50}},                              // 1:1
        {1, 1, {1, 1}},
        {box.width() - 2, box.height() - 2, {box.width() - 2, box.height() - 2}},  // exactly fits
        // 400 x 100: box width kept, framed height 102 / 402 * 203 = 51.5 -> 52.
        {400, 100, {201, 50}},
        // Tall: box height kept, framed width 52 / 402 * 102 = 13.2 -> 13.
        {50, 400, {11, 100}},
        // One pixel too wide: 102 / 204 * 203 = 101.5 -> 102 (to even).
        {202, 100, {201, 100}},
        // A giant sliver keeps at least one row.
        {20000, 3, {201, 1}},
        // Just under the box's proportion: 1002 / 2002 * 102 would be 204,
        // one past the box; the copy stays inside.
        {2000, 1000, {201, 100}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ImportPipeline::DisplayCopySize(c.w, c.h), c.copy) << c.w << "x" << c.h;
    ASSERT_EQ(box, QSize(203, 102));  // the cases above assume this scale
}

TEST(ImportPipeline, DisplayCopyShrinksKeepingBlack)
{
    QImage src = Filled(400, 100, kWhite);
    src.setPixel(399, 99, kBlack);
    src.setPixel(0, 0, kBlack);
    ImportPipeline p;
    p.Paste(src);
    EXPECT_EQ(p.Source().size(), QSize(400, 100));
    ASSERT_EQ(p.Disp().size(), QSize(201, 50));
    EXPECT_EQ(p.Disp().pixel(0, 0), kBlack);
    EXPECT_EQ(p.Disp().pixel(200, 49), kBlack);
    EXPECT_EQ(CountBlack(p.Disp()), 2);
}

struct AvailabilityCase {
    int w, h;
    bool available;
};

TEST(ImportPipeline, MatchSizeAvailableOnlyUpToTheLargestPicture)
{
    const AvailabilityCase cases[] = {
        {240, 120, true}, {241, 10, false}, {10, 121, false}, {100, 50, true}, {1000, 1000, false},
    };
    for (const auto& c : cases) {
        ImportPipeline p;
        p.Paste(Filled(c.w, c.h, kWhite));
        EXPECT_EQ(p.MatchSizeAvailable(), c.available) << c.w << "x" << c.h;
        EXPECT_EQ(p.MatchSize(), c.available) << c.w << "x" << c.h;
        if (c.available) {
            EXPECT_EQ(QSize(p.HSize(), p.VSize()), QSize(c.w, c.h));
        } else {
            EXPECT_EQ(QSize(p.HSize(), p.VSize()), QSize(40, 32));
            EXPECT_FALSE(p.Aspect());
        }
    }
}

TEST(ImportPipeline, UncheckedMatchSizeStaysOffWhenAvailableAgain)
{
    ImportPipeline p;
    p.Paste(Filled(300, 10, kWhite));
    EXPECT_FALSE(p.MatchSize());
    p.Paste(Filled(30, 10, kWhite));
    EXPECT_TRUE(p.MatchSizeAvailable());
    EXPECT_FALSE(p.MatchSize());
    EXPECT_EQ(QSize(p.HSize(), p.VSize()), QSize(40, 32));
}

TEST(ImportPipeline, MatchSizeWithATinySourceClampsToTheSliderRanges)
{
    // 5 x 3 is below the sliders' 8 and 4: the target is clamped, which no
    // longer matches the source, so Match size goes off and the kept aspect
    // shapes the drawing.
    ImportPipeline p;
    p.Paste(Filled(5, 3, kBlack));
    EXPECT_EQ(p.HSize(), 8);
    EXPECT_EQ(p.VSize(), 4);
    EXPECT_EQ(p.Dest().size(), QSize(8, 4));
    EXPECT_FALSE(p.MatchSize());
    EXPECT_TRUE(p.Aspect());
    EXPECT_EQ(p.Conversions(), 1);  // the nested click is folded into the run

    // The same when a slider already sits at its minimum.
    ImportPipeline q;
    q.SetMatchSize(false);
    q.SetHSize(8);
    q.SetMatchSize(true);
    q.Paste(Filled(5, 3, kBlack));
    EXPECT_EQ(q.Dest().size(), QSize(8, 4));
    EXPECT_FALSE(q.MatchSize());
}

TEST(ImportPipeline, SlidersKeepToTheirRanges)
{
    ImportPipeline p;
    p.SetMatchSize(false);
    p.SetHSize(1000);
    p.SetVSize(-5);
    p.SetTolerance(0);
    EXPECT_EQ(p.HSize(), 240);
    EXPECT_EQ(p.VSize(), 4);
    EXPECT_EQ(p.Tolerance(), 1);
    p.SetTolerance(256);
    EXPECT_EQ(p.Tolerance(), 255);
    EXPECT_EQ(p.Dest().size(), QSize(240, 4));
}

TEST(ImportPipeline, ImportWritesExactlyTheTargetCells)
{
    ImportPipeline p;
    p.SetMatchSize(false);
    p.Paste(testfiles::HalfBlack(80, 64));  // 40 x 32 target: columns 0..19 black

    PictureData d;
    d.PicData.fill(1);
    d.MaxX = 100;
    d.MaxY = 80;
    p.GetImport(d);
    EXPECT_EQ(d.MaxX, 39);
    EXPECT_EQ(d.MaxY, 31);
    for (int y = 0; y < kPicRows; ++y) {
        for (int x = 0; x < kPicColumns; ++x) {
            const int expected = (x < 40 && y < 32) ? (x < 20 ? 1 : 0) : 1;
            ASSERT_EQ(d.Pic(x, y), expected) << x << "," << y;
        }
    }
}

TEST(ImportPipeline, ImportBeforeAnySourceGivesAClearPicture)
{
    ImportPipeline p;
    p.SetMatchSize(false);
    p.SetHSize(240);
    p.SetVSize(120);
    PictureData d;
    d.PicData.fill(1);
    p.GetImport(d);
    EXPECT_EQ(d.MaxX, 239);
    EXPECT_EQ(d.MaxY, 119);
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 240; ++x)
            ASSERT_EQ(d.Pic(x, y), 0);
    EXPECT_EQ(d.Pic(240, 0), 1);
    EXPECT_EQ(d.Pic(0, 120), 1);
}

TEST(ImportPipeline, LoadCancelledFailedAndSucceeded)
{
    testfiles::EnsureApp();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString good = dir.filePath(QStringLiteral("half.png"));
    ASSERT_TRUE(testfiles::HalfBlack(60, 30).save(good));
    const QString bad = dir.filePath(QStringLiteral("bad.bmp"));
    {
        QFile f(bad);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("BM this is no bitmap");
    }
    ImageLoader loader;
    ImportPipeline p;

    // A failed Load as the very first thing leaves nothing to convert.
    p.BeginLoad();
    EXPECT_FALSE(p.FinishLoad(bad, loader));
    EXPECT_FALSE(p.HasSource());
    p.ConvertImage();
    EXPECT_EQ(p.Conversions(), 0);

    p.BeginLoad();
    ASSERT_TRUE(p.FinishLoad(good, loader));
    EXPECT_TRUE(p.HasSource());
    EXPECT_EQ(p.SourceFile(), good);
    EXPECT_EQ(p.Disp().size(), QSize(60, 30));
    EXPECT_EQ(QSize(p.HSize(), p.VSize()), QSize(60, 30));
    const QImage shown = p.Disp();

    // Cancelled: no source, the display copy stays, options convert nothing.
    p.BeginLoad();
    EXPECT_TRUE(p.FinishLoad(QString(), loader));
    EXPECT_FALSE(p.HasSource());
    EXPECT_EQ(p.Disp(), shown);
    const int runs = p.Conversions();
    p.SetInvert(true);
    p.ConvertImage();
    EXPECT_EQ(p.Conversions(), runs);

    // Failed after a success: the chosen name counts as a source and the
    // previous display copy keeps converting.
    p.BeginLoad();
    EXPECT_FALSE(p.FinishLoad(bad, loader));
    EXPECT_TRUE(p.HasSource());
    EXPECT_EQ(p.SourceFile(), bad);
    EXPECT_EQ(p.Disp(), shown);
    p.ConvertImage();
    EXPECT_EQ(p.Conversions(), runs + 1);
}

TEST(ImportPipeline, PasteWithoutBitmapChangesNothing)
{
    ImportPipeline p;
    EXPECT_FALSE(p.Paste(QImage()));
    EXPECT_FALSE(p.HasSource());
    EXPECT_EQ(p.Conversions(), 0);
}

TEST(ImportPipeline, TransparentPartsCountAsWhite)
{
    QImage src(10, 10, QImage::Format_ARGB32);
    src.fill(qRgba(0, 0, 0, 0));  // fully transparent "black"
    src.setPixel(3, 3, qRgba(0, 0, 0, 255));
    ImportPipeline p;
    p.Paste(src);
    EXPECT_EQ(p.Source().pixel(0, 0), kWhite);
    EXPECT_EQ(CountBlack(p.Dest()), 1);
}

}  // namespace
}  // namespace tobrin
