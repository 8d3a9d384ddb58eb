#pragma once
// The files named on the command line (`velmora FILE...`, which is how a
// desktop's "Open With" hands files over): local paths, or file:// URLs.

#include <QList>
#include <QStringList>
#include <QUrl>

namespace velmora::app {

// Relative paths are taken from the current folder; anything that is not a
// local path or a file:// URL is left out.
QList<QUrl> startupFileUrls(const QStringList& arguments);

}  // namespace velmora::app
