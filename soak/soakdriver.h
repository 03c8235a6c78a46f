#pragma once

// The soak: the whole editor driven for a set time by random but valid
// input (clicks and drags on the canvas, every tool and its settings, every
// menu command, sizes, frames, undo and redo, typing, import, open and save
// in a scratch folder), checking as it goes that no dialog is left hanging
// and that every saved file reads back to the picture on screen. The seed
// it prints replays a run. scripts/soak.sh builds it with the sanitizers and
// runs it under Xvfb.

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSpinBox>
#include <QTimer>
#include <QtTest>
#include <cstdio>
#include <map>

#include "app/recovery.h"
#include "core/recoveryfile.h"
#include "drawing/drawarea.h"
#include "drawing/drawingwindow.h"
#include "frame/framewindow.h"
#include "import/importdialog.h"
#include "preview/devicepreview.h"
#include "soakdialogs.h"
#include "soakfiles.h"

namespace tobrin::soak {

class Soak : public QObject {
public:
    Soak(quint64 seed, qint64 seconds, const QString& scratch)
        : random_(seed), answers_(seed ^ 0x9e3779b97f4a7c15ull), seed_(seed), seconds_(seconds), files_(QDir(scratch).filePath(QStringLiteral("files"))),
          dialogs_(random_, files_)
    {
        QDir().mkpath(files_);
        QDir().mkpath(QDir(scratch).filePath(QStringLiteral("read-only")));
        QFile::setPermissions(QDir(scratch).filePath(QStringLiteral("read-only")),
                              QFile::ReadOwner | QFile::ExeOwner);
        for (int i = 0; i < 12; ++i)
            GenerateFile(files_, random_);
        frame_ = std::make_unique<FrameWindow>(session_);
        recovery_ = std::make_unique<Recovery>(session_.document, dialogs_, RecoveryFolder());
        recovery_->SetWindow(frame_.get());
        recovery_->SetIntervals(300, 2000);  // copies often, so their writing is soaked too
        frame_->resize(1200, 900);
        frame_->show();
        connect(&tick_, &QTimer::timeout, this, &Soak::Tick);
        tick_.start(2);
        // A timer does not fire again inside its own handler, so the dialogs
        // an action opens (and waits in) are answered from a second one.
        connect(&modalTick_, &QTimer::timeout, this, &Soak::WatchModal);
        modalTick_.start(15);
        clock_.start();
    }

    int Result() const { return failed_ ? 1 : 0; }

private:
    using Action = void (Soak::*)();

    // Two streams from the seed: the actions', and the answers given in
    // dialogs and menus on screen, whose timing the window system decides;
    // so a run replays its actions whatever that timing.
    std::mt19937_64& Stream() { return answering_ ? answers_ : random_; }
    int Pick(int n) { return n <= 1 ? 0 : int(Stream()() % std::uint64_t(n)); }
    bool Chance(int percent) { return Pick(100) < percent; }

    void WatchModal()
    {
        if (failed_)
            return;
        answering_ = true;
        AnswerOnScreen();
        answering_ = false;
    }
    void AnswerOnScreen()
    {
        if (QWidget* popup = QApplication::activePopupWidget()) {
            // A button's menu: walked with the keys, then chosen or left.
            ++counts_[QStringLiteral("popup ") + QString::fromLatin1(popup->metaObject()->className())];
            for (int n = Pick(6); n > 0; --n)
                QTest::keyClick(popup, Qt::Key_Down);
            QTest::keyClick(popup, Chance(70) ? Qt::Key_Return : Qt::Key_Escape);
            if (QApplication::activePopupWidget() == popup)
                popup->close();
            return;
        }
        if (QWidget* modal = QApplication::activeModalWidget())
            AnswerModal(modal);
        else
            modal_ = nullptr;
    }

    void Tick()
    {
        if (failed_ || QApplication::activeModalWidget())
            return;
        if (busy_)
            return;  // an action waits in a loop of its own
        if (clock_.elapsed() > seconds_ * 1000) {
            Finish();
            return;
        }
        static const std::pair<const char*, Action> actions[] = {
            {"canvas click", &Soak::CanvasClick}, {"canvas click", &Soak::CanvasClick},
            {"canvas drag", &Soak::CanvasDrag},   {"canvas drag", &Soak::CanvasDrag},
            {"canvas drag", &Soak::CanvasDrag},   {"tool", &Soak::ChooseTool},
            {"tool setting", &Soak::ToolSetting}, {"menu command", &Soak::MenuCommand},
            {"menu command", &Soak::MenuCommand}, {"undo", &Soak::Undo},
            {"redo", &Soak::Redo},                {"size", &Soak::ChangeSize},
            {"typing", &Soak::Typing},            {"zoom wheel", &Soak::Wheel},
            {"frames", &Soak::FrameCommand},      {"open", &Soak::Open},
            {"save", &Soak::Save},                {"save as", &Soak::SaveAs},
            {"export", &Soak::Export},            {"export with template", &Soak::ExportTemplate},
            {"import", &Soak::Import},
            {"new file", &Soak::NewFile},         {"window size", &Soak::WindowSize},
        };
        const auto& [name, action] = actions[Pick(int(std::size(actions)))];
        busy_ = true;
        dialogs_.lastSaveName.clear();
        current_ = QString::fromLatin1(name);
        Log(current_);
        ++counts_[current_];
        (this->*action)();
        busy_ = false;
        Check();
    }

    // ---- Actions.
    DrawingWindow* Drawing() const { return frame_->DrawingWindowIfLoaded(); }
    DrawArea* Canvas() const
    {
        DrawingWindow* w = Drawing();
        return w && w->isVisible() ? w->Canvas() : nullptr;
    }
    QPoint CanvasPoint(DrawArea* canvas)
    {
        // Mostly on the picture's cells, sometimes on the margin beyond.
        return QPoint(Pick(canvas->width() + 20) - 10, Pick(canvas->height() + 20) - 10);
    }
    void Mouse(DrawArea* canvas, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held)
    {
        QMouseEvent event(type, at, canvas->mapToGlobal(at), button, held, Qt::NoModifier);
        QApplication::sendEvent(canvas, &event);
    }
    Qt::MouseButton Button() { return Chance(80) ? Qt::LeftButton : Qt::RightButton; }

    void CanvasClick()
    {
        if (DrawArea* canvas = Canvas()) {
            const QPoint at = CanvasPoint(canvas);
            const Qt::MouseButton b = Button();
            Mouse(canvas, QEvent::MouseButtonPress, at, b, b);
            Mouse(canvas, QEvent::MouseButtonRelease, at, b, Qt::NoButton);
        }
    }
    void CanvasDrag()
    {
        DrawArea* canvas = Canvas();
        if (!canvas)
            return;
        const Qt::MouseButton b = Button();
        QPoint at = CanvasPoint(canvas);
        Mouse(canvas, QEvent::MouseButtonPress, at, b, b);
        for (int n = 1 + Pick(12); n > 0 && Canvas() == canvas; --n) {
            at = Chance(50) ? CanvasPoint(canvas) : at + QPoint(Pick(21) - 10, Pick(21) - 10);
            Mouse(canvas, QEvent::MouseMove, at, Qt::NoButton, b);
            QCoreApplication::processEvents();
        }
        if (Canvas() == canvas)
            Mouse(canvas, QEvent::MouseButtonRelease, at, b, Qt::NoButton);
    }
    void Trigger(QAction* action)
    {
        if (action && action->isEnabled()) {
            QString name = action->objectName().isEmpty() ? action->text() : action->objectName();
            if (name.isEmpty() && !action->associatedObjects().isEmpty())
                name = QStringLiteral("(unnamed in %1)").arg(action->associatedObjects().first()->objectName());
            ++counts_[QStringLiteral("  ") + name];
            Log(QStringLiteral("  ") + name);
            action->trigger();
        }
    }
    QList<QAction*> MenuActions(const QList<QMenu*>& menus) const
    {
        QList<QAction*> all;
        for (QMenu* m : menus)
            for (QAction* a : m->actions()) {
                if (a->menu())
                    all += MenuActions({a->menu()});
                else if (!a->isSeparator() && a->isEnabled() && a->objectName() != QLatin1String("ExitMenu"))
                    all << a;
            }
        return all;
    }
    QAction* RandomOf(const QList<QAction*>& actions)
    {
        return actions.isEmpty() ? nullptr : actions[Pick(int(actions.size()))];
    }
    QMenu* MenuNamed(const char* name) const
    {
        for (QMenu* m : frame_->Menus())
            if (m->objectName() == QLatin1String(name))
                return m;
        return frame_->findChild<QMenu*>(QLatin1String(name));
    }
    void ChooseTool()
    {
        if (QMenu* tools = MenuNamed("ToolsMenu"))
            Trigger(RandomOf(MenuActions({tools})));
    }
    void MenuCommand() { Trigger(RandomOf(MenuActions(frame_->Menus()))); }
    void FrameCommand()
    {
        if (QMenu* frames = MenuNamed("FramesMenu"))
            Trigger(RandomOf(MenuActions({frames})));
    }
    void Undo() { Trigger(frame_->FrameAction(QStringLiteral("UndoMenu"))); }
    void Redo() { Trigger(frame_->FrameAction(QStringLiteral("RedoMenu"))); }
    void Open() { Trigger(frame_->FrameAction(QStringLiteral("Open"))); }
    void Save() { Trigger(frame_->FrameAction(QStringLiteral("Save"))); }
    void SaveAs() { Trigger(frame_->FrameAction(QStringLiteral("Saveas"))); }
    void Export() { Trigger(frame_->FrameAction(QStringLiteral("ExportMenu"))); }
    void ExportTemplate() { Trigger(frame_->FrameAction(QStringLiteral("ExportTemplateMenu"))); }
    void Import() { Trigger(frame_->FrameAction(QStringLiteral("ImportMenu"))); }
    void NewFile() { GenerateFile(files_, random_); }

    // A control of the drawing window's settings bar, changed as a user would.
    void ToolSetting()
    {
        DrawingWindow* w = Drawing();
        if (!w || !w->isVisible())
            return;
        QList<QWidget*> controls;
        for (QWidget* c : w->findChildren<QWidget*>())
            if (c->isVisible() && c->isEnabled()
                && (qobject_cast<QComboBox*>(c) || qobject_cast<QSpinBox*>(c) || qobject_cast<QAbstractButton*>(c)))
                controls << c;
        if (controls.isEmpty())
            return;
        QWidget* c = controls[Pick(int(controls.size()))];
        ++counts_[QStringLiteral("  ") + (c->objectName().isEmpty()
                                              ? QStringLiteral("(unnamed %1)").arg(QLatin1String(c->metaObject()->className()))
                                              : c->objectName())];
        ChangeControl(c);
    }
    void ChangeControl(QWidget* c)
    {
        if (auto* box = qobject_cast<QComboBox*>(c)) {
            // "Font file…" opens a file dialog: the scripted one answers.
            if (box->count() > 0)
                box->setCurrentIndex(Pick(box->count()));
        } else if (auto* spin = qobject_cast<QSpinBox*>(c)) {
            spin->setValue(spin->minimum() + Pick(spin->maximum() - spin->minimum() + 1));
        } else if (auto* button = qobject_cast<QAbstractButton*>(c)) {
            QTest::mouseClick(button, Qt::LeftButton);
        } else if (auto* bar = qobject_cast<QScrollBar*>(c)) {
            bar->setValue(bar->minimum() + Pick(bar->maximum() - bar->minimum() + 1));
        } else if (auto* field = qobject_cast<QLineEdit*>(c)) {
            field->selectAll();
            QTest::keyClicks(field, QString::number(Pick(300)));
            QTest::keyClick(field, Qt::Key_Return);
        }
    }
    // A new width or height typed into its field, or stepped by its spinner.
    void ChangeSize()
    {
        const char* names[] = {"HSize", "VSize", "HScroll", "VScroll"};
        QWidget* c = frame_->findChild<QWidget*>(QLatin1String(names[Pick(4)]));
        if (c && c->isEnabled())
            ChangeControl(c);
    }
    void Typing()
    {
        if (DrawArea* canvas = Canvas()) {
            static const QString letters = QStringLiteral("abcXYZ 0123 !?.,-_äé");
            QString text;
            for (int n = 1 + Pick(8); n > 0; --n)
                text += letters[Pick(int(letters.size()))];
            for (const QChar c : text) {
                // As a keyboard layout sends it: letters beyond ASCII have no key code.
                const int key = c.unicode() < 128 ? QChar(c).toUpper().unicode() : int(Qt::Key_unknown);
                QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(c));
                QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(c));
                QApplication::sendEvent(canvas, &press);
                QApplication::sendEvent(canvas, &release);
            }
            const Qt::Key keys[] = {Qt::Key_Backspace, Qt::Key_Left, Qt::Key_Return, Qt::Key_Escape, Qt::Key_Home};
            if (Chance(40))
                QTest::keyClick(canvas, keys[Pick(5)]);
        }
    }
    void Wheel()
    {
        if (DrawArea* canvas = Canvas()) {
            const QPoint at = CanvasPoint(canvas);
            QWheelEvent event(at, canvas->mapToGlobal(at), QPoint(), QPoint(0, Chance(50) ? 120 : -120),
                              Qt::NoButton, Chance(70) ? Qt::ControlModifier : Qt::NoModifier,
                              Qt::NoScrollPhase, false);
            QApplication::sendEvent(canvas, &event);
        }
    }
    void WindowSize()
    {
        frame_->resize(500 + Pick(900), 400 + Pick(600));
        if (QMdiSubWindow* sub = frame_->DrawingSubWindow(); sub && Chance(50))
            sub->resize(150 + Pick(900), 120 + Pick(700));
    }

    // ---- Dialogs on screen: the import driven through its buttons, any
    // other answered after a few changes to its controls.
    void AnswerModal(QWidget* modal)
    {
        if (modal != modal_) {
            modal_ = modal;
            modalSteps_ = 0;
            modalClock_.start();
            ++counts_[QStringLiteral("dialog ") + QString::fromLatin1(modal->metaObject()->className())];
        }
        if (modalClock_.elapsed() > 30000)
            return Fail(QStringLiteral("a dialog was left hanging: %1 \"%2\"")
                            .arg(QString::fromLatin1(modal->metaObject()->className()), modal->windowTitle()));
        ++modalSteps_;
        if (auto* import = qobject_cast<ImportDialog*>(modal))
            return DriveImport(import);
        if (modalSteps_ < 12 && Chance(60)) {
            QList<QWidget*> controls;
            for (QWidget* c : modal->findChildren<QWidget*>())
                if (c->isVisible() && c->isEnabled()
                    && (qobject_cast<QComboBox*>(c) || qobject_cast<QSpinBox*>(c) || qobject_cast<QCheckBox*>(c)))
                    controls << c;
            if (!controls.isEmpty())
                ChangeControl(controls[Pick(int(controls.size()))]);
            return;
        }
        auto* dialog = qobject_cast<QDialog*>(modal);
        if (auto* box = modal->findChild<QDialogButtonBox*>(); box && modalSteps_ < 20) {
            const bool ok = Chance(75);
            for (QAbstractButton* b : box->buttons()) {
                const auto role = box->buttonRole(b);
                if (b->isEnabled() && (ok ? role == QDialogButtonBox::AcceptRole : role == QDialogButtonBox::RejectRole)) {
                    QTest::mouseClick(b, Qt::LeftButton);
                    return;
                }
            }
        }
        if (dialog)
            dialog->reject();
        else
            modal->close();
    }
    void DriveImport(ImportDialog* dialog)
    {
        auto click = [dialog](const char* name) {
            if (auto* b = dialog->findChild<QAbstractButton*>(QLatin1String(name)); b && b->isEnabled())
                QTest::mouseClick(b, Qt::LeftButton);
        };
        if (modalSteps_ == 1) {
            dialogs_.nextOpenIsImage = true;
            click("Load");
        } else if (modalSteps_ < 8 && Chance(70)) {
            static const char* const controls[] = {"uRed", "uGreen", "uBlue", "Invert", "MatchSize", "Aspect",
                                                   "FullResolution", "Tolerance", "HSize", "VSize", "Dither",
                                                   "Frames", "SkipEmpty"};
            if (QWidget* c = dialog->findChild<QWidget*>(QLatin1String(controls[Pick(13)]));
                c && c->isVisible() && c->isEnabled())
                ChangeControl(c);
        } else if (modalSteps_ < 14 && Chance(60)) {
            click("GetImport");
        } else if (modalSteps_ < 20) {
            click("CloseButton");
        } else {
            dialog->reject();
        }
    }

    // ---- Checks after every action.
    void Check()
    {
        const PictureDocument& doc = session_.document;
        if (doc.FrameCount() < 1 || doc.CurrentFrame() < 0 || doc.CurrentFrame() >= doc.FrameCount())
            return Fail(QStringLiteral("frame %1 of %2").arg(doc.CurrentFrame()).arg(doc.FrameCount()));
        const bool saving = current_ == QLatin1String("save") || current_ == QLatin1String("save as");
        if (saving && doc.Saved() && !doc.FileName().isEmpty()) {
            ++counts_[QStringLiteral("  saved files checked")];
            if (QString why = CompareFileWithDocument(doc.FileName(), doc); !why.isEmpty())
                return Fail(doc.FileName() + QStringLiteral(": ") + why);
        }
        // An export leaves the document as it was; what it wrote must read
        // back to it. A template's text is the user's own form: not read.
        if (current_ == QLatin1String("export") && !dialogs_.lastSaveName.isEmpty()) {
            const QString path = std::exchange(dialogs_.lastSaveName, QString());
            QFile out(path);
            if (out.open(QIODevice::ReadOnly) && (!dialogs_.lastSaveExisted || out.readAll() != dialogs_.lastSaveBefore)) {
                ++counts_[QStringLiteral("  exported files checked")];
                if (QString why = CompareFileWithDocument(path, doc); !why.isEmpty())
                    return Fail(path + QStringLiteral(": ") + why);
            }
        }
        // The canvas shows the picture after every action, not only a save.
        if (DrawingWindow* w = Drawing()) {
            QCoreApplication::processEvents();
            ++counts_[QStringLiteral("  screens checked")];
            if (QString why = CompareScreenWithDocument(*w); !why.isEmpty())
                return Fail(QStringLiteral("with the %1 tool, ").arg(w->CurrentToolId()) + why);
        }
        if (const DevicePreview* device = frame_->TavDisplayIfLoaded())
            if (QString why = CompareDeviceWithDocument(*device, doc); !why.isEmpty())
                return Fail(why);
    }

    void Log(const QString& what)
    {
        recent_.push_back(QStringLiteral("%1 %2").arg(clock_.elapsed()).arg(what));
        if (recent_.size() > 30)
            recent_.erase(recent_.begin());
    }
    void Fail(const QString& why)
    {
        failed_ = true;
        std::fprintf(stderr, "SOAK FAILURE (seed %llu, after %lld ms, in \"%s\"): %s\nlast actions:\n",
                     static_cast<unsigned long long>(seed_), static_cast<long long>(clock_.elapsed()),
                     qPrintable(current_), qPrintable(why));
        for (const QString& s : recent_)
            std::fprintf(stderr, "  %s\n", qPrintable(s));
        Finish();
    }
    void Finish()
    {
        tick_.stop();
        modalTick_.stop();
        // Closing discards what is unsaved; the program's end then takes
        // its recovery copy, as main() ends with the recovery.
        dialogs_.yesToAll = true;
        QTimer::singleShot(0, this, [this] {
            frame_->close();
            QCoreApplication::processEvents();
            recovery_.reset();
            if (!failed_ && (!RecoveryCopies(RecoveryFolder()).isEmpty()
                             || !QDir(RecoveryFolder()).entryList({QStringLiteral("*.lock")}, QDir::Files).isEmpty()))
                Fail(QStringLiteral("a recovery copy outlived the discard at the end"));
            Report();
            QCoreApplication::exit(Result());
        });
    }
    void Report()
    {
        std::printf("soak: seed %llu, %lld s, %s\n", static_cast<unsigned long long>(seed_),
                    static_cast<long long>(clock_.elapsed() / 1000), failed_ ? "FAILED" : "clean");
        for (const auto& [what, n] : counts_)
            std::printf("  %-40s %d\n", qPrintable(what), n);
        std::printf("answered:\n");
        for (auto it = dialogs_.asked.cbegin(); it != dialogs_.asked.cend(); ++it)
            std::printf("  %-60s %d\n", qPrintable(it.key()), it.value());
        std::fflush(stdout);
    }

    std::mt19937_64 random_, answers_;
    bool answering_ = false;
    quint64 seed_;
    qint64 seconds_;
    QString files_;
    SoakDialogs dialogs_;
    Session session_{dialogs_};
    std::unique_ptr<FrameWindow> frame_;
    std::unique_ptr<Recovery> recovery_;
    QTimer tick_, modalTick_;
    QElapsedTimer clock_, modalClock_;
    QWidget* modal_ = nullptr;
    int modalSteps_ = 0;
    bool busy_ = false, failed_ = false;
    QString current_;
    std::map<QString, int> counts_;
    std::vector<QString> recent_;
};

}  // namespace tobrin::soak

