#include "ui/ImageFileWatch.h"

#include <QFileInfo>

namespace nembra {

ImageFileWatch::ImageFileWatch(QObject* parent) : QObject(parent) {
    connect(&watcher_, &QFileSystemWatcher::fileChanged, this, [this] { Recheck(); });
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, [this] { Recheck(); });
}

void ImageFileWatch::Follow(const std::string& path) {
    if (!watcher_.files().isEmpty()) watcher_.removePaths(watcher_.files());
    if (!watcher_.directories().isEmpty()) watcher_.removePaths(watcher_.directories());
    path_ = path;
    loaded_ = reported_ = StampNow();
    if (path_.empty()) return;
    const QFileInfo info(QString::fromStdString(path_));
    watcher_.addPath(info.absolutePath());
    WatchFileAgain();
}

ImageFileWatch::Change ImageFileWatch::change() const {
    if (path_.empty()) return Change::None;
    const Stamp now = StampNow();
    if (now == loaded_) return Change::None;
    return now.exists ? Change::Changed : Change::Deleted;
}

ImageFileWatch::Stamp ImageFileWatch::StampNow() const {
    if (path_.empty()) return {};
    const QFileInfo info(QString::fromStdString(path_));
    if (!info.exists()) return {};
    return Stamp{true, info.size(), info.lastModified()};
}

// A file renamed over or deleted drops out of the watcher; once a file of
// that name is back, it is watched again.
void ImageFileWatch::WatchFileAgain() {
    const QString file = QString::fromStdString(path_);
    if (!watcher_.files().contains(file) && QFileInfo::exists(file)) watcher_.addPath(file);
}

void ImageFileWatch::Recheck() {
    if (path_.empty()) return;
    WatchFileAgain();
    const Stamp now = StampNow();
    if (now == reported_) return;
    reported_ = now;
    const Change what = change();
    if (what != Change::None) emit fileChanged(what);
}

}  // namespace nembra
