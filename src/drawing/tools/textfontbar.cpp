#include "drawing/tools/textfontbar.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QSignalBlocker>
#include <QSpinBox>

#include "app/accessible.h"
#include "app/dialogs.h"
#include "app/outlinefonts.h"
#include "drawing/tools/tool.h"

namespace tobrin {

namespace {

constexpr int kKeyRole = Qt::UserRole;       // the built-in font's name or the file
constexpr int kKindRole = Qt::UserRole + 1;  // what the entry is

// A font file in one of the pixel-font forms, rather than an outline font.
bool IsPixelFontFile(const QString& path)
{
    static const QStringList forms = {QStringLiteral("bdf"), QStringLiteral("db"), QStringLiteral("txt"),
                                      QStringLiteral("c"),   QStringLiteral("h"),  QStringLiteral("png")};
    return forms.contains(QFileInfo(path).suffix().toLower());
}

}  // namespace

TextFontBar::TextFontBar(ToolEnvironment& env, QWidget* parent, std::function<void()> changed)
    : QWidget(parent), env_(env), changed_(std::move(changed))
{
    setObjectName(QStringLiteral("TextSettings"));
    SetAccessible(this, QStringLiteral("Text settings"));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(4, 0, 4, 0);
    row->setSpacing(4);

    fonts_ = new QComboBox(this);
    fonts_->setObjectName(QStringLiteral("TextFont"));
    fonts_->setToolTip(QStringLiteral("Font of the text tool"));
    fonts_->setPlaceholderText(QStringLiteral("Choose a font"));
    fonts_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    fonts_->setMaximumWidth(220);
    SetAccessible(fonts_, QStringLiteral("Text font"),
                  QStringLiteral("The font typed text is drawn in: a built-in one, an installed outline font, "
                                 "or a font file"));
    SetAccessibleScrollBars(fonts_->view(), QStringLiteral("Text font list"));
    size_ = new QSpinBox(this);
    size_->setObjectName(QStringLiteral("TextSize"));
    size_->setRange(kMinSize, kMaxSize);
    size_->setValue(kDefaultSize);
    size_->setSuffix(QStringLiteral(" px"));
    size_->setToolTip(QStringLiteral("Size of an outline font, in pixels"));
    size_->setKeyboardTracking(false);  // one font made per size entered, not per digit
    size_->setEnabled(false);
    SetAccessible(size_, QStringLiteral("Text size"),
                  QStringLiteral("The height an outline font is rendered at, in pixels; bitmap fonts have their own"));
    row->addWidget(fonts_);
    row->addWidget(size_);

    for (const QString& name : BuiltInFontNames())
        AddEntry(name, name, BuiltIn);
    builtIns_ = fonts_->count();
    fonts_->addItem(QStringLiteral("Font file\u2026"));
    fonts_->setItemData(fonts_->count() - 1, Browse, kKindRole);
    const int standard = fonts_->findData(QStringLiteral("5x7"), kKeyRole);
    fonts_->setCurrentIndex(standard);  // -1, nothing chosen, without it
    if (standard >= 0 && Load(standard))
        current_ = standard;

    connect(fonts_, &QComboBox::currentIndexChanged, this, &TextFontBar::Chosen);
    connect(size_, &QSpinBox::valueChanged, this, [this] {
        if (current_ >= 0 && fonts_->itemData(current_, kKindRole).toInt() == Outline && Load(current_))
            changed_();
    });
}

int TextFontBar::AddEntry(const QString& text, const QString& key, Kind kind, int row)
{
    if (row < 0)
        row = fonts_->count() > builtIns_ ? fonts_->count() - 1 : fonts_->count();
    const QSignalBlocker quiet(fonts_);
    fonts_->insertItem(row, text);
    fonts_->setItemData(row, key, kKeyRole);
    fonts_->setItemData(row, kind, kKindRole);
    if (kind == File || kind == Outline)
        fonts_->setItemData(row, key, Qt::ToolTipRole);
    if (current_ >= row)
        ++current_;  // the entry in force moved down
    return row;
}

void TextFontBar::showEvent(QShowEvent* event)
{
    // Asking fontconfig takes a moment; only a window whose text tool is
    // used pays for it.
    ListInstalled();
    QWidget::showEvent(event);
}

void TextFontBar::ListInstalled()
{
    if (listed_)
        return;
    listed_ = true;
    int row = builtIns_;
    for (const InstalledFont& font : InstalledOutlineFonts())
        AddEntry(font.name, font.path, Outline, row++);
}

void TextFontBar::Chosen(int index)
{
    if (index < 0)
        return;
    if (fonts_->itemData(index, kKindRole).toInt() == Browse) {
        BrowseForFile();
        return;
    }
    if (!Load(index)) {
        Revert();
        return;
    }
    current_ = index;
    changed_();
}

void TextFontBar::BrowseForFile()
{
    const QString path = env_.Questions().OpenFileName(
        env_.Window(), QStringLiteral("Font file"),
        QStringLiteral("Pixel fonts (*.bdf *.db *.txt *.c *.h *.png);;All files (*)"), QString(), QString());
    if (path.isEmpty()) {
        Revert();
        return;
    }
    int row = fonts_->findData(path, kKeyRole);
    const bool known = row >= 0;
    if (!known)
        row = AddEntry(QFileInfo(path).fileName(), path, IsPixelFontFile(path) ? File : Outline);
    if (!Load(row)) {
        if (!known) {
            const QSignalBlocker quiet(fonts_);
            fonts_->removeItem(row);
        }
        Revert();
        return;
    }
    {
        const QSignalBlocker quiet(fonts_);
        fonts_->setCurrentIndex(row);
    }
    current_ = row;
    changed_();
}

bool TextFontBar::Load(int index)
{
    const QString key = fonts_->itemData(index, kKeyRole).toString();
    const int kind = fonts_->itemData(index, kKindRole).toInt();
    size_->setEnabled(kind == Outline);
    if (kind == BuiltIn) {
        font_ = BuiltInFont(key);
        return font_ != nullptr;
    }
    const int size = kind == Outline ? size_->value() : 0;
    auto it = loaded_.find({key, size});
    if (it == loaded_.end()) {
        FontSourceOptions options;
        options.pixelSize = size;
        QString error;
        std::optional<PixelFont> font = LoadFont(key, options, &error);
        if (!font) {
            env_.Questions().Message(env_.Window(), QStringLiteral("Text"),
                                     QStringLiteral("The font cannot be used."), Dialogs::Icon::Warning,
                                     QStringLiteral("%1: %2").arg(QFileInfo(key).fileName(), error));
            return false;
        }
        it = loaded_.emplace(std::make_pair(key, size), std::move(*font)).first;
    }
    font_ = &it->second;
    return true;
}

void TextFontBar::Revert()
{
    const QSignalBlocker quiet(fonts_);
    fonts_->setCurrentIndex(current_);
    size_->setEnabled(current_ >= 0 && fonts_->itemData(current_, kKindRole).toInt() == Outline);
}

}  // namespace tobrin
