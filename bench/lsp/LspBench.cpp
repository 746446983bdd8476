// How long the language server takes from a change of a large program to its diagnostics:
// the client sends the whole text (full synchronisation), the server translates it and
// indexes its names, and answers with the diagnostics. Usage:
//
//     tirvane_lspbench PROGRAM.tvn [CHANGES]
//
// PROGRAM.tvn is Windows-1251 (bench/generate_program.py writes one). Each change edits
// one line in the middle, every other one so that the text no longer translates; the
// medians of both kinds are printed, in milliseconds of wall time, and the medians of the
// steps for the unchanged text. The index of names is made on the first request after a
// change, not for the diagnostics. On a busy machine wall time measures the machine; the
// processor time of the changes is the difference of `perf stat -e task-clock` between
// runs with different CHANGES.

#include "lsp/LanguageServer.h"
#include "output/Encoding.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

using nlohmann::json;

namespace {

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s PROGRAM.tvn [CHANGES]\n", argv[0]);
        return 64;
    }
    std::ifstream file(argv[1], std::ios::binary);
    const std::string cp1251((std::istreambuf_iterator<char>(file)), {});
    const std::string text = Cp1251ToUtf8(cp1251);
    const int changes = argc > 2 ? std::max(2, std::atoi(argv[2])) : 20;
    const auto lines = std::count(text.begin(), text.end(), '\n');

    CLanguageServer server;
    const auto send = [&](const json& message) {
        return server.Handle({IncomingMessage::Kind::Json, message, {}});
    };
    const std::string uri = "file:///bench.tvn";
    send({{"jsonrpc", "2.0"}, {"id", 1}, {"method", "initialize"}, {"params", json::object()}});
    send({{"jsonrpc", "2.0"},
          {"method", "textDocument/didOpen"},
          {"params", {{"textDocument", {{"uri", uri}, {"version", 1}, {"text", text}}}}}});

    // The edit: a blank added at the start of the middle line, or an unknown name there.
    const std::size_t middle = [&] {
        std::size_t at = 0;
        for (long i = 0; i < lines / 2; ++i)
            at = text.find('\n', at) + 1;
        return at;
    }();
    std::vector<double> translated;
    std::vector<double> failed;

    for (int i = 0; i < changes; ++i) {
        const bool broken = i % 2 == 1;
        std::string changed = text;
        changed.insert(middle, broken ? "funcdef { nosuchname >> return } >> bad " : " ");
        const json change = {{"jsonrpc", "2.0"},
                             {"method", "textDocument/didChange"},
                             {"params",
                              {{"textDocument", {{"uri", uri}, {"version", i + 2}}},
                               {"contentChanges", json::array({{{"text", changed}}})}}}};
        const auto start = std::chrono::steady_clock::now();
        const std::vector<json> replies = send(change);
        const double ms =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count();
        const bool reported = !replies.empty() && !replies[0]["params"]["diagnostics"].empty();
        if (reported != broken) {
            std::fprintf(stderr, "change %d: unexpected diagnostics\n", i);
            return 1;
        }
        (broken ? failed : translated).push_back(ms);
    }
    // Where the time goes, for the unchanged text.
    const auto time = [](auto&& step) {
        std::vector<double> runs;
        for (int i = 0; i < 5; ++i) {
            const auto start = std::chrono::steady_clock::now();
            step();
            runs.push_back(
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                    .count());
        }
        return Median(runs);
    };
    const CTextDocument document(text);
    std::printf("text conversion %.1f ms, translation %.1f ms, index %.1f ms\n",
                time([&] { CTextDocument copy(text); }),
                time([&] { TranslateText(document.Cp1251()); }),
                time([&] { CProgramIndex index(document.Cp1251()); }));
    std::printf("%ld lines, %d changes, diagnostics after a change (medians): %.1f ms when the "
                "text translates, %.1f ms with an error in the middle line\n",
                static_cast<long>(lines), changes, Median(translated), Median(failed));
    return 0;
}
