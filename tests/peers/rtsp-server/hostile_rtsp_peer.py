#!/usr/bin/env python3
"""A camera's RTSP server that never ends what it sends, on 127.0.0.1.

python3 hostile_rtsp_peer.py SHAPE [--port N]: prints "READY <port>" once it listens and
answers every client on its own thread:
  endless-body   DESCRIBE is answered with a head that announces a body of 1.9 GB
                 ("Content-Length") and a body that never ends
  endless-head   DESCRIBE is answered with a status line and header lines without end
  trickle-head   the same, one header line every 50 ms: a peer that holds the answer
  endless-unit   OPTIONS, DESCRIBE (H.264), SETUP (UDP or TCP, as the client asks) and PLAY are
                 answered as a camera would; then one H.264 unit is started, fragmented over RTP
                 (FU-A), and its fragments keep coming without the one that ends it
  body-after-picture, announce-after-picture, keepalive-after-picture
                 set the stream up as endless-unit does, but send whole pictures (ten a second,
                 over UDP or TCP) until the peer gets SIGUSR1; then, on the RTSP connection,
                 an answer no request asked for, an ANNOUNCE, or the answer to the client's
                 next keep-alive (OPTIONS), each of 1.9 GB whose body never ends
Everything is sent as fast as the client reads (or, over UDP, as fast as the socket takes
it), and stops after 120 seconds or 4 GiB per client, whichever comes first.
"""

import argparse
import signal
import socket
import struct
import sys
import threading
import time

MAX_SECONDS = 120
MAX_BYTES = 4 << 30
FILLER = b"x" * 65536
SDP = (b"v=0\r\no=- 1 1 IN IP4 127.0.0.1\r\ns=hostile\r\nc=IN IP4 127.0.0.1\r\nt=0 0\r\n"
       b"m=video 0 RTP/AVP 96\r\na=rtpmap:96 H264/90000\r\n"
       b"a=fmtp:96 packetization-mode=1\r\na=control:stream=0\r\n")
FRAGMENT = 1400
# One 64x48 black picture, whole: sequence and picture parameter sets and an IDR slice.
PICTURE = [bytes.fromhex("6742c015dc47b016a0c0c0d4a000000300200000030291e2c5f0"),
           bytes.fromhex("68ce3c80"),
           bytes.fromhex("65888406a8930a0003fbf24f27275d75d75d75d780")]
AFTER_PICTURE = ("body-after-picture", "announce-after-picture", "keepalive-after-picture")
armed = threading.Event()


class Budget:
    def __init__(self):
        self.deadline = time.monotonic() + MAX_SECONDS
        self.sent = 0

    def spend(self, count):
        self.sent += count
        return self.sent < MAX_BYTES and time.monotonic() < self.deadline


def read_request(connection, pending):
    """One request head (and its body, when announced) from the client; None at its end."""
    while b"\r\n\r\n" not in pending[0]:
        data = connection.recv(4096)
        if not data or len(pending[0]) > 65536:
            return None
        pending[0] += data
    head, pending[0] = pending[0].split(b"\r\n\r\n", 1)
    lines = head.decode("latin-1").split("\r\n")
    headers = {}
    for line in lines[1:]:
        key, _, value = line.partition(":")
        headers[key.strip().lower()] = value.strip()
    length = int(headers.get("content-length", "0") or 0)
    while len(pending[0]) < length:
        data = connection.recv(4096)
        if not data:
            return None
        pending[0] += data
    pending[0] = pending[0][length:]
    return lines[0].split(" ")[0], headers


def answer(connection, cseq, extra=b"", body=b""):
    head = b"RTSP/1.0 200 OK\r\nCSeq: " + cseq.encode() + b"\r\n" + extra
    if body:
        head += b"Content-Length: " + str(len(body)).encode() + b"\r\n"
    connection.sendall(head + b"\r\n" + body)


def endless(connection, cseq, shape):
    budget = Budget()
    if shape == "endless-body":
        connection.sendall(b"RTSP/1.0 200 OK\r\nCSeq: " + cseq.encode()
                           + b"\r\nContent-Type: application/sdp\r\nContent-Length: 1900000000\r\n\r\n")
        while budget.spend(len(FILLER)):
            connection.sendall(FILLER)
    elif shape == "trickle-head":
        connection.sendall(b"RTSP/1.0 200 OK\r\nCSeq: " + cseq.encode() + b"\r\n")
        line = 0
        while budget.spend(0):
            connection.sendall(b"X-Filler-%d: x\r\n" % line)
            line += 1
            time.sleep(0.05)
    else:
        connection.sendall(b"RTSP/1.0 200 OK\r\nCSeq: " + cseq.encode() + b"\r\n")
        line = 0
        while True:
            piece = b"".join(b"X-Filler-%d: %s\r\n" % (line + i, FILLER[:200]) for i in range(256))
            line += 256
            connection.sendall(piece)
            if not budget.spend(len(piece)):
                break


def endless_message(connection, head, budget):
    connection.sendall(head + b"Content-Type: application/sdp\r\nContent-Length: 1900000000\r\n\r\n")
    while budget.spend(len(FILLER)):
        connection.sendall(FILLER)


def interleave(channel, packet):
    return b"$" + bytes([channel]) + struct.pack("!H", len(packet)) + packet


def stream_pictures(connection, lock, transport, shape):
    """Whole pictures until armed; then the long message on the RTSP connection (its own
    thread over UDP, so the pictures go on; over TCP they cannot, as the message holds it)."""
    budget = Budget()
    sender = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    sequence = 0
    picture = 0
    hostile_sent = False
    try:
        while budget.spend(0):
            if armed.is_set() and shape != "keepalive-after-picture" and not hostile_sent:
                hostile_sent = True
                head = (b"RTSP/1.0 200 OK\r\nCSeq: 4711\r\n" if shape == "body-after-picture"
                        else b"ANNOUNCE rtsp://127.0.0.1/stream RTSP/1.0\r\nCSeq: 1\r\nSession: 4711\r\n")
                thread = threading.Thread(target=locked, args=(lock, endless_message, connection, head, Budget()),
                                          daemon=True)
                thread.start()
            for index, unit in enumerate(PICTURE):
                marker = 0x80 if index == len(PICTURE) - 1 else 0
                packet = struct.pack("!BBHII", 0x80, marker | 96, sequence & 0xFFFF, (picture * 9000) & 0xFFFFFFFF,
                                     0x1234ABCD) + unit
                sequence += 1
                if "interleaved" in transport:
                    channel = int(transport.split("interleaved=")[1].split("-")[0])
                    with lock:
                        connection.sendall(interleave(channel, packet))
                else:
                    port = int(transport.split("client_port=")[1].split("-")[0].split(";")[0])
                    sender.sendto(packet, ("127.0.0.1", port))
            picture += 1
            time.sleep(0.1)
    except OSError:
        pass
    finally:
        sender.close()


def locked(lock, function, *arguments):
    try:
        with lock:
            function(*arguments)
    except OSError:
        pass


def rtp_fragments():
    """RTP packets of one IDR unit that never ends: a start fragment, then middle ones."""
    sequence = 0
    indicator = 0x60 | 28
    start = True
    while True:
        header = struct.pack("!BBHII", 0x80, 96, sequence & 0xFFFF, 90000, 0x1234ABCD)
        fu_header = (0x80 if start else 0x00) | 5
        yield header + bytes([indicator, fu_header]) + FILLER[:FRAGMENT]
        start = False
        sequence += 1


def stream_endless_unit(connection, transport):
    budget = Budget()
    packets = rtp_fragments()
    if "interleaved" in transport:
        channel = int(transport.split("interleaved=")[1].split("-")[0])
        while True:
            packet = next(packets)
            connection.sendall(b"$" + bytes([channel]) + struct.pack("!H", len(packet)) + packet)
            if not budget.spend(len(packet)):
                return
    port = int(transport.split("client_port=")[1].split("-")[0].split(";")[0])
    sender = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    try:
        while True:
            packet = next(packets)
            try:
                sender.sendto(packet, ("127.0.0.1", port))
            except OSError:
                time.sleep(0.001)
            if not budget.spend(len(packet)):
                return
    finally:
        sender.close()


def serve(connection, shape):
    pending = [b""]
    transport = ""
    lock = threading.Lock()
    playing = False
    try:
        while True:
            request = read_request(connection, pending)
            if request is None:
                return
            method, headers = request
            cseq = headers.get("cseq", "0")
            if method == "OPTIONS" and playing and armed.is_set() and shape == "keepalive-after-picture":
                with lock:
                    endless_message(connection, b"RTSP/1.0 200 OK\r\nCSeq: " + cseq.encode() + b"\r\n", Budget())
                return
            if method == "OPTIONS":
                with lock:
                    answer(connection, cseq, b"Public: OPTIONS, DESCRIBE, SETUP, PLAY, TEARDOWN\r\n")
            elif method == "DESCRIBE" and shape in ("endless-body", "endless-head", "trickle-head"):
                endless(connection, cseq, shape)
                return
            elif method == "DESCRIBE":
                answer(connection, cseq, b"Content-Type: application/sdp\r\n", SDP)
            elif method == "SETUP":
                transport = headers.get("transport", "")
                if "interleaved" not in transport and "client_port" not in transport:
                    transport += ";interleaved=0-1"
                reply = transport.split(",")[0]
                if "RTP/AVP/TCP" not in reply and "client_port" in reply:
                    reply += ";server_port=9-10"
                # A short session time-out brings the client's keep-alives often.
                timeout = b"2" if shape in AFTER_PICTURE else b"60"
                answer(connection, cseq, b"Session: 4711;timeout=" + timeout + b"\r\nTransport: " + reply.encode()
                       + b"\r\n")
            elif method == "PLAY" and shape in AFTER_PICTURE:
                with lock:
                    answer(connection, cseq, b"Session: 4711\r\n")
                playing = True
                threading.Thread(target=stream_pictures, args=(connection, lock, transport.split(",")[0], shape),
                                 daemon=True).start()
            elif method == "PLAY":
                answer(connection, cseq, b"Session: 4711\r\n")
                stream_endless_unit(connection, transport.split(",")[0])
                return
            else:
                with lock:
                    answer(connection, cseq, b"Session: 4711\r\n")
    except OSError:
        pass
    finally:
        connection.close()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("shape", choices=("endless-body", "endless-head", "trickle-head", "endless-unit") + AFTER_PICTURE)
    parser.add_argument("--port", type=int, default=0)
    options = parser.parse_args()
    signal.signal(signal.SIGUSR1, lambda number, frame: armed.set())
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind(("127.0.0.1", options.port))
    listener.listen(8)
    print("READY %d" % listener.getsockname()[1], flush=True)
    while True:
        connection, _ = listener.accept()
        threading.Thread(target=serve, args=(connection, options.shape), daemon=True).start()


if __name__ == "__main__":
    sys.exit(main())
