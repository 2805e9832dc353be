#include "link/gpibgen.h"

#include "link/app_error.h"
#include "link/globals.h"
#include "link/link_exchange.h"
#include "link/vbib32.h"
#include "platform/clock.h"
#include "platform/platform.h"
#include "platform/prompts.h"
#include "util/number_text.h"

namespace gpibgen {

QString gpib_error_text(int code)
{
    switch (code) {
    case 0: return QStringLiteral("System error (EDVR) on ");
    case 1: return QStringLiteral("Controller error (ECIC) on ");
    case 2: return QStringLiteral("No listeners error (ENOL) on ");
    case 3: return QStringLiteral("Addressing error (EADR) on ");
    case 4: return QStringLiteral("Invalid argument error(EARG) on ");
    case 5: return QStringLiteral("Not system controller error (ESAC) on ");
    case 6: return QStringLiteral("Timed out (EABO) on ");
    case 7: return QStringLiteral("Non existent GPIB board (ENEB) on ");
    case 8: return QStringLiteral("DMA error (EDMA) on ");
    case 10: return QStringLiteral("Async in progress (EOIP) on ");
    case 11: return QStringLiteral("No capability (ECAP) on ");
    case 12: return QStringLiteral("File system error (EFSO) on ");
    case 14: return QStringLiteral("GPIB bus error (EBUS) on ");
    case 15: return QStringLiteral("Serial poll queue overflow (ESTB) on ");
    case 16: return QStringLiteral("SRQ stuck ON (ESRQ) on ");
    case 20: return QStringLiteral("Table problem (ETAB) on ");
    default: return QString();
    }
}

int gpib_error(const QString& label)
{
    const Globals& gs = g();
    if (gs.serial_in_use || (gs.ibsta & vbib32::ERR) == 0)
        return 0;
    const QString text = gpib_error_text(gs.iberr);
    const QString message = text.isEmpty() ? QString() : text + label;
    platform().prompts->message_box(message, Prompts::Buttons::Ok, Prompts::Icon::None,
                                    QStringLiteral("GPIB Comms error"));
    return gs.iberr == 0 ? system_error_result : gs.iberr;
}

int read_status_byte(int address)
{
    int result = 0;
    vbib32::ReadStatusByte(0, address, result);
    return result;
}

// Sends a query padded to 20 characters and reads its answer into a fixed buffer, reporting a bus
// error after each step.
static QByteArray ask_fixed(int board, int address, const char* query, const QString& sent, int size,
                            const QString& read)
{
    vbib32::Send(board, address, QByteArray(query).leftJustified(20, ' '));
    gpib_error(sent);
    QByteArray buffer = vbib32::fixed_buffer(size);
    vbib32::Receive(board, address, buffer);
    gpib_error(read);
    return buffer;
}

int read_esr(int board, int address)
{
    return numtext::cint(numtext::val(
        ask_fixed(board, address, "*ESR?", QStringLiteral("*ESR? "), 20, QStringLiteral("Read ESR "))));
}

QString read_errlst(int board, int address)
{
    return vbib32::text_of(
        ask_fixed(board, address, "ERRLST", QStringLiteral("ERRLST "), 40, QStringLiteral("Read ERRLST")));
}

bool wait_opc(int timeout, int address, int board)
{
    // The service-request wait yields: nothing else may reach the meter until its answer is read.
    const vbib32::Exchange exchange;
    vbib32::ibtmo(board, timeout);
    int srq = 0;
    vbib32::wait_srq(board, srq);
    gpib_error(QStringLiteral("Waiting for OPC SRQ"));
    if (srq == 0)
        return false;
    const int status = read_status_byte(address);
    Prompts& prompts = *platform().prompts;
    if ((status & 32) == 0) {
        prompts.message_box(QStringLiteral("Did not get ESB bit!"), Prompts::Buttons::Ok,
                            Prompts::Icon::Exclamation, QStringLiteral("Pelmora"));
        return false;
    }
    const int esr = read_esr(board, address);
    if (esr & 48) {
        const QString list = read_errlst(board, address);
        prompts.message_box(QStringLiteral("Command or Execution error. \r\n\r\n") + list, Prompts::Buttons::Ok,
                            Prompts::Icon::Critical, QStringLiteral("Pelmora"));
        return false;
    }
    return (esr & 1) != 0;
}

bool configure_with_opc(const QString& command, int timeout, int board, int address)
{
    const vbib32::Exchange exchange;
    Clock& clk = *platform().clock;
    vbib32::Send(board, address, "*CLS;*ESE 0;*SRE 0", vbib32::NLend);
    if (gpib_error(QStringLiteral("Start configure clear events")) >= 1)
        throw AppError(AppError::meter);
    clk.sleep_ms(100);
    vbib32::Send(board, address, QStringLiteral("*CLS;*ESE 49;*SRE 48;") + command + QStringLiteral(";*OPC"),
                 vbib32::NLend);
    if (gpib_error(QStringLiteral("Configure ")) >= 1)
        throw AppError(AppError::meter);
    const bool ok = wait_opc(timeout, address, board);
    // The closing clear goes out on failure too, so no service request stays armed.
    vbib32::Send(board, address, "*CLS;*ESE 0;*SRE 0", vbib32::NLend);
    gpib_error(QStringLiteral("End of configure clear events"));
    clk.sleep_ms(100);
    if (ok)
        return true;
    platform().prompts->message_box(QStringLiteral("Could not setup device"), Prompts::Buttons::Ok,
                                    Prompts::Icon::Critical, QStringLiteral("Pelmora"));
    return false;
}

}  // namespace gpibgen
