#include "cards/host.h"

namespace nvx {

void Host::ReportInternalError(std::uint16_t, std::string_view, const std::string& message) {
    ShowMessage(MessageKind::Error, message);
}

std::string InternalErrorMessage(std::uint16_t code) {
    std::string m =
        "An internal error occured. The behaviour of Norvadex from this point on is not "
        "predictable anymore and it may be necessary to kill the application. Sorry for "
        "the inconvenience.\r\rPlease email as much details as possible to ";
    m += SupportEmail;
    m += " together with error code ";
    m += std::to_string(code);
    m += ". ";
    m += "Then I will try to reproduce the error and fix it.";
    return m;
}

void InternalError(Host& host, InternalErrorCode code) {
    const std::uint16_t number = InternalErrorNumber(code);
    try {
        host.ReportInternalError(number, InternalErrorText(code), InternalErrorMessage(number));
    } catch (...) {
        // A report must never stop the caller.
    }
}

std::string BrowserFallbackMessage(const std::string& address) {
    return "Your browser could not be opened automatically.\r\rPlease start your browser and "
           "open " +
           address + ".";
}

void OpenWebPage(Host& host, const std::string& address) {
    if (!host.OpenAddress(address))
        host.ShowMessage(MessageKind::Warning, BrowserFallbackMessage(address));
}

} // namespace nvx
