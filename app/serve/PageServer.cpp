#include "app/serve/PageServer.h"

#include <httplib.h>
#include <fmt/core.h>
#include <pthread.h>
#include <signal.h>
#include <sys/socket.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <nlohmann/json.hpp>
#include <thread>

#include "app/core/Errors.h"
#include "app/core/Text.h"
#include "app/report/RunReport.h"
#include "app/serve/HostThread.h"
#include "app/serve/PageAssets.h"
#include "app/serve/PageFiles.h"
#include "app/serve/PageJson.h"
#include "app/serve/PageSession.h"
#include "app/serve/RequestGuard.h"
#include "app/session/PlugInSession.h"

namespace lq {

namespace {

using Json = nlohmann::json;

// Pages that listen for changes at once; more fall back to asking now and then.
constexpr int kMaxListeners = 8;
constexpr auto kListenerLifetime = std::chrono::seconds(60);
constexpr auto kHeartbeat = std::chrono::seconds(15);

// The revision the open pages have been told of.
class Announcer {
public:
    void Publish(std::uint64_t revision)
    {
        {
            std::lock_guard lock(m_mutex);
            if (revision <= m_revision)
                return;
            m_revision = revision;
        }
        m_changed.notify_all();
    }
    void Stop()
    {
        {
            std::lock_guard lock(m_mutex);
            m_stopping = true;
        }
        m_changed.notify_all();
    }
    // Waits until the revision passes seen, the server stops or the time is up; the revision then.
    std::optional<std::uint64_t> Wait(std::uint64_t seen, std::chrono::steady_clock::duration timeout)
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait_for(lock, timeout, [&] { return m_stopping || m_revision > seen; });
        if (m_stopping)
            return std::nullopt;
        return m_revision;
    }
    bool TryListen()
    {
        std::lock_guard lock(m_mutex);
        if (m_listeners >= kMaxListeners)
            return false;
        ++m_listeners;
        return true;
    }
    void Unlisten()
    {
        std::lock_guard lock(m_mutex);
        --m_listeners;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::uint64_t m_revision = 0;
    bool m_stopping = false;
    int m_listeners = 0;
};

std::optional<std::string> Header(const httplib::Request& req, const char* name)
{
    if (!req.has_header(name))
        return std::nullopt;
    return req.get_header_value(name);
}

std::int64_t ZoomOf(const httplib::Request& req)
{
    if (!req.has_param("zoom"))
        return 0;
    try {
        return std::stoll(req.get_param_value("zoom"));
    } catch (const std::exception&) {
        throw JobError("zoom: not a whole number of nanometres per pixel");
    }
}

Json BodyJson(const httplib::Request& req)
{
    if (req.body.empty())
        return Json::object();
    try {
        Json body = Json::parse(req.body);
        if (!body.is_object())
            throw JobError("the request body is not a JSON object");
        return body;
    } catch (const Json::exception& e) {
        throw JobError(fmt::format("the request body is not JSON: {}", e.what()));
    }
}

template <class T>
T Field(const Json& body, const char* name)
{
    if (!body.contains(name))
        throw JobError(fmt::format("the request lacks \"{}\"", name));
    try {
        return body.at(name).get<T>();
    } catch (const Json::exception&) {
        throw JobError(fmt::format("the request's \"{}\" has the wrong type", name));
    }
}

std::int32_t Coordinate(const Json& value, const char* name)
{
    if (!value.is_number_integer())
        throw JobError(fmt::format("the request's \"{}\" is not a whole number of nanometres", name));
    const std::int64_t v = value.get<std::int64_t>();
    if (v < std::numeric_limits<std::int32_t>::min() || v > std::numeric_limits<std::int32_t>::max())
        throw JobError(fmt::format("the request's \"{}\" lies beyond the board's 32-bit coordinates", name));
    return static_cast<std::int32_t>(v);
}

MouseKind KindOf(const std::string& kind)
{
    static const std::pair<const char*, MouseKind> kinds[] = {{"down", MouseKind::Down},        {"up", MouseKind::Up},
                                                              {"dblclk", MouseKind::DoubleClick}, {"rdown", MouseKind::RightDown},
                                                              {"rup", MouseKind::RightUp},       {"move", MouseKind::Move}};
    for (const auto& [name, k] : kinds)
        if (kind == name)
            return k;
    throw JobError(fmt::format("unknown mouse event \"{}\"", kind));
}

std::string UploadTooLarge()
{
    return fmt::format("upload: more than {} MiB; the page host takes boards up to that size", kUploadLimitBytes >> 20);
}

void Send(httplib::Response& res, int status, const std::string& body, const char* type = "application/json")
{
    res.status = status;
    res.set_content(body, type);
}

void Download(httplib::Response& res, const std::string& name, std::string content, const char* type)
{
    // The name is the board's own base name; quotes and backslashes cannot end the header field.
    std::string safe;
    for (char c : name)
        safe += (c == '"' || c == '\\' || static_cast<unsigned char>(c) < 0x20) ? '_' : c;
    res.set_header("Content-Disposition", fmt::format("attachment; filename=\"{}\"", safe));
    res.set_content(std::move(content), type);
}

class PageServer {
public:
    explicit PageServer(ServeOptions options) : m_options(std::move(options)) {}
    int Run();

private:
    // Runs a job of the session on the host thread and answers with its JSON, or the error.
    template <class Job>
    void Answer(httplib::Response& res, Job job)
    {
        try {
            std::string body = m_host.Run([&] {
                std::string out = job(*m_session);
                m_announcer.Publish(m_session->Revision());
                return out;
            });
            Send(res, 200, body);
        } catch (const ConflictError& e) {
            Send(res, 409, ErrorJson(e.what()));
        } catch (const JobError& e) {
            // The session goes on with what it had; the page shows the line and its state.
            m_host.Run([&] { m_announcer.Publish(m_session->Revision()); });
            Send(res, 422, ErrorJson(e.what()));
        } catch (const UsageError& e) {
            Send(res, 422, ErrorJson(e.what()));
        } catch (const std::exception& e) {
            Send(res, 500, ErrorJson(fmt::format("internal error: {}", e.what())));
        }
    }
    // A change: the body's fields are given to the job, the state (at the page's zoom) answered;
    // with brief, a job that changed nothing (a hover) is answered with the revision alone.
    template <class Job>
    void Change(const httplib::Request& req, httplib::Response& res, Job job, bool brief = false)
    {
        Answer(res, [&](PageSession& session) {
            const std::int64_t zoom = ZoomOf(req);
            if (zoom > 0)
                session.SetZoom(zoom);
            const std::uint64_t revision = session.Revision();
            job(session, BodyJson(req));
            if (brief && session.Revision() == revision)
                return Json{{"revision", revision}, {"unchanged", true}}.dump();
            return PageStateJson(session);
        });
    }
    void Routes();
    void Events(const httplib::Request& req, httplib::Response& res);

    ServeOptions m_options;
    HostThread m_host;
    std::unique_ptr<PlugInSession> m_plugIn;
    std::unique_ptr<PageSession> m_session;
    Announcer m_announcer;
    httplib::Server m_server;
    int m_port = 0;
};

void PageServer::Events(const httplib::Request&, httplib::Response& res)
{
    if (!m_announcer.TryListen()) {
        Send(res, 503, ErrorJson("too many pages listen for changes; this one asks now and then instead"));
        return;
    }
    res.set_header("Cache-Control", "no-store");
    const auto until = std::chrono::steady_clock::now() + kListenerLifetime;
    res.set_chunked_content_provider(
        "text/event-stream",
        [this, until, seen = std::uint64_t{0}](std::size_t, httplib::DataSink& sink) mutable {
            const auto now = std::chrono::steady_clock::now();
            if (now >= until) {
                sink.done();
                return true;
            }
            const auto revision = m_announcer.Wait(seen, std::min<std::chrono::steady_clock::duration>(kHeartbeat, until - now));
            if (!revision) {
                sink.done();
                return true;
            }
            const std::string message = *revision > seen ? fmt::format("data: {}\n\n", *revision) : std::string(":\n\n");
            seen = *revision;
            return sink.write(message.data(), message.size());
        },
        [this](bool) { m_announcer.Unlisten(); });
}

void PageServer::Routes()
{
    m_server.set_pre_routing_handler([this](const httplib::Request& req, httplib::Response& res) {
        RequestHeaders headers{req.method, req.get_header_value("Host"), Header(req, "Origin"), Header(req, "Sec-Fetch-Site"),
                               Header(req, "Content-Type")};
        if (const auto refusal = RefuseRequest(headers, m_port)) {
            Send(res, 403, ErrorJson(*refusal));
            return httplib::Server::HandlerResponse::Handled;
        }
        // Loopback gains nothing from compression, and the library's brotli, at its highest
        // quality, costs half a second on the state of a board the size of spu.
        const_cast<httplib::Request&>(req).headers.erase("Accept-Encoding");
        res.set_header("X-Content-Type-Options", "nosniff");
        res.set_header("Cache-Control", "no-store");
        return httplib::Server::HandlerResponse::Unhandled;
    });
    // Room for the form around the files; beyond it the library refuses the request unread.
    m_server.set_payload_max_length(kUploadLimitBytes + (1u << 20));

    for (const PageAsset& asset : PageAssets())
        m_server.Get(asset.path, [&asset](const httplib::Request&, httplib::Response& res) {
            if (std::string(asset.type).starts_with("text/html"))
                res.set_header("Content-Security-Policy", "default-src 'self'; style-src 'self' 'unsafe-inline'; "
                                                          "img-src 'self' data:; frame-ancestors 'none'");
            res.set_content(std::string(asset.content), asset.type);
        });

    m_server.Get("/api/board", [this](const httplib::Request&, httplib::Response& res) {
        Answer(res, [](PageSession& s) { return BoardGeometryJson(s); });
    });
    m_server.Get("/api/state", [this](const httplib::Request& req, httplib::Response& res) {
        Answer(res, [&](PageSession& s) {
            if (const std::int64_t zoom = ZoomOf(req); zoom > 0)
                s.SetZoom(zoom);
            return PageStateJson(s);
        });
    });
    m_server.Get("/api/events", [this](const httplib::Request& req, httplib::Response& res) { Events(req, res); });
    m_server.Get(R"(/api/(bitmap|cursor)/(\d{1,9}))", [this](const httplib::Request& req, httplib::Response& res) {
        const bool bitmap = req.matches[1] == "bitmap";
        const UINT id = static_cast<UINT>(std::stoul(req.matches[2]));
        const auto file = m_host.Run([&] { return bitmap ? m_session->Bitmap(id) : m_session->CursorFile(id); });
        if (!file)
            return Send(res, 404, ErrorJson(fmt::format("the plug-in has no {} {}", bitmap ? "bitmap" : "cursor", id)));
        res.set_content(*file, bitmap ? "image/bmp" : "image/x-icon");
    });

    m_server.Post("/api/tool", [this](const httplib::Request& req, httplib::Response& res) {
        Change(req, res, [](PageSession& s, const Json& body) {
            const Json& tool = body.contains("tool") ? body.at("tool") : Json(nullptr);
            if (!tool.is_null() && !tool.is_number_unsigned())
                throw JobError("the request's \"tool\" is neither a UI ID nor null");
            s.UseTool(tool.is_null() ? std::nullopt : std::optional(tool.get<std::uint32_t>()));
        });
    });
    m_server.Post("/api/mouse", [this](const httplib::Request& req, httplib::Response& res) {
        Change(req, res, [](PageSession& s, const Json& body) {
            std::vector<MouseEvent> events;
            for (const Json& e : Field<Json>(body, "events")) {
                if (!e.is_object())
                    throw JobError("a mouse event is not an object");
                events.push_back(MouseEvent{KindOf(Field<std::string>(e, "kind")), CLQPoint(Coordinate(e.value("x", Json()), "x"),
                                                                                        Coordinate(e.value("y", Json()), "y"))});
            }
            s.Mouse(events);
        }, true);
    });
    m_server.Post("/api/select", [this](const httplib::Request& req, httplib::Response& res) {
        Change(req, res, [](PageSession& s, const Json& body) {
            s.SelectAt(CLQPoint(Coordinate(body.value("x", Json()), "x"), Coordinate(body.value("y", Json()), "y")),
                       body.value("add", false));
        });
    });
    m_server.Post("/api/move", [this](const httplib::Request& req, httplib::Response& res) {
        Change(req, res, [](PageSession& s, const Json& body) {
            const std::string phase = Field<std::string>(body, "phase");
            if (phase == "start")
                s.BeginMove();
            else if (phase == "end")
                s.EndMove(Field<std::int64_t>(body, "dx"), Field<std::int64_t>(body, "dy"));
            else
                throw JobError(fmt::format("a move has the phases start and end, not \"{}\"", phase));
        });
    });
    m_server.Post("/api/command", [this](const httplib::Request& req, httplib::Response& res) {
        Change(req, res, [](PageSession& s, const Json& body) { s.Execute(Field<std::string>(body, "name")); });
    });
    m_server.Post("/api/refine", [this](const httplib::Request& req, httplib::Response& res) {
        Change(req, res, [](PageSession& s, const Json&) { s.Refine(); });
    });
    m_server.Post("/api/moveswap", [this](const httplib::Request& req, httplib::Response& res) {
        Change(req, res, [](PageSession& s, const Json& body) { s.SetMoveSwap(Field<int>(body, "mode")); });
    });
    m_server.Post("/api/undo", [this](const httplib::Request& req, httplib::Response& res) {
        Change(req, res, [](PageSession& s, const Json&) {
            if (!s.Undo())
                throw JobError("nothing to undo");
        });
    });
    m_server.Post("/api/redo", [this](const httplib::Request& req, httplib::Response& res) {
        Change(req, res, [](PageSession& s, const Json&) {
            if (!s.Redo())
                throw JobError("nothing to redo");
        });
    });
    m_server.Post("/api/save", [this](const httplib::Request& req, httplib::Response& res) {
        Answer(res, [&](PageSession& s) {
            const Json body = BodyJson(req);
            if (m_options.saveFolder.empty())
                throw JobError("save: this page host saves no files on the server (use the downloads)");
            const SaveResult saved = SaveInFolder(s, m_options.saveFolder, Field<std::string>(body, "name"), body.value("overwrite", false));
            return Json{{"written", saved.written}, {"folder", m_options.saveFolder}, {"notes", saved.notes}}.dump();
        });
    });
    m_server.Post("/api/open", [this](const httplib::Request& req, httplib::Response& res) {
        std::vector<UploadedFile> files;
        std::size_t bytes = 0;
        bool unrouted = false;
        for (const auto& [field, file] : req.files)
            if (field == "files") {
                files.push_back(UploadedFile{file.filename, file.content});
                bytes += file.content.size();
            } else if (field == "unrouted") {
                unrouted = file.content == "1";
            }
        if (bytes > kUploadLimitBytes)
            return Send(res, 413, ErrorJson(UploadTooLarge()));
        Answer(res, [&](PageSession& s) {
            OpenedUpload opened = OpenUpload(files, m_options.rules, unrouted);
            s.Open(std::move(opened.loaded), opened.name, {});
            return PageStateJson(s);
        });
    });
    // The files a save would write (the board, and the schematics of an Eagle or KiCad board),
    // and each of them, made from the board in memory.
    m_server.Get("/api/download/files", [this](const httplib::Request&, httplib::Response& res) {
        Answer(res, [](PageSession& s) {
            Json names = Json::array();
            for (const auto& [path, content] : s.Save(s.Name()).files)
                names.push_back(path.substr(path.find_last_of('/') + 1));
            return names.dump();
        });
    });
    m_server.Get(R"(/api/download/(file/(\d{1,4})|eco|report))", [this](const httplib::Request& req, httplib::Response& res) {
        const std::string what = req.matches[1];
        try {
            m_host.Run([&] {
                PageSession& s = *m_session;
                if (!s.HasBoard())
                    throw JobError("no board is open");
                if (what == "eco" || what == "report") {
                    RunReport report;
                    report.boards.push_back(s.Report());
                    const std::string stem = s.Name().substr(0, s.Name().find('.'));
                    if (what == "eco")
                        Download(res, stem + ".eco.csv", FormatEcoCsv(report), "text/csv; charset=utf-8");
                    else
                        Download(res, stem + ".report.json", FormatReportJson(report), "application/json");
                    return;
                }
                const SavedBoard saved = s.Save(s.Name());
                const std::size_t index = std::stoul(req.matches[2]);
                if (index >= saved.files.size())
                    throw JobError(
                        fmt::format("the board is saved as {}; there is no file {}", Counted(saved.files.size(), "file"), index));
                const std::string& path = saved.files[index].first;
                Download(res, path.substr(path.find_last_of('/') + 1), saved.files[index].second, "application/octet-stream");
            });
        } catch (const JobError& e) {
            Send(res, 422, ErrorJson(e.what()));
        } catch (const UsageError& e) {
            Send(res, 422, ErrorJson(e.what()));
        }
    });
}

int PageServer::Run()
{
    m_host.Run([&] {
        m_plugIn = std::make_unique<PlugInSession>(m_options.modulePath);
        m_session = std::make_unique<PageSession>(*m_plugIn);
        if (m_options.board)
            m_session->Open(std::move(*m_options.board), m_options.boardName, m_options.inputs);
    });
    Routes();
    // The library's default shares the port with any other server of the same user that asks
    // (SO_REUSEPORT), which would split the page's requests between two hosts; a port in use is
    // refused instead.
    m_server.set_socket_options([](socket_t sock) {
        int yes = 1;
        ::setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    });
    m_server.new_task_queue = [] { return new httplib::ThreadPool(kMaxListeners + 8); };
    m_port = m_options.port == 0 ? m_server.bind_to_any_port("127.0.0.1") : m_options.port;
    if (m_port <= 0 || (m_options.port != 0 && !m_server.bind_to_port("127.0.0.1", m_options.port)))
        throw JobError(fmt::format("cannot listen on 127.0.0.1:{} (is the port in use? --port 0 picks a free one)",
                                   m_options.port));
    std::printf("lqhost serve: http://127.0.0.1:%d/ (Ctrl-C stops)\n", m_port);
    std::fflush(stdout);

    // Stop on SIGINT or SIGTERM: the signals wait for one thread, which stops the server.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGHUP);
    std::thread stopper([&] {
        int signal = 0;
        sigwait(&stopSignals, &signal);
        m_announcer.Stop();
        m_server.stop();
    });
    const bool listened = m_server.listen_after_bind();
    if (!listened)
        pthread_kill(stopper.native_handle(), SIGTERM);
    stopper.join();
    m_host.Run([&] {
        m_session.reset();
        m_plugIn.reset();
    });
    return listened ? 0 : 1;
}

}  // namespace

int Serve(ServeOptions options)
{
    // Blocked before any thread starts, so that only the stopping thread takes these signals.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    PageServer server(std::move(options));
    return server.Run();
}

}  // namespace lq
