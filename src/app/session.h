#pragma once

#include <QString>

#include "app/dialogs.h"
#include "core/picturedocument.h"

namespace tobrin {

// The one shared state of a running editor, handed to every window by
// reference. It outlives every window but the frame.
struct Session {
    explicit Session(Dialogs& d) : dialogs(d) {}

    // True when nothing unsaved would be lost, or the user agreed to lose it.
    bool ConfirmDiscard(QWidget* parent)
    {
        return document.Saved()
            || dialogs.AskYesNo(parent, QStringLiteral("File not saved"), QStringLiteral("Picture not saved. Continue?"));
    }

    PictureDocument document;
    Dialogs& dialogs;
    // Set once the drawing window has loaded for the first time: a later load
    // (after the window was closed) keeps the saved flag as it was.
    bool DrawingLoadedOnce = false;
};

}  // namespace tobrin
