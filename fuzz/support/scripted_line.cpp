#include "scripted_line.h"

#include <deque>
#include <memory>
#include <utility>

#include "link/fake_port.h"
#include "link/platform_port.h"

namespace ecf::scripted {
namespace {

// The script and the log belong to this program, not to the library.
struct Line {
    std::deque<Answer> answers;
    std::vector<Exchange> exchanges;
};

Line& line() {
    static Line instance;
    return instance;
}

// The scripted FakePort, loaded with one answer, whose record of the exchange
// goes to the log when the library lets go of the port.
class ScriptedPort final : public link::SerialPort {
public:
    explicit ScriptedPort(Answer answer) {
        fake_.openError = answer.openError;
        if (answer.readError != 0) fake_.failures[link::FakePort::Read] = answer.readError;
        fake_.replyBytes = std::move(answer.bytes);
    }
    ScriptedPort(const ScriptedPort&) = delete;
    ScriptedPort& operator=(const ScriptedPort&) = delete;
    ~ScriptedPort() override { line().exchanges.push_back(Exchange{opened_, std::move(fake_.wire), readLength_}); }

    link::OpenError open(const char* name) override {
        const link::OpenError e = fake_.open(name);
        opened_ = e == link::OpenError::none;
        return e;
    }
    uint32_t applyLineSettings(const link::LineSettings& s) override { return fake_.applyLineSettings(s); }
    uint32_t purge(uint32_t flags) override { return fake_.purge(flags); }
    uint32_t setTimeouts(const link::CommTimeouts& t) override { return fake_.setTimeouts(t); }
    uint32_t modemStatus(uint32_t* status) override { return fake_.modemStatus(status); }
    void escape(uint32_t function) override { fake_.escape(function); }
    uint32_t transmitPriority(uint8_t byte) override { return fake_.transmitPriority(byte); }
    uint32_t write(const uint8_t* data, uint32_t length, uint32_t* written) override {
        return fake_.write(data, length, written);
    }
    uint32_t read(uint8_t* data, uint32_t length, uint32_t* received) override {
        readLength_ = length;
        return fake_.read(data, length, received);
    }
    void close() override { fake_.close(); }
    void pause(uint32_t milliseconds) override { fake_.pause(milliseconds); }  // recorded, not slept

private:
    link::FakePort fake_;
    bool opened_ = false;
    uint32_t readLength_ = 0;
};

}  // namespace

void setAnswers(std::vector<Answer> answers) {
    line().answers.assign(std::make_move_iterator(answers.begin()),
                          std::make_move_iterator(answers.end()));
    line().exchanges.clear();
}

std::vector<Exchange> takeExchanges() {
    std::vector<Exchange> out;
    out.swap(line().exchanges);
    return out;
}

}  // namespace ecf::scripted

namespace ecf::link {

std::unique_ptr<SerialPort> makePlatformPort() {
    auto& answers = ecf::scripted::line().answers;
    ecf::scripted::Answer next;
    if (!answers.empty()) {
        next = std::move(answers.front());
        answers.pop_front();
    }
    return std::make_unique<ecf::scripted::ScriptedPort>(std::move(next));
}

}  // namespace ecf::link
