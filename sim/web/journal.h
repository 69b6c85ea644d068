// What the control page shows of the printer's past: the paper it printed,
// the last exchanges and the stream of events the page follows live.
//
// The line thread only hands exchanges in (record()): a short lock and a
// bounded queue, never a wait. A worker thread of the journal numbers them
// (with the changes noted from outside), turns them into JSON, the paper roll
// and the log, and wakes the readers of the event stream. Beyond a thousand
// exchanges a second it only counts them and keeps their paper. A reader that
// falls further behind than the stream keeps is told so and must start over
// from the snapshots.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>
#include <vector>

#include "ecfsim/simulator.h"

namespace ecfsim::web {

struct JournalLimits {
    std::size_t pending = 10000;      // exchanges waiting for the worker; beyond: dropped
    std::size_t paperLines = 20000;   // the roll keeps the last ones
    std::size_t logEntries = 500;     // the log keeps the last ones
    std::size_t streamEvents = 2000;  // the live stream keeps the last ones for slow readers
};

class Journal {
public:
    explicit Journal(JournalLimits limits = {});
    ~Journal();
    Journal(const Journal&) = delete;
    Journal& operator=(const Journal&) = delete;

    // The line thread: one exchange, as it happened. Never blocks on readers.
    void record(Exchange&& exchange);
    // A change made from outside the line (a fault, a condition, the clock, a
    // reset), described as JSON; it joins the log and the stream.
    void note(nlohmann::json control);

    // The paper printed since the start, one line per line, of one station
    // ("receipt" or "cheque").
    std::string paperText(const std::string& station) const;
    // {"seq": S, "lines": [{"seq", "station", "coo", "text"}...]}: the roll
    // (its `last` lines) with the stream position it includes.
    nlohmann::json paperJson(std::size_t last = SIZE_MAX) const;
    // {"seq": S, "dropped": N, "entries": [...]}: the last exchanges and
    // changes, oldest first, as JSON text.
    std::string logJson() const;

    // The stream position now: events after it are still to come.
    uint64_t position() const;
    // Waits up to `wait` for events after `after` and appends them to `out`
    // as server-sent-event text, moving `after` on (nothing after a quiet
    // wait). Or: the reader fell behind what the stream keeps; the journal
    // is closing.
    enum class Read { events, behind, closed };
    Read eventsAfter(uint64_t& after, std::chrono::milliseconds wait, std::string& out);
    // Wakes every reader and ends the stream; the worker stops.
    void close();

private:
    struct StreamEvent {
        uint64_t seq;
        std::string text;  // "id: ...\nevent: ...\ndata: ...\n\n"
    };
    // What one exchange printed, as it lies on the roll.
    struct PaperBlock {
        uint64_t seq;
        uint32_t coo;
        Printout printout;
    };

    // An exchange from the line, or a change noted from outside.
    struct Item {
        Exchange exchange;
        std::optional<nlohmann::json> control;
    };
    // What the worker made of an item, ready to be added.
    struct Entry {
        uint64_t seq;
        const char* event;
        std::string text;  // the JSON object, its seq included
        std::vector<PaperBlock> paper;
        uint64_t count = 0;  // exchanges it stands for, when they were not described
        std::size_t lines = 0;
    };

    void work();
    Entry entryOf(Item& item, uint64_t seq) const;
    static void movePaper(Exchange& e, uint64_t seq, Entry& to);
    static Entry finishSkipped(Entry entry);
    void add(Entry entry);

    const JournalLimits limits_;

    // Items handed in by the line thread and the page's handlers.
    std::mutex inboxMutex_;
    std::condition_variable inboxReady_;
    std::vector<Item> inbox_;
    uint64_t dropped_ = 0;
    bool workerIdle_ = false;
    bool closing_ = false;

    // What readers see.
    mutable std::mutex mutex_;
    std::condition_variable advanced_;
    uint64_t seq_ = 0;  // of the last event added; only the worker adds
    uint64_t droppedSeen_ = 0;  // exchanges the worker noted as dropped
    std::deque<PaperBlock> paper_;
    std::size_t paperLines_ = 0;
    std::deque<std::string> log_;
    std::deque<StreamEvent> stream_;
    bool closed_ = false;

    std::thread worker_;
};

}  // namespace ecfsim::web
