#!/usr/bin/env python3
"""One calendar collection at /cal/ with the habits of servers the tests
cannot run: it names the collection and its events in a different spelling
in each reply, may answer a PUT without an ETag, and may refuse every sync
token with DAV:valid-sync-token (403 as RFC 6578 says, or another status),
as a server that keeps no history.

  quirky_calendar_server.py --port PORT [--spellings plain,escaped,...]
      [--put-etag yes|no] [--refuse-tokens STATUS] [--limit SECONDS]

Spellings, used in turn, one a reply: plain (/cal/a@b.ics), escaped (every
byte but letters and digits escaped, the collection without its slash),
absolute (http://LOCALHOST:PORT/cal/..., the host in capitals), with-port
(http://127.0.0.1:PORT/cal/..., the port written even where it is the
default), slashless (the collection without its slash). POST /control/forget gives the
collection a new token without changing it, as a server restarted.
Standard library only; listens on 127.0.0.1 alone and ends itself after
--limit seconds.
"""

import argparse
import hashlib
import http.server
import os
import re
import threading
import urllib.parse
from xml.sax.saxutils import escape

REFUSED_TOKEN = ('<?xml version="1.0" encoding="utf-8"?>\n'
                 '<d:error xmlns:d="DAV:"><d:valid-sync-token/></d:error>')
NS = ('xmlns:d="DAV:" xmlns:c="urn:ietf:params:xml:ns:caldav" '
      'xmlns:cs="http://calendarserver.org/ns/"')


class Calendar:
    def __init__(self, args):
        self.args = args
        self.lock = threading.Lock()
        self.events = {}   # name: (data, etag, change)
        self.removed = {}  # name: change
        self.change = 0
        self.generation = 1
        self.replies = 0

    def token(self):
        return f"urn:quirky:{self.generation}-{self.change}"

    def href(self, name=""):
        """The collection's or a member's href, spelled as this reply's turn says."""
        spellings = self.args.spellings
        spelling = spellings[self.replies % len(spellings)]
        if spelling == "escaped":
            path = "/%63al" + ("/" + "".join(
                c if c.isalnum() else "%%%02X" % ord(c) for c in name) if name else "")
        elif spelling == "slashless":
            path = "/cal" + ("/" + name if name else "")
        else:
            path = "/cal/" + name
        if spelling == "absolute":
            return f"http://LOCALHOST:{self.args.port}{path}"
        if spelling == "with-port":
            return f"http://127.0.0.1:{self.args.port}{path}"
        return path


def name_of(reference):
    """The member a path or URL names within /cal/: "" for the collection,
    None for anything else."""
    path = urllib.parse.unquote(urllib.parse.urlsplit(reference).path)
    if path.rstrip("/") == "/cal":
        return ""
    if path.startswith("/cal/") and "/" not in path[5:]:
        return path[5:]
    return None


def found(href, properties):
    return (f"<d:response><d:href>{escape(href)}</d:href><d:propstat><d:prop>{properties}"
            "</d:prop><d:status>HTTP/1.1 200 OK</d:status></d:propstat></d:response>")


def gone(href):
    return (f"<d:response><d:href>{escape(href)}</d:href>"
            "<d:status>HTTP/1.1 404 Not Found</d:status></d:response>")


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, format, *args):
        pass

    def answer(self, status, body="", headers=()):
        data = body.encode()
        self.send_response(status)
        for key, value in headers:
            self.send_header(key, value)
        if data:
            self.send_header("Content-Type", "application/xml; charset=utf-8")
        self.send_header("Content-Length", str(len(data)))
        self.end_headers()
        self.wfile.write(data)

    def multistatus(self, calendar, responses):
        calendar.replies += 1
        self.answer(207, f'<?xml version="1.0" encoding="utf-8"?>\n<d:multistatus {NS}>'
                    f"{responses}</d:multistatus>")

    def do_any(self):
        calendar = self.server.calendar
        length = int(self.headers.get("Content-Length") or 0)
        body = self.rfile.read(length).decode() if length else ""
        with calendar.lock:
            if self.command == "POST" and self.path == "/control/forget":
                calendar.generation += 1
                return self.answer(204)
            name = name_of(self.path)
            if name is None:
                return self.answer(404)
            method = getattr(self, "on_" + self.command.lower(), None)
            if method is None:
                return self.answer(405)
            method(calendar, name, body)

    do_PROPFIND = do_REPORT = do_PUT = do_DELETE = do_GET = do_POST = do_any

    def on_propfind(self, calendar, name, body):
        if name or self.headers.get("Depth") != "0":
            return self.answer(403)
        token = escape(calendar.token())
        self.multistatus(calendar, found(
            calendar.href(),
            "<d:resourcetype><d:collection/><c:calendar/></d:resourcetype>"
            "<d:displayname>Quirky</d:displayname><c:supported-calendar-component-set>"
            '<c:comp name="VEVENT"/></c:supported-calendar-component-set>'
            f"<cs:getctag>{token}</cs:getctag><d:sync-token>{token}</d:sync-token>"))

    def event(self, calendar, name, with_data):
        data, etag, _ = calendar.events[name]
        properties = f"<d:getetag>{escape(etag)}</d:getetag>"
        if with_data:
            properties += f"<c:calendar-data>{escape(data)}</c:calendar-data>"
        return found(calendar.href(name), properties)

    def on_report(self, calendar, name, body):
        if name:
            return self.answer(405)
        if "sync-collection" in body:
            return self.changes(calendar, body)
        if "calendar-multiget" in body:
            responses = ""
            for href in re.findall(r"<[^>]*href>([^<]*)</", body):
                member = name_of(href.replace("&amp;", "&"))
                responses += (self.event(calendar, member, True)
                              if member in calendar.events else gone(href))
            return self.multistatus(calendar, responses)
        with_data = "calendar-data" in body
        self.multistatus(calendar, "".join(
            self.event(calendar, member, with_data) for member in sorted(calendar.events)))

    def changes(self, calendar, body):
        token = re.search(r"sync-token>([^<]*)<", body)
        token = token.group(1) if token else ""
        prefix = f"urn:quirky:{calendar.generation}-"
        since = token[len(prefix):] if token.startswith(prefix) else ""
        if calendar.args.refuse_tokens or not since.isdigit() or int(since) > calendar.change:
            return self.answer(calendar.args.refuse_tokens or 403, REFUSED_TOKEN)
        since = int(since)
        responses = "".join(self.event(calendar, member, False)
                            for member, (_, _, change) in sorted(calendar.events.items())
                            if change > since)
        responses += "".join(gone(calendar.href(member))
                             for member, change in sorted(calendar.removed.items())
                             if change > since)
        self.multistatus(calendar, responses + f"<d:sync-token>{escape(calendar.token())}"
                         "</d:sync-token>")

    def on_get(self, calendar, name, body):
        if name not in calendar.events:
            return self.answer(404)
        data, etag, _ = calendar.events[name]
        self.answer(200, data, [("ETag", etag)])

    def on_put(self, calendar, name, body):
        present = name in calendar.events
        if_match = self.headers.get("If-Match")
        if ((self.headers.get("If-None-Match") == "*" and present) or
                (if_match and (not present or calendar.events[name][1] != if_match))):
            return self.answer(412)
        calendar.change += 1
        etag = '"%s"' % hashlib.sha1(f"{calendar.change}{body}".encode()).hexdigest()[:16]
        calendar.events[name] = (body, etag, calendar.change)
        calendar.removed.pop(name, None)
        headers = [("ETag", etag)] if calendar.args.put_etag == "yes" else []
        self.answer(204 if present else 201, headers=headers)

    def on_delete(self, calendar, name, body):
        if name not in calendar.events:
            return self.answer(404)
        if_match = self.headers.get("If-Match")
        if if_match and calendar.events[name][1] != if_match:
            return self.answer(412)
        calendar.change += 1
        del calendar.events[name]
        calendar.removed[name] = calendar.change
        self.answer(204)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--port", type=int, required=True)
    parser.add_argument("--spellings", default="plain",
                        type=lambda text: text.split(","))
    parser.add_argument("--put-etag", choices=("yes", "no"), default="yes")
    parser.add_argument("--refuse-tokens", type=int, default=0)
    parser.add_argument("--limit", type=float, default=120)
    args = parser.parse_args()
    server = http.server.ThreadingHTTPServer(("127.0.0.1", args.port), Handler)
    server.daemon_threads = True
    server.calendar = Calendar(args)
    # Never outlives a test that forgot it.
    threading.Timer(args.limit, lambda: os._exit(0)).start()
    server.serve_forever()


if __name__ == "__main__":
    main()
