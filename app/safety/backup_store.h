// One backup per change: the chip's words as a raw image, and beside it a short
// text naming the chip, its size, its checksum state and its decoded IDs and texts.
// Kept under the user's data folder, written whole (each read back). The oldest are
// pruned past a count, but never one still needed: the newest of each chip, and one
// that a journal entry or a production state beside the backups names.
#pragma once

#include <QDateTime>
#include <QString>
#include <optional>

#include "chip_words.h"

namespace kestrom::safety {

inline constexpr int kBackupsKept = 1000;
// The largest raw image read: 512 words, twice the largest part.
inline constexpr qint64 kImageBytesMax = 1024;

class BackupStore {
public:
    // $XDG_DATA_HOME/kestrom/backups (the platform's data folder elsewhere).
    static QString defaultFolder();
    explicit BackupStore(QString folder = defaultFolder(), int kept = kBackupsKept);

    const QString &folder() const { return folder_; }

    // Saves `chip` as it was at `when`; the image's path, or nothing with the reason in `error`.
    std::optional<QString> save(const ChipWords &chip, const QDateTime &when, QString &error);
    // The words of a saved image; nothing when it cannot be read, is larger than
    // kImageBytesMax or has no whole words (with the reason in `error`).
    static std::optional<std::vector<uint16_t>> load(const QString &image);
    static std::optional<std::vector<uint16_t>> load(const QString &image, QString &error);

private:
    void prune(const QString &made);

    QString folder_;
    int kept_;
};

// Raw images: 16-bit little-endian words. Written whole or not at all (a file that
// is not a regular one is never replaced); false with the reason.
bool writeImageFile(const QString &path, std::span<const uint16_t> words, QString &error);

// The backup's text: chip, size, checksum state, IDs and texts as decoded.
QString describeImage(const ChipIdentity &identity, std::span<const uint16_t> words);

}  // namespace kestrom::safety
