#include "render/ImageCache.h"

#include <QFileInfo>

TFileStamp StampOfFile(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isFile())
        return {path, {}, -1};
    return {info.absoluteFilePath(), info.lastModified(), info.size()};
}

QImage TImageCache::Find(const TFileStamp& stamp)
{
    for (auto entry = entries_.begin(); entry != entries_.end(); ++entry) {
        if (entry->stamp.path != stamp.path)
            continue;
        if (entry->stamp == stamp) {
            entries_.splice(entries_.begin(), entries_, entry);
            return entries_.front().image;
        }
        // The file changed: what we hold of it is of no more use.
        Forget(entry);
        break;
    }
    ++misses_;
    return {};
}

void TImageCache::Insert(const TFileStamp& stamp, const QImage& image)
{
    if (stamp.size < 0 || image.isNull() || image.sizeInBytes() > byteLimit_)
        return;
    for (auto entry = entries_.begin(); entry != entries_.end(); ++entry)
        if (entry->stamp.path == stamp.path) {
            Forget(entry);
            break;
        }
    entries_.push_front({stamp, image});
    bytes_ += image.sizeInBytes();
    while (bytes_ > byteLimit_)
        Forget(std::prev(entries_.end()));
}

void TImageCache::Clear()
{
    entries_.clear();
    bytes_ = 0;
}

void TImageCache::Forget(std::list<TEntry>::iterator entry)
{
    bytes_ -= entry->image.sizeInBytes();
    entries_.erase(entry);
}
