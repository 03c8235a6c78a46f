#pragma once

#include <QString>
#include <QWidget>
#include <functional>
#include <map>
#include <utility>

#include "core/pixelfont.h"

class QComboBox;
class QShowEvent;
class QSpinBox;

namespace tobrin {

class ToolEnvironment;

// The text tool's settings: the font ("TextFont": the built-in fonts, the
// installed outline fonts, the font files chosen, and "Font file…") and an
// outline font's size in pixels ("TextSize", 4..120). A font is loaded when
// it is chosen and kept per file and size; one that cannot be loaded is
// told through the dialogs and the choice before stays.
class TextFontBar : public QWidget {
    Q_OBJECT
public:
    static constexpr int kMinSize = 4;
    static constexpr int kMaxSize = 120;
    static constexpr int kDefaultSize = 12;

    // changed runs whenever another font is in force.
    TextFontBar(ToolEnvironment& env, QWidget* parent, std::function<void()> changed);

    // The font text is typed in; null while there is none.
    const PixelFont* Font() const { return font_; }

    QComboBox* FontBox() const { return fonts_; }
    QSpinBox* SizeBox() const { return size_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    enum Kind { BuiltIn, Outline, File, Browse };
    // The entry (before "Font file…", or at row) with the name or file.
    int AddEntry(const QString& text, const QString& key, Kind kind, int row = -1);
    void ListInstalled();
    void Chosen(int index);
    void BrowseForFile();
    // Makes the entry's font the one in force; false (and told) when it
    // cannot be loaded.
    bool Load(int index);
    void Revert();

    ToolEnvironment& env_;
    std::function<void()> changed_;
    QComboBox* fonts_ = nullptr;
    QSpinBox* size_ = nullptr;
    int builtIns_ = 0;
    bool listed_ = false;
    int current_ = -1;  // the entry in force
    const PixelFont* font_ = nullptr;
    std::map<std::pair<QString, int>, PixelFont> loaded_;
};

}  // namespace tobrin
