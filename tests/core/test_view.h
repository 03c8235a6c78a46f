#pragma once

#include "core/drawingstate.h"

namespace tobrin {

// A view window of columns x rows cells whose first cell is (left, top).
inline ViewWindow View(int left, int top, int columns, int rows)
{
    ViewWindow v;
    v.ViewLeft = left;
    v.ViewTop = top;
    v.ViewColumns = columns;
    v.ViewRows = rows;
    v.ViewRight = left + columns - 1;
    v.ViewBottom = top + rows - 1;
    return v;
}

}  // namespace tobrin
