#pragma once
// Which views the tree and display dialogs change.

enum ApplyScope : int {
    APPLY_THIS_VIEW = 0,      // the active document's views only
    APPLY_THIS_AND_NEXT = 1,  // those and every view opened later (the defaults change)
    APPLY_ALL_VIEWS = 2,      // every open view and every later one
};
