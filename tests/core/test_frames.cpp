#include <gtest/gtest.h>

#include <functional>

#include "core/formats.h"
#include "core/picturedocument.h"
#include "core/playback.h"

namespace tobrin {
namespace {

// Everything of a set a user can see: size, current frame, each frame's
// set cells (as a count and a checksum) and delay.
std::string Describe(const PictureDocument& doc)
{
    std::string out = std::to_string(doc.MaxX() + 1) + "x" + std::to_string(doc.MaxY() + 1) + " @"
        + std::to_string(doc.CurrentFrame()) + ":";
    for (int i = 0; i < doc.FrameCount(); ++i) {
        long sum = 0;
        const PictureData::Plane& plane = doc.FramePlane(i);
        for (std::size_t k = 0; k < plane.size(); ++k)
            sum += long(k * k % 1000003) * plane[k];
        out += " " + std::to_string(sum) + "/" + std::to_string(doc.FrameDelay(i));
    }
    return out;
}

void Stroke(PictureDocument& doc, int x, int y)
{
    doc.BackUp();
    doc.SetPixel(x, y, 1);
}

// Every frame operation mixed with drawing, then Undo all the way back and
// Redo all the way forward: each state must come back exactly, the
// current frame included (Undo of drawing shows the frame drawn on).
// Catches steps that swap the wrong frame, frames that share cells after
// Duplicate, and choosing a frame taken for a change.
TEST(Frames, EveryOperationIsOneStepThatUndoAndRedoRetrace)
{
    PictureDocument doc;
    const std::vector<std::function<void()>> script = {
        [&] { Stroke(doc, 1, 1); },
        [&] { doc.DuplicateFrame(); },
        [&] { Stroke(doc, 2, 2); },  // on the copy only
        [&] { doc.AddFrame(); },
        [&] { Stroke(doc, 3, 3); },
        [&] { doc.SetFrameDelay(1, 250); },
        [&] { doc.MoveFrame(2, 0); },
        [&] { doc.ChangeSize(15, 7); },  // every frame
        [&] { doc.SetCurrentFrame(1); },  // no step of its own
        [&] { Stroke(doc, 4, 4); },
        [&] { doc.SetFrameDelay(-1, 40); },
        [&] { doc.DeleteFrame(); },
    };
    std::vector<std::string> states{Describe(doc)};
    for (const auto& step : script) {
        step();
        states.push_back(Describe(doc));
    }
    EXPECT_EQ(states.back(), "16x8 @1: 527076/40 292820/40");
    // Choosing frame 1 (step 9) is no step: Undo passes from drawing on it
    // straight to the size change on frame 0, Redo the other way.
    for (std::size_t i = states.size() - 1; i-- > 0;) {
        if (i == 8)
            continue;
        doc.Undo();
        EXPECT_EQ(Describe(doc), states[i]) << "after undoing step " << i + 1;
    }
    for (std::size_t i = 1; i < states.size(); ++i) {
        if (i == 9)
            continue;
        doc.Redo();
        EXPECT_EQ(Describe(doc), states[i]) << "after redoing step " << i;
    }
    EXPECT_FALSE(doc.Saved());

    // Undo of a stroke made on another frame goes back to that frame.
    doc.SetCurrentFrame(0);
    doc.Undo();
    EXPECT_EQ(Describe(doc), states[states.size() - 2]);
}

TEST(Frames, LimitsAndRefusals)
{
    PictureDocument doc;
    EXPECT_FALSE(doc.DeleteFrame());  // the last frame stays
    for (int i = 1; i < MonoSet::kMaxFrames; ++i)
        ASSERT_TRUE(doc.AddFrame());
    EXPECT_FALSE(doc.AddFrame());
    EXPECT_FALSE(doc.DuplicateFrame());
    EXPECT_EQ(doc.FrameCount(), MonoSet::kMaxFrames);

    // A rotation would give one frame a size the others do not have.
    PictureDocument set;
    set.AddFrame();
    EXPECT_FALSE(set.TransformPicture(Transform::RotateClockwise).ok);
    EXPECT_TRUE(set.TransformPicture(Transform::FlipHorizontal).ok);
}

// The text Save writes: a single frame exactly as before, a set under
// labels made from the file's name, delays only when they differ.
TEST(Frames, HexTextOfASet)
{
    PictureDocument doc;
    const QString single = doc.HexText();
    EXPECT_TRUE(single.startsWith(QStringLiteral(".db  40, 32\r\n")));
    doc.AddFrame();
    doc.SetFileName(QStringLiteral("/tmp/walk cycle.db"));
    QString text = doc.HexText();
    EXPECT_TRUE(text.startsWith(QStringLiteral("walk_cycle_0:\r\n") + single + QStringLiteral("\r\nwalk_cycle_1:\r\n")))
        << qPrintable(text.left(80));
    doc.SetFrameDelay(1, 30);
    doc.SetPixel(3, 3, 1);
    doc.ChangeSize(15, 7);
    text = doc.HexText();
    EXPECT_TRUE(text.contains(QStringLiteral("walk_cycle_1:\r\n; delay 30 ms\r\n.db  16, 8\r\n")));
    // The document keeps each frame's text; it must still be the writer's.
    EXPECT_EQ(text, HexSetText(doc.Frames(), QStringLiteral("walk_cycle")));
    doc.DeleteFrame();
    EXPECT_TRUE(doc.HexText().startsWith(QStringLiteral(".db  16, 8\r\n")));
}

// Playback is placed by the time elapsed, so however late the ticks come
// the frames keep their times over any number of loops.
TEST(Frames, PlaybackPosition)
{
    const std::vector<int> delays{100, 50, 200};
    const struct {
        qint64 elapsed;
        int frame;
        qint64 untilNext;
    } cases[] = {{0, 0, 100},   {99, 0, 1},   {100, 1, 50},  {149, 1, 1},
                 {150, 2, 200}, {349, 2, 1},  {350, 0, 100}, {350LL * 1000000 + 120, 1, 30}};
    for (const auto& c : cases) {
        const PlaybackPosition at = PositionAt(delays, c.elapsed);
        EXPECT_EQ(at.frame, c.frame) << c.elapsed;
        EXPECT_EQ(at.untilNext, c.untilNext) << c.elapsed;
    }
}

}  // namespace
}  // namespace tobrin
