// Placeholder so the tree links; replaced by the real import dialog.
#include "import/import.h"

namespace tobrin {
struct Import::Impl {};
Import::Import(Session&, std::function<void(int, int)>, std::function<void()>, QWidget* parent) : QDialog(parent) {}
Import::~Import() = default;
}  // namespace tobrin
