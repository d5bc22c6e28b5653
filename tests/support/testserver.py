#!/usr/bin/env python3
"""HTTP test server for the download and request tests.

Serves the files under --root with ETag and Last-Modified, honours Range and
If-Range, and misbehaves on request through query parameters:

  delay=MS           wait before answering
  rate=BYTES         send the body at about BYTES per second
  drop_after=N       close the connection after N body bytes
  bad_range=1        answer a ranged request with a wrong Content-Range
  ignore_range=1     answer a ranged request with 200 and the whole body
  status=CODE        answer CODE with a small error page
  wrong_length=N     announce N as Content-Length (the body stays as it is)
  etag=TEXT          announce TEXT as the ETag instead of the computed one
  group=NAME         also count the request in the statistics of group NAME
  need_header=NAME   answer 401 to a request (HEAD too) without header NAME
  gzip=1             when the request accepts gzip, the file is sent gzip
                     encoded and ranges count bytes of the encoded file (as
                     a server that compresses before slicing does)

The same options also ride in the path, for a client that appends a file's
path to a base URL (a query there would end up in the middle):

  /_/q/rate=BYTES&group=NAME/<path>   serves <path> as <path>?rate=BYTES&group=NAME

Control endpoints under /_/:
  /_/stats           JSON: {"active", "max_active", "requests": [...]};
                     ?group=NAME: the same for that group's requests only
  /_/reset           clears the statistics (?group=NAME: that group's)
  /_/echo            answers with the request (method, path, headers, body as
                     latin-1 text) as JSON; any method
  /_/form            answers with the parts of a multipart/form-data POST as
                     JSON: {"parts": [{"name", "filename", "data", "length"}]}
                     (data as latin-1 text); ?group=NAME also records the
                     request with its "parts" in that group's statistics
  /_/crash/SECRET/api/v1/track/upload
                     a crash-report service's statistics endpoint: recomputes
                     the signature of the "wpk-header" line with SECRET,
                     records {"params", "sign_ok", "body"} in the statistics
                     of group "crash_SECRET" and answers {"code":200,"success":1} only to a
                     request signed right
  /_/crash/upload    a crash-report service's upload endpoint: records the
                     form's parts; ?answer=accept (the default) answers
                     {"code":200,"success":1}, answer=true {"code":200,
                     "success":true}, answer=broken a text that is not JSON

The same files are also served over HTTPS (a self-signed certificate for
127.0.0.1 made with openssl at start) when openssl is there. The port file
holds the port, the server's process id and the HTTPS port (0 without
openssl); beside it, <port file>.tls/pubkey.der is the certificate's public
key (DER SubjectPublicKeyInfo).

  testserver.py start --port-file F --root DIR   starts in the background,
                                                 writes the port to F
  testserver.py stop --port-file F               stops it
  testserver.py serve --port-file F --root DIR   runs in the foreground
"""
import argparse
import base64
import email.parser
import email.policy
import email.utils
import gzip
import hashlib
import io
import json
import os
import shutil
import signal
import socket
import ssl
import subprocess
import sys
import threading
import time
import urllib.parse
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

CHUNK = 64 * 1024


class Stats:
    def __init__(self):
        self.lock = threading.Lock()
        self.reset()

    def reset(self):
        with self.lock:
            self.active = 0
            self.max_active = 0
            self.requests = []

    def begin(self, record):
        with self.lock:
            self.active += 1
            self.max_active = max(self.max_active, self.active)
            self.requests.append(record)

    def end(self):
        with self.lock:
            self.active -= 1

    def snapshot(self):
        with self.lock:
            return {"active": self.active, "max_active": self.max_active,
                    "requests": list(self.requests)}


STATS = Stats()
GROUPS = {}
GROUPS_LOCK = threading.Lock()


def group_stats(name):
    with GROUPS_LOCK:
        return GROUPS.setdefault(name, Stats())


def file_etag(path, st):
    return '"%x-%x"' % (int(st.st_mtime_ns), st.st_size)


def parse_range(header, size):
    """Returns (start, end) inclusive for a single 'bytes=' range, or None."""
    if not header or not header.startswith("bytes="):
        return None
    spec = header[len("bytes="):].split(",")[0].strip()
    first, _, last = spec.partition("-")
    try:
        if first == "":
            length = int(last)
            return (max(0, size - length), size - 1) if length > 0 else None
        start = int(first)
        end = int(last) if last else size - 1
    except ValueError:
        return None
    if start >= size or end < start:
        return None
    return start, min(end, size - 1)


# Files a browser shows rather than downloads; every other file is bytes.
PAGE_TYPES = {".html": "text/html; charset=utf-8", ".css": "text/css", ".js": "application/javascript",
              ".png": "image/png"}


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "vemo-testserver"

    def log_message(self, fmt, *args):  # keep the test output quiet
        pass

    def _query(self):
        url = urllib.parse.urlsplit(self.path)
        return urllib.parse.unquote(url.path), dict(urllib.parse.parse_qsl(url.query))

    def _record(self, path):
        return {"method": self.command, "path": self.path,
                "headers": {k: v for k, v in self.headers.items()},
                "time": time.time()}

    def _send_small(self, code, body, content_type="text/plain", extra=None):
        data = body if isinstance(body, bytes) else body.encode()
        self.send_response(code)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(data)))
        for k, v in (extra or {}).items():
            self.send_header(k, v)
        self.end_headers()
        if self.command != "HEAD":
            self.wfile.write(data)

    def _body(self):
        length = int(self.headers.get("Content-Length") or 0)
        return self.rfile.read(length) if length else b""

    def _form_parts(self):
        body = self._body()
        head = b"Content-Type: " + self.headers.get("Content-Type", "").encode("latin-1") + b"\r\n\r\n"
        message = email.parser.BytesParser(policy=email.policy.HTTP).parsebytes(head + body)
        parts = []
        for part in message.iter_parts() if message.is_multipart() else []:
            data = part.get_payload(decode=True) or b""
            parts.append({"name": part.get_param("name", header="content-disposition"),
                          "filename": part.get_param("filename", header="content-disposition"),
                          "data": data.decode("latin-1"), "length": len(data)})
        return parts

    def _control(self, path):
        _, query = self._query()
        stats = group_stats(query["group"]) if "group" in query else STATS
        if path == "/_/stats":
            self._send_small(200, json.dumps(stats.snapshot()), "application/json")
        elif path == "/_/reset":
            stats.reset()
            self._send_small(200, "{}", "application/json")
        elif path == "/_/form":
            parts = self._form_parts()
            if "group" in query:  # kept for senders that get no answer
                record = dict(self._record(path), parts=parts)
                stats.begin(record)
                stats.end()
            self._send_small(200, json.dumps({"parts": parts}), "application/json")
        elif path.startswith("/_/crash/"):
            self._crash_service(path, stats, query)
        elif path == "/_/echo":
            body = self._body()
            answer = {"method": self.command, "path": self.path,
                      "headers": {k: v for k, v in self.headers.items()},
                      "body": body.decode("latin-1"), "length": len(body)}
            self._send_small(200, json.dumps(answer), "application/json")
        else:
            self._send_small(404, "unknown control path")

    CRASH_PAIRS = ["app", "cp", "cver", "de", "os", "seq", "sver", "tm", "type", "ud", "ver"]

    def _crash_service(self, path, stats, query):
        if path == "/_/crash/upload":
            record = dict(self._record(path), parts=self._form_parts())
            stats.begin(record)
            stats.end()
            answers = {"accept": '{"code":200,"success":1}', "true": '{"code":200,"success":true}',
                       "broken": "<html>busy</html>"}
            self._send_small(200, answers[query.get("answer", "accept")], "application/json")
            return
        secret = path[len("/_/crash/"):].split("/")[0]
        stats = group_stats("crash_" + secret)  # a base URL with a path appended carries no query
        header = self.headers.get("wpk-header", "")
        pairs = [p.partition("=") for p in header.split("&") if p]
        values = {k: v for k, _, v in pairs}
        keys = [k for k, _, _ in pairs]
        expected = hashlib.md5(("".join(k + "=" + values[k] for k in self.CRASH_PAIRS if k in values)
                                + secret).encode("utf-8")).hexdigest()
        sign_ok = keys == self.CRASH_PAIRS + ["sign"] and values.get("sign") == expected
        body = self._body().decode("utf-8", "replace")
        stats.begin(dict(self._record(path), params=values, sign_ok=sign_ok, body=body))
        stats.end()
        answer = '{"code":200,"success":1}' if sign_ok else '{"code":403,"success":0}'
        self._send_small(200, answer, "application/json")

    def _serve(self):
        path, query = self._query()
        if path.startswith("/_/q/"):
            options, _, path = path[len("/_/q/"):].partition("/")
            query = dict(urllib.parse.parse_qsl(options), **query)
            path = "/" + path
        elif path.startswith("/_/"):
            self._control(path)
            return
        counted = [STATS] + ([group_stats(query["group"])] if "group" in query else [])
        record = self._record(path)
        for stats in counted:
            stats.begin(record)
        try:
            self._serve_file(path, query)
        except (BrokenPipeError, ConnectionResetError):
            pass
        finally:
            for stats in counted:
                stats.end()

    def _serve_file(self, path, query):
        if "delay" in query:
            time.sleep(int(query["delay"]) / 1000.0)
        if "status" in query:
            code = int(query["status"])
            self._send_small(code, "<html><body>error %d</body></html>" % code, "text/html")
            return
        local = os.path.normpath(os.path.join(self.server.root, path.lstrip("/")))
        if not local.startswith(self.server.root) or not os.path.isfile(local):
            self._send_small(404, "<html><body>not found</body></html>", "text/html")
            return
        if "need_header" in query and self.headers.get(query["need_header"]) is None:
            self._send_small(401, "<html><body>unauthorised</body></html>", "text/html")
            return
        st = os.stat(local)
        size = st.st_size
        etag = query.get("etag") or file_etag(local, st)
        last_modified = email.utils.formatdate(st.st_mtime, usegmt=True)
        encoded = None
        if query.get("gzip") and "gzip" in (self.headers.get("Accept-Encoding") or ""):
            with open(local, "rb") as f:
                encoded = gzip.compress(f.read(), mtime=0)
            size = len(encoded)

        range_header = self.headers.get("Range")
        wanted = parse_range(range_header, size) if range_header else None
        if range_header and wanted is None and size > 0 and not query.get("ignore_range"):
            self.send_response(416)
            self.send_header("Content-Range", "bytes */%d" % size)
            self.send_header("Content-Length", "0")
            self.end_headers()
            return
        if_range = self.headers.get("If-Range")
        if wanted and if_range and if_range not in (etag, last_modified):
            wanted = None  # the resource changed: send it whole
        if wanted and query.get("ignore_range"):
            wanted = None

        start, end = (wanted if wanted else (0, size - 1))
        length = max(0, end - start + 1)
        self.send_response(206 if wanted else 200)
        self.send_header("Content-Type", PAGE_TYPES.get(os.path.splitext(local)[1].lower(),
                                                        "application/octet-stream"))
        self.send_header("Accept-Ranges", "bytes")
        if encoded is not None:
            self.send_header("Content-Encoding", "gzip")
        self.send_header("ETag", etag)
        self.send_header("Last-Modified", last_modified)
        if wanted:
            if query.get("bad_range"):
                self.send_header("Content-Range", "bytes %d-%d/%d" % (start + 1, end, size))
            else:
                self.send_header("Content-Range", "bytes %d-%d/%d" % (start, end, size))
        self.send_header("Content-Length", query.get("wrong_length", str(length)))
        self.end_headers()
        if self.command == "HEAD":
            return

        rate = int(query.get("rate", "0"))
        drop_after = int(query["drop_after"]) if "drop_after" in query else None
        sent = 0
        began = time.monotonic()
        with (io.BytesIO(encoded) if encoded is not None else open(local, "rb")) as f:
            f.seek(start)
            while sent < length:
                piece = min(CHUNK, length - sent)
                if rate:
                    piece = min(piece, max(1024, rate // 20))
                if drop_after is not None:
                    piece = min(piece, drop_after - sent)
                    if piece <= 0:
                        self.close_connection = True
                        self.connection.shutdown(socket.SHUT_RDWR)
                        return
                data = f.read(piece)
                if not data:
                    break
                self.wfile.write(data)
                sent += len(data)
                # No pause after the last byte: the client is done, and a
                # request still counted as active would overlap the next one.
                if rate and sent < length:
                    due = began + sent / rate
                    pause = due - time.monotonic()
                    if pause > 0:
                        time.sleep(pause)

    do_GET = _serve
    do_HEAD = _serve

    def do_POST(self):
        path, _ = self._query()
        if path.startswith("/_/"):
            self._control(path)
        else:
            self._body()
            self._send_small(405, "POST only under /_/")


class Server(ThreadingHTTPServer):
    daemon_threads = True
    allow_reuse_address = True
    request_queue_size = 128


def make_certificate(folder):
    """A self-signed certificate for 127.0.0.1; (cert, key) paths or None."""
    if not shutil.which("openssl"):
        return None
    os.makedirs(folder, exist_ok=True)
    cert, key = os.path.join(folder, "cert.pem"), os.path.join(folder, "key.pem")
    made = subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", key, "-out", cert,
                           "-days", "30", "-subj", "/CN=127.0.0.1",
                           "-addext", "subjectAltName=IP:127.0.0.1,DNS:localhost"],
                          stdin=subprocess.DEVNULL, capture_output=True)
    public = subprocess.run(["openssl", "x509", "-in", cert, "-pubkey", "-noout"], stdin=subprocess.DEVNULL,
                            capture_output=True)
    if made.returncode or public.returncode:
        return None
    pem = public.stdout.decode()
    der = base64.b64decode("".join(line for line in pem.splitlines() if line and not line.startswith("-----")))
    with open(os.path.join(folder, "pubkey.der"), "wb") as out:
        out.write(der)
    return cert, key


def start_tls_server(args, root):
    """The HTTPS twin of the server, in a thread of its own; its port or 0."""
    files = make_certificate(args.port_file + ".tls")
    if not files:
        return 0
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(*files)
    server = Server(("127.0.0.1", 0), Handler)
    server.root = root
    # The handshake happens in the request's thread, so that a client that
    # gives up during it holds up nobody else.
    server.socket = context.wrap_socket(server.socket, server_side=True, do_handshake_on_connect=False)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server.server_address[1]


def serve(args):
    root = os.path.realpath(args.root)
    os.makedirs(root, exist_ok=True)
    server = Server(("127.0.0.1", args.port), Handler)
    server.root = root
    tls_port = start_tls_server(args, root)
    tmp = args.port_file + ".tmp"
    with open(tmp, "w") as f:
        f.write("%d\n%d\n%d\n" % (server.server_address[1], os.getpid(), tls_port))
    os.replace(tmp, args.port_file)
    signal.signal(signal.SIGTERM, lambda *_: threading.Thread(target=server.shutdown).start())
    server.serve_forever()
    server.server_close()


def read_port_file(path):
    try:
        with open(path) as f:
            port, pid = f.read().split()[:2]
            return int(port), int(pid)
    except (OSError, ValueError):
        return None


def stop(args):
    info = read_port_file(args.port_file)
    if info:
        try:
            os.kill(info[1], signal.SIGTERM)
        except ProcessLookupError:
            pass
        for _ in range(50):
            try:
                os.kill(info[1], 0)
            except ProcessLookupError:
                break
            time.sleep(0.1)
    try:
        os.remove(args.port_file)
    except FileNotFoundError:
        pass


def start(args):
    stop(args)
    log = open(args.port_file + ".log", "ab")
    # A new session, and no inherited pipes: CTest would otherwise wait for
    # the server to close its output.
    subprocess.Popen([sys.executable, os.path.abspath(__file__), "serve",
                      "--port-file", args.port_file, "--root", args.root, "--port", str(args.port)],
                     stdin=subprocess.DEVNULL, stdout=log, stderr=log, start_new_session=True,
                     close_fds=True)
    for _ in range(400):  # making the certificate takes a moment
        info = read_port_file(args.port_file)
        if info:
            with socket.create_connection(("127.0.0.1", info[0]), timeout=2):
                pass
            print("test server on port %d" % info[0])
            return
        time.sleep(0.05)
    sys.exit("test server did not start")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("action", choices=["start", "stop", "serve"])
    parser.add_argument("--port-file", required=True)
    parser.add_argument("--root", default=".")
    parser.add_argument("--port", type=int, default=0)
    args = parser.parse_args()
    {"start": start, "stop": stop, "serve": serve}[args.action](args)


if __name__ == "__main__":
    main()
