#pragma once

#include <QString>

// Shows the file selected in the desktop's file manager; where that cannot be asked for, opens
// the folder that holds it. False when nothing could be opened.
bool ShowInFileManager(const QString& path);
