// WatchSampler: a thread per sample, its result handed to the GUI thread.
#include "dialogs/watch_sampler.h"

#include <QThread>

#include "commissioning/connection_failure.h"
#include "ui/window_context.h"

namespace vx::ui {

namespace cm = vx::commissioning;

WatchSampler::WatchSampler(WindowContext& context, Taken taken, QObject* parent)
    : QObject(parent),
      port_(context.port()),
      taken_(std::move(taken)),
      connection_(context.connection()) {
    connection_.connection().observer = context.off_thread_observer();
}

WatchSampler::~WatchSampler() {
    if (thread_ != nullptr) {
        thread_->wait();
        delete thread_;
    }
}

bool WatchSampler::start(const std::vector<int>& variables) {
    if (thread_ != nullptr) {
        return false;
    }
    const int run = ++run_;
    thread_ = QThread::create([this, variables] {
        connection_.run([&](ControllerConnection& c) {
            sample_ = cm::sample_variables(c, variables);
            // Told while the socket is still lent: a dropped one means it closed.
            failure_ = sample_.answered ? std::string()
                                        : cm::ConnectionFailure::of_request(c).reason(port_);
        });
    });
    connect(thread_, &QThread::finished, this, [this, run] { take_result(run); });
    thread_->start();
    return true;
}

void WatchSampler::finish() {
    take_result(run_);
}

void WatchSampler::take_result(int run) {
    if (thread_ == nullptr || run != run_) {
        return;  // taken already by finish()
    }
    thread_->wait();
    delete thread_;
    thread_ = nullptr;
    taken_(sample_, failure_);
}

}  // namespace vx::ui
