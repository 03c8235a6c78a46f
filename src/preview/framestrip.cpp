#include "preview/framestrip.h"

#include <utility>

#include <QDropEvent>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QToolBar>
#include <QVBoxLayout>

#include "app/accessible.h"
#include "core/formats.h"
#include "core/picturedocument.h"
#include "core/pixelfont.h"
#include "preview/devicepreview.h"
#include "preview/fontpanel.h"

namespace tobrin {

FrameListModel::FrameListModel(const PictureDocument& document, QObject* parent)
    : QAbstractListModel(parent), document_(document)
{
    Reset();
    // Frames added, deleted, moved or resized change the whole list; a
    // drawing change only the current frame's thumbnail.
    connect(&document, &PictureDocument::framesChanged, this, &FrameListModel::Reset);
    connect(&document, &PictureDocument::sizeChanged, this, &FrameListModel::Reset);
    // Choosing a frame repaints the whole picture without changing a frame:
    // the thumbnails stand. The choice is announced before the repaint.
    connect(&document, &PictureDocument::currentFrameChanged, this, [this] { choosing_ = true; });
    connect(&document, &PictureDocument::pixelsChanged, this, [this] {
        const int row = document_.CurrentFrame();
        if (std::exchange(choosing_, false) || row >= int(thumbnails_.size()))
            return;
        thumbnails_[std::size_t(row)] = QPixmap();
        emit dataChanged(index(row), index(row), {Qt::DecorationRole});
    });
}

void FrameListModel::Reset()
{
    beginResetModel();
    thumbnails_.assign(std::size_t(document_.FrameCount()), QPixmap());
    endResetModel();
}

int FrameListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(thumbnails_.size());
}

QString FrameListModel::FrameName(int frame, int delay)
{
    return QStringLiteral("Frame %1, %2 ms").arg(frame).arg(delay);
}

QVariant FrameListModel::data(const QModelIndex& index, int role) const
{
    const int row = index.row();
    if (!index.isValid() || row >= int(thumbnails_.size()) || row >= document_.FrameCount())
        return {};
    const bool glyph = document_.IsFont();
    switch (role) {
    case Qt::DisplayRole:
        if (glyph) {
            // The character; one that does not print shows its code.
            const char32_t code = document_.GlyphCode(row);
            return GlyphName(code).startsWith(QLatin1Char('\'')) ? QString::fromUcs4(&code, 1)
                                                                 : QString::number(uint(code), 16).toUpper();
        }
        return QStringLiteral("%1\n%2 ms").arg(row).arg(document_.FrameDelay(row));
    case Qt::AccessibleTextRole:
    case Qt::ToolTipRole:
        if (glyph)
            return QStringLiteral("Glyph %1, advance %2").arg(GlyphName(document_.GlyphCode(row)))
                .arg(document_.GlyphAdvance(row));
        return FrameName(row, document_.FrameDelay(row));
    case Qt::DecorationRole: {
        QPixmap& thumbnail = thumbnails_[std::size_t(row)];
        if (thumbnail.isNull()) {
            const QRect bounds = document_.Bounds();
            QImage image(bounds.size(), QImage::Format_RGB32);
            const PictureData::Plane& plane = document_.FramePlane(row);
            for (int y = 0; y < bounds.height(); ++y) {
                auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
                for (int x = 0; x < bounds.width(); ++x)
                    line[x] = plane[std::size_t(PictureData::Offset(x, y))] ? DevicePreview::kSetColour
                                                                             : DevicePreview::kClearColour;
            }
            thumbnail = QPixmap::fromImage(image);
        }
        return thumbnail;
    }
    default:
        return {};
    }
}

Qt::ItemFlags FrameListModel::flags(const QModelIndex& index) const
{
    const Qt::ItemFlags flags = QAbstractListModel::flags(index) | Qt::ItemIsDropEnabled;
    return index.isValid() ? flags | Qt::ItemIsDragEnabled : flags;
}

FrameListView::FrameListView(PictureDocument& document, QWidget* parent) : QListView(parent), document_(document)
{
    setObjectName(QStringLiteral("FrameList"));
    SetAccessible(this, QStringLiteral("Frames"), QStringLiteral("Each frame of the picture; drag one to move it"));
    SetAccessibleScrollBars(this, QStringLiteral("Frames"));
    setModel(new FrameListModel(document, this));
    setFlow(QListView::LeftToRight);
    setWrapping(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDefaultDropAction(Qt::MoveAction);
    setDropIndicatorShown(true);
    setIconSize(QSize(kMaxWidth, kMaxHeight));
    // Every frame has the one size: laying the strip out asks one of them.
    setUniformItemSizes(true);
    setSpacing(4);
    auto follow = [this] {
        following_ = true;
        setCurrentIndex(model()->index(document_.CurrentFrame(), 0));
        following_ = false;
    };
    connect(model(), &QAbstractItemModel::modelReset, this, follow);
    // As tall as a thumbnail and its text, whatever the picture's size.
    auto fit = [this] {
        const int text = 2 * fontMetrics().lineSpacing();
        setFixedHeight(std::max(document_.MaxY() + 1, text) + 4 * spacing() + 2 * frameWidth()
                       + horizontalScrollBar()->sizeHint().height());
    };
    connect(&document, &PictureDocument::sizeChanged, this, fit);
    fit();
    connect(&document, &PictureDocument::currentFrameChanged, this, follow);
    follow();
}

void FrameListView::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QListView::currentChanged(current, previous);
    if (!following_ && current.isValid())
        document_.SetCurrentFrame(current.row());
}

void FrameListView::dropEvent(QDropEvent* event)
{
    // The document moves the frame; the list follows it.
    if (event->source() != this) {
        event->ignore();
        return;
    }
    const QModelIndex target = indexAt(event->position().toPoint());
    const int to = target.isValid() ? target.row() : model()->rowCount() - 1;
    event->setDropAction(Qt::IgnoreAction);
    event->accept();
    document_.MoveFrame(currentIndex().row(), to);
}

FrameStrip::FrameStrip(PictureDocument& document, const QList<QAction*>& commands, QWidget* parent)
    : QWidget(parent), document_(document)
{
    setObjectName(QStringLiteral("FrameStrip"));
    SetAccessible(this, QStringLiteral("Frame strip"));
    auto* bar = new QToolBar(this);
    bar->setObjectName(QStringLiteral("FrameCommands"));
    bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    for (QAction* a : commands) {
        if (!a) {
            bar->addSeparator();
            continue;
        }
        bar->addAction(a);
        a->setIconText(a->text().remove(QLatin1Char('&')).remove(QStringLiteral(" frame")).remove(QStringLiteral(" animation")));
        if (QWidget* w = bar->widgetForAction(a)) {
            w->setObjectName(a->objectName() + QStringLiteral("Button"));
            SetAccessible(w, a->text().remove(QLatin1Char('&')));
        }
    }
    delay_ = new QSpinBox(this);
    delay_->setObjectName(QStringLiteral("FrameDelay"));
    delay_->setRange(1, MonoSet::kMaxDelay);
    delay_->setSuffix(QStringLiteral(" ms"));
    delay_->setPrefix(QStringLiteral("Delay "));
    SetAccessible(delay_, QStringLiteral("Frame delay"), QStringLiteral("How long the current frame shows, in milliseconds"));
    auto* toAll = new QPushButton(QStringLiteral("For all frames"), this);
    toAll->setObjectName(QStringLiteral("DelayToAll"));
    SetAccessible(toAll, QStringLiteral("Delay for all frames"), QStringLiteral("Gives every frame this delay"));
    connect(delay_, &QSpinBox::valueChanged, this,
            [this](int ms) { document_.SetFrameDelay(document_.CurrentFrame(), ms); });
    connect(toAll, &QPushButton::clicked, this, [this] { document_.SetFrameDelay(-1, delay_->value()); });

    list_ = new FrameListView(document, this);
    auto* top = new QHBoxLayout;
    top->setContentsMargins(0, 0, 0, 0);
    top->addWidget(bar, 1);
    top->addWidget(delay_);
    top->addWidget(toAll);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addLayout(top);
    font_ = new FontPanel(document, this);
    layout->addWidget(font_);
    layout->addWidget(list_, 1);
    toAll_ = toAll;

    ShowDelay();
    connect(&document, &PictureDocument::framesChanged, this, &FrameStrip::ShowDelay);
    connect(&document, &PictureDocument::currentFrameChanged, this, &FrameStrip::ShowDelay);
}

void FrameStrip::ShowDelay()
{
    const QSignalBlocker quiet(delay_);
    delay_->setValue(document_.FrameDelay(document_.CurrentFrame()));
    // A font's glyphs have no delays to show.
    delay_->setVisible(!document_.IsFont());
    toAll_->setVisible(!document_.IsFont());
}

}  // namespace tobrin
