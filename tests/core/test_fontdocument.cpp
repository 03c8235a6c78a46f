#include <gtest/gtest.h>

#include "core/picturedocument.h"
#include "core/pixelfont.h"
#include "core/recoveryfile.h"

namespace tobrin {
namespace {

PixelFont ThreeGlyphs()
{
    PixelFont font;
    font.cellWidth = 6;
    font.cellHeight = 8;
    font.ascent = 6;
    for (char32_t c : {U'A', U'B', U'Z'}) {
        Glyph g{c, 5, {}};
        g.bitmap.width = 6;
        g.bitmap.height = 8;
        g.bitmap.At(int(c) % 5, 2) = 1;
        font.glyphs.push_back(g);
    }
    return font;
}

// A font's metadata lives beside the frames: every font operation must
// be one history step that Undo and Redo retrace, new glyphs must take
// free characters so the font stays a font, and a later picture must not
// inherit the font. Catches metadata left out of the frames' history.
TEST(FontDocument, MetadataFollowsHistoryAndFrameOperations)
{
    PictureDocument doc;
    const PixelFont font = ThreeGlyphs();
    doc.LoadFont(font, QString());
    ASSERT_TRUE(doc.IsFont());
    EXPECT_EQ(doc.Font(), font);
    EXPECT_TRUE(doc.Saved());

    // A drag of the advance guide sends many values: one step.
    doc.SetGlyphAdvance(0, 4);
    doc.SetGlyphAdvance(0, 3);
    doc.SetFontAscent(7);
    EXPECT_FALSE(doc.SetGlyphCode(1, U'Z'));  // another glyph has it
    EXPECT_TRUE(doc.SetGlyphCode(1, U'0'));
    EXPECT_EQ(doc.HistorySteps(), 3);
    EXPECT_EQ(doc.GlyphAdvance(0), 3);
    const PixelFont edited = doc.Font();
    EXPECT_EQ(edited.glyphs.front().code, U'0');  // in character order
    EXPECT_TRUE(edited.Check());

    doc.SetCurrentFrame(2);  // 'Z'
    ASSERT_TRUE(doc.DuplicateFrame());
    ASSERT_TRUE(doc.AddFrame());
    EXPECT_EQ(doc.GlyphCode(3), U'[');
    EXPECT_EQ(doc.GlyphCode(4), U'\\');
    EXPECT_TRUE(doc.Font().Check());

    while (doc.CanUndo())
        doc.Undo();
    EXPECT_EQ(doc.Font(), font);
    EXPECT_TRUE(doc.Saved());
    while (doc.CanRedo())
        doc.Redo();
    EXPECT_EQ(doc.FrameCount(), 5);
    EXPECT_EQ(doc.FontAscent(), 7);

    // The cell narrower than an advance keeps the advance within it.
    doc.ChangeSize(3, 7);
    EXPECT_EQ(doc.GlyphAdvance(1), 4);
    EXPECT_TRUE(doc.Font().Check());

    doc.NewPicture();
    EXPECT_FALSE(doc.IsFont());
}

// A font's recovery copy must bring back the font, not frames without
// their characters.
TEST(FontDocument, RecoveryCopyKeepsTheFont)
{
    const PixelFont font = ThreeGlyphs();
    const RecoveryHeader header{QStringLiteral("/x/f.db"), true, QDateTime::currentDateTimeUtc()};
    const std::optional<RecoveryCopy> copy = DecodeRecoveryCopy(RecoveryText(font, header));
    ASSERT_TRUE(copy && copy->font);
    EXPECT_EQ(*copy->font, font);
    EXPECT_EQ(copy->set.Count(), 3);
}

}  // namespace
}  // namespace tobrin
