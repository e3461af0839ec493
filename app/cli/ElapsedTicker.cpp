#include "app/cli/ElapsedTicker.h"

#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <utility>

namespace lq {

namespace {
constexpr auto kQuietFor = std::chrono::seconds(1);
constexpr auto kEvery = std::chrono::milliseconds(200);
ElapsedTicker* g_current = nullptr;  // made and ended on the main thread only
}  // namespace

bool StderrIsTerminal() { return ::isatty(STDERR_FILENO) == 1; }

ElapsedTicker::ElapsedTicker(std::string label) : m_label(std::move(label)), m_start(std::chrono::steady_clock::now())
{
    if (g_current != nullptr) {
        m_outer = g_current;
        std::lock_guard<std::mutex> lock(m_outer->m_mutex);
        m_outerLabel = std::exchange(m_outer->m_label, m_label);
        return;
    }
    g_current = this;
    if (!StderrIsTerminal())
        return;
    // The thread is born with interrupting signals blocked, so that they reach the main thread,
    // which holds them back while it writes outputs.
    sigset_t held, before;
    sigemptyset(&held);
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaddset(&held, signal);
    ::pthread_sigmask(SIG_BLOCK, &held, &before);
    m_thread = std::thread([this] { Run(); });
    ::pthread_sigmask(SIG_SETMASK, &before, nullptr);
}

ElapsedTicker::~ElapsedTicker()
{
    if (m_outer != nullptr) {
        std::lock_guard<std::mutex> lock(m_outer->m_mutex);
        m_outer->m_label = m_outerLabel;
        return;
    }
    g_current = nullptr;
    if (!m_thread.joinable())
        return;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

double ElapsedTicker::Seconds() const
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - m_start).count();
}

void ElapsedTicker::Say(const std::string& line)
{
    if (m_outer != nullptr)
        return m_outer->Say(line);
    std::lock_guard<std::mutex> lock(m_mutex);
    std::fprintf(stderr, "%s%s\n", m_thread.joinable() ? "\r\033[K" : "", line.c_str());
    std::fflush(stderr);
}

void ElapsedTicker::Run()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    if (m_wake.wait_for(lock, kQuietFor, [this] { return m_stop; }))
        return;
    do {
        std::fprintf(stderr, "\r%s: running, %.1f s\033[K", m_label.c_str(), Seconds());
        std::fflush(stderr);
    } while (!m_wake.wait_for(lock, kEvery, [this] { return m_stop; }));
    std::fprintf(stderr, "\r\033[K");
    std::fflush(stderr);
}

}  // namespace lq
