#pragma once

#include <QWidget>

class QLineEdit;
class QScrollBar;

namespace tobrin {

class FrameWindow;
struct Session;

// The picture-size fields on the frame's toolbar: a width field (HSize) and
// a height field (VSize), each with a vertical spin bar (HScroll, VScroll)
// whose minimum is at the top. A typed value is applied when its field
// loses the focus (Enter moves the focus to the drawing window); a spin bar
// applies its value at once through the document's ChangeSize. A size the
// document takes from elsewhere (open, import, new) shows in the fields.
class SizeFields : public QWidget {
    Q_OBJECT
public:
    static constexpr int kMinTypedWidth = 8;
    static constexpr int kMinWidth = 4;
    static constexpr int kMaxWidth = 240;
    static constexpr int kMinHeight = 4;
    static constexpr int kMaxHeight = 120;

    SizeFields(FrameWindow& frame, Session& session, QWidget* parent = nullptr);

    QLineEdit* HSize() const { return hSize_; }
    QLineEdit* VSize() const { return vSize_; }
    QScrollBar* HScroll() const { return hScroll_; }
    QScrollBar* VScroll() const { return vScroll_; }

    // Texts first, then the spin bars (width, then height); a spin bar whose
    // value changes applies the size as a user's step would.
    void ShowSize(int width, int height);
    // Brings texts and spin bars to the given size without applying anything.
    void ShowSizeQuietly(int width, int height);

    // The number at the start of a text, as typed into a size field: leading
    // blanks skipped, optional sign, digits, fraction and exponent; reading
    // stops at the first character that does not belong to the number; no
    // number gives 0. Too large a number gives an infinity.
    static double LeadingNumber(const QString& text);

    void HScroll_Change(int value);
    void VScroll_Change(int value);
    void HSize_LostFocus();
    void VSize_LostFocus();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void EnterPressed(QLineEdit* field);
    void Apply(int mx, int my);

    FrameWindow& frame_;
    Session& session_;
    QLineEdit* hSize_ = nullptr;
    QLineEdit* vSize_ = nullptr;
    QScrollBar* hScroll_ = nullptr;
    QScrollBar* vScroll_ = nullptr;
    bool applying_ = false;
};

}  // namespace tobrin
