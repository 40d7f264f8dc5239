#!/usr/bin/env python3
"""A stand-in for the ZPX encoder board's web interface, on a loopback address.

Usage: zpx_board_sim.py [--address 127.x.y.z] [--port N] [--scenario FILE] [--mode-file FILE]

Prints "READY <port>" once it listens. Every route sits behind HTTP basic authentication for
user "admin"; state["password"] says which password the board takes: "first" (tb2031kmzwe),
"second" (zelt) or "none" (every log-in is refused). Routes:
  GET  /index_multi.asp                      an HTML page with var SYS_VER = "<firmware>";
  GET  /asp-get/fwvmdget.asp?FwModId=0       IMGSIZE0=<code>;FRAMERATE0=<code>;...
  POST /cgi-bin/admin/fwvmdset.cgi           "application/x-www-form-urlencoded", exactly the
        fields AudioInstalled=0&OsdTimeStamp=0&FrameRate0=<n>&ImgSize0=<n>&CodecType0=2&FwModId=0&FwCgiVer=0x0001
        in that order, with codes the firmware knows; anything else gets 400

state["firmware"] is the firmware text ("4.28-b17", "4.27", "5.1-b2", ...); the codes follow
its minor number (24-27, 28, 29; any other firmware uses those of 24-27). state["mode"] is one
of "720p15", "720p30", "1080p15", "1080p30".

Route names for faults: "index", "settings", "form". Faults besides the transport ones of
board_common: "no-marker" (an index page without the firmware text), "garbage" (a settings
page without the two keys).
"""

import base64
import os
import re
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from board_common import Board, BoardHandler, run  # noqa: E402

USER = "admin"
PASSWORDS = {"first": "tb2031kmzwe", "second": "zelt"}
PICTURES = {"720p15": (1280, 720, 15), "720p30": (1280, 720, 30), "1080p15": (1920, 1080, 15),
            "1080p30": (1920, 1080, 30)}
FORM = re.compile(r"^AudioInstalled=0&OsdTimeStamp=0&FrameRate0=(\d+)&ImgSize0=(\d+)"
                  r"&CodecType0=2&FwModId=0&FwCgiVer=0x0001$")


def codes_for(firmware):
    """(frame rate 30, frame rate 15, size 1080, size 720) of a firmware text."""
    match = re.match(r"^(\d+)\.(\d+)-", firmware)
    minor = int(match.group(2)) if match and match.group(1) == "4" else 0
    if minor == 28:
        return (10, 11, 8, 6)
    if minor == 29:
        return (10, 11, 9, 6)
    return (0, 3, 9, 6)


class ZPXBoard(Board):
    def __init__(self):
        super().__init__({"mode": "1080p30", "firmware": "4.28-b17", "password": "first"})

    def picture(self):
        return PICTURES.get(self.state.get("mode"))


class Handler(BoardHandler):
    def authorised(self):
        password = PASSWORDS.get(self.board.state.get("password"))
        header = self.headers.get("Authorization", "")
        if not password or not header.startswith("Basic "):
            return False
        try:
            given = base64.b64decode(header[6:]).decode("utf-8")
        except (ValueError, UnicodeDecodeError):
            return False
        return given == USER + ":" + password

    def handle_route(self, method, body):
        path = self.path
        if path == "/index_multi.asp" and method == "GET":
            route = "index"
        elif path == "/asp-get/fwvmdget.asp?FwModId=0" and method == "GET":
            route = "settings"
        elif path == "/cgi-bin/admin/fwvmdset.cgi" and method == "POST":
            route = "form"
        else:
            self.board.record({"route": "unknown", "method": method, "path": path})
            self.send_body(404, "", "text/html")
            return
        authorised = self.authorised()
        self.board.record({"route": route, "method": method, "path": path, "authorised": authorised,
                           "contentType": self.headers.get("Content-Type", ""),
                           "body": body.decode("utf-8", "replace")})
        if not authorised:
            self.send_body(401, "<html>401 Unauthorized</html>", "text/html",
                           {"WWW-Authenticate": 'Basic realm="ZPX Encoder"'})
            return
        fault = self.board.take_fault(route)
        getattr(self, "route_" + route)(body, fault)

    def route_index(self, body, fault):
        marker = "" if fault == "no-marker" else 'var SYS_VER = "%s";\n' % self.board.state["firmware"]
        page = ("<html><head><script>\nvar SYS_NAME = \"ZPX\";\n%svar SYS_MODEL = \"VS-1\";\n"
                "</script></head><body>Video server</body></html>" % marker)
        self.send_body(200, page, "text/html", fault=fault)

    def route_settings(self, body, fault):
        rate30, rate15, size1080, size720 = codes_for(self.board.state["firmware"])
        mode = self.board.state["mode"]
        size = size1080 if mode.startswith("1080") else size720
        rate = rate15 if mode.endswith("15") else rate30
        page = "FWMODID=0; CODECTYPE0=2; IMGSIZE0=%d; FRAMERATE0=%d; BITRATE0=4096;" % (size, rate)
        if fault == "garbage":
            page = "<html>error</html>"
        self.send_body(200, page, "text/plain", fault=fault)

    def route_form(self, body, fault):
        if fault in ("close", "no-answer") or (fault or "").startswith("status:"):
            self.send_body(200, "", "text/html", fault=fault)  # the change is lost with the answer
            return
        content_type = self.headers.get("Content-Type", "")
        match = FORM.match(body.decode("utf-8", "replace"))
        mode = None
        if content_type == "application/x-www-form-urlencoded" and match:
            rate30, rate15, size1080, size720 = codes_for(self.board.state["firmware"])
            rate, size = int(match.group(1)), int(match.group(2))
            sizes = {size720: "720p", size1080: "1080p"}
            rates = {rate30: "30", rate15: "15"}
            if size in sizes and rate in rates:
                mode = sizes[size] + rates[rate]
        if not mode:
            self.send_body(400, "<html>400 Bad Request</html>", "text/html", fault=fault)
            return
        with self.board.lock:
            self.board.state["mode"] = mode
        self.board.write_mode_file()
        self.send_body(200, "<html>OK</html>", "text/html", fault=fault)


if __name__ == "__main__":
    run(ZPXBoard(), Handler, "ZPX encoder board simulator")
