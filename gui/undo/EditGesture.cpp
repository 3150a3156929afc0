#include "gui/undo/EditGesture.h"

EditGesture newEditGesture() {
    // The user interface runs on one thread.
    static EditGesture last = 0;
    return ++last;
}
