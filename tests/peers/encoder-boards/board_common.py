"""What the encoder-board simulators share: an HTTP/1.1 server on a loopback address, the control
routes, the request log, fault rules per route and the mode file that the RTSP test peer reads.

Control routes (never faulted):
  POST /__sim/faults     {"<route>": [{"fault": "<name>", "count": <n, -1 = always>}], ...}
  GET  /__sim/log        the requests seen so far (JSON list)
  POST /__sim/log-clear  forget them
  GET  /__sim/state      the board state (JSON)
  POST /__sim/state      merge JSON into the board state

Transport faults every route knows: "status:<n>" (answer with status n and no body),
"slow" (answer after state["slow_ms"] milliseconds), "no-answer" (read the request and never
answer), "close" (close the connection without an answer), "raw:<text>" (the whole body), and
the answers without end of hostile_answers.py beside this folder (endless, endless-length,
endless-close, trickle, gzip-bomb).
"""

import argparse
import json
import os
import select
import signal
import sys
import threading
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
import hostile_answers  # noqa: E402


class Board:
    """State, log and fault rules behind one lock; subclasses add their routes' state."""

    def __init__(self, state, mode_file=None):
        self.lock = threading.Lock()
        self.state = state
        self.state.setdefault("slow_ms", 3000)
        self.faults = {}
        self.log = []
        self.mode_file = mode_file

    def take_fault(self, route):
        with self.lock:
            rules = self.faults.get(route) or []
            for rule in rules:
                count = rule.get("count", 1)
                if count == 0:
                    continue
                if count > 0:
                    rule["count"] = count - 1
                return rule["fault"]
        return None

    def record(self, entry):
        with self.lock:
            self.log.append(entry)

    def picture(self):
        """(width, height, fps) of the current mode; None when the mode has no picture."""
        return None

    def write_mode_file(self):
        if not self.mode_file:
            return
        picture = self.picture()
        if not picture:
            return
        temporary = self.mode_file + ".tmp"
        with open(temporary, "w") as handle:
            handle.write("%d %d %d\n" % picture)
        os.replace(temporary, self.mode_file)


class BoardHandler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "BoardSim/1.0"
    # A head and its body go out in separate writes: with Nagle's algorithm the body would
    # wait for the client's delayed acknowledgement of the head, some 40 ms on every answer.
    disable_nagle_algorithm = True

    def log_message(self, fmt, *args):  # quiet
        pass

    @property
    def board(self):
        return self.server.board

    def read_body(self):
        length = int(self.headers.get("Content-Length") or 0)
        return self.rfile.read(length) if length > 0 else b""

    def send_body(self, status, body, content_type="application/json", headers=None, fault=None):
        if isinstance(body, str):
            body = body.encode("utf-8")
        if hostile_answers.send(self, fault, content_type):
            return
        if fault == "close":
            self.close_connection = True
            try:
                self.connection.shutdown(2)
            except OSError:
                pass
            return
        if fault == "no-answer":
            self.hold_until_client_leaves()
            return
        if fault == "slow":
            time.sleep(self.board.state.get("slow_ms", 3000) / 1000.0)
        if fault and fault.startswith("status:"):
            status = int(fault.split(":", 1)[1])
            body = b""
        if fault and fault.startswith("raw:"):
            body = fault.split(":", 1)[1].encode("utf-8")
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(body)))
        for name, value in (headers or {}).items():
            self.send_header(name, value)
        self.end_headers()
        self.wfile.write(body)

    def hold_until_client_leaves(self):
        # Bounded: a client that never goes away is let go after a minute.
        self.close_connection = True
        deadline = time.time() + 60
        while time.time() < deadline:
            readable, _, _ = select.select([self.connection], [], [], 0.2)
            if readable:
                try:
                    if not self.connection.recv(4096):
                        return
                except OSError:
                    return

    def control(self, method, body):
        path = self.path
        if path == "/__sim/faults" and method == "POST":
            with self.board.lock:
                self.board.faults = json.loads(body or b"{}")
            self.send_body(200, "{}")
        elif path == "/__sim/log" and method == "GET":
            with self.board.lock:
                text = json.dumps(self.board.log)
            self.send_body(200, text)
        elif path == "/__sim/log-clear" and method == "POST":
            with self.board.lock:
                self.board.log = []
            self.send_body(200, "{}")
        elif path == "/__sim/state" and method == "GET":
            with self.board.lock:
                text = json.dumps(self.board.state)
            self.send_body(200, text)
        elif path == "/__sim/state" and method == "POST":
            with self.board.lock:
                self.board.state.update(json.loads(body or b"{}"))
            self.board.write_mode_file()
            self.send_body(200, "{}")
        else:
            self.send_body(404, "{}")

    def dispatch(self, method):
        body = self.read_body()
        if self.path.startswith("/__sim/"):
            self.control(method, body)
            return
        self.handle_route(method, body)

    def do_GET(self):
        self.dispatch("GET")

    def do_PUT(self):
        self.dispatch("PUT")

    def do_POST(self):
        self.dispatch("POST")

    def handle_route(self, method, body):
        self.send_body(404, "{}")


def run(board, handler_class, description):
    parser = argparse.ArgumentParser(description=description)
    parser.add_argument("--address", default="127.0.0.1", help="a loopback address to listen on")
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--scenario", help="JSON file merged into the board state")
    parser.add_argument("--mode-file", help="file that receives 'width height fps' of the mode")
    args = parser.parse_args()
    if not args.address.startswith("127."):
        parser.error("only loopback addresses (127.0.0.0/8) are allowed")
    if args.scenario:
        with open(args.scenario) as handle:
            board.state.update(json.load(handle))
    board.mode_file = args.mode_file
    board.write_mode_file()
    server = ThreadingHTTPServer((args.address, args.port), handler_class)
    server.daemon_threads = True
    server.board = board
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
    print("READY %d" % server.server_address[1], flush=True)
    try:
        server.serve_forever()
    except (KeyboardInterrupt, SystemExit):
        pass
