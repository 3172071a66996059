#pragma once
// What a till's windows do while the program waits for the shop server. The database layer knows
// no windows: the window layer installs its hooks at start-up, and a program without windows, or
// a thread that owns none, just waits.

namespace marvono {

class ServerWaitHooks {
  public:
    virtual ~ServerWaitHooks() = default;
    // Whether the calling thread has windows to keep painted while it waits.
    virtual bool keepsWindowsPainted() const = 0;
    // The wait has gone on long enough for the operator to notice; slowWaitEnded() follows it.
    virtual void slowWaitStarted() = 0;
    virtual void slowWaitEnded() = 0;
    // Paints the windows and runs their timers; the operator's input stays queued.
    virtual void pumpEvents() = 0;
};

// Installed once, before the first connection; the hooks live until the process ends.
void setServerWaitHooks(ServerWaitHooks* hooks);

} // namespace marvono
