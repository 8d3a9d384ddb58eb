#pragma once
// The name filters of the file dialogs: the media files the intake knows by
// extension, then everything.

#include <QStringList>

namespace velmora::app {

// "Audio and video files (*.mp3 *.m4a ...)" and "All files (*)".
QStringList mediaFileNameFilters();

}  // namespace velmora::app
