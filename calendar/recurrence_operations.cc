// Making the current event repeat, and making it single again.
#include "calendar/ical_functions.h"
#include "calendar/operation_status.h"
#include "errors/error_codes.h"

namespace zylo {
namespace {

using Rule = CalRecurrenceRule;
using IntList = std::optional<std::vector<int32_t>>;

enum class Frequency { kDaily, kWeekly, kMonthly, kYearly };

std::optional<Frequency> frequencyFor(const foundation::OptionalString& keyword) {
  if (!keyword) return std::nullopt;
  const foundation::String k = foundation::lowercased(*keyword);
  if (k == u"daily") return Frequency::kDaily;
  if (k == u"weekly") return Frequency::kWeekly;
  if (k == u"monthly") return Frequency::kMonthly;
  if (k == u"yearly") return Frequency::kYearly;
  return std::nullopt;
}

// The rule of the first shape the arguments fit, tried from the most
// specific to the plain one; parts that do not belong to the frequency are
// ignored. Null when the rule refuses the numbers.
Rule::Ptr ruleFor(Frequency frequency, int32_t interval, const IntList& dotw, const IntList& dotm,
                  int32_t dow, int32_t weekOfTheMonth, const IntList& months, Rule::End end) {
  // Week 0, every such weekday of the month, counts as a week too.
  const bool nthWeekday = dow > 0 && weekOfTheMonth >= -1;
  switch (frequency) {
    case Frequency::kDaily:
      return Rule::initDailyRecurrenceWithInterval(interval, end);
    case Frequency::kWeekly:
      if (dotw) return Rule::initWeeklyRecurrenceWithInterval(interval, *dotw, end);
      return Rule::initWeeklyRecurrenceWithInterval(interval, end);
    case Frequency::kMonthly:
      if (nthWeekday) {
        return Rule::initMonthlyRecurrenceWithInterval(interval, dow, weekOfTheMonth, end);
      }
      if (dotm) return Rule::initMonthlyRecurrenceWithInterval(interval, *dotm, end);
      return Rule::initMonthlyRecurrenceWithInterval(interval, end);
    case Frequency::kYearly:
      if (nthWeekday && months) {
        return Rule::initYearlyRecurrenceWithInterval(interval, dow, weekOfTheMonth, *months, end);
      }
      if (months) return Rule::initYearlyRecurrenceWithInterval(interval, *months, end);
      return Rule::initYearlyRecurrenceWithInterval(interval, end);
  }
  return nullptr;
}

}  // namespace

int32_t iCalFunctions::addRecurrence(const foundation::OptionalString& frequency, int32_t interval,
                                     const IntList& dotw, const IntList& dotm, int32_t dow,
                                     int32_t weekOfTheMonth, const IntList& monthsOfTheYear,
                                     std::optional<foundation::Date> endWithDate,
                                     int32_t endWithCount) {
  const std::optional<Frequency> kind = frequencyFor(frequency);
  if (!kind) return failWith(kInvalidArgument);
  if (!m_event) return failWith(kInvalidCallOrder);

  Rule::End end;
  const bool ends = endWithDate || endWithCount > 0;
  if (endWithDate) {
    end = CalRecurrenceEnd::recurrenceEndWithEndDate(*endWithDate);
  } else if (endWithCount > 0) {
    end = CalRecurrenceEnd::recurrenceEndWithOccurrenceCount(endWithCount);
  }
  if (ends && !end) return failWith(kNoRecurrenceEnd);

  Rule::Ptr rule =
      ruleFor(*kind, interval, dotw, dotm, dow, weekOfTheMonth, monthsOfTheYear, std::move(end));
  if (!rule) return failWith(kNoRecurrenceRule);
  m_event->setRecurrenceRule(std::move(rule));
  // A rule read before would describe the event as it no longer is.
  m_recurrencerule.reset();
  return 0;
}

int32_t iCalFunctions::removeRecurrence() {
  if (!m_event) return failWith(kInvalidCallOrder);
  m_event->setRecurrenceRule(nullptr);
  m_recurrencerule.reset();
  return 0;
}

}  // namespace zylo
