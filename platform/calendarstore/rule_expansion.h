// The instances of one RRULE, worked out on the calendar rather than by
// walking its periods: a day that cannot match costs a few comparisons, a
// month or year outside the rule's grid nothing, and a COUNT is reached by
// adding up whole periods. The parts combine as RFC 5545 3.3.10's table
// says; wall-clock fields are read in the event's zone.
//
// Not thread-safe: an expansion keeps the times of day it has worked out.
#ifndef ZYLO_PLATFORM_CALENDARSTORE_RULE_EXPANSION_H_
#define ZYLO_PLATFORM_CALENDARSTORE_RULE_EXPANSION_H_

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/calendarstore/item_record.h"
#include "platform/foundation/civil_days.h"

namespace calendarstore {

class RuleExpansion {
 public:
  // None when the text is no rule, or its parts are not allowed together
  // (a numbered weekday in a weekly rule): such a rule adds nothing.
  static std::optional<RuleExpansion> read(const std::string& rrule, const StoredTime& start);

  // Calls `visit` with each instant the rule yields in [from, to) after the
  // event's start, ascending, until `visit` answers false. Dates that a
  // zone's gap carries onto one instant come once.
  void forEach(foundation::Date from, foundation::Date to,
               const std::function<bool(foundation::Date)>& visit);
  // How many instances come before `original`, the start among them: what
  // a COUNT counts.
  int64_t countBefore(foundation::Date original);
  // At most how many instances lie in [from, to), and close to it for a
  // range of many periods; quick where forEach would make them one by one.
  int64_t countWithin(foundation::Date from, foundation::Date to);

  enum class Frequency { kSecondly, kMinutely, kHourly, kDaily, kWeekly, kMonthly, kYearly };

 private:
  struct Weekday {
    int ordinal;  // 0 for every such day
    int day;      // 0 = Monday
  };
  struct Block {
    int64_t firstDay, endDay;  // days since 1970-01-01
  };

  explicit RuleExpansion(const StoredTime& start) : start_(start) {}
  void fillDefaults();
  // Calls `visit` with the wall-clock seconds of the instances after the
  // start and before `to`, from `from` on, until it answers false; counts
  // in `counted` every instance before `to` the walk passes (COUNT's tally),
  // all of them from the start when the rule has a COUNT or `firstBlock` is
  // 0, else from `firstBlock` or the period holding `from`.
  void walk(int64_t from, int64_t to, int64_t& counted, std::optional<int64_t> firstBlock,
            const std::function<bool(int64_t)>& visit);
  Block blockAt(int64_t k) const;
  int64_t blockAtOrBefore(int64_t day) const;
  void matchingDays(const Block& block, std::vector<int64_t>& days) const;
  bool dayMatches(int64_t day) const;
  bool weekNumberMatches(int64_t day, int64_t year) const;
  const std::vector<int32_t>& timesOf(int64_t day);
  std::vector<int32_t> subDailyTimes(int64_t phase) const;
  int64_t wallOf(foundation::Date at) const;

  StoredTime start_;
  int64_t startWall_ = 0, startDay_ = 0;
  foundation::CivilDay startCivil_{};
  Frequency freq_ = Frequency::kDaily;
  int64_t interval_ = 1;
  int64_t count_ = 0;
  std::optional<foundation::Date> until_;
  int weekStart_ = 0;
  uint16_t months_ = 0;  // bit m for month m; 0 for every month
  std::vector<int> monthDays_, yearDays_, weekNumbers_, setPositions_;
  std::vector<Weekday> weekdays_;
  std::vector<int> hours_, minutes_, seconds_;
  bool limitsDays_ = false;        // whether any part leaves out days
  std::vector<int32_t> dayTimes_;  // the times of day of a daily or longer rule
  std::unordered_map<int64_t, std::vector<int32_t>> timesByPhase_;
  struct {
    int64_t block = 0, counted = 1;  // instances before that block, the start among them
  } counting_;
};

}  // namespace calendarstore

#endif  // ZYLO_PLATFORM_CALENDARSTORE_RULE_EXPANSION_H_
