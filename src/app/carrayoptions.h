#pragma once

#include <QDialog>
#include <QWidget>

#include "core/formats.h"

class QButtonGroup;
class QCheckBox;
class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace tobrin {

// A small picture of the first bytes of a C array: the top-left pixels of
// the picture as a grid, the eight pixels of byte 0 shaded and numbered
// with the bit each one lands in.
class BytePicture : public QWidget {
    Q_OBJECT
public:
    explicit BytePicture(QWidget* parent = nullptr);
    void SetOrder(ByteOrder order);
    ByteOrder Order() const { return order_; }
    // The bit of byte 0 that holds pixel (x, y), or -1 for another byte.
    static int BitOf(ByteOrder order, int x, int y);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    ByteOrder order_ = ByteOrder::Msb;
};

// "C array": the byte order, the array's name and the run-length
// compression of an export to .c or .h.
class CArrayOptionsDialog : public QDialog {
    Q_OBJECT
public:
    // The name starts as the file's own (CNameFromPath) unless options
    // already name one; OK is offered only for a C identifier.
    // With frames (what will be written) it shows their size before and
    // after compression.
    CArrayOptionsDialog(const QString& path, const ExportOptions& options, QWidget* parent = nullptr,
                        const MonoSet* frames = nullptr);

    ExportOptions Options() const;
    void SetOrder(ByteOrder order);
    QLineEdit* NameField() const { return name_; }
    QRadioButton* OrderButton(ByteOrder order) const;
    BytePicture* Picture() const { return picture_; }
    bool Acceptable() const;
    QLabel* Sizes() const { return sizes_; }

private:
    void NameEdited();
    void CompressionChanged();

    QButtonGroup* orders_ = nullptr;
    BytePicture* picture_ = nullptr;
    QLineEdit* name_ = nullptr;
    QLabel* nameProblem_ = nullptr;
    QCheckBox* rle_ = nullptr;
    QCheckBox* rleRows_ = nullptr;
    QLabel* sizes_ = nullptr;
    MonoSet frames_;
    ExportOptions base_;
    QDialogButtonBox* buttons_ = nullptr;
};

}  // namespace tobrin
