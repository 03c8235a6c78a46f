#include "preview/fontpanel.h"

#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTimer>

#include "app/accessible.h"
#include "core/picturedocument.h"
#include "core/pixelfont.h"
#include "preview/devicepreview.h"

namespace tobrin {

namespace {
// Drawing follows the pen; the sample is drawn again once typing or
// drawing pauses for this long.
constexpr int kSampleDelayMs = 60;
}  // namespace

FontPanel::FontPanel(PictureDocument& document, QWidget* parent) : QWidget(parent), document_(document)
{
    setObjectName(QStringLiteral("FontPanel"));
    SetAccessible(this, QStringLiteral("Font"));

    character_ = new QLineEdit(this);
    character_->setObjectName(QStringLiteral("GlyphChar"));
    character_->setMaximumWidth(fontMetrics().horizontalAdvance(QStringLiteral("U+000000")) + 12);
    SetAccessible(character_, QStringLiteral("Character"),
                  QStringLiteral("The character this glyph stands for: itself, U+ and its code, or its decimal code"));
    advance_ = new QSpinBox(this);
    advance_->setObjectName(QStringLiteral("GlyphAdvance"));
    advance_->setPrefix(QStringLiteral("Advance "));
    SetAccessible(advance_, QStringLiteral("Advance"), QStringLiteral("How far the pen moves after this glyph, in pixels"));
    baseline_ = new QSpinBox(this);
    baseline_->setObjectName(QStringLiteral("FontBaseline"));
    baseline_->setPrefix(QStringLiteral("Baseline "));
    SetAccessible(baseline_, QStringLiteral("Baseline"),
                  QStringLiteral("The rows above the baseline, the same for every glyph"));
    sample_ = new QLineEdit(QStringLiteral("Sample 0123"), this);
    sample_->setObjectName(QStringLiteral("FontSample"));
    SetAccessible(sample_, QStringLiteral("Sample text"), QStringLiteral("A line drawn in this font below, as the device shows it"));
    preview_ = new QLabel(this);
    preview_->setObjectName(QStringLiteral("FontSamplePreview"));
    SetAccessible(preview_, QStringLiteral("Sample"), QStringLiteral("The sample text in this font at its real size"));
    redraw_ = new QTimer(this);
    redraw_->setSingleShot(true);
    redraw_->setInterval(kSampleDelayMs);

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(new QLabel(QStringLiteral("Character"), this));
    row->addWidget(character_);
    row->addWidget(advance_);
    row->addWidget(baseline_);
    row->addWidget(sample_, 1);
    row->addWidget(preview_, 2);

    connect(character_, &QLineEdit::editingFinished, this, &FontPanel::TakeCharacter);
    connect(advance_, &QSpinBox::valueChanged, this,
            [this](int v) { document_.SetGlyphAdvance(document_.CurrentFrame(), v); });
    connect(baseline_, &QSpinBox::valueChanged, this, [this](int v) { document_.SetFontAscent(v); });
    connect(sample_, &QLineEdit::textChanged, redraw_, qOverload<>(&QTimer::start));
    connect(redraw_, &QTimer::timeout, this, &FontPanel::DrawSample);
    connect(&document, &PictureDocument::framesChanged, this, &FontPanel::ShowGlyph);
    connect(&document, &PictureDocument::currentFrameChanged, this, &FontPanel::ShowGlyph);
    connect(&document, &PictureDocument::sizeChanged, this, &FontPanel::ShowGlyph);
    connect(&document, &PictureDocument::pixelsChanged, redraw_, qOverload<>(&QTimer::start));
    ShowGlyph();
}

void FontPanel::ShowGlyph()
{
    setVisible(document_.IsFont());
    if (!document_.IsFont())
        return;
    const int i = document_.CurrentFrame();
    const QSignalBlocker quiet1(advance_), quiet2(baseline_), quiet3(character_);
    advance_->setRange(0, document_.Bounds().width());
    advance_->setValue(document_.GlyphAdvance(i));
    baseline_->setRange(0, document_.Bounds().height());
    baseline_->setValue(document_.FontAscent());
    if (!character_->hasFocus()) {
        const QString name = GlyphName(document_.GlyphCode(i));
        // "'A' U+0041" shows as A; a control character as its code.
        character_->setText(name.startsWith(QLatin1Char('\'')) ? name.section(QLatin1Char(' '), 0, -2).mid(1).chopped(1)
                                                              : name);
    }
    redraw_->start();
}

void FontPanel::TakeCharacter()
{
    const QString text = character_->text().trimmed();
    QString why;
    std::optional<std::vector<char32_t>> codes;
    // A character typed alone is itself, even a digit ("1"), which the
    // character lists would read as a code.
    if (text.toUcs4().size() == 1)
        codes = std::vector<char32_t>{char32_t(text.toUcs4().front())};
    else
        codes = ParseCharList(text, &why);
    if (codes && codes->size() == 1 && document_.SetGlyphCode(document_.CurrentFrame(), codes->front())) {
        character_->setToolTip(QString());
    } else {
        character_->setToolTip(codes && codes->size() == 1
                                   ? QStringLiteral("Another glyph stands for %1").arg(GlyphName(codes->front()))
                                   : QStringLiteral("One character: itself, U+ and its code, or its decimal code"));
    }
    character_->clearFocus();
    ShowGlyph();
}

void FontPanel::DrawSample()
{
    if (!document_.IsFont())
        return;
    const PixelFont font = document_.Font();
    const QVector<uint> ucs = sample_->text().toUcs4();
    const std::u32string line(ucs.begin(), ucs.end());
    const int width = std::max(1, TextAdvance(font, line) + font.cellWidth);
    QImage image(width, font.cellHeight, QImage::Format_RGB32);
    image.fill(DevicePreview::kClearColour);
    DrawText(font, line, -font.left, 0, [&image](int x, int y) {
        if (image.rect().contains(x, y))
            image.setPixel(x, y, DevicePreview::kSetColour);
    });
    preview_->setPixmap(QPixmap::fromImage(image));
}

}  // namespace tobrin
