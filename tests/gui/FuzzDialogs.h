#pragma once

// Answers every question of the editor at random (Yes, No, Cancel, numbers at and inside the limits,
// file names good and bad), never blocking. Without a random source it says No and cancels.

#include "gui/dialogs/Dialogs.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <array>
#include <random>
#include <string>

class FuzzDialogs : public Dialogs {
public:
    std::mt19937* random = nullptr;

    bool askYesNo(const std::string&, const std::string&) override { return draw(2) == 0; }
    void inform(const std::string&, const std::string&) override {}
    bool askOkCancel(const std::string&, const std::string&) override { return draw(2) == 0; }
    std::optional<bool> askYesNoCancel(const std::string&, const std::string&) override {
        const unsigned answer = draw(3);
        return answer == 2 ? std::nullopt : std::optional(answer == 0);
    }
    std::optional<int> askNumber(const std::string&, const std::string&, int value, int minimum,
                                 int maximum) override {
        switch (draw(4)) {
        case 0:
            return std::nullopt;
        case 1:
            return minimum;
        case 2:
            return maximum;
        default:
            return value;
        }
    }
    std::optional<std::string> askFolder(const std::string&) override {
        switch (draw(3)) {
        case 0:
            return folder();
        case 1:
            return std::string("/nonexistent/folder");
        default:
            return std::nullopt;
        }
    }
    std::size_t askChoice(const std::string&, const std::string&,
                          const std::vector<std::string>& buttons) override {
        return draw(buttons.size());
    }
    // Copies of existing materials (one damaged), a folder, a missing file: what is opened may be
    // saved over, so never the originals.
    std::optional<std::string> askOpenFile(const FileQuestion&) override {
        const std::string own = folder();
        static const std::array<std::string, 3> originals{
            VELVOR_SOURCE_DIR "/examples/tiles.ostra-material",
            VELVOR_SOURCE_DIR "/examples/labelled-panel.ostra-material",
            VELVOR_SOURCE_DIR "/tests/gui/fuzz-damaged.ostra-material"};
        const unsigned pick = draw(originals.size() + 4);
        if (pick < originals.size()) {
            const QString copy =
                QDir(QString::fromStdString(own)).filePath(QString("opened-%1.ostra-material").arg(pick));
            QFile::remove(copy);
            QFile::copy(QString::fromStdString(originals[pick]), copy);
            QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner);
            return copy.toStdString();
        }
        switch (pick - originals.size()) {
        case 0:
            return own;
        case 1:
            return std::string("/nonexistent/material.ostra-material");
        case 2:
            return std::string();
        default:
            return std::nullopt;
        }
    }

    // A folder of this process's own for what the editor saves.
    static std::string folder() {
        const std::string path =
            QDir::temp()
                .filePath(QString("velvor-fuzz-%1").arg(QCoreApplication::applicationPid()))
                .toStdString();
        QDir().mkpath(QString::fromStdString(path));
        return path;
    }

    // A writable folder of its own, a folder in place of the file, a folder that does not exist.
    std::optional<std::string> askSaveFile(const FileQuestion& question) override {
        const std::string folder = FuzzDialogs::folder();
        const std::array<std::string, 4> paths{folder + "/out." + question.extension, folder,
                                               "/nonexistent/out." + question.extension,
                                               folder + "/again." + question.extension};
        const unsigned pick = draw(paths.size() + 1);
        return pick == paths.size() ? std::nullopt : std::optional(paths[pick]);
    }

private:
    unsigned draw(std::size_t count) {
        return random != nullptr ? static_cast<unsigned>((*random)() % count)
                                 : static_cast<unsigned>(count - 1);
    }
};
