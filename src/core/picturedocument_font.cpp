#include <algorithm>

#include "core/formats.h"
#include "core/picturedocument.h"
#include "core/picturedocument_impl.h"
#include "core/pixelfont.h"

namespace tobrin {

namespace {
constexpr int kAdvanceStep = 3;  // dragging or spinning an advance is one step
constexpr int kAscentStep = 4;   // and so is the baseline
constexpr char32_t kNoCharacter = 0x110000;
}  // namespace

char32_t PictureDocument::FreeCodeAfter(char32_t code, const std::vector<FrameSlot>& extra) const
{
    auto taken = [&](char32_t c) {
        auto has = [c](const FrameSlot& s) { return s.code == c; };
        return std::any_of(frames_.begin(), frames_.end(), has) || std::any_of(extra.begin(), extra.end(), has);
    };
    for (char32_t c = code + 1; c < kNoCharacter; ++c)
        if (!taken(c))
            return c;
    for (char32_t c = 0x20; c < code; ++c)
        if (!taken(c))
            return c;
    return code;  // a font holds far fewer glyphs than there are characters
}

int PictureDocument::GlyphAdvance(int i) const
{
    return std::clamp(frames_[std::size_t(i)].advance, 0, data_.Width());
}

int PictureDocument::FontAscent() const { return std::clamp(font_.ascent, 0, data_.Height()); }

PixelFont PictureDocument::Font() const
{
    PixelFont font;
    font.name = font_.name;
    font.cellWidth = data_.Width();
    font.cellHeight = data_.Height();
    font.ascent = FontAscent();
    font.left = font_.left;
    for (int i = 0; i < FrameCount(); ++i)
        font.glyphs.push_back(Glyph{GlyphCode(i), GlyphAdvance(i),
                                    MonoPicture::FromPlane(FramePlane(i).data(), data_.Width(), data_.Height())});
    std::stable_sort(font.glyphs.begin(), font.glyphs.end(),
                     [](const Glyph& a, const Glyph& b) { return a.code < b.code; });
    return font;
}

void PictureDocument::LoadFont(const PixelFont& font, const QString& fileName)
{
    LoadSet(font.ToSet(), fileName);
    font_ = FontMeta{true, font.ascent, font.left, font.name};
    for (std::size_t i = 0; i < font.glyphs.size(); ++i) {
        frames_[i].code = font.glyphs[i].code;
        frames_[i].advance = font.glyphs[i].advance;
    }
    // The views drew the frames before they were glyphs: once more, with
    // the guides and the characters.
    const Batch batch(*this);
    hexValid_ = false;
    Touched(Bounds());
    emit framesChanged();
}

void PictureDocument::SetGlyphAdvance(int i, int advance)
{
    advance = std::clamp(advance, 0, data_.Width());
    if (!font_.on || i < 0 || i >= FrameCount() || GlyphAdvance(i) == advance)
        return;
    std::vector<FrameSlot> old = BeginFramesStep();
    frames_[std::size_t(i)].advance = advance;
    EndFramesStep(std::move(old), current_, kAdvanceStep);
}

void PictureDocument::SetFontAscent(int ascent)
{
    ascent = std::clamp(ascent, 0, data_.Height());
    if (!font_.on || FontAscent() == ascent)
        return;
    std::vector<FrameSlot> old = BeginFramesStep();
    font_.ascent = ascent;
    EndFramesStep(std::move(old), current_, kAscentStep);
}

bool PictureDocument::SetGlyphCode(int i, char32_t code)
{
    if (!font_.on || i < 0 || i >= FrameCount() || code >= kNoCharacter)
        return false;
    if (GlyphCode(i) == code)
        return true;
    for (int j = 0; j < FrameCount(); ++j)
        if (GlyphCode(j) == code)
            return false;
    std::vector<FrameSlot> old = BeginFramesStep();
    frames_[std::size_t(i)].code = code;
    EndFramesStep(std::move(old), current_, kAnyStep);
    return true;
}

}  // namespace tobrin
