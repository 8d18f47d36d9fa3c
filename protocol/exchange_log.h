// The last exchanges kept for a monitor or a support report, with statistics
// per module and a summary of round trips.
#pragma once

#include <chrono>
#include <cstddef>
#include <deque>
#include <map>
#include <vector>

#include "protocol/exchange_observer.h"

namespace vx {

struct ModuleStatistics {
    ExchangeTarget target;
    long requests = 0;
    long failures = 0;  // exchanges whose result was not kDone
    std::chrono::system_clock::time_point last_failure_time{};
    int last_failure_result = 0;
    std::chrono::microseconds median_round_trip{0};  // over its latest kRoundTripSamples
    std::chrono::microseconds mean_round_trip{0};    // over every one of its requests
    std::chrono::microseconds longest_round_trip{0};
};

struct ExchangeSummary {
    std::size_t exchanges = 0;  // the records kept
    std::size_t total = 0;      // every exchange since the last clear, kept or not
    std::size_t failures = 0;
    std::chrono::microseconds median{0};
    std::chrono::microseconds percentile_95{0};
};

// Bounded: the oldest record goes when a new one would pass the capacity.
// Module statistics count every exchange added since the last clear(), not
// only the records still kept.
class ExchangeLog {
public:
    static constexpr std::size_t kDefaultCapacity = 10000;
    static constexpr std::size_t kRoundTripSamples = 1000;  // per module, for its median

    explicit ExchangeLog(std::size_t capacity = kDefaultCapacity);

    void add(const ExchangeRecord& record);
    void clear();

    const std::deque<ExchangeRecord>& records() const { return records_; }
    // Records added since the log was made, clear() not resetting it: a reader
    // that keeps the count it last saw knows how many of the records are new.
    std::size_t added() const { return added_; }
    ExchangeSummary summary() const;  // over the records kept
    // Modules named by a request, in address order, bus modules before ModBus devices.
    std::vector<ModuleStatistics> module_statistics() const;

private:
    struct ModuleCounts {
        ModuleStatistics statistics;
        std::deque<std::chrono::microseconds> round_trips;
        std::chrono::microseconds total_round_trips{0};
    };

    std::size_t capacity_;
    std::deque<ExchangeRecord> records_;
    std::size_t added_ = 0;
    std::size_t since_clear_ = 0;
    std::map<ExchangeTarget, ModuleCounts> modules_;
};

}  // namespace vx
