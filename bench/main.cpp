// Times the whole analysis (set-up to the named optimal lines) of a fixed list
// of suit combinations, from easy ones to the hardest the combination dialog
// admits. Each combination runs in a child process of its own, so that its peak
// memory (ru_maxrss of the child) and its growth over the child's resident size
// before the analysis are its own.
//
//   norvadex_bench [--filter TEXT] [--timeout SECONDS] [--list] [--interrupt SECONDS]
//                  [--threads N]
//
// --filter runs the combinations whose description contains TEXT. --threads sets the worker
// threads of the searches of the first cards (1: one search after the other; default: as
// many as the machine has cores). "cpu s" is the processor time of all the threads, which
// the wall time "seconds" exceeds when other programs share the cores. "max gap" is the longest
// time the analysis went without letting the host handle its events: the desktop program cannot
// see a click on Interrupt sooner. A combination that uses more than --timeout seconds of
// processor time (default 60; other work on the machine does not shorten it) is stopped and left
// out of the signature.
//
// "hash" is a hash of everything the analysis shows: the lines in order with their names, tricks
// per division, goal weights, worst opponents and payoffs and flags, the best weights and the trick
// range. "signature" hashes those of the combinations run, in order: a change in the results of the
// engine changes it, whatever its speed. Which combinations finish depends on the engine's speed,
// so "reference signature" hashes only those that the engine of commit 39d92fa finished within
// 60 s (the ones not marked Over below); without --filter it is comparable between engines.
// "speed-up" is the seconds of the engine of commit 39d92fa (on the developers' 2-core machine)
// over today's.
//
// --interrupt S times how long an analysis takes to stop when it is
// interrupted S seconds after it began, in two ways: as Ctrl-C stops the
// command-line tool (the stop request is set from another thread) and as the
// Interrupt button stops the desktop program (the request is set while the
// host handles its events).

#include "cards/host.h"
#include "results/analysis.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

struct BenchCombo {
    const char* north;
    const char* south;
    const char* discards = "";
    int entries = -1; // -1: no limit
    int vacantWest = 13;
    int vacantEast = 13;
    const char* imps = nullptr; // contract text, with 2 tricks needed
    // Seconds of the engine of commit 39d92fa, one run of this program on the
    // developers' 2-core machine; Over: more than 60.
    double before = 0;
    const char* note = "";
};

constexpr double Over = -1;

// From easy to hard. Divisions are the product of (class size + 1) over the
// defenders' classes; 162 (classes of 1, 2, 2, 2, 2 cards) is the most there are.
const std::vector<BenchCombo> Combos = {
    {"AKQ", "32", "", -1, 13, 13, nullptr, 0.000, "certain tricks"},
    {"AQ", "32", "", -1, 13, 13, nullptr, 0.000, "one finesse"},
    {"AQT", "432", "", -1, 13, 13, nullptr, 0.001, "double finesse"},
    {"AKJT9", "8765", "", -1, 13, 13, nullptr, 0.000, "nine cards, queen missing"},
    {"AQT98", "J6543", "", -1, 13, 13, nullptr, 0.000, "ten cards"},
    {"AQ9", "J32", "", -1, 13, 13, nullptr, 0.002, ""},
    {"K7", "T4", "", -1, 13, 13, nullptr, 0.000, "162 divisions, short hands"},
    {"KT74", "", "", -1, 13, 13, nullptr, 0.088, "162 divisions, four tricks"},
    {"AQJ98", "7654", "", -1, 13, 13, nullptr, 0.003, "long suit"},
    {"AQ8642", "J75", "", -1, 13, 13, nullptr, 0.094, "long suit"},
    {"AJ9753", "Q2", "", -1, 13, 13, nullptr, 0.450, "long suit, separated cards"},
    {"AQJT9", "32", "", 1, 13, 13, nullptr, 0.001, "one entry"},
    {"AKJ9", "8765", "", -1, 6, 8, nullptr, 0.005, "vacant places"},
    {"AQ98", "J32", "", -1, 13, 13, "3NT", 0.028, "IMPs"},
    {"AKT9", "8732", "2", -1, 13, 13, nullptr, 0.004, "a discard"},
    {"AJ86", "Q952", "", -1, 13, 13, nullptr, 0.364, "eight cards, many classes"},
    {"AT74", "K962", "", -1, 13, 13, nullptr, 0.327, "six lines"},
    {"AT74", "K96", "", -1, 13, 13, nullptr, 0.552, "four defenders' classes"},
    {"AT74", "K96", "", 1, 13, 13, nullptr, 0.241, "four classes, one entry"},
    {"A975", "QT64", "", -1, 13, 13, nullptr, 0.342, "alternating cards"},
    {"A975", "QT64", "", 2, 4, 9, nullptr, 0.326, "alternating, entries, vacant"},
    {"KT74", "J52", "", -1, 13, 13, nullptr, 1.266, "separated classes"},
    {"A962", "QT84", "", -1, 13, 13, nullptr, 0.879, "separated classes"},
    {"QT62", "J84", "", -1, 13, 13, nullptr, 0.816, "five defenders' classes"},
    {"AJ85", "Q963", "", -1, 13, 13, nullptr, 0.673, "five defenders' classes"},
    {"AT6", "Q842", "", -1, 13, 13, nullptr, 2.197, "six single defenders' cards"},
    {"AT8", "Q642", "", -1, 13, 13, nullptr, 1.595, "six single defenders' cards"},
    // Seven alternating cards in two four-card-long hands: minutes to hours.
    {"KT62", "J84", "", -1, 13, 13, nullptr, 15.611, "six single defenders' cards, four tricks"},
    {"AT62", "Q84", "", -1, 13, 13, nullptr, 31.532, "six single defenders' cards, four tricks"},
    {"AT84", "Q62", "", -1, 13, 13, nullptr, 51.731, "six single defenders' cards, four tricks"},
    {"KT75", "93", "", 4, 13, 6, nullptr, 16.578, "four entries, vacant places"},
    // The hardest combinations players type.
    {"K953", "J7", "", -1, 13, 13, nullptr, Over, "hard"},
    {"J7", "K953", "", -1, 13, 13, nullptr, Over, "hard"},
    {"K975", "J3", "", -1, 13, 13, nullptr, Over, "hard"},
    {"KJ97", "53", "", -1, 13, 13, nullptr, Over, "hard"},
    {"KJ97", "53", "", 2, 13, 13, nullptr, Over, "hard, two entries"},
    {"KJ96", "53", "", -1, 13, 13, nullptr, Over, "hard, 1.7 million strategies at the root"},
    {"AT82", "Q64", "", -1, 13, 13, nullptr, 39.101, "hard"},
    {"AT64", "Q82", "", -1, 13, 13, nullptr, 37.989, "hard"},
    {"KT84", "J62", "", -1, 13, 13, nullptr, 19.045, "hard"},
    // Six cards, but 11,000 terms in the products of line sets at the first trick.
    {"QT863", "4", "", -1, 13, 13, nullptr, Over, "first trick's set operations"},
    // West void: one division has weight, and 580,000 lines tie on it.
    {"A", "QT864", "", 1, 0, 9, nullptr, Over, "a defender void"},
};

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

class BenchHost : public nvx::Host {
  public:
    void ShowMessage(nvx::MessageKind, const std::string&) override {}
    void ReportInternalError(std::uint16_t, std::string_view, const std::string&) override {
        ++errors;
    }
    void ProcessPendingEvents() override {
        const Clock::time_point now = Clock::now();
        maxGap = std::max(maxGap, now - lastEvents);
        lastEvents = now;
        if (clickAt && !stop && now >= *clickAt) {
            stoppedAt = now;
            stop = true;
        }
    }
    bool StopRequested() override { return stop; }

    int errors = 0;
    Clock::time_point lastEvents = Clock::now();
    Clock::duration maxGap{};
    std::optional<Clock::time_point> clickAt; // the Interrupt button, seen at event time
    std::atomic<bool> stop{false};
    Clock::time_point stoppedAt;
};

std::string Describe(const BenchCombo& c) {
    std::string d = std::string(c.north) + " / " + c.south;
    if (*c.discards) d += " disc " + std::string(c.discards);
    if (c.entries >= 0) d += " ent " + std::to_string(c.entries);
    if (c.vacantWest < 13 || c.vacantEast < 13)
        d += " vac " + std::to_string(c.vacantWest) + "," + std::to_string(c.vacantEast);
    if (c.imps) d += " imps " + std::string(c.imps);
    return d;
}

// 64-bit FNV-1a of integers, each as 8 bytes, least significant first.
struct Fnv {
    std::uint64_t h = 14695981039346656037ull;
    void Int(std::int64_t v) {
        for (int i = 0; i < 8; ++i) {
            h ^= static_cast<std::uint64_t>(v) >> (8 * i) & 0xff;
            h *= 1099511628211ull;
        }
    }
    void Text(const std::string& t) {
        Int(static_cast<std::int64_t>(t.size()));
        for (char c : t)
            Int(c);
    }
};

// Everything the results show: the divisions, then the lines in order, each
// with its name, tricks per division, goal weights, worst opponent (its
// position, 0 for none), worst payoff and flags, then the best weights and the
// range of tricks.
std::uint64_t ResultHash(const nvx::Analysis& a) {
    const nvx::ProbLines& r = a.GetLines();
    const auto& list = r.ProbList();
    Fnv f;
    f.Int(a.GetEngine().NumDivs());
    f.Int(r.ProbDenominator());
    f.Int(r.LineCount());
    for (const auto& s : list) {
        f.Text(s->Name);
        f.Int(static_cast<std::int64_t>(s->Val.size()));
        for (std::uint8_t t : s->Val)
            f.Int(t);
        for (std::int32_t w : s->GoalWeight)
            f.Int(w);
        std::int64_t opp = 0;
        for (std::size_t i = 0; i < list.size(); ++i)
            if (list[i].get() == s->WorstOpp) opp = static_cast<std::int64_t>(i) + 1;
        f.Int(opp);
        f.Int(s->Worst);
        f.Int(s->Dominated);
        f.Int(s->Chosen);
    }
    for (std::int32_t w : r.Best())
        f.Int(w);
    f.Int(r.GetMinK());
    f.Int(r.GetMaxK());
    return f.h;
}

struct Figures {
    unsigned divisions = 0;
    unsigned lines = 0;
    std::uint64_t hash = 0;
    double seconds = 0;
    double maxGap = 0;
    long rssBeforeKb = 0;
    int errors = 0;
    // With --interrupt: seconds from the stop request to the return, with the
    // request set from another thread and at event time; -1 when the analysis
    // ended before the request.
    double stopAsync = -1;
    double stopAtEvents = -1;
};

enum class Interrupt { None, Async, AtEvents };

long MaxRssKb() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

Figures Analyse(const BenchCombo& c, unsigned threads, Interrupt interrupt = Interrupt::None,
                double after = 0) {
    Figures f;
    f.rssBeforeKb = MaxRssKb();
    BenchHost host;
    const auto start = Clock::now();
    host.lastEvents = start;
    const auto when =
        start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(after));
    std::thread ctrlC;
    if (interrupt == Interrupt::AtEvents) host.clickAt = when;
    if (interrupt == Interrupt::Async)
        ctrlC = std::thread([&host, when] {
            std::this_thread::sleep_until(when);
            host.stoppedAt = Clock::now();
            host.stop = true;
        });
    nvx::Analysis a(host);
    a.GetDynamicEvaluation().SetSearchThreads(threads);
    const std::string north = c.north, discards = c.discards;
    const auto playing =
        nvx::HoldingMinus(nvx::NormalizeHolding(north), nvx::NormalizeHolding(discards));
    const int entries = c.entries >= 0 ? c.entries : static_cast<int>(playing.size());
    a.SetUpCombination(c.north, c.south, static_cast<std::uint8_t>(entries), c.discards,
                       static_cast<std::uint8_t>(13 - c.vacantWest),
                       static_cast<std::uint8_t>(13 - c.vacantEast));
    if (c.imps) {
        nvx::ContractGoal goal; // 3NT, two tricks needed
        a.SetIMPTable(goal);
    } else {
        a.SetTrickTable();
    }
    a.ComputeOptimalLines();
    const Clock::time_point end = Clock::now();
    if (ctrlC.joinable()) ctrlC.join();
    f.seconds = Seconds(end - start);
    f.maxGap = Seconds(std::max(host.maxGap, end - host.lastEvents));
    const double stopped = host.stop && host.stoppedAt <= end ? Seconds(end - host.stoppedAt) : -1;
    (interrupt == Interrupt::Async ? f.stopAsync : f.stopAtEvents) = stopped;
    f.divisions = a.GetEngine().NumDivs();
    // An interrupted analysis may hold the many lines it had when it stopped;
    // they are not results, and hashing them would take longer than the run.
    if (interrupt == Interrupt::None) {
        f.lines = a.LineCount();
        f.hash = ResultHash(a);
    }
    f.errors = host.errors;
    return f;
}

struct Options {
    bool list = false;
    std::string filter;
    unsigned timeout = 60;
    double interruptAfter = -1; // no interrupt
    unsigned threads = 0;
};

std::optional<Options> ParseOptions(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--list") {
            o.list = true;
        } else if (a == "--filter" && i + 1 < argc) {
            o.filter = argv[++i];
        } else if (a == "--timeout" && i + 1 < argc) {
            o.timeout = static_cast<unsigned>(std::strtoul(argv[++i], nullptr, 10));
        } else if (a == "--interrupt" && i + 1 < argc) {
            o.interruptAfter = std::strtod(argv[++i], nullptr);
        } else if (a == "--threads" && i + 1 < argc) {
            o.threads = static_cast<unsigned>(std::strtoul(argv[++i], nullptr, 10));
        } else {
            std::fprintf(stderr, "usage: norvadex_bench [--filter TEXT] [--timeout SECONDS] "
                                 "[--list] [--interrupt SECONDS] [--threads N]\n");
            return std::nullopt;
        }
    }
    return o;
}

} // namespace

int main(int argc, char** argv) {
    const std::optional<Options> o = ParseOptions(argc, argv);
    if (!o) return 2;
    if (o->interruptAfter < 0 && !o->list)
        std::printf("%-3s %-34s %5s %5s %10s %8s %8s %9s %9s %8s %8s  %s\n", "#", "combination",
                    "divs", "lines", "seconds", "cpu s", "max gap", "peak MB", "growth MB",
                    "speed-up", "hash", "note");
    int failures = 0, timeouts = 0, hashed = 0, referenceHashed = 0, referenceMissing = 0;
    Fnv signature, reference;
    for (std::size_t i = 0; i < Combos.size(); ++i) {
        const BenchCombo& c = Combos[i];
        const std::string d = Describe(c);
        if (!o->filter.empty() && d.find(o->filter) == std::string::npos) continue;
        if (o->list) {
            std::printf("%-3zu %-34s %s\n", i + 1, d.c_str(), c.note);
            continue;
        }
        std::fflush(stdout);
        int fds[2];
        if (pipe(fds) != 0) return 1;
        const pid_t pid = fork();
        if (pid < 0) return 1;
        if (pid == 0) {
            close(fds[0]);
            const rlimit cpu{o->timeout, o->timeout + 1};
            setrlimit(RLIMIT_CPU, &cpu);
            alarm(10 * o->timeout); // a hang that uses no processor time
            Figures f;
            if (o->interruptAfter >= 0) {
                f = Analyse(c, o->threads, Interrupt::Async, o->interruptAfter);
                f.stopAtEvents =
                    Analyse(c, o->threads, Interrupt::AtEvents, o->interruptAfter).stopAtEvents;
            } else {
                f = Analyse(c, o->threads);
            }
            if (write(fds[1], &f, sizeof f) != static_cast<ssize_t>(sizeof f)) _exit(3);
            _exit(0);
        }
        close(fds[1]);
        Figures f;
        const bool got = read(fds[0], &f, sizeof f) == static_cast<ssize_t>(sizeof f);
        close(fds[0]);
        int status = 0;
        rusage usage{};
        wait4(pid, &status, 0, &usage);
        const double cpu =
            static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
            static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
        // The kernel's processor-time limit lets a child run a little past it now and then
        // (a child of 31 to 35 s finished under a limit of 30), so the limit is applied here
        // too: which combinations the signature covers must not depend on that slack.
        const bool overTime = cpu > o->timeout;
        if (!got || !WIFEXITED(status) || WEXITSTATUS(status) != 0 || overTime) {
            const bool timedOut =
                overTime || (WIFSIGNALED(status) &&
                             (WTERMSIG(status) == SIGXCPU || WTERMSIG(status) == SIGKILL ||
                              WTERMSIG(status) == SIGALRM));
            std::printf("%-3zu %-34s %s\n", i + 1, d.c_str(),
                        timedOut ? "timed out (not in the signature)" : "failed");
            ++(timedOut ? timeouts : failures);
            referenceMissing += c.before != Over;
            continue;
        }
        if (o->interruptAfter >= 0) {
            auto shown = [](double s) {
                return s < 0 ? std::string("finished first") : std::to_string(s) + " s";
            };
            std::printf("%-3zu %-34s  stopped after: Ctrl-C %s, Interrupt %s\n", i + 1, d.c_str(),
                        shown(f.stopAsync).c_str(), shown(f.stopAtEvents).c_str());
            continue;
        }
        const double peakMb = usage.ru_maxrss / 1024.0;
        const double growthMb = (usage.ru_maxrss - f.rssBeforeKb) / 1024.0;
        char speedUp[32] = "-";
        if (c.before == Over || c.before >= 0.01)
            std::snprintf(speedUp, sizeof speedUp, "%s%.1fx", c.before == Over ? ">" : "",
                          (c.before == Over ? 60 : c.before) / std::max(f.seconds, 1e-6));
        std::printf("%-3zu %-34s %5u %5u %10.3f %8.3f %8.3f %9.1f %9.1f %8s %08x  %s%s\n", i + 1,
                    d.c_str(), f.divisions, f.lines, f.seconds, cpu, f.maxGap, peakMb, growthMb,
                    speedUp, static_cast<unsigned>(f.hash >> 32), c.note,
                    f.errors ? " (internal errors reported)" : "");
        if (f.errors) ++failures;
        signature.Int(static_cast<std::int64_t>(f.hash));
        ++hashed;
        if (c.before != Over) {
            reference.Int(static_cast<std::int64_t>(f.hash));
            ++referenceHashed;
        }
    }
    if (o->interruptAfter < 0 && !o->list)
        std::printf(
            "max gap: longest seconds without handling events; peak MB: ru_maxrss of "
            "the child process that ran the combination; growth MB: peak minus the "
            "child's resident size before the analysis; speed-up: seconds of the "
            "engine of commit 39d92fa over these (- under 0.01 s); hash: the first 32 bits of the "
            "results' hash.\n");
    if (o->interruptAfter < 0 && !o->list) {
        std::printf("signature: %016llx (%d combinations%s)\n",
                    static_cast<unsigned long long>(signature.h), hashed,
                    timeouts ? (", " + std::to_string(timeouts) + " timed out and left out").c_str()
                             : "");
        if (referenceMissing)
            std::printf("reference signature: incomplete, %d of the combinations commit 39d92fa "
                        "finished did not finish\n",
                        referenceMissing);
        else
            std::printf("reference signature: %016llx (the %d combinations commit 39d92fa "
                        "finished within 60 s)\n",
                        static_cast<unsigned long long>(reference.h), referenceHashed);
    }
    return failures ? 1 : 0;
}
