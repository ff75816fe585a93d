#pragma once
// What the links over one descriptor (a tty, a TCP socket) share: the
// descriptor, its closing and the text of the last failure.

#include "ledgra/Transport.h"

#include <unistd.h>

class FdTransport : public ITransport {
public:
    ~FdTransport() override { FdTransport::Close(); }

    void Close() override {
        if (FFd >= 0)
            ::close(FFd);
        FFd = -1;
    }

    bool IsOpen() const override { return FFd >= 0; }

    QString LastError() const override { return FError; }

protected:
    // Opens a closed link before an exchange: 0 or Open's result code.
    int EnsureOpen() { return FFd >= 0 ? 0 : Open(); }

    int FFd = -1;
    QString FError;
};
