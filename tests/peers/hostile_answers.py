#!/usr/bin/env python3
"""Answers of a peer that never ends them, shared by the camera and encoder-board simulators,
and, run on its own, a peer of the command link that sends what makes no frame.

HTTP answers, sent from a request handler with send(handler, shape, content_type); a handler
passes any other shape on to its own faults:
  endless          a 200 whose chunked body never ends, as fast as the client reads
  endless-length   a 200 that announces 1 GiB ("Content-Length") and sends it as fast as the
                   client reads
  endless-close    a 200 with neither length nor chunks: the body ends only with the connection
  trickle          a 200 whose chunked body comes 16 bytes at a time, 20 times a second
  gzip-bomb        a 200 "Content-Encoding: gzip" whose body unpacks to 256 MiB, whatever the
                   request asked for
  endless-status   a status line that never ends
  endless-headers  a status line, then header lines that never end
Every shape stops after 60 seconds or 256 MiB sent, and closes the connection.

The command link (python3 hostile_answers.py --link SHAPE [--port N]): listens on 127.0.0.1,
prints "READY <port>", and sends every client, as fast as it reads, within the same bounds,
then keeps the connection open for the rest of the 60 seconds:
  garbage      bytes that no frame starts with
  open-frame   frame starts that announce the longest payload and never come to the end byte
  stray-acks   acknowledgements, with nothing asked
  repeat-acks  once the client's first frame has come, acknowledgements of it over and over
  repeat-naks  the same with negative acknowledgements
  trickle      one frame start, then a byte that makes no frame 20 times a second
"""

import argparse
import socket
import sys
import threading
import time
import zlib

MAX_SECONDS = 60
MAX_BYTES = 256 * 1024 * 1024
BLOCK = b"x" * 65536

HTTP_SHAPES = ("endless", "endless-length", "endless-close", "trickle", "gzip-bomb", "endless-status",
               "endless-headers")
HEADER_LINES = b"X-Filler: " + b"x" * 90 + b"\r\n"
HEADER_BLOCK = HEADER_LINES * (65536 // len(HEADER_LINES))
_BOMB = []


def gzip_bomb():
    """A gzip stream of MAX_BYTES spaces, made once."""
    if not _BOMB:
        packer = zlib.compressobj(9, zlib.DEFLATED, 31)
        block = b" " * (1 << 20)
        parts = [packer.compress(block) for _ in range(MAX_BYTES // len(block))]
        parts.append(packer.flush())
        _BOMB.append(b"".join(parts))
    return _BOMB[0]


def _pump(write, piece, pause=0.0):
    """Writes the piece again and again until the bounds or the client end it."""
    deadline = time.monotonic() + MAX_SECONDS
    sent = 0
    try:
        while time.monotonic() < deadline and sent < MAX_BYTES:
            write(piece)
            sent += len(piece)
            if pause:
                time.sleep(pause)
    except OSError:
        pass


def send(handler, shape, content_type="text/plain"):
    """Answers the handler's request with the shape; False when the shape is none of these."""
    if shape not in HTTP_SHAPES:
        return False
    handler.close_connection = True
    head = "HTTP/1.1 200 OK\r\nContent-Type: %s\r\nConnection: close\r\n" % content_type
    wfile = handler.wfile
    try:
        if shape == "endless-status":
            wfile.write(b"HTTP/1.1 200 ")
            _pump(wfile.write, BLOCK)
        elif shape == "endless-headers":
            wfile.write(b"HTTP/1.1 200 OK\r\n")
            _pump(wfile.write, HEADER_BLOCK)
        elif shape == "gzip-bomb":
            body = gzip_bomb()
            wfile.write((head + "Content-Encoding: gzip\r\nContent-Length: %d\r\n\r\n" % len(body)).encode())
            wfile.write(body)
        elif shape == "endless-length":
            wfile.write((head + "Content-Length: %d\r\n\r\n" % (1 << 30)).encode())
            _pump(wfile.write, BLOCK)
        elif shape == "endless-close":
            wfile.write((head + "\r\n").encode())
            _pump(wfile.write, BLOCK)
        else:
            wfile.write((head + "Transfer-Encoding: chunked\r\n\r\n").encode())
            piece = b"0123456789abcdef" if shape == "trickle" else BLOCK
            chunk = b"%x\r\n" % len(piece) + piece + b"\r\n"
            _pump(wfile.write, chunk, 0.05 if shape == "trickle" else 0.0)
        wfile.flush()
    except OSError:
        pass
    return True


def _hold(connection, deadline):
    """Keeps the connection open, silent, until the deadline or the client's end."""
    connection.settimeout(0.2)
    while time.monotonic() < deadline:
        try:
            if not connection.recv(4096):
                return
        except socket.timeout:
            continue
        except OSError:
            return


def _link_client(connection, shape):
    deadline = time.monotonic() + MAX_SECONDS
    with connection:
        if shape == "garbage":
            _pump(connection.sendall, b"A" * 65536)
        elif shape == "open-frame":
            # Start, id, kind with the trailer bit, length 0xFFFF; what follows never ends it.
            frame = b"\x02\x10\x81\xff\xff" + b"A" * 0xFFFF + b"AA" + b"A"
            _pump(connection.sendall, frame)
        elif shape == "stray-acks":
            _pump(connection.sendall, b"\x06" * 65536)
        elif shape in ("repeat-acks", "repeat-naks"):
            try:
                if not connection.recv(4096):
                    return
            except OSError:
                return
            _pump(connection.sendall, (b"\x06" if shape == "repeat-acks" else b"\x15") * 65536)
        elif shape == "trickle":
            try:
                connection.sendall(b"\x02\x10\x01\xff\xff")
            except OSError:
                return
            _pump(connection.sendall, b"A", 0.05)
        # The link is the client's to end.
        _hold(connection, deadline)


def serve_link(shape, port):
    server = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    server.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    server.bind(("127.0.0.1", port))
    server.listen(8)
    print("READY %d" % server.getsockname()[1], flush=True)
    while True:
        connection, _ = server.accept()
        threading.Thread(target=_link_client, args=(connection, shape), daemon=True).start()


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--link", required=True, choices=("garbage", "open-frame", "stray-acks", "repeat-acks", "repeat-naks", "trickle"))
    parser.add_argument("--port", type=int, default=0)
    args = parser.parse_args()
    try:
        serve_link(args.link, args.port)
    except KeyboardInterrupt:
        pass
    return 0


if __name__ == "__main__":
    sys.exit(main())
