#include "print_log.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPrinter>

#include "dialogs.h"
#include <algorithm>
#include <memory>

namespace kestrom::output {

namespace {

// "Courier", a character cell 40 high and 25 wide on average, weight 570.
QFont printFont(QPaintDevice *device) {
    QFont font(QStringLiteral("Courier"));
    font.setStyleHint(QFont::TypeWriter);
    font.setWeight(QFont::Weight(570));
    font.setItalic(false);
    font.setPixelSize(kPrintCellHeight);
    const int natural = QFontMetrics(font, device).height();
    if (natural > 0) font.setPixelSize(std::max(1, kPrintCellHeight * kPrintCellHeight / natural));
    const int width = QFontMetrics(font, device).averageCharWidth();
    if (width > 0) font.setStretch(std::clamp(kPrintCharWidth * 100 / width, 1, 4000));
    return font;
}

}  // namespace

void PrintLog(QPrinter &printer, const QStringList &lines) {
    printer.setDocName(QStringLiteral("Kestrom"));
    printer.setPrintRange(QPrinter::AllPages);  // the whole log, whatever range the dialog had
    // A file has no resolution of its own: a common printer's keeps the text readable.
    if (printer.outputFormat() == QPrinter::PdfFormat) printer.setResolution(kFileResolution);
    QPainter painter;
    if (!painter.begin(&printer)) return;
    const QFont font = printFont(&printer);
    painter.setFont(font);
    const int ascent = QFontMetrics(font, &printer).ascent();
    const int pageHeight = painter.viewport().height();
    const int linesPerPage = std::max(1, (pageHeight - kPrintCellHeight) / kPrintLineStep);

    int onPage = 0;
    for (const QString &line : lines) {
        if (onPage == linesPerPage) {
            if (!printer.newPage()) break;
            onPage = 0;
        }
        ++onPage;
        painter.drawText(kPrintLeft, onPage * kPrintLineStep + ascent, line);
    }
    painter.end();
}

std::unique_ptr<QPrinter> PrinterLike(const QPrinter &printer) {
    auto fresh = std::make_unique<QPrinter>(QPrinter::HighResolution);
    fresh->setPrinterName(printer.printerName());
    fresh->setOutputFormat(printer.outputFormat());
    fresh->setOutputFileName(printer.outputFileName());
    fresh->setPageLayout(printer.pageLayout());
    fresh->setCopyCount(printer.copyCount());
    fresh->setDuplex(printer.duplex());
    fresh->setColorMode(printer.colorMode());
    fresh->setPaperSource(printer.paperSource());
    return fresh;
}

void ShowPrinterSetup(QWidget *owner, QPrinter &printer) {
    dialogs::programDialogs().setupPrinter(owner, printer);
}

}  // namespace kestrom::output
