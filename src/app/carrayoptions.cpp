#include "app/carrayoptions.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace tobrin {

namespace {

// The grid shows enough pixels for a page byte (8 rows) and a row byte
// (8 columns) with one pixel of the next byte beside it.
constexpr int kGridColumns = 10;
constexpr int kGridRows = 9;
constexpr int kCell = 20;

struct OrderEntry {
    ByteOrder order;
    const char* objectName;
    const char* caption;
};

const OrderEntry kOrders[] = {
    {ByteOrder::Msb, "OrderMsb", "Rows, leftmost pixel in the top bit (msb)"},
    {ByteOrder::Lsb, "OrderLsb", "Rows, leftmost pixel in the bottom bit (lsb)"},
    {ByteOrder::Pages, "OrderPages", "Pages of 8 rows, top pixel in the bottom bit (pages)"},
};

}  // namespace

BytePicture::BytePicture(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("BytePicture"));
    setAccessibleName(QStringLiteral("Bits of the first byte"));
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void BytePicture::SetOrder(ByteOrder order)
{
    order_ = order;
    setAccessibleDescription(QStringLiteral("Byte order %1").arg(QLatin1String(ByteOrderName(order))));
    update();
}

int BytePicture::BitOf(ByteOrder order, int x, int y)
{
    switch (order) {
    case ByteOrder::Msb:
        return y == 0 && x < 8 ? 7 - x : -1;
    case ByteOrder::Lsb:
        return y == 0 && x < 8 ? x : -1;
    case ByteOrder::Pages:
        return x == 0 && y < 8 ? y : -1;
    }
    return -1;
}

QSize BytePicture::sizeHint() const { return QSize(kGridColumns * kCell + 1, kGridRows * kCell + 1); }

void BytePicture::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QPalette& pal = palette();
    p.fillRect(rect(), pal.base());
    QFont small = font();
    small.setPixelSize(kCell * 3 / 5);
    p.setFont(small);
    for (int y = 0; y < kGridRows; ++y)
        for (int x = 0; x < kGridColumns; ++x) {
            const QRect cell(x * kCell, y * kCell, kCell, kCell);
            const int bit = BitOf(order_, x, y);
            if (bit >= 0) {
                p.fillRect(cell, pal.highlight());
                p.setPen(pal.color(QPalette::HighlightedText));
                p.drawText(cell, Qt::AlignCenter, QString::number(bit));
            }
            p.setPen(pal.color(QPalette::Mid));
            p.drawRect(cell);
        }
}

CArrayOptionsDialog::CArrayOptionsDialog(const QString& path, const ExportOptions& options, QWidget* parent,
                                         const MonoSet* frames)
    : QDialog(parent), base_(options)
{
    if (frames)
        frames_ = *frames;
    setObjectName(QStringLiteral("CArrayOptions"));
    setWindowTitle(QStringLiteral("C array"));
    setModal(true);

    auto* orderBox = new QGroupBox(QStringLiteral("Byte order"), this);
    orderBox->setObjectName(QStringLiteral("ByteOrder"));
    auto* orderColumn = new QVBoxLayout;
    orders_ = new QButtonGroup(this);
    for (const OrderEntry& e : kOrders) {
        auto* b = new QRadioButton(QLatin1String(e.caption), orderBox);
        b->setObjectName(QLatin1String(e.objectName));
        b->setAccessibleName(QLatin1String(e.caption));
        orders_->addButton(b, int(e.order));
        orderColumn->addWidget(b);
    }
    orderColumn->addStretch();
    picture_ = new BytePicture(orderBox);
    auto* pictureColumn = new QVBoxLayout;
    auto* pictureCaption = new QLabel(QStringLiteral("First byte:"), orderBox);
    pictureCaption->setObjectName(QStringLiteral("BytePictureLabel"));
    pictureColumn->addWidget(pictureCaption);
    pictureColumn->addWidget(picture_);
    auto* orderRow = new QHBoxLayout(orderBox);
    orderRow->addLayout(orderColumn, 1);
    orderRow->addLayout(pictureColumn);

    name_ = new QLineEdit(this);
    name_->setObjectName(QStringLiteral("ArrayName"));
    name_->setAccessibleName(QStringLiteral("Array name"));
    name_->setMaxLength(200);
    name_->setText(options.name.isEmpty() ? CNameFromPath(path) : options.name);
    nameProblem_ = new QLabel(this);
    nameProblem_->setObjectName(QStringLiteral("ArrayNameProblem"));
    nameProblem_->setMinimumHeight(nameProblem_->fontMetrics().height());  // no jump when it speaks
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Array &name:"), name_);
    form->addRow(QString(), nameProblem_);

    // Compression, with what it saves on the frames at hand.
    rle_ = new QCheckBox(QStringLiteral("&Run-length compressed"), this);
    rle_->setObjectName(QStringLiteral("RleCompress"));
    rle_->setAccessibleName(QStringLiteral("Run-length compressed"));
    rle_->setChecked(options.rle);
    rleRows_ = new QCheckBox(QStringLiteral("Ro&ws alone"), this);
    rleRows_->setObjectName(QStringLiteral("RleRows"));
    rleRows_->setAccessibleName(QStringLiteral("Compress each row alone"));
    rleRows_->setChecked(options.rleRows);
    sizes_ = new QLabel(this);
    sizes_->setObjectName(QStringLiteral("RleSizes"));
    sizes_->setAccessibleName(QStringLiteral("Size before and after compression"));
    auto* rleRow = new QHBoxLayout;
    rleRow->addWidget(rle_);
    rleRow->addWidget(rleRows_);
    rleRow->addStretch();
    form->addRow(QString(), rleRow);
    form->addRow(QString(), sizes_);

    buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons_->setObjectName(QStringLiteral("Buttons"));
    buttons_->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("OkButton"));
    buttons_->button(QDialogButtonBox::Ok)->setAccessibleName(QStringLiteral("OK"));
    buttons_->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("CancelButton"));
    buttons_->button(QDialogButtonBox::Cancel)->setAccessibleName(QStringLiteral("Cancel"));
    connect(buttons_, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* column = new QVBoxLayout(this);
    column->addWidget(orderBox);
    column->addLayout(form);
    column->addWidget(buttons_);
    column->setSizeConstraint(QLayout::SetFixedSize);

    connect(orders_, &QButtonGroup::idClicked, this, [this](int id) { picture_->SetOrder(ByteOrder(id)); });
    connect(name_, &QLineEdit::textChanged, this, &CArrayOptionsDialog::NameEdited);
    connect(orders_, &QButtonGroup::idClicked, this, &CArrayOptionsDialog::CompressionChanged);
    connect(rle_, &QCheckBox::toggled, this, &CArrayOptionsDialog::CompressionChanged);
    connect(rleRows_, &QCheckBox::toggled, this, &CArrayOptionsDialog::CompressionChanged);
    SetOrder(options.order);
    NameEdited();
}

QRadioButton* CArrayOptionsDialog::OrderButton(ByteOrder order) const
{
    return static_cast<QRadioButton*>(orders_->button(int(order)));
}

void CArrayOptionsDialog::SetOrder(ByteOrder order)
{
    OrderButton(order)->setChecked(true);
    picture_->SetOrder(order);
    CompressionChanged();
}

void CArrayOptionsDialog::CompressionChanged()
{
    rleRows_->setEnabled(rle_->isChecked());
    sizes_->setVisible(!frames_.frames.empty());
    if (frames_.frames.empty())
        return;
    const ByteOrder order = ByteOrder(orders_->checkedId());
    const qsizetype raw = PackedBytes(frames_.frames.front(), order).size() * frames_.Count();
    const qsizetype packed = RlePackedFrames(frames_, order, rleRows_->isChecked()).size();
    // Shown either way, so the box can be judged before it is ticked.
    sizes_->setText(QStringLiteral("%1 bytes; compressed %2 bytes (%3%)")
                        .arg(QLocale().toString(qlonglong(raw)), QLocale().toString(qlonglong(packed)))
                        .arg(qRound(100.0 * double(packed) / double(raw))));
}

ExportOptions CArrayOptionsDialog::Options() const
{
    ExportOptions options = base_;
    options.order = ByteOrder(orders_->checkedId());
    options.name = name_->text();
    options.rle = rle_->isChecked();
    options.rleRows = options.rle && rleRows_->isChecked();
    return options;
}

bool CArrayOptionsDialog::Acceptable() const { return IsCIdentifier(name_->text()); }

void CArrayOptionsDialog::NameEdited()
{
    // The name goes into the file as it is, so only a C identifier that is
    // no keyword can be written.
    const bool ok = Acceptable();
    nameProblem_->setText(ok ? QString() : QStringLiteral("Letters, digits and _, not starting with a digit; no C keyword"));
    buttons_->button(QDialogButtonBox::Ok)->setEnabled(ok);
}

}  // namespace tobrin
