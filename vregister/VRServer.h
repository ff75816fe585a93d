#pragma once
// Serves a virtual register over TCP: one thread accepts, one thread per
// client reads request frames and writes the answers. A client that sends a
// bad frame, or leaves a frame unfinished too long, loses its own connection
// only.

#include <QString>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <thread>

class VirtualRegister;
struct sockaddr_storage;

class VRServer {
public:
    struct Options {
        QString address = QStringLiteral("127.0.0.1");
        int port = 0; // 0: any free port
        int maxClients = 64;
        // A frame must be complete this long after its first byte.
        int frameTimeoutMs = 10000;
        // Reports of closed connections; stderr when empty. Called from the
        // client threads.
        std::function<void(const QString&)> log;
    };

    VRServer(std::shared_ptr<VirtualRegister> reg, Options options);
    ~VRServer();
    VRServer(const VRServer&) = delete;
    VRServer& operator=(const VRServer&) = delete;

    // Binds and starts accepting; false with a reason on failure.
    bool Start(QString* error);
    // Closes every connection and joins every thread. Safe to call twice.
    void Stop();

    int Port() const { return FPort; }
    QString Address() const { return FOptions.address; }
    int ClientCount() const;

private:
    struct Client {
        int fd = -1;
        std::thread thread;
        std::atomic<bool> done{false};
    };

    void AcceptLoop();
    void Serve(Client& c);
    void Log(const QString& text) const;
    void Reap(bool all);

    std::shared_ptr<VirtualRegister> FRegister;
    Options FOptions;
    int FListen = -1;
    int FPort = 0;
    int FStopFd = -1; // an eventfd: readable once Stop begins, wakes every poll
    std::thread FAcceptor;
    mutable std::mutex FClientsLock;
    std::list<Client> FClients;
};

// Serves a virtual register on a pseudo-terminal, as a register on a serial
// wire: the client opens the slave side (Path()) like any tty. A request is
// answered only when the speed the client set on its tty is the port's rate
// (tcgetattr on the master reads the termios of the slave, checked for every
// frame); at another rate the register hears noise and stays silent. The
// server keeps a descriptor of the slave open itself, so a client closing its
// side never hangs the master up: the next client is served the same way.
class VRPtyServer {
public:
    struct Options {
        // The rate code (0..9, 6 = 115200) the port answers at; -1: the
        // register's own serial rate, as its state says at each frame.
        int baudCode = -1;
        // The bytes of a frame come in one go: a half frame followed by this
        // long a pause is line noise and dropped.
        int gapMs = 500;
        std::function<void(const QString&)> log; // stderr when empty
    };

    VRPtyServer(std::shared_ptr<VirtualRegister> reg, Options options);
    ~VRPtyServer();
    VRPtyServer(const VRPtyServer&) = delete;
    VRPtyServer& operator=(const VRPtyServer&) = delete;

    // Opens the pty and starts serving; false with a reason on failure.
    bool Start(QString* error);
    // Stops serving and closes the pty. Safe to call twice.
    void Stop();
    // The slave's path (/dev/pts/N) clients open.
    QString Path() const { return FPath; }

private:
    void Serve();
    void Log(const QString& text) const;
    bool RateMatches();

    std::shared_ptr<VirtualRegister> FRegister;
    Options FOptions;
    int FMaster = -1;
    int FSlave = -1; // kept open: the master never sees a hang-up
    int FStopFd = -1;
    QString FPath;
    std::thread FThread;
};

// Announces a register on the network by UDP, as registers do for the
// wizard's network search: every intervalMs one datagram
//   "SN=<serial>;IP=<address>; port=<TCP port>"
// to host:port. The serial is read from the register at each announcement.
class VRAnnouncer {
public:
    struct Options {
        QString host = QStringLiteral("127.0.0.1");
        int port = 16327;
        int intervalMs = 2000;
        QString address; // the address announced (where the TCP server listens)
        int tcpPort = 0;
    };

    VRAnnouncer(std::shared_ptr<VirtualRegister> reg, Options options);
    ~VRAnnouncer();
    VRAnnouncer(const VRAnnouncer&) = delete;
    VRAnnouncer& operator=(const VRAnnouncer&) = delete;

    bool Start(QString* error);
    void Stop();

    // The datagram's text.
    static QByteArray Datagram(const QString& serial, const QString& address, int tcpPort);

private:
    void Run();

    std::shared_ptr<VirtualRegister> FRegister;
    Options FOptions;
    int FSocket = -1;
    std::unique_ptr<sockaddr_storage> FTarget;
    unsigned FTargetLen = 0;
    std::mutex FStopLock;
    std::condition_variable FStopSignal;
    bool FStop = false;
    std::thread FThread;
};
