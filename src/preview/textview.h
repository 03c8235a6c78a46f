#pragma once

#include <QWidget>

class QPlainTextEdit;

namespace tobrin {

// "Text view": the hex text in a read-only text box (Text1) that fills the
// window, with both scroll bars and no wrapping. The text itself is kept by
// the session, so this window only shows it.
class TextView : public QWidget {
    Q_OBJECT
public:
    explicit TextView(QWidget* parent = nullptr);
    void SetText(const QString& text);
    QString Text() const;
    QPlainTextEdit* Text1() const { return text1_; }

private:
    QPlainTextEdit* text1_ = nullptr;
};

}  // namespace tobrin
