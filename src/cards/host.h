// The services the engine needs from the program that hosts it: message boxes,
// processing pending window events during a long computation, the stop request
// and opening web pages. The desktop program implements this with Qt; the
// command-line tool and the tests implement it without a window.
#pragma once

#include "cards/internal_errors.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace nvx {

enum class MessageKind : std::uint8_t { Error, Warning, Information };

// How a computation ended: it finished, the user stopped it, or it ran out of
// memory (the host's memory limit stopped it, or an allocation failed).
enum class ComputeEnd : std::uint8_t { Finished, Interrupted, OutOfMemory };

class Host {
  public:
    virtual ~Host() = default;

    // A modal message box with a single OK button; returns when it is closed.
    virtual void ShowMessage(MessageKind kind, const std::string& text) = 0;

    // Called by InternalError with the code, the check's own description (never
    // shown to the user) and the full message. The default shows the message.
    virtual void ReportInternalError(std::uint16_t code, std::string_view text,
                                     const std::string& message);

    // Lets the host handle whatever events are waiting (timer ticks, repaint,
    // the interrupt button), then returns.
    virtual void ProcessPendingEvents() {}

    // True when the running computation is to stop: the user asked for it, or
    // the program's memory passed the host's limit.
    virtual bool StopRequested() { return false; }

    // True when the stop was requested because the program's memory passed the
    // host's limit, not by the user.
    virtual bool MemoryLimitReached() { return false; }

    // Asks the desktop to open an address in the browser; false on failure.
    virtual bool OpenAddress(const std::string& address) {
        (void)address;
        return false;
    }
};

// Product addresses.
inline constexpr const char* SupportEmail = "support@norvadex.org";

// The full text of the internal-error message for a code.
std::string InternalErrorMessage(std::uint16_t code);

// Reports a failed consistency check of the catalogue to the host, with its
// number and description. Never throws; the caller carries on.
void InternalError(Host& host, InternalErrorCode code);

// The fallback text shown when the browser could not be opened.
std::string BrowserFallbackMessage(const std::string& address);

// Opens a page; shows the fallback warning when the host cannot open it.
void OpenWebPage(Host& host, const std::string& address);

// A host that shows nothing and never stops: for quiet engine use.
class SilentHost : public Host {
  public:
    void ShowMessage(MessageKind, const std::string&) override {}
};

} // namespace nvx
