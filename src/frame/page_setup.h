#pragma once
#include <QString>
#include <functional>
#include <memory>

class Canvas;
class QPrinter;

// The printer a mode window prints its page on, kept from "Printer Setup" to each print. Where the
// machine has no printer installed, both offer a PDF file instead.
class PageSetup {
public:
    PageSetup();
    ~PageSetup();
    PageSetup(const PageSetup&) = delete;
    PageSetup& operator=(const PageSetup&) = delete;

    // Whether a printer is installed; tests replace it.
    std::function<bool()> has_printer;

    // The printer set-up box; with no printer, the choice of the PDF file the next print offers. False
    // when cancelled.
    bool setup();
    // Prepares page for drawing on the chosen printer (its text metrics are the printer's). With no
    // printer, asks for the PDF file first, offering the last one, and makes sure it can be made (the
    // error box when not). False when the user cancels or the file cannot be made: ask for anything
    // else (a comment) only after this.
    bool begin(Canvas& page);
    // Sends the page to the printer (one page, then the end of the document), or writes it whole to the
    // PDF file. A printer that cannot print it or a file that cannot be written gives the error box (an
    // older file of that name is kept); false then.
    bool finish(const Canvas& page);
    // The "Error: " box of a failed print.
    static void fail(const QString& reason);

    QString pdf_path() const { return pdf_path_; }
    QPrinter& printer();

private:
    bool ask_pdf_path();
    std::unique_ptr<QPrinter> printer_;
    QString pdf_path_;
};
