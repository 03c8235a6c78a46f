// Placeholder so the tree links; replaced by the real file commands.
#include "hexfile/filecommands.h"

namespace tobrin {
FileCommands::FileCommands(Main& main, Session& session, LoadForm& frame) : main_(main), session_(session), frame_(frame) {}
void FileCommands::Open() {}
void FileCommands::Save() {}
void FileCommands::Saveas() {}
bool FileCommands::ReadHexFile(const QString&) { return false; }
bool FileCommands::WriteHexFile(const QString&) { return false; }
}  // namespace tobrin
