#include "frame/page_setup.h"

#include "frame/data_file.h"
#include "platform/canvas.h"
#include "platform/platform.h"
#include "platform/prompts.h"

#include <QPrinter>
#include <QPrinterInfo>

namespace {
const QString kErrorTitle = QStringLiteral("Sorry...");
}  // namespace

PageSetup::PageSetup()
{
    has_printer = [] { return !QPrinterInfo::availablePrinters().isEmpty(); };
}

PageSetup::~PageSetup() = default;

QPrinter& PageSetup::printer()
{
    if (!printer_) {
        printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer_->setPageOrientation(QPageLayout::Portrait);
    }
    return *printer_;
}

bool PageSetup::ask_pdf_path()
{
    const QString name = data_file::ask_target(QStringLiteral("Print to PDF file"), QStringLiteral("PDF files (*.pdf)"),
                                               QStringLiteral(".pdf"), pdf_path_, kErrorTitle);
    if (name.isEmpty())
        return false;
    pdf_path_ = name;
    return true;
}

bool PageSetup::setup()
{
    if (!has_printer())
        return ask_pdf_path();
    QPrinter& p = printer();
    p.setOutputFormat(QPrinter::NativeFormat);
    return platform().prompts->printer_setup(p);
}

bool PageSetup::begin(Canvas& page)
{
    QPrinter& p = printer();
    if (!has_printer()) {
        // Asked at every print, so that no earlier page is replaced unasked.
        if (!ask_pdf_path())
            return false;
        p.setOutputFormat(QPrinter::PdfFormat);
        p.setOutputFileName(pdf_path_);
    } else if (p.outputFormat() != QPrinter::NativeFormat || p.printerName().isEmpty()) {
        canvas_printer::prepare(p, QString());
    }
    canvas_printer::attach(page, p);
    return true;
}

bool PageSetup::finish(const Canvas& page)
{
    QPrinter& p = printer();
    if (p.outputFormat() == QPrinter::PdfFormat) {
        // Drawn in memory and written whole: a file that cannot be written is told, and an older file of
        // that name stays as it was.
        const QString path = p.outputFileName();
        const QByteArray pdf = canvas_printer::pdf(page, p);
        const QString reason = pdf.isEmpty() ? QStringLiteral("the page could not be drawn.")
                                             : data_file::write_whole_quiet(path, pdf);
        if (reason.isEmpty())
            return true;
        fail(QStringLiteral("the file ") + path + QStringLiteral(" could not be written: ") + reason);
        return false;
    }
    if (canvas_printer::print(page, p))
        return true;
    fail(QStringLiteral("the printer could not print the page."));
    return false;
}

void PageSetup::fail(const QString& reason)
{
    data_file::show_error(reason, kErrorTitle);
}
