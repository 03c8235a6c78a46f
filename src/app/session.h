#pragma once

#include <QString>
#include <optional>

#include "app/dialogs.h"
#include "core/drawingstate.h"
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
    // (after the window was closed) keeps the document as it was.
    bool DrawingLoadedOnce = false;
    // The drawing window's settings (tool, styles, widths) and zoom while it
    // is closed, so that showing it again brings them back.
    struct DrawingSettings {
        DrawingState state;
        QString tool;  // the tool's id
        int zoom = 0;
    };
    std::optional<DrawingSettings> keptDrawing;
    // Onion skin: the frame before (and the one after) the current one shown
    // faintly on the canvas; never part of the picture.
    struct OnionSkin {
        bool previous = false;
        bool next = false;
    } onion;
};

}  // namespace tobrin
