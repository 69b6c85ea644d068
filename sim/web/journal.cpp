#include "journal.h"

#include "describe.h"

namespace ecfsim::web {

using nlohmann::json;
using namespace std::chrono_literals;

namespace {

// While exchanges keep coming, the worker looks for more at this interval
// and the line never pays for waking it; after a quiet second it sleeps
// until the line wakes it.
constexpr auto kBusyPoll = 20ms;
constexpr auto kQuietAfter = 1s;

template <class T>
void keepLast(std::deque<T>& d, std::size_t limit) {
    while (d.size() > limit) d.pop_front();
}

}  // namespace

Journal::Journal(JournalLimits limits) : limits_(limits), worker_([this] { work(); }) {}

Journal::~Journal() {
    close();
    worker_.join();
}

void Journal::record(Exchange&& exchange) {
    bool wake = false;
    {
        std::lock_guard<std::mutex> lock(inboxMutex_);
        if (closing_) return;
        if (inbox_.size() >= limits_.pending) {
            ++dropped_;
            return;
        }
        inbox_.push_back(std::move(exchange));
        std::swap(wake, workerIdle_);
    }
    if (wake) inboxReady_.notify_one();
}

void Journal::note(json control) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (closed_) return;
    add("control", std::move(control), {});
    advanced_.notify_all();
}

void Journal::work() {
    std::vector<Exchange> batch;
    auto lastBusy = std::chrono::steady_clock::now();
    for (;;) {
        uint64_t dropped = 0;
        {
            std::unique_lock<std::mutex> lock(inboxMutex_);
            if (inbox_.empty() && !closing_) {
                if (std::chrono::steady_clock::now() - lastBusy < kQuietAfter) {
                    inboxReady_.wait_for(lock, kBusyPoll);
                } else {
                    workerIdle_ = true;
                    inboxReady_.wait(lock, [this] { return !inbox_.empty() || closing_; });
                }
            }
            if (closing_) return;
            batch.swap(inbox_);
            dropped = dropped_;
        }
        if (batch.empty()) continue;
        lastBusy = std::chrono::steady_clock::now();

        std::vector<json> entries;
        entries.reserve(batch.size());
        for (const Exchange& e : batch) entries.push_back(describeExchange(e));
        std::lock_guard<std::mutex> lock(mutex_);
        if (dropped > droppedSeen_) {
            add("dropped", {{"dropped", dropped - droppedSeen_}}, {});
            droppedSeen_ = dropped;
        }
        for (std::size_t i = 0; i < batch.size(); ++i) {
            std::vector<PaperLine> lines;
            for (const Exchange::Line& l : batch[i].printed)
                lines.push_back({0, l.station == Paper::Station::cheque, batch[i].coo, l.text});
            add("exchange", std::move(entries[i]), lines);
        }
        advanced_.notify_all();
        batch.clear();
    }
}

// Under mutex_.
void Journal::add(const char* event, json entry, const std::vector<PaperLine>& lines) {
    const uint64_t seq = ++seq_;
    entry["seq"] = seq;
    for (const PaperLine& l : lines) paper_.push_back({seq, l.cheque, l.coo, l.text});
    keepLast(paper_, limits_.paperLines);
    std::string text = "id: " + std::to_string(seq) + "\nevent: " + event + "\ndata: " +
                       dump(entry) + "\n\n";
    stream_.push_back({seq, std::move(text)});
    keepLast(stream_, limits_.streamEvents);
    log_.push_back(std::move(entry));
    keepLast(log_, limits_.logEntries);
}

std::string Journal::paperText(const std::string& station) const {
    const bool cheque = station == "cheque";
    std::lock_guard<std::mutex> lock(mutex_);
    std::string text;
    for (const PaperLine& l : paper_) {
        if (l.cheque != cheque) continue;
        text += l.text;
        text += '\n';
    }
    return text;
}

json Journal::paperJson() const {
    std::lock_guard<std::mutex> lock(mutex_);
    json lines = json::array();
    for (const PaperLine& l : paper_)
        lines.push_back({{"seq", l.seq},
                         {"station", l.cheque ? "cheque" : "receipt"},
                         {"coo", l.coo},
                         {"text", l.text}});
    return {{"seq", seq_}, {"lines", std::move(lines)}};
}

json Journal::logJson() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return {{"seq", seq_}, {"dropped", droppedSeen_}, {"entries", json(log_)}};
}

uint64_t Journal::position() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return seq_;
}

Journal::Read Journal::eventsAfter(uint64_t& after, std::chrono::milliseconds wait,
                                   std::string& out) {
    std::unique_lock<std::mutex> lock(mutex_);
    advanced_.wait_for(lock, wait, [&] { return closed_ || seq_ > after; });
    if (closed_) return Read::closed;
    if (seq_ <= after) return Read::events;  // none yet
    if (stream_.empty() || stream_.front().seq > after + 1) return Read::behind;
    for (auto it = stream_.begin() + static_cast<std::ptrdiff_t>(after + 1 - stream_.front().seq);
         it != stream_.end(); ++it)
        out += it->text;
    after = seq_;
    return Read::events;
}

void Journal::close() {
    {
        std::lock_guard<std::mutex> lock(inboxMutex_);
        closing_ = true;
    }
    inboxReady_.notify_all();
    std::lock_guard<std::mutex> lock(mutex_);
    closed_ = true;
    advanced_.notify_all();
}

}  // namespace ecfsim::web
