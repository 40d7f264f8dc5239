#!/usr/bin/env python3
"""A local map tile server for the manhole map, in place of any tile service on the internet.

Listens on 127.0.0.1 only and answers GET /<z>/<x>/<y>.png with a generated 256 x 256 PNG:
a pale checkerboard of tiles with a street grid, so the map shows where tiles join. Every
request is appended to a JSON-lines log with the client address, so a test or an operator
can see that each tile came from here and that nothing else was asked.

Usage: tile_peer.py [--url http://127.0.0.1:PORT/ | --port PORT] [--log FILE]
Port 0 (the default without --url) takes a free port. Prints "READY <port>" once it listens.
"""

import argparse
import json
import re
import struct
import sys
import threading
import urllib.parse
import zlib
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

TILE = 256
TILE_PATH = re.compile(r'^/(\d{1,2})/(\d{1,9})/(\d{1,9})\.png$')


def png(width, height, rows):
    """PNG bytes of RGB rows (each a bytes object of width * 3)."""
    raw = b''.join(b'\x00' + row for row in rows)

    def chunk(kind, data):
        body = kind + data
        return struct.pack('>I', len(data)) + body + struct.pack('>I', zlib.crc32(body) & 0xffffffff)

    header = struct.pack('>IIBBBBB', width, height, 8, 2, 0, 0, 0)
    return b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', header) + chunk(b'IDAT', zlib.compress(raw, 6)) + chunk(b'IEND', b'')


def giant_png(side):
    """A PNG of side x side black pixels, a few hundred kilobytes however large it claims to be."""
    packer = zlib.compressobj(9)
    rows = (b'\x00' * (side * 3 + 1)) * 100
    parts = [packer.compress(rows) for _ in range(side // 100)]
    parts.append(packer.compress((b'\x00' * (side * 3 + 1)) * (side % 100)))
    parts.append(packer.flush())
    data = b''.join(parts)

    def chunk(kind, payload):
        body = kind + payload
        return struct.pack('>I', len(payload)) + body + struct.pack('>I', zlib.crc32(body) & 0xffffffff)

    header = struct.pack('>IIBBBBB', side, side, 8, 2, 0, 0, 0)
    return b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', header) + chunk(b'IDAT', data) + chunk(b'IEND', b'')


def gzip_bomb(unpacked):
    packer = zlib.compressobj(9, zlib.DEFLATED, 31)
    block = b'\x00' * (1 << 24)
    parts = [packer.compress(block) for _ in range(unpacked >> 24)]
    parts.append(packer.flush())
    return b''.join(parts)


def tile_image(z, x, y):
    light = (x + y) % 2 == 0
    ground = bytes((236, 232, 222)) if light else bytes((226, 222, 212))
    street = bytes((255, 255, 255))
    edge = bytes((180, 176, 168))
    # Streets every 64 pixels, shifted by the tile numbers so neighbours differ a little.
    offset = (x * 7 + y * 3 + z) % 32
    plain = bytearray(ground * TILE)
    for column in range(offset, TILE, 64):
        plain[column * 3:(column + 6) * 3] = street * 6
    plain[0:3] = edge
    plain = bytes(plain)
    road = bytes(street * TILE)
    border = bytes(edge * TILE)
    rows = []
    for row in range(TILE):
        if row == 0:
            rows.append(border)
        elif (row - offset) % 64 < 6 and row >= offset:
            rows.append(road)
        else:
            rows.append(plain)
    return png(TILE, TILE, rows)


class Handler(BaseHTTPRequestHandler):
    server_version = 'CulvertixTilePeer/1'
    # A head and its body go out in separate writes: with Nagle's algorithm the body would
    # wait for the client's delayed acknowledgement of the head, some 40 ms on every answer.
    disable_nagle_algorithm = True
    cache = {}
    lock = threading.Lock()
    open_connections = 0
    hostile = {}

    def setup(self):
        super().setup()
        self.count_connection(1)

    def finish(self):
        try:
            super().finish()
        finally:
            self.count_connection(-1)

    def count_connection(self, change):
        with self.lock:
            Handler.open_connections += change
            if self.server.log_path:
                with open(self.server.log_path, 'a', encoding='utf-8') as log:
                    log.write(json.dumps({'open': Handler.open_connections}) + '\n')

    def hostile_body(self, make):
        with self.lock:
            if 'body' not in self.hostile:
                self.hostile['body'] = make()
            return self.hostile['body']

    def misbehave(self, mode):
        """Answers as the mode says; returns when the client has gone or the answer is out."""
        try:
            if mode == 'endless-head':
                self.wfile.write(b'HTTP/1.1 200 OK\r\nContent-Type: image/png\r\n')
                line = b'X-Filler: ' + b'a' * 1000 + b'\r\n'
                while True:
                    self.wfile.write(line * 64)
            self.send_response(200)
            self.send_header('Content-Type', 'image/png')
            if mode == 'endless':
                self.send_header('Connection', 'close')
                self.end_headers()
                self.wfile.write(tile_image(0, 0, 0))
                block = b'\x00' * 65536
                while True:
                    self.wfile.write(block)
            if mode == 'giant':
                body = self.hostile_body(lambda: giant_png(self.server.giant))
            else:
                body = self.hostile_body(lambda: gzip_bomb(256 << 20))
                self.send_header('Content-Encoding', 'gzip')
            self.send_header('Content-Length', str(len(body)))
            self.end_headers()
            self.wfile.write(body)
        except (BrokenPipeError, ConnectionResetError):
            self.close_connection = True

    def log_message(self, fmt, *args):
        pass

    def record(self, status):
        entry = {'client': self.client_address[0], 'method': self.command, 'path': self.path,
                 'host': self.headers.get('Host', ''), 'status': status}
        with self.lock:
            if self.server.log_path:
                with open(self.server.log_path, 'a', encoding='utf-8') as log:
                    log.write(json.dumps(entry) + '\n')
        sys.stderr.write('tile-peer: %s %s %d\n' % (self.client_address[0], self.path, status))

    def do_GET(self):
        match = TILE_PATH.match(urllib.parse.urlsplit(self.path).path)
        if not match:
            self.record(404)
            self.send_error(404)
            return
        z, x, y = (int(part) for part in match.groups())
        if z > 20 or x >= (1 << z) or y >= (1 << z):
            self.record(404)
            self.send_error(404)
            return
        if self.server.mode != 'normal':
            self.record(200)
            self.misbehave(self.server.mode)
            return
        key = (z, x, y)
        with self.lock:
            body = self.cache.get(key)
        if body is None:
            body = tile_image(z, x, y)
            with self.lock:
                self.cache[key] = body
        self.record(200)
        self.send_response(200)
        self.send_header('Content-Type', 'image/png')
        self.send_header('Content-Length', str(len(body)))
        self.end_headers()
        self.wfile.write(body)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('--url', default='')
    parser.add_argument('--port', type=int, default=0)
    parser.add_argument('--log', default='')
    parser.add_argument('--mode', default='normal', choices=('normal', 'endless', 'giant', 'bomb', 'endless-head'))
    parser.add_argument('--giant', type=int, default=30000)
    args = parser.parse_args()
    host, port = '127.0.0.1', args.port
    if args.url:
        parts = urllib.parse.urlsplit(args.url)
        if parts.hostname not in ('127.0.0.1', 'localhost'):
            sys.stderr.write('tile-peer: only 127.0.0.1 is served, not %s\n' % parts.hostname)
            return 2
        port = parts.port or 80
    server = ThreadingHTTPServer((host, port), Handler)
    server.daemon_threads = True
    server.log_path = args.log
    server.mode = args.mode
    server.giant = args.giant
    print('READY %d' % server.server_address[1], flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass
    return 0


if __name__ == '__main__':
    sys.exit(main())
