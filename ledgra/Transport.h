#pragma once
// The links between the component and a device. Each carries whole frames of
// the device protocol; none knows what they mean.

#include <QByteArray>
#include <QString>
#include <memory>

class ITransport {
public:
    virtual ~ITransport() = default;
    // Opens the link: 0 or a result code.
    virtual int Open() = 0;
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;
    // Sends one request frame and waits up to timeoutMs for the whole answer
    // frame: 0 with the answer, or a result code (NoLink when nothing or half
    // a frame came back; the link is then closed).
    virtual int Exchange(const QByteArray& request, int timeoutMs, QByteArray& answer) = 0;
    // A text for a failure of Open that says more than the code's description.
    virtual QString LastError() const { return {}; }
};

// A serial line's settings, from the component's properties.
struct SerialOptions {
    int baudCode = 6;  // BaudRate: 0..9 = 2400, 4800, 9600, ... 921600
    int sendCount = 1; // MaxCommandSendCount: sends of a request the device stays silent to
    int readCount = 1; // MaxAnswerReadCount: answers read for one send, corrupt ones skipped
};

// The embedded virtual register of the database at dbPath (in this process).
std::unique_ptr<ITransport> MakeEmbeddedTransport(const QString& dbPath);
// The same register reached as a serial port (COM200): it answers only at its
// own rate; at another one a request goes unanswered for the timeout, as on a
// wire.
std::unique_ptr<ITransport> MakeEmbeddedSerialTransport(const QString& dbPath,
                                                        const SerialOptions& options);
// A tty (a real port, a USB adapter, the pty of vregisterd --pty).
std::unique_ptr<ITransport> MakeSerialTransport(const QString& device,
                                                const SerialOptions& options);
// A device on a TCP port (vregisterd or a register on the network).
std::unique_ptr<ITransport> MakeTcpTransport(const QString& host, int port, int connectTimeoutMs);
