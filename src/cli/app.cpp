#include "cli/app.h"

#include "cli/cli_host.h"
#include "cli/options.h"
#include "cli/run.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

namespace nvx::cli {

namespace {

using Json = nlohmann::ordered_json;

// Writes the text and flushes it; the reason, when that failed.
std::optional<std::string> Print(std::FILE* f, const std::string& text) {
    std::lock_guard lock(OutputMutex());
    errno = 0;
    const bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    if (std::fflush(f) == 0 && ok) return std::nullopt;
    const int e = errno;
    std::clearerr(f);
    return e != 0 ? std::string(std::strerror(e)) : std::string("write error");
}

// A message on one line that a terminal shows as it is: line breaks become
// blanks, other control characters '?'.
std::string PrintableLine(std::string_view message) {
    std::string line = OneLineMessage(message);
    for (char& c : line)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '?';
    return line;
}

void PrintError(std::FILE* err, std::string_view message) {
    (void)Print(err, std::string(ProgramName) + ": " + PrintableLine(message) + "\n");
}

// Prints the results; on failure says why on err and gives the exit status.
std::optional<int> PrintResults(AppStreams s, const std::string& text) {
    if (const std::optional<std::string> failure = Print(s.out, text)) {
        PrintError(s.err, "cannot write the results: " + *failure);
        return ExitInternalError;
    }
    return std::nullopt;
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
    case RunStatus::OutOfMemory:
        return ExitOutOfMemory;
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
    MemoryWatch memory(o.MaxMemoryMB);
    CliHost host(&progress, &memory);
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
    const std::string text = o.Json ? ResultJsonText(r) + "\n" : ResultText(r, o.Table);
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
    return PrintResults(s, text).value_or(ExitOk);
}

// Reads a batch one line at a time, from a C stream (a file, standard input)
// or a C++ stream.
class LineReader {
  public:
    explicit LineReader(std::istream& in) : stream_(in.rdbuf()) {}
    explicit LineReader(std::FILE* file) : file_(file) {}

    // The next line without its line end ("\n" or "\r\n"); false at the end
    // of the input or on a read error. Of a line longer than MaxBatchLineLength
    // the start is kept and tooLong is set.
    bool Next(std::string& line, bool& tooLong) {
        line.clear();
        tooLong = false;
        bool any = false;
        for (;;) {
            const int c = Get();
            if (c == EOF) break;
            any = true;
            if (c == '\n') break;
            if (line.size() < MaxBatchLineLength + 1)
                line += static_cast<char>(c);
            else
                tooLong = true;
        }
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.size() > MaxBatchLineLength) {
            line.resize(MaxBatchLineLength);
            tooLong = true;
        }
        return any;
    }
    // Why reading stopped early; empty at a normal end.
    const std::string& error() const { return error_; }

  private:
    int Get() {
        if (file_) {
            const int c = std::getc(file_);
            if (c == EOF && std::ferror(file_) && error_.empty())
                error_ = errno != 0 ? std::strerror(errno) : "read error";
            return c;
        }
        if (!stream_) return EOF;
        try {
            const auto c = stream_->sbumpc();
            return std::char_traits<char>::eq_int_type(c, std::char_traits<char>::eof())
                       ? EOF
                       : static_cast<unsigned char>(std::char_traits<char>::to_char_type(c));
        } catch (const std::exception& e) {
            if (error_.empty()) error_ = e.what();
            stream_ = nullptr;
            return EOF;
        }
    }

    std::streambuf* stream_ = nullptr;
    std::FILE* file_ = nullptr;
    std::string error_;
};

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

BatchItem ReadItem(std::string line, bool tooLong) {
    BatchItem item;
    item.Input = std::move(line);
    if (tooLong) {
        item.Error =
            "line too long (more than " + std::to_string(MaxBatchLineLength) + " characters)";
        return item;
    }
    ParseOutcome parsed = ParseBatchLine(item.Input);
    if (parsed.Exit)
        item.Error = parsed.Error.empty() ? "not a combination" : parsed.Error;
    else
        item.Request = CheckComboArgs(parsed.Options.Combo, item.Error);
    return item;
}

// The object a batch prints for an item (nothing for a cancelled one).
std::optional<Json> ItemJson(const BatchItem& item) {
    Json j;
    j["input"] = item.Input;
    if (!item.Request) {
        j["error"] = item.Error;
    } else if (item.Result.Status == RunStatus::Cancelled) {
        return std::nullopt;
    } else if (item.Result.Status != RunStatus::Ok) {
        j["error"] = item.Result.Error;
    } else {
        j.update(ResultJson(item.Result));
    }
    return j;
}

// A batch runs as it is read: the reading thread queues the lines, workers
// analyse them, and a printer writes the objects in input order as soon as
// each is ready, so a long or endless input gets its answers line by line.
// At most a window of lines is held ahead of the printer.
class BatchRun {
  public:
    BatchRun(unsigned jobs, std::uint64_t maxMemoryMB, AppStreams s)
        : jobs_(std::max(1u, jobs)), streams_(s), progress_(s.err, s.progress),
          memory_(maxMemoryMB) {}

    int Run(LineReader& reader, const std::string& source) {
        printer_ = std::thread([this] { PrintLoop(); });
        try {
            ReadLoop(reader);
        } catch (...) {
            Finish(true);
            throw;
        }
        Finish(false);
        progress_.Clear();

        if (!writeError_.empty()) {
            PrintError(streams_.err, "cannot write the results: " + writeError_);
            return ExitInternalError;
        }
        if (cancelled_ || InterruptFlag().load()) {
            PrintError(streams_.err, NoResultsText);
            return ExitCancelled;
        }
        if (!reader.error().empty()) {
            PrintError(streams_.err, "--batch: cannot read " + source + ": " + reader.error());
            return ExitBadInput;
        }
        return anyInternal_ ? ExitInternalError
               : anyMemory_ ? ExitOutOfMemory
               : anyBad_    ? ExitBadInput
                            : ExitOk;
    }

  private:
    static constexpr std::size_t Window = 256;

    void ReadLoop(LineReader& reader) {
        std::string line;
        bool tooLong = false;
        while (!stop_.load() && !InterruptFlag().load() && reader.Next(line, tooLong)) {
            if (!tooLong && Blank(line)) continue; // no combination, no object
            BatchItem item = ReadItem(std::move(line), tooLong);
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [&] { return items_.size() < Window || stop_.load(); });
            if (stop_.load()) break;
            items_.push_back(std::move(item));
            ++read_;
            // As many workers as lines in hand, up to the number of jobs.
            if (workers_.size() < jobs_ && workers_.size() < read_ - finished_)
                workers_.emplace_back([this] { WorkLoop(); });
            changed_.notify_all();
        }
    }

    // Ends the input and waits for the workers and the printer. After a
    // failure nothing more is analysed; lines no worker can take are given up.
    void Finish(bool failed) {
        {
            std::lock_guard lock(mutex_);
            inputEnded_ = true;
            if (failed) {
                stop_.store(true);
                if (workers_.empty()) {
                    for (BatchItem& item : items_) {
                        item.Result.Status = RunStatus::Cancelled;
                        item.Done = true;
                    }
                    started_ = finished_ = read_;
                }
            }
            changed_.notify_all();
        }
        for (std::thread& t : workers_)
            t.join();
        printer_.join();
    }

    void WorkLoop() {
        for (;;) {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [&] { return started_ < read_ || inputEnded_; });
            if (started_ == read_) return;
            BatchItem& item = items_[started_++ - printed_];
            lock.unlock();
            RunResult result;
            if (item.Request && !stop_.load() && !InterruptFlag().load()) {
                try {
                    CliHost host(&progress_, &memory_);
                    result = RunAnalysis(*item.Request, host);
                } catch (const std::exception& e) {
                    result.Status = RunStatus::InternalError;
                    result.Error = std::string("unexpected failure: ") + e.what();
                }
            } else if (item.Request) {
                result.Status = RunStatus::Cancelled;
            }
            lock.lock();
            item.Result = std::move(result);
            item.Done = true;
            ++finished_;
            progress_.SetLabel(std::to_string(finished_) + " of " + std::to_string(read_) +
                               " done");
            changed_.notify_all();
        }
    }

    void PrintLoop() {
        for (;;) {
            BatchItem item;
            {
                std::unique_lock lock(mutex_);
                changed_.wait(lock, [&] {
                    return (!items_.empty() && items_.front().Done) ||
                           (inputEnded_ && printed_ == read_);
                });
                if (items_.empty() || !items_.front().Done) return;
                item = std::move(items_.front());
                items_.pop_front();
                ++printed_;
                changed_.notify_all();
            }
            if (cancelled_ || !writeError_.empty()) continue;
            std::optional<Json> j;
            try {
                j = ItemJson(item);
                if (!j) {
                    cancelled_ = true;
                    continue;
                }
                if (!item.Request || item.Result.Status == RunStatus::BadInput)
                    anyBad_ = true;
                else if (item.Result.Status == RunStatus::InternalError)
                    anyInternal_ = true;
                else if (item.Result.Status == RunStatus::OutOfMemory)
                    anyMemory_ = true;
                progress_.Clear();
                if (const std::optional<std::string> failure =
                        Print(streams_.out, Dump(*j, -1) + "\n")) {
                    writeError_ = *failure;
                    stop_.store(true); // nothing more can be said: stop reading and analysing
                    std::lock_guard lock(mutex_);
                    changed_.notify_all();
                }
            } catch (const std::exception& e) {
                // The line still gets its object, with the reason instead of results.
                anyInternal_ = true;
                Json failed;
                failed["input"] = item.Input;
                failed["error"] = std::string("unexpected failure: ") + e.what();
                (void)Print(streams_.out, Dump(failed, -1) + "\n");
            }
        }
    }

    const unsigned jobs_;
    AppStreams streams_;
    ProgressLine progress_;
    // One limit for the whole program: the lines analysed at once share it.
    MemoryWatch memory_;
    std::thread printer_;
    std::vector<std::thread> workers_;

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<BatchItem> items_; // lines read and not yet printed, in input order
    std::size_t read_ = 0;        // lines queued so far
    std::size_t started_ = 0;     // lines a worker has taken
    std::size_t finished_ = 0;
    std::size_t printed_ = 0; // lines taken by the printer (items_ starts with this one)
    bool inputEnded_ = false;
    std::atomic<bool> stop_{false};

    // The printer's own state, read after it has been joined.
    bool cancelled_ = false;
    bool anyBad_ = false;
    bool anyInternal_ = false;
    bool anyMemory_ = false;
    std::string writeError_;
};

int RunBatch(const CliOptions& o, AppStreams s) {
    std::FILE* file = nullptr;
    std::string source = "standard input";
    if (*o.Batch != "-") {
        source = *o.Batch;
        errno = 0;
        file = std::fopen(o.Batch->c_str(), "rb");
        if (!file) {
            PrintError(s.err, "--batch: cannot read " + ShownText(*o.Batch) +
                                  (errno != 0 ? std::string(": ") + std::strerror(errno) : ""));
            return ExitBadInput;
        }
    }
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> closer(file, file ? &std::fclose : nullptr);
    LineReader reader = file       ? LineReader(file)
                        : s.inFile ? LineReader(s.inFile)
                                   : LineReader(s.in);
    BatchRun batch(o.Jobs, o.MaxMemoryMB, s);
    return batch.Run(reader, ShownText(source));
}

} // namespace

int RunCli(const std::vector<std::string>& args, AppStreams streams) {
    try {
        ParseOutcome parsed = ParseCommandLine(args);
        if (parsed.Exit) {
            if (!parsed.Error.empty()) PrintError(streams.err, parsed.Error);
            if (!parsed.Output.empty())
                if (std::optional<int> failed = PrintResults(streams, parsed.Output))
                    return *failed;
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
