#include "preview/textpreview.h"

#include <QTimer>

#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "app/accessible.h"
#include "core/picturedocument.h"

namespace tobrin {

TextPreview::TextPreview(const PictureDocument& document, QWidget* parent) : QWidget(parent), text1_(new QPlainTextEdit(this))
{
    setObjectName(QStringLiteral("TextView"));
    setWindowTitle(QStringLiteral("Text view"));

    text1_->setObjectName(QStringLiteral("Text1"));
    text1_->setReadOnly(true);  // selectable and copyable, not editable
    text1_->setLineWrapMode(QPlainTextEdit::NoWrap);
    text1_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    text1_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    text1_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    text1_->setFrameShape(QFrame::NoFrame);
    SetAccessible(text1_, QStringLiteral("Hex text"), QStringLiteral("The picture as assembler data lines"));
    SetAccessibleScrollBars(text1_, QStringLiteral("Hex text"));

    // Text1 takes the whole client area whatever the window's size.
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(text1_);

    // A set's text runs to many pictures; while the pointer draws, the view
    // catches up at most every kSetTextDelayMs instead of at every cell.
    auto* later = new QTimer(this);
    later->setSingleShot(true);
    later->setInterval(kSetTextDelayMs);
    connect(later, &QTimer::timeout, this, [this, &document] { SetText(document.HexText()); });
    const auto follow = [this, &document, later] {
        if (document.FrameCount() > 1) {
            if (!later->isActive())
                later->start();
            return;
        }
        later->stop();
        SetText(document.HexText());
    };
    follow();
    connect(&document, &PictureDocument::pixelsChanged, this, follow);
    connect(&document, &PictureDocument::sizeChanged, this, follow);
    // A set's text holds every frame, under labels made from the file's name.
    connect(&document, &PictureDocument::framesChanged, this, follow);
    connect(&document, &PictureDocument::fileNameChanged, this, follow);
}

void TextPreview::SetText(const QString& text)
{
    // The hex text ends its lines with CR LF; the text box shows plain lines.
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (text1_->toPlainText() != shown)
        text1_->setPlainText(shown);
}

QString TextPreview::Text() const { return text1_->toPlainText(); }

}  // namespace tobrin
