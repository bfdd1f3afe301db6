#include "ctlsim/ctlsim.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>

#include "common/crc16.h"

namespace ctlsim {

namespace {

using Clock = std::chrono::steady_clock;

constexpr uint8_t kRequestStart = 0xCC;
constexpr uint8_t kReplyStart = 0x33;
constexpr int kPartialFrameMs = 500;  // a frame that stops arriving for this long is dropped
constexpr int kConnectionFd = -2;     // a reply's line: its connection's, once there

void SetNonBlocking(int fd) { fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK); }

}  // namespace

CtlSim::CtlSim(uint8_t addr) : address(addr) {
    // Identification: controller type 'I', software version 14, low byte first, texts in
    // Windows-1251, address changeable.
    uint8_t* id = Table(0);
    id[1] = 'I';
    id[2] = 1;
    id[3] = 14;
    id[10] = 1;
    id[12] = 1;
    Table(3)[0] = addr;
    Table(3)[1] = 2;  // 1200 bit/s
    std::memset(Table(5), ' ', 20);
    std::memcpy(Table(5), "CTLSIM", 6);
    SetHandler(1, [](CtlSim& s, const std::vector<uint8_t>& f) { return s.ReadFields(f); }, 10);
    SetHandler(2, [](CtlSim& s, const std::vector<uint8_t>& f) { return s.WriteFields(f); });
}

CtlSim::~CtlSim() { Stop(); }

uint8_t* CtlSim::Table(int table) {
    if (!IsValidTable(table)) return nullptr;
    return memory + TableOffset(table);
}

std::vector<uint8_t> CtlSim::Frame(uint8_t addr, uint8_t functionByte, const std::vector<uint8_t>& data) {
    std::vector<uint8_t> f;
    f.reserve(data.size() + 6);
    f.push_back(kReplyStart);
    f.push_back(addr);
    f.push_back(uint8_t(data.size() + 6));
    f.push_back(functionByte);
    f.insert(f.end(), data.begin(), data.end());
    uint16_t crc = Crc16(f.data(), uint16_t(f.size()));
    f.push_back(uint8_t(crc));
    f.push_back(uint8_t(crc >> 8));
    return f;
}

void CtlSim::SetHandler(uint8_t function, Handler handler, int expectedLength) {
    std::lock_guard<std::mutex> lk(mu_);
    if (!handler)
        handlers_.erase(function);
    else
        handlers_[function] = {std::move(handler), expectedLength};
}

void CtlSim::SetFaults(const Faults& f) {
    std::lock_guard<std::mutex> lk(mu_);
    faults_ = f;
    faultRequests_ = 0;
}

void CtlSim::ForgetReplies() {
    std::lock_guard<std::mutex> lk(mu_);
    history_.clear();
}

void CtlSim::SetFatePlan(FatePlan plan) {
    std::lock_guard<std::mutex> lk(mu_);
    plan_ = std::move(plan);
    planReplies_ = 0;
    planned_.clear();
    planLast_ = {};
    queue_.clear();
    // A reply already going out goes out whole.
    std::erase_if(line_, [](const Outgoing& o) { return !o.started; });
    readSends_.clear();
    fateRead_ = 0;
}

void CtlSim::SetFateRead(int read) {
    std::lock_guard<std::mutex> lk(mu_);
    fateRead_ = read;
    readSends_.clear();
}

CtlSim::PlanState CtlSim::SavePlan() {
    std::lock_guard<std::mutex> lk(mu_);
    PlanState s;
    s.saved = Clock::now();
    for (const Timed& t : queue_) s.queue.emplace_back(t, t.conn == &tcp_);
    for (const Outgoing& o : line_) s.line.emplace_back(o, o.t.conn == &tcp_);
    s.replies = planReplies_;
    s.planned = planned_;
    s.last = planLast_;
    s.quiet = lineQuiet_;
    s.history = history_;
    return s;
}

void CtlSim::RestorePlan(const PlanState& s) {
    std::lock_guard<std::mutex> lk(mu_);
    const auto shift = Clock::now() - s.saved;
    // The connection is taken when the reply goes out: a TCP client may not be accepted yet.
    auto moved = [&](Timed t, bool tcp) {
        t.at += shift;
        t.asked += shift;
        t.conn = tcp ? &tcp_ : &pty_;
        t.fd = kConnectionFd;
        return t;
    };
    queue_.clear();
    for (const auto& [t, tcp] : s.queue) queue_.push_back(moved(t, tcp));
    std::erase_if(line_, [](const Outgoing& o) { return !o.started; });
    for (auto [o, tcp] : s.line) {
        o.t = moved(o.t, tcp);
        o.id = ++lineIds_;
        o.start += shift;
        o.done = 0;  // what had gone out comes again at once
        line_.push_back(o);
    }
    planReplies_ = s.replies;
    planned_ = s.planned;
    for (auto& [n, p] : planned_) p.asked += shift;
    planLast_ = s.last + shift;
    lineQuiet_ = s.quiet + shift;
    history_ = s.history;
    for (auto& h : history_) h.second += shift;
}

void CtlSim::SetLineRate(uint32_t baud) { baud_ = baud; }

std::chrono::nanoseconds CtlSim::ByteTime(const Conn& c) const {
    const uint32_t baud = baud_;
    return c.isTcp || baud == 0 ? std::chrono::nanoseconds(0) : std::chrono::nanoseconds(10'000'000'000ll / baud);
}

void CtlSim::NoteMade(const std::vector<uint8_t>& bytes, Clock::time_point asked) {
    auto it = std::find_if(history_.begin(), history_.end(), [&](const auto& h) { return h.first == bytes; });
    if (it != history_.end()) history_.erase(it);
    history_.emplace_back(bytes, asked);
}

// Puts a reply and whatever its fate adds into the queue (simulator thread, unlocked).
void CtlSim::Schedule(Conn& c, const std::vector<uint8_t>& frame, std::vector<uint8_t> out, Clock::time_point asked) {
    std::lock_guard<std::mutex> lk(mu_);
    const int n = ++planReplies_;
    auto& sends = readSends_[frame];
    if (sends.first == 0) sends.second = int(readSends_.size());
    ++sends.first;
    const ReplyFate fate = plan_(FateKey{n, fateRead_, &frame, sends.first, sends.second});
    const auto now = Clock::now();
    if (fate.lost) {
        planned_[n] = {frame, {}, false, asked};
        return;
    }
    const std::vector<uint8_t> good = out;  // this reply, not broken
    if (fate.broken) out.back() ^= 0x5A;
    auto due = asked + std::chrono::milliseconds(fate.delayMs);
    if (!fate.outOfOrder) due = std::max(due, planLast_);
    auto push = [&](Clock::time_point at, const std::vector<uint8_t>& bytes, Clock::time_point of, bool copy,
                    bool broken) {
        queue_.push_back({at, &c, c.fd, bytes, of, copy, broken, fate.quietMs});
        std::stable_sort(queue_.begin(), queue_.end(), [](const Timed& a, const Timed& b) { return a.at < b.at; });
    };
    // A copy goes only while it is young enough, when the fate says so.
    auto young = [&](Clock::time_point at, Clock::time_point of) {
        return fate.copiesWithinMs < 0 || at - of <= std::chrono::milliseconds(fate.copiesWithinMs);
    };
    // A copy of what went out for an earlier request, or of one of the line's replies, just
    // before this reply or in its place (a reply that never went out is not copied). Not in
    // place of the reply to a request sent again right after itself the copy its send before
    // got in place of its reply: a controller that insists on another request's answer is
    // taken at its word.
    const std::vector<uint8_t>* stale = nullptr;
    Clock::time_point staleAsked{};
    if (fate.staleOf > 0) {
        const auto it = planned_.find(fate.staleOf);
        if (it != planned_.end() && !it->second.sent.empty()) stale = &it->second.sent, staleAsked = it->second.asked;
    } else if (fate.staleBack > 0) {
        std::vector<size_t> others;  // the line's replies other than this one, the latest first
        for (size_t i = history_.size(); i-- > 0;)
            if (history_[i].first != good) others.push_back(i);
        if (!others.empty()) {
            const auto& h = history_[others[size_t(fate.staleBack - 1) % others.size()]];
            stale = &h.first, staleAsked = h.second;
        }
    }
    const auto before = planned_.find(n - 1);
    const bool insists = stale && before != planned_.end() && before->second.stale && before->second.frame == frame &&
                         before->second.sent == *stale;
    if (stale && !(fate.staleInstead && insists)) {
        const std::vector<uint8_t> copy = *stale;
        const auto at = fate.staleInstead ? due : std::max(now, planLast_);
        if (young(at, staleAsked)) {
            push(at, copy, staleAsked, true, false);
            if (fate.staleInstead) {
                planned_[n] = {frame, copy, true, staleAsked};
                planLast_ = std::max(planLast_, due);
                return;
            }
        }
    }
    planned_[n] = {frame, out, false, asked};
    push(due, out, asked, false, fate.broken);
    if (!fate.outOfOrder) planLast_ = due;
    const auto copyAt = due + std::chrono::milliseconds(fate.copyAfterMs);
    if (fate.copyAfterMs >= 0 && young(copyAt, asked)) push(copyAt, out, asked, true, fate.broken);
}

void CtlSim::NoteSent(Clock::time_point asked, const std::vector<uint8_t>& bytes, bool copy) {
    const auto now = Clock::now();
    if (!copy) oldestReply_ = std::max(oldestReply_, now - asked);
    timeline_.push_back({std::chrono::duration<double, std::milli>(now - made_).count(), true, bytes});
}

std::vector<CtlSim::Passage> CtlSim::Timeline() {
    std::lock_guard<std::mutex> lk(mu_);
    return timeline_;
}

double CtlSim::TimelineMs() const { return std::chrono::duration<double, std::milli>(Clock::now() - made_).count(); }

int CtlSim::TakeOldestReplyMs() {
    std::lock_guard<std::mutex> lk(mu_);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(oldestReply_).count();
    oldestReply_ = {};
    return int(ms);
}

int CtlSim::FlushDue() {
    int next = -1;
    {
        std::lock_guard<std::mutex> lk(mu_);
        const auto now = Clock::now();
        auto it = queue_.begin();
        while (it != queue_.end() && it->at <= now) ++it;
        for (auto d = queue_.begin(); d != it; ++d) line_.push_back({std::move(*d), ++lineIds_});
        queue_.erase(queue_.begin(), it);
        if (!queue_.empty())
            next = int(std::chrono::duration_cast<std::chrono::milliseconds>(queue_.front().at - now).count()) + 1;
    }
    const int more = Transmit();
    return more < 0 ? next : next < 0 ? more : std::min(next, more);
}

// One reply at a time: the front one starts when it is due and the line has been quiet as
// long as it asks, and is written as far as the line rate has carried it.
int CtlSim::Transmit() {
    for (;;) {
        int fd;
        uint64_t id;
        std::vector<uint8_t> chunk;
        {
            std::lock_guard<std::mutex> lk(mu_);
            if (line_.empty()) return -1;
            Outgoing& o = line_.front();
            if (o.t.fd == kConnectionFd) {
                if (o.t.conn->fd < 0) return 1;  // not connected yet
                o.t.fd = o.t.conn->fd;
            }
            // A reply to a connection that has gone since goes nowhere.
            if (o.t.conn->fd != o.t.fd || o.t.fd < 0) {
                line_.erase(line_.begin());
                continue;
            }
            const auto now = Clock::now();
            if (!o.started) {
                const auto earliest = std::max(o.t.at, lineQuiet_ + std::chrono::milliseconds(o.t.quietMs));
                if (now < earliest)
                    return int(std::chrono::duration_cast<std::chrono::milliseconds>(earliest - now).count()) + 1;
                // Noted before it is written, so that a read which takes it and ends at once
                // finds it on the timeline.
                o.started = true;
                o.start = now;
                NoteSent(o.t.asked, o.t.bytes, o.t.copy);
            }
            // A byte is written as it begins to go: the far end has it a byte's time later,
            // the last one as the reply's time on the line ends.
            const auto byte = ByteTime(*o.t.conn);
            const size_t carried = byte.count() == 0 ? o.t.bytes.size()
                                                      : std::min(o.t.bytes.size(), size_t((now - o.start) / byte) + 1);
            if (carried == o.done) {
                const auto at = o.start + byte * int64_t(o.done);
                return std::max(1, int(std::chrono::duration_cast<std::chrono::milliseconds>(at - now).count()) + 1);
            }
            fd = o.t.fd;
            id = o.id;
            chunk.assign(o.t.bytes.begin() + long(o.done), o.t.bytes.begin() + long(carried));
            o.done = carried;
        }
        const bool ok = WriteAll(fd, chunk.data(), chunk.size());
        std::lock_guard<std::mutex> lk(mu_);
        if (line_.empty() || line_.front().id != id) continue;
        Outgoing& o = line_.front();
        if (o.done < o.t.bytes.size() && ok) continue;
        lineQuiet_ = std::max(Clock::now(), o.start + ByteTime(*o.t.conn) * int64_t(o.t.bytes.size()));
        if (ok && !o.t.broken && !o.t.copy) NoteMade(o.t.bytes, o.t.asked);
        if (ok) ++replies_;
        line_.erase(line_.begin());
    }
}

void CtlSim::SetPassword(const std::string& pw) {
    std::lock_guard<std::mutex> lk(mu_);
    password = pw;
}

uint8_t CtlSim::Address() {
    std::lock_guard<std::mutex> lk(mu_);
    return address;
}

void CtlSim::SetAddress(uint8_t a) {
    std::lock_guard<std::mutex> lk(mu_);
    address = a;
}

std::vector<uint8_t> CtlSim::TableBytes(int table) {
    std::lock_guard<std::mutex> lk(mu_);
    if (!IsValidTable(table)) return {};
    return std::vector<uint8_t>(Table(table), Table(table) + TableSize(table));
}

void CtlSim::SetTableBytes(int table, size_t offset, const std::vector<uint8_t>& bytes) {
    std::lock_guard<std::mutex> lk(mu_);
    if (!IsValidTable(table) || offset + bytes.size() > TableSize(table)) return;
    std::memcpy(Table(table) + offset, bytes.data(), bytes.size());
}

std::vector<std::vector<uint8_t>> CtlSim::Requests() {
    std::lock_guard<std::mutex> lk(mu_);
    return requests_;
}

std::vector<uint8_t> CtlSim::RawReceived() {
    std::lock_guard<std::mutex> lk(mu_);
    return raw_;
}

int CtlSim::RepliesSent() {
    std::lock_guard<std::mutex> lk(mu_);
    return replies_;
}

void CtlSim::ClearLog() {
    std::lock_guard<std::mutex> lk(mu_);
    requests_.clear();
    raw_.clear();
    timeline_.clear();
    replies_ = 0;
}

bool CtlSim::WaitForRequests(size_t n, int timeoutMs) {
    auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        {
            std::lock_guard<std::mutex> lk(mu_);
            if (requests_.size() >= n) return true;
        }
        if (Clock::now() >= end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

// ---------------------------------------------------------------- functions 1 and 2

Reply Negative(int code) {
    Reply r;
    r.error = code;
    return r;
}

int ConnectLoopback(int port) {
    const int s = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (s < 0) return -1;
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(uint16_t(port));
    if (connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        close(s);
        return -1;
    }
    return s;
}

Reply CtlSim::ReadFields(const std::vector<uint8_t>& f) {
    Reply r;
    int t = f[5], first = f[6], count = f[7];
    if (!IsValidTable(t)) return Negative(9);
    if (FieldCount(t) == 0) return Negative(11);
    if (first >= FieldCount(t)) return Negative(13);
    if (!IsValidFieldRange(t, first, count) || count * FieldSize(t) > kReadDataLimit) return Negative(4);
    r.data = {0, f[5], f[6], f[7]};
    const uint8_t* src = Table(t) + size_t(first) * FieldSize(t);
    r.data.insert(r.data.end(), src, src + size_t(count) * FieldSize(t));
    return r;
}

Reply CtlSim::WriteFields(const std::vector<uint8_t>& f) {
    if (f.size() < 26) return Negative(2);
    if (!password.empty() && std::memcmp(f.data() + 4, password.data(), std::min<size_t>(12, password.size())) != 0)
        return Negative(3);
    int t = f[21], first = f[22], count = f[23];
    if (!IsValidTable(t)) return Negative(9);
    if (FieldCount(t) == 0) return Negative(12);
    if (first >= FieldCount(t)) return Negative(14);
    if (!IsValidFieldRange(t, first, count)) return Negative(4);
    size_t n = size_t(count) * FieldSize(t);
    if (f.size() != 26 + n) return Negative(2);
    if (t == faults_.failWriteTable) return Negative(int(faults_.failWriteCode));
    std::memcpy(Table(t) + size_t(first) * FieldSize(t), f.data() + 24, n);
    Reply r;
    r.data = {0, f[21], f[22], f[23]};
    // A new own address (table 3, field 0) holds from this reply on.
    if (t == 3 && first == 0 && count > 0) address = Table(3)[0];
    return r;
}

// ---------------------------------------------------------------- transport

std::string CtlSim::StartPty() {
    Stop();
    int m = posix_openpt(O_RDWR | O_NOCTTY);
    if (m < 0) return {};
    char name[128] = {};
    if (grantpt(m) != 0 || unlockpt(m) != 0 || ptsname_r(m, name, sizeof name) != 0) {
        close(m);
        return {};
    }
    // Keep the slave side open so the master never sees a hang-up between the program's
    // opens and closes, and make the line raw from the start.
    int s = open(name, O_RDWR | O_NOCTTY);
    if (s < 0) {
        close(m);
        return {};
    }
    termios tio;
    if (tcgetattr(s, &tio) == 0) {
        cfmakeraw(&tio);
        tcsetattr(s, TCSANOW, &tio);
    }
    SetNonBlocking(m);
    slaveFd_ = s;
    pty_ = Conn{m, false, {}, {}};
    if (pipe(wake_) != 0) return {};
    running_ = true;
    thread_ = std::thread([this] { Run(); });
    return name;
}

int CtlSim::StartTcp(uint16_t port) {
    Stop();
    int l = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (l < 0) return -1;
    int one = 1;
    setsockopt(l, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(port);
    socklen_t len = sizeof a;
    if (bind(l, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || listen(l, 4) != 0 ||
        getsockname(l, reinterpret_cast<sockaddr*>(&a), &len) != 0) {
        close(l);
        return -1;
    }
    SetNonBlocking(l);
    listenFd_ = l;
    if (pipe(wake_) != 0) return -1;
    running_ = true;
    thread_ = std::thread([this] { Run(); });
    return ntohs(a.sin_port);
}

void CtlSim::Stop() {
    if (thread_.joinable()) {
        running_ = false;
        char c = 1;
        if (write(wake_[1], &c, 1) < 0) {
        }
        thread_.join();
    }
    for (int* fd : {&wake_[0], &wake_[1], &listenFd_, &slaveFd_, &pty_.fd, &tcp_.fd}) {
        if (*fd >= 0) close(*fd);
        *fd = -1;
    }
    pty_.buf.clear();
    tcp_.buf.clear();
}

bool CtlSim::Pause(int ms) {
    if (ms <= 0) return running_;
    pollfd p{wake_[0], POLLIN, 0};
    poll(&p, 1, ms);
    return running_ && !(p.revents & POLLIN);
}

bool CtlSim::WriteAll(int fd, const uint8_t* p, size_t n) {
    size_t done = 0;
    while (done < n && running_) {
        // A socket whose peer has gone must not end the process with SIGPIPE.
        ssize_t w = send(fd, p + done, n - done, MSG_NOSIGNAL);
        if (w < 0 && errno == ENOTSOCK) w = write(fd, p + done, n - done);
        if (w > 0) {
            done += size_t(w);
        } else if (w < 0 && (errno == EAGAIN || errno == EINTR)) {
            pollfd q{fd, POLLOUT, 0};
            poll(&q, 1, 10);
        } else {
            return false;
        }
    }
    return done == n;
}

bool CtlSim::WritePaced(const Conn& c, const uint8_t* p, size_t n) {
    const auto byte = ByteTime(c);
    if (byte.count() == 0) return WriteAll(c.fd, p, n);
    const auto start = Clock::now();
    size_t done = 0;
    while (done < n) {
        const auto now = Clock::now();
        const size_t carried = std::min(n, size_t((now - start) / byte) + 1);  // as in Transmit
        if (carried > done) {
            if (!WriteAll(c.fd, p + done, carried - done)) return false;
            done = carried;
        } else if (!Pause(std::max(1, int(std::chrono::duration_cast<std::chrono::milliseconds>(
                                             start + byte * int64_t(done) - now).count()) + 1))) {
            return false;
        }
    }
    return true;
}

void CtlSim::Run() {
    uint8_t buf[512];
    while (running_) {
        pollfd fds[4];
        int n = 0;
        fds[n++] = {wake_[0], POLLIN, 0};
        int iListen = -1, iTcp = -1, iPty = -1;
        if (listenFd_ >= 0) iListen = n, fds[n++] = {listenFd_, POLLIN, 0};
        if (tcp_.fd >= 0) iTcp = n, fds[n++] = {tcp_.fd, POLLIN, 0};
        if (pty_.fd >= 0) iPty = n, fds[n++] = {pty_.fd, POLLIN, 0};
        const int next = FlushDue();
        int r = poll(fds, nfds_t(n), next >= 0 ? std::min(next, 50) : 50);
        FlushDue();
        if (!running_ || (fds[0].revents & POLLIN)) break;
        if (r <= 0) {
            // Drop a partial frame that stopped arriving.
            for (Conn* c : {&tcp_, &pty_})
                if (!c->buf.empty() && Clock::now() - c->lastByte > std::chrono::milliseconds(kPartialFrameMs))
                    c->buf.clear();
            continue;
        }
        if (iListen >= 0 && (fds[iListen].revents & POLLIN)) {
            int c = accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
            if (c >= 0) {
                // One client at a time, as a controller's Ethernet port serves one master.
                if (tcp_.fd >= 0) close(tcp_.fd);
                int one = 1;
                setsockopt(c, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
                tcp_ = Conn{c, true, {}, {}};
            }
        }
        if (iTcp >= 0 && (fds[iTcp].revents & (POLLIN | POLLHUP | POLLERR))) {
            ssize_t got = read(tcp_.fd, buf, sizeof buf);
            if (got > 0) {
                Feed(tcp_, buf, size_t(got));
            } else if (got == 0 || (errno != EAGAIN && errno != EINTR)) {
                close(tcp_.fd);
                tcp_ = Conn{};
            }
        }
        if (iPty >= 0 && (fds[iPty].revents & (POLLIN | POLLHUP | POLLERR))) {
            ssize_t got = read(pty_.fd, buf, sizeof buf);
            if (got > 0)
                Feed(pty_, buf, size_t(got));
            else
                Pause(5);  // nobody on the line
        }
    }
}

void CtlSim::Feed(Conn& c, const uint8_t* p, size_t n) {
    {
        std::lock_guard<std::mutex> lk(mu_);
        raw_.insert(raw_.end(), p, p + n);
    }
    if (!c.buf.empty() && Clock::now() - c.lastByte > std::chrono::milliseconds(kPartialFrameMs)) c.buf.clear();
    c.buf.insert(c.buf.end(), p, p + n);
    c.lastByte = Clock::now();
    Parse(c);
}

// Finds frames as a device does: skip to a start byte, take the length, check the CRC and
// the address. Anything that does not fit is skipped byte by byte.
void CtlSim::Parse(Conn& c) {
    auto& b = c.buf;
    while (!b.empty() && c.fd >= 0) {
        if (b[0] != kRequestStart) {
            b.erase(b.begin());
            continue;
        }
        if (b.size() < 3) return;
        size_t len = b[2];
        if (len < 6) {
            b.erase(b.begin());
            continue;
        }
        if (b.size() < len) return;
        std::vector<uint8_t> frame(b.begin(), b.begin() + long(len));
        if (Crc16(frame.data(), uint16_t(len)) != 0) {
            b.erase(b.begin());
            continue;
        }
        b.erase(b.begin(), b.begin() + long(len));
        uint8_t own;
        {
            std::lock_guard<std::mutex> lk(mu_);
            own = address;
        }
        if (frame[1] != own && frame[1] != 0xFF) continue;  // another controller's request
        Answer(c, frame);
    }
}

void CtlSim::Answer(Conn& c, const std::vector<uint8_t>& frame) {
    const auto asked = Clock::now();
    const uint8_t fn = frame[3];
    Faults f;
    Reply r;
    uint8_t own;
    {
        std::lock_guard<std::mutex> lk(mu_);
        requests_.push_back(frame);
        timeline_.push_back({std::chrono::duration<double, std::milli>(asked - made_).count(), false, frame});
        f = faults_;
        ++faultRequests_;
        if (f.lateEvery > 0 && faultRequests_ % f.lateEvery == 0) f.firstByteDelayMs = f.lateMs;
        if (std::find(f.brokenAt.begin(), f.brokenAt.end(), faultRequests_) != f.brokenAt.end()) f.badCrc = true;
        if (faults_.count > 0 && --faults_.count == 0) faults_ = Faults{};
        auto h = handlers_.find(fn);
        if (h == handlers_.end())
            r.error = 1;
        else if (h->second.second != 0 && int(frame.size()) != h->second.second)
            r.error = 2;
        else
            r = h->second.first(*this, frame);
        own = address;
        if (f.echoTable >= 0 && r.error < 0 && (fn == 1 || fn == 2) && r.data.size() >= 2)
            r.data[1] = uint8_t(f.echoTable);
    }
    if (f.silent || r.silent) return;
    if (f.hangUp) {
        if (!Pause(f.firstByteDelayMs)) return;
        // The pseudo-terminal dies with both of the simulator's ends, so the program's end
        // sees the hang-up.
        close(c.fd);
        if (!c.isTcp && slaveFd_ >= 0) {
            close(slaveFd_);
            slaveFd_ = -1;
        }
        c = Conn{};
        return;
    }
    uint8_t from = r.fromAddress >= 0 ? uint8_t(r.fromAddress) : own;
    if (f.otherAddress >= 0) from = uint8_t(f.otherAddress);
    std::vector<uint8_t> out;
    if (f.negativeCode >= 0)
        out = Frame(from, fn, {uint8_t(f.negativeCode), 0, f.negativeExtra});
    else if (r.error >= 0)
        out = Frame(from, fn, {uint8_t(r.error), 0, r.errorExtra});
    else
        out = Frame(from, uint8_t(fn + 0x80), r.data);
    if (f.badCrc) out.back() ^= 0x5A;
    bool planned;
    {
        std::lock_guard<std::mutex> lk(mu_);
        planned = bool(plan_);
    }
    // The request is heard when its last byte has come at the line rate: a reply's age
    // counts from then.
    const auto heard = asked + ByteTime(c) * int64_t(frame.size());
    if (planned) {
        Schedule(c, frame, std::move(out), heard);
        return;
    }

    const int hearing = int(std::chrono::duration_cast<std::chrono::milliseconds>(heard - Clock::now()).count());
    if (!Pause(std::max(hearing, 0) + f.firstByteDelayMs)) return;
    if (!f.noise.empty() && !WriteAll(c.fd, f.noise.data(), f.noise.size())) return;
    {
        // Noted before it is written, as the queued replies are.
        std::lock_guard<std::mutex> lk(mu_);
        NoteSent(heard, out);
        if (!f.badCrc) NoteMade(out, heard);
    }
    if (f.gapAfterByte >= 0 && size_t(f.gapAfterByte) < out.size()) {
        if (!WritePaced(c, out.data(), size_t(f.gapAfterByte)) || !Pause(f.gapMs)) return;
        if (!WritePaced(c, out.data() + f.gapAfterByte, out.size() - size_t(f.gapAfterByte))) return;
    } else if (!WritePaced(c, out.data(), out.size())) {
        return;
    }
    if (f.duplicateReply && Pause(f.duplicateDelayMs)) WritePaced(c, out.data(), out.size());
    std::lock_guard<std::mutex> lk(mu_);
    lineQuiet_ = Clock::now();
    ++replies_;
}

}  // namespace ctlsim
