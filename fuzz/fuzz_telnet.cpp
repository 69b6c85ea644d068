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
#include <vector>

#include "link/port_url.h"
#include "link/telnet.h"

namespace {

namespace telnet = ecf::link::telnet;
using Bytes = std::vector<uint8_t>;

void check(bool rule) {
    if (!rule) std::abort();
}

struct Outcome {
    Bytes data, answers;
    bool serving;
    bool refused;
    std::optional<uint8_t> modem;
};

Outcome readAll(const Bytes& in, const std::vector<std::size_t>& cuts) {
    telnet::Client client;
    Bytes start;
    client.start(start);
    Outcome o;
    std::size_t from = 0;
    for (std::size_t cut : cuts) {
        const std::size_t to = cut < in.size() ? (cut > from ? cut : from) : in.size();
        Bytes data(to - from);
        const std::size_t n = client.read(in.data() + from, to - from, data.data());
        check(n <= to - from);
        o.data.insert(o.data.end(), data.begin(), data.begin() + static_cast<std::ptrdiff_t>(n));
        from = to;
    }
    client.takeAnswers(o.answers);
    o.serving = client.serving();
    o.refused = client.comPortRefused();
    o.modem = client.modemState();
    return o;
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
    const Outcome pieces = readAll(stream, cuts);
    check(whole.data == pieces.data && whole.answers == pieces.answers && whole.serving == pieces.serving &&
          whole.refused == pieces.refused && whole.modem == pieces.modem);
    check(whole.answers.size() <= telnet::Client::kAnswersKept && whole.answers.size() % 3 == 0);
    for (std::size_t i = 0; i < whole.answers.size(); i += 3)
        check(whole.answers[i] == telnet::kIac && whole.answers[i + 1] >= telnet::kWill);

    const std::string name(stream.begin(), stream.end());
    if (const auto url = ecf::link::parsePortUrl(name)) check(url->port != 0 && !url->host.empty());
    return 0;
}
