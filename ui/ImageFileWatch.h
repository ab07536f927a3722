#pragma once
#include <QDateTime>
#include <QFileSystemWatcher>
#include <QObject>
#include <string>

namespace nembra {

// Keeps an eye on the file the loaded image came from, so that the window
// can tell the user when what is on disk is no longer what it would write.
// It looks only at whether the file is there, its size and its time; it never
// reads the file, which only Load does. Editors that save by writing a new
// file and renaming it over the old one (or by deleting and recreating it)
// are followed through the folder.
class ImageFileWatch : public QObject {
    Q_OBJECT

public:
    enum class Change { None, Changed, Deleted };

    explicit ImageFileWatch(QObject* parent = nullptr);

    // The image now comes from `path`, as it is on disk now; empty: the
    // window holds no image read from a file.
    void Follow(const std::string& path);
    // How the file differs from what was loaded.
    Change change() const;
    const std::string& path() const { return path_; }

signals:
    // The file moved away from the state last reported (or loaded).
    void fileChanged(nembra::ImageFileWatch::Change change);

private:
    struct Stamp {
        bool exists = false;
        qint64 size = 0;
        QDateTime modified;
        bool operator==(const Stamp& other) const {
            return exists == other.exists && size == other.size && modified == other.modified;
        }
    };
    Stamp StampNow() const;
    void Recheck();
    void WatchFileAgain();

    QFileSystemWatcher watcher_;
    std::string path_;
    Stamp loaded_;
    Stamp reported_;
};

}  // namespace nembra
