#!/usr/bin/env python3
"""A stand-in for the Hoselux camera's HTTP-CGI interface, on 127.0.0.1 only.

Usage: camera_sim.py [--port N] [--scenario FILE] [--log FILE] [--media DIR]

With --media, photos and videos hold real media made in DIR at start (a JPEG still of the
pattern the RTSP peer streams, an H.264 MP4 clip, a small JPEG thumbnail of the still) instead
of deterministic filler bytes and the fixed thumbnail.

Prints "READY <port>" once it listens. HTTP/1.1 with keep-alive. The camera state (mode,
resolutions, recording, alert bits, free space, files) can be read and changed through
"/__sim/..." control routes, and faults can be injected per route:

  POST /__sim/faults   {"<route>": [{"fault": "<name>", "count": <n, -1 = always>}], ...}
  GET  /__sim/log      the requests seen so far (JSON list)
  GET  /__sim/state    the camera state (JSON)
  POST /__sim/state    merge JSON into the camera state
  POST /__sim/files    {"path": ..., "format": "jpeg"|"MP4"|..., "size": n, "time": "...",
                        "listedSize": n or text (the size the file list gives, whatever the
                        content; null: the list gives none), "content": latin-1 text or
                        "contentBase64": bytes with NULs (the file's bytes instead of filler)}
  POST /__sim/sessions-expire   forget every log-in (the next request gets 712)
  GET  /__sim/content?path=/SD/...   the raw bytes of a file

Routes: login, logout, get, set, alert, dir, del, thumb, file.
Faults: one-line, non-numeric, crlf, html, no-answer, close-mid-body, no-length (the answer has
no Content-Length and ends with the connection), slow, stall (a quarter of the
body, then nothing until the client closes the connection), 404,
ignore-range, shifted-range (a Range is answered with 206 from half the asked offset, its
Content-Range saying so), unsatisfiable-range (a Range is answered with 416, as one that starts
at the file's end is), status:<n> (the status line becomes n), raw:<text> (the whole body),
the answers without end of hostile_answers.py beside this folder (endless, endless-length,
endless-close, trickle, gzip-bomb), on "dir" nested (a list whose elements nest 3 million
deep) and on "thumb" pixel-bomb (a JPEG that claims 20000 x 20000 pixels);
transport faults combine with "+", for example "slow+ignore-range". Of a file, instead:
endless-page (a 404 page in chunks, as fast as it is read, that never ends), trickle (the file
at 64 bytes every 50 ms), crawl (16 bytes every 50 ms). On any route, cut:<n>: the answer has no
Content-Length and the connection closes after its first n body bytes.
"""

import argparse
import base64
import hashlib
import json
import os
import secrets
import signal
import socket
import sys
import threading
import time
import urllib.parse
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
import hostile_answers  # noqa: E402

# A 16x12 baseline JPEG, the thumbnail of every file.
THUMBNAIL = base64.b64decode(
    "/9j/4AAQSkZJRgABAQEAZABkAAD/2wBDABALDA4MChAODQ4SERATGCgaGBYWGDEjJR0oOjM9PDkzODdASFxOQERXRTc4UG1R"
    "V19iZ2hnPk1xeXBkeFxlZ2P/2wBDARESEhgVGC8aGi9jQjhCY2NjY2NjY2NjY2NjY2NjY2NjY2NjY2NjY2NjY2NjY2NjY2Nj"
    "Y2NjY2NjY2NjY2NjY2P/wAARCAAMABADASIAAhEBAxEB/8QAHwAAAQUBAQEBAQEAAAAAAAAAAAECAwQFBgcICQoL/8QAtRAA"
    "AgEDAwIEAwUFBAQAAAF9AQIDAAQRBRIhMUEGE1FhByJxFDKBkaEII0KxwRVS0fAkM2JyggkKFhcYGRolJicoKSo0NTY3ODk6"
    "Q0RFRkdISUpTVFVWV1hZWmNkZWZnaGlqc3R1dnd4eXqDhIWGh4iJipKTlJWWl5iZmqKjpKWmp6ipqrKztLW2t7i5usLDxMXG"
    "x8jJytLT1NXW19jZ2uHi4+Tl5ufo6erx8vP09fb3+Pn6/8QAHwEAAwEBAQEBAQEBAQAAAAAAAAECAwQFBgcICQoL/8QAtREA"
    "AgECBAQDBAcFBAQAAQJ3AAECAxEEBSExBhJBUQdhcRMiMoEIFEKRobHBCSMzUvAVYnLRChYkNOEl8RcYGRomJygpKjU2Nzg5"
    "OkNERUZHSElKU1RVVldYWVpjZGVmZ2hpanN0dXZ3eHl6goOEhYaHiImKkpOUlZaXmJmaoqOkpaanqKmqsrO0tba3uLm6wsPE"
    "xcbHyMnK0tPU1dbX2Nna4uPk5ebn6Onq8vP09fb3+Pn6/9oADAMBAAIRAxEAPwCnRRRXsnkn/9k="
)

USER = "admin"
PASSWORD = "tovel"

PARAMETERS = {
    "Camera.Battery.Level": lambda s: str(s["battery"]),
    "Buzzer": lambda s: str(s["buzzer"]),
    "Camera.Menu.Alert": lambda s: str(alert_bits(s)),
    "Camera.Total.File.Number": lambda s: str(len(s["files"])),
    "Camera.Record.TheLastFileName": lambda s: s["last_file"],
    "Camera.Record.Total": lambda s: str(s["record_total"]),
    "Camera.MBytes.Remaining": lambda s: str(s["mbytes"]),
    "Camera.Timestamp.Enable": lambda s: s["timestamp"],
    "Net.WIFI_AP.CryptoKey": lambda s: s["key"],
    "Net.WIFI_AP.SSID": lambda s: s["ssid"],
    "Camera.Menu.Flicker": lambda s: s["flicker"],
    "Camera.Menu.FWversion": lambda s: s["firmware"],
    "Camera.Menu.ImageRes": lambda s: s["imageres"],
    "Camera.Menu.LoopingVideo": lambda s: s["looping"],
    "Camera.Menu.Timelapse": lambda s: s["timelapse"],
    "Camera.Menu.UIMode": lambda s: s["mode"],
    "Camera.Menu.VideoClipTime": lambda s: s["cliptime"],
    "Camera.Menu.VideoRes": lambda s: s["videores"],
}

SETTABLE = {
    "UIMode": ("mode", ["VIDEO", "CAMERA", "BURST", "TIMELAPSE", "SLOWMOTION", "SETTING", "UPDATEFW"]),
    "Videores": ("videores", ["1440P30", "1080P60", "1080P30", "720P60", "720P30"]),
    "Imageres": ("imageres", ["8MP", "6MP", "3MP"]),
    "Flicker": ("flicker", ["50Hz", "60Hz"]),
    "LoopingVideo": ("looping", ["OFF", "15MIN", "10MIN", "5MIN"]),
    "VideoClipTime": ("cliptime", ["OFF", "15MIN", "5MIN"]),
    "Timelapse": ("timelapse", ["HalfSEC", "1SEC", "3SEC", "30SEC", "60SEC"]),
    "Camera.Timestamp.Enable": ("timestamp", ["0", "1"]),
    "Net.WIFI_AP.SSID": ("ssid", None),
    "Net.WIFI_AP.CryptoKey": ("key", None),
    "TimeSettings": ("clock", None),
}


def alert_bits(state):
    return int(state["alert"]) | (0x08 if state["recording"] else 0)


# Real media by format ("jpeg", "mp4"), set by --media; filler bytes otherwise.
MEDIA = {}


class FillerBytes:
    """Deterministic bytes of a file, different for every path and at every offset, made as they
    are read: made whole when the file is added, 200 MiB took longer than a control request may
    on a loaded machine. Sliced like bytes."""

    BLOCK = 65536

    def __init__(self, path, size):
        self.seed = hashlib.sha256(path.encode("utf-8")).digest()
        self.size = size

    def __len__(self):
        return self.size

    def block(self, index):
        return hashlib.shake_128(self.seed + index.to_bytes(8, "big")).digest(self.BLOCK)

    def __getitem__(self, key):
        start, stop, step = key.indices(self.size)
        assert step == 1
        if start >= stop:
            return b""
        first = start // self.BLOCK
        blocks = b"".join(self.block(index) for index in range(first, (stop - 1) // self.BLOCK + 1))
        return blocks[start - first * self.BLOCK:stop - first * self.BLOCK]


class Camera:
    def __init__(self, scenario):
        self.lock = threading.Lock()
        self.sessions = set()
        self.faults = {}
        self.log = []
        self.counter = 0
        self.state = {
            "mode": "VIDEO", "videores": "1080P60", "imageres": "8MP", "recording": False,
            "alert": 0, "mbytes": 2027, "battery": 80, "firmware": "HX-1.4.2", "flicker": "50Hz",
            "looping": "OFF", "cliptime": "OFF", "timelapse": "1SEC", "buzzer": 2, "timestamp": "1",
            "ssid": "HX-Camera", "key": "", "record_total": 0, "last_file": "", "clock": "",
            "login_available": True, "files": [],
        }
        self.add_file({"path": "/SD/DCIM/100MEDIA/IMG0001.JPG", "format": "jpeg", "size": 4096,
                       "time": "2026-03-01 10:00:00"})
        self.add_file({"path": "/SD/DCIM/100MEDIA/MOV0001.MP4", "format": "MP4", "size": 65536,
                       "time": "2026-03-01 10:05:00"})
        for key, value in (scenario or {}).items():
            if key == "files":
                self.state["files"] = []
                for entry in value:
                    self.add_file(entry)
            else:
                self.state[key] = value

    def add_file(self, entry):
        entry = dict(entry)
        entry.setdefault("format", "jpeg")
        entry.setdefault("size", 4096)
        entry.setdefault("time", time.strftime("%Y-%m-%d %H:%M:%S"))
        if "content" in entry:
            entry["data"] = entry.pop("content").encode("latin-1")
            entry["size"] = len(entry["data"])
        elif "contentBase64" in entry:
            entry["data"] = base64.b64decode(entry.pop("contentBase64"))
            entry["size"] = len(entry["data"])
        elif entry["format"].lower() in MEDIA:
            entry["data"] = MEDIA[entry["format"].lower()]
            entry["size"] = len(entry["data"])
        else:
            entry["data"] = FillerBytes(entry["path"], int(entry["size"]))
        self.state["files"].append(entry)

    def find(self, path):
        for entry in self.state["files"]:
            if entry["path"] == path:
                return entry
        return None

    def take_fault(self, route):
        rules = self.faults.get(route) or []
        for rule in rules:
            count = rule.get("count", 1)
            if count == 0:
                continue
            if count > 0:
                rule["count"] = count - 1
            return rule["fault"]
        return None

    def public_state(self):
        state = {k: v for k, v in self.state.items() if k != "files"}
        state["files"] = [{k: v for k, v in f.items() if k != "data"} for f in self.state["files"]]
        state["alert_bits"] = alert_bits(self.state)
        state["sessions"] = len(self.sessions)
        return state


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "HXCameraSim/1.0"
    # A head and its body go out in separate writes: with Nagle's algorithm the body would
    # wait for the client's delayed acknowledgement of the head, some 40 ms on every answer.
    disable_nagle_algorithm = True

    def log_message(self, fmt, *args):  # quiet
        pass

    @property
    def camera(self):
        return self.server.camera

    # ----- plumbing -------------------------------------------------------------------------
    def send_body(self, status, body, content_type="text/plain", headers=None, fault=None):
        if isinstance(body, str):
            body = body.encode("utf-8")
        names = set(fault.split("+")) if fault else set()
        for name in names:
            if hostile_answers.send(self, name, content_type):
                return
        if "no-answer" in names:
            deadline = time.time() + 30
            while time.time() < deadline and not self.server.stopping:
                time.sleep(0.05)
            self.close_connection = True
            return
        if "404" in names:
            status, body, content_type = 404, b"<html><body>Not Found</body></html>", "text/html"
        cut = next((int(name[4:]) for name in names if name.startswith("cut:")), None)
        if cut is not None:
            body = body[:cut]
            names.add("no-length")
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        if "no-length" in names:
            # The body ends only with the connection.
            self.send_header("Connection", "close")
            self.close_connection = True
        else:
            self.send_header("Content-Length", str(len(body)))
        for key, value in (headers or {}).items():
            self.send_header(key, value)
        self.end_headers()
        try:
            if "close-mid-body" in names:
                self.wfile.write(body[: max(1, len(body) // 2)])
                self.wfile.flush()
                self.close_connection = True
                return
            if "stall" in names:
                # A quarter of the body, then nothing until the client lets the connection go
                # (bounded): whatever the load, a pause or a cancel comes in the middle of it.
                self.wfile.write(body[: max(1, len(body) // 4)])
                self.wfile.flush()
                self.wait_for_client_to_close(30)
                self.close_connection = True
                return
            if "slow" in names:
                step = 1024
                for start in range(0, len(body), step):
                    self.wfile.write(body[start:start + step])
                    self.wfile.flush()
                    time.sleep(0.005)
                return
            # In pieces: filler bytes are made as they are sliced.
            for start in range(0, len(body), 1 << 20):
                self.wfile.write(body[start:start + (1 << 20)])
        except (BrokenPipeError, ConnectionResetError):
            self.close_connection = True

    def wait_for_client_to_close(self, seconds):
        deadline = time.time() + seconds
        self.connection.settimeout(0.05)
        while time.time() < deadline and not self.server.stopping:
            try:
                if not self.connection.recv(1, socket.MSG_PEEK):
                    return
            except socket.timeout:
                continue
            except OSError:
                return
            time.sleep(0.05)

    def text_reply(self, lines, fault=None):
        body = "\n".join(lines) + "\n"
        if fault == "one-line":
            body = lines[0]
        elif fault == "non-numeric":
            body = "OK\n" + "\n".join(lines[1:]) + "\n"
        elif fault == "crlf":
            body = body.replace("\n", "\r\n")
        elif fault == "html":
            self.send_body(200, "<html><head><title>Camera</title></head><body>0\nbusy</body></html>\n",
                           "text/html")
            return
        elif fault and fault.startswith("status:"):
            body = fault.split(":", 1)[1] + "\n" + "\n".join(lines[1:]) + "\n"
        elif fault and fault.startswith("raw:"):
            body = fault.split(":", 1)[1]
        transport = ("no-answer", "close-mid-body", "slow", "404") + hostile_answers.HTTP_SHAPES
        passed = fault in transport or (fault or "").startswith("cut:")
        self.send_body(200, body, fault=fault if passed else None)

    def session_ok(self):
        cookie = self.headers.get("Cookie", "")
        for part in cookie.split(";"):
            name, _, value = part.strip().partition("=")
            if name == "hxsession" and value in self.camera.sessions:
                return True
        return False

    def record(self, route, parsed):
        entry = {"route": route, "path": parsed.path, "query": parsed.query,
                 "range": self.headers.get("Range", ""), "cookie": self.headers.get("Cookie", "")}
        with self.camera.lock:
            self.camera.log.append(entry)

    # ----- GET ------------------------------------------------------------------------------
    def do_GET(self):
        parsed = urllib.parse.urlsplit(self.path)
        path = parsed.path
        if path.startswith("/__sim/"):
            return self.control_get(path, parsed)
        query = urllib.parse.parse_qs(parsed.query, keep_blank_values=True)
        action = query.get("action", [""])[0]
        if path == "/cgi-bin/User.cgi":
            route = "login" if action == "login" else "logout"
        elif path == "/cgi-bin/Alert.cgi":
            route = "alert"
        elif path == "/cgi-bin/Config.cgi":
            route = {"get": "get", "set": "set", "dir": "dir", "del": "del"}.get(action, "config")
        elif path.startswith("/thumb/"):
            route = "thumb"
        else:
            route = "file"
        self.record(route, parsed)
        with self.camera.lock:
            fault = self.camera.take_fault(route)
        getattr(self, "route_" + route, self.route_unknown)(parsed, query, fault)

    def route_unknown(self, parsed, query, fault):
        self.send_body(404, "not found")

    def route_login(self, parsed, query, fault):
        with self.camera.lock:
            available = self.camera.state["login_available"]
        if not available:
            self.send_body(404, "<html><body>Not Found</body></html>", "text/html")
            return
        if query.get("user", [""])[0] != USER or query.get("pass", [""])[0] != PASSWORD:
            self.text_reply(["712", "Unauthorized"], fault)
            return
        token = secrets.token_hex(8)
        with self.camera.lock:
            self.camera.sessions.add(token)
        if fault:
            self.text_reply(["0", "OK"], fault)
            return
        self.send_body(200, "0\nOK\n", headers={"Set-Cookie": "hxsession=%s; Path=/" % token})

    def route_logout(self, parsed, query, fault):
        if not self.session_ok():
            self.text_reply(["712", "Unauthorized"], fault)
            return
        cookie = self.headers.get("Cookie", "")
        with self.camera.lock:
            for part in cookie.split(";"):
                name, _, value = part.strip().partition("=")
                if name == "hxsession":
                    self.camera.sessions.discard(value)
        self.text_reply(["0", "OK"], fault)

    def route_get(self, parsed, query, fault):
        if not self.session_ok():
            self.text_reply(["712", "Unauthorized"], fault)
            return
        lines = ["0", "OK"]
        with self.camera.lock:
            for name in query.get("property", []):
                if name in PARAMETERS:
                    lines.append("%s=%s" % (name, PARAMETERS[name](self.camera.state)))
        self.text_reply(lines, fault)

    def route_alert(self, parsed, query, fault):
        if not self.session_ok():
            self.text_reply(["712", "Unauthorized"], fault)
            return
        with self.camera.lock:
            bits = alert_bits(self.camera.state)
        self.text_reply(["0", "OK", "Camera.Menu.Alert=%d" % bits], fault)

    def route_set(self, parsed, query, fault):
        if not self.session_ok():
            self.text_reply(["712", "Unauthorized"], fault)
            return
        prop = query.get("property", [""])[0]
        value = query.get("value", [""])[0]
        status = "0"
        with self.camera.lock:
            state = self.camera.state
            if prop == "Video":
                status = self.camera_action(value)
            elif prop == "Buzzer":
                if value.isdigit():
                    state["buzzer"] = int(value)
                else:
                    status = "1"
            elif prop in SETTABLE:
                key, allowed = SETTABLE[prop]
                if allowed is not None and value not in allowed:
                    status = "1"
                elif prop in ("Videores", "Imageres", "UIMode") and state["recording"]:
                    status = "1"
                else:
                    state[key] = value
            else:
                status = "1"
        self.text_reply([status, "OK" if status == "0" else "FAIL"], fault)

    def camera_action(self, value):
        state = self.camera.state
        self.camera.counter += 1
        number = len(state["files"]) + self.camera.counter
        if value == "capture":
            if state["mode"] != "CAMERA" or state["recording"]:
                return "1"
            path = "/SD/DCIM/100MEDIA/IMG%04d.JPG" % number
            self.camera.add_file({"path": path, "format": "jpeg", "size": 2048 + number})
            state["last_file"] = path[1:].lower()
            return "0"
        if value == "record_start":
            if state["mode"] != "VIDEO" or state["recording"]:
                return "1"
            state["recording"] = True
            path = "/SD/DCIM/100MEDIA/MOV%04d.MP4" % number
            state["recording_path"] = path
            state["last_file"] = path[1:].lower()
            return "0"
        if value == "record_stop":
            if not state["recording"]:
                return "1"
            state["recording"] = False
            self.camera.add_file({"path": state.pop("recording_path"), "format": "MP4", "size": 8192 + number})
            return "0"
        return "1"

    def route_dir(self, parsed, query, fault):
        if not self.session_ok():
            self.text_reply(["712", "Unauthorized"], fault)
            return
        try:
            start = int(query.get("from", ["0"])[0])
            count = int(query.get("count", ["0"])[0])
        except ValueError:
            start, count = 0, 0
        with self.camera.lock:
            files = self.camera.state["files"][start:start + count]
            parts = ["<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<DCIM>\n"]
            for entry in files:
                listed = entry.get("listedSize", len(entry["data"]))
                size = "" if listed is None else "<size>%s</size>" % xml_escape(listed)
                parts.append("<file><name>%s</name><format>%s</format>%s<time>%s</time></file>\n"
                             % (xml_escape(entry["path"]), xml_escape(entry["format"]), size,
                                xml_escape(entry["time"])))
            parts.append("</DCIM>\n")
        body = "".join(parts)
        if fault == "html":
            body = "<html><body><p>broken</html>"
        elif fault == "nested":
            body = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<DCIM>" + "<a>" * 3000000
        elif fault and fault.startswith("raw:"):
            body = fault.split(":", 1)[1]
        self.send_body(200, body, "text/xml", fault=fault)

    def route_del(self, parsed, query, fault):
        if not self.session_ok():
            self.text_reply(["712", "Unauthorized"], fault)
            return
        prop = query.get("property", [""])[0]
        path = prop.replace("$", "/")
        with self.camera.lock:
            entry = self.camera.find(path)
            if entry is not None:
                self.camera.state["files"].remove(entry)
        self.text_reply(["0" if entry is not None else "1", "OK" if entry is not None else "FAIL"], fault)

    def route_thumb(self, parsed, query, fault):
        path = urllib.parse.unquote(parsed.path[len("/thumb"):])
        with self.camera.lock:
            entry = self.camera.find(path)
        if entry is None:
            self.send_body(404, "not found")
            return
        body = MEDIA.get("thumbnail", THUMBNAIL)
        if fault == "html":
            body = b"<html><body>no image</body></html>"
        elif fault == "pixel-bomb":
            body = claim_size(THUMBNAIL, 20000, 20000)
        self.send_body(200, body, "image/jpeg", fault=fault)

    def route_file(self, parsed, query, fault):
        path = urllib.parse.unquote(parsed.path)
        with self.camera.lock:
            entry = self.camera.find(path)
        if entry is None:
            self.send_body(404, "not found")
            return
        data = entry["data"]
        content_type = "video/mp4" if entry["format"].lower() == "mp4" else "image/jpeg"
        names = (fault or "").split("+")
        if "endless-page" in names or "trickle" in names or "crawl" in names:
            self.file_without_end(data, content_type, "endless-page" in names, 16 if "crawl" in names else 64)
            return
        header = self.headers.get("Range", "")
        if header and "ignore-range" not in (fault or "").split("+"):
            start, end = parse_range(header, len(data))
            if start is None or "unsatisfiable-range" in (fault or "").split("+"):
                self.send_response(416)
                self.send_header("Content-Range", "bytes */%d" % len(data))
                self.send_header("Content-Length", "0")
                self.end_headers()
                return
            if "shifted-range" in (fault or "").split("+"):
                start = start // 2
            body = data[start:end + 1]
            headers = {"Content-Range": "bytes %d-%d/%d" % (start, end, len(data)), "Accept-Ranges": "bytes"}
            self.send_body(206, body, content_type, headers, fault=fault)
            return
        self.send_body(200, data, content_type, {"Accept-Ranges": "bytes"}, fault=fault)

    def file_without_end(self, data, content_type, endless_page, piece=64):
        """An error page that never ends, or the file at a trickle; until the reader goes."""
        deadline = time.time() + 300
        if endless_page:
            self.send_response(404)
            self.send_header("Content-Type", "text/html")
            self.send_header("Transfer-Encoding", "chunked")
        else:
            self.send_response(200)
            self.send_header("Content-Type", content_type)
            self.send_header("Content-Length", str(len(data)))
        self.end_headers()
        self.close_connection = True
        chunk = b"<p>Not Found</p>" * 4096
        sent = 0
        try:
            while time.time() < deadline and not self.server.stopping:
                if endless_page:
                    self.wfile.write(b"%x\r\n%s\r\n" % (len(chunk), chunk))
                else:
                    if sent >= len(data):
                        return
                    self.wfile.write(data[sent:sent + piece])
                    self.wfile.flush()
                    sent += piece
                    time.sleep(0.05)
        except (BrokenPipeError, ConnectionResetError):
            pass

    # ----- control --------------------------------------------------------------------------
    def control_get(self, path, parsed):
        if path == "/__sim/log":
            with self.camera.lock:
                body = json.dumps(self.camera.log)
            self.send_body(200, body, "application/json")
        elif path == "/__sim/state":
            with self.camera.lock:
                body = json.dumps(self.camera.public_state())
            self.send_body(200, body, "application/json")
        elif path == "/__sim/content":
            wanted = urllib.parse.parse_qs(parsed.query).get("path", [""])[0]
            with self.camera.lock:
                entry = self.camera.find(wanted)
            if entry is None:
                self.send_body(404, "not found")
            else:
                self.send_body(200, entry["data"], "application/octet-stream")
        else:
            self.send_body(404, "not found")

    def do_POST(self):
        parsed = urllib.parse.urlsplit(self.path)
        length = int(self.headers.get("Content-Length", "0") or 0)
        raw = self.rfile.read(length) if length else b""
        try:
            payload = json.loads(raw.decode("utf-8")) if raw else {}
        except ValueError:
            self.send_body(400, "bad json")
            return
        with self.camera.lock:
            if parsed.path == "/__sim/faults":
                self.camera.faults = payload
            elif parsed.path == "/__sim/state":
                for key, value in payload.items():
                    self.camera.state[key] = value
            elif parsed.path == "/__sim/files":
                self.camera.add_file(payload)
            elif parsed.path == "/__sim/sessions-expire":
                self.camera.sessions.clear()
            elif parsed.path == "/__sim/log-clear":
                self.camera.log = []
            else:
                self.send_body(404, "not found")
                return
        self.send_body(200, "{}", "application/json")


def claim_size(jpeg, width, height):
    """The JPEG with the size in its frame header changed, its data left as it is."""
    at = jpeg.index(b"\xff\xc0")
    return jpeg[:at + 5] + height.to_bytes(2, "big") + width.to_bytes(2, "big") + jpeg[at + 9:]


def xml_escape(text):
    return str(text).replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;")


def parse_range(header, total):
    if not header.startswith("bytes=") or total == 0:
        return None, None
    first, _, last = header[len("bytes="):].partition("-")
    try:
        start = int(first)
        end = int(last) if last else total - 1
    except ValueError:
        return None, None
    end = min(end, total - 1)
    if start > end:
        return None, None
    return start, end


class Server(ThreadingHTTPServer):
    daemon_threads = True
    allow_reuse_address = True
    stopping = False


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--port", type=int, default=0, help="0: any free port (the program finds it through CX_HOSELUX_HTTP_PORT; the run command uses 8580)")
    parser.add_argument("--scenario", default="")
    parser.add_argument("--media", default="", help="make real photos and videos in this folder")
    args = parser.parse_args()
    if args.media:
        sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
        import demo_media
        os.makedirs(args.media, exist_ok=True)
        MEDIA["jpeg"] = demo_media.read(demo_media.make_jpeg(os.path.join(args.media, "still.jpg")))
        MEDIA["mp4"] = demo_media.read(demo_media.make_mp4(os.path.join(args.media, "clip.mp4")))
        MEDIA["thumbnail"] = demo_media.read(demo_media.make_jpeg(os.path.join(args.media, "thumbnail.jpg"),
                                                                  width=160, height=90))
    scenario = {}
    if args.scenario:
        with open(args.scenario, "r", encoding="utf-8") as handle:
            scenario = json.load(handle)
    server = Server(("127.0.0.1", args.port), Handler)
    server.camera = Camera(scenario)

    def stop(*_):
        server.stopping = True
        threading.Thread(target=server.shutdown, daemon=True).start()

    signal.signal(signal.SIGTERM, stop)
    signal.signal(signal.SIGINT, stop)
    print("READY %d" % server.server_address[1], flush=True)
    server.serve_forever(poll_interval=0.1)
    server.server_close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
