#include "platform/calendarstore/component_editor.h"

#include "platform/calendarstore/ical_time.h"
#include "platform/calendarstore/text_forms.h"
#include "platform/calendarstore/zone_definitions.h"

namespace calendarstore {
namespace {

icalproperty* newTimeProperty(icalproperty_kind kind, icaltimetype t) {
  icalproperty* p = icalproperty_new(kind);
  icalproperty_set_value(p, timeValue(t));
  return p;
}

}  // namespace

ComponentEditor::ComponentEditor(ZonePtr zone) : zone_(std::move(zone)), zoneName_(zone_->name()) {
  // UTC is written as UTC ("Z"), and a zone no VTIMEZONE can be made for is
  // written in UTC rather than under a name other programs could not resolve.
  if (zoneName_ && (isUtcName(*zoneName_) || !hasDefinition(*zoneName_))) zoneName_.reset();
}

void ComponentEditor::removeAll(icalcomponent* c, icalproperty_kind kind) {
  while (icalproperty* p = icalcomponent_get_first_property(c, kind)) {
    icalcomponent_remove_property(c, p);
    icalproperty_free(p);
  }
}

void ComponentEditor::setText(icalcomponent* c, icalproperty_kind kind,
                              const foundation::OptionalString& text) {
  removeAll(c, kind);
  if (!text || text->empty()) return;
  icalproperty* p = icalproperty_new(kind);
  icalproperty_set_value(p, icalvalue_new_text(fileText(*text).c_str()));
  icalcomponent_add_property(c, p);
}

void ComponentEditor::setUrl(icalcomponent* c, const std::optional<foundation::Url>& url) {
  removeAll(c, ICAL_URL_PROPERTY);
  if (url) icalcomponent_add_property(c, icalproperty_new_url(foundation::toUtf8(url->absoluteString()).c_str()));
}

icaltimetype ComponentEditor::localTime(foundation::Date at, const foundation::TimeZone& zone, bool asDate,
                                        icalproperty_kind kind) const {
  // An end date closes the day before it; every other date opens its day.
  if (asDate && kind != ICAL_DTEND_PROPERTY) return icalTimeOf(foundation::splitAsStartOfDay(at, zone), true);
  return icalTimeOf(foundation::splitGregorian(at, zone), asDate);
}

void ComponentEditor::setTime(icalcomponent* c, icalproperty_kind kind,
                              std::optional<foundation::Date> at, bool asDate) {
  removeAll(c, kind);
  if (!at) return;
  if (asDate) {
    icalcomponent_add_property(c, newTimeProperty(kind, localTime(*at, *zone_, true, kind)));
  } else if (zoneName_) {
    icalproperty* p = newTimeProperty(kind, localTime(*at, *zone_, false, kind));
    icalproperty_add_parameter(p, icalparameter_new_tzid(zoneName_->c_str()));
    icalcomponent_add_property(c, p);
  } else {
    setUtcTime(c, kind, at);
  }
}

bool ComponentEditor::startsADay(foundation::Date at) const {
  const foundation::LocalDateTime l = foundation::splitGregorian(at, *zone_);
  return l.hour == 0 && l.minute == 0 && l.second == 0;
}

void ComponentEditor::setUtcTime(icalcomponent* c, icalproperty_kind kind,
                                 std::optional<foundation::Date> at) {
  removeAll(c, kind);
  if (!at) return;
  icaltimetype t = localTime(*at, *foundation::fixedOffsetZone(0), false, kind);
  t.zone = icaltimezone_get_utc_timezone();
  icalcomponent_add_property(c, newTimeProperty(kind, t));
}

void ComponentEditor::addTimeLike(icalcomponent* c, icalproperty_kind kind, foundation::Date at,
                                  icalproperty* like, const ZonePtr& likeZone) {
  icalvalue* v = icalproperty_get_value(like);
  const icaltimetype reference = icalvalue_get_datetime(v);
  icaltimetype t = localTime(at, *likeZone, reference.is_date, kind);
  if (!reference.is_date && icaltime_is_utc(reference)) t.zone = icaltimezone_get_utc_timezone();
  icalproperty* p = newTimeProperty(kind, t);
  if (icalparameter* tzid = icalproperty_get_first_parameter(like, ICAL_TZID_PARAMETER)) {
    icalproperty_add_parameter(p, icalparameter_new_clone(tzid));
  }
  icalcomponent_add_property(c, p);
}

void ComponentEditor::setTimeLike(icalcomponent* c, icalproperty_kind kind, foundation::Date at,
                                  icalproperty* like, const ZonePtr& likeZone) {
  icalproperty* pattern = icalproperty_new_clone(like);
  removeAll(c, kind);
  addTimeLike(c, kind, at, pattern, likeZone);
  icalproperty_free(pattern);
}

void ComponentEditor::setRule(icalcomponent* c, const std::optional<std::string>& rrule) {
  removeAll(c, ICAL_RRULE_PROPERTY);
  if (!rrule) return;
  icalproperty* p = icalproperty_new_from_string(("RRULE:" + *rrule).c_str());
  if (p) icalcomponent_add_property(c, p);
}

void ComponentEditor::setInteger(icalcomponent* c, icalproperty_kind kind, std::optional<int> value) {
  removeAll(c, kind);
  if (!value) return;
  icalproperty* p = icalproperty_new(kind);
  icalproperty_set_value(p, icalvalue_new_integer(*value));
  icalcomponent_add_property(c, p);
}

void ComponentEditor::setStatus(icalcomponent* c, std::optional<icalproperty_status> status) {
  removeAll(c, ICAL_STATUS_PROPERTY);
  if (status) icalcomponent_add_property(c, icalproperty_new_status(*status));
}

void ComponentEditor::touch(icalcomponent* c, foundation::Date now) {
  icalproperty* sequence = icalcomponent_get_first_property(c, ICAL_SEQUENCE_PROPERTY);
  setInteger(c, ICAL_SEQUENCE_PROPERTY, sequence ? icalproperty_get_sequence(sequence) + 1 : 0);
  setUtcTime(c, ICAL_DTSTAMP_PROPERTY, now);
  setUtcTime(c, ICAL_LASTMODIFIED_PROPERTY, now);
}

}  // namespace calendarstore
