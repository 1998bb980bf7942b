#pragma once

// Decoded pictures kept in memory, so that a picture loaded again (a second
// sprite of the same file, a repeated "bg", every picture after a device
// reset) costs a shared reference instead of a decode. A file whose size or
// modification time changed since is decoded afresh.

#include <QDateTime>
#include <QImage>
#include <QString>

#include <cstdint>
#include <list>

// What identifies one state of a file on disk.
struct TFileStamp {
    QString path;
    QDateTime modified;
    qint64 size = -1;
    bool operator==(const TFileStamp&) const = default;
};

// The stamp of an existing file; a stamp with size -1 when there is none.
TFileStamp StampOfFile(const QString& path);

// Least recently used pictures go first once the bytes held pass the limit;
// a picture larger than the whole limit is never kept. The images are
// implicitly shared, so a picture both cached and on a texture is in memory
// once.
class TImageCache {
public:
    static constexpr qint64 DefaultByteLimit = qint64(128) << 20;

    explicit TImageCache(qint64 byteLimit = DefaultByteLimit) : byteLimit_(byteLimit) {}

    // The image stored for exactly this stamp, or a null image.
    QImage Find(const TFileStamp& stamp);
    void Insert(const TFileStamp& stamp, const QImage& image);
    void Clear();

    qint64 Bytes() const { return bytes_; }
    int Count() const { return static_cast<int>(entries_.size()); }
    // Decodes that found nothing to reuse, for the checks that a reload does
    // not decode again.
    int Misses() const { return misses_; }

private:
    struct TEntry {
        TFileStamp stamp;
        QImage image;
    };
    void Forget(std::list<TEntry>::iterator entry);

    std::list<TEntry> entries_;  // most recently used first
    qint64 byteLimit_;
    qint64 bytes_ = 0;
    int misses_ = 0;
};
