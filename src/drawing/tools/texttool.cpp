#include <algorithm>
#include <string>

#include "core/drawingstate.h"
#include "core/pixelfont.h"
#include "core/picturedocument.h"
#include "core/scratchsurface.h"
#include "drawing/tools/textfontbar.h"
#include "drawing/tools/tool.h"
#include "drawing/tools/toolregistry.h"

namespace tobrin {

// Typed text: a click places the top-left of the text's cell on the cell
// clicked; what is typed then shows tentatively, as a shape being dragged
// does, with a cursor that Left, Right, Home and End move and before which
// Backspace deletes. Enter, another click or another tool stores it as one
// history step through the paint style; Esc drops it. Text reaching past
// the picture is cut off there.
class TextTool : public Tool {
public:
    TextTool()
        : Tool({QStringLiteral("text"), QStringLiteral("Text"), QLatin1Char('T'), QStringLiteral("text"), true, true,
                false, QStringLiteral("Click, then type; Enter stores the text"), false})
    {
    }

    QWidget* MakeSettings(ToolEnvironment& env, QWidget* parent) override
    {
        bar_ = new TextFontBar(env, parent, [this, &env] {
            // The text under way is shown in the new font, and the keys go
            // to it again.
            if (typing_) {
                Show(env);
                env.FocusCanvas();
            }
        });
        return bar_;
    }

    void Press(ToolEnvironment& env, QPoint cell, Qt::KeyboardModifiers) override
    {
        Store(env);  // the text before stays where it was typed
        typing_ = true;
        origin_ = cell;
        text_.clear();
        cursor_ = 0;
        Show(env);
    }

    // The marks on the scratch surface are the text's, not to be stored at
    // a release; a right click may have swapped the paint colour.
    void Release(ToolEnvironment& env, bool) override
    {
        if (typing_)
            Show(env);
    }

    bool Key(ToolEnvironment& env, int key) override
    {
        if (!typing_)
            return false;
        const int length = int(text_.size());
        switch (key) {
        case Qt::Key_Escape:
            Drop(env);
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            Store(env);
            return true;
        case Qt::Key_Backspace:
            if (cursor_ > 0)
                text_.erase(--cursor_, 1);
            break;
        case Qt::Key_Delete:
            if (cursor_ < length)
                text_.erase(cursor_, 1);
            break;
        case Qt::Key_Left:
            cursor_ = std::max(cursor_ - 1, 0);
            break;
        case Qt::Key_Right:
            cursor_ = std::min(cursor_ + 1, length);
            break;
        case Qt::Key_Home:
            cursor_ = 0;
            break;
        case Qt::Key_End:
            cursor_ = length;
            break;
        default:
            return false;
        }
        Show(env);
        return true;
    }

    bool Text(ToolEnvironment& env, const QString& text) override
    {
        if (!typing_)
            return false;
        // Characters the font lacks are not typed: the cursor never steps
        // over something unseen.
        const PixelFont* font = Font();
        for (const uint c : text.toUcs4()) {
            const bool control = c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0);
            if (!control && font && font->Find(char32_t(c)))
                text_.insert(std::size_t(cursor_++), 1, char32_t(c));
        }
        Show(env);
        return true;
    }

    bool Typing() const override { return typing_; }
    void Redrawn(ToolEnvironment& env) override
    {
        if (typing_)
            Show(env);
    }
    void Leave(ToolEnvironment& env) override { Store(env); }
    void Finish(ToolEnvironment& env) override { Store(env); }
    Qt::CursorShape Cursor() const override { return Qt::IBeamCursor; }

private:
    const PixelFont* Font() const { return bar_ ? bar_->Font() : nullptr; }

    void Show(ToolEnvironment& env)
    {
        env.LoadHolder();
        env.ClearTentative();
        const PixelFont* font = Font();
        if (!font)
            return;
        ScratchSurface& holder = env.Holder();
        const QPoint at = env.ToHolder(origin_);
        DrawText(*font, text_, at.x(), at.y(), [&holder](int x, int y) { holder.SetPixel(x, y, ScratchSurface::kRed); });
        env.TransferHolder(false);
        // The cursor: a column of the cell's height just left of where the
        // next character goes, in the colour the text is drawn in.
        const int pen = TextAdvance(*font, text_.substr(0, std::size_t(cursor_)));
        const int x = std::max(origin_.x() + pen + font->left - 1, 0);
        const bool set = env.State().PaintStyle != PaintStyle::White;
        for (int row = 0; row < font->cellHeight; ++row)
            env.ShowTentativeCell(QPoint(x, origin_.y() + row), set);
    }

    void Store(ToolEnvironment& env)
    {
        if (!typing_)
            return;
        typing_ = false;
        const PixelFont* font = Font();
        if (!font || text_.empty()) {
            Drop(env);
            return;
        }
        // A step of its own, whatever came between the click and now (an
        // Undo, or the text stored before at this click).
        env.Document().BackUp();
        env.StoreMarks([this, font](ScratchSurface& marks) {
            DrawText(*font, text_, origin_.x(), origin_.y(),
                     [&marks](int x, int y) { marks.SetPixel(x, y, ScratchSurface::kRed); });
        });
        text_.clear();
        cursor_ = 0;
    }

    void Drop(ToolEnvironment& env)
    {
        typing_ = false;
        text_.clear();
        cursor_ = 0;
        env.LoadHolder();
        env.ClearTentative();
    }

    TextFontBar* bar_ = nullptr;
    bool typing_ = false;
    QPoint origin_;
    std::u32string text_;
    int cursor_ = 0;
};

std::unique_ptr<Tool> MakeTextTool() { return std::make_unique<TextTool>(); }

}  // namespace tobrin
