// The bounded exchange log and its statistics.
#include "protocol/exchange_log.h"

#include <algorithm>
#include <cmath>

#include "protocol/Socket_func.h"

namespace vx {

namespace {

// The value below which the given share of the durations lie (nearest rank).
std::chrono::microseconds percentile(std::vector<std::chrono::microseconds> durations,
                                     double share) {
    if (durations.empty()) {
        return std::chrono::microseconds{0};
    }
    const auto wanted =
        static_cast<std::size_t>(std::ceil(share * static_cast<double>(durations.size())));
    const std::size_t rank = std::max<std::size_t>(wanted, 1) - 1;
    std::nth_element(durations.begin(), durations.begin() + static_cast<std::ptrdiff_t>(rank),
                     durations.end());
    return durations[rank];
}

}  // namespace

ExchangeLog::ExchangeLog(std::size_t capacity) : capacity_(std::max<std::size_t>(capacity, 1)) {}

void ExchangeLog::add(const ExchangeRecord& record) {
    if (records_.size() == capacity_) {
        records_.pop_front();
    }
    records_.push_back(record);
    ++added_;
    ++since_clear_;
    if (record.target.kind == ExchangeTarget::Kind::none) {
        return;
    }
    ModuleCounts& module = modules_[record.target];
    module.statistics.target = record.target;
    ++module.statistics.requests;
    if (record.result != kDone) {
        ++module.statistics.failures;
        module.statistics.last_failure_time = record.start;
        module.statistics.last_failure_result = record.result;
    }
    if (module.round_trips.size() == kRoundTripSamples) {
        module.round_trips.pop_front();
    }
    module.round_trips.push_back(record.duration);
    module.total_round_trips += record.duration;
    module.statistics.longest_round_trip =
        std::max(module.statistics.longest_round_trip, record.duration);
}

void ExchangeLog::clear() {
    records_.clear();
    modules_.clear();
    since_clear_ = 0;
}

ExchangeSummary ExchangeLog::summary() const {
    ExchangeSummary s;
    s.total = since_clear_;
    std::vector<std::chrono::microseconds> durations;
    durations.reserve(records_.size());
    for (const ExchangeRecord& r : records_) {
        durations.push_back(r.duration);
        s.failures += r.result != kDone ? 1 : 0;
    }
    s.exchanges = records_.size();
    s.median = percentile(durations, 0.5);
    s.percentile_95 = percentile(std::move(durations), 0.95);
    return s;
}

std::vector<ModuleStatistics> ExchangeLog::module_statistics() const {
    std::vector<ModuleStatistics> result;
    result.reserve(modules_.size());
    for (const auto& [target, module] : modules_) {
        result.push_back(module.statistics);
        result.back().median_round_trip =
            percentile({module.round_trips.begin(), module.round_trips.end()}, 0.5);
        result.back().mean_round_trip = module.total_round_trips / module.statistics.requests;
    }
    return result;
}

}  // namespace vx
