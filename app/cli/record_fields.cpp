#include "record_fields.h"

#include <QStringList>
#include <algorithm>
#include <array>
#include <type_traits>

namespace kestrom::cli {

namespace {

using enum FieldKind;

template <auto Member>
uint32_t readNumber(const EepromContents &contents) {
    return contents.fields.*Member;
}

template <auto Member>
void writeNumber(EepromContents &contents, uint32_t value) {
    using Stored = std::remove_cvref_t<decltype(contents.fields.*Member)>;
    contents.fields.*Member = static_cast<Stored>(value);
}

template <auto Member>
QString readText(const EepromContents &contents) {
    return QString::fromStdString(contents.*Member);
}

template <auto Member>
void writeText(EepromContents &contents, const QString &text) {
    contents.*Member = text.toStdString();
}

// FT_EE_Read gives the first two characters of the serial number; nothing stores it.
QString manufacturerId(const EepromContents &contents) {
    return QString::fromStdString(contents.serialNumber).left(2);
}

template <auto Member>
FieldSpec numberField(const char *name, const char *meaning, FieldKind kind, uint32_t least,
                      uint32_t greatest, NumberRule rule = NumberRule::Any) {
    return {name, meaning, kind, least, greatest, rule, false, &readNumber<Member>, &writeNumber<Member>};
}

template <auto Member>
FieldSpec flagField(const char *name, const char *meaning) {
    return numberField<Member>(name, meaning, Flag, 0, 1);
}

template <auto Member>
FieldSpec textField(const char *name, const char *meaning, size_t capacity) {
    return {name,
            meaning,
            Text,
            0,
            uint32_t(capacity - 1),
            NumberRule::Any,
            false,
            nullptr,
            nullptr,
            &readText<Member>,
            &writeText<Member>};
}

template <auto Member>
FieldSpec chipMark(const char *name, const char *meaning) {
    FieldSpec field = flagField<Member>(name, meaning);
    field.chipFixed = true;
    return field;
}

#define KESTROM_NUMBER(name, ...) numberField<&FT_PROGRAM_DATA::name>(#name, __VA_ARGS__)
#define KESTROM_FLAG(name, meaning) flagField<&FT_PROGRAM_DATA::name>(#name, meaning)
#define KESTROM_TEXT(name, member, meaning, capacity) \
    textField<&EepromContents::member>(#name, meaning, capacity)

constexpr uint32_t kMaxMilliamps = 500;
constexpr uint32_t kCbusFunctions = 13;   // CBUS0-3: TXDEN to BITBANG_RD
constexpr uint32_t kCbus4Functions = 10;  // CBUS4: TXDEN to CLK6
constexpr uint32_t kEndpointSize = 64;

constexpr std::array<const char *, kCbusFunctions> kCbusNames{
    "TXDEN", "PWRON", "RXLED", "TXLED",  "TXRXLED",    "SLEEP",     "CLK48",
    "CLK24", "CLK12", "CLK6",  "IOMODE", "BITBANG_WR", "BITBANG_RD"};

// Every field of the record that some chip's EEPROM holds, in the record's order.
const std::vector<FieldSpec> &allFields() {
    static const std::vector<FieldSpec> fields = [] {
        std::vector<FieldSpec> f{
            KESTROM_NUMBER(VendorId, "USB vendor ID", Hex16, 0x0001, 0xFFFF),
            KESTROM_NUMBER(ProductId, "USB product ID", Hex16, 0x0000, 0xFFFF),
            KESTROM_TEXT(Manufacturer, manufacturer, "manufacturer text", d2xx::kManufacturerCapacity),
            {"ManufacturerId", "the first two characters of SerialNumber (not stored)", Text, 0, 2,
             NumberRule::Any, false, nullptr, nullptr, &manufacturerId, nullptr},
            KESTROM_TEXT(Description, description, "product description text", d2xx::kDescriptionCapacity),
            KESTROM_TEXT(SerialNumber, serialNumber, "serial number text", d2xx::kSerialNumberCapacity),
            KESTROM_NUMBER(MaxPower, "maximum bus current in mA", Decimal, 0, kMaxMilliamps,
                           NumberRule::Even),
            KESTROM_FLAG(PnP, "plug and play"),
            KESTROM_FLAG(SelfPowered, "self powered (0: bus powered)"),
            KESTROM_FLAG(RemoteWakeup, "remote wake-up"),
            chipMark<&FT_PROGRAM_DATA::Rev4>("Rev4", "an FT232BM-layout chip (set by the chip)"),
            KESTROM_FLAG(IsoIn, "isochronous in endpoint"),
            KESTROM_FLAG(IsoOut, "isochronous out endpoint"),
            KESTROM_FLAG(PullDownEnable, "pull-down in suspend"),
            KESTROM_FLAG(SerNumEnable, "the serial number is used"),
            KESTROM_FLAG(USBVersionEnable, "USBVersion is used"),
            KESTROM_NUMBER(USBVersion, "USB version, BCD", Hex16, 0x0000, 0x9999, NumberRule::Bcd),
            chipMark<&FT_PROGRAM_DATA::Rev5>("Rev5", "an FT2232C-layout chip (set by the chip)"),
            KESTROM_FLAG(IsoInA, "channel A: isochronous in endpoint"),
            KESTROM_FLAG(IsoInB, "channel B: isochronous in endpoint"),
            KESTROM_FLAG(IsoOutA, "channel A: isochronous out endpoint"),
            KESTROM_FLAG(IsoOutB, "channel B: isochronous out endpoint"),
            KESTROM_FLAG(PullDownEnable5, "pull-down in suspend"),
            KESTROM_FLAG(SerNumEnable5, "the serial number is used"),
            KESTROM_FLAG(USBVersionEnable5, "USBVersion5 is used"),
            KESTROM_NUMBER(USBVersion5, "USB version, BCD", Hex16, 0x0000, 0x9999, NumberRule::Bcd),
            KESTROM_FLAG(AIsHighCurrent, "channel A: high-current I/O"),
            KESTROM_FLAG(BIsHighCurrent, "channel B: high-current I/O"),
            KESTROM_FLAG(IFAIsFifo, "channel A: 245 FIFO (one mode at most)"),
            KESTROM_FLAG(IFAIsFifoTar, "channel A: 245 FIFO CPU target (one mode at most)"),
            KESTROM_FLAG(IFAIsFastSer, "channel A: fast serial (one mode at most)"),
            KESTROM_FLAG(AIsVCP, "channel A: virtual COM port driver"),
            KESTROM_FLAG(IFBIsFifo, "channel B: 245 FIFO (one mode at most)"),
            KESTROM_FLAG(IFBIsFifoTar, "channel B: 245 FIFO CPU target (one mode at most)"),
            KESTROM_FLAG(IFBIsFastSer, "channel B: fast serial (one mode at most)"),
            KESTROM_FLAG(BIsVCP, "channel B: virtual COM port driver"),
            KESTROM_FLAG(UseExtOsc, "external oscillator"),
            KESTROM_FLAG(HighDriveIOs, "high-drive I/O pins"),
            KESTROM_NUMBER(EndpointSize, "endpoint size in bytes", Decimal, kEndpointSize, kEndpointSize),
            KESTROM_FLAG(PullDownEnableR, "pull-down in suspend"),
            KESTROM_FLAG(SerNumEnableR, "the serial number is used"),
            KESTROM_FLAG(InvertTXD, "inverted TXD"),
            KESTROM_FLAG(InvertRXD, "inverted RXD"),
            KESTROM_FLAG(InvertRTS, "inverted RTS"),
            KESTROM_FLAG(InvertCTS, "inverted CTS"),
            KESTROM_FLAG(InvertDTR, "inverted DTR"),
            KESTROM_FLAG(InvertDSR, "inverted DSR"),
            KESTROM_FLAG(InvertDCD, "inverted DCD"),
            KESTROM_FLAG(InvertRI, "inverted RI"),
            KESTROM_NUMBER(Cbus0, "CBUS0 function", Cbus, 0, kCbusFunctions - 1),
            KESTROM_NUMBER(Cbus1, "CBUS1 function", Cbus, 0, kCbusFunctions - 1),
            KESTROM_NUMBER(Cbus2, "CBUS2 function", Cbus, 0, kCbusFunctions - 1),
            KESTROM_NUMBER(Cbus3, "CBUS3 function", Cbus, 0, kCbusFunctions - 1),
            KESTROM_NUMBER(Cbus4, "CBUS4 function", Cbus, 0, kCbus4Functions - 1),
            KESTROM_FLAG(RIsD2XX, "D2XX driver (0: virtual COM port)"),
        };
        return f;
    }();
    return fields;
}

#undef KESTROM_NUMBER
#undef KESTROM_FLAG
#undef KESTROM_TEXT

std::vector<const FieldSpec *> table(std::initializer_list<const char *> names) {
    std::vector<const FieldSpec *> fields;
    for (const char *name : names) fields.push_back(findField(QString::fromLatin1(name)));
    return fields;
}

#define KESTROM_COMMON_FIELDS                                                                             \
    "VendorId", "ProductId", "Manufacturer", "ManufacturerId", "Description", "SerialNumber", "MaxPower", \
        "PnP", "SelfPowered", "RemoteWakeup"

struct ChipTable {
    uint32_t type;
    const char *name;
    const char *shortName;
    std::vector<const FieldSpec *> fields;
};

const std::vector<ChipTable> &chipTables() {
    static const std::vector<ChipTable> chips{
        {FT_DEVICE_AM, "FT8U232AM", "AM", table({KESTROM_COMMON_FIELDS})},
        {FT_DEVICE_BM, "FT232BM", "BM",
         table({KESTROM_COMMON_FIELDS, "Rev4", "IsoIn", "IsoOut", "PullDownEnable", "SerNumEnable",
                "USBVersionEnable", "USBVersion"})},
        {FT_DEVICE_2232C, "FT2232C", "2232C",
         table({KESTROM_COMMON_FIELDS,
                "Rev5",
                "IsoInA",
                "IsoInB",
                "IsoOutA",
                "IsoOutB",
                "PullDownEnable5",
                "SerNumEnable5",
                "USBVersionEnable5",
                "USBVersion5",
                "AIsHighCurrent",
                "BIsHighCurrent",
                "IFAIsFifo",
                "IFAIsFifoTar",
                "IFAIsFastSer",
                "AIsVCP",
                "IFBIsFifo",
                "IFBIsFifoTar",
                "IFBIsFastSer",
                "BIsVCP"})},
        {FT_DEVICE_232R, "FT232R", "232R",
         table({KESTROM_COMMON_FIELDS,
                "UseExtOsc",
                "HighDriveIOs",
                "EndpointSize",
                "PullDownEnableR",
                "SerNumEnableR",
                "InvertTXD",
                "InvertRXD",
                "InvertRTS",
                "InvertCTS",
                "InvertDTR",
                "InvertDSR",
                "InvertDCD",
                "InvertRI",
                "Cbus0",
                "Cbus1",
                "Cbus2",
                "Cbus3",
                "Cbus4",
                "RIsD2XX"})},
    };
    return chips;
}

std::optional<uint32_t> parseNumber(const QString &written) {
    bool ok = false;
    const QString text = written.trimmed();
    const bool hex = text.startsWith(u"0x", Qt::CaseInsensitive);
    const qulonglong value = hex ? text.mid(2).toULongLong(&ok, 16) : text.toULongLong(&ok, 10);
    if (!ok || text.size() == (hex ? 2 : 0) || text.contains(u'+') || text.contains(u'-') ||
        value > 0xFFFFFFFFull) {
        return std::nullopt;
    }
    return uint32_t(value);
}

bool isBcd(uint32_t value) {
    for (; value != 0; value >>= 4) {
        if ((value & 0xF) > 9) return false;
    }
    return true;
}

QString hex4(uint32_t value) {
    return QStringLiteral("0x%1").arg(value, 4, 16, QChar(u'0')).toUpper().replace(u'X', u'x');
}

}  // namespace

std::span<const FieldSpec *const> commonFields() {
    static const std::vector<const FieldSpec *> common = table({KESTROM_COMMON_FIELDS});
    return common;
}

std::span<const FieldSpec *const> chipFields(uint32_t chipType) {
    for (const ChipTable &chip : chipTables()) {
        if (chip.type == chipType) return chip.fields;
    }
    return {};
}

const FieldSpec *findField(const QString &name) {
    for (const FieldSpec &field : allFields()) {
        if (name.compare(QLatin1String(field.name), Qt::CaseInsensitive) == 0) return &field;
    }
    return nullptr;
}

bool chipHasField(uint32_t chipType, const FieldSpec &field) {
    const auto fields = chipFields(chipType);
    return std::find(fields.begin(), fields.end(), &field) != fields.end();
}

std::optional<uint32_t> chipByName(const QString &name) {
    for (const ChipTable &chip : chipTables()) {
        if (name.compare(QLatin1String(chip.name), Qt::CaseInsensitive) == 0 ||
            name.compare(QLatin1String(chip.shortName), Qt::CaseInsensitive) == 0) {
            return chip.type;
        }
    }
    return std::nullopt;
}

QString knownChipNames() {
    QStringList names;
    for (const ChipTable &chip : chipTables()) names << QLatin1String(chip.name);
    return names.join(QStringLiteral(", "));
}

FieldValue valueOf(const FieldSpec &field, const EepromContents &contents) {
    if (field.kind == Text) return {0, field.text(contents)};
    return {field.number(contents), {}};
}

void setValue(const FieldSpec &field, EepromContents &contents, const FieldValue &value) {
    if (field.kind == Text) {
        field.setText(contents, value.text);
    } else {
        field.setNumber(contents, value.number);
    }
}

QString cbusName(uint32_t function) {
    return function < kCbusNames.size() ? QString::fromLatin1(kCbusNames[function])
                                        : QString::number(function);
}

QString formatValue(const FieldSpec &field, const FieldValue &value) {
    switch (field.kind) {
        case Hex16:
            return hex4(value.number);
        case Decimal:
        case Flag:
            return QString::number(value.number);
        case Cbus:
            return cbusName(value.number);
        case Text: {
            QString escaped = value.text;
            escaped.replace(u'\\', QStringLiteral("\\\\"))
                .replace(u'"', QStringLiteral("\\\""))
                .replace(u';', QStringLiteral("\\;"));
            return u'"' + escaped + u'"';
        }
    }
    return {};
}

QString allowedValues(const FieldSpec &field) {
    switch (field.kind) {
        case Hex16:
            return field.rule == NumberRule::Bcd
                       ? QStringLiteral("BCD, %1-%2").arg(hex4(field.least), hex4(field.greatest))
                       : QStringLiteral("%1-%2").arg(hex4(field.least), hex4(field.greatest));
        case Decimal:
            if (field.least == field.greatest) return QString::number(field.least);
            return QStringLiteral("%1-%2%3")
                .arg(field.least)
                .arg(field.greatest)
                .arg(field.rule == NumberRule::Even ? QStringLiteral(", even") : QString());
        case Flag:
            return QStringLiteral("0 or 1");
        case Cbus: {
            QStringList names;
            for (uint32_t function = field.least; function <= field.greatest; ++function)
                names << cbusName(function);
            return names.join(u' ');
        }
        case Text:
            return QStringLiteral("at most %1 bytes of UTF-8").arg(field.greatest);
    }
    return {};
}

QString valueProblem(const FieldSpec &field, const FieldValue &value) {
    if (field.kind == Text) {
        const qsizetype bytes = value.text.toUtf8().size();
        if (bytes > qsizetype(field.greatest)) {
            return QStringLiteral("%1 bytes, at most %2").arg(bytes).arg(field.greatest);
        }
        for (const QChar c : value.text) {
            if (c.unicode() < 0x20 || c.unicode() == 0x7F)
                return QStringLiteral("a text holds no control characters");
        }
        return {};
    }
    const bool outside = value.number < field.least || value.number > field.greatest ||
                         (field.rule == NumberRule::Even && value.number % 2 != 0) ||
                         (field.rule == NumberRule::Bcd && !isBcd(value.number));
    return outside ? QStringLiteral("allowed: %1").arg(allowedValues(field)) : QString();
}

std::optional<FieldValue> parseValue(const FieldSpec &field, const QString &written, QString &problem) {
    FieldValue value;
    if (field.kind == Text) {
        value.text = written;
    } else if (field.kind == Flag && (written.compare(u"true", Qt::CaseInsensitive) == 0 ||
                                      written.compare(u"false", Qt::CaseInsensitive) == 0)) {
        value.number = written.compare(u"true", Qt::CaseInsensitive) == 0 ? 1 : 0;
    } else {
        std::optional<uint32_t> number = parseNumber(written);
        if (!number && field.kind == Cbus) {
            for (uint32_t function = 0; function < kCbusNames.size(); ++function) {
                if (written.trimmed().compare(QLatin1String(kCbusNames[function]), Qt::CaseInsensitive) ==
                    0) {
                    number = function;
                }
            }
        }
        if (!number) {
            problem = QStringLiteral("not a value of %1 (allowed: %2)")
                          .arg(QLatin1String(field.name), allowedValues(field));
            return std::nullopt;
        }
        value.number = *number;
    }
    problem = valueProblem(field, value);
    if (!problem.isEmpty()) return std::nullopt;
    return value;
}

#undef KESTROM_COMMON_FIELDS

}  // namespace kestrom::cli
