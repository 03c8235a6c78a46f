// Placeholder so the tree links; replaced by the real drawing window.
#include "drawing/main.h"

namespace tobrin {
struct Main::Impl {};
Main::Main(Session& session, LoadForm& frame, QWidget* parent) : QWidget(parent), session_(session), frame_(frame) {}
Main::~Main() = default;
QList<QMenu*> Main::Menus() const { return {}; }
void Main::PlotPixel(int, int, int, bool) {}
void Main::PlotPreviewPixel(int, int, QRgb) {}
void Main::LayoutCanvas() {}
void Main::Relocate(double&, double&) {}
void Main::RedrawAll() {}
void Main::BackUp() {}
void Main::ChangeSize(int, int) {}
bool Main::ConfirmDiscard() { return true; }
void Main::UpdateHexText() {}
void Main::RefreshPreview() {}
void Main::LoadHolder() {}
void Main::TransferHolder(bool) {}
void Main::NewMenu_Click() {}
void Main::Open_Click() {}
void Main::Save_Click() {}
void Main::Saveas_Click() {}
void Main::ImportMenu_Click() {}
void Main::ExitMenu_Click() {}
void Main::UndoMenu_Click() {}
void Main::CutMenu_Click() {}
void Main::Copy_Click() {}
void Main::Paste_Click() {}
void Main::Arrange_Click() {}
void Main::DrawVisible_Click() {}
void Main::TavVisible_Click() {}
void Main::TextVisible_Click() {}
void Main::About_Click() {}
void Main::Form_Activate() {}
bool Main::OpenFile(const QString&) { return false; }
}  // namespace tobrin
