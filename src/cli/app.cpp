#include "cli/app.h"

#include "cli/cli_host.h"
#include "cli/options.h"
#include "cli/run.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <fstream>
#include <mutex>
#include <thread>

namespace nvx::cli {

namespace {

using Json = nlohmann::ordered_json;

void Print(std::FILE* f, const std::string& text) {
    std::lock_guard lock(OutputMutex());
    std::fwrite(text.data(), 1, text.size(), f);
    std::fflush(f);
}

void PrintError(std::FILE* err, const std::string& message) {
    Print(err, std::string(ProgramName) + ": " + message + "\n");
}

std::string Dump(const Json& j, int indent) {
    return j.dump(indent, ' ', false, nlohmann::json::error_handler_t::replace);
}

int StatusOf(RunStatus s) {
    switch (s) {
    case RunStatus::Ok:
        return ExitOk;
    case RunStatus::BadInput:
        return ExitBadInput;
    case RunStatus::InternalError:
        return ExitInternalError;
    case RunStatus::Cancelled:
        return ExitCancelled;
    }
    return ExitInternalError;
}

int RunSingle(const CliOptions& o, AppStreams s) {
    std::string error;
    std::optional<RunRequest> request = CheckComboArgs(o.Combo, error);
    if (!request) {
        PrintError(s.err, error);
        return ExitBadInput;
    }
    ProgressLine progress(s.err, s.progress);
    CliHost host(&progress);
    RunResult r = RunAnalysis(*request, host);
    progress.Clear();
    switch (r.Status) {
    case RunStatus::Ok:
        break;
    case RunStatus::Cancelled:
        PrintError(s.err, NoResultsText);
        return ExitCancelled;
    default:
        PrintError(s.err, r.Error);
        return StatusOf(r.Status);
    }
    const std::string text = o.Json ? Dump(ResultJson(r), 2) + "\n" : ResultText(r, o.Table);
    bool interrupted;
    {
        std::lock_guard lock(OutputMutex());
        interrupted = InterruptFlag().load();
        if (!interrupted) DisarmInterruptWatchdog();
    }
    if (interrupted) {
        PrintError(s.err, NoResultsText);
        return ExitCancelled;
    }
    Print(s.out, text);
    return ExitOk;
}

struct BatchItem {
    std::string Input;
    std::optional<RunRequest> Request;
    std::string Error; // a bad line
    RunResult Result;
    bool Done = false;
};

bool Blank(const std::string& line) {
    return std::all_of(line.begin(), line.end(),
                       [](char c) { return c == ' ' || c == '\t' || c == '\r'; });
}

int RunBatch(const CliOptions& o, AppStreams s) {
    std::ifstream file;
    std::istream* in = &s.in;
    if (*o.Batch != "-") {
        file.open(*o.Batch);
        if (!file) {
            PrintError(s.err, "--batch: cannot read " + *o.Batch);
            return ExitBadInput;
        }
        in = &file;
    }
    // Blank lines carry no combination and get no object.
    std::vector<BatchItem> items;
    std::string line;
    while (std::getline(*in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (Blank(line)) continue;
        BatchItem item;
        item.Input = line;
        ParseOutcome parsed = ParseBatchLine(line);
        if (parsed.Exit) {
            item.Error = parsed.Error.empty() ? "not a combination" : parsed.Error;
        } else {
            item.Request = CheckComboArgs(parsed.Options.Combo, item.Error);
        }
        items.push_back(std::move(item));
    }

    ProgressLine progress(s.err, s.progress);
    std::mutex mutex;
    std::condition_variable doneSignal;
    std::atomic<std::size_t> next{0};
    std::size_t finished = 0;
    auto worker = [&]() {
        for (;;) {
            const std::size_t i = next.fetch_add(1);
            if (i >= items.size()) return;
            BatchItem& item = items[i];
            RunResult result;
            if (item.Request && !InterruptFlag().load()) {
                try {
                    CliHost host(&progress);
                    result = RunAnalysis(*item.Request, host);
                } catch (const std::exception& e) {
                    result.Status = RunStatus::InternalError;
                    result.Error = std::string("unexpected failure: ") + e.what();
                }
            } else if (item.Request) {
                result.Status = RunStatus::Cancelled;
            }
            std::lock_guard lock(mutex);
            item.Result = std::move(result);
            item.Done = true;
            ++finished;
            progress.SetLabel(std::to_string(finished) + " of " + std::to_string(items.size()) +
                              " done");
            doneSignal.notify_all();
        }
    };
    const unsigned jobs = std::max(1u, std::min<unsigned>(o.Jobs, items.size()));
    std::vector<std::thread> threads;
    for (unsigned t = 0; t < jobs; ++t)
        threads.emplace_back(worker);

    bool anyBad = false, anyInternal = false, cancelled = false;
    for (BatchItem& item : items) {
        {
            std::unique_lock lock(mutex);
            doneSignal.wait(lock, [&] { return item.Done; });
        }
        if (cancelled) continue;
        Json j;
        j["input"] = item.Input;
        if (!item.Request) {
            j["error"] = item.Error;
            anyBad = true;
        } else if (item.Result.Status == RunStatus::Cancelled) {
            cancelled = true;
            continue;
        } else if (item.Result.Status != RunStatus::Ok) {
            j["error"] = item.Result.Error;
            (item.Result.Status == RunStatus::InternalError ? anyInternal : anyBad) = true;
        } else {
            j.update(ResultJson(item.Result));
        }
        progress.Clear();
        Print(s.out, Dump(j, -1) + "\n");
    }
    for (std::thread& t : threads)
        t.join();
    progress.Clear();
    if (cancelled || InterruptFlag().load()) {
        PrintError(s.err, NoResultsText);
        return ExitCancelled;
    }
    return anyInternal ? ExitInternalError : anyBad ? ExitBadInput : ExitOk;
}

} // namespace

int RunCli(const std::vector<std::string>& args, AppStreams streams) {
    try {
        ParseOutcome parsed = ParseCommandLine(args);
        if (parsed.Exit) {
            if (!parsed.Output.empty()) Print(streams.out, parsed.Output);
            if (!parsed.Error.empty()) PrintError(streams.err, parsed.Error);
            return *parsed.Exit;
        }
        if (parsed.Options.Batch) return RunBatch(parsed.Options, streams);
        return RunSingle(parsed.Options, streams);
    } catch (const std::exception& e) {
        PrintError(streams.err, std::string("unexpected failure: ") + e.what());
        return ExitInternalError;
    }
}

} // namespace nvx::cli
