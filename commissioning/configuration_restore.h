// Restoring a configuration: a plan of the writes that make the controller match a
// file (rows can be deselected), the writes, and the read-back that verifies them.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "commissioning/configuration.h"
#include "commissioning/configuration_compare.h"

namespace vx::commissioning {

enum class WriteOutcome {
    planned,   // not written (a dry run, deselected, or the run ended before it)
    written,   // the controller accepted the write
    verified,  // written, and the read-back holds the file's value
    failed,    // refused or unanswered, or the read-back still differs
};

struct RestoreRow {
    Difference difference;  // file is the value to write, controller the value it replaces
    bool selected = true;
    WriteOutcome outcome = WriteOutcome::planned;
    int code = 0;  // the write's result when it failed
};

// The commit that keeps the services (or the X10 entries) over the controller's next
// start. The controller can't be asked what it committed, so a restore commits what the
// file holds in scope at the end of every run, changed or not: a run after an interrupted
// one commits what that one switched.
struct CommitStep {
    bool wanted = false;
    std::optional<int> result;  // once sent: kDone, kNotCommitted or kNoReply
};

struct RestorePlan {
    std::vector<RestoreRow> rows;    // in the order they are written
    std::vector<PlaceNote> skipped;  // what can't be restored, and why (one note each)
    CommitStep services_commit;
    CommitStep x10_commit;
};

// What a restore limited to only reads from the controller: the file's sections in scope.
ReadPlan restore_read_plan(const Configuration& file, SerialPort* serial,
                           const std::vector<ConfigSection>& only);

// Rows for every value that differs, limited to the sections in only (all when empty).
// The registered modules themselves are not restored, nor their read-only parameters: the
// parameters of a module that is missing, of another type or unreadable on the
// controller, and X10 tables without a serial port, are skipped with a line.
RestorePlan plan_restore(const Configuration& file, const Configuration& controller,
                         const std::vector<ConfigSection>& only = {});

// Writes the selected rows in order: tables, parameters, X10, delay, and services last,
// so that a program switched off comes back on once its tables are right; then commits
// the services and X10 entries (after a stop or a lost reply only what was switched).
// A write without reply ends the run (kNoReply); kStopped when the observer asked to
// stop; kDone otherwise, refused writes included (their rows are failed).
int run_restore(ControllerConnection& c, SerialPort* serial, RestorePlan& plan,
                const StepObserver& observer = {});

// A restore's run and the read-back that marks its rows.
struct RestoreResult {
    int run = kNoLink;               // run_restore's code
    int read_back = kNoLink;         // read_configuration's: the rows were verified when kDone
    std::vector<std::string> notes;  // the read-back's
    Configuration reread;            // what the read-back found, when read_back is kDone
};

// Writes the plan's selected rows, then, whatever the run's end, reads back the file's
// sections in only and verifies the rows against them, so that the marks are true (a
// write whose reply was lost may have been applied). The link is asked before the writes
// and again before the read-back (kNoLink: it gave no connection). The writes stop as
// writing asks, the read-back as reading_back asks.
RestoreResult restore_and_verify(const ControllerLink& link, const Configuration& file,
                                 const std::vector<ConfigSection>& only, RestorePlan& plan,
                                 const StepObserver& writing, const StepObserver& reading_back);

// Marks each attempted row verified when the read-back holds the file's value (a write
// whose reply was lost may have been applied), else failed. Services and X10 rows are
// verified only once their commit succeeded.
void verify_restore(RestorePlan& plan, const Configuration& reread);

// A note for each commit that was sent and failed: "services: службы не сохранены в
// контроллере: нет ответа.", so that a script knows what will not last over a restart.
std::vector<PlaceNote> commit_failures(const RestorePlan& plan);

// Counts of the rows with each outcome.
struct RestoreSummary {
    int planned = 0, written = 0, verified = 0, failed = 0;
};
RestoreSummary summarize(const RestorePlan& plan);
// "Записано и проверено: 3, ошибок: 0, не записано: 0.", with ", записано без проверки: N"
// after the first count when the read-back did not come.
std::string restore_summary_text(const RestoreSummary& summary);

}  // namespace vx::commissioning
