// Placeholder so the tree links; replaced by the real text view.
#include "preview/textview.h"

#include <QPlainTextEdit>

namespace tobrin {
TextView::TextView(QWidget* parent) : QWidget(parent), text1_(new QPlainTextEdit(this)) {}
void TextView::SetText(const QString& text) { text1_->setPlainText(text); }
QString TextView::Text() const { return text1_->toPlainText(); }
}  // namespace tobrin
