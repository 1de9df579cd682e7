#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace tarvex {

// The data file holds one record: a byte block with a type tag and its length, so a reader
// takes exactly the block and ignores whatever follows it.
namespace data_file {

// The largest file read: a list of the most amplifiers with the longest texts is far smaller.
constexpr qint64 kMaxFileSize = qint64{1} << 20;

// Reads the record. A missing file is created empty. Returns nullopt when the file holds no
// byte-block record; a record cut short yields the bytes that are there. Only a regular file of
// at most kMaxFileSize bytes is read (a link to one is followed); anything else, or a file that
// cannot be opened, yields nullopt with the reason in problem, without waiting on a FIFO or
// device and without reading it.
std::optional<QByteArray> readRecord(const QString& path, QString* problem = nullptr);

// The whole file, checked as readRecord checks it, for readers that must leave no trace: a
// missing file is not created. Nullopt, with the reason in problem, for a missing file too.
std::optional<QByteArray> readImage(const QString& path, QString* problem = nullptr);

// Replaces the file (or the file a link names) with one record, atomically: on any failure the
// previous file stays whole. Anything but a regular file is refused. Returns false and sets
// errorText on failure.
bool writeRecord(const QString& path, const QByteArray& block, QString* errorText);

// The same record in memory: the block an image of the file holds (as readRecord, without the
// file), and the image of a file holding a block.
std::optional<QByteArray> decodeRecord(const QByteArray& image);
QByteArray encodeRecord(const QByteArray& block);

} // namespace data_file
} // namespace tarvex
