#pragma once

#include <QString>

namespace tobrin {

class Main;
class LoadForm;
struct Session;

// Open, Save and Save as, the hex file reader's wiring into the windows, and
// the writing of the hex text. One file dialog state carries the last chosen
// name from one use to the next.
class FileCommands {
public:
    FileCommands(Main& main, Session& session, LoadForm& frame);

    void Open();
    void Save();
    void Saveas();
    // Reads a hex file into the picture; on any failure nothing changes and
    // "File Import Error" is shown. True when the picture was replaced.
    bool ReadHexFile(const QString& path);
    // Writes the hex text plus one CR LF, atomically. True on success.
    bool WriteHexFile(const QString& path);

    QString DialogFileName() const { return dialogFileName_; }

private:
    Main& main_;
    Session& session_;
    LoadForm& frame_;
    QString dialogFileName_;
};

}  // namespace tobrin
