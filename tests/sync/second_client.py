#!/usr/bin/env python3
"""A second calendar client for the sync tests, through python3-caldav.

  second_client.py CALENDAR_URL USER PASSWORD read
      prints the title and start date of each event, one a line, sorted
  second_client.py CALENDAR_URL USER PASSWORD write UID TITLE YYYYMMDD
      adds a yearly all-day event, as a phone's calendar does
  second_client.py CALENDAR_URL USER PASSWORD alarms
      prints each event's title and its alarms' triggers in seconds from the
      start, "ours" or "theirs" after each, one event a line, sorted
  second_client.py CALENDAR_URL USER PASSWORD add-alarm UID DAYS
      adds a display alarm DAYS days before the event, as a phone does
"""
import datetime
import sys

import caldav


def main():
    url, user, password, mode = sys.argv[1:5]
    client = caldav.DAVClient(url=url, username=user, password=password)
    calendar = client.calendar(url=url)
    if mode == "read":
        lines = []
        for event in calendar.events():
            vevent = event.vobject_instance.vevent
            # Servers that store the event anew may reorder the rule's
            # parts: FREQ first, the rest sorted.
            parts = vevent.rrule.value.split(";")
            rule = ";".join([parts[0]] + sorted(parts[1:]))
            lines.append("%s|%s|%s" % (vevent.summary.value,
                                       vevent.dtstart.value.strftime("%Y%m%d"), rule))
        for line in sorted(lines):
            print(line)
    elif mode == "write":
        uid, title, date = sys.argv[5:8]
        calendar.save_event(
            "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Second client//EN\r\n"
            "BEGIN:VEVENT\r\nUID:%s\r\nDTSTAMP:20261209T120000Z\r\n"
            "DTSTART;VALUE=DATE:%s\r\nRRULE:FREQ=YEARLY\r\nSUMMARY:%s\r\n"
            "END:VEVENT\r\nEND:VCALENDAR\r\n" % (uid, date, title))
    elif mode == "alarms":
        lines = []
        for event in calendar.events():
            vevent = event.vobject_instance.vevent
            line = vevent.summary.value
            for alarm in vevent.contents.get("valarm", []):
                trigger = alarm.trigger.value
                ours = "x-tessaly-alarm" in alarm.contents
                line += "|%d %s" % (trigger.total_seconds(), "ours" if ours else "theirs")
            lines.append(line)
        for line in sorted(lines):
            print(line)
    elif mode == "add-alarm":
        uid, days = sys.argv[5:7]
        event = calendar.event_by_uid(uid)
        alarm = event.vobject_instance.vevent.add("valarm")
        alarm.add("action").value = "DISPLAY"
        alarm.add("description").value = "Reminder"
        alarm.add("trigger").value = datetime.timedelta(days=-int(days))
        event.data = event.vobject_instance.serialize()
        event.save()
    else:
        sys.exit("unknown mode " + mode)


if __name__ == "__main__":
    main()
