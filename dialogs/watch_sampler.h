// The watch's samples, each taken on a thread of its own so that a reply that never
// comes holds up nothing but the sample.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <QObject>

#include "commissioning/watch.h"
#include "protocol/shared_socket_connection.h"

class QThread;

namespace vx::ui {

class WindowContext;

class WatchSampler : public QObject {
    Q_OBJECT
public:
    // Called on the GUI thread with a sample taken; failure says why when it was not
    // answered ("нет ответа за 3 с").
    using Taken =
        std::function<void(const commissioning::WatchSample& sample, const std::string& failure)>;

    WatchSampler(WindowContext& context, Taken taken, QObject* parent = nullptr);
    // Waits for the sample in flight; its result goes nowhere.
    ~WatchSampler() override;

    // A read of all variables on the context's connection, on a thread of its own with
    // buffers of its own: requests of the GUI thread wait for it, as it waits for
    // theirs. False, with nothing started, while a sample is in flight.
    bool start(const std::vector<int>& variables);
    bool in_flight() const { return thread_ != nullptr; }
    // Waits for the sample in flight and hands it over now, not at the next event.
    void finish();

private:
    void take_result(int run);

    uint16_t port_;
    Taken taken_;
    SharedSocketConnection connection_;
    QThread* thread_ = nullptr;  // the sample in flight
    int run_ = 0;                // samples started: a late signal of an earlier one is ignored
    // Written by the thread, read once it has ended.
    commissioning::WatchSample sample_;
    std::string failure_;
};

}  // namespace vx::ui
