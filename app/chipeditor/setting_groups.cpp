#include "setting_groups.h"

#include <QRegularExpression>
#include <array>

namespace kestrom::chipeditor {

namespace {

struct GroupRule {
    const char *pattern;  // on the setting's name
    const char *caption;  // %1: the channel letter the pattern captured
};

// The first rule that matches a name places it. The one-port chips' pin groups
// (ACSlowSlew, ADDriveCurrent) come before the channel rule, which would read their
// A as a channel.
constexpr std::array kRules{
    GroupRule{"^(Manufacturer|ManufacturerId|Description|SerialNumber)$", "Texts"},
    GroupRule{"^(VendorId|ProductId|MaxPower|PnP|SelfPowered|RemoteWakeup|Rev4|Rev5|IsoIn|IsoOut|"
              "EndpointSize|(SerNumEnable|PullDownEnable|USBVersionEnable|USBVersion)[5R]?)$",
              "USB"},
    GroupRule{"^Cbus\\d$", "CBUS pins"},
    GroupRule{"^Invert", "Signal inversions"},
    GroupRule{"^(BCD|PowerSaveEnable$|UseExtOsc$)", "Power and clock"},
    GroupRule{"^I2C", "I2C"},
    GroupRule{"^FT1248", "FT1248"},
    GroupRule{"^A[CD](SlowSlew|SchmittInput|DriveCurrent)$", "Port"},
    GroupRule{"^Iso(?:In|Out)([A-D])$", "Channel %1"},
    GroupRule{"^(?:IF)?([A-D])(?:[LH])?(?:Is|SlowSlew|SchmittInput|DriveCurrent|RIIsTXDEN|DriverType)",
              "Channel %1"},
    GroupRule{"^(Is(Fifo|FifoTar|FastSer|FT1248)|DriverType|RS485EchoSuppress|HighDriveIOs|RIsD2XX)$",
              "Port"},
};

// Where the CBUS pins are called ACBUS.
QString pinsCaption(uint32_t chipType) {
    return chipType == FT_DEVICE_232H ? QStringLiteral("ACBUS pins") : QStringLiteral("CBUS pins");
}

}  // namespace

QString groupOf(uint32_t chipType, const Setting &setting) {
    static const std::vector<QRegularExpression> patterns = [] {
        std::vector<QRegularExpression> compiled;
        for (const GroupRule &rule : kRules) compiled.emplace_back(QString::fromLatin1(rule.pattern));
        return compiled;
    }();
    const QString name = QString::fromLatin1(setting.name);
    for (size_t i = 0; i < kRules.size(); ++i) {
        const QRegularExpressionMatch match = patterns[i].match(name);
        if (!match.hasMatch()) continue;
        const QString caption = QString::fromLatin1(kRules[i].caption);
        if (caption == QStringLiteral("CBUS pins")) return pinsCaption(chipType);
        return caption.contains(u'%') ? caption.arg(match.captured(1)) : caption;
    }
    return QStringLiteral("Other");
}

std::vector<SettingGroup> settingGroups(uint32_t chipType) {
    static const char *const kOrder[] = {
        "USB",       "Texts",      "Channel A",         "Channel B",       "Channel C", "Channel D", "Port",
        "CBUS pins", "ACBUS pins", "Signal inversions", "Power and clock", "I2C",       "FT1248",    "Other"};
    std::vector<SettingGroup> groups;
    for (const char *caption : kOrder) groups.push_back({QString::fromLatin1(caption), {}});
    for (const Setting *setting : eeprom::chipSettings(chipType)) {
        const QString caption = groupOf(chipType, *setting);
        for (SettingGroup &group : groups)
            if (group.caption == caption) group.settings.push_back(setting);
    }
    std::erase_if(groups, [](const SettingGroup &group) { return group.settings.empty(); });
    return groups;
}

}  // namespace kestrom::chipeditor
