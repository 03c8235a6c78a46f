#pragma once

#include <QDialog>

#include "core/formats.h"
#include "core/pixelfont.h"

class QDialogButtonBox;
class QListWidget;
class QPlainTextEdit;

namespace tobrin {

// "Export with Template": the built-in and the user's own output templates,
// with the first lines of what the chosen one writes for the picture (or
// font) shown as it is chosen. A template with a mistake shows the
// mistake and cannot be taken.
class TemplateDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kPreviewLines = 12;

    // font, when given, is written instead of set (a font document).
    TemplateDialog(const MonoSet& set, const PixelFont* font, const ExportOptions& options,
                   QWidget* parent = nullptr);

    // options with the chosen template's name (a built-in's name or the
    // user's file).
    ExportOptions Options() const;
    QListWidget* List() const { return list_; }
    QPlainTextEdit* Preview() const { return preview_; }

private:
    void ShowPreview();

    MonoSet set_;
    std::optional<PixelFont> font_;
    ExportOptions options_;
    QListWidget* list_ = nullptr;
    QPlainTextEdit* preview_ = nullptr;
    QDialogButtonBox* buttons_ = nullptr;
};

}  // namespace tobrin
