#include "backup_store.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>
#include <algorithm>
#include <utility>

#include "checked_file.h"
#include "eeprom_codec.h"

namespace kestrom::safety {

namespace {

// A file-name-safe serial: letters, digits, "-" and "." kept, the rest "_".
QString fileNamePart(const QString &text) {
    QString safe = text;
    safe.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9.-]")), QStringLiteral("_"));
    return safe.isEmpty() ? QStringLiteral("noserial") : safe;
}

QString cannotWrite(const QString &path, const QString &reason) {
    return QStringLiteral("%1 cannot be written: %2").arg(QDir::toNativeSeparators(path), reason);
}

QString hex4(uint32_t value) {
    return QStringLiteral("%1").arg(value & 0xFFFF, 4, 16, QChar(u'0')).toUpper();
}

// The names start with the time; a name that lies in the future (a clock set
// wrong, a copied file) cannot be trusted, and the file's own time counts instead.
QDateTime backupTime(const QFileInfo &file, const QDateTime &now) {
    const QDateTime named =
        QDateTime::fromString(file.fileName().left(19), QStringLiteral("yyyyMMdd-HHmmss-zzz"));
    return named.isValid() && named <= now ? named : file.lastModified();
}

// The chip a backup is of: its name without the time.
QString chipOfBackup(const QString &name) {
    return name.mid(20);
}

// The backups that a journal entry or a production state in the data folder names.
QSet<QString> namedBackups(const QString &backups) {
    static const QRegularExpression kName(QStringLiteral("\\d{8}-\\d{6}-\\d{3}_[^\"/\\\\\\s]*\\.bin"));
    constexpr qint64 kLargestNote = 1 << 20;
    QSet<QString> named;
    const QDir data(backups + QStringLiteral("/.."));
    for (const auto &[folder, pattern] :
         {std::pair{QStringLiteral("journal"), QStringLiteral("*.ini")},
          std::pair{QStringLiteral("production"), QStringLiteral("*.state")}}) {
        const QDir notes(data.filePath(folder));
        for (const QString &note : notes.entryList({pattern}, QDir::Files)) {
            QFile file(notes.filePath(note));
            if (!file.open(QIODevice::ReadOnly)) continue;
            const QString text = QString::fromUtf8(file.read(kLargestNote));
            for (auto match = kName.globalMatch(text); match.hasNext();)
                named.insert(match.next().captured());
        }
    }
    return named;
}

}  // namespace

QString BackupStore::defaultFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/kestrom/backups");
}

BackupStore::BackupStore(QString folder, int kept) : folder_(std::move(folder)), kept_(kept) {}

std::optional<QString> BackupStore::save(const ChipWords &chip, const QDateTime &when, QString &error) {
    if (!QDir().mkpath(folder_)) {
        error = QStringLiteral("the folder %1 cannot be made").arg(QDir::toNativeSeparators(folder_));
        return std::nullopt;
    }
    const ChipIdentity &id = chip.identity;
    const QString base = QStringLiteral("%1/%2_%3_%4-%5_%6")
                             .arg(folder_, when.toString(QStringLiteral("yyyyMMdd-HHmmss-zzz")), chipName(id.type),
                                  hex4(id.id >> 16), hex4(id.id), fileNamePart(id.serialNumber));
    const QString image = base + QStringLiteral(".bin");
    const QString text = base + QStringLiteral(".txt");
    QString reason;
    if (!writeImageFile(image, chip.words, reason)) {
        error = cannotWrite(image, reason);
        return std::nullopt;
    }
    // Read back before the chip is touched: the disk holds what it said it took.
    const std::optional<std::vector<uint16_t>> stored = load(image, reason);
    if (!stored || !std::ranges::equal(*stored, chip.words)) {
        error = QStringLiteral("the backup %1 does not read back as written%2")
                    .arg(QDir::toNativeSeparators(image), stored ? QString() : QStringLiteral(": ") + reason);
        QFile::remove(image);
        return std::nullopt;
    }
    if (!writeFileChecked(text, describeImage(id, chip.words).toUtf8(), reason)) {
        error = cannotWrite(text, reason);
        QFile::remove(image);
        return std::nullopt;
    }
    prune(image);
    return image;
}

void BackupStore::prune(const QString &made) {
    const QDateTime now = QDateTime::currentDateTime();
    QFileInfoList images = QDir(folder_).entryInfoList({QStringLiteral("*.bin")}, QDir::Files);
    if (images.size() <= kept_) return;
    std::ranges::sort(images, [&](const QFileInfo &a, const QFileInfo &b) {
        return backupTime(a, now) > backupTime(b, now);
    });
    QSet<QString> keep = namedBackups(folder_);
    keep.insert(QFileInfo(made).fileName());
    QSet<QString> chips;
    for (const QFileInfo &image : images) {
        if (!chips.contains(chipOfBackup(image.fileName()))) keep.insert(image.fileName());
        chips.insert(chipOfBackup(image.fileName()));
    }
    qsizetype count = images.size();
    for (auto image = images.crbegin(); image != images.crend() && count > kept_; ++image) {
        if (keep.contains(image->fileName())) continue;
        QFile::remove(image->filePath());
        QFile::remove(image->path() + u'/' + image->completeBaseName() + QStringLiteral(".txt"));
        --count;
    }
}

std::optional<std::vector<uint16_t>> BackupStore::load(const QString &image) {
    QString error;
    return load(image, error);
}

std::optional<std::vector<uint16_t>> BackupStore::load(const QString &image, QString &error) {
    const std::optional<QByteArray> read = readFileBounded(image, kImageBytesMax, error);
    if (!read) return std::nullopt;
    const QByteArray &bytes = *read;
    if (bytes.isEmpty() || bytes.size() % 2 != 0) {
        error = QStringLiteral("it holds no whole words");
        return std::nullopt;
    }
    std::vector<uint16_t> words(size_t(bytes.size() / 2));
    for (size_t i = 0; i < words.size(); ++i) {
        words[i] = uint16_t(uint8_t(bytes[qsizetype(2 * i)]) | uint8_t(bytes[qsizetype(2 * i + 1)]) << 8);
    }
    return words;
}

bool writeImageFile(const QString &path, std::span<const uint16_t> words, QString &error) {
    QByteArray bytes;
    bytes.reserve(qsizetype(words.size() * 2));
    for (const uint16_t word : words) {
        bytes.append(char(word & 0xFF));
        bytes.append(char(word >> 8));
    }
    return writeFileChecked(path, bytes, error);
}

QString describeImage(const ChipIdentity &identity, std::span<const uint16_t> words) {
    QString text = QStringLiteral("chip: %1\nwords: %2\nchecksum: %3\ndevice: %4:%5 serial \"%6\" \"%7\"\n")
                       .arg(chipName(identity.type))
                       .arg(words.size())
                       .arg(checksumState(identity.type, words), hex4(identity.id >> 16), hex4(identity.id),
                            identity.serialNumber, identity.description);
    d2xx::EepromContents contents;
    if (d2xx::decode(identity.type, words, contents) == FT_OK) {
        text += QStringLiteral("VendorId: %1\nProductId: %2\nManufacturer: %3\nDescription: %4\nSerialNumber: %5\n")
                    .arg(hex4(contents.fields.VendorId), hex4(contents.fields.ProductId),
                         QString::fromStdString(contents.manufacturer), QString::fromStdString(contents.description),
                         QString::fromStdString(contents.serialNumber));
    }
    return text;
}

}  // namespace kestrom::safety
