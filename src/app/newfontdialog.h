#pragma once

#include <QDialog>

#include "core/pixelfont.h"

class QCheckBox;
class QComboBox;
class QDialogButtonBox;
class QLineEdit;
class QSpinBox;

namespace tobrin {

class Dialogs;

// "New Font": where the glyphs come from and which of them. The size and
// threshold are for outline fonts, the grid for a picture of glyphs; what
// does not apply to the chosen source is greyed.
class NewFontDialog : public QDialog {
    Q_OBJECT
public:
    // Browse asks for the source through dialogs.
    NewFontDialog(const QString& source, const FontSourceOptions& options, Dialogs& dialogs,
                  QWidget* parent = nullptr);
    QString Source() const;
    FontSourceOptions Options() const;

    enum class SourceKind { Outline, Bitmap, Picture };
    static SourceKind KindOf(const QString& path);

private:
    void Browse();
    void Follow();

    Dialogs& dialogs_;
    QLineEdit* source_ = nullptr;
    QComboBox* installed_ = nullptr;
    QSpinBox* size_ = nullptr;
    QCheckBox* thresholdOn_ = nullptr;
    QSpinBox* threshold_ = nullptr;
    QLineEdit* chars_ = nullptr;
    QSpinBox* columns_ = nullptr;
    QSpinBox* rows_ = nullptr;
    QSpinBox* gap_ = nullptr;
    QDialogButtonBox* buttons_ = nullptr;
};

}  // namespace tobrin
