#!/usr/bin/env python3
"""A loopback HTTP server for the transfer and usage-report tests.

Prints "READY <http port> <silent port> <control port>" once listening and
runs until its standard input closes, so it never outlives the test that
started it. With "--tls CERT KEY" the first port speaks HTTPS with that
certificate chain, and the control port serves the same over plain HTTP
(without it, the control port is the first port).

- /echo answers "<method>\\n<content type>\\n<body>".
- /missing answers 404 with a body.
- /big?size=N answers N bytes.
- /flaky?key=K breaks off its first answer for K midway, then answers fully.
- Files registered through POST /_control/file are served with Range,
  HEAD, Last-Modified, optional redirects, optional slow chunks and an
  optional early end of the connection ("truncate_at"), a length announced
  other than the bytes sent ("announce", with "excess" bytes sent beyond the
  file), or an endless stream without any length ("endless"); a file can be
  padded to a size ("pad_to"); their bytes are generated, the given "body" text, or
  the bytes of the local "file" path, read when requested. Hostile answers:
  "redirect_status" (301, 303, 307, 308 instead of 302), "ignore_range"
  (always 200 with the whole file), "status" (that status with an error page
  for every GET), "etag", and "stall_get" (HEAD is answered, a GET never is).
- POST /data.html decrypts a usage report with the openssl command line,
  checks the document and keeps the verdict.
- GET /_control/log returns every request, the report verdicts, how many
  connections the silent port accepted (it accepts and never answers), and
  how many bytes each endless stream wrote before its client hung up.
"""

import json
import os
import re
import socket
import ssl
import subprocess
import sys
import threading
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer
from urllib.parse import urlsplit, parse_qs

REPORT_KEY = b"Qm7Rt2VxL9cWpZ4hNb8KdY3sGf6JaE1u"
REPORT_IV = b"7261840395716428"
REPORT_KEYS = {"channelcode", "createtime", "items", "mac", "softcode", "version"}

lock = threading.Lock()
files = {}      # path -> settings
requests = []   # every request seen
reports = []    # verdicts of /data.html posts
silent_accepts = 0
streamed = {}   # path -> bytes of endless streams written before the client hung up
flaky_hits = {}  # key -> requests seen


def content(size):
    """The bytes of a served file: position-dependent, not periodic in 256."""
    return bytes((i * 31 + (i >> 8) * 7 + 11) & 0xFF for i in range(size))


def check_report(body, content_type):
    problems = []
    if content_type != "application/x-www-form-urlencoded":
        problems.append("content type " + repr(content_type))
    result = subprocess.run(
        ["openssl", "enc", "-d", "-aes-256-cbc", "-base64", "-A",
         "-K", REPORT_KEY.hex(), "-iv", REPORT_IV.hex()],
        input=body, capture_output=True)
    if result.returncode != 0:
        return {"plaintext": "", "problems": problems + ["does not decrypt"]}
    text = result.stdout
    plaintext = text.decode("latin-1")
    try:
        document = json.loads(text)
    except ValueError:
        return {"plaintext": plaintext, "problems": problems + ["not JSON"]}
    if not isinstance(document, dict) or set(document) != REPORT_KEYS:
        problems.append("members " + repr(sorted(document)))
    else:
        if not isinstance(document["createtime"], int):
            problems.append("createtime not an integer")
        if document["softcode"] != "10":
            problems.append("softcode")
        if not re.fullmatch(r"(?:[0-9A-F]{2}-){5}[0-9A-F]{2}|", document["mac"]):
            problems.append("mac form")
        items = document["items"]
        if (not isinstance(items, list) or len(items) != 1 or
                items[0] != {"procode": "self", "types": items[0].get("types")} or
                items[0]["types"] not in ("1", "2", "3")):
            problems.append("items")
        for key in ("channelcode", "version"):
            if not isinstance(document[key], str) or not document[key]:
                problems.append(key)
        compact = json.dumps(document, sort_keys=True, separators=(",", ":"), ensure_ascii=False) + "\n"
        if compact.encode("utf-8") != text:
            problems.append("not compact sorted JSON with one line feed")
    return {"plaintext": plaintext, "problems": problems}


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def record(self, body=b""):
        entry = {
            "method": self.command,
            "path": self.path,
            "range": self.headers.get("Range", ""),
            "content_type": self.headers.get("Content-Type", ""),
            "body": body.decode("latin-1"),
        }
        with lock:
            requests.append(entry)

    def read_body(self):
        length = int(self.headers.get("Content-Length", "0") or 0)
        return self.rfile.read(length) if length else b""

    def reply(self, status, body=b"", headers=(), send_body=True, announced=None):
        self.send_response(status)
        for name, value in headers:
            self.send_header(name, value)
        self.send_header("Content-Length", str(len(body) if announced is None else announced))
        self.end_headers()
        if send_body and body:
            self.wfile.write(body)

    def do_GET(self):
        self.handle_request(send_body=True)

    def do_HEAD(self):
        self.handle_request(send_body=False)

    def do_POST(self):
        self.handle_request(send_body=True)

    def handle_request(self, send_body):
        body = self.read_body()
        self.record(body)
        url = urlsplit(self.path)
        path = url.path
        if path == "/_control/file":
            settings = json.loads(body)
            with lock:
                files[settings["path"]] = settings
            return self.reply(200, b"ok")
        if path == "/_control/log":
            with lock:
                log = {"requests": requests, "reports": reports, "silent_accepts": silent_accepts,
                       "streamed": streamed}
                data = json.dumps(log).encode()
            return self.reply(200, data, [("Content-Type", "application/json")])
        if path == "/_control/reset":
            with lock:
                requests.clear()
                reports.clear()
                files.clear()
                streamed.clear()
            return self.reply(200, b"ok")
        if path == "/echo":
            text = "%s\n%s\n" % (self.command, self.headers.get("Content-Type", ""))
            return self.reply(200, text.encode() + body, send_body=send_body)
        if path == "/flaky":
            # The first request of a key breaks off after a few bytes and stalls.
            key = parse_qs(url.query).get("key", [""])[0]
            with lock:
                flaky_hits[key] = flaky_hits.get(key, 0) + 1
                first = flaky_hits[key] == 1
            if first:
                self.send_response(200)
                self.send_header("Content-Length", "100")
                self.end_headers()
                self.wfile.write(b"PARTIAL")
                self.wfile.flush()
                time.sleep(5)
                self.close_connection = True
                return
            return self.reply(200, b"complete", send_body=send_body)
        if path == "/missing":
            return self.reply(404, b"no such page", send_body=send_body)
        if path == "/big":
            size = int(parse_qs(url.query).get("size", ["0"])[0])
            return self.reply(200, b"x" * size, send_body=send_body)
        if path == "/data.html" and self.command == "POST":
            verdict = check_report(body, self.headers.get("Content-Type", ""))
            with lock:
                reports.append(verdict)
            return self.reply(200, b"ok")
        with lock:
            settings = files.get(path)
        if settings is None:
            return self.reply(404, b"unknown", send_body=send_body)
        return self.serve_file(settings, send_body)

    def serve_endless(self, send_body):
        """No length, no end: bytes until the client hangs up (or 4 GiB); a
        ranged request gets them as a 206 from where it asked."""
        match = re.fullmatch(r"bytes=(\d+)-", self.headers.get("Range", ""))
        start = int(match.group(1)) if match else 0
        self.send_response(206 if start else 200)
        if start:
            self.send_header("Content-Range", "bytes %d-%d/*" % (start, start + (4096 << 20) - 1))
        self.send_header("Last-Modified", "Mon, 04 Mar 2019 08:00:00 GMT")
        self.send_header("Connection", "close")
        self.end_headers()
        self.close_connection = True
        if not send_body:
            return
        block = content(1 << 20)
        sent = 0
        try:
            for _ in range(4096):
                self.wfile.write(block)
                sent += len(block)
        except OSError:
            pass
        with lock:
            streamed[self.path] = streamed.get(self.path, 0) + sent

    def serve_announced(self, settings, data, send_body):
        """Announces settings["announce"] bytes, then sends all of data and
        settings["excess"] bytes more."""
        data = data + b"\xEE" * settings.get("excess", 0)
        self.send_response(200)
        self.send_header("Last-Modified", settings.get("last_modified") or "Mon, 04 Mar 2019 08:00:00 GMT")
        self.send_header("Content-Length", str(settings["announce"]))
        self.send_header("Connection", "close")
        self.end_headers()
        self.close_connection = True
        if not send_body:
            return
        try:
            for offset in range(0, len(data), 1 << 20):
                self.wfile.write(data[offset:offset + (1 << 20)])
        except OSError:
            pass

    def serve_file(self, settings, send_body):
        if settings.get("endless"):
            return self.serve_endless(send_body)
        headers = []
        if settings.get("last_modified"):
            headers.append(("Last-Modified", settings["last_modified"]))
        if settings.get("etag"):
            headers.append(("ETag", settings["etag"]))
        if settings.get("redirect"):
            moved = settings.get("redirect_body", "").encode()
            headers.append(("Location", settings["redirect"]))
            announced = 0 if settings.get("redirect_length_zero") else None
            status = settings.get("redirect_status", 302)
            return self.reply(status, b"" if announced == 0 else moved, headers, send_body, announced)
        if send_body and settings.get("stall_get"):
            time.sleep(3600)  # the connection stays open and silent
            return
        if send_body and settings.get("status"):
            return self.reply(settings["status"], b"<html>an error page</html>", headers)
        data = content(settings.get("size", 0))
        if "body" in settings:
            data = settings["body"].encode("utf-8")
        if "file" in settings:
            with open(settings["file"], "rb") as source:
                data = source.read()
        if settings.get("zero_length"):
            data = b""
        if settings.get("announce") is not None:
            return self.serve_announced(settings, data, send_body)
        status = 200
        match = None if settings.get("ignore_range") else re.fullmatch(r"bytes=(\d+)-", self.headers.get("Range", ""))
        if match and data:
            start = int(match.group(1))
            if start >= len(data):
                headers.append(("Content-Range", "bytes */%d" % len(data)))
                return self.reply(416, b"range not satisfiable", headers, send_body)
            headers.append(("Content-Range", "bytes %d-%d/%d" % (start, len(data) - 1, len(data))))
            data = data[start:]
            status = 206
        self.send_response(status)
        for name, value in headers:
            self.send_header(name, value)
        self.send_header("Content-Length", str(len(data)))
        self.end_headers()
        if not send_body:
            return
        if settings.get("truncate_at") is not None:
            # The full length is announced, then the connection drops at the given file offset.
            cut = max(0, settings["truncate_at"] - (int(match.group(1)) if status == 206 else 0))
            self.wfile.write(data[:cut])
            self.wfile.flush()
            self.close_connection = True
            return
        chunks = max(1, settings.get("chunks", 1))
        step = max(1, -(-len(data) // chunks))
        for offset in range(0, len(data), step):
            self.wfile.write(data[offset:offset + step])
            self.wfile.flush()
            if settings.get("delay"):
                time.sleep(settings["delay"])


def silent_port():
    """Accepts connections and never answers them."""
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.bind(("127.0.0.1", 0))
    listener.listen(64)
    held = []

    def run():
        global silent_accepts
        while True:
            try:
                connection, _ = listener.accept()
            except OSError:
                return
            held.append(connection)
            with lock:
                silent_accepts += 1

    threading.Thread(target=run, daemon=True).start()
    return listener.getsockname()[1]


def main():
    server = ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    server.daemon_threads = True
    control = server
    if sys.argv[1:2] == ["--tls"]:
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(sys.argv[2], sys.argv[3])
        # The handshake happens in the request's thread, so a client that
        # refuses the certificate never holds up the others.
        server.socket = context.wrap_socket(server.socket, server_side=True, do_handshake_on_connect=False)
        # The same files and log over plain HTTP, for the test's own control requests.
        control = ThreadingHTTPServer(("127.0.0.1", 0), Handler)
        control.daemon_threads = True
        threading.Thread(target=control.serve_forever, daemon=True).start()
    threading.Thread(target=server.serve_forever, daemon=True).start()
    print("READY %d %d %d" % (server.server_address[1], silent_port(), control.server_address[1]), flush=True)
    sys.stdin.read()  # until the test closes the pipe or ends
    os._exit(0)  # without waiting for stalled answers


if __name__ == "__main__":
    main()
