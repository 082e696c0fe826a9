#include "report_rows.h"

#include <array>

#include "ftd2xx.h"

namespace kestrom::reports {

namespace {

using R = RomgateBinding;
constexpr Shown kHex = Shown::Hexadecimal;
constexpr Shown kDec = Shown::Decimal;
constexpr FieldRow kEmpty{""};

constexpr std::array kTextRows{
    TextRow{"Manufacturer", &R::GET_Manufacturer_},
    TextRow{"ManufacturerID", &R::GET_ManufacturerId_},
    TextRow{"Description", &R::GET_Description_},
    TextRow{"Serialnumber", &R::GET_SerialNumber_},
};

constexpr std::array kCommonRows{
    FieldRow{"VendorID", &R::GET_VendorId_, kHex},
    FieldRow{"ProductID", &R::GET_ProductId_, kHex},
    FieldRow{"Max Power", &R::GET_MaxPower_, kDec, "mA  (0 < MaxPower <= 500)"},
    FieldRow{"Plug-and-Play", &R::GET_PnP_, kDec, "  (0 = disabled, 1 = enabled)"},
    FieldRow{"Self-Powered", &R::GET_SelfPowered_, kDec, "  (0 = bus powered, 1 = self powered)"},
    FieldRow{"RemoteWakeup", &R::GET_RemoteWakeup_, kDec, "  (0 = not capable, 1 = capable)"},
    FieldRow{"IsoIn", &R::GET_IsoIn_, kDec, "  (true if in endpoint is isochronous)"},
    FieldRow{"IsoOut", &R::GET_IsoOut_, kDec, "  (true if out endpoint is isochronous)"},
    kEmpty,
};

constexpr std::array kFt2xxbmRows{
    FieldRow{"FTU2xxxBM extensions"},
    FieldRow{"Rev4", &R::GET_Rev4_, kDec, "  (true if Rev4 chip, false otherwise)"},
    FieldRow{"PullDownEnable", &R::GET_PullDownEnable_, kDec, "  (true if pull down enabled)"},
    FieldRow{"SerNumEnable", &R::GET_SerNumEnable_, kDec},
    FieldRow{"USBVersionEnable", &R::GET_USBVersionEnable_, kDec, "  (true if chip uses USBVersion)"},
    FieldRow{"USBVersion", &R::GET_USBVersion_, kHex, "  (0x0200 => USB2)"},
    kEmpty,
};

constexpr std::array kFt2232cRows{
    FieldRow{"FT2232C extensions"},
    FieldRow{"Rev5", &R::GET_Rev5_, kDec, "  non-zero if Rev5 chip, zero otherwise"},
    FieldRow{"PullDownEnable5", &R::GET_PullDownEnable5_, kDec, "  non-zero if pull down enabled"},
    FieldRow{"SerNumEnable5", &R::GET_SerNumEnable5_, kDec, "  non-zero if serial number to be used"},
    FieldRow{"USBVersionEnable5", &R::GET_USBVersionEnable5_, kDec, "  non-zero if chip uses USBVersion"},
    FieldRow{"USBVersion5", &R::GET_USBVersion5_, kHex, "  0x0200 => USB2)"},
    kEmpty,
    FieldRow{"IsoInA", &R::GET_IsoInA_, kDec, "  non-zero if in endpoint is isochronous"},
    FieldRow{"IsoOutA", &R::GET_IsoOutA_, kDec, "  non-zero if out endpoint is isochronous"},
    FieldRow{"AlsHighCurrent", &R::GET_AIsHighCurrent_, kDec, "  non-zero if interface is high current"},
    FieldRow{"IFAlsFifo", &R::GET_IFAIsFifo_, kDec, "  non-zero if interface is 245 FIFO"},
    FieldRow{"IFAlsFifoTar", &R::GET_IFAIsFifoTar_, kDec, "  non-zero if interface is 245 FIFO CPU target"},
    FieldRow{"IFAlsFastSer", &R::GET_IFAIsFastSer_, kDec, "  non-zero if interface is Fast serial"},
    FieldRow{"AlsVCP", &R::GET_AIsVCP_, kDec, "  non-zero if interface is to use VCP drivers"},
    kEmpty,
    FieldRow{"IsoInB", &R::GET_IsoInB_, kDec, "  non-zero if in endpoint is isochronous"},
    FieldRow{"IsoOutB", &R::GET_IsoOutB_, kDec, "  non-zero if out endpoint is isochronous"},
    FieldRow{"BlsHighCurrent", &R::GET_BIsHighCurrent_, kDec, "  non-zero if interface is high current"},
    FieldRow{"IFBlsFifo", &R::GET_IFBIsFifo_, kDec, "  non-zero if interface is 245 FIFO"},
    FieldRow{"IFBlsFifoTar", &R::GET_IFBIsFifoTar_, kDec, "  non-zero if interface is 245 FIFO CPU target"},
    FieldRow{"IFBlsFastSer", &R::GET_IFBIsFastSer_, kDec, "  non-zero if interface is Fast serial"},
    FieldRow{"BlsVCP", &R::GET_BIsVCP_, kDec, "  non-zero if interface is to use VCP drivers"},
    kEmpty,
};

constexpr std::array kFt232rRows{
    FieldRow{"FT232R extensions"},
    FieldRow{"NOT IMPLEMENT"},
    kEmpty,
};

}  // namespace

std::span<const TextRow> textRows() {
    return kTextRows;
}

std::span<const FieldRow> commonRows() {
    return kCommonRows;
}

std::span<const FieldRow> chipRows(int32_t chipType) {
    switch (chipType) {
        case FT_DEVICE_BM:
            return kFt2xxbmRows;
        case FT_DEVICE_2232C:
            return kFt2232cRows;
        case FT_DEVICE_232R:
            return kFt232rRows;
        default:
            return {};
    }
}

QString fieldLine(const char *caption, const QString &value, const char *comment) {
    return QString::fromLatin1(caption).leftJustified(19) + QStringLiteral(": ") + value +
           QString::fromLatin1(comment);
}

QString hexadecimal(int32_t value) {
    if (value < 0) return QString::number(value);
    return QStringLiteral("0x") + QStringLiteral("%1").arg(value, 4, 16, QChar(u'0')).toUpper();
}

}  // namespace kestrom::reports
