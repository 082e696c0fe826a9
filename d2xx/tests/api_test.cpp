// The D2XX calls of libftd2xx.so end to end on simulated devices: records in and
// out per chip and record version, refusals, erasing, injected failures of every
// call, handles and arguments.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "ftd2xx.h"
#include "record_fields.h"
#include "sim_fixture.h"

namespace {

// A record as a caller lays it out, with text buffers of the sizes the driver assumes.
struct Record {
    char manufacturer[36] = "untouched", manufacturerId[20] = "untouched";
    char description[68] = "untouched", serialNumber[20] = "untouched";
    FT_PROGRAM_DATA data{};

    explicit Record(uint32_t version = 2) {
        data.Signature2 = 0xFFFFFFFF, data.Version = version;
        data.Manufacturer = manufacturer, data.ManufacturerId = manufacturerId;
        data.Description = description, data.SerialNumber = serialNumber;
    }
    Record(const Record &) = delete;
    void texts(const char *m, const char *d, const char *s) {
        std::snprintf(manufacturer, sizeof manufacturer, "%s", m);
        std::snprintf(description, sizeof description, "%s", d);
        std::snprintf(serialNumber, sizeof serialNumber, "%s", s);
    }
    bool untouched() const {
        const std::string all = std::string(manufacturer) + manufacturerId + description + serialNumber;
        return all == "untoucheduntoucheduntoucheduntouched" && data.VendorId == 0;
    }
};

// Two records that differ in (nearly) every field: flags alternate, one mode per channel.
void fill(FT_PROGRAM_DATA &d, int k) {
    int i = k;
#define KESTROM_SET(f) d.f = static_cast<decltype(d.f)>(i++ % 2);
    KESTROM_COMMON_FIELDS(KESTROM_SET)
    KESTROM_BM_FIELDS(KESTROM_SET)
    KESTROM_2232C_FIELDS(KESTROM_SET)
    KESTROM_232R_FIELDS(KESTROM_SET)
#undef KESTROM_SET
    d.MaxPower = k ? 500 : 90;
    d.IFAIsFastSer = d.IFBIsFastSer = 0;
}

class DriverApi : public SimFixture {
protected:
    // A 93C46 device with its image in dev.bin (blank when there is none).
    void device(const std::string &chip, const std::string &extra = "") {
        writeDevices("[dev]\nchip = " + chip + "\neeprom = dev.bin\n" + extra);
    }
    FT_STATUS call(FT_STATUS (*what)(FT_HANDLE, PFT_PROGRAM_DATA), Record &record) {
        FT_HANDLE handle = open();
        const FT_STATUS status = what(handle, &record.data);
        FT_Close(handle);
        return status;
    }
};

}  // namespace

TEST_F(DriverApi, ProgramReadAndEraseOnEveryChipWithEveryRecordVersion) {
    for (const uint32_t chip : {FT_DEVICE_AM, FT_DEVICE_BM, FT_DEVICE_2232C, FT_DEVICE_232R}) {
        for (const uint32_t version : {0u, 1u, 2u}) {
            SCOPED_TRACE(testing::Message() << "chip " << chip << ", version " << version);
            std::filesystem::remove(path("dev.bin"));
            device(std::to_string(chip));
            Record first(2), second(version), out;
            fill(first.data, 0), fill(second.data, 1);
            first.texts("Pelmora", "Převodník USB", "PX12345");
            second.texts("Kůň", "Popis \xF0\x9F\x94\x8C", "ŽŠ0042");
            ASSERT_EQ(FT_OK, call(FT_EE_Program, first));
            ASSERT_EQ(FT_OK, call(FT_EE_Program, second));
            ASSERT_EQ(FT_OK, call(FT_EE_Read, out));

            // The record's version decides which fields it carries; the rest keep what
            // the EEPROM holds, and fields of another chip's layout read 0.
            const FT_PROGRAM_DATA &a = first.data, &b = second.data, &o = out.data;
            bool mine = true;
            uint32_t since = 0;
#define KESTROM_EXPECT(f) EXPECT_EQ(unsigned(o.f), mine ? unsigned(version >= since ? b.f : a.f) : 0u) << #f;
            KESTROM_COMMON_FIELDS(KESTROM_EXPECT)
            mine = chip == FT_DEVICE_BM;
            KESTROM_BM_FIELDS(KESTROM_EXPECT)
            mine = chip == FT_DEVICE_2232C, since = 1;
            KESTROM_2232C_FIELDS(KESTROM_EXPECT)
            mine = chip == FT_DEVICE_232R, since = 2;
            KESTROM_232R_FIELDS(KESTROM_EXPECT)
#undef KESTROM_EXPECT
            EXPECT_EQ(o.Rev4, chip == FT_DEVICE_BM) << "bcdDevice is the connected chip's";
            EXPECT_EQ(o.Rev5, chip == FT_DEVICE_2232C);
            EXPECT_EQ(o.Version, 2u) << "the header is the caller's";
            EXPECT_STREQ("Kůň", out.manufacturer);
            EXPECT_STREQ("Popis \xF0\x9F\x94\x8C", out.description);
            EXPECT_STREQ("ŽŠ0042", out.serialNumber);
            EXPECT_STREQ("ŽŠ", out.manufacturerId) << "the first two characters of the serial number";
            // The device enumerates with the programmed texts from then on.
            EXPECT_EQ(listed(0), "Popis \xF0\x9F\x94\x8C");
            EXPECT_EQ(listed(0, true), "ŽŠ0042");

            // Erasing blanks every word, except on the 232R whose EEPROM cannot be erased.
            // A blank EEPROM is "not programmed" and fills nothing; programming still works.
            FT_HANDLE handle = open();
            ASSERT_EQ(FT_EraseEE(handle), FT_OK);
            const bool erasable = chip != FT_DEVICE_232R;
            EXPECT_EQ(readBytes("dev.bin") == std::string(128, '\xFF'), erasable);
            Record blank;
            EXPECT_EQ(FT_EE_Read(handle, &blank.data), erasable ? FT_EEPROM_NOT_PROGRAMMED : FT_OK);
            EXPECT_EQ(blank.untouched(), erasable);
            EXPECT_EQ(FT_EE_Program(handle, &first.data), FT_OK);
            EXPECT_EQ(readWord(handle, 1), 0x0000);
            FT_Close(handle);
        }
    }
}

TEST_F(DriverApi, RefusedRecordsLeaveTheEepromAsItWas) {
    copyExample("ft232bm.ini", "devices.ini");
    copyExample("ft232bm.bin");
    const std::string before = readBytes("ft232bm.bin");
    const struct {
        const char *what;
        void (*spoil)(Record &);
    } cases[] = {
        {"texts too long for the EEPROM",
         [](Record &r) { r.texts(std::string(35, 'M').c_str(), std::string(67, 'D').c_str(), "S"); }},
        {"bad signature", [](Record &r) { r.data.Signature2 = 0; }},
        {"no description", [](Record &r) { r.data.Description = nullptr; }},
        {"unterminated manufacturer",
         [](Record &r) { std::memset(r.manufacturer, 'M', sizeof r.manufacturer); }},
        {"invalid UTF-8", [](Record &r) { r.texts("M\xFF", "D", "S"); }},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        Record record;
        record.texts("M", "D", "S");
        c.spoil(record);
        EXPECT_EQ(FT_INVALID_PARAMETER, call(FT_EE_Program, record));
    }
    EXPECT_EQ(before, readBytes("ft232bm.bin"));
}

// Everything a D2XX call can fill in, each starting as a recognisable "untouched".
struct Outputs {
    Record record;
    char listed[64] = "untouched", infoSerial[16] = "untouched", infoDescription[64] = "untouched";
    FT_HANDLE handle = nullptr;
    uint32_t type = 0xDEAD, id = 0xDEAD, size = 0xDEAD;
    uint16_t word = 0xDEAD;

    bool untouched() const {
        const std::string texts = std::string(listed) + infoSerial + infoDescription;
        return record.untouched() && texts == "untoucheduntoucheduntouched" && handle == nullptr &&
               type == 0xDEAD && id == 0xDEAD && size == 0xDEAD && word == 0xDEAD;
    }
};

TEST_F(DriverApi, EveryCallFailsAsInjectedAndDoesNoWork) {
    const struct {
        const char *call;
        FT_STATUS status;
        FT_STATUS (*run)(FT_HANDLE, Outputs &);
    } cases[] = {
        {"FT_Open", 3, [](FT_HANDLE, Outputs &o) { return FT_Open(0, &o.handle); }},
        {"FT_Close", 4,
         [](FT_HANDLE h, Outputs &) {
             const FT_STATUS status = FT_Close(h);
             EXPECT_EQ(FT_Close(h), FT_INVALID_HANDLE) << "a failing close still releases the handle";
             return status;
         }},
        {"FT_ListDevices", 18,
         [](FT_HANDLE, Outputs &o) {
             return FT_ListDevices(nullptr, o.listed, FT_LIST_BY_INDEX | FT_OPEN_BY_DESCRIPTION);
         }},
        {"FT_GetDeviceInfo", 4,
         [](FT_HANDLE h, Outputs &o) {
             return FT_GetDeviceInfo(h, &o.type, &o.id, o.infoSerial, o.infoDescription, nullptr);
         }},
        {"FT_EE_Read", 11, [](FT_HANDLE h, Outputs &o) { return FT_EE_Read(h, &o.record.data); }},
        {"FT_EE_Program", 12, [](FT_HANDLE h, Outputs &o) { return FT_EE_Program(h, &o.record.data); }},
        {"FT_EraseEE", 13, [](FT_HANDLE h, Outputs &) { return FT_EraseEE(h); }},
        {"FT_EE_UASize", 17, [](FT_HANDLE h, Outputs &o) { return FT_EE_UASize(h, &o.size); }},
        {"FT_ReadEE", 11, [](FT_HANDLE h, Outputs &o) { return FT_ReadEE(h, 0, &o.word); }},
        {"FT_WriteEE", 16, [](FT_HANDLE h, Outputs &) { return FT_WriteEE(h, 0, 0x1234); }},
    };
    copyExample("ft232bm.bin", "dev.bin");
    const std::string image = readBytes("dev.bin");
    for (const auto &c : cases) {
        SCOPED_TRACE(c.call);
        device("BM", std::string("fail.") + c.call + " = " + std::to_string(c.status) + "\n");
        FT_HANDLE handle = std::strcmp(c.call, "FT_Open") == 0 ? nullptr : open();
        Outputs out;
        EXPECT_EQ(c.run(handle, out), c.status);
        EXPECT_TRUE(out.untouched());
        EXPECT_EQ(readBytes("dev.bin"), image);
        closeAll();
    }
    // Entries of status 0, or with no number, fail nothing.
    device("BM", "fail.FT_WriteEE = 0\nfail.FT_ReadEE = often\nfail.FT_EraseEE = 0x0\n");
    FT_HANDLE handle = open();
    EXPECT_EQ(FT_WriteEE(handle, 2, 0x1234), FT_OK);
    EXPECT_EQ(readWord(handle, 2), 0x1234);
    EXPECT_EQ(FT_EraseEE(handle), FT_OK);
}

TEST_F(DriverApi, HandlesAndArgumentsAreChecked) {
    device("BM");
    FT_HANDLE handle = open();
    ASSERT_EQ(FT_OK, FT_Close(handle));
    uint16_t word = 0;
    EXPECT_EQ(FT_INVALID_HANDLE, FT_ReadEE(handle, 0, &word)) << "used after close";
    EXPECT_EQ(FT_INVALID_HANDLE, FT_EraseEE(nullptr));
    EXPECT_EQ(FT_INVALID_PARAMETER, FT_Open(0, nullptr));
    EXPECT_EQ(FT_DEVICE_NOT_FOUND, FT_Open(-1, &handle));

    handle = open();
    EXPECT_EQ(FT_INVALID_PARAMETER, FT_ReadEE(handle, 0, nullptr));
    EXPECT_EQ(FT_INVALID_PARAMETER, FT_ReadEE(handle, 256, &word)) << "past any EEPROM address";
    EXPECT_EQ(FT_INVALID_PARAMETER, FT_WriteEE(handle, 256, 0));
    EXPECT_EQ(FT_OK, FT_WriteEE(handle, 255, 0x4242)) << "the widest address a chip sends";
    EXPECT_EQ(0x4242, readWord(handle, 255));
    EXPECT_EQ(FT_INVALID_PARAMETER, FT_EE_Read(handle, nullptr));
    EXPECT_EQ(FT_INVALID_PARAMETER, FT_EE_UASize(handle, nullptr));
    uint32_t type = 99, id = 0;
    EXPECT_EQ(FT_OK, FT_GetDeviceInfo(handle, &type, &id, nullptr, nullptr, nullptr)) << "texts are optional";
    EXPECT_EQ(uint32_t{FT_DEVICE_BM}, type);
    EXPECT_EQ(0x04036001u, id);

    char buffer[64];
    char *noBuffer[] = {nullptr};
    uint32_t count = 7;
    EXPECT_EQ(FT_INVALID_PARAMETER, FT_ListDevices(nullptr, nullptr, FT_LIST_NUMBER_ONLY));
    EXPECT_EQ(FT_INVALID_PARAMETER, FT_ListDevices(nullptr, buffer, FT_LIST_BY_INDEX));
    EXPECT_EQ(FT_INVALID_PARAMETER,
              FT_ListDevices(nullptr, buffer, FT_LIST_BY_INDEX | FT_OPEN_BY_DESCRIPTION | FT_OPEN_BY_SERIAL_NUMBER));
    EXPECT_EQ(FT_INVALID_PARAMETER,
              FT_ListDevices(nullptr, nullptr, FT_LIST_BY_INDEX | FT_OPEN_BY_DESCRIPTION));
    EXPECT_EQ(FT_INVALID_PARAMETER, FT_ListDevices(nullptr, &count, FT_LIST_ALL | FT_OPEN_BY_DESCRIPTION));
    EXPECT_EQ(FT_INVALID_PARAMETER, FT_ListDevices(noBuffer, &count, FT_LIST_ALL | FT_OPEN_BY_DESCRIPTION))
        << "one buffer a device";
    EXPECT_EQ(FT_INVALID_PARAMETER,
              FT_ListDevices(buffer, &count, FT_LIST_ALL | FT_LIST_BY_INDEX | FT_OPEN_BY_DESCRIPTION));
    EXPECT_EQ(7u, count);
    EXPECT_EQ(FT_INVALID_PARAMETER, FT_CreateDeviceInfoList(nullptr));
}

// Texts longer than the buffers a caller lends (16 bytes for a serial number, 64 for
// a description) fill them exactly, and nothing is written past them.
TEST_F(DriverApi, TextsHandedOutFillTheCallersBuffersAndNoMore) {
    device("BM", "serial = " + std::string(30, 'S') + "\ndescription = " + std::string(90, 'D') + "\n");
    const std::string serial = std::string(15, 'S') + '\0' + "####";
    const std::string description = std::string(63, 'D') + '\0' + "####";
    std::string listedSerial(16 + 4, '#'), listedDescription(64 + 4, '#'), allDescription(64 + 4, '#');
    ASSERT_EQ(FT_OK, FT_ListDevices(nullptr, listedSerial.data(), FT_LIST_BY_INDEX | FT_OPEN_BY_SERIAL_NUMBER));
    ASSERT_EQ(FT_OK, FT_ListDevices(nullptr, listedDescription.data(), FT_LIST_BY_INDEX | FT_OPEN_BY_DESCRIPTION));
    char *buffers[] = {allDescription.data(), nullptr};
    uint32_t count = 0;
    ASSERT_EQ(FT_OK, FT_ListDevices(buffers, &count, FT_LIST_ALL | FT_OPEN_BY_DESCRIPTION));
    EXPECT_EQ(serial, listedSerial);
    EXPECT_EQ(description, listedDescription);
    EXPECT_EQ(description, allDescription);

    std::string infoSerial(16 + 4, '#'), infoDescription(64 + 4, '#');
    FT_HANDLE handle = open();
    ASSERT_EQ(FT_OK, FT_GetDeviceInfo(handle, nullptr, nullptr, infoSerial.data(), infoDescription.data(), nullptr));
    EXPECT_EQ(serial, infoSerial);
    EXPECT_EQ(description, infoDescription);

    // The port: the section, or nothing written when it does not fit with its NUL.
    std::string port(8, '#');
    uint32_t type = 99;
    ASSERT_EQ(FT_OK, KT_GetDevicePort(0, &type, port.data(), 4));
    EXPECT_EQ(std::string("dev\0####", 8), port);
    EXPECT_EQ(uint32_t{FT_DEVICE_BM}, type);
    port.assign(8, '#');
    EXPECT_EQ(FT_INSUFFICIENT_RESOURCES, KT_GetDevicePort(0, nullptr, port.data(), 3));
    EXPECT_EQ(std::string(8, '#'), port);
    EXPECT_EQ(FT_DEVICE_NOT_FOUND, KT_GetDevicePort(1, nullptr, port.data(), 8));
    // Likewise the port of the open device, and of no device for a closed handle.
    ASSERT_EQ(FT_OK, KT_GetHandlePort(handle, port.data(), 4));
    EXPECT_EQ(std::string("dev\0####", 8), port);
    port.assign(8, '#');
    EXPECT_EQ(FT_INSUFFICIENT_RESOURCES, KT_GetHandlePort(handle, port.data(), 3));
    EXPECT_EQ(std::string(8, '#'), port);
    FT_Close(handle);
    EXPECT_EQ(FT_INVALID_HANDLE, KT_GetHandlePort(handle, port.data(), 8));
}
