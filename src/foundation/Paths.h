#pragma once
// Paths as the file system holds them: byte strings. Conversions to and from
// QString go through the locale's file-name encoding. Qt replaces bytes that
// are not valid in that encoding, so a path that came in as bytes stays bytes
// wherever the file system is touched (POSIX calls, not Qt's file classes).

#include <string>

#include <QString>

namespace velmora {

QString toQString(const std::string& path);
std::string fromQString(const QString& path);

// The last component of a path ("/a/b/song.m4a" gives "song.m4a").
std::string lastPathComponent(const std::string& path);
// The extension of the last component, lower case, without the dot; empty
// when there is none (a hidden file such as ".profile" has none).
std::string lowerExtension(const std::string& path);
// The last component without its extension ("/a/Track 01.flac" gives "Track 01").
std::string baseName(const std::string& path);
// The folder holding the last component ("/a/b/song.m4a" gives "/a/b").
std::string parentDirectory(const std::string& path);
// A path anchored to the current folder when it is relative; not cleaned.
std::string absolutePath(const std::string& path);
// The file:// URL text of a local path.
std::string fileUrlText(const std::string& path);

}  // namespace velmora
