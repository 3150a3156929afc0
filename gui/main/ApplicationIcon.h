#pragma once

#include <QIcon>

// The program's icon at every size it is drawn in, for the main window and every dialog.
QIcon applicationIcon();
