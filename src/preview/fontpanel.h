#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;
class QSpinBox;
class QTimer;

namespace tobrin {

class PictureDocument;

// What a font document adds to the frame strip: the current glyph's
// character and advance, the font's baseline, and a sample line the user
// types, drawn in the font at 1:1 in the device's colours. Hidden while
// the document is no font.
class FontPanel : public QWidget {
    Q_OBJECT
public:
    explicit FontPanel(PictureDocument& document, QWidget* parent = nullptr);

    QLineEdit* Character() const { return character_; }
    QSpinBox* Advance() const { return advance_; }
    QSpinBox* Baseline() const { return baseline_; }
    QLineEdit* Sample() const { return sample_; }
    QLabel* SamplePreview() const { return preview_; }

private:
    void ShowGlyph();
    void TakeCharacter();
    void DrawSample();

    PictureDocument& document_;
    QLineEdit* character_ = nullptr;
    QSpinBox* advance_ = nullptr;
    QSpinBox* baseline_ = nullptr;
    QLineEdit* sample_ = nullptr;
    QLabel* preview_ = nullptr;
    QTimer* redraw_ = nullptr;
};

}  // namespace tobrin
