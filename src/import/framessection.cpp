#include "import/framessection.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QImageReader>
#include <QLabel>
#include <QSpinBox>

#include "app/accessible.h"
#include "core/importpipeline.h"
#include "import/imagebox.h"

namespace tobrin {
namespace {

enum CutBy { kByCount = 0, kBySize = 1 };

// The largest sheet side a frame size is given in.
constexpr int kMaxSide = 99999;

QSpinBox* Spin(QWidget* parent, const char* name, const QString& accessible, const QString& tip, int low, int high)
{
    auto* box = new QSpinBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setRange(low, high);
    SetAccessible(box, accessible, tip);
    return box;
}

QLabel* Caption(QWidget* parent, const QString& text, QWidget* buddy)
{
    auto* label = new QLabel(text, parent);
    label->setBuddy(buddy);
    return label;
}

// How many frames a file adds to the set: its GIF frames or 1.
int FramesOf(const QString& file)
{
    return IsAnimatedGif(file) ? std::max(QImageReader(file, "gif").imageCount(), 1) : 1;
}

}  // namespace

FramesSection::FramesSection(QWidget* parent) : QGroupBox(QStringLiteral("Frames"), parent)
{
    setObjectName(QStringLiteral("Frames"));
    SetAccessible(this, QStringLiteral("Frames"), QStringLiteral("How the images are cut into a set of frames"));
    cutBy_ = new QComboBox(this);
    cutBy_->setObjectName(QStringLiteral("CutBy"));
    cutBy_->addItem(QStringLiteral("Columns x rows"), int(kByCount));
    cutBy_->addItem(QStringLiteral("Frame size"), int(kBySize));
    SetAccessible(cutBy_, QStringLiteral("Cut by"), QStringLiteral("Cut the image into columns and rows, or into "
                                                                    "frames of a size"));
    across_ = Spin(this, "FramesAcross", QStringLiteral("Columns"), QStringLiteral("Frames across the image"), 1,
                   MonoSet::kMaxFrames);
    down_ = Spin(this, "FramesDown", QStringLiteral("Rows"), QStringLiteral("Frames down the image"), 1,
                 MonoSet::kMaxFrames);
    margin_ = Spin(this, "FrameMargin", QStringLiteral("Margin"), QStringLiteral("Pixels round the whole sheet"), 0,
                   kMaxSide);
    spacing_ = Spin(this, "FrameSpacing", QStringLiteral("Spacing"), QStringLiteral("Pixels between frames"), 0,
                    kMaxSide);
    skipEmpty_ = new QCheckBox(QStringLiteral("Skip empty"), this);
    skipEmpty_->setObjectName(QStringLiteral("SkipEmpty"));
    SetAccessible(skipEmpty_, QStringLiteral("Skip empty"),
                  QStringLiteral("Leave out the cells of one colour at the end of a sheet"));
    count_ = new QLabel(this);
    count_->setObjectName(QStringLiteral("FrameCount"));
    count_->setWordWrap(true);
    SetAccessible(count_, QStringLiteral("Frame count"), QStringLiteral("How many frames the import makes"));

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(6, 2, 6, 2);
    grid->setVerticalSpacing(2);
    grid->addWidget(cutBy_, 0, 0);
    grid->addWidget(across_, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("x"), this), 0, 2);
    grid->addWidget(down_, 0, 3);
    grid->addWidget(Caption(this, QStringLiteral("Margin"), margin_), 0, 4);
    grid->addWidget(margin_, 0, 5);
    grid->addWidget(Caption(this, QStringLiteral("Spacing"), spacing_), 0, 6);
    grid->addWidget(spacing_, 0, 7);
    grid->addWidget(skipEmpty_, 1, 0);
    grid->addWidget(count_, 1, 1, 1, 7);

    connect(cutBy_, qOverload<int>(&QComboBox::currentIndexChanged), this, &FramesSection::CutByChanged);
    for (QSpinBox* box : {across_, down_, margin_, spacing_})
        connect(box, qOverload<int>(&QSpinBox::valueChanged), this, &FramesSection::CutChanged);
    connect(skipEmpty_, &QCheckBox::toggled, this, &FramesSection::CutChanged);
}

void FramesSection::CutByChanged()
{
    // Either way the cut starts whole: one frame, or a frame as large as
    // the image.
    const bool bySize = cutBy_->currentData().toInt() == kBySize;
    const int high = bySize ? kMaxSide : MonoSet::kMaxFrames;
    const QSize whole = source_.isValid() ? source_ : QSize(1, 1);
    for (QSpinBox* box : {across_, down_}) {
        const QSignalBlocker block(box);
        box->setRange(1, high);
        box->setValue(!bySize ? 1 : box == across_ ? whole.width() : whole.height());
    }
    across_->setAccessibleName(bySize ? QStringLiteral("Frame width") : QStringLiteral("Columns"));
    down_->setAccessibleName(bySize ? QStringLiteral("Frame height") : QStringLiteral("Rows"));
    emit CutChanged();
}

QList<QWidget*> FramesSection::Controls() const
{
    return {cutBy_, across_, down_, margin_, spacing_, skipEmpty_};
}

SheetCut FramesSection::Cut() const
{
    SheetCut cut;
    if (cutBy_->currentData().toInt() == kBySize) {
        cut.frameSize = QSize(across_->value(), down_->value());
    } else {
        cut.columns = across_->value();
        cut.rows = down_->value();
    }
    cut.margin = margin_->value();
    cut.spacing = spacing_->value();
    cut.skipEmpty = skipEmpty_->isChecked();
    return cut;
}

void FramesSection::SetFiles(const QStringList& files)
{
    files_ = files;
    gifFrames_ = files.isEmpty() ? 1 : FramesOf(files.first());
}

bool FramesSection::MakesSet() const
{
    return files_.size() > 1 || !Cut().Whole() || gifFrames_ > 1;
}

QSize FramesSection::FrameSize(const ImportPipeline& pipeline) const
{
    const SheetCut cut = Cut();
    if (cut.Whole() || !pipeline.HasSource())
        return QSize();
    const auto cells = CutCells(pipeline.SourceSize(), cut);
    return cells ? cells->front().size() : QSize();
}

void FramesSection::ShowCut(const ImportPipeline& pipeline, ImageBox& disp)
{
    const SheetCut cut = Cut();
    std::vector<QRect> grid;
    if (!pipeline.HasSource()) {
        disp.SetGrid(grid);
        count_->clear();
        return;
    }
    QString why;
    const QSize source = pipeline.SourceSize();
    source_ = source;
    const auto cells = CutCells(source, cut, &why);
    if (!cells) {
        disp.SetGrid(grid);
        count_->setText(why);
        return;
    }
    // The cells on the display copy, which may be a shrunk one.
    const QSize shown = disp.Image().size();
    const auto scale = [](int v, int to, int from) { return int(qint64(v) * to / std::max(from, 1)); };
    if (!cut.Whole())
        for (const QRect& cell : *cells) {
            const QPoint a(scale(cell.left(), shown.width(), source.width()),
                           scale(cell.top(), shown.height(), source.height()));
            const QPoint b(scale(cell.right() + 1, shown.width(), source.width()),
                           scale(cell.bottom() + 1, shown.height(), source.height()));
            grid.emplace_back(a, QSize(std::max(b.x() - a.x(), 1), std::max(b.y() - a.y(), 1)));
        }
    disp.SetGrid(grid);
    // Every other file counted from its header as cut alike; one whose size
    // is not known yet counts as the first.
    qint64 total = qint64(cells->size()) * gifFrames_;
    for (int i = 1; i < files_.size(); ++i) {
        const QSize size = QImageReader(files_.at(i)).size();
        const auto more = size.isValid() ? CutCells(size, cut) : cells;
        total += qint64(more ? more->size() : 0) * FramesOf(files_.at(i));
    }
    const QString frames = total == 1 ? QStringLiteral("1 frame") : QStringLiteral("%1 frames").arg(total);
    if (total > MonoSet::kMaxFrames)
        count_->setText(QStringLiteral("%1: more than the %2 a set holds").arg(frames).arg(MonoSet::kMaxFrames));
    else
        count_->setText(cut.skipEmpty && total > 1 ? QStringLiteral("Up to ") + frames : frames);
}

std::optional<MonoSet> FramesSection::MakeSet(const ImportPipeline& pipeline, const ImageLoader& loader,
                                              SetImportError* error) const
{
    if (!files_.isEmpty()) {
        // The pipeline is settled already: every frame is converted by a copy.
        const SettleSet settle = [&pipeline](const QImage&) { return pipeline; };
        return ReadAndConvertSet(files_, Cut(), loader, settle, error);
    }
    // A pasted image is held whole as the source.
    SetSources pasted;
    QString why;
    if (!pasted.Add(pipeline.Source(), MonoSet::kDefaultDelay, Cut(), &why)) {
        if (error)
            *error = SetImportError{QStringLiteral("pasted image"), why};
        return std::nullopt;
    }
    auto set = ConvertSet(pipeline, pasted, &why);
    if (!set && error)
        *error = SetImportError{QStringLiteral("pasted image"), why};
    return set;
}

}  // namespace tobrin
