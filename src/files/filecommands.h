#pragma once

#include <QString>

class QWidget;

namespace tobrin {

struct Session;

// Open, Save and Save as: the hex file reader and writer between the
// session's picture and the file dialogs. One file dialog state carries the
// last chosen name from one use to the next.
class FileCommands {
public:
    // Dialogs are shown over anchor's top-level window.
    FileCommands(Session& session, QWidget* anchor);

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
    QWidget* DialogParent() const;

    Session& session_;
    QWidget* anchor_;
    QString dialogFileName_;
};

}  // namespace tobrin
