// Placeholder so the tree links; replaced by the real frame.
#include "frame/loadform.h"

#include <QCloseEvent>
#include <QMdiArea>

#include "drawing/main.h"
#include "preview/tavdisplay.h"
#include "preview/textview.h"

namespace tobrin {

struct LoadForm::Impl {
    Main* main = nullptr;
    TextView* text = nullptr;
    TavDisplay* tav = nullptr;
    bool save = false, paste = false;
};

LoadForm::LoadForm(Session& session, QWidget* parent) : QMainWindow(parent), session_(session), d_(new Impl)
{
    setWindowTitle(QStringLiteral("Tobrin"));
    mdi_ = new QMdiArea(this);
    setCentralWidget(mdi_);
    d_->text = new TextView;
    d_->tav = new TavDisplay;
    d_->main = new Main(session_, *this);
}
LoadForm::~LoadForm() { delete d_->main; delete d_->text; delete d_->tav; delete d_; }
Main& LoadForm::DrawingWindow() { return *d_->main; }
Main* LoadForm::DrawingWindowIfLoaded() const { return d_->main; }
QMdiSubWindow* LoadForm::DrawingSubWindow() const { return nullptr; }
TextView& LoadForm::TextViewWindow() { return *d_->text; }
TavDisplay& LoadForm::TavDisplayWindow() { return *d_->tav; }
QMdiSubWindow* LoadForm::TextViewSubWindow() const { return nullptr; }
QMdiSubWindow* LoadForm::TavSubWindow() const { return nullptr; }
void LoadForm::SetSaveEnabled(bool e) { d_->save = e; }
bool LoadForm::SaveEnabled() const { return d_->save; }
void LoadForm::SetPasteEnabled(bool e) { d_->paste = e; }
bool LoadForm::PasteEnabled() const { return d_->paste; }
void LoadForm::ShowSize(int, int) {}
void LoadForm::SetDrawVisibleChecked(bool) {}
void LoadForm::SetTavVisibleChecked(bool) {}
void LoadForm::SetTextVisibleChecked(bool) {}
void LoadForm::HexTextChanged() { d_->text->SetText(session_.HexText); }
void LoadForm::ArrangeWindows() {}
void LoadForm::ToggleDrawingArea() {}
void LoadForm::ToggleTavPreview() {}
void LoadForm::ToggleTextView() {}
void LoadForm::ShowAbout() {}
void LoadForm::EndProgram() {}
void LoadForm::closeEvent(QCloseEvent* e) { e->accept(); }
bool LoadForm::event(QEvent* e) { return QMainWindow::event(e); }

}  // namespace tobrin
