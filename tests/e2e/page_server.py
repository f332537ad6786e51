#!/usr/bin/env python3
"""A portal stand-in for the new-window walk: every page is a link to /printable.html that
fills the whole page and opens in a new window (target="_blank"); /printable.html is a page of
its own. Listens on 127.0.0.1 only, prints "listening on PORT", writes one line per request
("GET /path") to LOG, and stops by itself after SECONDS.

    page_server.py LOG SECONDS
"""
import http.server
import sys
import threading

LINK = ("<!DOCTYPE html><html><head><title>Attendance</title></head><body>"
        "<a href='/printable.html' target='_blank' style='position:fixed;left:0;top:0;"
        "width:100%;height:100%;display:block'>Printable copy</a></body></html>")
PRINTABLE = ("<!DOCTYPE html><html><head><title>Printable Attendance</title></head>"
             "<body><p>Term to date: 38 days present.</p></body></html>")


class Handler(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        with open(sys.argv[1], "a", encoding="utf-8") as log:
            log.write(f"GET {self.path}\n")
        body = (PRINTABLE if self.path == "/printable.html" else LINK).encode()
        self.send_response(200)
        self.send_header("Content-Type", "text/html; charset=utf-8")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, *args):
        pass


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    threading.Timer(float(sys.argv[2]), server.shutdown).start()
    print(f"listening on {server.server_address[1]}", flush=True)
    server.serve_forever()


if __name__ == "__main__":
    main()
