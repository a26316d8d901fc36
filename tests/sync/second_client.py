#!/usr/bin/env python3
"""A second calendar client for the sync tests, through python3-caldav.

  second_client.py CALENDAR_URL USER PASSWORD read
      prints the title and start date of each event, one a line, sorted
  second_client.py CALENDAR_URL USER PASSWORD write UID TITLE YYYYMMDD
      adds a yearly all-day event, as a phone's calendar does
"""
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
    else:
        sys.exit("unknown mode " + mode)


if __name__ == "__main__":
    main()
