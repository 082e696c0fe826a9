#include "template_apply.h"

#include <QDir>
#include <algorithm>

#include "device_config.h"

namespace kestrom::cli {

namespace {

const QString kKept = QStringLiteral("kept from the chip");

QString originOf(const Template &settings, const FieldSpec &field) {
    for (const Setting &setting : settings.settings) {
        if (setting.field == &field) return setting.origin;
    }
    return kKept;
}

// One mode at most on each channel.
void checkModes(const Template &settings, uint32_t chipType, const EepromContents &contents,
                QStringList &problems) {
    for (const std::vector<const FieldSpec *> &set : eeprom::modeConflicts(chipType, contents)) {
        QStringList named;
        for (const FieldSpec *field : set)
            named << QStringLiteral("%1 (%2)").arg(QLatin1String(field->name), originOf(settings, *field));
        problems
            << QStringLiteral("%1: a channel has one mode at most").arg(named.join(QStringLiteral(" and ")));
    }
}

// On the layouts the codec knows the string room is the same on every part: on a
// 93C56 or 93C66 the strings start 0x80 bytes further on and the checksum sits 64
// words further on. So the words read (64 of a blank part, whatever its size) tell it.
void checkRoom(const Template &settings, uint32_t chipType, const EepromContents &contents, size_t words,
               QStringList &problems) {
    const size_t needed = stringBytes(contents);
    const std::optional<size_t> room = d2xx::stringRoom(chipType, words);
    if (!room || needed <= *room) return;
    QStringList texts;
    for (const char *name : {"Manufacturer", "Description", "SerialNumber"}) {
        texts << QStringLiteral("%1 (%2)").arg(QLatin1String(name),
                                               originOf(settings, *findField(QLatin1String(name))));
    }
    problems << QStringLiteral("the texts take %1 bytes, this EEPROM has room for %2: shorten %3")
                    .arg(needed)
                    .arg(*room)
                    .arg(texts.join(QStringLiteral(", ")));
}

}  // namespace

std::optional<EepromContents> applyTemplate(const Template &given, uint32_t chipType,
                                            const EepromContents &base, size_t words, QStringList &problems) {
    const qsizetype before = problems.size();
    Template settings = given;
    for (Setting &setting : settings.settings) {
        if (QString problem; !resolveSetting(setting, chipType, problem)) problems << problem;
    }
    if (problems.size() > before) return std::nullopt;
    EepromContents contents = base;
    for (const Setting &setting : settings.settings) {
        const FieldSpec &field = *setting.field;
        if (field.chipFixed && setting.value != valueOf(field, base)) {
            problems << QStringLiteral("%1: %2 = %3, but this chip's is %4 (the chip sets it)")
                            .arg(setting.origin, QLatin1String(field.name), formatValue(field, setting.value),
                                 formatValue(field, valueOf(field, base)));
            continue;
        }
        setValue(field, contents, setting.value);
    }
    // A text kept from the chip may be longer than this chip's programming call takes.
    for (const FieldSpec *field : chipFields(chipType)) {
        if (field->kind != FieldKind::Text || !field->settable()) continue;
        const qsizetype bytes = valueOf(*field, contents).text.toUtf8().size();
        if (bytes > qsizetype(field->greatest)) {
            problems << QStringLiteral("%1 (%2): %3 bytes, at most %4")
                            .arg(QLatin1String(field->name), originOf(settings, *field))
                            .arg(bytes)
                            .arg(field->greatest);
        }
    }
    checkModes(settings, chipType, contents, problems);
    checkRoom(settings, chipType, contents, words, problems);
    if (problems.size() > before) return std::nullopt;
    // The codec has the last word. A blank part reads as 64 words whatever its size; the X
    // series' internal memory is always its own size.
    std::vector<uint16_t> image(std::max(words, d2xx::configWords(chipType, words)), 0xFFFF);
    if (const FT_STATUS status = d2xx::encode(chipType, contents, image); status != FT_OK) {
        problems << QStringLiteral("the EEPROM codec refuses this configuration (status %1)").arg(status);
        return std::nullopt;
    }
    return contents;
}

QString layoutProblem(uint32_t chipType) {
    if (!chipFields(chipType).empty()) return {};
    if (d2xx::layoutKnown(chipType)) {
        return QStringLiteral("the command line's templates do not cover the %1's fields yet")
            .arg(safety::chipName(chipType));
    }
    return QStringLiteral("Kestrom does not know the EEPROM layout of the %1 (device type %2)")
        .arg(safety::chipName(chipType), QString::number(chipType));
}

std::optional<EepromContents> contentsFor(const DeviceChange &change, const TemplateSource &source,
                                          const std::function<void(Template &)> &adjust,
                                          QStringList &problems, QStringList &notes) {
    const uint32_t chipType = change.chipType();
    const QString chip = safety::chipName(chipType);
    if (const QString problem = layoutProblem(chipType); !problem.isEmpty()) {
        problems << problem;
        return std::nullopt;
    }
    std::optional<Template> settings = source.forChip(chipType, problems);
    if (!settings) return std::nullopt;
    if (adjust) adjust(*settings);
    if (!settings->ignored.isEmpty()) {
        notes << QStringLiteral("%1: ignored (no field of the %2): %3")
                     .arg(QDir::toNativeSeparators(source.path()), chip,
                          settings->ignored.join(QStringLiteral(", ")));
    }
    if (settings->settings.empty()) {
        problems << QStringLiteral("%1 sets no field of the %2: there is nothing to program")
                        .arg(QDir::toNativeSeparators(source.path()), chip);
        return std::nullopt;
    }
    const std::vector<uint16_t> &words = change.before().words;
    EepromContents base;
    if (d2xx::decode(chipType, words, base) != FT_OK) {
        base = d2xx::chipDefaults(chipType);
        notes << QStringLiteral(
                     "the EEPROM reads %1: the fields the template does not set take the %2's defaults")
                     .arg(safety::checksumState(chipType, words), chip);
    }
    return applyTemplate(*settings, chipType, base, words.size(), problems);
}

}  // namespace kestrom::cli
