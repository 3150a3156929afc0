#pragma once

// One editing run: the editor's main window, modal, on the material a caller hands in, which it hands
// back on Save. The program's entry (app/EditorMain.cpp) is one such caller.

#include <memory>
#include <string>

class QTemporaryFile;

class Dialogs;
class MaterialFile;

// The exchange record: the material as material-file text in; on Save, that text and the packed
// bytes out.
struct MaterialData {
    std::string xml;
    std::string packed;
};

// Runs one editing run and returns when its window closes. Only one run may be active: a second is
// refused with a message. `dialogs` answers the questions (tests); by default Qt's dialogs do.
// Failures to start are shown in the "Exception" box and end the run.
// A host that keeps the material in a file hands it in: Save then writes the file at once (MainWindow.h).
void editMaterial(MaterialData& data, Dialogs* dialogs = nullptr, MaterialFile* file = nullptr);

// The temporary material file one run writes and reads: VELVOR_TMP_MATERIAL when it is set, otherwise
// a file of the run's own, made exclusively with a unique name and mode 0600 in the user's runtime
// folder ($XDG_RUNTIME_DIR, when it is the user's and private) or the system's temporary folder, and
// removed when the run ends; nothing another user left there can stop or redirect it. Raises Exception
// when it cannot be made.
class TemporaryMaterial {
public:
    TemporaryMaterial();
    ~TemporaryMaterial();
    TemporaryMaterial(const TemporaryMaterial&) = delete;
    TemporaryMaterial& operator=(const TemporaryMaterial&) = delete;

    const std::string& getPath() const { return path_; }

private:
    std::unique_ptr<QTemporaryFile> file_;
    std::string path_;
};
