// File > Print and File > Setup Printer.
#pragma once

#include <QStringList>
#include <memory>

class QWidget;

class QPrinter;

namespace kestrom::output {

// Layout in the printer's own device units, whatever its resolution.
inline constexpr int kPrintLeft = 10;
inline constexpr int kPrintLineStep = 35;  // also the first line's top on every page
inline constexpr int kPrintCellHeight = 40;
inline constexpr int kPrintCharWidth = 25;
// Dots per inch when printing to a file.
inline constexpr int kFileResolution = 300;

// Every line of the log as job "Kestrom", page after page; an empty log gives
// one blank page. Nothing is printed, silently, when the printer cannot start.
void PrintLog(QPrinter &printer, const QStringList &lines);
// A new printer with the settings of `printer`: Qt keeps a printer whose job
// failed to start "active" for good, refusing every later change.
std::unique_ptr<QPrinter> PrinterLike(const QPrinter &printer);
// The print dialog on the current printer; Cancel leaves it as it was.
void ShowPrinterSetup(QWidget *owner, QPrinter &printer);

}  // namespace kestrom::output
