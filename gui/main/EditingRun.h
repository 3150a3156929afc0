#pragma once

// One editing run: the editor's main window, modal, on the material a caller hands in, which it hands
// back on Save. The program's entry (app/EditorMain.cpp) is one such caller.

#include "gui/document/MaterialData.h"

class Dialogs;
class MaterialFile;

// Runs one editing run and returns when its window closes. Only one run may be active: a second is
// refused with a message. `dialogs` answers the questions (tests); by default Qt's dialogs do.
// Failures to start are shown in the "Exception" box and end the run.
// A host that keeps the material in a file hands it in: Save then writes the file at once (MainWindow.h).
void editMaterial(MaterialData& data, Dialogs* dialogs = nullptr, MaterialFile* file = nullptr);
