// The tool as a user sees it. Each case of transcripts.txt is a command line
// ("$", split like a batch line), the text on standard input ("<" lines), and
// what the tool must print on standard output ("|") and standard error ("!")
// and its exit status ("?"), character for character; only the time the
// analysis took and this machine's memory (in the help) are blanked. "#" lines say what a case
// shows. The expected texts were read against the windows' tables, the dialogs' messages and a
// player's eye when they were written; NORVADEX_TRANSCRIPTS=update rewrites the file from the
// tool's answers, to be read again with git diff.
#include "cli/options.h"
#include "run_program.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace nvx::cli {
namespace {

struct Case {
    std::vector<std::string> comments;
    std::string command;
    std::vector<std::string> input, out, err;
    int status = 0;
};

std::vector<Case> ReadTranscripts(const char* path) {
    std::vector<Case> cases;
    std::ifstream file(path);
    std::vector<std::string> comments;
    for (std::string line; std::getline(file, line);) {
        const std::string text = line.size() > 2 ? line.substr(2) : "";
        if (cases.empty() && !line.empty() && line[0] != '#' && line[0] != '$') {
            ADD_FAILURE() << "before the first command: " << line;
            continue;
        }
        switch (line.empty() ? ' ' : line[0]) {
        case '#':
            comments.push_back(line);
            break;
        case '$':
            cases.push_back({std::move(comments), text, {}, {}, {}, 0});
            comments.clear();
            break;
        case '<':
            cases.back().input.push_back(text);
            break;
        case '|':
            cases.back().out.push_back(text);
            break;
        case '!':
            cases.back().err.push_back(text);
            break;
        case '?':
            cases.back().status = std::stoi(text);
            break;
        default:
            EXPECT_TRUE(line.empty()) << "not understood: " << line;
        }
    }
    return cases;
}

std::vector<std::string> Lines(const std::string& printed) {
    static const std::regex seconds("(\"seconds\": ?|lines?; |memory, )[-+.e0-9]+");
    std::vector<std::string> lines;
    std::istringstream s(std::regex_replace(printed, seconds, "$1_"));
    for (std::string line; std::getline(s, line);)
        lines.push_back(line);
    return lines;
}

// Runs the tool in this process on the case's command line and input.
Case RunCase(const Case& c) {
    Case r{c.comments, c.command, c.input, {}, {}, -1};
    std::string error;
    const std::optional<std::vector<std::string>> args = SplitWords(c.command, error);
    EXPECT_TRUE(args) << c.command << ": " << error;
    std::string input;
    for (const std::string& line : c.input)
        input += line + "\n";
    const test::ProgramRun p = test::RunInProcess(args.value_or(std::vector<std::string>{}), input);
    r.status = p.status;
    r.out = Lines(p.out);
    r.err = Lines(p.err);
    return r;
}

void Write(std::ostream& o, const Case& c) {
    for (const std::string& line : c.comments)
        o << line << "\n";
    o << "$ " << c.command << "\n";
    for (const char* mark : {"<", "|", "!"})
        for (const std::string& line : *mark == '<' ? c.input : *mark == '|' ? c.out : c.err)
            o << mark << (line.empty() ? "" : " " + line) << "\n";
    o << "? " << c.status << "\n\n";
}

TEST(Transcripts, TheToolAnswersAsWritten) {
    const std::vector<Case> cases = ReadTranscripts(NORVADEX_TRANSCRIPTS_FILE);
    ASSERT_GE(cases.size(), 30u) << "no transcripts at " << NORVADEX_TRANSCRIPTS_FILE;
    const char* mode = std::getenv("NORVADEX_TRANSCRIPTS");
    const bool update = mode && std::string(mode) == "update";
    std::ostringstream rewritten;
    for (const Case& c : cases) {
        const Case r = RunCase(c);
        if (update) Write(rewritten, r);
        EXPECT_EQ(r.status, c.status) << "$ " << c.command;
        EXPECT_EQ(r.err, c.err) << "$ " << c.command;
        EXPECT_EQ(r.out, c.out) << "$ " << c.command;
        // A diagnostic is always one line, never split by the dialogs' line breaks.
        for (const std::string& line : r.err)
            EXPECT_EQ(line.find('\r'), std::string::npos) << "$ " << c.command;
    }
    if (update) std::ofstream(NORVADEX_TRANSCRIPTS_FILE) << rewritten.str();
}

} // namespace
} // namespace nvx::cli
