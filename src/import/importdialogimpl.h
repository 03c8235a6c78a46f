#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTimer>
#include <functional>
#include <utility>

#include "app/session.h"
#include "core/imageloader.h"
#include "core/importpipeline.h"
#include "import/framessection.h"
#include "import/imagebox.h"
#include "import/importdialog.h"

// The import dialog's controls and the little that keeps them showing the
// pipeline's state; only importdialog.cpp includes this.

namespace tobrin {

// The redraw delay after a slider or dither change, in milliseconds.
constexpr int kRedrawDelayMs = 500;

struct ImportDialog::Impl {
    Session& session;
    std::function<void()> showDrawing;

    ImportPipeline pipeline;
    ImageLoader loader;

    ImageBox* Disp = nullptr;
    ImageBox* Dest = nullptr;
    QScrollBar* VSize = nullptr;
    QScrollBar* Tolerance = nullptr;
    QScrollBar* HSize = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* ThresholdLabel = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* SizeLabel = nullptr;
    QCheckBox* uRed = nullptr;
    QCheckBox* uGreen = nullptr;
    QCheckBox* uBlue = nullptr;
    QCheckBox* MatchSize = nullptr;
    QCheckBox* Aspect = nullptr;
    QCheckBox* Invert = nullptr;
    QCheckBox* FullResolution = nullptr;
    QLabel* DitherLabel = nullptr;
    QComboBox* Dither = nullptr;
    QPushButton* Load = nullptr;
    QPushButton* PasteButton = nullptr;
    QPushButton* GetImport = nullptr;
    QPushButton* CloseButton = nullptr;
    QTimer* RedrawDelay = nullptr;
    FramesSection* Frames = nullptr;
    int busy = 0;

    Impl(Session& s, std::function<void()> show) : session(s), showDrawing(std::move(show)) {}

    // The check boxes show the pipeline's options.
    void ShowOptions()
    {
        const std::pair<QCheckBox*, bool> boxes[] = {
            {uRed, pipeline.uRed()},           {uGreen, pipeline.uGreen()}, {uBlue, pipeline.uBlue()},
            {MatchSize, pipeline.MatchSize()}, {Aspect, pipeline.Aspect()}, {Invert, pipeline.Invert()},
            {FullResolution, pipeline.FullResolution()},
        };
        for (const auto& [box, on] : boxes) {
            const QSignalBlocker block(box);
            box->setChecked(on);
        }
        MatchSize->setEnabled(pipeline.MatchSizeAvailable());
        // Without a source there is nothing to import.
        GetImport->setEnabled(pipeline.HasSource());
    }

    void ShowSizeLabel()
    {
        const QSize size = pipeline.Dest().size();
        SizeLabel->setText(QStringLiteral(" %1, %2").arg(size.width()).arg(size.height()));
    }

    void RestartRedrawDelay()
    {
        RedrawDelay->stop();
        RedrawDelay->start(kRedrawDelayMs);
    }

    // A size slider took a new value (by the user or by a Match size run).
    void SizeChanged()
    {
        {
            const QSignalBlocker blockH(HSize);
            const QSignalBlocker blockV(VSize);
            HSize->setValue(pipeline.HSize());
            VSize->setValue(pipeline.VSize());
        }
        Dest->SetImage(pipeline.Dest());
        Dest->SetImageArea(pipeline.Dest().width(), pipeline.Dest().height());
        ShowSizeLabel();
        RestartRedrawDelay();
    }

    void ShowDisplayCopy()
    {
        Disp->SetImage(pipeline.Disp());
        Disp->SetImageArea(pipeline.Disp().width(), pipeline.Disp().height());
    }
};

}  // namespace tobrin
