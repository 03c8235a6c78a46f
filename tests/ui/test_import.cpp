#include <QtTest>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QSettings>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>

#include "imagefiles.h"
#include "core/hexwriter.h"
#include "core/imageloader.h"
#include "core/importpipeline.h"
#include "core/units.h"
#include "fakedialogs.h"
#include "import/imagebox.h"
#include "import/importdialog.h"
#include "frame/framewindow.h"

using namespace tobrin;

namespace {

constexpr QRgb kBlack = 0xFF000000u;

// One dialog with a scripted file dialog; the sizes it applies are recorded.
struct Fixture {
    FakeDialogs dialogs;
    Session session{dialogs};
    QList<QPair<int, int>> applied;
    int drawingShown = 0;
    ImportDialog dialog{session, [this] { ++drawingShown; }};

    Fixture()
    {
        QObject::connect(&session.document, &PictureDocument::sizeChanged,
                         [this](int w, int h) { applied.append({w - 1, h - 1}); });
        dialog.Loader().SetRendererProgram(QStringLiteral(TOBRIN_BINARY));
    }

    template <typename T>
    T* Find(const char* name)
    {
        return dialog.findChild<T*>(QLatin1String(name));
    }
    QCheckBox* Check(const char* name) { return Find<QCheckBox>(name); }
    QScrollBar* Slider(const char* name) { return Find<QScrollBar>(name); }
    QLabel* Label(const char* name) { return Find<QLabel>(name); }
    ImageBox* Box(const char* name) { return Find<ImageBox>(name); }
    QTimer* Delay() { return Find<QTimer>("RedrawDelay"); }
    void Click(const char* name) { QTest::mouseClick(Find<QAbstractButton>(name), Qt::LeftButton); }
    int Runs() { return dialog.Pipeline().Conversions(); }

    void LoadFile(const QString& path)
    {
        dialogs.fileNames << path;
        Click("Load");
    }
};

QString WriteFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes)
{
    QFile f(dir.filePath(name));
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    return f.fileName();
}

QString PngFile(const QTemporaryDir& dir, const QString& name, const QImage& image)
{
    return WriteFile(dir, name, testfiles::Encode(image, "PNG"));
}

QImage Solid(int w, int h, QRgb c)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(c);
    return image;
}

}  // namespace

class ImportTest : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        QVERIFY(dir_.isValid());
        QSettings().remove(QStringLiteral("import"));  // each test opens the dialog as new
    }

    void controlsCaptionsAndInitialStates()
    {
        Fixture f;
        QCOMPARE(f.dialog.windowTitle(), QStringLiteral("Import picture"));
        QVERIFY(f.dialog.isModal());
        QCOMPARE(f.dialog.size(), QSize(units::ToPixels(7770), units::ToPixels(5430)));

        const std::pair<const char*, const char*> texts[] = {
            {"Label1", "Threshold"}, {"ThresholdLabel", "155"}, {"Label2", "Size:"}, {"SizeLabel", " 40, 32"},
        };
        for (const auto& [name, text] : texts) {
            QVERIFY2(f.Label(name), name);
            QCOMPARE(f.Label(name)->text(), QString::fromLatin1(text));
        }
        struct CheckState {
            const char* name;
            const char* caption;
            bool checked;
        };
        const CheckState checks[] = {
            {"uRed", "Red component", true},   {"uGreen", "Green component", true},
            {"uBlue", "Blue component", true}, {"MatchSize", "Match size", true},
            {"Aspect", "Maintain aspect", false}, {"Invert", "Invert image", false},
        };
        for (const auto& c : checks) {
            QVERIFY2(f.Check(c.name), c.name);
            QCOMPARE(f.Check(c.name)->text(), QString::fromLatin1(c.caption));
            QCOMPARE(f.Check(c.name)->isChecked(), c.checked);
            QVERIFY(f.Check(c.name)->isEnabled());
        }
        const std::pair<const char*, const char*> buttons[] = {
            {"Load", "Load"}, {"PasteButton", "Paste"}, {"GetImport", "Import"}, {"CloseButton", "Close"},
        };
        for (const auto& [name, caption] : buttons)
            QCOMPARE(f.Find<QPushButton>(name)->text(), QString::fromLatin1(caption));

        struct SliderState {
            const char* name;
            Qt::Orientation orientation;
            int min, max, value;
        };
        const SliderState sliders[] = {
            {"VSize", Qt::Vertical, 4, 120, 32},
            {"Tolerance", Qt::Horizontal, 1, 255, 155},
            {"HSize", Qt::Horizontal, 8, 240, 40},
        };
        for (const auto& s : sliders) {
            QScrollBar* bar = f.Slider(s.name);
            QVERIFY2(bar, s.name);
            QCOMPARE(bar->orientation(), s.orientation);
            QCOMPARE(bar->minimum(), s.min);
            QCOMPARE(bar->maximum(), s.max);
            QCOMPARE(bar->value(), s.value);
        }
        QVERIFY(f.Box("Disp"));
        QCOMPARE(f.Box("Dest")->ImageArea(), QSize(40, 32));
        QCOMPARE(f.Delay()->interval(), 500);
        QVERIFY(f.Delay()->isSingleShot());
        QVERIFY(!f.Delay()->isActive());
    }

    void layoutKeepsTheOrderAndGrouping()
    {
        Fixture f;
        const auto g = [&f](const char* name) { return f.dialog.findChild<QWidget*>(QLatin1String(name))->geometry(); };
        QCOMPARE(g("Disp"), QRect(units::ToPixels(120), units::ToPixels(105), units::ToPixels(3625), units::ToPixels(1813)));
        // Display copy left, target right, its height slider further right.
        QVERIFY(g("Disp").right() < g("Dest").left());
        QVERIFY(g("Dest").right() < g("VSize").left());
        // The threshold slider under the display copy, the width slider under the target.
        QVERIFY(g("Tolerance").top() > g("Disp").bottom());
        QVERIFY(g("HSize").left() >= g("Dest").left() - 1);
        QVERIFY(g("Tolerance").right() < g("HSize").left());
        // Labels under the sliders, the check boxes in two columns, buttons in one row.
        QVERIFY(g("Label1").top() > g("Tolerance").bottom());
        QVERIFY(g("Label1").right() < g("ThresholdLabel").left());
        QVERIFY(g("Label2").right() < g("SizeLabel").left());
        QCOMPARE(g("uGreen").left(), g("uRed").left());
        QCOMPARE(g("uBlue").left(), g("uRed").left());
        QVERIFY(g("uRed").top() < g("uGreen").top() && g("uGreen").top() < g("uBlue").top());
        QCOMPARE(g("Aspect").left(), g("MatchSize").left());
        QVERIFY(g("MatchSize").top() < g("Aspect").top() && g("Aspect").top() < g("Invert").top());
        QVERIFY(g("uRed").right() < g("MatchSize").left());
        for (const char* b : {"PasteButton", "GetImport", "CloseButton"})
            QCOMPARE(g(b).top(), g("Load").top());
        QVERIFY(g("Load").left() < g("PasteButton").left());
        QVERIFY(g("PasteButton").right() < g("GetImport").left());
        QVERIFY(g("GetImport").left() < g("CloseButton").left());
        QVERIFY(g("Load").top() > g("uBlue").bottom());

        // The largest target still fits left of the height slider and above
        // the width slider.
        f.Click("MatchSize");
        f.Slider("HSize")->setValue(240);
        f.Slider("VSize")->setValue(120);
        QCOMPARE(f.Box("Dest")->ImageArea(), QSize(240, 120));
        QVERIFY(g("Dest").right() < g("VSize").left());
        QVERIFY(g("Dest").bottom() < g("HSize").top());
    }

    void loadShowsTheSourceOneToOneAndMatchesItsSize()
    {
        Fixture f;
        f.LoadFile(PngFile(dir_, QStringLiteral("half.png"), testfiles::HalfBlack(100, 50)));
        QCOMPARE(f.dialogs.count(QStringLiteral("open")), 1);
        const auto& open = f.dialogs.shown.first();
        QVERIFY(open.text.startsWith(
            QLatin1String("All Files (*.*);;Graphic files (*.bmp *.ico *.jpg *.wmf *.dib *.png *.gif *.tif *.tiff *.webp")));
        QCOMPARE(QStringLiteral("All Files (*.*);;") + open.selectedFilter, open.text);
        QVERIFY(open.fileName.isEmpty());
        QCOMPARE(f.dialogs.count(QStringLiteral("message")), 0);

        // 1:1 in a framed box of 102 x 52.
        QCOMPARE(f.Box("Disp")->size(), QSize(102, 52));
        QCOMPARE(f.Box("Disp")->Image().size(), QSize(100, 50));
        // Match size took the source's size and switched Maintain aspect on.
        QVERIFY(f.Check("MatchSize")->isChecked());
        QVERIFY(f.Check("Aspect")->isChecked());
        QCOMPARE(f.Slider("HSize")->value(), 100);
        QCOMPARE(f.Slider("VSize")->value(), 50);
        QCOMPARE(f.Label("SizeLabel")->text(), QStringLiteral(" 100, 50"));
        QCOMPARE(f.Box("Dest")->ImageArea(), QSize(100, 50));

        // The target shows the converted image 1:1 inside its frame.
        const QImage shown = f.Box("Dest")->grab().toImage();
        const qreal ratio = shown.devicePixelRatio();
        for (int y = 0; y < 50; y += 7) {
            for (int x = 0; x < 100; x += 3) {
                const QRgb c = shown.pixel(int((x + 1) * ratio), int((y + 1) * ratio));
                QCOMPARE(qGray(c) < 128, x < 50);
                QCOMPARE(f.dialog.Pipeline().Dest().pixel(x, y) == kBlack, x < 50);
            }
        }
    }

    void loadOfAWideSourceShrinksTheDisplayCopy()
    {
        Fixture f;
        f.LoadFile(PngFile(dir_, QStringLiteral("wide.png"), Solid(400, 100, kBlack)));
        // Box width kept (203 framed), height from the framed proportions.
        QCOMPARE(f.Box("Disp")->size(), QSize(203, 52));
        QVERIFY(!f.Check("MatchSize")->isEnabled());
        QVERIFY(!f.Check("MatchSize")->isChecked());
        QCOMPARE(f.Label("SizeLabel")->text(), QStringLiteral(" 40, 32"));
    }

    void matchSizeUnavailableBeyondTheLargestPicture_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<bool>("available");
        QTest::newRow("241 x 10") << QSize(241, 10) << false;
        QTest::newRow("10 x 121") << QSize(10, 121) << false;
        QTest::newRow("240 x 120") << QSize(240, 120) << true;
    }

    void matchSizeUnavailableBeyondTheLargestPicture()
    {
        QFETCH(QSize, size);
        QFETCH(bool, available);
        Fixture f;
        f.LoadFile(PngFile(dir_, QStringLiteral("s.png"), Solid(size.width(), size.height(), kBlack)));
        QCOMPARE(f.Check("MatchSize")->isEnabled(), available);
        QCOMPARE(f.Check("MatchSize")->isChecked(), available);
        QCOMPARE(f.Box("Dest")->ImageArea(), available ? size : QSize(40, 32));
    }

    void cancelledLoadLeavesNoSourceButTheDisplayCopy()
    {
        Fixture f;
        f.LoadFile(PngFile(dir_, QStringLiteral("half.png"), testfiles::HalfBlack(60, 30)));
        const QImage shown = f.Box("Disp")->Image();
        const int runs = f.Runs();
        f.LoadFile(QString());  // the user cancels
        QVERIFY(!f.dialog.Pipeline().HasSource());
        QCOMPARE(f.Box("Disp")->Image(), shown);
        QCOMPARE(f.dialogs.count(QStringLiteral("message")), 0);

        QSignalSpy titles(&f.dialog, &QWidget::windowTitleChanged);
        f.Click("Invert");
        f.Click("uRed");
        f.Click("uGreen");
        f.Click("uBlue");
        QCOMPARE(f.Runs(), runs);
        QCOMPARE(titles.count(), 0);  // no "Converting... " flash
        QVERIFY(!f.Check("uRed")->isChecked());
    }

    void failedLoadReportsAndKeepsWhatWasDone_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("broken bitmap") << WriteFile(dir_, QStringLiteral("broken.bmp"), "BM broken");
        // A pen so wide that libwmf runs out of memory drawing it: no picture,
        // not a blank one.
        QTest::newRow("metafile exhausting libwmf")
            << QFINDTESTDATA("../../fuzz/regressions/fuzz_imageimport/wmf-pen-width-floods-libwmf.wmf");
    }

    void failedLoadReportsAndKeepsWhatWasDone()
    {
        QFETCH(QString, file);
        QVERIFY(!file.isEmpty());
        Fixture f;
        f.LoadFile(PngFile(dir_, QStringLiteral("half.png"), testfiles::HalfBlack(60, 30)));
        const QImage shown = f.Box("Disp")->Image();
        f.LoadFile(file);
        QCOMPARE(f.dialogs.count(QStringLiteral("message")), 1);
        const auto& m = f.dialogs.shown.last();
        QCOMPARE(m.title, QStringLiteral("Error!"));
        QCOMPARE(m.text, QStringLiteral("File Import Error"));
        QCOMPARE(m.icon, Dialogs::Icon::Critical);
        QVERIFY2(m.details.startsWith(QFileInfo(file).fileName() + QStringLiteral(": ")) && m.details.size() > 20,
                 qPrintable(m.details));
        QVERIFY(!QApplication::overrideCursor());
        // The old display copy stays and still converts.
        QCOMPARE(f.Box("Disp")->Image(), shown);
        const int runs = f.Runs();
        f.Click("Invert");
        QCOMPARE(f.Runs(), runs + 1);
    }

    void everyFormatLoadsThroughTheDialog()
    {
        const std::pair<const char*, QByteArray> files[] = {
            {"a.bmp", testfiles::Encode(testfiles::HalfBlack(40, 20), "BMP")},
            {"a.ico", testfiles::Encode(testfiles::HalfBlack(40, 20), "ICO")},
            {"a.jpg", testfiles::Encode(testfiles::HalfBlack(40, 20), "JPG", 95)},
            {"a.gif", testfiles::HalfBlackGif(40, 20)},
            {"a.wmf", testfiles::HalfBlackWmf(40, 20)},
            {"a.tif", testfiles::Encode(testfiles::HalfBlack(40, 20), "TIFF")},
            {"a.webp", testfiles::Encode(testfiles::HalfBlack(40, 20), "WEBP", 100)},
        };
        for (const auto& [name, bytes] : files) {
            Fixture f;
            // The file dialog's filter and the frame's drop both offer it.
            QVERIFY2(ImageLoader::HasImageExtension(QString::fromLatin1(name)), name);
            f.LoadFile(WriteFile(dir_, QString::fromLatin1(name), bytes));
            QVERIFY2(f.dialogs.count(QStringLiteral("message")) == 0, name);
            QCOMPARE(f.Box("Dest")->ImageArea(), QSize(40, 20));
            QCOMPARE(f.dialog.Pipeline().Dest().pixel(5, 10), kBlack);
            QVERIFY(f.dialog.Pipeline().Dest().pixel(35, 10) != kBlack);
        }
    }

    void pasteTakesTheClipboardBitmapOnly()
    {
        Fixture f;
        QGuiApplication::clipboard()->clear();
        f.Click("PasteButton");
        QVERIFY(!f.dialog.Pipeline().HasSource());
        QCOMPARE(f.Runs(), 0);

        QGuiApplication::clipboard()->setImage(testfiles::HalfBlack(30, 20));
        if (QGuiApplication::clipboard()->image().isNull())
            QSKIP("this platform has no clipboard");
        f.Click("PasteButton");
        QVERIFY(f.dialog.Pipeline().HasSource());
        QVERIFY(f.dialog.Pipeline().SourceFile().isEmpty());
        QCOMPARE(f.Box("Disp")->ImageArea(), QSize(30, 20));
        QCOMPARE(f.Box("Dest")->ImageArea(), QSize(30, 20));
        QCOMPARE(f.Runs(), 1);
        QGuiApplication::clipboard()->clear();
    }

    void importWritesExactlyTheTargetCells()
    {
        Fixture f;
        f.session.document.FillBlock(QRect(0, 0, kPicColumns, kPicRows), 1);
        f.Click("MatchSize");  // off: the target stays 40 x 32
        f.LoadFile(PngFile(dir_, QStringLiteral("half.png"), testfiles::HalfBlack(80, 64)));
        QCOMPARE(f.Box("Dest")->ImageArea(), QSize(40, 32));
        f.Click("GetImport");
        QCOMPARE(f.dialog.result(), int(QDialog::Accepted));
        QCOMPARE(f.applied, (QList<QPair<int, int>>{{39, 31}}));
        QCOMPARE(f.drawingShown, 0);
        QCOMPARE(f.session.document.MaxX(), 39);
        QCOMPARE(f.session.document.MaxY(), 31);
        for (int y = 0; y < kPicRows; ++y)
            for (int x = 0; x < kPicColumns; ++x)
                QCOMPARE(int(f.session.document.Pic(x, y)), (x < 40 && y < 32) ? int(x < 20) : 1);
    }

    void importNeedsASourceAndIsTheDefault()
    {
        // Import with nothing loaded used to replace the picture with a
        // blank one; the button waits for a source, and Enter presses it.
        Fixture f;
        auto* import = f.Find<QPushButton>("GetImport");
        QVERIFY(import->isDefault());
        f.session.document.FillBlock(QRect(0, 0, kPicColumns, kPicRows), 1);
        QVERIFY(!import->isEnabled());
        f.dialog.GetImport_Click();
        f.LoadFile(QString());  // cancelled: still nothing
        QVERIFY(!import->isEnabled());
        QVERIFY(f.applied.isEmpty());
        QCOMPARE(int(f.session.document.Pic(0, 0)), 1);
        f.LoadFile(PngFile(dir_, QStringLiteral("half.png"), testfiles::HalfBlack(40, 32)));
        QVERIFY(import->isEnabled());
        f.dialog.show();
        f.Check("Invert")->setFocus();
        QTest::keyClick(f.Check("Invert"), Qt::Key_Return);
        QCOMPARE(f.applied, (QList<QPair<int, int>>{{39, 31}}));
        QCOMPARE(int(f.session.document.Pic(0, 0)), 1);
        QCOMPARE(int(f.session.document.Pic(39, 0)), 0);
    }

    void keyboardReachesEveryControl()
    {
        Fixture f;
        f.dialog.show();
        QSet<QWidget*> reached;
        QWidget* w = f.Find<QWidget>("Load");
        for (int i = 0; i < 40 && !reached.contains(w); ++i, w = w->nextInFocusChain())
            if (w->focusPolicy() & Qt::TabFocus)
                reached.insert(w);
        for (const char* name : {"Load", "PasteButton", "Tolerance", "uRed", "uGreen", "uBlue", "Dither",
                                 "FullResolution", "HSize", "VSize", "MatchSize", "Aspect", "Invert", "GetImport",
                                 "CloseButton"})
            QVERIFY2(reached.contains(f.Find<QWidget>(name)), name);
    }

    void choicesAreRememberedForTheNextOpening()
    {
        {
            Fixture f;
            f.Slider("Tolerance")->setValue(90);
            f.Click("uGreen");
            f.Click("MatchSize");
            f.Slider("HSize")->setValue(120);
            f.Slider("VSize")->setValue(60);
            f.Click("Aspect");
            f.Find<QComboBox>("Dither")->setCurrentIndex(2);
            f.Click("FullResolution");
            f.Click("CloseButton");
        }
        Fixture again;
        const ImportPipeline& p = again.dialog.Pipeline();
        QCOMPARE(p.Tolerance(), 90);
        QCOMPARE(again.Label("ThresholdLabel")->text(), QStringLiteral("90"));
        QVERIFY(p.uRed() && !p.uGreen() && p.uBlue());
        QCOMPARE(again.Box("Dest")->ImageArea(), QSize(120, 60));
        QCOMPARE(again.Slider("HSize")->value(), 120);
        QVERIFY(p.Aspect() && again.Check("Aspect")->isChecked());
        QCOMPARE(again.Find<QComboBox>("Dither")->currentIndex(), 2);
        QVERIFY(p.FullResolution() && again.Check("FullResolution")->isChecked());
        QVERIFY(p.MatchSize());  // not among the remembered choices
    }

    void closeShowsTheDrawingWindowTheCloseBoxDoesNot()
    {
        {
            Fixture f;
            f.dialog.show();
            f.Click("CloseButton");
            QVERIFY(!f.dialog.isVisible());
            QCOMPARE(f.drawingShown, 1);
            QVERIFY(f.applied.isEmpty());
        }
        {
            Fixture f;
            f.dialog.show();
            f.dialog.close();
            QCOMPARE(f.drawingShown, 0);
        }
    }

    void thresholdBurstConvertsOnceAfterTheLastChange()
    {
        Fixture f;
        f.LoadFile(PngFile(dir_, QStringLiteral("half.png"), testfiles::HalfBlack(60, 30)));
        f.Delay()->stop();  // the Match size run's own restart
        const int runs = f.Runs();
        for (const int value : {100, 120, 140}) {
            f.Slider("Tolerance")->setValue(value);
            QElapsedTimer sinceChange;
            sinceChange.start();
            QCOMPARE(f.Label("ThresholdLabel")->text(), QString::number(value));
            QVERIFY(f.Delay()->isActive());
            QVERIFY(f.Delay()->remainingTime() > 400);  // restarted, not continued
            QCOMPARE(f.Runs(), runs);
            QTest::qWait(200);
            if (sinceChange.elapsed() < 450)  // unless the machine stalled past the delay
                QCOMPARE(f.Runs(), runs);
        }
        QTRY_COMPARE_WITH_TIMEOUT(f.Runs(), runs + 1, 2000);
        QVERIFY(!f.Delay()->isActive());
        QCOMPARE(f.dialog.Pipeline().Tolerance(), 140);
        QVERIFY(f.Check("MatchSize")->isChecked());  // the threshold leaves it alone
    }

    void widthChangeResizesTheTargetAndConvertsAfterTheDelay()
    {
        Fixture f;
        f.Click("MatchSize");
        f.LoadFile(PngFile(dir_, QStringLiteral("half.png"), testfiles::HalfBlack(60, 30)));
        const int runs = f.Runs();
        f.Slider("HSize")->setValue(60);
        QCOMPARE(f.Box("Dest")->ImageArea(), QSize(60, 32));
        QCOMPARE(f.Label("SizeLabel")->text(), QStringLiteral(" 60, 32"));
        QCOMPARE(f.Runs(), runs);
        QVERIFY(f.Delay()->isActive());
        f.dialog.RedrawDelay_Timer();  // the delay expires
        QCOMPARE(f.Runs(), runs + 1);
        QVERIFY(!f.Delay()->isActive());
    }

    void movingASizeSliderUnchecksMatchSizeAndConvertsAtOnce()
    {
        Fixture f;
        f.LoadFile(PngFile(dir_, QStringLiteral("half.png"), testfiles::HalfBlack(100, 50)));
        QVERIFY(f.Check("MatchSize")->isChecked());
        const int runs = f.Runs();
        f.Slider("HSize")->setValue(101);
        QVERIFY(!f.Check("MatchSize")->isChecked());
        QCOMPARE(f.Runs(), runs + 1);
        QCOMPARE(f.Box("Dest")->ImageArea(), QSize(101, 50));
        // Checking it again brings the source's size back.
        f.Click("MatchSize");
        QCOMPARE(f.Slider("HSize")->value(), 100);
        QCOMPARE(f.Label("SizeLabel")->text(), QStringLiteral(" 100, 50"));
        QVERIFY(f.Check("MatchSize")->isChecked());
    }

    void aRunShowsTheBusyPointerAndCaption()
    {
        Fixture f;
        f.LoadFile(PngFile(dir_, QStringLiteral("half.png"), testfiles::HalfBlack(60, 30)));
        QStringList titles;
        QList<bool> busy;
        connect(&f.dialog, &QWidget::windowTitleChanged, this, [&](const QString& t) {
            titles << t;
            busy << (QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::WaitCursor);
        });
        f.Click("Invert");
        QCOMPARE(titles, (QStringList{QStringLiteral("Converting... "), QStringLiteral("Import picture")}));
        QCOMPARE(busy.first(), true);
        QVERIFY(!QApplication::overrideCursor());
    }

    void switchingOffTheLastComponentSwitchesRedOn()
    {
        Fixture f;
        f.LoadFile(PngFile(dir_, QStringLiteral("half.png"), testfiles::HalfBlack(60, 30)));
        f.Click("uGreen");
        f.Click("uBlue");
        f.Click("uRed");
        QVERIFY(f.Check("uRed")->isChecked());
        QVERIFY(!f.Check("uGreen")->isChecked());
        QVERIFY(!f.Check("uBlue")->isChecked());
    }

    // A uniform grey at the threshold: all black without a dither, exactly
    // half black with an ordered one, in the preview and in the import.
    void ditherChoiceReachesThePreviewAndTheImport()
    {
        Fixture f;
        auto* dither = f.Find<QComboBox>("Dither");
        QVERIFY(dither);
        QCOMPARE(dither->accessibleName(), QStringLiteral("Dither"));
        QStringList captions;
        for (int i = 0; i < dither->count(); ++i)
            captions << dither->itemText(i);
        QCOMPARE(captions, (QStringList{QStringLiteral("None"), QStringLiteral("Floyd\u2013Steinberg"),
                                        QStringLiteral("Atkinson"), QStringLiteral("Ordered 4\u00d74"),
                                        QStringLiteral("Ordered 8\u00d78")}));
        QCOMPARE(dither->currentIndex(), 0);
        // It fits between the components and the shaping options, caption whole.
        const QRect g = dither->geometry();
        QVERIFY(f.dialog.rect().contains(g));
        QVERIFY(g.left() > f.Check("uGreen")->geometry().right());
        QVERIFY(g.right() < f.Check("Aspect")->geometry().left());
        QVERIFY(g.bottom() < f.Find<QWidget>("Load")->geometry().top());
        QVERIFY(g.width() >= dither->sizeHint().width());

        const QRgb grey = qRgb(155, 155, 155);
        f.LoadFile(PngFile(dir_, QStringLiteral("grey.png"), Solid(40, 32, grey)));
        const auto blackInPreview = [&f] {
            const QImage dest = f.dialog.Pipeline().Dest();
            int n = 0;
            for (int y = 0; y < dest.height(); ++y)
                for (int x = 0; x < dest.width(); ++x)
                    n += dest.pixel(x, y) == kBlack;
            return n;
        };
        QCOMPARE(blackInPreview(), 40 * 32);
        f.Delay()->stop();
        const int runs = f.Runs();
        dither->setCurrentIndex(3);
        QCOMPARE(f.dialog.Pipeline().DitherMode(), Dither::Bayer4);
        QVERIFY(f.Delay()->isActive());  // waits like the threshold
        QCOMPARE(f.Runs(), runs);
        QTRY_COMPARE_WITH_TIMEOUT(f.Runs(), runs + 1, 2000);
        QCOMPARE(blackInPreview(), 40 * 32 / 2);
        f.Click("GetImport");
        int black = 0;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 40; ++x)
                black += f.session.document.Pic(x, y);
        QCOMPARE(black, 40 * 32 / 2);
    }

    void commandLineImportAgreesWithTheDialog()
    {
        QImage source(100, 50, QImage::Format_RGB32);
        for (int y = 0; y < 50; ++y)
            for (int x = 0; x < 100; ++x)
                source.setPixel(x, y, qRgb((x * 5) % 256, (y * 9) % 256, ((x + y) * 3) % 256));
        const QString image = PngFile(dir_, QStringLiteral("colours.png"), source);

        Fixture f;
        f.LoadFile(image);
        f.Slider("Tolerance")->setValue(90);
        f.dialog.RedrawDelay_Timer();
        f.Click("Invert");
        f.Click("uGreen");
        f.Slider("HSize")->setValue(60);  // unchecks Match size
        f.dialog.RedrawDelay_Timer();
        f.Click("GetImport");

        const QString out = dir_.filePath(QStringLiteral("cli.txt"));
        QProcess cli;
        cli.start(QStringLiteral(TOBRIN_BINARY),
                  {QStringLiteral("import"), image, QStringLiteral("-o"), out, QStringLiteral("--threshold"),
                   QStringLiteral("90"), QStringLiteral("--invert"), QStringLiteral("--components"),
                   QStringLiteral("rb"), QStringLiteral("--size"), QStringLiteral("60x50")});
        QVERIFY(cli.waitForFinished(30000));
        QCOMPARE(cli.exitCode(), 0);
        QFile written(out);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.readAll(), QByteArray::fromStdString(HexText(f.session.document.Data())) + "\r\n");
    }

    // Several files make a set: a cut that does not divide them is refused
    // and the document stays; one that does gives every frame in one step.
    void severalFilesImportAsFramesInOneStep()
    {
        Fixture f;
        QStringList files;
        for (int i = 0; i < 3; ++i)
            files << PngFile(dir_, QStringLiteral("f%1.png").arg(i), Solid(20, 10, i == 1 ? kBlack : 0xFFFFFFFFu));
        f.dialogs.fileLists << files;
        f.Click("Load");
        QCOMPARE(f.Label("FrameCount")->text(), QStringLiteral("3 frames"));
        const int steps = f.session.document.HistorySteps();
        f.Find<QSpinBox>("FramesAcross")->setValue(3);
        f.Click("GetImport");
        QCOMPARE(f.dialogs.shown.last().text, QStringLiteral("File Import Error"));
        QVERIFY(f.dialogs.shown.last().details.startsWith(QStringLiteral("f0.png: its width of 20")));
        QCOMPARE(f.session.document.FrameCount(), 1);
        QCOMPARE(f.session.document.HistorySteps(), steps);
        f.Find<QSpinBox>("FramesAcross")->setValue(2);
        QCOMPARE(f.Label("FrameCount")->text(), QStringLiteral("6 frames"));
        QCOMPARE(f.Box("Disp")->Grid().size(), std::size_t(2));
        f.Click("GetImport");
        QCOMPARE(f.session.document.FrameCount(), 6);
        for (int i = 0; i < 6; ++i)
            QCOMPARE(f.session.document.FramePlane(i)[0], std::uint8_t(i / 2 == 1));
        QCOMPARE(f.session.document.Data().MaxX, 9);
        f.session.document.Undo();
        QCOMPARE(f.session.document.FrameCount(), 1);
    }

private:
    QTemporaryDir dir_;
};

QTEST_MAIN(ImportTest)
#include "test_import.moc"
