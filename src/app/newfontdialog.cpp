#include "app/newfontdialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

#include "app/accessible.h"
#include "app/dialogs.h"
#include "app/outlinefonts.h"

namespace tobrin {

NewFontDialog::SourceKind NewFontDialog::KindOf(const QString& path)
{
    static const QStringList outline = {QStringLiteral("ttf"), QStringLiteral("otf"), QStringLiteral("ttc"),
                                        QStringLiteral("pfb"), QStringLiteral("pfa"), QStringLiteral("woff")};
    static const QStringList bitmap = {QStringLiteral("bdf"), QStringLiteral("db"), QStringLiteral("txt"),
                                       QStringLiteral("c"), QStringLiteral("h")};
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (outline.contains(suffix))
        return SourceKind::Outline;
    return bitmap.contains(suffix) ? SourceKind::Bitmap : SourceKind::Picture;
}

NewFontDialog::NewFontDialog(const QString& source, const FontSourceOptions& options, Dialogs& dialogs,
                             QWidget* parent)
    : QDialog(parent), dialogs_(dialogs)
{
    setObjectName(QStringLiteral("NewFontDialog"));
    setWindowTitle(QStringLiteral("New Font"));
    auto spin = [this](const char* name, const QString& label, const QString& help, int low, int high, int value) {
        auto* box = new QSpinBox(this);
        box->setObjectName(QLatin1String(name));
        box->setRange(low, high);
        box->setValue(value);
        SetAccessible(box, label, help);
        return box;
    };
    source_ = new QLineEdit(source, this);
    source_->setObjectName(QStringLiteral("FontSource"));
    source_->setMinimumWidth(320);
    SetAccessible(source_, QStringLiteral("Source"),
                  QStringLiteral("An outline font (TTF, OTF), a BDF or font file, or a picture of glyphs in a grid"));
    auto* browse = new QPushButton(QStringLiteral("&Browse\u2026"), this);
    browse->setObjectName(QStringLiteral("FontSourceBrowse"));
    SetAccessible(browse, QStringLiteral("Browse for the source"));
    auto* sourceRow = new QHBoxLayout;
    sourceRow->addWidget(source_, 1);
    sourceRow->addWidget(browse);
    // The fonts installed on the system, so none has to be looked for.
    installed_ = new QComboBox(this);
    installed_->setObjectName(QStringLiteral("FontInstalled"));
    SetAccessible(installed_, QStringLiteral("Installed fonts"), QStringLiteral("Takes an installed outline font as the source"));
    installed_->addItem(QStringLiteral("Choose an installed font\u2026"));
    for (const InstalledFont& font : InstalledOutlineFonts())
        installed_->addItem(font.name, font.path);
    connect(installed_, &QComboBox::activated, this, [this](int i) {
        if (i > 0)
            source_->setText(installed_->itemData(i).toString());
    });

    chars_ = new QLineEdit(options.chars.isEmpty() ? QStringLiteral("32-126") : options.chars, this);
    chars_->setObjectName(QStringLiteral("FontChars"));
    SetAccessible(chars_, QStringLiteral("Characters"),
                  QStringLiteral("Ranges and single characters in any order: 32-126, 0-9:°C, U+00C0-U+00FF"));
    size_ = spin("FontSize", QStringLiteral("Pixel size"), QStringLiteral("The outline font's size in pixels"),
                 PixelFont::kMinCell, PixelFont::kMaxCellHeight, options.pixelSize > 0 ? options.pixelSize : 12);
    size_->setSuffix(QStringLiteral(" px"));
    thresholdOn_ = new QCheckBox(QStringLiteral("&Threshold"), this);
    thresholdOn_->setObjectName(QStringLiteral("FontThresholdOn"));
    thresholdOn_->setChecked(options.threshold.has_value());
    SetAccessible(thresholdOn_, QStringLiteral("Use a threshold"),
                  QStringLiteral("Render in grey and keep the pixels this dark, instead of the font's own monochrome render"));
    threshold_ = spin("FontThreshold", QStringLiteral("Threshold"), QStringLiteral("Grey levels from 1 to 255"), 1, 255,
                      options.threshold.value_or(128));
    auto* thresholdRow = new QHBoxLayout;
    thresholdRow->addWidget(thresholdOn_);
    thresholdRow->addWidget(threshold_, 1);
    columns_ = spin("FontColumns", QStringLiteral("Columns"), QStringLiteral("Glyphs across the picture"), 1, 256,
                    options.columns > 0 ? options.columns : 16);
    rows_ = spin("FontRows", QStringLiteral("Rows"), QStringLiteral("Glyphs down the picture"), 1, 256,
                 options.rows > 0 ? options.rows : 6);
    gap_ = spin("FontGap", QStringLiteral("Gap"), QStringLiteral("Pixels after each glyph's rightmost pixel"), 0, 16,
                options.gap);
    auto* gridRow = new QHBoxLayout;
    gridRow->addWidget(columns_);
    gridRow->addWidget(rows_);
    gridRow->addWidget(gap_);

    buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons_->setObjectName(QStringLiteral("NewFontButtons"));
    buttons_->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("NewFontOk"));
    SetAccessible(buttons_->button(QDialogButtonBox::Ok), QStringLiteral("Make the font"));

    auto* form = new QFormLayout(this);
    // Rows that hold several fields name the first as their label's buddy.
    auto label = [this](const QString& text, QWidget* buddy) {
        auto* l = new QLabel(text, this);
        l->setBuddy(buddy);
        return l;
    };
    form->addRow(label(QStringLiteral("&Source:"), source_), sourceRow);
    form->addRow(QString(), installed_);
    form->addRow(QStringLiteral("&Characters:"), chars_);
    form->addRow(QStringLiteral("&Pixel size:"), size_);
    form->addRow(QString(), thresholdRow);
    form->addRow(label(QStringLiteral("&Grid (columns, rows, gap):"), columns_), gridRow);
    form->addRow(buttons_);

    connect(browse, &QPushButton::clicked, this, &NewFontDialog::Browse);
    connect(source_, &QLineEdit::textChanged, this, &NewFontDialog::Follow);
    connect(thresholdOn_, &QCheckBox::toggled, this, &NewFontDialog::Follow);
    connect(buttons_, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
    Follow();
}

void NewFontDialog::Browse()
{
    const QString filter = QStringLiteral(
        "Fonts and pictures of glyphs (*.ttf *.otf *.ttc *.pfb *.bdf *.db *.txt *.c *.h *.png *.bmp *.gif *.pbm)");
    const QString name = dialogs_.OpenFileName(this, QStringLiteral("Font Source"),
                                               filter + QStringLiteral(";;All Files (*)"), filter, source_->text());
    if (!name.isEmpty())
        source_->setText(name);
}

void NewFontDialog::Follow()
{
    const SourceKind kind = KindOf(source_->text());
    size_->setEnabled(kind == SourceKind::Outline);
    thresholdOn_->setEnabled(kind == SourceKind::Outline);
    threshold_->setEnabled(kind == SourceKind::Outline && thresholdOn_->isChecked());
    for (QSpinBox* box : {columns_, rows_, gap_})
        box->setEnabled(kind == SourceKind::Picture);
    buttons_->button(QDialogButtonBox::Ok)->setEnabled(!source_->text().trimmed().isEmpty());
}

QString NewFontDialog::Source() const { return source_->text().trimmed(); }

FontSourceOptions NewFontDialog::Options() const
{
    FontSourceOptions options;
    options.chars = chars_->text().trimmed();
    options.pixelSize = size_->value();
    if (thresholdOn_->isChecked())
        options.threshold = threshold_->value();
    if (KindOf(Source()) == SourceKind::Picture) {
        options.columns = columns_->value();
        options.rows = rows_->value();
        options.gap = gap_->value();
    }
    return options;
}

}  // namespace tobrin
