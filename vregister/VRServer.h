#pragma once
// Serves a virtual register over TCP: one thread accepts, one thread per
// client reads request frames and writes the answers. A client that sends a
// bad frame, or leaves a frame unfinished too long, loses its own connection
// only.

#include <QString>
#include <atomic>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <thread>

class VirtualRegister;

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
