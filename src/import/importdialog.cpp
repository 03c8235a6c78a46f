#include "import/importdialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScopeGuard>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTimer>
#include <algorithm>
#include <exception>
#include <initializer_list>
#include <iterator>

#include "app/accessible.h"
#include "app/dropfile.h"
#include "core/imageloader.h"
#include "core/importpipeline.h"
#include "core/units.h"
#include "import/framessection.h"
#include "import/imagebox.h"
#include "import/importdialogimpl.h"
#include "import/importsettings.h"

namespace tobrin {
namespace {

// The dialog's size in window units: the converter above, the cut into
// frames below.
constexpr int kWidthUnits = 7770;
constexpr int kHeightUnits = 5430;

const QString kCaption = QStringLiteral("Import picture");
const QString kConverting = QStringLiteral("Converting... ");

// A rectangle given in window units, in screen pixels.
QRect UnitRect(int left, int top, int width, int height)
{
    return QRect(units::ToPixels(left), units::ToPixels(top), units::ToPixels(width), units::ToPixels(height));
}

// The busy pointer for as long as the result lives.
auto BusyPointer()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    return qScopeGuard([] { QApplication::restoreOverrideCursor(); });
}

}  // namespace

ImportDialog::ImportDialog(Session& session, std::function<void()> showDrawing, QWidget* parent)
    : QDialog(parent), d_(new Impl(session, std::move(showDrawing)))
{
    setObjectName(QStringLiteral("Import"));
    setWindowTitle(kCaption);
    setModal(true);
    setAcceptDrops(true);  // an image dropped here loads as "Load" would
    setFixedSize(units::ToPixels(kWidthUnits), units::ToPixels(kHeightUnits));

    Impl& d = *d_;
    importsettings::Restore(d.pipeline);
    const auto place = [](QWidget* w, const char* name, const QRect& r) {
        w->setObjectName(QLatin1String(name));
        w->setGeometry(r);
    };

    // The display copy, the target preview and its height slider.
    d.Disp = new ImageBox(this);
    place(d.Disp, "Disp", UnitRect(120, 105, 3625, 1813));
    d.Dest = new ImageBox(this);
    d.Dest->setObjectName(QStringLiteral("Dest"));
    d.Dest->move(units::ToPixels(3855), units::ToPixels(105));
    d.Dest->SetImage(d.pipeline.Dest());
    d.Dest->SetImageArea(d.pipeline.HSize(), d.pipeline.VSize());
    d.VSize = new QScrollBar(Qt::Vertical, this);
    place(d.VSize, "VSize", UnitRect(7500, 105, 220, 1815));
    d.VSize->setRange(ImportPipeline::kVSizeMin, ImportPipeline::kVSizeMax);
    d.VSize->setValue(d.pipeline.VSize());

    // Threshold and width sliders under them.
    d.Tolerance = new QScrollBar(Qt::Horizontal, this);
    place(d.Tolerance, "Tolerance", UnitRect(140, 1935, 3600, 220));
    d.Tolerance->setRange(ImportPipeline::kToleranceMin, ImportPipeline::kToleranceMax);
    d.Tolerance->setValue(d.pipeline.Tolerance());
    d.HSize = new QScrollBar(Qt::Horizontal, this);
    place(d.HSize, "HSize", UnitRect(3860, 1935, 3630, 220));
    d.HSize->setRange(ImportPipeline::kHSizeMin, ImportPipeline::kHSizeMax);
    d.HSize->setValue(d.pipeline.HSize());

    // Their labels.
    d.Label1 = new QLabel(QStringLiteral("Threshold"), this);
    place(d.Label1, "Label1", UnitRect(1080, 2280, 855, 255));
    d.ThresholdLabel = new QLabel(this);
    place(d.ThresholdLabel, "ThresholdLabel", UnitRect(2055, 2280, 705, 270));
    d.Label2 = new QLabel(QStringLiteral("Size:"), this);
    place(d.Label2, "Label2", UnitRect(4710, 2295, 420, 225));
    d.SizeLabel = new QLabel(this);
    place(d.SizeLabel, "SizeLabel", UnitRect(5355, 2295, 960, 300));

    // The colour components on the left, the shaping options on the right.
    d.uRed = new QCheckBox(QStringLiteral("Red component"), this);
    place(d.uRed, "uRed", UnitRect(1090, 2655, 1700, 330));
    d.uGreen = new QCheckBox(QStringLiteral("Green component"), this);
    place(d.uGreen, "uGreen", UnitRect(1090, 2910, 1700, 330));
    d.uBlue = new QCheckBox(QStringLiteral("Blue component"), this);
    place(d.uBlue, "uBlue", UnitRect(1090, 3165, 1700, 330));
    d.MatchSize = new QCheckBox(QStringLiteral("Match size"), this);
    place(d.MatchSize, "MatchSize", UnitRect(4925, 2670, 1500, 276));
    d.Aspect = new QCheckBox(QStringLiteral("Maintain aspect"), this);
    place(d.Aspect, "Aspect", UnitRect(4925, 2895, 1500, 330));
    d.Invert = new QCheckBox(QStringLiteral("Invert image"), this);
    place(d.Invert, "Invert", UnitRect(4925, 3165, 1500, 330));

    // The dither choice: label over box, in the gap between the components
    // and the shaping options (placed once those have their widths).
    d.DitherLabel = new QLabel(QStringLiteral("Dither:"), this);
    d.DitherLabel->setObjectName(QStringLiteral("DitherLabel"));
    d.Dither = new QComboBox(this);
    d.Dither->setObjectName(QStringLiteral("Dither"));
    d.Dither->setAccessibleName(QStringLiteral("Dither"));
    for (const tobrin::Dither choice : {Dither::None, Dither::FloydSteinberg, Dither::Atkinson, Dither::Bayer4,
                                        Dither::Bayer8})
        d.Dither->addItem(DitherCaption(choice), int(choice));
    d.Dither->setCurrentIndex(d.Dither->findData(int(d.pipeline.DitherMode())));
    d.DitherLabel->setBuddy(d.Dither);
    d.FullResolution = new QCheckBox(QStringLiteral("Full resolution"), this);
    d.FullResolution->setObjectName(QStringLiteral("FullResolution"));
    SetAccessible(d.FullResolution, QStringLiteral("Full resolution"),
                  QStringLiteral("Convert from the image itself rather than from its display copy"));

    // The buttons in a row.
    d.Load = new QPushButton(QStringLiteral("Load"), this);
    place(d.Load, "Load", UnitRect(1095, 3720, 732, 372));
    d.PasteButton = new QPushButton(QStringLiteral("Paste"), this);
    place(d.PasteButton, "PasteButton", UnitRect(1830, 3720, 732, 372));
    d.GetImport = new QPushButton(QStringLiteral("Import"), this);
    place(d.GetImport, "GetImport", UnitRect(4890, 3720, 732, 372));
    d.CloseButton = new QPushButton(QStringLiteral("Close"), this);
    place(d.CloseButton, "CloseButton", UnitRect(5610, 3720, 732, 372));
    SetAccessible(d.Disp, QStringLiteral("Loaded image"), QStringLiteral("The image as it was loaded"));
    SetAccessible(d.Dest, QStringLiteral("Converted picture"), QStringLiteral("The picture the import makes"));
    SetAccessible(d.Tolerance, QStringLiteral("Threshold"), QStringLiteral("Brightness that divides black from white"));
    SetAccessible(d.HSize, QStringLiteral("Picture width"), QStringLiteral("Width of the imported picture"));
    SetAccessible(d.VSize, QStringLiteral("Picture height"), QStringLiteral("Height of the imported picture"));
    for (QPushButton* b : {d.Load, d.PasteButton, d.GetImport, d.CloseButton})
        b->setAutoDefault(false);
    // The cut into frames, under the buttons.
    d.Frames = new FramesSection(this);
    d.Frames->setGeometry(UnitRect(120, 4170, 7530, kHeightUnits - 4170 - 60));
    // Captions are never cut off: a box wider than its place in units grows
    // to the right, where each column has room.
    for (QWidget* w : std::initializer_list<QWidget*>{d.uRed, d.uGreen, d.uBlue, d.MatchSize, d.Aspect, d.Invert,
                                                      d.Label1, d.Label2})
        w->resize(std::max(w->width(), w->sizeHint().width()), w->height());
    {
        const int margin = units::ToPixels(45);
        const int gapLeft = std::max({d.uRed->geometry().right(), d.uGreen->geometry().right(),
                                      d.uBlue->geometry().right()}) + 1 + margin;
        const int gapRight = std::min({d.MatchSize->x(), d.Aspect->x(), d.Invert->x()}) - margin;
        const int width = std::min(std::max(d.Dither->sizeHint().width(), units::ToPixels(1700)), gapRight - gapLeft);
        const int left = gapLeft + (gapRight - gapLeft - width) / 2;
        d.DitherLabel->setGeometry(left, units::ToPixels(2655), width, units::ToPixels(255));
        d.Dither->setGeometry(left, units::ToPixels(2910),
                              width, std::max(units::ToPixels(330), d.Dither->sizeHint().height()));
        d.FullResolution->setGeometry(left, d.Dither->geometry().bottom() + 1 + margin, width,
                                      units::ToPixels(330));
    }
    // Enter imports; the keyboard reaches every control, sliders included,
    // in the order of the dialog's columns.
    d.GetImport->setDefault(true);
    for (QScrollBar* bar : {d.Tolerance, d.HSize, d.VSize})
        bar->setFocusPolicy(Qt::StrongFocus);
    {
        QList<QWidget*> order = {d.Load, d.PasteButton, d.Tolerance, d.uRed, d.uGreen, d.uBlue, d.Dither,
                                 d.FullResolution, d.HSize, d.VSize, d.MatchSize, d.Aspect, d.Invert};
        order += d.Frames->Controls();
        order += {d.GetImport, d.CloseButton};
        for (qsizetype i = 1; i < order.size(); ++i)
            setTabOrder(order[i - 1], order[i]);
    }

    d.RedrawDelay = new QTimer(this);
    d.RedrawDelay->setObjectName(QStringLiteral("RedrawDelay"));
    d.RedrawDelay->setSingleShot(true);
    d.RedrawDelay->setInterval(kRedrawDelayMs);

    // Form_Load: the labels and boxes from the initial state.
    d.ThresholdLabel->setText(QString::number(d.pipeline.Tolerance()));
    d.ShowSizeLabel();
    d.ShowOptions();

    // What the conversion tells the window.
    d.pipeline.OptionsChanged = [this] { d_->ShowOptions(); };
    d.pipeline.SizeChanged = [this] { d_->SizeChanged(); };
    d.pipeline.ConvertBegin = [this] {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        ++d_->busy;
        setWindowTitle(kConverting);
    };
    d.pipeline.ConvertEnd = [this] {
        d_->Dest->SetImage(d_->pipeline.Dest());
        setWindowTitle(kCaption);
        if (d_->busy > 0) {
            --d_->busy;
            QApplication::restoreOverrideCursor();
        }
    };

    connect(d.Load, &QPushButton::clicked, this, &ImportDialog::Load_Click);
    connect(d.PasteButton, &QPushButton::clicked, this, &ImportDialog::PasteButton_Click);
    connect(d.GetImport, &QPushButton::clicked, this, &ImportDialog::GetImport_Click);
    connect(d.CloseButton, &QPushButton::clicked, this, &ImportDialog::CloseButton_Click);
    connect(d.uRed, &QCheckBox::clicked, this, &ImportDialog::uRed_Click);
    connect(d.uGreen, &QCheckBox::clicked, this, &ImportDialog::uGreen_Click);
    connect(d.uBlue, &QCheckBox::clicked, this, &ImportDialog::uBlue_Click);
    connect(d.Invert, &QCheckBox::clicked, this, &ImportDialog::Invert_Click);
    connect(d.MatchSize, &QCheckBox::clicked, this, &ImportDialog::MatchSize_Click);
    connect(d.Aspect, &QCheckBox::clicked, this, &ImportDialog::Aspect_Click);
    connect(d.FullResolution, &QCheckBox::clicked, this, &ImportDialog::FullResolution_Click);
    connect(d.Tolerance, &QScrollBar::valueChanged, this, &ImportDialog::Tolerance_Change);
    connect(d.Dither, qOverload<int>(&QComboBox::currentIndexChanged), this, &ImportDialog::Dither_Change);
    connect(d.HSize, &QScrollBar::valueChanged, this, &ImportDialog::HSize_Change);
    connect(d.VSize, &QScrollBar::valueChanged, this, &ImportDialog::VSize_Change);
    connect(d.RedrawDelay, &QTimer::timeout, this, &ImportDialog::RedrawDelay_Timer);
    connect(d.Frames, &FramesSection::CutChanged, this, &ImportDialog::Frames_Change);
}

ImportDialog::~ImportDialog()
{
    // The pipeline's hooks point back at this window.
    d_->pipeline.OptionsChanged = nullptr;
    d_->pipeline.SizeChanged = nullptr;
    d_->pipeline.ConvertBegin = nullptr;
    d_->pipeline.ConvertEnd = nullptr;
    while (d_->busy > 0) {
        --d_->busy;
        QApplication::restoreOverrideCursor();
    }
    delete d_;
}

ImportPipeline& ImportDialog::Pipeline()
{
    return d_->pipeline;
}

ImageLoader& ImportDialog::Loader()
{
    return d_->loader;
}

void ImportDialog::ConvertImage()
{
    d_->pipeline.ConvertImage();
}

void ImportDialog::Load_Click()
{
    Impl& d = *d_;
    d.pipeline.BeginLoad();
    // Every format the loader reads, the Windows ones first.
    const QString graphic = QStringLiteral("Graphic files (%1)").arg(ImageLoader::NamePatterns());
    // Several files make a set of frames, in the order given.
    const QStringList names = d.session.dialogs.OpenFileNames(
        this, QStringLiteral("Load"), QStringLiteral("All Files (*.*);;") + graphic, graphic, QString());
    d.Frames->SetFiles(names);
    FinishLoading(names.value(0));
}

void ImportDialog::LoadFile(const QString& name)
{
    d_->pipeline.BeginLoad();
    d_->Frames->SetFiles(name.isEmpty() ? QStringList() : QStringList{name});
    FinishLoading(name);
}

void ImportDialog::FinishLoading(const QString& name)
{
    Impl& d = *d_;
    bool ok = false;
    QString why;
    try {
        const auto busy = BusyPointer();
        ok = d.pipeline.FinishLoad(name, d.loader, &why);
        if (ok && !name.isEmpty())
            d.ShowDisplayCopy();
    } catch (const std::exception&) {
        ok = false;
        why = QStringLiteral("out of memory");  // in the conversion, for one
    }
    d.ShowOptions();
    d.Frames->ShowCut(d.pipeline, *d.Disp);
    if (!ok) {
        d.session.dialogs.Message(this, QStringLiteral("Error!"), QStringLiteral("File Import Error"),
                                  Dialogs::Icon::Critical, QStringLiteral("%1: %2").arg(QFileInfo(name).fileName(), why));
    }
}

void ImportDialog::PasteButton_Click()
{
    Impl& d = *d_;
    const QClipboard* clipboard = QGuiApplication::clipboard();
    const QImage image = clipboard ? clipboard->image() : QImage();
    if (image.isNull())
        return;
    try {
        const auto busy = BusyPointer();
        d.pipeline.Paste(image);
        d.Frames->SetFiles({});
        d.ShowDisplayCopy();
    } catch (const std::exception&) {
        // Paste reports nothing; what could be done stays.
    }
    d.ShowOptions();
    d.Frames->ShowCut(d.pipeline, *d.Disp);
}

void ImportDialog::GetImport_Click()
{
    Impl& d = *d_;
    if (!d.pipeline.HasSource())
        return;  // as the disabled button
    if (d.Frames->MakesSet()) {
        // Every frame is read and converted before the document is
        // touched: a failure leaves it as it was.
        SetImportError failure;
        std::optional<MonoSet> set;
        try {
            const auto busy = BusyPointer();
            set = d.Frames->MakeSet(d.pipeline, d.loader, &failure);
        } catch (const std::exception&) {
            failure.cause = QStringLiteral("out of memory");
        }
        if (!set) {
            d.session.dialogs.Message(this, QStringLiteral("Error!"), QStringLiteral("File Import Error"),
                                      Dialogs::Icon::Critical,
                                      QStringLiteral("%1: %2").arg(QFileInfo(failure.file).fileName(), failure.cause));
            return;
        }
        d.session.document.ImportFrames(*set);
        accept();
        return;
    }
    d.session.document.Import(d.pipeline);
    accept();
}

void ImportDialog::Frames_Change()
{
    Impl& d = *d_;
    // The target takes a frame's size, as Match size takes the image's.
    const QSize frame = d.Frames->FrameSize(d.pipeline);
    if (frame.isValid()) {
        d.pipeline.SetHSize(frame.width());
        d.pipeline.SetVSize(frame.height());
    }
    d.Frames->ShowCut(d.pipeline, *d.Disp);
}

void ImportDialog::CloseButton_Click()
{
    reject();
    if (d_->showDrawing)
        d_->showDrawing();
}

void ImportDialog::uRed_Click()
{
    d_->pipeline.SetRed(d_->uRed->isChecked());
    ConvertImage();
}

void ImportDialog::uGreen_Click()
{
    d_->pipeline.SetGreen(d_->uGreen->isChecked());
    ConvertImage();
}

void ImportDialog::uBlue_Click()
{
    d_->pipeline.SetBlue(d_->uBlue->isChecked());
    ConvertImage();
}

void ImportDialog::Invert_Click()
{
    d_->pipeline.SetInvert(d_->Invert->isChecked());
    ConvertImage();
}

void ImportDialog::MatchSize_Click()
{
    d_->pipeline.SetMatchSize(d_->MatchSize->isChecked());
    ConvertImage();
}

void ImportDialog::Aspect_Click()
{
    d_->pipeline.SetAspect(d_->Aspect->isChecked());
    ConvertImage();
}

void ImportDialog::FullResolution_Click()
{
    d_->pipeline.SetFullResolution(d_->FullResolution->isChecked());
    ConvertImage();
}

void ImportDialog::Tolerance_Change()
{
    d_->pipeline.SetTolerance(d_->Tolerance->value());
    d_->ThresholdLabel->setText(QString::number(d_->pipeline.Tolerance()));
    d_->RestartRedrawDelay();
}

void ImportDialog::Dither_Change()
{
    // As the threshold: the preview follows once the choices settle.
    d_->pipeline.SetDither(tobrin::Dither(d_->Dither->currentData().toInt()));
    d_->RestartRedrawDelay();
}

void ImportDialog::HSize_Change()
{
    // The pipeline resizes the target and reports back through SizeChanged.
    d_->pipeline.SetHSize(d_->HSize->value());
}

void ImportDialog::VSize_Change()
{
    d_->pipeline.SetVSize(d_->VSize->value());
}

void ImportDialog::RedrawDelay_Timer()
{
    ConvertImage();
    d_->RedrawDelay->stop();
}

void ImportDialog::dragEnterEvent(QDragEnterEvent* event)
{
    if (!DroppedFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void ImportDialog::dropEvent(QDropEvent* event)
{
    const QString file = DroppedFile(event->mimeData());
    if (file.isEmpty())
        return;
    event->acceptProposedAction();
    LoadFile(file);
}

void ImportDialog::done(int result)
{
    d_->RedrawDelay->stop();
    importsettings::Remember(d_->pipeline);
    QDialog::done(result);
}

}  // namespace tobrin
