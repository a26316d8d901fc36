#!/usr/bin/env python3
"""A calendar server that misbehaves on purpose, for the client's tests.

Serves on two loopback ports: the main one (https with --cert and --key,
else http) and another, always http, standing for a foreign origin. Writes
"MAIN OTHER" to --ports-file once both listen, logs every request as
"main|other METHOD PATH auth|none" to --log, and ends itself after --limit
seconds. Standard library only; never listens beyond 127.0.0.1.
"""

import argparse
import http.server
import os
import ssl
import threading
import zlib

MULTISTATUS_OPEN = (
    '<?xml version="1.0" encoding="utf-8"?>\n'
    '<multistatus xmlns="DAV:" xmlns:C="urn:ietf:params:xml:ns:caldav">'
)
MULTISTATUS_CLOSE = "</multistatus>"


def found(href, properties):
    return (
        f"<response><href>{href}</href><propstat><prop>{properties}</prop>"
        "<status>HTTP/1.1 200 OK</status></propstat></response>"
    )


def event(uid):
    return (
        "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nBEGIN:VEVENT\r\nUID:" + uid +
        "\r\nDTSTART;VALUE=DATE:19860214\r\nSUMMARY:" + uid +
        "\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n"
    )


_bomb = None
_bomb_lock = threading.Lock()


def gzip_bomb():
    """About 1 MiB that unpacks to 1 GiB: one block compressed once and
    repeated, each ending in a full flush so that it stands alone."""
    global _bomb
    with _bomb_lock:
        if _bomb is None:
            head = (MULTISTATUS_OPEN + "<response><href>/bomb</href>").encode()
            block = b" " * (1 << 20)
            blocks = 1024
            deflate = zlib.compressobj(9, zlib.DEFLATED, -15)
            start = deflate.compress(head) + deflate.flush(zlib.Z_FULL_FLUSH)
            repeated = deflate.compress(block) + deflate.flush(zlib.Z_FULL_FLUSH)
            again = deflate.compress(block) + deflate.flush(zlib.Z_FULL_FLUSH)
            assert repeated == again
            end = deflate.flush(zlib.Z_FINISH)
            crc = zlib.crc32(head)
            for _ in range(blocks):
                crc = zlib.crc32(block, crc)
            size = (len(head) + blocks * len(block)) & 0xFFFFFFFF
            _bomb = (
                b"\x1f\x8b\x08\x00\x00\x00\x00\x00\x00\xff" + start + repeated * blocks + end +
                crc.to_bytes(4, "little") + size.to_bytes(4, "little")
            )
        return _bomb


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, format, *args):
        pass

    def answer(self, status, body=b"", headers=()):
        if isinstance(body, str):
            body = body.encode()
        self.send_response(status)
        for name, value in headers:
            self.send_header(name, value)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def multistatus(self, responses):
        self.answer(207, MULTISTATUS_OPEN + responses + MULTISTATUS_CLOSE,
                    [("Content-Type", "application/xml; charset=utf-8")])

    def handle_one_request(self):
        try:
            super().handle_one_request()
        except (ConnectionError, ssl.SSLError, TimeoutError):
            self.close_connection = True

    def do_any(self):
        server = self.server
        auth = "auth" if self.headers.get("Authorization") else "none"
        server.log(f"{server.name} {self.command} {self.path} {auth}")
        length = int(self.headers.get("Content-Length") or 0)
        if length:
            self.rfile.read(length)
        main, other = server.ports
        scheme = server.scheme
        path = self.path

        redirects = {
            "/redirect/port/": f"http://127.0.0.1:{other}/dav/",
            "/redirect/localhost/": f"{scheme}://localhost:{main}/dav/",
            "/redirect/scheme/":
                f"{'http' if scheme == 'https' else 'https'}://127.0.0.1:{main}/dav/",
            "/redirect/userinfo/": f"{scheme}://ann:pw@127.0.0.1:{main}/dav/",
            "/redirect/same/": "/dav/",
            "/redirect/same-spelt-otherwise/": f"{scheme.upper()}://127.0.0.1:{main}/dav/",
        }
        if path in redirects:
            self.answer(301, headers=[("Location", redirects[path])])
        elif path.startswith("/dav/") or server.name == "other":
            # Discovery ends here: the principal, then the home, on this origin.
            self.multistatus(found(
                path,
                "<current-user-principal><href>/dav/principal/</href></current-user-principal>"
                "<C:calendar-home-set><href>/dav/home/</href></C:calendar-home-set>"))
        elif path == "/principal/foreign/":
            self.multistatus(found(
                path, f"<current-user-principal><href>http://127.0.0.1:{other}/dav/principal/"
                "</href></current-user-principal>"))
        elif path == "/home/foreign/":
            self.multistatus(found(
                path, f"<C:calendar-home-set><href>http://127.0.0.1:{other}/dav/home/</href>"
                "</C:calendar-home-set>"))
        elif path == "/calendar/problems/":
            data = f"<C:calendar-data>{event('a')}</C:calendar-data>"
            self.multistatus(
                found(path, "<getetag>\"col\"</getetag>") +
                found(path + "a.ics", "<getetag>\"a1\"</getetag>" + data) +
                f"<response><href>{path}b.ics</href>"
                "<status>HTTP/1.1 500 Internal Server Error</status></response>" +
                found(path + "c.ics", f"<C:calendar-data>{event('c')}</C:calendar-data>") +
                f"<response><href>{path}gone.ics</href>"
                "<status>HTTP/1.1 404 Not Found</status></response>")
        elif path == "/calendar/foreign-event/":
            self.multistatus(found(f"http://127.0.0.1:{other}/x.ics", "<getetag>\"x\"</getetag>"))
        elif path == "/calendar/large/":
            # 10,000 events of 2 KiB: a big shared calendar, 21 MiB in all.
            filler = "DESCRIPTION:" + "x" * 1900 + "\r\n"
            items = "".join(
                found(f"{path}{number}.ics", f"<getetag>\"{number}\"</getetag><C:calendar-data>" +
                      event(str(number)).replace("SUMMARY", filler + "SUMMARY") +
                      "</C:calendar-data>")
                for number in range(10000))
            self.multistatus(items)
        elif path == "/calendar/elements/":
            # Just under the bound, in elements that cost far more than their text.
            self.multistatus("<a/>" * ((31 << 20) // 4))
        elif path == "/gzip-bomb/":
            bomb = gzip_bomb()
            self.answer(207, bomb, [("Content-Type", "application/xml"),
                                    ("Content-Encoding", "gzip")])
        elif path in ("/huge/", "/huge-unsized/"):
            self.huge(200 << 20, sized=path == "/huge/")
        elif path == "/huge-headers/":
            self.send_response(207)
            for number in range(200):
                self.send_header(f"X-Filler-{number}", "x" * 2000)
            self.send_header("Content-Length", "0")
            self.end_headers()
        else:
            self.answer(404)

    def huge(self, size, sized):
        self.send_response(207)
        self.send_header("Content-Type", "application/xml")
        if sized:
            self.send_header("Content-Length", str(size))
        else:
            # Without a length the body ends when the connection does.
            self.send_header("Connection", "close")
            self.close_connection = True
        self.end_headers()
        chunk = b" " * (1 << 20)
        try:
            for _ in range(size // len(chunk)):
                self.wfile.write(chunk)
        except (ConnectionError, ssl.SSLError):
            self.close_connection = True

    do_GET = do_PUT = do_DELETE = do_PROPFIND = do_REPORT = do_MKCALENDAR = do_OPTIONS = do_any


class Server(http.server.ThreadingHTTPServer):
    daemon_threads = True

    def __init__(self, name, scheme, log):
        super().__init__(("127.0.0.1", 0), Handler)
        self.name = name
        self.scheme = scheme
        self.log = log
        self.ports = (0, 0)

    def handle_error(self, request, client_address):
        # A client that refuses the certificate ends the handshake: expected.
        self.log(f"{self.name} dropped")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--log", required=True)
    parser.add_argument("--ports-file", required=True)
    parser.add_argument("--cert")
    parser.add_argument("--key")
    parser.add_argument("--limit", type=float, default=120)
    options = parser.parse_args()

    threading.Timer(options.limit, lambda: os._exit(0)).start()
    log_file = open(options.log, "a", buffering=1)
    log_lock = threading.Lock()

    def log(line):
        with log_lock:
            log_file.write(line + "\n")

    secure = bool(options.cert)
    main_server = Server("main", "https" if secure else "http", log)
    other_server = Server("other", "http", log)
    if secure:
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(options.cert, options.key)
        # The handshake happens in the request's thread, so that a refused
        # one does not hold up the others.
        main_server.socket = context.wrap_socket(
            main_server.socket, server_side=True, do_handshake_on_connect=False)
    ports = (main_server.server_address[1], other_server.server_address[1])
    main_server.ports = other_server.ports = ports
    for server in (main_server, other_server):
        threading.Thread(target=server.serve_forever, daemon=True).start()
    written = options.ports_file + ".part"
    with open(written, "w") as file:
        file.write(f"{ports[0]} {ports[1]}\n")
    os.rename(written, options.ports_file)
    threading.Event().wait()


if __name__ == "__main__":
    main()
