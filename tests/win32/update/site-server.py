#!/usr/bin/env python3
"""Serves an update site on 127.0.0.1:80 for the update test.

site-server.py ROOT SCENARIO: "no-installer" answers 404 for the installer,
"slow" sends the installer a few KiB at a time so that a download lasts long
enough to be watched and cancelled; "portal" answers the installer with a
sign-in page, as a captive portal does; any other scenario serves ROOT as it
is.
"""
import http.server
import os
import sys
import time

ROOT, MODE = sys.argv[1], sys.argv[2]
INSTALLER = "/imaging/tiff/orvane/installer.exe"


class Handler(http.server.SimpleHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def __init__(self, *args, **kwargs):
        super().__init__(*args, directory=ROOT, **kwargs)

    def do_GET(self):
        if self.path == INSTALLER and MODE == "no-installer":
            self.send_error(404)
            return
        if self.path == INSTALLER and MODE == "portal":
            page = b"<html><body>Please sign in to use this network</body></html>"
            self.send_response(200)
            self.send_header("Content-Type", "text/html")
            self.send_header("Content-Length", str(len(page)))
            self.end_headers()
            self.wfile.write(page)
            return
        if self.path == INSTALLER and MODE == "slow":
            path = os.path.join(ROOT, INSTALLER.lstrip("/"))
            size = os.path.getsize(path)
            self.send_response(200)
            self.send_header("Content-Length", str(size))
            self.end_headers()
            try:
                with open(path, "rb") as f:
                    while piece := f.read(4096):
                        self.wfile.write(piece)
                        self.wfile.flush()
                        time.sleep(0.05)
            except (BrokenPipeError, ConnectionResetError):
                pass
            return
        super().do_GET()

    def log_message(self, format, *args):
        sys.stderr.write("site: " + (format % args) + "\n")


http.server.ThreadingHTTPServer.allow_reuse_address = True
server = http.server.ThreadingHTTPServer(("127.0.0.1", 80), Handler)
print("ready", flush=True)
server.serve_forever()
