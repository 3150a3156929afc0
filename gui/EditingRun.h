#pragma once

// One editing run: the editor's main window, modal, on the material a caller hands in, which it hands
// back on Save. The program's entry (app/EditorMain.cpp) is one such caller.

#include <string>

class Dialogs;

// The exchange record: the material as material-file text in; on Save, that text and the packed
// bytes out.
struct MaterialData {
    std::string xml;
    std::string packed;
};

// Runs one editing run and returns when its window closes. Only one run may be active: a second is
// refused with a message. `dialogs` answers the questions (tests); by default Qt's dialogs do.
// Failures to start are shown in the "Exception" box and end the run.
void editMaterial(MaterialData& data, Dialogs* dialogs = nullptr);

// The temporary material file the run writes and reads: VELVOR_TMP_MATERIAL, or
// velvor-tmpmaterial.tmp in the system's temporary folder.
std::string temporaryMaterialPath();
