#!/usr/bin/env python3
"""The software-update server for tests and by-hand runs, on 127.0.0.1 only.

It serves "/version.conf" and installers below "/culvertix/" as a scenario says, and can
misbehave the way real servers and captive portals do. Every request is logged as one JSON
line. Python 3 standard library only.

Scenario (JSON): {"routes": {"<path>": <route>, ...}} where a route is
  {"body": "<text>"}                    the text as Latin-1 bytes
  {"file": "<path on disk>"}            the file's bytes
and may carry "fault":
  "redirect"   302 with an HTML body ("page" when the route gives one); Location only when the
               route gives "location"
  "404", "500" that status with an HTML body
  "204"        204 No Content: a success status that carries no file
  "cut"        announces the whole length, sends half and closes the connection
  "no-length"  no Content-Length; the body ends when the connection closes
  "empty"      200 with an empty body
  "trickle"    the body in pieces of "chunk" bytes (default 1024), "interval" ms apart
               (default 50), bounded by "max_seconds" (default 60)
  "deflate-cut" the body compressed ("Content-Encoding: deflate") whatever the request asked
               for, its compressed length announced whole, half of it sent, then closed
  "gzip"       the body compressed ("Content-Encoding: gzip") whatever the request asked for,
               sent whole with its compressed length
  "drop"       every request read and its connection closed unanswered
  "endless"    the route's "status" (200 when none is given; a redirect's Location when the
               route gives "location") with a page that does not end, sent as fast as the client
               reads, bounded by "max_seconds"; in chunks on a connection kept alive when the
               route gives "chunked"; with "head": "lines" the header lines are what does not end
A route may also carry
  "delay_ms": <n>   the answer starts (status and headers) only after n ms, bounded by "max_seconds"
  "body_delay_ms": <n>  with "gzip": the body follows its head only after n ms, bounded by "max_seconds"
  "announce": <n>   a Content-Length of n, larger than the body (redirect pages too); after the body
               the connection stays open, silent, for "max_seconds" (default 60)
  "pad_bytes": <n>  n line feeds after the body, with no Content-Length (the body ends with the
               connection), streamed as fast as the client reads
  "first": "drop"   the first request of the path is read and the connection closed unanswered, as a
               server or proxy dropping an idle connection does; a client may or may not send it again
  "repeat": <route>  how every later request of the path is answered (a route of its own)
Unknown paths answer 404. POST /__sim/routes replaces the routes with the posted JSON object.
A request's log line ("event": "request") names the client's address and port as "connection".

Start: update_server.py --port 0 [--scenario FILE] [--log FILE] [--version 1.8 --file setup/Installer.exe
        --installer PATH] [--tls-cert PEM --tls-key PEM]; prints "READY <port>" once it listens, over
        HTTPS when given a certificate.
"""

import argparse
import gzip
import json
import os
import socket
import ssl
import sys
import threading
import time
import zlib
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

HTML = b"<html><head><title>Sign in</title></head><body><p>Please sign in to use this network.</p></body></html>"


class State:
    def __init__(self, routes, log_path):
        self.lock = threading.Lock()
        self.routes = routes
        self.log_path = log_path
        self.counts = {}

    def count(self, path):
        """How many requests of the path arrived, this one included."""
        with self.lock:
            self.counts[path] = self.counts.get(path, 0) + 1
            return self.counts[path]

    def route(self, path):
        with self.lock:
            return self.routes.get(path)

    def set_routes(self, routes):
        with self.lock:
            self.routes = routes
            self.counts = {}

    def log(self, entry):
        line = json.dumps(entry)
        with self.lock:
            if self.log_path:
                with open(self.log_path, "a", encoding="utf-8") as log:
                    log.write(line + "\n")
        sys.stderr.write(line + "\n")


def route_body(route):
    if "file" in route:
        with open(route["file"], "rb") as source:
            return source.read()
    return route.get("body", "").encode("latin-1")


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "CulvertixUpdateSim/1.0"
    # A head and its body go out in separate writes: with Nagle's algorithm the body would
    # wait for the client's delayed acknowledgement of the head, some 40 ms on every answer.
    disable_nagle_algorithm = True

    def log_message(self, format, *args):  # the JSON log replaces the default lines
        pass

    def handle(self):
        # A client that gives up (a cancelled download) is normal here, not an error.
        try:
            super().handle()
        except (BrokenPipeError, ConnectionResetError, ssl.SSLError):
            self.close_connection = True

    def _log(self, status, fault=None, sent=None, event="answer"):
        entry = {"event": event, "method": self.command, "path": self.path, "status": status,
                 "fault": fault, "sent": sent, "time": time.time()}
        if event == "request":
            entry["accept_encoding"] = self.headers.get("Accept-Encoding")
            # Tells requests on one kept-alive connection from those on new ones.
            entry["connection"] = "%s:%d" % self.client_address[:2]
        self.server.state.log(entry)

    def _send_simple(self, status, body, extra=None, announce=None):
        self.send_response(status)
        self.send_header("Content-Type", "text/html")
        self.send_header("Content-Length", str(announce if announce else len(body)))
        for key, value in (extra or {}).items():
            self.send_header(key, value)
        self.end_headers()
        self.wfile.write(body)

    def _fall_silent(self, route):
        """Keeps the connection open without a byte, as a stalled server does (bounded)."""
        self.wfile.flush()
        time.sleep(float(route.get("max_seconds", 60)))
        self.close_connection = True

    def do_POST(self):
        length = int(self.headers.get("Content-Length") or 0)
        data = self.rfile.read(length) if length > 0 else b""
        if self.path != "/__sim/routes":
            self._send_simple(404, HTML)
            self._log(404)
            return
        try:
            routes = json.loads(data.decode("utf-8"))
            if not isinstance(routes, dict):
                raise ValueError("routes must be an object")
        except ValueError as error:
            self._send_simple(400, str(error).encode("utf-8"))
            self._log(400, "rejected")
            return
        self.server.state.set_routes(routes)
        self._send_simple(200, b"{}")
        self._log(200, "control")

    def do_GET(self):
        # Logged on arrival as well, so that a test sees a slow answer begin.
        self._log(None, event="request")
        path = self.path.split("?", 1)[0]
        route = self.server.state.route(path)
        nth = self.server.state.count(path)
        if route is not None and nth > 1 and isinstance(route.get("repeat"), dict):
            route = route["repeat"]
        elif route is not None and nth == 1 and route.get("first") == "drop":
            route = {"fault": "drop"}
        if route is not None and route.get("fault") == "drop":
            self.connection.shutdown(socket.SHUT_RDWR)
            self.close_connection = True
            self._log(None, "drop")
            return
        if route is None:
            self._send_simple(404, HTML)
            self._log(404)
            return
        fault = route.get("fault")
        try:
            body = route_body(route)
        except OSError:
            self._send_simple(500, HTML)
            self._log(500, "error: unreadable file")
            return
        try:
            self._answer(route, fault, body)
        except (BrokenPipeError, ConnectionResetError, ssl.SSLError):
            self._log(200, fault, "client went away")
            self.close_connection = True

    def _answer(self, route, fault, body):
        if route.get("delay_ms"):
            time.sleep(min(float(route["delay_ms"]), 1000.0 * float(route.get("max_seconds", 60))) / 1000.0)
        announce = int(route.get("announce", 0))
        if fault == "redirect":
            extra = {"Location": route["location"]} if route.get("location") else {}
            page = route["page"].encode("latin-1") if "page" in route else HTML
            self._send_simple(302, page, extra, announce)
            self._log(302, fault)
            if announce > len(page):
                self._fall_silent(route)
            return
        if fault == "endless" and route.get("head") == "lines":
            self.send_response(int(route.get("status", 200)))
            self.flush_headers()
            self.close_connection = True
            self._log(int(route.get("status", 200)), fault)
            block = (b"X-Filler: " + b"x" * 90 + b"\r\n") * 650
            deadline = time.monotonic() + float(route.get("max_seconds", 60))
            while time.monotonic() < deadline:
                self.wfile.write(block)
            return
        if fault == "endless":
            status = int(route.get("status", 200))
            chunked = bool(route.get("chunked"))
            self.send_response(status)
            self.send_header("Content-Type", "text/html")
            self.send_header("Transfer-Encoding" if chunked else "Connection", "chunked" if chunked else "close")
            if route.get("location"):
                self.send_header("Location", route["location"])
            self.end_headers()
            self.close_connection = True
            self._log(status, fault)
            block = b"<p>" + b" " * 65530 + b"</p>"
            if chunked:
                block = b"%x\r\n" % len(block) + block + b"\r\n"
            deadline = time.monotonic() + float(route.get("max_seconds", 60))
            while time.monotonic() < deadline:
                self.wfile.write(block)
            return
        if fault == "gzip":
            packed = gzip.compress(body, 9)
            self.send_response(200)
            self.send_header("Content-Type", "application/octet-stream")
            self.send_header("Content-Encoding", "gzip")
            self.send_header("Content-Length", str(len(packed)))
            self.end_headers()
            if route.get("body_delay_ms"):
                self.wfile.flush()
                time.sleep(min(float(route["body_delay_ms"]), 1000.0 * float(route.get("max_seconds", 60))) / 1000.0)
            self.wfile.write(packed)
            self._log(200, fault, len(packed))
            return
        if fault == "deflate-cut":
            packed = zlib.compress(body, 9)
            self.send_response(200)
            self.send_header("Content-Type", "application/octet-stream")
            self.send_header("Content-Encoding", "deflate")
            self.send_header("Content-Length", str(len(packed)))
            self.end_headers()
            self.wfile.write(packed[: len(packed) // 2])
            self.wfile.flush()
            self.connection.shutdown(socket.SHUT_RDWR)
            self.close_connection = True
            self._log(200, fault, len(packed) // 2)
            return
        if route.get("pad_bytes"):
            self.send_response(200)
            self.send_header("Content-Type", "application/octet-stream")
            self.send_header("Connection", "close")
            self.end_headers()
            self.wfile.write(body)
            left = int(route["pad_bytes"])
            block = b"\n" * 65536
            while left > 0:
                self.wfile.write(block[:left])
                left -= min(left, len(block))
            self.wfile.flush()
            self.close_connection = True
            self._log(200, "pad", len(body) + int(route["pad_bytes"]))
            return
        if fault in ("404", "500"):
            self._send_simple(int(fault), HTML)
            self._log(int(fault), fault)
            return
        if fault == "204":
            self.send_response(204)
            self.end_headers()
            self._log(204, fault)
            return
        if fault == "empty":
            body = b""
        self.send_response(200)
        self.send_header("Content-Type", "application/octet-stream")
        if fault == "no-length":
            self.send_header("Connection", "close")
            self.end_headers()
            self.wfile.write(body)
            self.wfile.flush()
            self.close_connection = True
            self._log(200, fault, len(body))
            return
        self.send_header("Content-Length", str(max(announce, len(body))))
        self.end_headers()
        if announce > len(body):
            self.wfile.write(body)
            self._log(200, "announce", len(body))
            self._fall_silent(route)
            return
        if fault == "cut":
            half = body[: len(body) // 2]
            self.wfile.write(half)
            self.wfile.flush()
            self.connection.shutdown(socket.SHUT_RDWR)
            self.close_connection = True
            self._log(200, fault, len(half))
            return
        if fault == "trickle":
            chunk = max(1, int(route.get("chunk", 1024)))
            interval = max(0, int(route.get("interval", 50))) / 1000.0
            deadline = time.monotonic() + float(route.get("max_seconds", 60))
            sent = 0
            while sent < len(body) and time.monotonic() < deadline:
                self.wfile.write(body[sent:sent + chunk])
                self.wfile.flush()
                sent += chunk
                time.sleep(interval)
            self.close_connection = sent < len(body)
            self._log(200, fault, min(sent, len(body)))
            return
        self.wfile.write(body)
        self._log(200, fault, len(body))


class Server(ThreadingHTTPServer):
    daemon_threads = True
    allow_reuse_address = True


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--scenario")
    parser.add_argument("--log")
    parser.add_argument("--version", help="serve a version.conf offering this version")
    parser.add_argument("--file", default="setup/Installer.exe", help="the File value of that version.conf")
    parser.add_argument("--installer", help="the installer's bytes for that File value")
    parser.add_argument("--tls-cert", help="answer over HTTPS with this certificate (PEM)")
    parser.add_argument("--tls-key", help="the certificate's key (PEM)")
    arguments = parser.parse_args()

    routes = {}
    if arguments.scenario:
        with open(arguments.scenario, encoding="utf-8") as source:
            routes = json.load(source).get("routes", {})
    if arguments.version:
        routes["/version.conf"] = {"body": "[Windows]\nVersion=%s\nFile=%s\n" % (arguments.version, arguments.file)}
        if arguments.installer:
            routes["/culvertix/" + arguments.file] = {"file": os.path.abspath(arguments.installer)}

    # A test that dies without stopping its peer must not leave it behind.
    parent = os.getppid()

    def watch_parent():
        while os.getppid() == parent:
            time.sleep(0.5)
        os._exit(0)

    threading.Thread(target=watch_parent, daemon=True).start()

    server = Server(("127.0.0.1", arguments.port), Handler)
    if arguments.tls_cert:
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(arguments.tls_cert, arguments.tls_key)
        server.socket = context.wrap_socket(server.socket, server_side=True)
    server.state = State(routes, arguments.log)
    print("READY %d" % server.server_address[1], flush=True)
    try:
        server.serve_forever(poll_interval=0.2)
    except KeyboardInterrupt:
        pass
    finally:
        server.server_close()


if __name__ == "__main__":
    main()
