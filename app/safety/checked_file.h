// Files written whole or not at all, and files read no further than their kind
// allows. Every file the program writes goes through CheckedFile: the new text is
// written beside its place, each write checked, flushed to the disk, and only then
// renamed over the old file (whose folder is flushed too). On any failure nothing
// is renamed into place and the reason is told ("the disk is full"). Only a
// regular file, or a missing one, is ever replaced: never a folder, a device node,
// a pipe or a socket, nor a link to one.
//
// For tests: with KESTROM_FULL_DISK set, a file whose path holds that text fails
// half-way as on a full disk.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <optional>

namespace kestrom::safety {

// The reason a failed file call gives: "the disk is full" for ENOSPC, the system's
// own words otherwise.
QString fileErrorText(int error);

class CheckedFile {
public:
    explicit CheckedFile(QString path);
    ~CheckedFile();  // a new text never committed is removed
    CheckedFile(const CheckedFile &) = delete;
    CheckedFile &operator=(const CheckedFile &) = delete;

    // Refuses a target that is not a regular file (or missing), and makes the new
    // file beside it; false with the reason.
    bool open();
    bool write(QByteArrayView bytes);
    // Flushes the new text to the disk and renames it over the target; false with
    // the reason, the target then as it was.
    bool commit();
    const QString &errorString() const { return error_; }

private:
    bool fail(int error);

    QString path_;
    QByteArray target_;  // the file replaced: the path, or where its link leads
    QByteArray draft_;
    int fd_ = -1;
    int mode_ = -1;  // the replaced file's permissions, kept
    bool failWrites_ = false;
    QString error_;
};

// Writes `bytes` as the whole of `path`; false with the reason in `error`.
bool writeFileChecked(const QString &path, QByteArrayView bytes, QString &error);

// The whole of a regular file of at most `maxBytes` bytes; nothing, with the reason
// in `error`, for a larger one, one that is not a regular file (a device such as
// /dev/zero, a folder, a pipe) or one that cannot be read.
std::optional<QByteArray> readFileBounded(const QString &path, qint64 maxBytes, QString &error);

}  // namespace kestrom::safety
