#pragma once

#include <QWidget>

class QPlainTextEdit;

namespace tobrin {

class PictureDocument;

// "Text view": the hex text in a read-only text box (Text1) that fills the
// window, with both scroll bars and no wrapping. It shows the document's
// text and follows every change of the picture.
class TextPreview : public QWidget {
    Q_OBJECT
public:
    static constexpr int kSetTextDelayMs = 60;
    explicit TextPreview(const PictureDocument& document, QWidget* parent = nullptr);
    void SetText(const QString& text);
    QString Text() const;
    QPlainTextEdit* Text1() const { return text1_; }

private:
    QPlainTextEdit* text1_ = nullptr;
};

}  // namespace tobrin
