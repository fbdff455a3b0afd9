#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>

// Reading and writing the files the program owns or edits, at the level of the
// operating system, because the failures that matter (a full disk, a pipe
// named as a file, a hard link) are invisible through buffered Qt files.
// Failures throw ZarvoError with a message naming the file and the reason.
namespace fileio {

// Who a file on disk is and what it held when we last read or wrote it:
// enough to tell whether another program has changed it since.
struct FileStamp
{
    bool valid = false;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    qint64 size = 0;
    qint64 mtimeNs = 0;
    QByteArray digest; // of the content
};

enum class DiskState { Same, Changed, Missing };

// The stamp of bytes just read from or written to path.
FileStamp stampOf(const QString &path, const QByteArray &content);

// Compares the file at path with a stamp. A file that was only touched, or
// replaced by an identical copy, is the same.
DiskState compare(const QString &path, const FileStamp &stamp);

// Reads a regular file whole. Pipes, sockets and devices are refused before
// any read and never block; so is a file larger than the memory its reader
// would need (bytesPerByte: the reader's memory per byte of file).
QByteArray readRegular(const QString &path, double bytesPerByte = 1.0);

// Opens a regular file for reading without blocking; returns the descriptor
// (the caller closes it) and its size. Same refusals as readRegular.
int openRegular(const QString &path, qint64 *size, double bytesPerByte = 1.0);

// Memory that can still be had: available memory plus free swap, in bytes.
qint64 availableMemory();

// Writes bytes as the new content of path and never leaves a half-written or
// emptied file behind: every write, the sync and the close are checked, and
// on any failure the old file is byte-identical. The file keeps its identity:
// it is replaced by rename only when that keeps its links, owner, group, mode
// and extended attributes; otherwise it is rewritten in place with the old
// content put back on failure. Symbolic links are followed. A file with no
// write permission is refused. A character device is written directly.
void save(const QString &path, const QByteArray &bytes);

} // namespace fileio
