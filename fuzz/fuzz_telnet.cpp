// The Telnet reader of network ports with anything a server may send: it
// never keeps more than it may, makes at most one byte of the line of every
// byte it reads, answers only with option verbs, and gives the same whether
// the bytes come at once or in pieces. The port URL parser with any name.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <algorithm>
#include <cstdlib>
#include <optional>
#include <tuple>
#include <vector>

#include "link/port_url.h"
#include "link/telnet.h"

namespace {

namespace telnet = ecf::link::telnet;
using Bytes = std::vector<uint8_t>;

void check(bool rule) {
    if (!rule) std::abort();
}

// What the client made of a stream: the line's bytes, its answers, whether
// the server serves the port or refused it, the modem state.
using Outcome = std::tuple<Bytes, Bytes, bool, bool, std::optional<uint8_t>>;

Outcome readAll(const Bytes& in, const std::vector<std::size_t>& cuts) {
    telnet::Client client;
    Bytes start, data, answers;
    client.start(start);
    std::size_t from = 0;
    for (std::size_t cut : cuts) {
        const std::size_t to = cut < in.size() ? (cut > from ? cut : from) : in.size();
        Bytes piece(to - from);
        const std::size_t n = client.read(in.data() + from, to - from, piece.data());
        check(n <= to - from);
        data.insert(data.end(), piece.begin(), piece.begin() + static_cast<std::ptrdiff_t>(n));
        from = to;
    }
    client.takeAnswers(answers);
    return {data, answers, client.serving(), client.comPortRefused(), client.modemState()};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    std::vector<std::size_t> cuts;
    for (int i = input.ConsumeIntegralInRange(0, 8); i > 0; --i)
        cuts.push_back(input.ConsumeIntegralInRange<std::size_t>(0, 4096));
    std::sort(cuts.begin(), cuts.end());
    const Bytes stream = input.ConsumeRemainingBytes<uint8_t>();
    cuts.push_back(stream.size());

    const Outcome whole = readAll(stream, {stream.size()});
    check(whole == readAll(stream, cuts));
    const Bytes& answers = std::get<1>(whole);
    check(answers.size() <= telnet::Client::kAnswersKept && answers.size() % 3 == 0);
    for (std::size_t i = 0; i < answers.size(); i += 3)
        check(answers[i] == telnet::kIac && answers[i + 1] >= telnet::kWill);

    const std::string name(stream.begin(), stream.end());
    if (const auto url = ecf::link::parsePortUrl(name)) check(url->port != 0 && !url->host.empty());
    return 0;
}
