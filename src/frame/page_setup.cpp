#include "frame/page_setup.h"

#include "platform/canvas.h"
#include "platform/platform.h"
#include "platform/prompts.h"

#include <QPrinter>
#include <QPrinterInfo>

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
    QString name = platform().prompts->save_as(QStringLiteral("Print to PDF file"),
                                               QStringLiteral("PDF files (*.pdf)"), pdf_path_);
    if (name.isEmpty())
        return false;
    if (!name.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive))
        name += QStringLiteral(".pdf");
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
        if (pdf_path_.isEmpty() && !ask_pdf_path())
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
    if (canvas_printer::print(page, p))
        return true;
    if (p.outputFormat() == QPrinter::PdfFormat)
        fail(QStringLiteral("the file ") + p.outputFileName() + QStringLiteral(" could not be written."));
    else
        fail(QStringLiteral("the printer could not be started."));
    return false;
}

void PageSetup::fail(const QString& reason)
{
    platform().prompts->message_box(QStringLiteral("Error: ") + reason, Prompts::Buttons::Ok, Prompts::Icon::None,
                                    QStringLiteral("Sorry..."));
}
