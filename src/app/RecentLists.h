#pragma once
// The playlists File > Open Recent offers: the last ten opened or saved,
// newest first, kept in the settings.

#include <QString>
#include <QStringList>

namespace velmora::app {

inline constexpr int kRecentListCount = 10;

QStringList recentLists();
// Puts the playlist first (once), keeps ten, and returns the new list.
QStringList rememberList(const QString& path);
// Takes out a playlist that is gone, and returns the new list.
QStringList forgetList(const QString& path);

}  // namespace velmora::app
