#include "frame/about.h"

#include <QGuiApplication>
#include <algorithm>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>

#include "core/units.h"
#include "app/appresources.h"

namespace tobrin {

namespace {

QRect UnitsRect(int left, int top, int width, int height)
{
    return QRect(units::ToPixels(left), units::ToPixels(top), units::ToPixels(width), units::ToPixels(height));
}

QLabel* CentredLabel(QWidget* parent, const char* name, const QString& text, const QRect& geometry)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    label->setGeometry(geometry);
    return label;
}

}  // namespace

QIcon About::AppIcon(int largest)
{
    QIcon icon;
    AddAppIconSizes(icon, 0, largest);
    return icon;
}

void About::AddAppIconSizes(QIcon& icon, int smaller, int largest)
{
    InitResources();
    for (int size : {16, 32, 48, 64, 128, 256})
        if (size > smaller && size <= largest)
            AddResourceIcon(icon, QStringLiteral(":/icons/app/tobrin-%1.png").arg(size));
}

About::About(QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("About"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowModality(Qt::NonModal);
    setWindowTitle(QStringLiteral("Tobrin v" TOBRIN_VERSION));
    setWindowIcon(AppIcon());

    auto* picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("Picture1"));
    picture->setGeometry(UnitsRect(288, 492, 720, 684));
    picture->setAutoFillBackground(true);
    QPalette pal = picture->palette();
    pal.setColor(QPalette::Window, QColor(192, 192, 192));
    picture->setPalette(pal);
    picture->setAlignment(Qt::AlignCenter);
    picture->setPixmap(ResourcePixmap(QStringLiteral(":/icons/app/tobrin-48.png")));

    const QList<QLabel*> labels = {
        CentredLabel(this, "Label1", QStringLiteral("Tobrin was written by"), UnitsRect(1400, 516, 1680, 252)),
        CentredLabel(this, "Label2", QStringLiteral("The Tobrin developers"), UnitsRect(1400, 768, 1680, 264)),
        CentredLabel(this, "Label3", QStringLiteral("tobrin@example.org"), UnitsRect(1404, 1020, 1680, 264)),
    };
    // The text column grows with the font, so no line is ever cut off; the
    // box grows with it and keeps its right margin.
    int columnWidth = 0;
    for (QLabel* label : labels)
        columnWidth = std::max({columnWidth, label->width(),
                                label->fontMetrics().horizontalAdvance(label->text()) + 6});
    for (QLabel* label : labels)
        label->setGeometry(label->x(), label->y(), columnWidth,
                           std::max(label->height(), label->fontMetrics().height()));
    const QSize client(std::max(units::ToPixels(3480), units::ToPixels(1400) + columnWidth + units::ToPixels(400)),
                       units::ToPixels(2355));

    unloadAbout_ = new QPushButton(QStringLiteral("OK"), this);
    unloadAbout_->setObjectName(QStringLiteral("UnloadAbout"));
    const QRect button = UnitsRect(1290, 1632, 900, 468);
    unloadAbout_->setGeometry((client.width() - button.width()) / 2, button.y(), button.width(), button.height());
    unloadAbout_->setDefault(true);
    connect(unloadAbout_, &QPushButton::clicked, this, &About::UnloadAbout_Click);
    // The only control that takes the keyboard focus, so it is first in the
    // tab order and Enter or Space presses it.
    unloadAbout_->setFocus();

    setFixedSize(client);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(0, 0), client);
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

void About::UnloadAbout_Click() { close(); }

}  // namespace tobrin
