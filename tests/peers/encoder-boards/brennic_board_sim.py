#!/usr/bin/env python3
"""A stand-in for the Brennic encoder board's REST interface, on a loopback address.

Usage: brennic_board_sim.py [--address 127.x.y.z] [--port N] [--scenario FILE] [--mode-file FILE]

Prints "READY <port>" once it listens. Routes:
  GET /api/version                   platform, platform_version, api_revision, supported_api_versions
  GET /api/1/videostream/settings    {"current_config": <mode>}
  PUT /api/1/videostream/settings    body exactly {"new_config": <mode>} as "application/json";
                                     an unknown mode, another member or another type gets 400
  POST /api/1/videooverlay           {"commands": [{"command": ..., "params": {...}}, ...]} as
                                     "application/json"; answers {"results": [{"result": 0|1,
                                     "handle": n}, ...]}, one per command. The board's objects
                                     are in the state as "overlay_objects" (handle -> params).

Route names for faults: "version", "settings", "change", "overlay". Faults besides the transport ones of
board_common: "version-number" (supported_api_versions [1]), "no-version-1" (["2"]),
"non-json" (a body that is not JSON), "unknown-mode" (current_config "4K@120fps"), on the
overlay route "wrong-count" (the commands are carried out, one result fewer is answered) and
"late" (carried out, answered after state["slow_ms"] milliseconds).
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
                          "api_revision": "14", "supported_api_versions": ["1"],
                          "overlay_objects": {}, "overlay_enabled": False, "next_handle": 1})

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
        elif path == "/api/1/videooverlay" and method == "POST":
            route = "overlay"
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

    def route_overlay(self, body, fault):
        try:
            request = json.loads(body.decode("utf-8"))
        except (UnicodeDecodeError, ValueError):
            request = None
        commands = request.get("commands") if isinstance(request, dict) else None
        if self.headers.get("Content-Type", "") != "application/json" or not isinstance(commands, list):
            self.send_body(400, json.dumps({"error": "bad commands"}), fault=fault)
            return
        results = []
        with self.board.lock:
            objects = self.board.state["overlay_objects"]
            for entry in commands:
                results.append(self.apply_overlay_command(objects, entry))
        if fault == "wrong-count":
            results = results[:-1]
            fault = None
        elif fault == "late":
            fault = "slow"
        self.send_body(200, json.dumps({"results": results}), fault=fault)

    def apply_overlay_command(self, objects, entry):
        name = entry.get("command") if isinstance(entry, dict) else None
        params = entry.get("params") if isinstance(entry, dict) else None
        if not isinstance(params, dict):
            return {"result": 1}
        state = self.board.state
        if name in ("create_text", "create_image"):
            handle = state["next_handle"]
            state["next_handle"] = handle + 1
            kind = "text" if name == "create_text" else "image"
            objects[str(handle)] = dict(params, kind=kind)
            return {"result": 0, "handle": handle}
        if name in ("update_text", "update_image"):
            key = str(params.get("handle"))
            kind = "text" if name == "update_text" else "image"
            if key not in objects or objects[key].get("kind") != kind:
                return {"result": 1}
            objects[key].update({k: v for k, v in params.items() if k != "handle"})
            return {"result": 0}
        if name == "set_overlay_state" and isinstance(params.get("enabled"), bool):
            state["overlay_enabled"] = params["enabled"]
            return {"result": 0}
        if name == "clear":
            for key in [k for k, v in objects.items() if v.get("kind") == "text"]:
                del objects[key]
            return {"result": 0}
        return {"result": 1}


if __name__ == "__main__":
    run(BrennicBoard(), Handler, "Brennic encoder board simulator")
