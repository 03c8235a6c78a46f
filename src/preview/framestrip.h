#pragma once

#include <QAbstractListModel>
#include <QPixmap>
#include <QListView>
#include <QWidget>
#include <vector>

class QAction;
class QSpinBox;
class QToolBar;

namespace tobrin {

class FontPanel;
class PictureDocument;

// The frames as a list a view shows: a 1:1 thumbnail per frame in the
// device's colours, its number and its delay. It follows the document and
// draws a thumbnail again only when it is next asked for.
class FrameListModel : public QAbstractListModel {
    Q_OBJECT
public:
    explicit FrameListModel(const PictureDocument& document, QObject* parent = nullptr);
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    Qt::DropActions supportedDropActions() const override { return Qt::MoveAction; }
    // "Frame 3, 120 ms": a frame's name as a screen reader says it.
    static QString FrameName(int frame, int delay);

private:
    void Reset();
    const PictureDocument& document_;
    mutable std::vector<QPixmap> thumbnails_;  // null: to be drawn
    bool choosing_ = false;
};

// The list itself: a click chooses the current frame, a drag moves a frame,
// each through the document.
class FrameListView : public QListView {
    Q_OBJECT
public:
    FrameListView(PictureDocument& document, QWidget* parent = nullptr);

protected:
    void dropEvent(QDropEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    PictureDocument& document_;
    bool following_ = false;
};

// "Frames": the strip of frames with the frame commands above it and the
// delay of the current frame (or of every frame) beside them.
class FrameStrip : public QWidget {
    Q_OBJECT
public:
    FrameStrip(PictureDocument& document, const QList<QAction*>& commands, QWidget* parent = nullptr);
    FrameListView* List() const { return list_; }
    QSpinBox* Delay() const { return delay_; }
    FontPanel* Font() const { return font_; }

private:
    void ShowDelay();
    PictureDocument& document_;
    FrameListView* list_ = nullptr;
    QSpinBox* delay_ = nullptr;
    QWidget* toAll_ = nullptr;
    FontPanel* font_ = nullptr;
};

}  // namespace tobrin
