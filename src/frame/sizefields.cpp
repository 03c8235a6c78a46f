#include "frame/sizefields.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <cmath>
#include <limits>

#include "app/accessible.h"
#include "core/units.h"
#include "frame/framewindow.h"
#include "app/session.h"

namespace tobrin {

namespace {

// Field positions relative to the width field, in logical units.
constexpr int kHScrollLeft = 4095 - 3687;
constexpr int kVSizeLeft = 4502 - 3687;
constexpr int kVScrollLeft = 4905 - 3687;
constexpr int kFieldWidth = 400, kFieldHeight = 288;
constexpr int kSpinWidth = 200, kSpinHeight = 280;

QRect UnitsRect(int left, int width, int height)
{
    return QRect(units::ToPixels(left), 0, units::ToPixels(width), units::ToPixels(height));
}

QScrollBar* MakeSpin(QWidget* parent, const char* name, int minimum, int maximum, int value)
{
    // A vertical bar has its minimum at the top: the upper arrow lowers the
    // value, the lower arrow raises it.
    auto* spin = new QScrollBar(Qt::Vertical, parent);
    spin->setObjectName(QLatin1String(name));
    spin->setRange(minimum, maximum);
    spin->setSingleStep(1);
    spin->setPageStep(1);
    spin->setValue(value);
    return spin;
}

QLineEdit* MakeField(QWidget* parent, const char* name, const QString& text, const QString& tip)
{
    auto* field = new QLineEdit(text, parent);
    field->setObjectName(QLatin1String(name));
    field->setToolTip(tip);
    return field;
}

}  // namespace

SizeFields::SizeFields(FrameWindow& frame, Session& session, QWidget* parent)
    : QWidget(parent), frame_(frame), session_(session)
{
    setObjectName(QStringLiteral("SizeFields"));

    hSize_ = MakeField(this, "HSize", QStringLiteral("40"), QStringLiteral("Width"));
    hScroll_ = MakeSpin(this, "HScroll", kMinWidth, kMaxWidth, 40);
    vSize_ = MakeField(this, "VSize", QStringLiteral("32"), QStringLiteral("Height"));
    vScroll_ = MakeSpin(this, "VScroll", kMinHeight, kMaxHeight, 32);
    SetAccessible(hSize_, QStringLiteral("Picture width"), QStringLiteral("Width of the picture in pixels"));
    SetAccessible(vSize_, QStringLiteral("Picture height"), QStringLiteral("Height of the picture in pixels"));
    SetAccessible(hScroll_, QStringLiteral("Picture width spinner"), QStringLiteral("Steps the picture width"));
    SetAccessible(vScroll_, QStringLiteral("Picture height spinner"), QStringLiteral("Steps the picture height"));

    hSize_->setGeometry(UnitsRect(0, kFieldWidth, kFieldHeight));
    hScroll_->setGeometry(UnitsRect(kHScrollLeft, kSpinWidth, kSpinHeight));
    vSize_->setGeometry(UnitsRect(kVSizeLeft, kFieldWidth, kFieldHeight));
    vScroll_->setGeometry(UnitsRect(kVScrollLeft, kSpinWidth, kSpinHeight));
    setFixedSize(units::ToPixels(kVScrollLeft + kSpinWidth), units::ToPixels(kFieldHeight));

    connect(hScroll_, &QScrollBar::valueChanged, this, &SizeFields::HScroll_Change);
    connect(vScroll_, &QScrollBar::valueChanged, this, &SizeFields::VScroll_Change);
    hSize_->installEventFilter(this);
    vSize_->installEventFilter(this);
    connect(&session_.document, &PictureDocument::sizeChanged, this, [this](int width, int height) {
        if (!applying_)
            ShowSizeQuietly(width, height);
    });
}

void SizeFields::Apply(int mx, int my)
{
    const QScopedValueRollback<bool> applying(applying_, true);
    session_.document.ChangeSize(mx, my);
}

void SizeFields::ShowSize(int width, int height)
{
    hSize_->setText(QString::number(width));
    vSize_->setText(QString::number(height));
    hScroll_->setValue(width);
    vScroll_->setValue(height);
}

void SizeFields::ShowSizeQuietly(int width, int height)
{
    const QSignalBlocker blockH(hScroll_);
    const QSignalBlocker blockV(vScroll_);
    ShowSize(width, height);
}

double SizeFields::LeadingNumber(const QString& text)
{
    int i = 0;
    const int n = text.size();
    while (i < n && (text[i] == QLatin1Char(' ') || text[i] == QLatin1Char('\t')))
        ++i;

    QString number;
    if (i < n && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-')))
        number += text[i++];
    int digits = 0;
    while (i < n && text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9')) {
        number += text[i++];
        ++digits;
    }
    if (i + 1 < n && text[i] == QLatin1Char('.') && text[i + 1] >= QLatin1Char('0')
        && text[i + 1] <= QLatin1Char('9')) {
        number += text[i++];
        while (i < n && text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9')) {
            number += text[i++];
            ++digits;
        }
    } else if (i < n && text[i] == QLatin1Char('.')) {
        ++i;  // "5." is 5
    }
    if (digits == 0)
        return 0;

    bool negativeExponent = false;
    if (i < n && QStringLiteral("eEdD").contains(text[i])) {
        int j = i + 1;
        QString exponent = QStringLiteral("e");
        if (j < n && (text[j] == QLatin1Char('+') || text[j] == QLatin1Char('-'))) {
            negativeExponent = text[j] == QLatin1Char('-');
            exponent += text[j++];
        }
        const int start = j;
        while (j < n && text[j] >= QLatin1Char('0') && text[j] <= QLatin1Char('9'))
            exponent += text[j++];
        if (j > start)
            number += exponent;
    }

    bool ok = false;
    const double value = QLocale::c().toDouble(number, &ok);
    if (ok)
        return value;
    // Only a number out of double's range is refused here.
    if (negativeExponent)
        return 0;
    const double inf = std::numeric_limits<double>::infinity();
    return number.startsWith(QLatin1Char('-')) ? -inf : inf;
}

void SizeFields::HScroll_Change(int value)
{
    hSize_->setText(QString::number(value));
    Apply(value - 1, session_.document.MaxY());
}

void SizeFields::VScroll_Change(int value)
{
    vSize_->setText(QString::number(value));
    Apply(session_.document.MaxX(), value - 1);
}

void SizeFields::HSize_LostFocus()
{
    double v = std::trunc(LeadingNumber(hSize_->text()));
    if (!(v >= kMinTypedWidth && v <= kMaxWidth))
        v = session_.document.MaxX() + 1;
    hScroll_->setValue(static_cast<int>(v));
    hSize_->setText(QString::number(hScroll_->value()));
}

void SizeFields::VSize_LostFocus()
{
    double v = LeadingNumber(vSize_->text());
    if (!(v >= kMinHeight && v <= kMaxHeight))
        v = session_.document.MaxY() + 1;
    // Halves go to the even neighbour (the default rounding mode).
    vScroll_->setValue(static_cast<int>(std::nearbyint(v)));
    vSize_->setText(QString::number(vScroll_->value()));
}

void SizeFields::EnterPressed(QLineEdit* field)
{
    frame_.FocusDrawingWindow();
    // When the drawing window cannot take the focus (hidden), the typed
    // value is applied here instead of on leaving the field.
    if (field->hasFocus()) {
        if (field == hSize_)
            HSize_LostFocus();
        else
            VSize_LostFocus();
    }
}

bool SizeFields::eventFilter(QObject* watched, QEvent* event)
{
    auto* field = qobject_cast<QLineEdit*>(watched);
    if (field && (field == hSize_ || field == vSize_)) {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                EnterPressed(field);
                return true;
            }
        } else if (event->type() == QEvent::FocusOut) {
            // A menu or a tooltip popping up is not leaving the field.
            if (static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason) {
                if (field == hSize_)
                    HSize_LostFocus();
                else
                    VSize_LostFocus();
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace tobrin
