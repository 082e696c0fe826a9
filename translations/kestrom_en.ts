<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name>AboutBox</name>
    <message>
        <source>O aplikaci</source>
        <translation>About</translation>
    </message>
    <message>
        <source>Název aplikace: Kestrom</source>
        <translation>Application name: Kestrom</translation>
    </message>
    <message>
        <source>Autor: Pelmora</source>
        <translation>Author: Pelmora</translation>
    </message>
    <message>
        <source>Nápověda: </source>
        <translation>Help: </translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>&amp;System Info...</source>
        <translation>&amp;System Info...</translation>
    </message>
    <message>
        <source>Program se poskytuje tak, jak je, bez jakékoli záruky. Zápis do paměti EEPROM může zařízení vyřadit z provozu; používáte jej na vlastní odpovědnost.</source>
        <translation>The program is provided as is, without any warranty. Writing the EEPROM can put the device out of service; you use it at your own risk.</translation>
    </message>
    <message>
        <source>System Information Is Unavailable At This Time</source>
        <translation>System Information Is Unavailable At This Time</translation>
    </message>
</context>
<context>
    <name>Appearance</name>
    <message>
        <source>You chose cancel</source>
        <translation>You chose cancel</translation>
    </message>
</context>
<context>
    <name>ChipSettings</name>
    <message>
        <source>The three texts in this EEPROM: %1</source>
        <translation>The three texts in this EEPROM: %1</translation>
    </message>
    <message>
        <source>Templates (*.ini)</source>
        <translation>Templates (*.ini)</translation>
    </message>
    <message>
        <source>All files (*)</source>
        <translation>All files (*)</translation>
    </message>
    <message>
        <source>Chip Settings</source>
        <translation>Chip Settings</translation>
    </message>
    <message>
        <source>Read</source>
        <translation>Read</translation>
    </message>
    <message>
        <source>Defaults</source>
        <translation>Defaults</translation>
    </message>
    <message>
        <source>Load Template ...</source>
        <translation>Load Template ...</translation>
    </message>
    <message>
        <source>Save Template ...</source>
        <translation>Save Template ...</translation>
    </message>
    <message>
        <source>Write</source>
        <translation>Write</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>Device 0 could not be read: %1</source>
        <translation>Device 0 could not be read: %1</translation>
    </message>
    <message>
        <source>Kestrom does not know the settings of the %1 (device type %2).</source>
        <translation>Kestrom does not know the settings of the %1 (device type %2).</translation>
    </message>
    <message>
        <source>%1 words (%2)</source>
        <translation>%1 words (%2)</translation>
    </message>
    <message>
        <source>Device 0: %1, %2, reads %3: the chip&apos;s defaults are shown.</source>
        <translation>Device 0: %1, %2, reads %3: the chip&apos;s defaults are shown.</translation>
    </message>
    <message>
        <source>Device 0: %1, %2, as read from the chip.</source>
        <translation>Device 0: %1, %2, as read from the chip.</translation>
    </message>
    <message>
        <source>The %1&apos;s factory settings are shown; Write puts them on the chip.</source>
        <translation>The %1&apos;s factory settings are shown; Write puts them on the chip.</translation>
    </message>
    <message>
        <source>Load Template</source>
        <translation>Load Template</translation>
    </message>
    <message>
        <source>The template was not loaded: the settings shown are not all allowed.</source>
        <translation>The template was not loaded: the settings shown are not all allowed.</translation>
    </message>
    <message>
        <source>The template was not loaded.</source>
        <translation>The template was not loaded.</translation>
    </message>
    <message>
        <source>Loaded %1: Write puts it on the chip.</source>
        <translation>Loaded %1: Write puts it on the chip.</translation>
    </message>
    <message>
        <source>The template was not saved: a value is not allowed.</source>
        <translation>The template was not saved: a value is not allowed.</translation>
    </message>
    <message>
        <source>Save Template</source>
        <translation>Save Template</translation>
    </message>
    <message>
        <source>The template was not saved: %1</source>
        <translation>The template was not saved: %1</translation>
    </message>
    <message>
        <source>Saved %1.</source>
        <translation>Saved %1.</translation>
    </message>
    <message>
        <source>Nothing was written: a value is not allowed.</source>
        <translation>Nothing was written: a value is not allowed.</translation>
    </message>
    <message>
        <source>Device 0 is now an %1, not the %2 shown: Read it first. Nothing was written.</source>
        <translation>Device 0 is now an %1, not the %2 shown: Read it first. Nothing was written.</translation>
    </message>
    <message>
        <source>Nothing was written: the chip does not take these settings.</source>
        <translation>Nothing was written: the chip does not take these settings.</translation>
    </message>
    <message>
        <source>The chip already holds these settings: nothing was written.</source>
        <translation>The chip already holds these settings: nothing was written.</translation>
    </message>
    <message>
        <source>The EEPROM of the %1 (device 0) reads %2. Write these settings to it?

%3</source>
        <translation>The EEPROM of the %1 (device 0) reads %2. Write these settings to it?

%3</translation>
    </message>
    <message>
        <source>Write these changes to the %1 (device 0)?

%2</source>
        <translation>Write these changes to the %1 (device 0)?

%2</translation>
    </message>
    <message>
        <source>The device will come back with the USB IDs %1. Kestrom and the serial driver find it only if they know these IDs (FTD2XX_VIDPID, the udev rule).</source>
        <translation>The device will come back with the USB IDs %1. Kestrom and the serial driver find it only if they know these IDs (FTD2XX_VIDPID, the udev rule).</translation>
    </message>
    <message>
        <source>Written and read back.</source>
        <translation>Written and read back.</translation>
    </message>
    <message>
        <source>%1 (not a value of this setting)</source>
        <translation>%1 (not a value of this setting)</translation>
    </message>
    <message>
        <source>%1 mA</source>
        <translation>%1 mA</translation>
    </message>
    <message>
        <source>a number is needed</source>
        <translation>a number is needed</translation>
    </message>
    <message>
        <source>UART</source>
        <translation>UART</translation>
    </message>
    <message>
        <source>none of the modes: a serial UART</source>
        <translation>none of the modes: a serial UART</translation>
    </message>
    <message>
        <source>Mode</source>
        <translation>Mode</translation>
    </message>
    <message>
        <source>%1 of %2 bytes left</source>
        <translation>%1 of %2 bytes left</translation>
    </message>
    <message>
        <source>%1 bytes too long</source>
        <translation>%1 bytes too long</translation>
    </message>
</context>
<context>
    <name>EditorForm</name>
    <message>
        <source>Read</source>
        <translation>Read</translation>
    </message>
    <message>
        <source>Write</source>
        <translation>Write</translation>
    </message>
    <message>
        <source>Erase</source>
        <translation>Erase</translation>
    </message>
    <message>
        <source>Device</source>
        <translation>Device</translation>
    </message>
    <message>
        <source>Default</source>
        <translation>Default</translation>
    </message>
    <message>
        <source>Auto Update</source>
        <translation>Auto Update</translation>
    </message>
    <message>
        <source>Refresh</source>
        <translation>Refresh</translation>
    </message>
    <message>
        <source>Text info</source>
        <translation>Text info</translation>
    </message>
    <message>
        <source>Binary info</source>
        <translation>Binary info</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Chip &amp;Settings ...</source>
        <translation>Chip &amp;Settings ...</translation>
    </message>
    <message>
        <source>Device FTU232BM ...</source>
        <translation>Device FTU232BM ...</translation>
    </message>
    <message>
        <source>Device FT8U232AM ...</source>
        <translation>Device FT8U232AM ...</translation>
    </message>
    <message>
        <source>Device FT8U100AX ...</source>
        <translation>Device FT8U100AX ...</translation>
    </message>
    <message>
        <source>FTDI Device UNKNOWN ...</source>
        <translation>FTDI Device UNKNOWN ...</translation>
    </message>
    <message>
        <source>Device FT2232C ...</source>
        <translation>Device FT2232C ...</translation>
    </message>
    <message>
        <source>Device FT_DEVICE_232R ...</source>
        <translation>Device FT_DEVICE_232R ...</translation>
    </message>
    <message>
        <source>Device FT2232H ...</source>
        <translation>Device FT2232H ...</translation>
    </message>
    <message>
        <source>Device FT4232H ...</source>
        <translation>Device FT4232H ...</translation>
    </message>
    <message>
        <source>Device FT232H ...</source>
        <translation>Device FT232H ...</translation>
    </message>
    <message>
        <source>Device FT-X ...</source>
        <translation>Device FT-X ...</translation>
    </message>
    <message>
        <source>FTDI Device Not Find ...</source>
        <translation>FTDI Device Not Find ...</translation>
    </message>
    <message>
        <source>EEPROM images (*.bin)</source>
        <translation>EEPROM images (*.bin)</translation>
    </message>
    <message>
        <source>All Files (*)</source>
        <translation>All Files (*)</translation>
    </message>
    <message>
        <source>a blank EEPROM</source>
        <translation>a blank EEPROM</translation>
    </message>
    <message>
        <source>VendorID %1, ProductID %2
Manufacturer &quot;%3&quot;
Description &quot;%4&quot;
Serial Number &quot;%5&quot;</source>
        <translation>VendorID %1, ProductID %2
Manufacturer &quot;%3&quot;
Description &quot;%4&quot;
Serial Number &quot;%5&quot;</translation>
    </message>
    <message>
        <source>Save EEPROM Image</source>
        <translation>Save EEPROM Image</translation>
    </message>
    <message>
        <source>Soubor nejde uložit.</source>
        <translation>The file cannot be saved.</translation>
    </message>
    <message>
        <source>Program EEPROM Image</source>
        <translation>Program EEPROM Image</translation>
    </message>
    <message>
        <source>Program the %1 with this image?

%2</source>
        <translation>Program the %1 with this image?

%2</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>&amp;Save Log ...</source>
        <translation>&amp;Save Log ...</translation>
    </message>
    <message>
        <source>Save EEPROM Image ...</source>
        <translation>Save EEPROM Image ...</translation>
    </message>
    <message>
        <source>Program EEPROM Image ...</source>
        <translation>Program EEPROM Image ...</translation>
    </message>
    <message>
        <source>Setup Printer</source>
        <translation>Setup Printer</translation>
    </message>
    <message>
        <source>Print</source>
        <translation>Print</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>&amp;Edit</translation>
    </message>
    <message>
        <source>&amp;Copy</source>
        <translation>&amp;Copy</translation>
    </message>
    <message>
        <source>Paste</source>
        <translation>Paste</translation>
    </message>
    <message>
        <source>Cut</source>
        <translation>Cut</translation>
    </message>
    <message>
        <source>&amp;Tools</source>
        <translation>&amp;Tools</translation>
    </message>
    <message>
        <source>&amp;Options ...</source>
        <translation>&amp;Options ...</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>&amp;Pelmora on the Web</source>
        <translation>&amp;Pelmora on the Web</translation>
    </message>
    <message>
        <source>&amp;Update</source>
        <translation>&amp;Update</translation>
    </message>
    <message>
        <source>&amp;About</source>
        <translation>&amp;About</translation>
    </message>
    <message>
        <source>The device will come back with the USB IDs %1 instead of %2. Kestrom and the serial driver find it only if they know these IDs (FTD2XX_VIDPID, the udev rule).

Write the new IDs?</source>
        <translation>The device will come back with the USB IDs %1 instead of %2. Kestrom and the serial driver find it only if they know these IDs (FTD2XX_VIDPID, the udev rule).

Write the new IDs?</translation>
    </message>
    <message>
        <source>Manufacturer, Description and Serial Number: %1 of %2 bytes left in this EEPROM</source>
        <translation>Manufacturer, Description and Serial Number: %1 of %2 bytes left in this EEPROM</translation>
    </message>
    <message>
        <source>Manufacturer, Description and Serial Number: %1 bytes too many for this EEPROM</source>
        <translation>Manufacturer, Description and Serial Number: %1 bytes too many for this EEPROM</translation>
    </message>
    <message>
        <source>&quot;%1&quot; on this %2 was interrupted on %3, and its EEPROM now reads blank or damaged.

Put back the contents it had before?</source>
        <translation>&quot;%1&quot; on this %2 was interrupted on %3, and its EEPROM now reads blank or damaged.

Put back the contents it had before?</translation>
    </message>
</context>
<context>
    <name>SaveLog</name>
    <message>
        <source>The file is read-only</source>
        <translation>The file is read-only</translation>
    </message>
    <message>
        <source>Soubor není uložen celý</source>
        <translation>The file was not saved whole.</translation>
    </message>
    <message>
        <source>Save File</source>
        <translation>Save File</translation>
    </message>
    <message>
        <source>Text Files (*.txt)</source>
        <translation>Text Files (*.txt)</translation>
    </message>
    <message>
        <source>All Files (*.*)</source>
        <translation>All Files (*.*)</translation>
    </message>
    <message>
        <source>Soubor nejde uložit.</source>
        <translation>The file cannot be saved.</translation>
    </message>
    <message>
        <source>Soubor už existuje. Chcete soubor přepsat?</source>
        <translation>The file already exists. Do you want to overwrite it?</translation>
    </message>
    <message>
        <source>Soubor nejde přepsat?</source>
        <translation>The file cannot be overwritten.</translation>
    </message>
</context>
<context>
    <name>Startup</name>
    <message>
        <source>%1 is neither in %2 nor in %3.</source>
        <translation>%1 is neither in %2 nor in %3.</translation>
    </message>
    <message>
        <source>%1 is not in %2, and %3 cannot be loaded: %4</source>
        <translation>%1 is not in %2, and %3 cannot be loaded: %4</translation>
    </message>
    <message>
        <source>Aplikace už jednou běží!</source>
        <translation>The application is already running!</translation>
    </message>
    <message>
        <source>Lituji, ale program je určen jen pro systém  Win2000 a vyšší!</source>
        <translation>Sorry, this program is meant only for Windows 2000 and later!</translation>
    </message>
    <message>
        <source>Nesprávný Systém</source>
        <translation>Wrong System</translation>
    </message>
    <message>
        <source>Is not install driver for FTDI</source>
        <translation>Is not install driver for FTDI</translation>
    </message>
</context>
<context>
    <name>kestrom::output::OutputCommands</name>
    <message>
        <source>Command3</source>
        <translation>Command3</translation>
    </message>
    <message>
        <source>Command4</source>
        <translation>Command4</translation>
    </message>
</context>
</TS>
