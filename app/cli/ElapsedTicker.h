// Shows how long a blocking call has been running, on a terminal only: after a second, a line
// on stderr that counts up until the call returns, then is erased. When stderr is not a
// terminal (a log, a pipe, a test) it shows nothing. A ticker made while another lives is a
// phase of it: the line shows the phase's label while it lasts and keeps counting the whole.
#pragma once
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

namespace lq {

class ElapsedTicker {
public:
    explicit ElapsedTicker(std::string label);
    ~ElapsedTicker();
    ElapsedTicker(const ElapsedTicker&) = delete;
    ElapsedTicker& operator=(const ElapsedTicker&) = delete;

    // Seconds since construction.
    double Seconds() const;

    // Writes a line to stderr without tangling it with the ticking line.
    void Say(const std::string& line);

private:
    void Run();

    ElapsedTicker* m_outer = nullptr;  // the ticker this one is a phase of
    std::string m_outerLabel;
    std::string m_label;
    std::chrono::steady_clock::time_point m_start;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stop = false;
    std::thread m_thread;
};

// Whether stderr is a terminal.
bool StderrIsTerminal();

}  // namespace lq
