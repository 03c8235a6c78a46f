#pragma once

#include <QString>

#include "core/declarations.h"
#include "frame/dialogs.h"

namespace tobrin {

// The one shared state of a running editor, handed to every window by
// reference. It outlives every window but the frame.
struct Session {
    explicit Session(Dialogs& d) : dialogs(d) {}

    Declarations decl;
    // The hex text: what the text view shows and Save writes. It lives here so
    // it survives the text view being closed.
    QString HexText;
    Dialogs& dialogs;
    // Set once the drawing window has loaded for the first time: a later load
    // (after the window was closed) keeps the saved flag as it was.
    bool DrawingLoadedOnce = false;
};

}  // namespace tobrin
