#include "journal.h"

#include <algorithm>
#include <utility>

#include "describe.h"
#include "priority.h"

namespace ecfsim::web {

using nlohmann::json;
using namespace std::chrono_literals;

namespace {

// While exchanges keep coming, the worker looks for more at this interval
// and the line never pays for waking it; after a quiet second it sleeps
// until the line wakes it.
constexpr auto kBusyPoll = 20ms;
constexpr auto kQuietAfter = 1s;

// A person reads a few exchanges a second; a program driving the printer
// flat out makes thousands. Beyond this many a second (a second's worth may
// come at once) the journal describes no more of them: it puts their paper on
// the roll and counts them, so that what the page costs stays bounded
// however fast the line runs.
constexpr double kDescribedPerSecond = 1000;

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
        inbox_.push_back({std::move(exchange), std::nullopt});
        std::swap(wake, workerIdle_);
    }
    if (wake) inboxReady_.notify_one();
}

void Journal::note(json control) {
    {
        std::lock_guard<std::mutex> lock(inboxMutex_);
        if (closing_) return;
        inbox_.push_back({Exchange{}, std::move(control)});
    }
    inboxReady_.notify_one();
}

void Journal::work() {
    giveWayToTheLine("page-journal");
    std::vector<Item> batch;
    std::vector<Entry> entries;
    auto lastBusy = std::chrono::steady_clock::now();
    uint64_t seq = 0;
    uint64_t droppedNoted = 0;
    double budget = kDescribedPerSecond;  // exchanges that may still be described
    auto refilled = lastBusy;
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
        if (batch.empty() && dropped == droppedNoted) continue;
        lastBusy = std::chrono::steady_clock::now();
        const std::chrono::duration<double> elapsed = lastBusy - refilled;
        budget = std::min(kDescribedPerSecond, budget + elapsed.count() * kDescribedPerSecond);
        refilled = lastBusy;

        // Described outside the readers' lock: only this thread numbers events.
        if (dropped != droppedNoted) {
            Item missed{Exchange{}, json{{"dropped", dropped - droppedNoted}}};
            entries.push_back(entryOf(missed, ++seq));
            droppedNoted = dropped;
        }
        std::optional<Entry> skipped;  // exchanges beyond the budget, in a row
        for (Item& item : batch) {
            if (item.control || budget >= 1) {
                if (skipped) entries.push_back(finishSkipped(*std::exchange(skipped, std::nullopt)));
                entries.push_back(entryOf(item, ++seq));
                if (!item.control) budget -= 1;
                continue;
            }
            if (!skipped) skipped = Entry{++seq, "skipped", {}, {}};
            ++skipped->count;
            movePaper(item.exchange, skipped->seq, *skipped);
        }
        if (skipped) entries.push_back(finishSkipped(*skipped));
        batch.clear();
        std::lock_guard<std::mutex> lock(mutex_);
        for (Entry& e : entries) add(std::move(e));
        entries.clear();
        droppedSeen_ = droppedNoted;
        advanced_.notify_all();
    }
}

Journal::Entry Journal::entryOf(Item& item, uint64_t seq) const {
    if (item.control) {
        json& j = *item.control;
        j["seq"] = seq;
        return {seq, j.contains("dropped") ? "dropped" : "control", dump(j), {}};
    }
    Entry entry{seq, "exchange", describeExchange(item.exchange, seq), {}};
    movePaper(item.exchange, seq, entry);  // described: the text moves on to the roll
    return entry;
}

void Journal::movePaper(Exchange& e, uint64_t seq, Entry& to) {
    if (e.printed.lines() == 0) return;
    to.lines += e.printed.lines();
    to.paper.push_back({seq, e.coo, std::move(e.printed)});
}

Journal::Entry Journal::finishSkipped(Entry entry) {
    entry.text = dump({{"seq", entry.seq},
                       {"at", isoTime(std::chrono::system_clock::now())},
                       {"skipped", entry.count},
                       {"printed", entry.lines}});
    return entry;
}

// Under mutex_.
void Journal::add(Entry entry) {
    const uint64_t seq = entry.seq;
    seq_ = seq;
    for (PaperBlock& b : entry.paper) {
        paperLines_ += b.printout.lines();
        paper_.push_back(std::move(b));
    }
    while (paperLines_ > limits_.paperLines && paper_.size() > 1) {
        paperLines_ -= paper_.front().printout.lines();
        paper_.pop_front();
    }
    stream_.push_back({seq, "id: " + std::to_string(seq) + "\nevent: " + entry.event +
                                "\ndata: " + entry.text + "\n\n"});
    keepLast(stream_, limits_.streamEvents);
    log_.push_back(std::move(entry.text));
    keepLast(log_, limits_.logEntries);
}

std::string Journal::paperText(const std::string& station) const {
    const auto wanted = station == "cheque" ? Paper::Station::cheque : Paper::Station::receipt;
    std::lock_guard<std::mutex> lock(mutex_);
    std::string text;
    for (const PaperBlock& b : paper_)
        b.printout.forEachLine([&](Paper::Station s, std::string_view line) {
            if (s != wanted) return;
            text += line;
            text += '\n';
        });
    return text;
}

json Journal::paperJson(std::size_t last) const {
    std::lock_guard<std::mutex> lock(mutex_);
    json lines = json::array();
    std::size_t skip = paperLines_ > last ? paperLines_ - last : 0;
    for (const PaperBlock& b : paper_)
        b.printout.forEachLine([&](Paper::Station s, std::string_view line) {
            if (skip > 0) {
                --skip;
                return;
            }
            lines.push_back({{"seq", b.seq},
                             {"station", s == Paper::Station::cheque ? "cheque" : "receipt"},
                             {"coo", b.coo},
                             {"text", line}});
        });
    return {{"seq", seq_}, {"lines", std::move(lines)}};
}

std::string Journal::logJson() const {
    std::lock_guard<std::mutex> lock(mutex_);
    std::string text = "{\"seq\":" + std::to_string(seq_) + ",\"dropped\":" +
                       std::to_string(droppedSeen_) + ",\"entries\":[";
    for (std::size_t i = 0; i < log_.size(); ++i) {
        if (i > 0) text += ',';
        text += log_[i];
    }
    return text + "]}";
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
