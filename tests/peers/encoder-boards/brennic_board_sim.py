#!/usr/bin/env python3
"""A stand-in for the Brennic encoder board's REST interface, on a loopback address.

Usage: brennic_board_sim.py [--address 127.x.y.z] [--port N] [--scenario FILE] [--mode-file FILE]

Prints "READY <port>" once it listens. Routes:
  GET /api/version                   platform, platform_version, api_revision, supported_api_versions
  GET /api/1/videostream/settings    {"current_config": <mode>}
  PUT /api/1/videostream/settings    body exactly {"new_config": <mode>} as "application/json";
                                     an unknown mode, another member or another type gets 400

Route names for faults: "version", "settings", "change". Faults besides the transport ones of
board_common: "version-number" (supported_api_versions [1]), "no-version-1" (["2"]),
"non-json" (a body that is not JSON), "unknown-mode" (current_config "4K@120fps").
"""

import json
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from board_common import Board, BoardHandler, run  # noqa: E402

MODES = {
    "PAL@25fps": (720, 576, 25),
    "NTSC@30fps": (720, 480, 30),
    "720p@15fps": (1280, 720, 15),
    "720p@25fps": (1280, 720, 25),
    "720p@29.97fps": (1280, 720, 30),
    "720p@30fps": (1280, 720, 30),
    "1080p@15fps": (1920, 1080, 15),
    "1080p@25fps": (1920, 1080, 25),
    "1080p@29.97fps": (1920, 1080, 30),
    "1080p@30fps": (1920, 1080, 30),
}


class BrennicBoard(Board):
    def __init__(self):
        super().__init__({"mode": "1080p@30fps", "platform": "BRN-ENC", "platform_version": "3.2.1",
                          "api_revision": "14", "supported_api_versions": ["1"]})

    def picture(self):
        return MODES.get(self.state.get("mode"))


class Handler(BoardHandler):
    def handle_route(self, method, body):
        path = self.path.split("?", 1)[0]
        if path == "/api/version" and method == "GET":
            route = "version"
        elif path == "/api/1/videostream/settings" and method == "GET":
            route = "settings"
        elif path == "/api/1/videostream/settings" and method == "PUT":
            route = "change"
        else:
            self.board.record({"route": "unknown", "method": method, "path": self.path})
            self.send_body(404, "{}")
            return
        fault = self.board.take_fault(route)
        entry = {"route": route, "method": method, "path": self.path,
                 "contentType": self.headers.get("Content-Type", ""), "body": body.decode("utf-8", "replace")}
        self.board.record(entry)
        getattr(self, "route_" + route)(body, fault)

    def route_version(self, body, fault):
        state = self.board.state
        reply = {"platform": state["platform"], "platform_version": state["platform_version"],
                 "api_revision": state["api_revision"], "supported_api_versions": state["supported_api_versions"]}
        if fault == "version-number":
            reply["supported_api_versions"] = [1]
        elif fault == "no-version-1":
            reply["supported_api_versions"] = ["2"]
        text = "<html>busy</html>" if fault == "non-json" else json.dumps(reply)
        self.send_body(200, text, fault=fault)

    def route_settings(self, body, fault):
        mode = "4K@120fps" if fault == "unknown-mode" else self.board.state["mode"]
        text = "current_config=" + mode if fault == "non-json" else json.dumps({"current_config": mode})
        self.send_body(200, text, fault=fault)

    def route_change(self, body, fault):
        if fault in ("close", "no-answer") or (fault or "").startswith("status:"):
            self.send_body(200, "{}", fault=fault)  # the change is lost with the answer
            return
        content_type = self.headers.get("Content-Type", "")
        try:
            request = json.loads(body.decode("utf-8"))
        except (UnicodeDecodeError, ValueError):
            request = None
        valid = (content_type == "application/json" and isinstance(request, dict)
                 and list(request.keys()) == ["new_config"] and isinstance(request["new_config"], str)
                 and request["new_config"] in MODES)
        if not valid:
            self.send_body(400, json.dumps({"error": "bad new_config"}), fault=fault)
            return
        with self.board.lock:
            self.board.state["mode"] = request["new_config"]
        self.board.write_mode_file()
        self.send_body(200, "{}", fault=fault)


if __name__ == "__main__":
    run(BrennicBoard(), Handler, "Brennic encoder board simulator")
