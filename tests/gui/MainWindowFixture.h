#pragma once

// A shown main window on a fresh material with scripted answers, and what its tests ask of it.

#include "CanvasDriver.h"
#include "ScriptedDialogs.h"
#include "WindowParts.h"
#include "base/File.h"
#include "core/packed/PackedMaterial.h"
#include "gui/canvas/NodesView.h"
#include "gui/editors/OperatorEditor.h"
#include "gui/editors/ValueEditorInt.h"
#include "gui/main/EditingRun.h"
#include "gui/windows/LogWindow.h"
#include "gui/windows/ResultView.h"
#include "io/MaterialXml.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <sstream>

class MainWindowTest : public testing::Test {
protected:
    void SetUp() override {
        window.resize(1100, 800);
        window.show();
    }
    void TearDown() override {
        window.getDocument().getUndoStack().setClean(); // no question when the fixture closes
        HelperWindow::closeAll();
    }

    VisualNode* named(const std::string& name) {
        Material& material = window.getDocument().getMaterial();
        for (std::size_t i = 0; i < material.getNodeCount(); ++i) {
            if (material.getNode(i).getName() == name) {
                return &material.getNode(i);
            }
        }
        return nullptr;
    }
    void chooseListRow(int row) { nodeListOf(window).setCurrentRow(row); }
    std::size_t openResultWindows() const {
        return static_cast<std::size_t>(
            std::count_if(HelperWindow::openWindows().begin(), HelperWindow::openWindows().end(),
                          [](HelperWindow* open) { return dynamic_cast<ResultWindow*>(open) != nullptr; }));
    }
    static bool samePixels(const Velvor::Image& a, const Velvor::Image& b) {
        return a.sameSizeAs(b) && std::memcmp(a.getPixels(), b.getPixels(),
                                              static_cast<std::size_t>(a.getPixelCount()) * 4) == 0;
    }

    MaterialData data;
    ScriptedDialogs dialogs;
    MainWindow window{data, &dialogs};
};
