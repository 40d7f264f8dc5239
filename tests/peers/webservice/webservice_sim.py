#!/usr/bin/env python3
"""A stand-in for the web service and its storage, for the web client's tests.

Listens on 127.0.0.1 only. Serves every route the client calls with the accounts and projects
of a scenario file and checks what the real service would check: the login secret, the Bearer
token and its expiry, the signature of service requests (recomputed from the request as it
arrived), the client id issued to the login, a Date close to its own (skewable) clock, the XML
namespaces and element order, the strict encoding of the form login, pre-signed storage
addresses, ETags and part sizes of multi-part uploads.

Every request is appended to a JSON-lines log with its verdict. Fault rules (per route and per
Nth request of that route) make it misbehave on purpose. Signed service requests are checked
(signature, date, one-time token) before any fault is injected, so a replayed token fails even
where a fault was asked for. "paceBytesPerSecond" sends an answer's body at that rate, "slowBodyMs"
16 bytes at a time with that pause, "padBytes" makes it larger, "pauseAfterBytes" falls silent for
"pauseMs" after that many bytes of the answer, "cutBodyAfterBytes" sends a stored object without a
length and closes after that many bytes of it. "endless" answers with "status" (200 when none is
given) and a body without end, as fast as the client reads (for at most "maxSeconds", 60 by
default), in chunks when "chunked" is set, after the text of "openWith" when given, and before
the request's body has been read when "bodyUnread" is set; with "head" ("status" or "lines") the
status line or the header lines are what never ends. "resetAfterBytes" resets an upload's connection (RST)
once that many bytes of its body have arrived. "gzip" sends the route's answer compressed ("Content-Encoding: gzip") whatever the
request asked for; "gzipBombBytes" sends instead a compressed body that unpacks to that many
bytes. "extraObjects" adds that many made-up objects to a bucket listing. A "hold" rule keeps a
request unanswered until the test releases its route (POST __sim/release {"route": ...}); the
request is logged as route "held" on arrival. A "body" rule answers in the route's place with
that text and status 200 (as a captive portal's login page or a proxy's own answer would), typed
by its "contentType" (JSON when none is given). A "repeat" rule ({"head": ..., "unit": ...,
"count": n, "tail": ...}) answers with the head, n times the unit and the tail, typed by its
"contentType" (XML when none is given), streamed with its length: documents far larger than the
peer should hold. "transferGzip" sends the answer compressed as a transfer coding
("Transfer-Encoding: gzip, chunked"); "bodyDelayMs" holds the body back that long after the head.

Lists and upload states that change between polls: "projectListSequence" gives the answer of each
list query in turn, "uploadStatusSequence" the status of each status query per project id; an
upload confirmed by the client joins the list once a status query answered it with 2 (imported).
POST __sim/projects replaces the listed projects. An account's "expiresIn" (seconds) makes its
token run out mid-session; "applicationUsers" make it a multi-user account; "twoStep" with
"twoStepCode" asks for an authentication code.

Usage: webservice_sim.py --scenario FILE --log FILE --storage DIR [--tls-cert PEM --tls-key PEM] [--port N]
       webservice_sim.py --demo DIR [--port N]
With --demo, the scenario is a demo account ("demo", password "demo") with two web projects whose
files and media are made in DIR (see webservice_demo.py); the log is DIR/requests.jsonl.
Prints "READY <port>" once it listens.
"""

import argparse
import base64
import datetime
import email.utils
import gzip
import hashlib
import html
import hmac
import json
import os
import re
import secrets
import shutil
import socket
import ssl
import struct
import sys
import threading
import time
import urllib.parse
import xml.etree.ElementTree as ET
import zlib
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

XSI = 'xmlns:i="http://www.w3.org/2001/XMLSchema-instance"'
DC = 'http://schemas.datacontract.org/2004/07/'
NS_WEB = XSI + ' xmlns="' + DC + 'MERIX.Tovrin.Web.Business.Models"'
NS_SERVICE = XSI + ' xmlns="' + DC + 'MERIX.Tovrin.Service.SDK.Models.Request"'
NS_ACCOUNT = XSI + ' xmlns="' + DC + 'MERIX.Tovrin.Web.Client.Controllers.Api"'
NS_ARRAYS = 'xmlns:d2p1="http://schemas.microsoft.com/2003/10/Serialization/Arrays"'
PART_SIZE = 4194304
DATE_RE = re.compile(r'^(Mon|Tue|Wed|Thu|Fri|Sat|Sun), \d\d (Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) '
                     r'\d{4} \d\d:\d\d:\d\d GMT$')
TOKEN_RE = re.compile(r'^\{[0-9a-f]{8}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{12}\}$')
UNRESERVED = '-._~'
# Signed service routes and the method each one signs.
SIGNED_ROUTES = {'bucket_get': 'GET', 'bucket_create': 'PUT', 'list_files': 'POST', 'transcoding': 'PUT'}


class Rejected(Exception):
    def __init__(self, status, reason):
        super().__init__(reason)
        self.status = status
        self.reason = reason


class State:
    def __init__(self, scenario, log_path, storage_dir, scheme):
        self.lock = threading.Lock()
        self.scenario = scenario
        self.log_path = log_path
        self.log_file = open(log_path, 'a', encoding='utf-8')
        self.storage_dir = storage_dir
        self.scheme = scheme
        self.port = 0
        self.seq = 0
        self.counters = {}
        self.faults = list(scenario.get('faults', []))
        self.tokens = {}          # token -> {account, user, expires}
        self.clients = {}         # client id -> secret
        self.client_owners = {}   # client id -> account
        self.seen_message_tokens = set()
        self.storage_key = secrets.token_bytes(32)
        self.uploads = {}         # upload id -> {key, projectId, parts: {n: (md5, size)}, aborted}
        self.buckets = set()
        self.bucket_projects = {}  # bucket name (lower case) -> project id
        self.next_id = 1
        self.holds = {}           # route -> threading.Event that releases its held requests
        self.initiated = {}       # project id -> {projectName, creationDate} of upload_init
        self.confirmed = {}       # project id -> the same, once the upload was confirmed
        self.status_polls = {}    # project id -> how often its upload status was asked
        self.imported = []        # confirmed uploads the service has reported imported, in order

    @property
    def skew(self):
        return float(self.scenario.get('clockSkewSeconds', 0))

    def now(self):
        return time.time() + self.skew

    def root(self):
        return '%s://127.0.0.1:%d/' % (self.scheme, self.port)

    def count(self, route):
        with self.lock:
            self.counters[route] = self.counters.get(route, 0) + 1
            return self.counters[route]

    def fault_for(self, route, nth):
        with self.lock:
            for rule in self.faults:
                if rule.get('route') != route:
                    continue
                wanted = rule.get('nth')
                if wanted is None or nth in wanted:
                    return rule
        return None

    def hold_event(self, route):
        with self.lock:
            if route not in self.holds:
                self.holds[route] = threading.Event()
            return self.holds[route]

    def log(self, entry):
        with self.lock:
            self.seq += 1
            entry['n'] = self.seq
            self.log_file.write(json.dumps(entry) + '\n')
            self.log_file.flush()

    def new_id(self, prefix):
        with self.lock:
            value = '%s-%d' % (prefix, self.next_id)
            self.next_id += 1
            return value

    def account(self, user_name):
        for account in self.scenario.get('accounts', []):
            if account['userName'] == user_name:
                return account
        return None

    def sign_storage(self, method, path, expires):
        message = ('%s\n%s\n%d' % (method, path, expires)).encode()
        return hmac.new(self.storage_key, message, hashlib.sha256).hexdigest()

    def presign(self, method, path):
        expires = int(self.now()) + 900
        signature = self.sign_storage(method, path, expires)
        return '%s%s?X-Expires=%d&X-Signature=%s' % (self.root(), path.lstrip('/'), expires, signature)


def route_of(method, path):
    p = '/' + path.lstrip('/')
    table = [
        ('POST', r'^/__sim/faults$', 'control'),
        ('POST', r'^/__sim/expire-tokens$', 'expire_tokens'),
        ('POST', r'^/__sim/presign$', 'presign_control'),
        ('POST', r'^/__sim/release$', 'release_control'),
        ('POST', r'^/__sim/projects$', 'projects_control'),
        ('GET', r'^/api/status$', 'status_check'),
        ('GET', r'^/api/Users/CheckTwoStepAuthentication$', 'two_step'),
        ('POST', r'^/login/api/users/login$', 'login_json'),
        ('PUT', r'^/login/api/users/login$', 'login_form'),
        ('POST', r'^/login/api/users/token$', 'token'),
        ('GET', r'^/tovrinservice/api/Status/Get$', 'server_status'),
        ('GET', r'^/api/Projects/companytovrinservice$', 'client_credentials'),
        ('GET', r'^/api/Projects$', 'projects'),
        ('GET', r'^/api/Projects/[^/]+$', 'project'),
        ('GET', r'^/api/Projects/[^/]+/Zephira(/Surveys|/Manholes)?$', 'project_data'),
        ('GET', r'^/api/Projects/[^/]+/Zephira/Media(/[^/]+)?/Download$', 'media_links'),
        ('GET', r'^/storage/objects/.+$', 'storage_get'),
        ('POST', r'^/api/UploadProject/Statuses$', 'upload_statuses'),
        ('POST', r'^/api/UploadProject/Init$', 'upload_init'),
        ('POST', r'^/api/UploadProject/Uploaded$', 'upload_uploaded'),
        ('POST', r'^/api/UploadProject/Cancel$', 'upload_cancel'),
        ('POST', r'^/api/Account/ResetPassword$', 'reset_password'),
        ('POST', r'^/api/Storage/Project/[^/]+/PreSignedBatchUpload$', 'presigned_batch'),
        ('POST', r'^/api/Storage/Project/[^/]+/MultipartInit$', 'multipart_init'),
        ('GET', r'^/api/Storage/Project/[^/]+/MultipartUploadAllPartsPreSignedUrls$', 'multipart_urls'),
        ('POST', r'^/api/Storage/Project/[^/]+/MultipartComplete$', 'multipart_complete'),
        ('DELETE', r'^/api/Storage/Project/[^/]+/MultipartAbort$', 'multipart_abort'),
        ('PUT', r'^/storage/objects/.+$', 'storage_put'),
        ('PUT', r'^/storage/parts/[^/]+/\d+$', 'storage_part'),
        ('GET', r'^/tovrinservice/api/bucket/[^/]+$', 'bucket_get'),
        ('PUT', r'^/tovrinservice/api/bucket/[^/]+$', 'bucket_create'),
        ('POST', r'^/tovrinservice/api/bucket/listoffilesfromlocations$', 'list_files'),
        ('PUT', r'^/tovrinservice/api/job/putforeachpresets$', 'transcoding'),
    ]
    # Routes with a leading "/" arrive after the root's own "/": the service folds them.
    p = re.sub(r'^/+', '/', p)
    for m, pattern, name in table:
        if m == method and re.match(pattern, p):
            return name, p
    return 'unknown', p


GZIP_BOMBS = {}


def gzip_bomb(size):
    """A gzip stream of size spaces, made once per size without holding them."""
    if size not in GZIP_BOMBS:
        packer = zlib.compressobj(9, zlib.DEFLATED, 31)
        block = b' ' * (1 << 20)
        parts = []
        for start in range(0, size, len(block)):
            parts.append(packer.compress(block[:min(len(block), size - start)]))
        parts.append(packer.flush())
        GZIP_BOMBS[size] = b''.join(parts)
    return GZIP_BOMBS[size]


def xml_escape(text):
    return text.replace('&', '&amp;').replace('<', '&lt;').replace('>', '&gt;')


def check_xml(body, root, namespace, children):
    text = body.decode('utf-8')
    opening = '<%s %s>' % (root, namespace)
    if not text.startswith(opening):
        raise Rejected(400, 'root element or namespace differs')
    try:
        element = ET.fromstring(text)
    except ET.ParseError as error:
        raise Rejected(400, 'malformed XML: %s' % error)
    names = [child.tag.split('}')[-1] for child in element]
    if names != children:
        raise Rejected(400, 'element order %s, expected %s' % (names, children))
    return {child.tag.split('}')[-1]: (child.text or '') for child in element}


class Handler(BaseHTTPRequestHandler):
    protocol_version = 'HTTP/1.1'
    server_version = 'WebServiceSim/1.0'
    state = None
    # A head and its body go out in separate writes: with Nagle's algorithm the body would
    # wait for the client's delayed acknowledgement of the head, some 40 ms on every answer.
    disable_nagle_algorithm = True

    def log_message(self, format, *args):  # quiet: the JSON-lines log is the record
        pass

    def handle(self):
        # A client that gives up an answer (a refused or endless one) is normal here.
        try:
            super().handle()
        except (BrokenPipeError, ConnectionResetError):
            self.close_connection = True

    # ---- plumbing ----

    def read_body(self, limit=None):
        length = int(self.headers.get('Content-Length') or 0)
        if limit is not None:
            length = min(length, limit)
        data = b''
        while len(data) < length:
            chunk = self.rfile.read(min(65536, length - len(data)))
            if not chunk:
                break
            data += chunk
        return data

    def send_endless(self):
        """A head of the fault's status, then a body without end as fast as the client reads."""
        fault = self.fault
        status = int(fault.get('status', 200))
        head = ('HTTP/1.1 %d %s\r\nContent-Type: text/html\r\nConnection: close\r\n' % (
            status, self.responses.get(status, ('X',))[0]))
        if status in (301, 302, 303, 307, 308):
            head += 'Location: %selsewhere\r\n' % self.state.root()
        chunked = bool(fault.get('chunked'))
        if chunked:
            head += 'Transfer-Encoding: chunked\r\n'
        self.record('fault: endless %d' % status, status)
        self.close_connection = True
        opening = fault.get('openWith', '').encode()
        block = b'<p>' + b' ' * 65530 + b'</p>'
        if chunked:
            block = b'%x\r\n' % len(block) + block + b'\r\n'
            opening = b'%x\r\n' % len(opening) + opening + b'\r\n' if opening else b''
        if fault.get('head') == 'status':
            # A status line that never ends.
            head, block, opening = 'HTTP/1.1 %d ' % status, b'x' * 65536, b''
        elif fault.get('head') == 'lines':
            # Header lines that never end.
            block = (b'X-Filler: ' + b'x' * 90 + b'\r\n') * 650
            opening = b''
        else:
            head += '\r\n'
        self.wfile.write(head.encode() + opening)
        deadline = time.monotonic() + float(fault.get('maxSeconds', 60))
        try:
            while time.monotonic() < deadline:
                self.wfile.write(block)
        except OSError:
            pass

    def send_repeated(self, repeat):
        head = repeat.get('head', '').encode('utf-8')
        unit = repeat.get('unit', '').encode('utf-8')
        tail = repeat.get('tail', '').encode('utf-8')
        count = int(repeat.get('count', 0))
        self.record('fault: repeat', 200)
        self.wfile.write(('HTTP/1.1 200 OK\r\nContent-Type: %s\r\nContent-Length: %d\r\n\r\n' % (
            self.fault.get('contentType', 'application/xml'), len(head) + len(unit) * count + len(tail))).encode())
        self.wfile.write(head)
        per_block = max(1, 65536 // max(1, len(unit)))
        block = unit * per_block
        while count > 0:
            self.wfile.write(block if count >= per_block else unit * count)
            count -= per_block
        self.wfile.write(tail)
        self.wfile.flush()

    def send(self, status, body=b'', content_type='application/json; charset=utf-8', headers=None):
        fault = self.fault or {}
        if fault.get('malformed'):
            body = b'{"broken": <<<' if 'json' in content_type else b'<Broken><Unclosed>'
        if fault.get('padBytes'):
            # Trailing white space: the reply stays well-formed, only larger.
            body = body + b' ' * int(fault['padBytes'])
        if fault.get('gzip') or fault.get('gzipBombBytes'):
            body = gzip_bomb(int(fault['gzipBombBytes'])) if fault.get('gzipBombBytes') else gzip.compress(body)
            headers = dict(headers or {}, **{'Content-Encoding': 'gzip'})
        raw = ('HTTP/1.1 %d %s\r\n' % (status, self.responses.get(status, ('X',))[0])).encode()
        all_headers = [('Content-Type', content_type)]
        if fault.get('transferGzip'):
            packed = gzip.compress(body)
            body = b'%x\r\n' % len(packed) + packed + b'\r\n0\r\n\r\n'
            all_headers.append(('Transfer-Encoding', 'gzip, chunked'))
        elif fault.get('noContentLength'):
            # The body then ends with the connection, as HTTP/1.1 allows.
            all_headers.append(('Connection', 'close'))
            self.close_connection = True
        else:
            all_headers.append(('Content-Length', str(len(body))))
        all_headers += list((headers or {}).items())
        if status >= 300 or fault.get('closeConnection'):
            all_headers.append(('Connection', 'close'))
            self.close_connection = True
        for name, value in all_headers:
            raw += ('%s: %s\r\n' % (name, value)).encode()
        raw += b'\r\n' + body
        if fault.get('bodyDelayMs'):
            self.wfile.write(raw[:len(raw) - len(body)])
            self.wfile.flush()
            time.sleep(float(fault['bodyDelayMs']) / 1000.0)
            raw = body
        if 'closeAfterBytes' in fault and self.route not in ('storage_put', 'storage_part'):
            self.wfile.write(raw[:int(fault['closeAfterBytes'])])
            self.wfile.flush()
            self.hard_close()
            return
        if fault.get('pauseAfterBytes'):
            # Silent for a while in the middle of the answer, then the rest.
            cut = int(fault['pauseAfterBytes'])
            self.wfile.write(raw[:cut])
            self.wfile.flush()
            time.sleep(float(fault.get('pauseMs', 0)) / 1000.0)
            self.wfile.write(raw[cut:])
            return
        if fault.get('paceBytesPerSecond'):
            # The body at a steady rate, as a slow link delivers it: twenty pieces a second.
            rate = float(fault['paceBytesPerSecond'])
            head, rest = raw[:len(raw) - len(body)], body
            self.wfile.write(head)
            piece = max(1, int(rate / 20))
            for i in range(0, len(rest), piece):
                self.wfile.write(rest[i:i + piece])
                self.wfile.flush()
                time.sleep(piece / rate)
            return
        if fault.get('slowBodyMs'):
            head, rest = raw[:len(raw) - len(body)], body
            self.wfile.write(head)
            for i in range(0, len(rest), 16):
                self.wfile.write(rest[i:i + 16])
                self.wfile.flush()
                time.sleep(fault['slowBodyMs'] / 1000.0)
            return
        self.wfile.write(raw)
        self.wfile.flush()

    def reset(self):
        """Closes the connection with a reset, as a middlebox or a crashed server does."""
        self.close_connection = True
        try:
            self.connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack('ii', 1, 0))
            self.connection.close()
        except OSError:
            pass

    def hard_close(self):
        self.close_connection = True
        try:
            self.connection.shutdown(socket.SHUT_RDWR)
        except OSError:
            pass

    def record(self, verdict, status, **extra):
        entry = {'method': self.command, 'path': self.clean_path, 'route': self.route, 'nth': self.nth,
                 'verdict': verdict, 'status': status}
        if self.headers.get('X-TovrinService-MessageToken'):
            entry['messageToken'] = self.headers['X-TovrinService-MessageToken']
        entry.update(extra)
        self.state.log(entry)

    def query(self):
        return dict(urllib.parse.parse_qsl(urllib.parse.urlsplit(self.path).query, keep_blank_values=True))

    def bearer(self):
        value = self.headers.get('Authorization', '')
        if not value.startswith('Bearer '):
            raise Rejected(401, 'no Bearer token')
        token = value[len('Bearer '):]
        with self.state.lock:
            session = self.state.tokens.get(token)
        if session is None:
            raise Rejected(401, 'unknown token')
        if session['expires'] < time.time():
            raise Rejected(401, 'token expired')
        return token, session

    def check_login_headers(self):
        secret = self.state.scenario.get('clientSecret', 'Rk8vQm2Zt5LwPn4Hx7Cd9Yb3Fs6Jg1Ua')
        if self.headers.get('Authorization') != 'Bearer ' + secret:
            raise Rejected(401, 'login not authorised with the client secret')
        if self.headers.get('Referer') != self.state.root():
            raise Rejected(400, 'Referer is not the web root')
        if self.headers.get('Content-Type') != 'application/json':
            raise Rejected(400, 'Content-Type is not JSON')

    def check_signature(self, method):
        if self.signature_checked:
            return
        self.signature_checked = True
        for name in ('Date', 'X-TovrinService-MessageToken', 'X-TovrinService-ClientId', 'Authorization'):
            if not self.headers.get(name):
                raise Rejected(401, 'missing header %s' % name)
        date = self.headers['Date']
        if not DATE_RE.match(date):
            raise Rejected(401, 'Date not in the service form: %r' % date)
        sent = email.utils.parsedate_to_datetime(date).timestamp()
        if abs(sent - self.state.now()) > 300:
            raise Rejected(401, 'Date off the service clock by %d s' % int(sent - self.state.now()))
        message_token = self.headers['X-TovrinService-MessageToken']
        if not TOKEN_RE.match(message_token):
            raise Rejected(401, 'malformed message token')
        client_id = self.headers['X-TovrinService-ClientId']
        with self.state.lock:
            secret = self.state.clients.get(client_id)
            replayed = message_token in self.state.seen_message_tokens
            self.state.seen_message_tokens.add(message_token)
        if secret is None:
            raise Rejected(401, 'client id not issued')
        if replayed:
            raise Rejected(401, 'message token used twice')
        relative = self.clean_path[len('/tovrinservice/'):]
        to_sign = '\n'.join([method, date, message_token, client_id, relative]).encode('utf-8')
        expected = base64.b64encode(hmac.new(secret.encode('utf-8'), to_sign, hashlib.sha256).digest()).decode()
        if self.headers['Authorization'] != 'TovrinService ' + expected:
            raise Rejected(401, 'signature mismatch')

    def check_presigned(self, method):
        query = self.query()
        try:
            expires = int(query.get('X-Expires', ''))
        except ValueError:
            raise Rejected(403, 'no expiry')
        path = re.sub(r'^/+', '', urllib.parse.urlsplit(self.path).path)
        expected = self.state.sign_storage(method, path, expires)
        if not hmac.compare_digest(expected, query.get('X-Signature', '')):
            raise Rejected(403, 'storage signature mismatch')
        if expires < self.state.now():
            raise Rejected(403, 'address expired')
        return path

    def stream_to(self, target):
        """Reads the request body into target (streamed); a fault may cut it short."""
        length = int(self.headers.get('Content-Length') or 0)
        limit = int(self.fault['closeAfterBytes']) if self.fault and 'closeAfterBytes' in self.fault else None
        digest = hashlib.md5()
        received = 0
        os.makedirs(os.path.dirname(target), exist_ok=True)
        partial = target + '.partial'
        with open(partial, 'wb') as out:
            while received < length:
                want = min(65536, length - received)
                if limit is not None:
                    want = min(want, limit - received)
                    if want <= 0:
                        break
                chunk = self.rfile.read(want)
                if not chunk:
                    break
                out.write(chunk)
                digest.update(chunk)
                received += len(chunk)
        if received != length:
            os.remove(partial)
            return None, received
        os.replace(partial, target)
        return digest.hexdigest(), received

    def etag_header(self, md5):
        variant = (self.fault or {}).get('etag')
        if variant == 'missing':
            return {}
        if variant == 'lower':
            return {'etag': '"%s"' % md5}
        if variant == 'unquoted':
            return {'ETag': md5}
        return {'ETag': '"%s"' % md5}

    # ---- dispatch ----

    def do_GET(self):
        self.dispatch()

    def do_POST(self):
        self.dispatch()

    def do_PUT(self):
        self.dispatch()

    def do_DELETE(self):
        self.dispatch()

    def dispatch(self):
        self.route, self.clean_path = route_of(self.command, urllib.parse.urlsplit(self.path).path)
        self.nth = self.state.count(self.route)
        self.fault = self.state.fault_for(self.route, self.nth)
        self.signature_checked = False
        fault = self.fault or {}
        try:
            if fault.get('hold'):
                self.state.log({'method': self.command, 'path': self.clean_path, 'route': 'held',
                                'held': self.route, 'nth': self.nth, 'verdict': 'held', 'status': 0})
                # Bounded: a test that forgets to release must not keep the peer's thread for ever.
                self.state.hold_event(self.route).wait(60)
            if fault.get('delayMs'):
                time.sleep(fault['delayMs'] / 1000.0)
            if self.route in SIGNED_ROUTES:
                # What the real service refuses is refused before any injected fault.
                self.check_signature(SIGNED_ROUTES[self.route])
            if 'resetAfterBytes' in fault and self.route in ('storage_put', 'storage_part'):
                self.read_body(int(fault['resetAfterBytes']))
                self.record('fault: reset after %d bytes' % int(fault['resetAfterBytes']), 0)
                self.reset()
                return
            if 'closeAfterBytes' in fault and self.route in ('storage_put', 'storage_part'):
                self.read_body(int(fault['closeAfterBytes']))
                self.record('fault: closed after %d bytes' % int(fault['closeAfterBytes']), 0)
                self.hard_close()
                return
            if fault.get('endless'):
                if not fault.get('bodyUnread'):
                    self.read_body()
                self.send_endless()
                return
            if 'repeat' in fault:
                self.read_body()
                self.send_repeated(fault['repeat'])
                return
            if 'body' in fault:
                self.read_body()
                self.record('fault: body', 200)
                self.send(200, fault['body'].encode('utf-8'),
                          fault.get('contentType', 'application/json; charset=utf-8'))
                return
            if 'status' in fault:
                self.read_body()
                status = int(fault['status'])
                headers = {'Location': self.state.root() + 'elsewhere'} if status == 302 else {}
                self.record('fault: status %d' % status, status)
                self.send(status, b'{"message":"fault"}', headers=headers)
                return
            handler = getattr(self, 'route_' + self.route, None)
            if handler is None:
                self.read_body()
                raise Rejected(404, 'no such route')
            handler()
        except Rejected as rejected:
            self.record('rejected: ' + rejected.reason, rejected.status)
            self.send(rejected.status, json.dumps({'message': rejected.reason}).encode())
        except (BrokenPipeError, ConnectionResetError):
            self.close_connection = True
        except Exception as error:  # a malformed request must not kill the peer's thread silently
            self.record('error: %s' % error, 500)
            try:
                self.send(500, json.dumps({'message': 'internal error'}).encode())
            except OSError:
                self.close_connection = True

    def ok(self, body, content_type='application/json; charset=utf-8', headers=None, **extra):
        self.record('ok', 200, **extra)
        self.send(200, body, content_type, headers)

    # ---- routes ----

    def route_control(self):
        rules = json.loads(self.read_body() or b'[]')
        with self.state.lock:
            self.state.faults = rules
            self.state.counters = {}
            # A released route holds again under new rules; requests still held stay so until released.
            for route in [r for r, event in self.state.holds.items() if event.is_set()]:
                del self.state.holds[route]
        self.ok(b'{}')

    def route_expire_tokens(self):
        self.read_body()
        with self.state.lock:
            for session in self.state.tokens.values():
                session['expires'] = 0
        self.ok(b'{}')

    def route_presign_control(self):
        body = json.loads(self.read_body() or b'{}')
        address = self.state.presign(body.get('method', 'GET'), body.get('path', ''))
        self.ok(json.dumps({'url': address}).encode())

    def route_release_control(self):
        body = json.loads(self.read_body() or b'{}')
        self.state.hold_event(body.get('route', '')).set()
        self.ok(b'{}')

    def route_status_check(self):
        self.ok(b'OK', 'text/plain')

    def route_two_step(self):
        account = self.state.account(self.query().get('username', ''))
        answer = b'true' if account and account.get('twoStep') else b'false'
        self.ok(answer, 'text/plain')

    def issue_token(self, account, user_id, user_name, application_users):
        token = secrets.token_urlsafe(24)
        lifetime = int(account.get('expiresIn', self.state.scenario.get('tokenLifetimeSeconds', 3600)))
        with self.state.lock:
            self.state.tokens[token] = {'account': account['userName'], 'user': user_id,
                                        'expires': time.time() + lifetime}
        return {'error': None, 'access_token': token, 'expires_in': lifetime, 'username': user_name,
                'id': user_id, 'companyId': account.get('companyId', ''),
                'applicationUsers': application_users}

    def route_login_json(self):
        self.check_login_headers()
        try:
            body = json.loads(self.read_body())
        except ValueError:
            raise Rejected(400, 'login body is not JSON')
        if not isinstance(body, dict) or sorted(body.keys()) != ['ClientId', 'NoLogout', 'Password', 'UserName']:
            raise Rejected(400, 'login body keys %s' % list(body.keys()))
        if body['ClientId'] != 'fieldpad' or body['NoLogout'] is not True:
            raise Rejected(400, 'login body values')
        account = self.state.account(body['UserName'])
        if account is None or account['password'] != body['Password']:
            self.ok(json.dumps({'error': 'Invalid user credentials.', 'errorMsgLog': 'refused'}).encode(),
                    login='refused')
            return
        if account.get('twoStep'):
            self.ok(json.dumps({'error': 'Invalid user credentials.', 'needTwoFactor': True}).encode(),
                    login='needs code')
            return
        reply = self.issue_token(account, account['id'], account['userName'], account.get('applicationUsers', []))
        self.ok(json.dumps(reply).encode(), login='accepted', token=reply['access_token'])

    def route_login_form(self):
        if self.headers.get('Content-Type') != 'application/x-www-form-urlencoded; charset=UTF-8':
            raise Rejected(400, 'form Content-Type')
        raw = self.read_body().decode('ascii', errors='replace')
        fields = raw.split('&')
        names = ['grant_type', 'keepInMind', 'username', 'password', 'twoFactorAuthenticationCode']
        if len(fields) != 5 or [f.split('=', 1)[0] for f in fields] != names:
            raise Rejected(400, 'form fields differ')
        values = {}
        for field in fields:
            name, value = field.split('=', 1)
            decoded = urllib.parse.unquote(value, errors='strict')
            if urllib.parse.quote(decoded, safe=UNRESERVED) != value:
                raise Rejected(400, 'form value of %s not strictly encoded' % name)
            values[name] = decoded
        if values['grant_type'] != 'password' or values['keepInMind'] != 'true':
            raise Rejected(400, 'form constants')
        account = self.state.account(values['username'])
        if account is None or account['password'] != values['password'] or \
                (account.get('twoStep') and account.get('twoStepCode') != values['twoFactorAuthenticationCode']):
            self.ok(json.dumps({'error': 'Invalid user credentials.'}).encode(), login='refused')
            return
        reply = self.issue_token(account, account['id'], account['userName'], account.get('applicationUsers', []))
        self.ok(json.dumps(reply).encode(), login='accepted', token=reply['access_token'])

    def route_token(self):
        self.check_login_headers()
        body = json.loads(self.read_body() or b'{}')
        with self.state.lock:
            session = self.state.tokens.get(body.get('currentUserToken', ''))
        if session is None or session['user'] != body.get('currentUserId'):
            self.ok(json.dumps({'error': 'UserNotFound'}).encode(), login='refused: unknown session')
            return
        account = self.state.account(session['account'])
        target = body.get('targetApplicationUserId')
        users = account.get('applicationUsers', [])
        if target not in [u['id'] for u in users] or body.get('NoLogout') is not True:
            self.ok(json.dumps({'error': 'UserNotFound'}).encode(), login='refused: unknown user')
            return
        reply = self.issue_token(account, target, account['userName'], [])
        self.ok(json.dumps(reply).encode(), login='accepted', user=target, token=reply['access_token'])

    def route_server_status(self):
        now = datetime.datetime.fromtimestamp(self.state.now(), datetime.timezone.utc)
        body = '<StatusResponse><Status>Running</Status><CurrentDate>%s</CurrentDate></StatusResponse>' % \
            now.strftime('%Y-%m-%dT%H:%M:%SZ')
        self.ok(body.encode(), 'application/xml')

    def route_client_credentials(self):
        token, session = self.bearer()
        client_id = self.state.new_id('client')
        secret = secrets.token_urlsafe(self.state.scenario.get('secretKeyBytes', 48))
        with self.state.lock:
            # A login's new client data replace the ones issued to its account before.
            for old_id in [c for c, owner in self.state.client_owners.items() if owner == session['account']]:
                self.state.clients.pop(old_id, None)
                self.state.client_owners.pop(old_id, None)
            self.state.clients[client_id] = secret
            self.state.client_owners[client_id] = session['account']
        body = ('<CompanyTovrinService><Url>%stovrinservice/</Url><ClientId>%s</ClientId><SecretKey>%s</SecretKey>'
                '<CurrentDate>%s</CurrentDate></CompanyTovrinService>') % (
            self.state.root(), client_id, secret, datetime.datetime.utcnow().isoformat())
        # The secret (like each issued token) goes to the peer's own log so that tests can look
        # for it in the client's log.
        self.ok(body.encode(), 'application/xml', clientId=client_id, secret=secret)

    def route_projects(self):
        self.bearer()
        if self.query().get('pageSize') != '1000000':
            raise Rejected(400, 'page size')
        self.ok(json.dumps({'projects': self.listed_projects(self.nth)}).encode())

    def listed_projects(self, nth):
        """The list of the nth list query: an entry of "projectListSequence" (the last one repeats)
        when the scenario has one, else "projects"; then the confirmed uploads already reported
        imported by a status query."""
        sequence = self.state.scenario.get('projectListSequence')
        if sequence:
            projects = list(sequence[min(nth, len(sequence)) - 1])
        else:
            projects = list(self.state.scenario.get('projects', []))
        listed = set(p.get('projectId') for p in projects)
        with self.state.lock:
            imported = [(i, dict(self.state.confirmed[i])) for i in self.state.imported]
        for project_id, upload in imported:
            if project_id not in listed:
                projects.append({'projectName': upload['projectName'], 'projectId': project_id,
                                 'webProjectId': 'w-' + project_id, 'projectFolderName': upload['projectName'],
                                 'projectImportDate': upload['creationDate'],
                                 'diskUsage': upload.get('diskUsage', 1048576)})
        return projects

    def route_projects_control(self):
        """Replaces the listed projects (and drops any list sequence) from the next query on."""
        body = json.loads(self.read_body() or b'[]')
        with self.state.lock:
            self.state.scenario['projects'] = body
            self.state.scenario.pop('projectListSequence', None)
        self.ok(b'{}')

    def route_project(self):
        self.bearer()
        project_id = self.clean_path.rsplit('/', 1)[1]
        for project in self.state.scenario.get('projects', []):
            if project.get('projectId') == project_id:
                self.ok(json.dumps({'projectId': project_id, 'projectName': project.get('projectName'),
                                    'projectType': project.get('projectType', 1)}).encode())
                return
        raise Rejected(404, 'no such project')

    def check_xml_download_headers(self):
        self.bearer()
        if self.headers.get('Accept') != 'application/xml':
            raise Rejected(400, 'Accept is not XML')

    def route_project_data(self):
        self.check_xml_download_headers()
        parts = self.clean_path.split('/')
        project_id = parts[3]
        kind = parts[5] if len(parts) > 5 else 'Project'
        if project_id not in [p.get('projectId') for p in self.state.scenario.get('projects', [])]:
            raise Rejected(404, 'no such project')
        project = [p for p in self.state.scenario.get('projects', []) if p.get('projectId') == project_id][0]
        self.apply_project_data_scenario(project, kind)
        data = project.get('data', {})
        if kind in data:
            body = data[kind].encode('utf-8')
        else:
            body = ('<%s><ProjectId>%s</ProjectId></%s>' % (kind, project_id, kind)).encode()
            # Scenario padding makes a body large enough for several reads.
            pad = int(project.get('dataPadding', 0))
            if pad:
                body = body[:-len('</%s>' % kind)] + b'<Pad>' + b'x' * pad + b'</Pad>' + ('</%s>' % kind).encode()
        self.ok(body, 'application/xml', kind=kind, bytes=len(body))

    def apply_project_data_scenario(self, project, kind):
        """Per-project misbehaviour of one data route, kept in the scenario file.

        "failKinds": {"Surveys": 500} answers that kind with the status;
        "slowKinds": {"Manholes": 20} sends that kind's body 16 bytes per 20 ms.
        """
        status = project.get('failKinds', {}).get(kind)
        if status is not None:
            raise Rejected(int(status), 'scenario: %s fails' % kind)
        pause_ms = project.get('slowKinds', {}).get(kind)
        if pause_ms:
            self.fault = dict(self.fault or {}, slowBodyMs=float(pause_ms))

    def route_media_links(self):
        self.check_xml_download_headers()
        parts = self.clean_path.split('/')
        project_id = parts[3]
        project = None
        for candidate in self.state.scenario.get('projects', []):
            if candidate.get('projectId') == project_id:
                project = candidate
        if project is None:
            raise Rejected(404, 'no such project')
        wanted = urllib.parse.unquote(parts[6]) if len(parts) == 8 else None
        items = []
        for media in project.get('media', []):
            # "requestName" answers a request for a name other than the one sent back (hostile
            # names); a missing "type" or "name" leaves that element out of the item.
            if wanted is not None and media.get('requestName', media.get('name')) != wanted:
                continue
            address = self.state.presign('GET', 'storage/objects/%s/%s' % (
                project_id, urllib.parse.quote(media.get('type', '') + '/' + media.get('name', ''))))
            fields = ''.join('<%s>%s</%s>' % (key, html.escape(media[key]), key)
                             for key in ('type', 'name') if key in media)
            items.append('<media-item><url>%s</url>%s</media-item>' % (address.replace('&', '&amp;'), fields))
        self.ok(('<media>%s</media>' % ''.join(items)).encode(), 'application/xml', links=len(items))

    def route_storage_get(self):
        path = self.check_presigned('GET')
        root = os.path.realpath(self.state.storage_dir)
        target = os.path.realpath(os.path.join(root, urllib.parse.unquote(path)))
        if not target.startswith(root + os.sep) or not os.path.isfile(target):
            raise Rejected(404, 'no such object')
        size = os.path.getsize(target)
        fault = self.fault or {}
        if fault.get('malformed') or fault.get('slowBodyMs') or 'closeAfterBytes' in fault:
            with open(target, 'rb') as f:
                self.ok(f.read(), 'application/octet-stream', bytes=size)
            return
        # Streamed: objects can be far larger than what the peer should hold in memory.
        self.record('ok', 200, bytes=size)
        head = ['HTTP/1.1 200 OK', 'Content-Type: application/octet-stream']
        cut = fault.get('cutBodyAfterBytes')
        if fault.get('noContentLength') or cut is not None:
            head.append('Connection: close')
            self.close_connection = True
        else:
            head.append('Content-Length: %d' % size)
        self.wfile.write(('\r\n'.join(head) + '\r\n\r\n').encode())
        with open(target, 'rb') as f:
            if cut is not None:
                self.wfile.write(f.read(int(cut)))
            else:
                shutil.copyfileobj(f, self.wfile, 1048576)
        self.wfile.flush()

    def route_upload_statuses(self):
        self.bearer()
        if self.headers.get('Content-Type') != 'application/json; charset=UTF-8':
            raise Rejected(400, 'statuses Content-Type')
        body = json.loads(self.read_body() or b'{}')
        self.ok(json.dumps([{'projectId': p, 'status': self.upload_status(p)} for p in body.get('Projects', [])]).encode())

    def upload_status(self, project_id):
        """The kth status query of a project answers entry k of its "uploadStatusSequence" (keyed by
        project id, "*" for any; the last entry repeats); 1 (pending) without one. A confirmed upload
        answered with 2 is listed as imported from then on."""
        sequences = self.state.scenario.get('uploadStatusSequence', {})
        sequence = sequences.get(project_id) or sequences.get('*') or [1]
        with self.state.lock:
            polls = self.state.status_polls.get(project_id, 0) + 1
            self.state.status_polls[project_id] = polls
            status = int(sequence[min(polls, len(sequence)) - 1])
            if status == 2 and project_id in self.state.confirmed and project_id not in self.state.imported:
                self.state.imported.append(project_id)
        return status

    def route_upload_init(self):
        self.bearer()
        values = check_xml(self.read_body(), 'InitUploadProcesModel', NS_WEB,
                           ['CompanyId', 'CreationDate', 'Email', 'HasPermissionsToOverrideAllProject',
                            'TarnwickImport', 'ProjectId', 'ProjectName'])
        if not values['CreationDate'].endswith('Z'):
            raise Rejected(400, 'creation date not in UTC form')
        bucket = 'Bucket-' + values['ProjectId']
        with self.state.lock:
            self.state.bucket_projects[bucket.lower()] = values['ProjectId']
            self.state.initiated[values['ProjectId']] = {'projectName': values['ProjectName'],
                                                         'creationDate': values['CreationDate']}
        self.ok(('<InitUploadProcessResponse><BucketName>%s</BucketName></InitUploadProcessResponse>' % bucket).encode(),
                'application/xml', projectName=values['ProjectName'])

    def route_upload_uploaded(self):
        self.bearer()
        body = self.read_body()
        text = body.decode('utf-8')
        children = ['ProjectId']
        if '<TarnwickImport>' in text:
            children = ['TarnwickImport', 'ProjectId']
        elif '<ImportType>' in text:
            children = ['ImportType', 'ProjectId']
        values = check_xml(body, 'UploadProcesMessageModel', NS_WEB, children)
        with self.state.lock:
            upload = self.state.initiated.get(values['ProjectId'])
            if upload is not None:
                self.state.confirmed[values['ProjectId']] = upload
        self.ok(b'{}')

    def route_upload_cancel(self):
        self.bearer()
        check_xml(self.read_body(), 'UploadProcesMessageModel', NS_WEB, ['ProjectId'])
        self.ok(b'{}')

    def route_reset_password(self):
        check_xml(self.read_body(), 'AccountApiController.ResetPasswordBindingModel', NS_ACCOUNT, ['UserName'])
        self.ok(b'{}')

    def route_presigned_batch(self):
        self.bearer()
        project_id = self.clean_path.split('/')[4]
        body = json.loads(self.read_body() or b'{}')
        urls = {}
        for key in body.get('paths', []):
            urls[key] = self.state.presign('PUT', 'storage/objects/%s/%s' % (project_id, urllib.parse.quote(key)))
        self.ok(json.dumps(urls).encode())

    def route_storage_put(self):
        path = self.check_presigned('PUT')
        root = os.path.realpath(self.state.storage_dir)
        target = os.path.realpath(os.path.join(root, urllib.parse.unquote(path)))
        if not target.startswith(root + os.sep):
            self.read_body()
            raise Rejected(400, 'key leaves the storage')
        md5, received = self.stream_to(target)
        if md5 is None:
            self.record('incomplete body', 0, bytes=received)
            self.hard_close()
            return
        self.ok(b'', 'text/plain', self.etag_header(md5), bytes=received)

    def route_multipart_init(self):
        self.bearer()
        body = json.loads(self.read_body() or b'{}')
        upload_id = self.state.new_id('upload')
        with self.state.lock:
            self.state.uploads[upload_id] = {'key': body.get('key'), 'projectId': body.get('projectId'),
                                             'parts': {}, 'aborted': False}
        self.ok(json.dumps(upload_id).encode())

    def route_multipart_urls(self):
        self.bearer()
        query = self.query()
        with self.state.lock:
            upload = self.state.uploads.get(query.get('uploadId', ''))
        if upload is None or upload['key'] != query.get('path') or upload['projectId'] != query.get('projectId'):
            raise Rejected(404, 'unknown multi-part upload')
        parts = int(query.get('parts', '0'))
        urls = [self.state.presign('PUT', 'storage/parts/%s/%d' % (query['uploadId'], n)) for n in range(1, parts + 1)]
        fewer = int((self.fault or {}).get('fewerUrls', 0))
        if fewer:
            urls = urls[:max(0, len(urls) - fewer)]
        self.ok(json.dumps(urls).encode(), urls=len(urls))

    def route_storage_part(self):
        path = self.check_presigned('PUT')
        _, _, upload_id, number = path.split('/')
        with self.state.lock:
            upload = self.state.uploads.get(upload_id)
        if upload is None or upload['aborted']:
            self.read_body()
            raise Rejected(404, 'no such upload')
        target = os.path.join(self.state.storage_dir, 'parts', upload_id, number)
        md5, received = self.stream_to(target)
        if md5 is None:
            self.record('incomplete body', 0, bytes=received, part=int(number))
            self.hard_close()
            return
        with self.state.lock:
            upload['parts'][int(number)] = (md5, received)
        self.ok(b'', 'text/plain', self.etag_header(md5), part=int(number), bytes=received)

    def route_multipart_complete(self):
        self.bearer()
        body = json.loads(self.read_body() or b'{}')
        with self.state.lock:
            upload = self.state.uploads.get(body.get('uploadId', ''))
        if upload is None or upload['aborted']:
            raise Rejected(404, 'unknown multi-part upload')
        if body.get('key') != upload['key'] or body.get('projectId') != upload['projectId']:
            raise Rejected(400, 'key or project differs')
        tags = body.get('eTags', [])
        if [t.get('partNumber') for t in tags] != list(range(1, len(tags) + 1)) or len(tags) != len(upload['parts']):
            raise Rejected(400, 'part numbers do not cover the uploaded parts')
        for i, tag in enumerate(tags, start=1):
            md5, size = upload['parts'].get(i, (None, 0))
            if tag.get('eTag') != md5:
                raise Rejected(400, 'ETag of part %d differs' % i)
            if i < len(tags) and size != PART_SIZE:
                raise Rejected(400, 'part %d has %d bytes' % (i, size))
        target = os.path.join(self.state.storage_dir, 'storage', 'objects', upload['projectId'], upload['key'])
        os.makedirs(os.path.dirname(target), exist_ok=True)
        with open(target, 'wb') as out:
            for i in range(1, len(tags) + 1):
                with open(os.path.join(self.state.storage_dir, 'parts', body['uploadId'], str(i)), 'rb') as part:
                    shutil.copyfileobj(part, out)
        self.ok(b'{}', parts=len(tags))

    def route_multipart_abort(self):
        self.bearer()
        query = self.query()
        with self.state.lock:
            upload = self.state.uploads.get(query.get('UploadId', ''))
            if upload is not None:
                upload['aborted'] = True
        self.ok(b'{}', uploadId=query.get('UploadId', ''))

    def route_bucket_get(self):
        self.check_signature('GET')
        name = self.clean_path.rsplit('/', 1)[1]
        inner = '<Name>%s</Name>' % name if name in self.state.buckets else ''
        self.ok(('<BucketResponse>%s</BucketResponse>' % inner).encode(), 'application/xml')

    def route_bucket_create(self):
        self.check_signature('PUT')
        values = check_xml(self.read_body(), 'BucketRequest', NS_SERVICE, ['BucketName'])
        name = self.clean_path.rsplit('/', 1)[1]
        if values['BucketName'].lower() != name:
            raise Rejected(400, 'bucket name in body and route differ')
        with self.state.lock:
            self.state.buckets.add(name)
        self.ok(('<BucketResponse><Name>%s</Name></BucketResponse>' % name).encode(), 'application/xml')

    def route_list_files(self):
        self.check_signature('POST')
        body = self.read_body()
        if ('<Prefixes %s>' % NS_ARRAYS).encode() not in body:
            raise Rejected(400, 'Prefixes without the arrays namespace')
        values = check_xml(body, 'FileListFromLocationsRequest', NS_SERVICE, ['BucketName', 'Delimiter', 'Prefixes'])
        with self.state.lock:
            project_id = self.state.bucket_projects.get(values['BucketName'].lower())
        objects = []
        if project_id is not None:
            root = os.path.join(self.state.storage_dir, 'storage', 'objects', project_id)
            for folder, _, names in os.walk(root):
                for name in sorted(names):
                    if name.endswith('.partial'):
                        continue
                    full = os.path.join(folder, name)
                    key = os.path.relpath(full, root).replace(os.sep, '/')
                    modified = datetime.datetime.fromtimestamp(os.path.getmtime(full), datetime.timezone.utc)
                    objects.append('<ObjectModel><Key>%s</Key><FileName>%s</FileName><ModifiedDate>%s</ModifiedDate>'
                                   '<Size>%d</Size><Type>File</Type></ObjectModel>' % (
                                       xml_escape(key), xml_escape(name), modified.strftime('%Y-%m-%dT%H:%M:%SZ'),
                                       os.path.getsize(full)))
        for n in range(int((self.fault or {}).get('extraObjects', 0))):
            objects.append('<ObjectModel><Key>Picture/Sec/EXTRA_%07d.JPG</Key><FileName>EXTRA_%07d.JPG</FileName>'
                           '<ModifiedDate>2026-01-02T03:04:05Z</ModifiedDate><Size>%d</Size><Type>File</Type>'
                           '</ObjectModel>' % (n, n, 1000000 + n))
        body = '<FileListResponse><Files>%s</Files><Count>%d</Count></FileListResponse>' % (''.join(objects), len(objects))
        self.ok(body.encode('utf-8'), 'application/xml', objects=len(objects))

    def route_transcoding(self):
        self.check_signature('PUT')
        check_xml(self.read_body(), 'PutJobForEachPresetRequest', NS_SERVICE,
                  ['BucketName', 'FileKey', 'OutputKeyWithoutExtension'])
        self.ok(b'{}')


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('--scenario')
    parser.add_argument('--log')
    parser.add_argument('--storage')
    parser.add_argument('--demo', help='serve demo data made in this folder')
    parser.add_argument('--tls-cert')
    parser.add_argument('--tls-key')
    parser.add_argument('--port', type=int, default=0)
    args = parser.parse_args()

    if args.demo:
        import webservice_demo
        scenario, args.storage = webservice_demo.build(args.demo)
        args.log = args.log or os.path.join(args.demo, 'requests.jsonl')
    elif not (args.scenario and args.log and args.storage):
        parser.error('--scenario, --log and --storage are required without --demo')
    else:
        with open(args.scenario, encoding='utf-8') as f:
            scenario = json.load(f)
    scheme = 'https' if args.tls_cert else 'http'
    state = State(scenario, args.log, args.storage, scheme)
    Handler.state = state
    server = ThreadingHTTPServer(('127.0.0.1', args.port), Handler)
    server.daemon_threads = True
    if args.tls_cert:
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(args.tls_cert, args.tls_key)
        server.socket = context.wrap_socket(server.socket, server_side=True)
    state.port = server.server_address[1]
    print('READY %d' % state.port, flush=True)
    try:
        server.serve_forever(poll_interval=0.2)
    except KeyboardInterrupt:
        pass


if __name__ == '__main__':
    main()
